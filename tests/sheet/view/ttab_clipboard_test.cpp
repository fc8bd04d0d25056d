// The sheet control's clipboard commands through the real system clipboard.

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QtTest>

#include "sheet/Clipboard.h"
#include "sheet/Selection.h"
#include "sheet/SheetButtons.h"
#include "sheet/view/SheetClipboard.h"
#include "sheet/view/TTab.h"
#include "base/Lang.h"
#include "support/AdvanceSheet.h"

namespace {

constexpr std::uint32_t kOptions = kOptionButtonBar | kOptionTable | kOptionGraph2D | kOptionGraph3D;
constexpr const char* kMime = "application/x-ventrix-sheet";

struct Rig {
  TTab tab{kOptions};
  std::vector<std::string> errors;
  explicit Rig(int xCount = 15, int yCount = 10) {
    tab.resize(1338, 934);
    DefineAdvanceSheet(tab.Model(), xCount, yCount);
    tab.Model().SetOnError([this](std::string_view text, std::string_view) { errors.emplace_back(text); });
    tab.RepaintBitmap();
  }
  CSheet& S() { return *tab.Model().Active(); }
};

void PutText(const QString& text) {
  QApplication::clipboard()->setText(text);
  QCoreApplication::processEvents();
}

}  // namespace

class TTabClipboardTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { SetCurrentLanguage(kEnglish); }

  // "Copy table" in one control and Paste in another moves the whole map,
  // its size included, and offers a spreadsheet the plain grid.
  void copyTableMovesTheWholeMap() {
    Rig a(16, 10), b(16, 10);
    a.S().Cell(15, 9) = 42;
    b.S().xAxis.count = 15;  // the advance map as the page shows it: one point short of its limit
    QVERIFY(a.tab.ClipboardCommand(kCommandCopyTable));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data->hasFormat(kMime));
    QVERIFY(data->data(kMime).startsWith("Label:\t"));
    const QStringList lines = data->text().split('\n');
    QCOMPARE(lines.size(), 11);                                      // X points, then ten rows
    QCOMPARE(lines[0].split('\t').size(), 1 + 16);                   // empty corner, then the points
    QVERIFY(!data->text().contains(QString::fromUtf8("\xC2\xB0")));  // no units

    QVERIFY(CSheetClipboard::Instance().HasSheet());
    QVERIFY(b.tab.ClipboardCommand(kCommandPaste));
    QCOMPARE(b.S().xAxis.count, 16);
    QCOMPARE(b.S().xAxis.values, a.S().xAxis.values);
    QCOMPARE(b.S().yAxis.values, a.S().yAxis.values);
    QCOMPARE(b.S().Cell(15, 9), 42);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 16; ++x) QCOMPARE(b.S().Cell(x, y), a.S().Cell(x, y));
    QVERIFY(b.errors.empty());
  }

  // Copy with nothing selected leaves what the clipboard held.
  void copyWithoutSelectionKeepsTheClipboard() {
    Rig rig;
    PutText("keep me");
    ClearSelection(rig.S());
    QVERIFY(!rig.tab.ClipboardCommand(kCommandCopy));
    QCOMPARE(QApplication::clipboard()->text(), QString("keep me"));

    SelectOnly(rig.S(), {2, 3});
    QVERIFY(rig.tab.ClipboardCommand(kCommandCopy));
    QCOMPARE(QApplication::clipboard()->text(), QString::number(rig.S().Cell(2, 3)));
    QVERIFY(!CSheetClipboard::Instance().HasSheet());
  }

  // Spreadsheet text lands in the selection; whatever else arrives changes
  // nothing outside the target and never crashes.
  void plainPasteAndGarbage() {
    Rig rig;
    SelectOnly(rig.S(), {1, 1});
    PutText("11\t12\r\n13\t14\r\n");
    QVERIFY(!CSheetClipboard::Instance().HasSheet());
    QVERIFY(rig.tab.ClipboardCommand(kCommandPaste));
    QCOMPARE(rig.S().Cell(1, 1), 11);
    QCOMPARE(rig.S().Cell(2, 1), 12);
    QCOMPARE(rig.S().Cell(1, 2), 13);
    QCOMPARE(rig.S().Cell(2, 2), 14);

    const std::vector<std::int32_t> before = rig.S().dataAxis.values;
    SelectOnly(rig.S(), {3, 3});
    PutText(QString::fromLatin1("\x01\xff\x7f garbage \xfe"));
    rig.tab.ClipboardCommand(kCommandPaste);
    QCOMPARE(rig.S().dataAxis.values, before);

    // A private form from someone else's sheet: refused with the message,
    // nothing changed.
    auto* data = new QMimeData;
    data->setText("x");
    data->setData(
        kMime, "Label:\tX\nLabelX:\tRPM\nLabelY:\tTPS\nLabelData:\tLAMBDA\nSizeX:\t16\nSizeY:\t10\nOnlyXY:\t\n\t1\n");
    QApplication::clipboard()->setMimeData(data);
    QCoreApplication::processEvents();
    QVERIFY(CSheetClipboard::Instance().HasSheet());
    QVERIFY(!rig.tab.ClipboardCommand(kCommandPaste));
    QCOMPARE(rig.S().dataAxis.values, before);
    QCOMPARE(rig.S().xAxis.count, 15);
    QCOMPARE(rig.errors.size(), std::size_t(1));
  }

  // A disabled sheet takes no paste.
  void disabledSheetTakesNoPaste() {
    Rig rig;
    SelectOnly(rig.S(), {0, 0});
    rig.S().enabled = false;
    PutText("33");
    const std::int32_t before = rig.S().Cell(0, 0);
    QVERIFY(!rig.tab.ClipboardCommand(kCommandPaste));
    QCOMPARE(rig.S().Cell(0, 0), before);
  }

  // Copy graph: the shown graph on a white face, the 3D view from x = 140.
  void copyGraphIsAPictureOnWhite() {
    Rig rig;
    rig.tab.ViewCommand(kView3D);
    rig.tab.RepaintBitmap();
    QVERIFY(rig.tab.ClipboardCommand(kCommandCopyGraph));
    const QImage image = QApplication::clipboard()->image();
    const QRect area = rig.tab.GraphArea();
    QCOMPARE(image.width(), area.right() - 140 + 1);
    QCOMPARE(image.height(), area.height());
    QCOMPARE(QColor(image.pixel(image.width() - 2, 1)), QColor(Qt::white));
    // The control itself keeps its face colour.
    QVERIFY(QColor(rig.tab.Bitmap().pixel(2, 2)) != QColor(Qt::white));
  }
};

QTEST_MAIN(TTabClipboardTest)
#include "ttab_clipboard_test.moc"
