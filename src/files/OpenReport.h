#pragma once

#include <string>
#include <string_view>

#include "files/ConfigFile.h"

// What the tuner is told about a configuration file that cannot be opened as
// it is: the file named, what is wrong with it line by line, and that the
// tune shown has not changed. Nothing to tell when the file opens whole (the
// older-version notice is the reader's message and shown as before).
struct OpenReport {
  std::string text;            // empty: the file opens
  bool canOpenAnyway = false;  // part of it was read: the tuner may take that part
};

// How many problems the message lists before "and N more".
constexpr int kListedFileProblems = 5;

OpenReport ReportFileProblems(const ConfigReadResult& result, std::string_view fileName, int language);
