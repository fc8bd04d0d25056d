#include <sys/prctl.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "base/BuildInfo.h"
#include "base/Lang.h"
#include "base/TextSlots.h"
#include "base/UiTexts.h"
#include "core/AppCore.h"
#include "core/OutsideFile.h"
#include "files/Paths.h"
#include "files/ServiceCli.h"
#include "files/Settings.h"
#include "link/PosixSerialPort.h"
#include "shell/CommandLine.h"
#include "shell/InstanceChannel.h"
#include "shell/view/ErrorHandling.h"
#include "shell/view/OpenRequests.h"
#include "shell/view/TFormHlav.h"
#include "shell/view/TerminationSignals.h"

namespace {

// A second start ends within a second whatever the running one does.
constexpr int kHandOverTimeoutMs = 800;

// The simulator is built next to the program (build tree: tools/unitsim);
// VENTRIX_UNITSIM names another one.
QString FindUnitSimulator() {
  if (const char* env = std::getenv("VENTRIX_UNITSIM"); env && *env) return QString::fromLocal8Bit(env);
  const QDir here(QCoreApplication::applicationDirPath());
  for (const QString& candidate : {here.filePath("ventrix-unitsim"), here.filePath("../tools/unitsim/ventrix-unitsim")})
    if (QFileInfo(candidate).isExecutable()) return QDir::cleanPath(candidate);
  return {};
}

// Starts the simulated unit on a pseudo-terminal and points every COM port
// at it, so whatever port the program opens finds the unit.
bool StartDemoUnit(QProcess& sim, QString& error) {
  const QString program = FindUnitSimulator();
  if (program.isEmpty()) {
    error = "ventrix-unitsim not found next to the program (set VENTRIX_UNITSIM).";
    return false;
  }
  sim.setProgram(program);
  // Options for the simulated unit, e.g. "--tests-locked" or a fault to try.
  if (const QString options = qEnvironmentVariable("VENTRIX_UNITSIM_OPTIONS"); !options.isEmpty())
    sim.setArguments(QProcess::splitCommand(options));
  sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  // The simulator dies with the program, however the program ends (even
  // SIGKILL), so no orphan keeps the pseudo-terminal.
  const pid_t parent = ::getpid();
  sim.setChildProcessModifier([parent] {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);  // the parent died before prctl took hold
  });
  sim.start();
  if (!sim.waitForStarted(3000)) {
    error = "cannot start " + program + ": " + sim.errorString();
    return false;
  }
  // The simulator's first line is the device path of its pseudo-terminal.
  while (!sim.canReadLine() && sim.waitForReadyRead(3000)) {
  }
  const QByteArray device = sim.readLine().trimmed();
  if (device.isEmpty()) {
    error = "the simulated unit did not report its device.";
    return false;
  }
  for (int com = 1; com <= kPortCount; ++com) qputenv(("VENTRIX_COM" + std::to_string(com)).c_str(), device);
  std::fprintf(stderr, "ventrix: simulated unit on %s\n", device.constData());
  return true;
}

// Whether Qt can find a display: a platform chosen by the environment or by
// "-platform" or "-display" is trusted; otherwise X11 or Wayland must be named.
bool DisplayNamed(const std::vector<std::string>& qtArgs) {
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return true;
  for (const char* option : {"-platform", "-display"})
    if (std::ranges::find(qtArgs, option) != qtArgs.end()) return true;
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The no-display text in the language the window would have used.
std::string NoDisplayText(const std::string& programName, const std::vector<std::string>& args) {
  SettingsState settings;
  LoadSettings(AppPathsFromEnvironment(), {}, settings);
  const int language = LanguageFromCommandLine(settings.language, args);
  return FillInText(kNoDisplayText.Get(language), {programName});
}

// A display that is named but cannot be reached makes Qt end the process
// with a fatal message that suggests reinstalling; while the application
// object is made, that message becomes the no-display text and exit status 1.
QtMessageHandler g_qtHandler = nullptr;
std::string g_noDisplayText;
void StartUpMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::fputs(g_noDisplayText.c_str(), stderr);
    std::_Exit(1);
  }
  if (g_qtHandler) g_qtHandler(type, context, message);
}

}  // namespace

int main(int argc, char* argv[]) {
  // Our options first, before anything needs a display.
  const std::string programName =
      argc > 0 ? QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toStdString() : std::string("ventrix");
  const CommandLine cl = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (cl.action) {
    case CommandLine::Action::Help:
      std::fputs(UsageText(programName).c_str(), stdout);
      return 0;
    case CommandLine::Action::Version:
      std::puts(VersionText().c_str());
      return 0;
    case CommandLine::Action::Error:
      std::fputs(UsageErrorLine(programName, cl.error).c_str(), stderr);
      return kExitUsage;
    case CommandLine::Action::Service:
      // Before QApplication, which aborts without a display.
      return FindServiceCliCommand(cl.service)->run(cl.serviceOperands, std::cout, std::cerr);
    case CommandLine::Action::Run:
      break;
  }

  // Qt takes its own options ("-platform", "-style" ...) out of what is left;
  // the rest is the program's command line, whose first word may select the
  // language. QApplication keeps argc and argv, so they live as long as it.
  std::vector<std::string> qtArgStore{argc > 0 ? argv[0] : "ventrix"};
  qtArgStore.insert(qtArgStore.end(), cl.passOn.begin(), cl.passOn.end());
  std::vector<char*> qtArgv;
  qtArgv.reserve(qtArgStore.size() + 1);
  for (auto& a : qtArgStore) qtArgv.push_back(a.data());
  qtArgv.push_back(nullptr);
  int qtArgc = static_cast<int>(qtArgStore.size());
  g_noDisplayText = NoDisplayText(programName, cl.passOn);
  if (!DisplayNamed(cl.passOn)) {
    std::fputs(g_noDisplayText.c_str(), stderr);
    return 1;
  }
  g_qtHandler = qInstallMessageHandler(StartUpMessages);
  CVentrixApplication app(qtArgc, qtArgv.data());
  qInstallMessageHandler(g_qtHandler);
  app.setApplicationName("ventrix");

  std::vector<std::string> args;
  for (int i = 1; i < qtArgc; ++i) args.emplace_back(qtArgv[static_cast<std::size_t>(i)]);
  for (const auto& arg : args) {
    if (arg.size() > 1 && arg[0] == '-') {
      std::fputs(UsageErrorLine(programName, "unknown option '" + arg + "'").c_str(), stderr);
      return kExitUsage;
    }
  }

  // A file from outside goes to the Ventrix already running, which keeps its
  // port; only when none runs does this one start with it.
  std::string argError;
  std::string startFile = StartFile(args, argError);
  if (!argError.empty()) {
    std::fputs(UsageErrorLine(programName, argError).c_str(), stderr);
    return kExitUsage;
  }
  if (!startFile.empty()) {
    std::error_code ec;
    startFile = AbsoluteStartPath(startFile, std::filesystem::current_path(ec).string());
    if (const std::string refusal = StartFileRefusal(startFile); !refusal.empty()) {
      std::fputs(UsageErrorLine(programName, refusal).c_str(), stderr);
      return kExitUsage;
    }
    // A running Ventrix takes only what it can open: a file it would refuse
    // is refused here, where the exit status can say so.
    if (IsInstanceListening()) {
      if (const std::string problem = OutsideFileProblem(startFile); !problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), problem.c_str());
        return 1;
      }
    }
    switch (HandFileToRunningInstance(startFile, kHandOverTimeoutMs, &argError)) {
      case HandOver::kDone:
        return 0;
      case HandOver::kFailed:
        std::fprintf(stderr, "%s: %s not handed over: %s\n", programName.c_str(), startFile.c_str(), argError.c_str());
        return 1;
      case HandOver::kNoInstance:
        break;
    }
  }

  TerminationSignals termination;
  QProcess sim;
  if (cl.demo) {
    QString error;
    if (!StartDemoUnit(sim, error)) {
      std::fprintf(stderr, "ventrix: --demo: %s\n", error.toLocal8Bit().constData());
      return 1;
    }
  }

  int result = 0;
  try {
    TFormHlav form(std::make_unique<CPosixSerialPort>(), args);
    app.SetErrorLog(form.Paths().errorLogFile);
    app.SetErrorShown([&form](const QString& message) { form.ShowErrorInStatusBar(message); });
    // A termination signal closes the window the way its close button does:
    // the port is released and whatever closing saves is saved.
    QObject::connect(&termination, &TerminationSignals::Received, &form, [&form, &app](int) {
      form.close();
      app.quit();
    });
    auto* openRequests = new COpenRequests(form);  // the window owns it
    if (!openRequests->Listen())
      qWarning("single-instance channel unavailable: %s", openRequests->Listener().LastError().c_str());
    form.show();
    if (!startFile.empty()) openRequests->Open(QFile::decodeName(QByteArray::fromStdString(startFile)));
    result = app.exec();
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "Ventrix", QString::fromLocal8Bit(e.what()));
    result = 1;
  }
  if (sim.state() != QProcess::NotRunning) {
    sim.terminate();
    if (!sim.waitForFinished(2000)) sim.kill();
  }
  return result;
}
