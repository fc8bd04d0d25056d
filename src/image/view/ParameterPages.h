#pragma once

class QTabWidget;

// Creates the controls of the scalar parameter pages (bike, corrections,
// sensors, race, gear, idle, N2O, tuning, the lambda bar of the monitor and
// the test page) on the pages of `pageControl`, by their object names and
// at their places at 96 dpi times `scale`. The Monitor page's live groups
// must exist already: the lambda bar settings go into the space beside them.
// Captions come from the language walk; values and handlers from the page
// controls.
void BuildParameterPages(QTabWidget& pageControl, double scale);
