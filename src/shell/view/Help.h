#pragma once

#include <QString>

// The manual `name` where a program in `programDir` finds it: beside the
// program (a build, an unpacked archive), else in ../share/ventrix/ (an
// installed program). Empty when it is in neither.
QString FindManual(const QString& programDir, const QString& name);
