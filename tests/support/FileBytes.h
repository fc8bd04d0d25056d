#pragma once

// Whole files as bytes for tests that look at what the program wrote or
// hand it files of their own.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testsupport {

// The file's bytes; empty when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Creates or truncates the file and writes `bytes`; false when that fails.
inline bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace testsupport
