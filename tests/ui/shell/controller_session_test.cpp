// zmtsetup --simulator: the main window's poll drives the connection watch
// over the simulated controller, the Simulator window's controls reach the
// program through the ordinary HID path, closing shuts the controller, and
// the state file carries the controller from one run to the next.
#include "test_languages.h"
#include "device/access_help.h"
#include "device/protocol.h"
#include "sim/simulator.h"
#include "ui/log/log_view.h"
#include "ui/sim/simulator_window.h"
#include "../program_rig.h"
#include "flags_for_tests.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <optional>
#include <sstream>

using namespace zmt;
using namespace zmt::ui;

namespace {

// The program as zmtsetup --simulator builds it, not started up yet (the
// language stays the test's).
struct Rig : test::ProgramRig {
    explicit Rig(std::string stateFile = {}) : ProgramRig({.startUp = false, .stateFile = std::move(stateFile)}) {}
    void tick() {
        // Each tick after a poll first counts the frames' skip down.
        window.onPollTick();
        while (session.link().pollSkip() != 0) window.onPollTick();
    }
    template <class T> T* simulatorControl(const char* name) {
        T* control = session.simulatorWindow()->findChild<T*>(name);
        if (control == nullptr) qFatal("no control %s", name);
        return control;
    }
};

std::string readFile(const QString& path) {
    std::ifstream in(path.toStdString());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

class ControllerSessionTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setLanguage("en"); }
    void cleanup() { setLanguage("ru"); }

    void pollAnnouncesAndLosesTheController() {
        Rig program;
        QVERIFY(program.session.simulatorWindow() != nullptr);
        program.tick();
        QVERIFY(program.window.flags().deviceConnected());
        QVERIFY(program.memo().startsWith("******** Controller is connected"));
        QVERIFY(program.memo().contains("The serial number   1001"));
        QCOMPARE(program.window.statusText(), QString::fromUtf8("Сontroller \"ZEL-MORVA-TOUCH\" is connected"));
        program.tick();
        QVERIFY(program.window.statusText().endsWith("is connected."));

        // Unplugged from the Simulator window: the next poll reports it once.
        program.simulatorControl<QCheckBox>("pluggedCheck")->click();
        program.tick();
        program.tick();
        QVERIFY(!program.window.flags().deviceConnected());
        QCOMPARE(program.memo().count("Controller is disconnected"), 1);
        QCOMPARE(program.window.statusText(), QString("Controller is disconnected"));
    }

    // With nothing plugged in the sync tick rests after a few quiet seconds,
    // so an idle window wakes only for its polls; input and a controller
    // that arrives wake it, and with a controller it never rests: every edit
    // reaches the controller within a tick.
    void theSyncTickRestsOnlyWhileNothingNeedsIt() {
        test::ProgramRig program;
        program.connect();
        program.passTime(5000);
        QVERIFY(!program.window.syncTickResting());
        program.unplug();
        program.passTime(5000);
        QVERIFY(program.window.syncTickResting());

        QTest::keyClick(&program.window, Qt::Key_Shift);
        QVERIFY(!program.window.syncTickResting());
        program.record.image.touchMode = program.record.image.touchMode == 2 ? 1 : 2;   // an edit while away
        program.passTime(200);
        QVERIFY2(test::child<QToolButton>(program.window, "SpeedButtonUndox")->isEnabled(), "the tick made it an undo step");

        program.passTime(5000);
        QVERIFY(program.window.syncTickResting());
        program.plug();
        program.passTime(500);   // the polls go on while the tick rests
        QVERIFY(program.window.flags().deviceConnected());
        QVERIFY(!program.window.syncTickResting());
        program.passTime(200);
        QCOMPARE(program.deviceByte(967), program.record.image.touchMode);
    }

    // The banner is in the language of its day: a switch has the next poll
    // announce the controller again, without a disconnected line between.
    void languageSwitchAnnouncesTheControllerAgain() {
        Rig program;
        program.tick();
        QVERIFY(program.memo().startsWith("******** Controller is connected"));
        program.window.setLanguage("ru");
        QVERIFY(!program.window.flags().deviceConnected());
        program.tick();
        QVERIFY(program.window.flags().deviceConnected());
        QVERIFY(program.memo().startsWith(QString::fromUtf8("********** Контроллер подключен")));
        QVERIFY(!program.memo().contains(QString::fromUtf8("отключен")));
    }

    // The controller is there but its node may not be opened: the Monitoring
    // page explains once, in the window's language, while the status bar
    // keeps the ordinary disconnected text on every poll.
    void lockedControllerIsExplainedOnceInEitherLanguage() {
        Rig program;
        program.simulatorControl<QCheckBox>("openDeniedCheck")->click();
        program.window.setLanguage("ru");
        for (int poll = 0; poll < 4; ++poll) program.tick();
        QCOMPARE(program.window.statusText(), QString::fromUtf8("Контроллер отключен"));
        QCOMPARE(program.memo().count(QString::fromUtf8("Контроллер найден, но доступ к нему запрещён.")), 1);
        QVERIFY(program.memo().contains("sudo udevadm control --reload-rules && sudo udevadm trigger"));
        QVERIFY(program.memo().contains(QString::fromUtf8(udevRulePath())));
        QVERIFY(!program.window.flags().deviceConnected());

        // Switched to English: explained again, in English, once.
        program.window.setLanguage("en");
        for (int poll = 0; poll < 4; ++poll) program.tick();
        QCOMPARE(program.window.statusText(), QString("Controller is disconnected"));
        QCOMPARE(program.memo().count("Controller found, but access to it was denied."), 1);

        // Re-plugged: a new appearance, explained once more.
        program.simulatorControl<QCheckBox>("pluggedCheck")->click();
        program.tick();
        program.simulatorControl<QCheckBox>("pluggedCheck")->click();
        for (int poll = 0; poll < 4; ++poll) program.tick();
        QCOMPARE(program.memo().count("Controller found, but access to it was denied."), 2);

        // Access granted: the ordinary arrival clears the explanation away.
        program.simulatorControl<QCheckBox>("openDeniedCheck")->click();
        QVERIFY(!program.session.simulator()->controller().state.openDenied);
        program.tick();
        QVERIFY(program.window.flags().deviceConnected());
        QVERIFY(!program.memo().contains("access to it was denied"));
    }

    void serialChangedInTheSimulatorIsSeen() {
        Rig program;
        program.tick();
        auto* serial = program.simulatorControl<QLineEdit>("serialEdit");
        serial->setText("5150");
        QTest::mouseClick(program.simulatorControl<QPushButton>("serialButton"), Qt::LeftButton);
        program.tick();
        QCOMPARE(program.session.watch().lastSerial(), 5150u);
    }

    void closingShutsTheControllerAndStopsThePoll() {
        Rig program;
        program.tick();
        QVERIFY(program.session.transport().isOpen());
        program.window.shutDownIfAllowed();
        QVERIFY(!program.session.transport().isOpen());
        QVERIFY(!test::timerNamed(program.window, "TimerZELMORVATOUCHTest")->isActive());
        // A poll that still runs after closing began must not re-arm the timer.
        program.session.watch().pollController();
        QVERIFY(!test::timerNamed(program.window, "TimerZELMORVATOUCHTest")->isActive());
    }

    void stateFileCarriesTheController() {
        QTemporaryDir dir;
        const QString path = dir.filePath("unit.sim");
        {
            std::ofstream(path.toStdString()) << "serial = 77\nlog = 01 01 0A\n";
            Rig program(path.toStdString());
            std::string error;
            QVERIFY(program.session.loadState(error));
            program.tick();
            QVERIFY(program.memo().contains("The serial number   77"));
            program.simulatorControl<QCheckBox>("bootModeCheck")->click();
            QVERIFY(program.session.saveState(error));
        }
        const std::string saved = readFile(path);
        QVERIFY(saved.find("serial = 77\n") != std::string::npos);
        QVERIFY(saved.find("boot_mode = 1\n") != std::string::npos);
        QVERIFY(saved.find("log = 01 01 0A\n") != std::string::npos);

        // A file that cannot be parsed is refused and left as it was.
        std::ofstream(path.toStdString()) << "serial = many\n";
        Rig program(path.toStdString());
        std::string error;
        QVERIFY(!program.session.loadState(error));
        QVERIFY(error.find("line 1") != std::string::npos);
        QCOMPARE(program.session.simulator()->controller().state.serialNumber, 1001u);
        QCOMPARE(readFile(path), std::string("serial = many\n"));
    }

    void ticksLeaveWithTheSession() {
        MainWindow window;
        test::useVirtualClock(window);
        {
            ControllerSession session(window, true, {});
            window.onPollTick();
            QVERIFY(window.flags().deviceConnected());
        }
        FlagsForTests::setDeviceConnected(window.flags(), false);
        window.onPollTick();   // nothing left to call
        window.onSyncTick();
        QVERIFY(!window.flags().deviceConnected());
    }

    void sessionMayOutliveTheWindow() {
        // As zmtsetup declares it: before the window, so the record outlives
        // the editors the window owns.
        std::optional<ControllerSession> session;
        {
            MainWindow window;
            test::useVirtualClock(window);
            session.emplace(window, true, std::string());
            session->record().image.headType = 2;
        }
        QCOMPARE(session->record().image.headType, uint8_t(2));
        session.reset();   // must not reach for the window
    }

    void hardwareModeHasNoSimulatorWindow() {
        MainWindow window;
        test::useVirtualClock(window);
        ControllerSession session(window, false, "ignored.sim");
        QVERIFY(session.simulatorWindow() == nullptr);
        std::string error;
        QVERIFY(session.loadState(error));
    }
};

QTEST_MAIN(ControllerSessionTest)
#include "controller_session_test.moc"
