// Every flow of the window that asks first, answered the way a user answers:
// seconds later, while the polls, the sync tick and the procedures' timer
// go on running. Each is answered Yes late (the flow is carried out to its
// end and the window is usable again) and No late (nothing changes, and the
// window is usable again). A test that answered at once hid a calibration
// that stopped following the controller after its first prompt.
#include "../program_rig.h"
#include "flags_for_tests.h"

#include <QTest>

#include <functional>

using namespace zmt;
using namespace zmt::ui;

namespace {

constexpr uint32_t kReadingTimeMs = 2500;
constexpr std::size_t kHeadTypeOffset = 974;

struct Rig : test::ProgramRig {
    Rig() {
        window.setLanguage("en");
        controller().levelNoise = 0;
        answerDelayMs = kReadingTimeMs;
    }
    // The update and its restart take this long; time the user would wait anyway.
    void waitForTheNewFirmware() { passTime(sim::kFirmwareApplyIdleMs + sim::kRestartMs + 1000); }
};

// One flow: it is started (after its own preparation) and asks a question;
// carriedOut says whether what it does happened. closesWindow: Yes ends the
// program, so the toolbar is not looked at then.
struct Flow {
    const char* name;
    std::function<void(Rig&)> start;
    std::function<bool(Rig&)> carriedOut;
    bool closesWindow = false;
};

const std::vector<Flow>& flows() {
    static const std::vector<Flow> table = {
        {"learning",
         [](Rig& p) {
             p.connect();
             p.controller().state.config[0] = 0;   // no buttons learned yet
             p.runProcedure("SpeedButtonKeysSetup");
         },
         [](Rig& p) {
             return p.deviceByte(0) == 1 && p.notice() == "Customize Buttons completed successfully";
         }},
        {"calibration",
         [](Rig& p) {
             p.connect();
             p.controller().calibrationAutoStepMs = 150;
             p.runProcedure("SpeedButtonTouchSetup");
         },
         [](Rig& p) {
             return p.procedures.calibration().lastEnding() == TouchCalibration::Ending::Succeeded &&
                    p.notice() == "Setting the touch panel is completed successfully";
         }},
        {"firmware update to an older version",
         [](Rig& p) {
             p.controller().state.applicationVersion = 119;
             p.connect();
             p.useFirmwareFile();
             test::child<QToolButton>(p.window, "SpeedButtonUpdateDevice")->click();
             p.waitForTheNewFirmware();
         },
         [](Rig& p) { return p.controller().state.applicationVersion == 118; }},
        {"factory configuration",
         [](Rig& p) {
             p.connect();
             p.controller().state.config[kHeadTypeOffset] = 2;
             p.commands.onFactoryConfiguration();
         },
         [](Rig& p) { return p.deviceByte(kHeadTypeOffset) == 0; }},
        {"write to the controller",
         [](Rig& p) {
             p.connect();
             FlagsForTests::setImageValid(p.window.flags(), false);   // so no tick sends the edit first
             p.record.image.headType = 4;
             p.commands.onWriteToController();
         },
         [](Rig& p) { return p.deviceByte(kHeadTypeOffset) == 4; }},
        {"open a damaged file",
         [](Rig& p) {
             p.connect();
             p.commands.openFile(p.writeConfigFile("DAMAGED.ZMT", 3, true).toStdString());
         },
         [](Rig& p) { return p.record.image.headType == 3; }},
        {"a new controller while edits wait",
         [](Rig& p) {
             p.connect();
             p.unplug();
             p.record.image.headType = 3;
             p.controller().state.serialNumber = 2002;
             p.plug();
             p.poll();
             p.passTime(500);
         },
         [](Rig& p) { return p.deviceByte(kHeadTypeOffset) == 3; }},
        {"closing with edits not written",
         [](Rig& p) {
             p.connect();
             p.unplug();
             p.record.image.headType = 1;
             p.tick();
             p.window.show();
             p.window.close();
         },
         [](Rig& p) { return !p.window.isVisible(); },
         true},
    };
    return table;
}

} // namespace

class LateAnswerTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setLanguage("ru"); }

    void everyQuestionAnsweredLate_data() {
        QTest::addColumn<int>("flow");
        QTest::addColumn<bool>("yes");
        for (std::size_t i = 0; i < flows().size(); ++i) {
            QTest::newRow(qPrintable(QString("%1, Yes").arg(flows()[i].name))) << int(i) << true;
            QTest::newRow(qPrintable(QString("%1, No").arg(flows()[i].name))) << int(i) << false;
        }
    }
    void everyQuestionAnsweredLate() {
        QFETCH(int, flow);
        QFETCH(bool, yes);
        const Flow& tried = flows()[static_cast<std::size_t>(flow)];
        Rig program;
        program.answers = {yes ? Answer::Yes : Answer::No};
        tried.start(program);
        QCOMPARE(program.boxes.size(), 1);
        QCOMPARE(tried.carriedOut(program), yes);
        QVERIFY(!program.procedures.learning().active());
        QVERIFY(!program.procedures.calibration().active());
        if (tried.closesWindow && yes) return;
        // The window is usable again: its toolbar and its editor.
        program.passTime(500);
        QVERIFY(test::child<QToolButton>(program.window, "SpeedButtonReadConfig")->isEnabled());
        QVERIFY(test::child<QWidget>(program.window, "StringGridKeys")->isEnabled());
        QVERIFY(program.window.isVisible() || !tried.closesWindow);
    }
};

QTEST_MAIN(LateAnswerTest)
#include "late_answer_test.moc"
