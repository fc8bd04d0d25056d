#pragma once

#include <string>
#include <string_view>

#include "base/Lang.h"

// Texts of the sheet control built from dictionary group 3. Keys that the
// dictionary does not know (titles and labels of the owner) show as they are.

std::string SheetTitleText(std::string_view key, int language = CurrentLanguage());

// "Delete column" / "Delete columns (n)", rows likewise; which is kPartX or kPartY.
std::string DeleteItemText(int which, int count);
// "Use only" and the translated label.
std::string UseOnlyItemText(std::string_view label);
// "Use", X label, "and", Y label.
std::string UseBothItemText(std::string_view xLabel, std::string_view yLabel);
// The refusal of an insertion at the maximum count, and its caption.
std::string MaximumCountMessage(int which);
std::string ErrorCaption();
