// The real ventrix program carries its state from one run to the next: what
// a run ends with (SIGTERM, like the close button) is what the next one
// starts with, seen from outside by the port it talks on and by what it
// writes back when it is closed again.

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "image/ConfigImage.h"
#include "image/Normalise.h"
#include "support/FileBytes.h"
#include "support/Pty.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

// Restated on purpose: the files' names and the image state layout.
constexpr const char* kSettings = "config/ventrix/Ventrix_2007_v83.ini";
constexpr const char* kStateName = "_Ventrix_2007_v83.ini";  // below $XDG_STATE_HOME/ventrix
constexpr int kStateNumbers = 2864;                          // the image's 2850 bytes and 14 reserved ones
constexpr int kFirstAdvance = 600, kNote = 2730, kFirstReserved = 2850;

// Sets `key` on its line of a settings text, or adds the line at the end of
// the first section (the original's), ahead of the sections of our own.
void SetKey(QByteArray& ini, const QByteArray& key, const QByteArray& value) {
  const QRegularExpression line("^" + QRegularExpression::escape(QString::fromUtf8(key)) + "=[^\r\n]*",
                                QRegularExpression::MultilineOption);
  const QString text = QString::fromUtf8(ini);
  const QRegularExpressionMatch m = line.match(text);
  if (m.hasMatch()) {
    ini = (text.left(m.capturedStart()) + key + "=" + value + text.mid(m.capturedEnd())).toUtf8();
  } else {
    if (!ini.endsWith("\r\n")) ini += "\r\n";
    const qsizetype next = ini.indexOf("\r\n[", ini.indexOf('['));
    ini.insert(next < 0 ? ini.size() : next + 2, key + "=" + value + "\r\n");
  }
}

// The numbers of an image state text with the place each takes.
struct StateNumbers {
  QList<int> values;
  QList<std::pair<qsizetype, qsizetype>> places;  // start, length
  explicit StateNumbers(const QByteArray& text) {
    static const QRegularExpression number("\\d+");
    for (auto it = number.globalMatch(QString::fromLatin1(text)); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      values << m.captured().toInt();
      places.append({m.capturedStart(), m.capturedLength()});
    }
  }
};

// Puts `value` in the place of number `index`, right-aligned in its
// five-column field as the program writes it.
void SetNumber(QByteArray& text, const StateNumbers& numbers, int index, int value) {
  const auto [start, length] = numbers.places[index];
  const qsizetype fieldStart = start + length - 5;
  text.replace(fieldStart, 5, QByteArray::number(value).rightJustified(5, ' '));
}

}  // namespace

class RestartTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_home;

  QString Settings() const { return m_home.filePath(kSettings); }
  QString State(const QString& stateHome = {}) const {
    return (stateHome.isEmpty() ? m_home.filePath("state") : stateHome) + "/ventrix/" + kStateName;
  }

  // Own XDG folders, a screen that holds the window at its design size, and
  // only COM `com` leading to `device`: the other ports lead nowhere.
  QProcessEnvironment Environment(int com, const std::string& device, const QString& stateHome) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "VENTRIX_UNITSIM"}) env.remove(name);
    const QString screen = QFileInfo(__FILE__).dir().filePath("../../support/offscreen_screen.json");
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + QDir::cleanPath(screen));
    for (const char* sub : {"config", "state", "data", "run"}) QDir(m_home.path()).mkpath(sub);
    env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
    env.insert("XDG_STATE_HOME", stateHome);
    env.insert("XDG_DATA_HOME", m_home.filePath("data"));
    env.insert("XDG_RUNTIME_DIR", m_home.filePath("run"));
    for (int n = 1; n <= 21; ++n)
      env.insert(QString("VENTRIX_COM%1").arg(n),
                 n == com ? QString::fromStdString(device) : m_home.filePath("no-such-port"));
    return env;
  }

  // Starts the program, waits until it talks on `com` (it is up, and that
  // is the port it chose), asserts it has written nothing yet, and ends it
  // with SIGTERM; what it said on stderr goes to `err`.
  void RunUntilItTalksOn(int com, bool expectFilesBefore, QByteArray& err, QString stateHome = {}) {
    testsupport::Pty cable;
    QVERIFY(cable.Ok());
    QProcess ventrix;
    if (stateHome.isEmpty()) stateHome = m_home.filePath("state");
    ventrix.setProcessEnvironment(Environment(com, cable.SlavePath(), stateHome));
    ventrix.start(VENTRIX_EXE);
    QVERIFY(ventrix.waitForStarted(5000));
    std::size_t heard = 0;
    QTRY_VERIFY2_WITH_TIMEOUT((heard += cable.Receive(1, std::chrono::milliseconds(50)).size()) > 0,
                              qPrintable(QString("nothing on COM%1: %2").arg(com).arg(ventrix.readAllStandardError())),
                              15000);
    QCOMPARE(QFile::exists(Settings()), expectFilesBefore);
    QCOMPARE(QFile::exists(State(stateHome)), expectFilesBefore);

    ::kill(pid_t(ventrix.processId()), SIGTERM);
    QVERIFY(ventrix.waitForFinished(10000));
    QCOMPARE(ventrix.exitStatus(), QProcess::NormalExit);
    QCOMPARE(ventrix.exitCode(), 0);
    err = ventrix.readAllStandardError();
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_home.isValid());
    ::signal(SIGPIPE, SIG_IGN);
  }

  void restartRestoresWhatTheLastRunEndedWith() {
    // A first start on COM1: it writes nothing until it is closed.
    QByteArray err;
    RunUntilItTalksOn(1, false, err);
    if (QTest::currentTestFailed()) return;
    QVERIFY2(!err.contains("ventrix:"), err.constData());  // a failed save would say so
    QByteArray ini = ReadAll(Settings());
    QByteArray state = ReadAll(State());
    QVERIFY2(ini.contains("ComPort=1\r\n"), ini.constData());
    const StateNumbers numbers(state);
    QCOMPARE(numbers.values.size(), kStateNumbers);

    // The next run is to start on the Injection page with map B, on COM5,
    // in German, with three recent files and a changed image.
    SetKey(ini, "PageControl1->ActivePageIndex", "6");
    SetKey(ini, "ComPort", "5");
    SetKey(ini, "Language", "1");
    const QByteArray recent[] = {"/home/rider/tunes/R&D tune.ign", "/home/rider/tunes/track day.ign",
                                 "/media/stick/BASE.IGN"};
    SetKey(ini, "File", recent[0]);
    for (int i = 0; i < 3; ++i) SetKey(ini, "MenuHistory0" + QByteArray::number(i), recent[i]);

    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = std::uint8_t(numbers.values[int(i)]);
    int advance = -1;  // a first advance value the limits keep
    for (int v : {10, 20, 30, 5, 15}) {
      ConfigImage tried = image;
      tried[kFirstAdvance] = std::uint8_t(v);
      NormaliseImage(tried);
      if (v != image[kFirstAdvance] && tried[kFirstAdvance] == v) {
        advance = v;
        break;
      }
    }
    QVERIFY(advance >= 0);
    SetNumber(state, numbers, kFirstAdvance, advance);
    const QByteArray note(
        "Hi\0\xe8"
        "2",
        5);  // any bytes, lines ended by NUL
    for (int i = 0; i < note.size(); ++i) SetNumber(state, numbers, kNote + i, std::uint8_t(note[i]));
    SetNumber(state, numbers, kFirstReserved + 3, 77);  // kept though unused
    QVERIFY(WriteAll(Settings(), ini));
    QVERIFY(WriteAll(State(), state));

    // Only COM5 leads to a device now: talking on it is the port restored.
    RunUntilItTalksOn(5, true, err);
    if (QTest::currentTestFailed()) return;
    QVERIFY2(!err.contains("ventrix:"), err.constData());
    // Closed again, it writes back exactly what it started with: page and
    // map, port, language, file, recent list, window, image and reserved bytes.
    QCOMPARE(ReadAll(Settings()), ini);
    QCOMPARE(ReadAll(State()), state);
  }

  // No dialog at close: a state file that cannot be written is said on
  // stderr, and the settings are written all the same.
  void aStateFileThatCannotBeWrittenIsSaidOnStderr() {
    QVERIFY(QFile::remove(Settings()) || !QFile::exists(Settings()));
    const QString notAFolder = m_home.filePath("state-is-a-file");
    QVERIFY(WriteAll(notAFolder, "a regular file\n"));
    QByteArray err;
    RunUntilItTalksOn(1, false, err, notAFolder);
    if (QTest::currentTestFailed()) return;
    QVERIFY2(err.contains("ventrix: " + notAFolder.toUtf8()), err.constData());
    QVERIFY(ReadAll(Settings()).startsWith("[BASIC]\r\n"));
    QCOMPARE(ReadAll(notAFolder), QByteArray("a regular file\n"));
  }
};

QTEST_GUILESS_MAIN(RestartTest)
#include "restart_test.moc"
