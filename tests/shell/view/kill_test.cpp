// A tune must survive the program dying at any moment. The real ventrix is
// killed with SIGKILL at random moments of its close, while it writes its
// settings and image state; a forked writer running the code behind Save
// and the close (the .ign writer, the settings writer, the atomic file) in a
// loop is killed at random moments of its writes. After every kill each
// file is one complete version, old or new, and the program starts from it.
//
// Save itself has no trigger from outside the window, so the .ign file is
// written by the forked writer with the same functions Save calls.

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <csignal>
#include <map>
#include <random>
#include <thread>

#include "files/AtomicFile.h"
#include "files/ConfigFile.h"
#include "files/Paths.h"
#include "files/Settings.h"
#include "image/ConfigImage.h"
#include "image/Normalise.h"
#include "support/FileBytes.h"
#include "support/ForkedProcess.h"
#include "support/ProgramEnvironment.h"
#include "support/Pty.h"

namespace {

using testsupport::ReadAll;

constexpr int kRounds = 100;
constexpr unsigned kSeed = 19;  // kill moments are random, but a failing round can be run again
// Restated on purpose: where the note lies in the image.
constexpr std::size_t kNote = 2730;

// Complete versions a file may hold, each with the tune it belongs to.
using Versions = std::map<QByteArray, char>;

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); }

// A byte index and a value that normalising takes back into its limits: an
// image holding it is rewritten when the program closes.
std::pair<std::size_t, std::uint8_t> OutOfLimits(const ConfigImage& image) {
  for (std::size_t i = 0; i < kImageSize; ++i)
    for (int v : {255, 0, 254, 1}) {
      ConfigImage tried = image;
      tried[i] = std::uint8_t(v);
      NormaliseImage(tried);
      if (tried[i] != v) return {i, std::uint8_t(v)};
    }
  return {kImageSize, 0};
}

}  // namespace

class KillTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_home;
  AppPaths m_paths;
  std::string m_ign;
  std::mt19937 m_random{kSeed};

  // The two tunes the files alternate between: A on COM3, B on COM7.
  struct Tune {
    char name;
    SettingsState settings;
    QByteArray ign, state;
  };
  Tune m_tunes[2];
  ConfigFileIdentity m_identity;
  Versions m_ignVersions, m_settingsVersions, m_stateVersions;
  // What the program writes when it closes normally, by the tune it started with.
  std::map<char, QByteArray> m_closedSettings, m_closedState;
  int m_closeMs = 0, m_writeMs = 0;

  QString Settings() const { return QString::fromStdString(m_paths.settingsFile); }
  QString State() const { return QString::fromStdString(m_paths.imageStateFile); }

  // The port the settings file names, as the program reads it.
  int ComOfSettings() const {
    SettingsState s;
    LoadSettings(m_paths, {}, s);
    return s.portIndex + 1;
  }

  // Starts the program on its files and waits until it talks on the port
  // its settings name (it is up, and started from them); then SIGTERM and,
  // `killAfterMs` later, SIGKILL (negative: it may close in peace).
  // Returns the milliseconds from SIGTERM to its end.
  qint64 RunAndEnd(int killAfterMs, const QString& what) {
    const int com = ComOfSettings();
    testsupport::Pty cable;
    if (!cable.Ok()) return -1;
    QProcess ventrix;
    ventrix.setProcessEnvironment(
        testsupport::ProgramEnvironment(m_home.path(), com, QString::fromStdString(cable.SlavePath())));
    ventrix.start(VENTRIX_EXE);
    if (!ventrix.waitForStarted(5000)) return -1;
    QDeadlineTimer deadline(20000);
    while (cable.Receive(1, std::chrono::milliseconds(20)).empty()) {
      if (deadline.hasExpired() || ventrix.state() == QProcess::NotRunning) {
        ventrix.kill();
        ventrix.waitForFinished(5000);
        qWarning("%s: nothing on COM%d (exit %d): %s", qPrintable(what), com, ventrix.exitCode(),
                 ventrix.readAllStandardError().constData());
        return -1;
      }
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    QElapsedTimer closing;
    closing.start();
    ::kill(pid_t(ventrix.processId()), SIGTERM);
    if (killAfterMs >= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(killAfterMs));
      ::kill(pid_t(ventrix.processId()), SIGKILL);
    }
    if (!ventrix.waitForFinished(10000)) return -1;
    return closing.elapsed();
  }

  // What SaveSettings makes of the settings file `before` with `state`.
  QByteArray SettingsWrittenOver(const QByteArray& before, const SettingsState& state) const {
    QTemporaryDir scratch;
    const AppPaths paths = MakeAppPaths(scratch.filePath("c").toStdString(), scratch.filePath("s").toStdString(),
                                        scratch.filePath("d").toStdString());
    QDir().mkpath(QString::fromStdString(paths.configDir));
    testsupport::WriteAll(QString::fromStdString(paths.settingsFile), before);
    SaveSettings(paths, state);
    return ReadAll(QString::fromStdString(paths.settingsFile));
  }

  void Write(const Tune& tune) const {
    WriteFileAtomic(m_ign, WriteConfigFile(tune.settings.image, m_identity));
    SaveSettings(m_paths, tune.settings);
  }

  // The file's bytes must be one of `versions`; says which tune, or 0.
  static char VersionOf(const QString& path, const Versions& versions, const QString& what) {
    const QByteArray bytes = ReadAll(path);
    const auto it = versions.find(bytes);
    if (it != versions.end()) return it->second;
    qWarning("%s: %s holds %lld bytes that are no complete version", qPrintable(what), qPrintable(path),
             qlonglong(bytes.size()));
    return 0;
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_home.isValid());
    ::signal(SIGPIPE, SIG_IGN);
    m_paths = MakeAppPaths(m_home.filePath("config").toStdString(), m_home.filePath("state").toStdString(),
                           m_home.filePath("data").toStdString());
    m_ign = m_home.filePath("tunes/dyno day.ign").toStdString();
    QVERIFY(EnsureParentDirectory(m_ign));

    // A first run writes the program's own settings and image when closed.
    QVERIFY(RunAndEnd(-1, "first run") >= 0);
    SettingsState base;
    LoadSettings(m_paths, {}, base);
    QVERIFY(QFile::exists(State()));

    // Two tunes, each with a value out of limits and a window off the
    // screen (the close writes the image back normalised and the window
    // fitted, so it changes both files), and a note of its own.
    const auto [index, value] = OutOfLimits(base.image);
    QVERIFY2(index < kImageSize, "no value the limits correct");
    for (int t = 0; t < 2; ++t) {
      Tune& tune = m_tunes[t];
      tune.name = char('A' + t);
      tune.settings = base;
      tune.settings.portIndex = std::uint8_t(t == 0 ? 2 : 6);
      tune.settings.fileName = m_ign;
      tune.settings.window.left = t == 0 ? 3000 : -3000;
      tune.settings.image[index] = value;
      tune.settings.image[kNote] = std::uint8_t(tune.name);
      tune.ign = Bytes(WriteConfigFile(tune.settings.image, m_identity));
      tune.state = Bytes(ImageStateText(tune.settings.image, tune.settings.reserved));
      // The reader behind Open takes the file back whole.
      const ConfigReadResult read = ReadConfigFile(tune.ign.toStdString(), {});
      QVERIFY(read.version > 0);
      QCOMPARE(int(read.image[kNote]), int(tune.name));
      m_ignVersions[tune.ign] = tune.name;
      m_stateVersions[tune.state] = tune.name;
    }

    // How each tune ends up after a close in peace, and how long a close and
    // a pass of the writer take: the kill moments are spread over those.
    QElapsedTimer writing;
    for (const Tune& tune : m_tunes) {
      writing.start();
      Write(tune);
      m_writeMs = std::max<int>(m_writeMs, int(writing.elapsed()));
      const QByteArray written = ReadAll(Settings());
      m_settingsVersions[written] = tune.name;
      const qint64 closeMs = RunAndEnd(-1, QString("tune %1 closed").arg(tune.name));
      QVERIFY(closeMs >= 0);
      m_closeMs = std::max<int>(m_closeMs, int(closeMs));
      m_closedSettings[tune.name] = ReadAll(Settings());
      m_closedState[tune.name] = ReadAll(State());
      QVERIFY2(m_closedSettings[tune.name] != written, "the close must change the settings file");
      QVERIFY2(m_closedState[tune.name] != tune.state, "the close must change the state file");
      m_settingsVersions[m_closedSettings[tune.name]] = tune.name;
      m_stateVersions[m_closedState[tune.name]] = tune.name;
    }
    // The files as SaveSettings writes them over what the program left.
    for (const Tune& tune : m_tunes)
      for (const auto& closed : m_closedSettings)
        m_settingsVersions[SettingsWrittenOver(closed.second, tune.settings)] = tune.name;
    qInfo("close %d ms, writer pass %d ms", m_closeMs, m_writeMs);
  }

  void everyFileIsWholeAfterAKillAtAnyMoment() {
    std::map<QString, int> outcomes;
    for (int round = 0; round < kRounds; ++round) {
      const QString what = QString("round %1").arg(round);

      // The writer saves the tunes in turn until it is killed.
      {
        testsupport::ForkedProcess writer([this](const testsupport::ForkedProcess::Ready&) {
          for (int n = 0;; ++n) Write(m_tunes[n % 2]);
        });
        QVERIFY(writer.Pid() > 0);
        std::uniform_int_distribution<int> moment(0, 3 * m_writeMs + 2);
        std::this_thread::sleep_for(std::chrono::milliseconds(moment(m_random)));
        writer.Kill();
      }
      QVERIFY2(VersionOf(QString::fromStdString(m_ign), m_ignVersions, what + " writer"), "");
      QVERIFY2(VersionOf(Settings(), m_settingsVersions, what + " writer"), "");
      QVERIFY2(VersionOf(State(), m_stateVersions, what + " writer"), "");

      // The program starts from what is there and is killed while it closes.
      const QByteArray settingsBefore = ReadAll(Settings()), stateBefore = ReadAll(State());
      const char settingsTune = m_settingsVersions[settingsBefore], stateTune = m_stateVersions[stateBefore];
      std::uniform_int_distribution<int> moment(0, m_closeMs + 2);
      QVERIFY2(RunAndEnd(moment(m_random), what) >= 0, qPrintable(what + ": the program did not start"));
      const QByteArray settingsAfter = ReadAll(Settings()), stateAfter = ReadAll(State());
      QVERIFY2(settingsAfter == settingsBefore || settingsAfter == m_closedSettings[settingsTune],
               qPrintable(what + ": settings neither old nor new"));
      QVERIFY2(stateAfter == stateBefore || stateAfter == m_closedState[stateTune],
               qPrintable(what + ": image state neither old nor new"));
      ++outcomes[QString("settings %1, state %2")
                     .arg(settingsAfter == settingsBefore ? "old" : "new")
                     .arg(stateAfter == stateBefore ? "old" : "new")];
    }
    for (const auto& [outcome, count] : outcomes) qInfo("%s: %d rounds", qPrintable(outcome), count);
    int temporaries = 0;
    for (const QString& folder : {m_home.filePath("config/ventrix"), m_home.filePath("state/ventrix"),
                                  QFileInfo(QString::fromStdString(m_ign)).path()})
      temporaries += int(QDir(folder).entryList({".*.tmp*"}, QDir::Files | QDir::Hidden).size());
    qInfo("temporary files left by the kills: %d", temporaries);

    // The last kill's files start the program too.
    QVERIFY(RunAndEnd(-1, "after the last round") >= 0);
  }
};

QTEST_GUILESS_MAIN(KillTest)
#include "kill_test.moc"
