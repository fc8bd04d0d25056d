// The Com menu shows the device behind each COM number, as the port reports
// it when the menu opens, and keeps "Com n" as the caption.

#include <QAction>
#include <QMenu>
#include <QtTest>
#include <map>

#include "base/Lang.h"
#include "shell/view/TFormHlav.h"
#include "support/FakePort.h"

namespace {

class DescribedPort : public FakePort {
 public:
  std::map<int, std::string> details;
  std::string MenuDetail(int com) const override {
    const auto it = details.find(com);
    return it == details.end() ? std::string() : it->second;
  }
};

}  // namespace

class PortMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void devicesFollowTheComNumbersAndAreAskedForWhenTheMenuOpens() {
    QTemporaryDir runtimeDir;  // the window listens for port-release requests there
    QVERIFY(runtimeDir.isValid());
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toUtf8());
    auto owned = std::make_unique<DescribedPort>();
    DescribedPort& port = *owned;
    port.details = {{2, "/dev/ttyUSB0 — FTDI FT232R USB UART (A50285BI)"}};
    TFormHlav form(std::move(owned));
    form.Timer1().stop();
    auto* menu = form.findChild<QMenu*>("MenuCom");
    QVERIFY(menu);
    const auto items = menu->actions();
    QCOMPARE(items.size(), 23);  // 21 ports, a separator and Link
    QCOMPARE(items[22]->objectName(), QString("MenuLink"));
    QCOMPARE(items[0]->text(), QString("Com 1"));
    QCOMPARE(items[1]->text(), QString("Com 2\t/dev/ttyUSB0 — FTDI FT232R USB UART (A50285BI)"));
    QCOMPARE(items[20]->text(), QString("Com Auto"));

    // A second adapter is plugged in and takes COM1.
    port.details = {{1, "/dev/ttyUSB0 — FTDI FT232R USB UART (A9QX4TKE)"},
                    {2, "/dev/ttyUSB1 — FTDI FT232R USB UART (A50285BI)"}};
    emit menu->aboutToShow();
    QCOMPARE(items[0]->text(), QString("Com 1\t/dev/ttyUSB0 — FTDI FT232R USB UART (A9QX4TKE)"));
    QCOMPARE(items[1]->text(), QString("Com 2\t/dev/ttyUSB1 — FTDI FT232R USB UART (A50285BI)"));

    form.MenuCzechClick();  // the language walk leaves the port items alone
    QCOMPARE(items[1]->text(), QString("Com 2\t/dev/ttyUSB1 — FTDI FT232R USB UART (A50285BI)"));
    items[0]->trigger();
    QCOMPARE(form.Core().portIndex, 0);
    QVERIFY(items[0]->isChecked());
  }
};

QTEST_MAIN(PortMenuTest)
#include "port_menu_test.moc"
