// Numbers as the desktop's locale writes them, on a real X display: run
// under tests/support/desktop-session.sh --locale (German groups with ".",
// Czech with a no-break space, the C locale not at all). Edits and maps
// show the locale's grouping and decimal mark, and take typed numbers with
// the locale's grouping and without any; the clipboard keeps its own form.

#include <QLineEdit>
#include <QLocale>
#include <QtTest>

#include "image/Pages.h"
#include "image/view/TUpDown.h"
#include "sheet/Clipboard.h"
#include "sheet/ValueText.h"
#include "sheet/view/TTab.h"
#include "support/RuntimeDir.h"
#include "support/WindowUnderTest.h"

namespace {

// What QLocale itself writes for n: the reference the program must follow.
QString LocaleText(qint64 n) { return QLocale().toString(n); }

struct Form : testsupport::WindowUnderTest {
  Form() { Show(); }
  void Type(const char* name, const QString& text) {
    auto* e = window->findChild<QLineEdit*>(name);
    QVERIFY(e);
    // Under load the window manager may hand the window its focus late.
    window->activateWindow();
    e->setFocus();
    QTRY_VERIFY(e->hasFocus());
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Return);
  }
};

}  // namespace

class LocaleNumbersTest : public QObject {
  Q_OBJECT

  testsupport::RuntimeDir m_runtimeDir;

 private slots:
  void initTestCase() {
    QVERIFY(m_runtimeDir.IsValid());
    qInfo() << "locale" << QLocale().name() << "group" << QLocale().groupSeparator() << "decimal"
            << QLocale().decimalPoint() << "example" << LocaleText(14000);
  }

  // The dwell edit: typed without grouping and with the locale's, shown as
  // the locale writes it.
  void editsShowAndTakeTheLocalesNumbers() {
    Form f;
    f.pages->setCurrentIndex(kPageBike);
    auto* upDown = f.window->findChild<TUpDown*>("UpDownDwell");
    auto* edit = f.window->findChild<QLineEdit*>("EditDwell");
    QVERIFY(upDown && edit);
    f.Type("EditDwell", "3500");
    QCOMPARE(upDown->Value().Position(), 3500);
    QCOMPARE(edit->text(), LocaleText(3500));
    f.Type("EditDwell", LocaleText(4200));
    QCOMPARE(upDown->Value().Position(), 4200);
    QCOMPARE(edit->text(), LocaleText(4200));
  }

  // The advance map's speed points: shown grouped as the edits are, typed
  // either way; the cell editor starts without grouping.
  void mapsShowAndTakeTheLocalesNumbers() {
    Form f;
    f.pages->setCurrentIndex(kPageAdvance);
    auto* map = f.pages->widget(kPageAdvance)->findChild<TTab*>();
    QVERIFY(map);
    CTabModel& model = map->Model();
    CSheet& s = *model.Active();
    const SheetEntry last{s.xAxis.count - 1, -1};
    const double scale = s.xAxis.scale;
    QCOMPARE(scale, 100.0);
    const auto rpm = [&] { return qint64(s.ValueOf(last) * scale); };
    QVERIFY(rpm() >= 1000);
    QVERIFY(QString::fromStdString(s.EntryText(last)).startsWith(LocaleText(rpm())));
    QCOMPARE(QString::fromStdString(s.EntryEditText(last)), QString::number(rpm()));

    const qint64 grouped = rpm() + 100, plain = rpm() + 200;
    QVERIFY(model.CommitEntryText(last, LocaleText(grouped).toStdString()));
    QCOMPARE(rpm(), grouped);
    QVERIFY(model.CommitEntryText(last, QString::number(plain).toStdString()));
    QCOMPARE(rpm(), plain);

    // The clipboard writes spaces and a point for other programs and copies.
    QVERIFY(PlainSheetText(s).find(FormatShownValue(s.ValueOf(last), scale, 1.0, NumberFormat{})) != std::string::npos);
  }

  // Decimals take the locale's mark, whatever LC_NUMERIC did to printf.
  void decimalsTakeTheLocalesMark() {
    Form f;  // the window installs the desktop's number format
    QCOMPARE(QString::fromStdString(FormatShownValue(12345, 0.1)), QLocale().toString(1234.5, 'f', 1));
    QCOMPARE(QString::fromStdString(FormatShownValue(-25, 0.1)), QLocale().toString(-2.5, 'f', 1));
    std::int32_t raw = 0;
    QVERIFY(ParseShownValue(QLocale().toString(1234.5, 'f', 1).toStdString(), 0.1, raw));
    QCOMPARE(raw, 12345);
    QVERIFY(ParseShownValue("2,5", 0.1, raw));  // a comma is a decimal mark where it cannot group
    QCOMPARE(raw, 25);
  }
};

QTEST_MAIN(LocaleNumbersTest)
#include "locale_numbers_test.moc"
