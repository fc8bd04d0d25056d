// An error that escapes a menu command or the tick goes to the error log,
// one line each in the user's code page, and the program goes on.

#include <QAction>
#include <QFile>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

#include "base/Lang.h"
#include "shell/view/ErrorHandling.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"
#include "support/RuntimeDir.h"

class ErrorHandlingTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() { QVERIFY(m_runtimeDir.IsValid()); }

  void menuAndTickErrorsAreLoggedAndTheTickGoesOn() {
    auto* app = static_cast<CVentrixApplication*>(qApp);
    TFormHlav window(std::make_unique<FakePort>());
    const std::string log = window.Paths().errorLogFile;
    app->SetErrorLog(log);
    app->SetErrorShown([&window](const QString& m) { window.ShowErrorInStatusBar(m); });
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    SetCurrentLanguage(kCzech);

    // A command whose handler fails, reached by its key as a user would.
    auto* failing = new QAction(&window);
    failing->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    window.addAction(failing);
    connect(failing, &QAction::triggered, [] { throw std::runtime_error("Chyba při čtení"); });
    QTest::keyClick(&window, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(window.statusBar()->currentMessage(), QString("Chyba při čtení"));

    // A tick that fails once; the ticks after it run.
    bool thrown = false;
    connect(&window.Timer1(), &QTimer::timeout, &window, [&thrown] {
      if (thrown) return;
      thrown = true;
      throw std::runtime_error("tick");
    });
    const int before = window.Core().tickCount;
    QTRY_VERIFY(thrown);
    QTRY_VERIFY(window.Core().tickCount > before + 2);

    QFile file(QString::fromStdString(log));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 3);  // two lines, each ended by CR LF
    // Windows-1250: "ř" 0xF8, "č" 0xE8, "í" 0xED.
    QVERIFY(lines[0].contains("VTXLOG1_v83: Chyba p\xF8i \xE8ten\xED>\r"));
    QVERIFY(lines[1].startsWith("<LOG TIME=") && lines[1].endsWith("VTXLOG1_v83: tick>\r"));
    SetCurrentLanguage(kEnglish);
  }
};

int main(int argc, char** argv) {
  CVentrixApplication app(argc, argv);
  ErrorHandlingTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "error_handling_test.moc"
