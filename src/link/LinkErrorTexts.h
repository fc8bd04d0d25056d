#pragma once

#include "base/Lang.h"
#include "link/LinkStats.h"

// The Link window's last-error texts, by LinkError.
extern const CLngStr kLinkErrorTexts[kLinkErrorCount];
