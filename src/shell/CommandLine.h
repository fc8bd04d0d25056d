#pragma once

#include <string>
#include <vector>

// The program's own options, taken from the command line before the window
// system is touched, so that --help and --version work without a display.
//
// Words that start with "--" are ours and must be known. Everything else
// (the language word, and Qt's single-dash options such as "-platform")
// passes through in order to the application.
struct CommandLine {
  enum class Action { Run, Help, Version, Error, Service };
  Action action = Action::Run;
  bool demo = false;
  // Action::Service: the service tool's option and its operands.
  std::string service;
  std::vector<std::string> serviceOperands;
  std::vector<std::string> passOn;  // what the application gets, program name excluded
  std::string error;                // one line, for Action::Error
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The file to open after start-up, from the words the application got (Qt's
// options already taken out): a first word that is a language word stays the
// language; a word after it, or any other first word, is a path. Empty when
// there is none; `error` set for more than one.
std::string StartFile(const std::vector<std::string>& args, std::string& error);
// `path` made absolute against `cwd`, so that another process can open it.
std::string AbsoluteStartPath(const std::string& path, const std::string& cwd);
// Why `path` cannot be a configuration file at all (a directory); empty when
// it may be one. A missing file is left to the open, which reports it.
std::string StartFileRefusal(const std::string& path);

// Usage text for --help and after a bad option; `program` is argv[0]'s name.
std::string UsageText(const std::string& program);
// One line for a bad option or argument, pointing at --help.
std::string UsageErrorLine(const std::string& program, const std::string& error);

// Exit statuses of the option handling.
inline constexpr int kExitUsage = 2;
