// The transfer gauge and status text follow the progress rules of the host.
#include "../window_test_support.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

using namespace zmt;
using namespace zmt::ui;

namespace {
QProgressBar* gauge(MainWindow& window) { return window.findChild<QProgressBar*>("CGaugeProgressProcent"); }
QWidget* panelMenu(MainWindow& window) { return window.findChild<QWidget*>("PanelMenu"); }
} // namespace

class ProgressTest : public QObject {
    Q_OBJECT

private slots:
    void aStepBeforeAnyTransferChangesNothing() {
        MainWindow window;
        test::useVirtualClock(window);
        window.setStatusText("Подключено");
        window.host().progressStep(4);
        QVERIFY(gauge(window)->isHidden());
        QCOMPARE(window.statusText(), QStringLiteral("Подключено"));
    }

    void startShowsCaptionAndAnEmptyGaugeAcrossTheToolbar() {
        MainWindow window;
        test::useVirtualClock(window);
        window.host().progressStart(989, "Читаю конфигурацию из устройства");
        QCOMPARE(window.statusText(), QStringLiteral("Читаю конфигурацию из устройства"));
        QVERIFY(!gauge(window)->isHidden());
        QCOMPARE(gauge(window)->value(), 0);
        QCOMPARE(gauge(window)->maximum(), 989);
        // The notice panel reaches to 5 pixels short of the toolbar's end and the gauge fills it.
        QCOMPARE(panelMenu(window)->width(), 696 - panelMenu(window)->x() - 5);
        QCOMPARE(gauge(window)->geometry(), QRect(QPoint(0, 0), panelMenu(window)->size()));
        for (int done = 0; done < 989; done += 64) window.host().progressStep(std::min(64, 989 - done));
        QCOMPARE(gauge(window)->value(), 989);
        QCOMPARE(gauge(window)->text(), QStringLiteral("100%"));
        window.host().progressHide();
        QVERIFY(gauge(window)->isHidden());
        QCOMPARE(window.statusText(), QStringLiteral("Читаю конфигурацию из устройства"));
        // Short reads after a finished transfer leave everything alone.
        window.setStatusText("Подключено");
        window.host().progressStep(4);
        QVERIFY(gauge(window)->isHidden());
        QCOMPARE(window.statusText(), QStringLiteral("Подключено"));
    }

    void overshootStaysAtOneHundredPercent() {
        MainWindow window;
        test::useVirtualClock(window);
        window.host().progressStart(1000, "Обновление программного обеспечения");
        for (int sent = 0; sent < 1064; sent += 64) window.host().progressStep(64);
        QCOMPARE(gauge(window)->value(), 1000);
        QCOMPARE(gauge(window)->maximum(), 1000);
        QCOMPARE(gauge(window)->text(), QStringLiteral("100%"));
    }

    void aHiddenGaugeComesBackOnlyWhileItsTransferRuns() {
        MainWindow window;
        test::useVirtualClock(window);
        window.host().progressStart(989, "Читаю конфигурацию из устройства");
        window.host().progressStep(494);
        window.host().progressHide();  // the transfer failed half-way; the poll hid the gauge
        window.setStatusText("Устройство отключено");
        window.host().progressStep(1);  // the next automatic write of one byte
        QVERIFY(!gauge(window)->isHidden());
        QCOMPARE(gauge(window)->value(), 495);
        QCOMPARE(window.statusText(), QStringLiteral("Читаю конфигурацию из устройства"));

        // Once that transfer has ended (it broke off), its gauge and caption
        // go at once, and nothing brings them back.
        window.host().progressEnd();
        QVERIFY(gauge(window)->isHidden());
        QCOMPARE(window.statusText(), QString());
        window.setStatusText("Connected");
        window.host().progressStep(4);
        QVERIFY(gauge(window)->isHidden());
        QCOMPARE(window.statusText(), QStringLiteral("Connected"));
    }
};

QTEST_MAIN(ProgressTest)
#include "progress_test.moc"
