#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/AppCore.h"
#include "link/PosixSerialPort.h"
#include "shell/view/TFormHlav.h"

namespace {

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
  sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  app.setApplicationName("ventrix");

  // Our own options are taken out; what remains is the program's command
  // line, whose first word may select the language.
  bool demo = false;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--demo")
      demo = true;
    else
      args.push_back(arg);
  }

  QProcess sim;
  if (demo) {
    QString error;
    if (!StartDemoUnit(sim, error)) {
      std::fprintf(stderr, "ventrix: --demo: %s\n", error.toLocal8Bit().constData());
      return 1;
    }
  }

  int result = 0;
  try {
    TFormHlav form(std::make_unique<CPosixSerialPort>(), args);
    form.show();
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
