#pragma once

#include <string_view>

class QPixmap;

// A picture a sheet paints behind its values, by the name its axes give
// ("BGWA", "BGRAINBOW", "BGRAINBOW2", "BGINJB", "BGINJG"). Loaded once, on
// the first call (a GUI application must exist by then), and kept for the
// program's life; null for a name the program has no picture of. (Not
// "SheetBackground": the map catalogue names its background enum so.)
const QPixmap* SheetBackgroundPicture(std::string_view name);
