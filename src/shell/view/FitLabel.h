#pragma once

#include <QRect>

class QLabel;

// Sizes `label` to its text inside `area`, anchored to the area's right edge
// and centred in its height: one line when the text fits on one, otherwise
// wrapped into as narrow a block as the area's height allows. A text too long
// even for that gets the whole area. For a label whose text changes at run
// time (the version label) in a crowded row.
void FitLabelToText(QLabel& label, const QRect& area);
