// The Simulator window drives the simulated controller: every control is
// checked through what the program would then read over the HID path.
#include "device/device_link.h"
#include "device/hid_transport.h"
#include "device/identity.h"
#include "lang/lang.h"
#include "sim/simulator.h"
#include "ui/sim/simulator_window.h"
#include "ui/widgets/window_placement.h"
#include "../window_test_support.h"
#include "virtual_host.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>

#include <array>
#include <memory>

using namespace zmt;

namespace {

// The window over a simulator, and the program's side of the link to it, on
// the virtual clock (every HID transfer costs one virtual millisecond).
struct Bench {
    test::VirtualHost host;
    sim::Simulator simulator{[this] { return host.now; }};
    HidTransport transport{simulator.backend()};
    DeviceLink link{host, transport};
    ui::SimulatorWindow window{simulator};

    Bench() {
        simulator.backend().setTransferCost(1, [this](uint32_t ms) { host.now += ms; });
        simulator.controller().levelNoise = 0;   // exact levels to compare
    }

    sim::SimulatedController& controller() { return simulator.controller(); }
    template <class T> T* child(const char* name) { return ui::test::child<T>(window, name); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    QString label(const char* name) { return child<QLabel>(name)->text(); }
    QString status() { return child<QStatusBar>("statusBar")->currentMessage(); }

    ResultCode read(uint8_t command, uint8_t* out, std::size_t length) {
        std::size_t count = 0;
        return link.readFrame(command, 0, out, length, count);
    }
    IdentityBlock identity() {
        std::array<uint8_t, kIdentityCapacity> raw{};
        if (read(cmdIdentity, raw.data(), raw.size()) != ResultCode::Ok) return {};
        return IdentityBlock::fromBytes(raw);
    }
};

} // namespace

class SimulatorWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setLanguage("en"); }

    void titleFollowsTheLanguage() {
        Bench bench;
        QCOMPARE(bench.window.objectName(), QString("SimulatorWindow"));
        QCOMPARE(bench.window.windowTitle(), QString("Simulator"));
        setLanguage("ru");
        bench.window.retranslate();
        QCOMPARE(bench.window.windowTitle(), QString::fromUtf8("Симулятор"));
        QCOMPARE(bench.child<QPushButton>("releaseButton")->text(), QString::fromUtf8("Отпустить все"));
        // Switched while the window was hidden, before any refresh: shown in
        // the new language and laid out for its captions at once.
        setLanguage("en");
        bench.window.show();
        QCOMPARE(bench.window.windowTitle(), QString("Simulator"));
        const QPushButton* release = bench.child<QPushButton>("releaseButton");
        QCOMPARE(release->text(), QString("Release all"));
        QVERIFY(release->width() >= release->sizeHint().width());
    }

    // Beside the main window and wholly on the screen: a 1280-pixel screen
    // has no room on either side of a centred main window, so the pair is
    // centred instead. The window also has to be narrow enough for that.
    void placedBesideTheMainWindow_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QPoint>("mainAt");
        QTest::addColumn<QPoint>("otherAt");
        const QSize mainSize(696, 442);
        QTest::newRow("centred on 1280") << QRect(QPoint(292, 179), mainSize) << QRect(0, 0, 1280, 800)
                                         << QPoint(8, 179) << QPoint(712, 179);
        QTest::newRow("room on the right") << QRect(QPoint(0, 10), mainSize) << QRect(0, 0, 1280, 800)
                                           << QPoint(0, 10) << QPoint(704, 10);
        QTest::newRow("room on the left") << QRect(QPoint(584, 10), mainSize) << QRect(0, 0, 1280, 800)
                                          << QPoint(584, 10) << QPoint(16, 10);
        QTest::newRow("low and on a second screen") << QRect(QPoint(1300, 500), mainSize)
                                                    << QRect(1280, 0, 1280, 800) << QPoint(1288, 500)
                                                    << QPoint(1992, 180);
        QTest::newRow("no room at all") << QRect(QPoint(100, 0), mainSize) << QRect(0, 0, 1024, 768)
                                        << QPoint(0, 0) << QPoint(464, 0);
    }
    void placedBesideTheMainWindow() {
        QFETCH(QRect, main);
        QFETCH(QRect, screen);
        QFETCH(QPoint, mainAt);
        QFETCH(QPoint, otherAt);
        const ui::SideBySide places = ui::placeBeside(main, QSize(560, 620), screen, 8);
        QCOMPARE(places.main, mainAt);
        QCOMPARE(places.other, otherAt);
    }
    void narrowEnoughToStandBesideTheMainWindow() {
        Bench bench;
        bench.window.show();   // measured as drawn, with the style's own margins
        for (int language : {English, Russian}) {
            setLanguage(codeOf(language));
            bench.window.retranslate();
            QCoreApplication::processEvents();
            // 1280 minus the main window (696) and two window frames.
            QVERIFY2(bench.window.minimumSizeHint().width() <= 560,
                     qPrintable(QString::number(bench.window.minimumSizeHint().width())));
        }
    }

    void plugAndUnplug() {
        Bench bench;
        auto* plugged = bench.child<QCheckBox>("pluggedCheck");
        QVERIFY(plugged->isChecked());
        QCOMPARE(bench.transport.openController(), ResultCode::Ok);
        plugged->click();
        QVERIFY(!bench.controller().plugged());
        QCOMPARE(bench.identity().serialNumber, 0u);
        QCOMPARE(bench.transport.openController(), ResultCode::Disconnected);
        plugged->click();
        QCOMPARE(bench.identity().serialNumber, 1001u);
        QVERIFY(bench.label("summaryLabel").startsWith("on USB"));
    }

    void serialAndBootMode() {
        Bench bench;
        auto* serial = bench.child<QLineEdit>("serialEdit");
        serial->clear();
        QTest::keyClicks(serial, "4294967295");
        bench.click("serialButton");
        QCOMPARE(bench.identity().serialNumber, 4294967295u);

        // One past the largest serial is refused and changes nothing.
        serial->setFocus();
        serial->clear();
        QTest::keyClicks(serial, "4294967296");
        QTest::keyClick(serial, Qt::Key_Return);
        QCOMPARE(bench.controller().state.serialNumber, 4294967295u);
        QVERIFY(bench.status().contains("4294967295"));
        // Reading the controller back leaves a number being typed alone, but
        // shows a serial changed elsewhere (a state file, a test).
        bench.window.refresh();
        QCOMPARE(serial->text(), QString("4294967296"));
        bench.controller().state.serialNumber = 42;
        bench.window.refresh();
        QCOMPARE(serial->text(), QString("42"));

        bench.child<QCheckBox>("bootModeCheck")->click();
        const IdentityBlock boot = bench.identity();
        QCOMPARE(boot.controllerName, std::string(kBootLoaderName));
        QCOMPARE(boot.applicationVersion, uint16_t{0});
        QVERIFY(bench.label("summaryLabel").contains("boot loader"));
    }

    void heldButtonsAndRelease() {
        Bench bench;
        bench.child<QSlider>("levelSlider0")->setValue(0);
        bench.child<QSlider>("levelSlider2")->setValue(128);
        std::array<uint8_t, 4> levels{};
        QCOMPARE(bench.read(cmdKeyLevels, levels.data(), 4), ResultCode::Ok);
        QCOMPARE(levels, (std::array<uint8_t, 4>{0, sim::kIdleKeyLevel, 128, sim::kIdleKeyLevel}));
        bench.click("releaseButton");
        QCOMPARE(bench.read(cmdKeyLevels, levels.data(), 4), ResultCode::Ok);
        QCOMPARE(levels, (std::array<uint8_t, 4>{sim::kIdleKeyLevel, sim::kIdleKeyLevel, sim::kIdleKeyLevel, sim::kIdleKeyLevel}));
        // Levels the program cannot see change: the sliders follow them.
        bench.controller().state.keyLevels[3] = 7;
        bench.window.refresh();
        QCOMPARE(bench.child<QSlider>("levelSlider3")->value(), 7);
        QCOMPARE(bench.controller().state.keyLevels[3], uint8_t{7});
    }

    // "Press": the chosen channel reads the level for five readings from
    // the next one on, steady, then rests again.
    void pressAndRelease() {
        Bench bench;
        bench.child<QComboBox>("pressChannel")->setCurrentIndex(1);
        bench.child<QSpinBox>("pressLevel")->setValue(90);
        bench.click("pressButton");
        std::vector<uint8_t> channel2;
        for (int i = 0; i < 7; ++i) {
            std::array<uint8_t, 4> levels{};
            QCOMPARE(bench.read(cmdKeyLevels, levels.data(), 4), ResultCode::Ok);
            QCOMPARE(levels[0], sim::kIdleKeyLevel);
            channel2.push_back(levels[1]);
        }
        const uint8_t rest = sim::kIdleKeyLevel;
        QCOMPARE(channel2, (std::vector<uint8_t>{90, 90, 90, 90, 90, rest, rest}));
        QVERIFY(bench.controller().state.presses.empty());
    }

    void infraredCode() {
        Bench bench;
        bench.child<QSpinBox>("irProtocol")->setValue(1);
        bench.child<QSpinBox>("irAddress")->setValue(0xA1B2);
        bench.child<QSpinBox>("irCommand")->setValue(0x45);
        std::array<uint8_t, 4> code{};
        QCOMPARE(bench.read(cmdIrCode, code.data(), 4), ResultCode::Ok);
        QCOMPARE(code, (std::array<uint8_t, 4>{}));   // nothing received until the button
        bench.click("irReceiveButton");
        QCOMPARE(bench.read(cmdIrCode, code.data(), 4), ResultCode::Ok);
        QCOMPARE(code, (std::array<uint8_t, 4>{0x45, 0xB2, 0xA1, 0x01}));
        QCOMPARE(bench.label("irCurrent"), QString("Last: 45 B2 A1 01"));
    }

    void deviceLogRecords() {
        Bench bench;
        bench.child<QSpinBox>("logType")->setValue(0x7F);
        QTest::keyClicks(bench.child<QLineEdit>("logBytes"), "0a 0B");
        bench.click("logQueueButton");
        QCOMPARE(bench.label("logQueued"), QString("Queued: 1"));

        // Bad bytes are refused with a message and queue nothing.
        for (const char* bad : {"0A 0", "0A,0B", "GG", "100"}) {
            bench.child<QLineEdit>("logBytes")->setText(bad);
            bench.click("logQueueButton");
            QCOMPARE(bench.controller().state.log.size(), std::size_t{1});
            QVERIFY2(bench.status().startsWith("Record bytes"), bad);
        }
        QString full;
        for (int i = 0; i < 33; ++i) full += "01 ";
        bench.child<QLineEdit>("logBytes")->setText(full);
        bench.click("logQueueButton");
        QCOMPARE(bench.controller().state.log.size(), std::size_t{1});
        bench.child<QLineEdit>("logBytes")->setText(full.left(32 * 3));
        bench.click("logQueueButton");
        QCOMPARE(bench.controller().state.log.size(), std::size_t{2});

        std::array<uint8_t, 34> record{};
        QCOMPARE(bench.read(cmdDeviceLog, record.data(), record.size()), ResultCode::Ok);
        QCOMPARE(record[0], uint8_t{0x7F});
        QCOMPARE(record[1], uint8_t{2});
        QCOMPARE(record[2], uint8_t{0x0A});
        QCOMPARE(record[3], uint8_t{0x0B});
        bench.window.refresh();
        QCOMPARE(bench.label("logQueued"), QString("Queued: 1"));
    }

    void calibrationSteps() {
        Bench bench;
        auto* press = bench.child<QPushButton>("touchPressButton");
        QVERIFY(!press->isEnabled());
        const uint8_t start = 1;
        QCOMPARE(bench.link.writeFrame(cmdTouchMemory, 0, &start, 1), ResultCode::Ok);
        bench.window.refresh();
        QCOMPARE(bench.label("calibrationStep"), QString("Waiting for corner 1"));
        QVERIFY(press->isEnabled());
        for (uint8_t corner = 1; corner <= 3; ++corner) {
            QCOMPARE(bench.controller().calibrationStep(), corner);
            bench.click("touchPressButton");
            QCOMPARE(bench.controller().calibrationStep(), uint8_t(corner | 0x80));
            QCOMPARE(bench.label("calibrationStep"), QString("Corner %1 pressed").arg(corner));
            bench.click("touchReleaseButton");
        }
        QCOMPARE(bench.controller().calibrationStep(), uint8_t{0});
        QCOMPARE(bench.label("calibrationStep"), QString("No calibration running"));
        QVERIFY(!press->isEnabled());

        // Without release reports a press moves straight on; a give-up ends
        // the run the way the controller's time-out does.
        bench.child<QCheckBox>("releaseBitsCheck")->click();
        QCOMPARE(bench.link.writeFrame(cmdTouchMemory, 0, &start, 1), ResultCode::Ok);
        bench.window.refresh();
        bench.click("touchPressButton");
        QCOMPARE(bench.controller().calibrationStep(), uint8_t{2});
        bench.click("touchGiveUpButton");
        QCOMPARE(bench.controller().calibrationStep(), uint8_t{4});
        bench.host.advance(1000);
        std::array<uint8_t, 2> touch{};
        QCOMPARE(bench.read(cmdTouchMemory, touch.data(), 2), ResultCode::Ok);
        QCOMPARE(touch[1], uint8_t{0});
    }

    void refusalsAndCheckByte() {
        Bench bench;
        const uint8_t byte = 2;
        auto* refusal = bench.child<QComboBox>("refusalCombo");
        refusal->setCurrentIndex(1);
        QCOMPARE(bench.link.writeFrame(cmdConfigMemory, 967, &byte, 1), ResultCode::BadParameters);
        refusal->setCurrentIndex(2);
        QCOMPARE(bench.link.writeFrame(cmdConfigMemory, 967, &byte, 1), ResultCode::BadResult);
        refusal->setCurrentIndex(0);
        QCOMPARE(bench.link.writeFrame(cmdConfigMemory, 967, &byte, 1), ResultCode::Ok);

        bench.child<QCheckBox>("corruptCheck")->click();
        QCOMPARE(bench.link.writeFrame(cmdConfigMemory, 967, &byte, 1), ResultCode::Exchange);
        bench.click("clearFaultsButton");
        QVERIFY(!bench.child<QCheckBox>("corruptCheck")->isChecked());
        QCOMPARE(bench.link.writeFrame(cmdConfigMemory, 967, &byte, 1), ResultCode::Ok);
        QCOMPARE(bench.controller().state.config[967], uint8_t{2});
    }

    void slowAndSilentController() {
        Bench bench;
        std::array<uint8_t, 4> levels{};
        bench.child<QSpinBox>("replyDelay")->setValue(500);
        const uint32_t before = bench.host.now;
        QCOMPARE(bench.read(cmdKeyLevels, levels.data(), 4), ResultCode::Ok);
        QVERIFY(bench.host.now - before >= 500);
        bench.child<QSpinBox>("replyDelay")->setValue(0);

        bench.child<QCheckBox>("noReplyCheck")->click();
        QCOMPARE(bench.read(cmdKeyLevels, levels.data(), 4), ResultCode::Timeout);
        bench.child<QCheckBox>("noReplyCheck")->click();
        QCOMPARE(bench.read(cmdKeyLevels, levels.data(), 4), ResultCode::Ok);
    }

    void unplugAfterFrames() {
        Bench bench;
        bench.child<QSpinBox>("unplugAfter")->setValue(2);
        bench.click("unplugAfterButton");
        QCOMPARE(bench.label("unplugPending"), QString("Unplugs in 2 frames"));
        // The count reads right in each language's plural forms.
        {
            const struct {
                const char* language;
                int frames;
                const char* shown;
            } counts[] = {{"en", 1, "Unplugs in 1 frame"},        {"ru", 1, "Отключение через 1 кадр"},
                          {"ru", 3, "Отключение через 3 кадра"},  {"ru", 5, "Отключение через 5 кадров"},
                          {"ru", 11, "Отключение через 11 кадров"}, {"ru", 21, "Отключение через 21 кадр"}};
            for (const auto& count : counts) {
                setLanguage(count.language);
                bench.child<QSpinBox>("unplugAfter")->setValue(count.frames);
                bench.click("unplugAfterButton");
                QCOMPARE(bench.label("unplugPending"), QString::fromUtf8(count.shown));
            }
            setLanguage("en");
            bench.child<QSpinBox>("unplugAfter")->setValue(2);
            bench.click("unplugAfterButton");
        }
        std::array<uint8_t, 4> levels{};
        QCOMPARE(bench.read(cmdKeyLevels, levels.data(), 4), ResultCode::Ok);
        QVERIFY(bench.read(cmdKeyLevels, levels.data(), 4) != ResultCode::Ok);
        bench.window.refresh();
        QVERIFY(!bench.child<QCheckBox>("pluggedCheck")->isChecked());
        QVERIFY(bench.label("unplugPending").isEmpty());
        bench.child<QCheckBox>("pluggedCheck")->click();
        QCOMPARE(bench.read(cmdKeyLevels, levels.data(), 4), ResultCode::Ok);
    }

    void trafficLine() {
        Bench bench;
        QCOMPARE(bench.label("trafficLabel"), QString("No request yet"));
        const uint8_t byte = 2;
        QCOMPARE(bench.link.writeFrame(cmdConfigMemory, 967, &byte, 1), ResultCode::Ok);
        bench.window.refresh();
        QCOMPARE(bench.label("trafficLabel"), QString("Received (1): CMD:90 OFFSET:0967 LEN:01 [ 02 ]"));
        bench.window.adjustSize();
        const QSize shortLine = bench.window.size();
        std::array<uint8_t, 64> block{};
        QCOMPARE(bench.link.writeFrame(cmdConfigMemory, 0, block.data(), block.size()), ResultCode::Ok);
        bench.window.refresh();
        QVERIFY(bench.label("trafficLabel").startsWith("Received (2): CMD:90 OFFSET:0000 LEN:64 [ 00"));
        QVERIFY(bench.label("trafficLabel").endsWith(" ... ]"));
        // A long line neither widens the window nor wraps (which would push
        // the groups above it around); its hint holds it whole.
        bench.window.adjustSize();
        QCOMPARE(bench.window.size(), shortLine);
        QCOMPARE(bench.child<QLabel>("trafficLabel")->toolTip(), bench.label("trafficLabel"));
    }
};

QTEST_MAIN(SimulatorWindowTest)
#include "simulator_window_test.moc"
