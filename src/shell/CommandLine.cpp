#include "shell/CommandLine.h"

#include <algorithm>
#include <filesystem>

#include "files/ServiceCli.h"
#include "base/Lang.h"

#ifndef VENTRIX_VERSION
#define VENTRIX_VERSION "unknown"
#endif
#ifndef VENTRIX_BUILD_DATE
#define VENTRIX_BUILD_DATE "unknown"
#endif

namespace {

CommandLine UsageError(CommandLine& cl, const std::string& error) {
  cl.action = CommandLine::Action::Error;
  cl.error = error;
  return cl;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (arg == "-h" && !optionsEnded) {
        cl.action = CommandLine::Action::Help;
        continue;
      }
      cl.passOn.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--demo") {
      cl.demo = true;
    } else if (arg == "--help") {
      cl.action = CommandLine::Action::Help;
    } else if (arg == "--version") {
      if (cl.action != CommandLine::Action::Help) cl.action = CommandLine::Action::Version;
    } else if (const ServiceCliCommand* service = FindServiceCliCommand(arg)) {
      if (!cl.service.empty()) return UsageError(cl, "one service command at a time");
      cl.service = arg;
      for (int n = 0; n < service->operands; ++n, ++i) {
        // An option is no operand: a missing one must not swallow the next option.
        if (i + 1 >= args.size() || args[i + 1].starts_with("--"))
          return UsageError(cl, arg + " needs " + service->synopsis);
        cl.serviceOperands.push_back(args[i + 1]);
      }
    } else {
      // The first bad option decides; --help elsewhere on the line does not excuse it.
      return UsageError(cl, "unknown option '" + arg + "'");
    }
  }
  if (!cl.service.empty() && cl.action == CommandLine::Action::Run) {
    if (cl.demo || !cl.passOn.empty()) return UsageError(cl, cl.service + " takes no other arguments");
    cl.action = CommandLine::Action::Service;
  }
  return cl;
}

std::string StartFile(const std::vector<std::string>& args, std::string& error) {
  std::size_t first = 0;
  if (!args.empty() && std::ranges::find(kLanguageWords, args[0]) != std::end(kLanguageWords)) first = 1;
  if (args.size() <= first) return {};
  if (args.size() > first + 1) {
    error = "one file at a time";
    return {};
  }
  return args[first];
}

std::string AbsoluteStartPath(const std::string& path, const std::string& cwd) {
  const std::filesystem::path p(path);
  if (p.is_absolute()) return path;
  return (std::filesystem::path(cwd) / p).lexically_normal().string();
}

std::string StartFileRefusal(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return path + ": is a directory, not a configuration file";
  return {};
}

std::string UsageText(const std::string& program) {
  std::string languages;
  for (const char* word : kLanguageWords) languages += std::string(languages.empty() ? "" : ", ") + word;
  std::string serviceLines, serviceHelp;
  for (const ServiceCliCommand& c : ServiceCliCommands()) {
    serviceLines += "       " + program + " " + c.option + " " + c.synopsis + "\n";
    serviceHelp += std::string("  ") + c.option + " " + c.synopsis + "\n      " + c.help + "\n";
  }
  return "Usage: " + program +
         " [--demo] [LANGUAGE] [FILE] [Qt options]\n"
         "       " +
         program + " --help | --version\n" + serviceLines +
         "\n"
         "Ventrix reads, edits and programs the configuration of the ignition and\n"
         "injection unit on a serial port, and shows the engine's live data.\n"
         "\n"
         "Options:\n"
         "  --demo      start the simulated unit on a pseudo-terminal and connect to it\n"
         "  --help, -h  show this text\n"
         "  --version   show the version and build date\n"
         "\n"
         "Service tools, run without a window (files in the formats of the Service menu):\n" +
         serviceHelp +
         "\n"
         "LANGUAGE, as the first word: " +
         languages +
         ".\n"
         "FILE is opened after start-up by its kind: a tune (.ign) as File > Open would,\n"
         "a monitor set (.cem) as External monitor > Load monitor would, a live-data log\n"
         "(.vxlog) as Log > Play back a log would (a file named like a language word:\n"
         "./ENGLISH). While Ventrix runs, a second start with a file checks it, hands it\n"
         "to the running one, which keeps its serial port, and ends at once.\n"
         "\n"
         "Environment:\n"
         "  VENTRIX_COM<n>    device of port COM n, e.g. VENTRIX_COM1=/dev/ttyUSB3\n"
         "                    (COM n is otherwise the n-th of /dev/ttyUSB*, ttyACM*, ttyS*)\n"
         "  VENTRIX_UNITSIM   the simulator --demo starts (default: next to the program)\n"
         "  VENTRIX_UNITSIM_OPTIONS  its options, e.g. \"--tests-locked\" (see ventrix-unitsim --help)\n"
         "\n"
         "Without a display (no DISPLAY or WAYLAND_DISPLAY) only the service tools run;\n"
         "QT_QPA_PLATFORM=offscreen " +
         program +
         " --demo runs the whole program without one.\n"
         "\n"
         "Files: settings in $XDG_CONFIG_HOME/ventrix (~/.config/ventrix), the image and\n"
         "the error log in $XDG_STATE_HOME/ventrix (~/.local/state/ventrix), the exe-dir\n"
         "file data.ign in $XDG_DATA_HOME/ventrix (~/.local/share/ventrix), live-data logs\n"
         "in $XDG_DATA_HOME/ventrix/logs, the port-release and single-instance sockets in\n"
         "$XDG_RUNTIME_DIR/ventrix.\n"
         "\n"
         "Exit status: 0 normal end (or the file handed over), 1 failure (a file not read or\n"
         "written; a file for a running Ventrix that is missing, not of its kind or not\n"
         "taken; no display), 2 bad option or argument. Without a running Ventrix the\n"
         "window starts and reports a file it cannot open as the menu command would.\n";
}

std::string UsageErrorLine(const std::string& program, const std::string& error) {
  return program + ": " + error + " (see " + program + " --help)\n";
}
