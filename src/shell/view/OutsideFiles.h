#pragma once

#include <QString>

class TFormHlav;

// Opens a file from outside the program's dialogs (the command line, a
// second start, a drop) where its kind belongs: a tune as File > Open, a
// monitor set as External monitor > Load, a live-data log as Log > Open log.
// Errors are shown as those commands show them. False when it was not opened.
bool OpenOutsideFile(TFormHlav& window, const QString& path);
