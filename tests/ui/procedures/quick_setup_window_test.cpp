// The quick set-up in zmtsetup --simulator: the toolbar menu's items, the
// offer made once to a controller with nothing set up, a whole run with the
// simulated buttons held and released (long press, summary, Apply, the
// button test pointing into the grid and the event editor), the question
// about a button in use answered inside the window after a while, and every
// way out (Cancel, Escape, the close box, the program's close, the cable)
// at every step leaving the controller as it was. With ZMT_SCREENSHOT_DIR
// set, pictures of the window are saved there.
#include "test_languages.h"
#include "../program_rig.h"
#include "setup/quick_setup.h"
#include "ui/picker/reaction_picker.h"
#include "ui/procedures/quick_setup_window.h"
#include "ui/shell/quick_setup_entry.h"
#include "ui/shell/undo_buttons.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>

using namespace zmt;
using namespace zmt::ui;
using setup::QuickStep;

namespace {

constexpr uint8_t kIdle = 10;
constexpr Reaction kMute{0x0C, 0, 0xE2, 0x00};

struct Rig : test::ProgramRig {
    explicit Rig(test::RigOptions options = {}) : ProgramRig(startedHere(std::move(options))) {
        controller().levelNoise = 0;
        letGo();
        // Started as the program starts, in the language the test chose.
        const std::string language = languageCode();
        program.startUp();
        window.setLanguage(language);
    }
    static test::RigOptions startedHere(test::RigOptions options) {
        options.startUp = false;
        return options;
    }
    QuickSetupEntry& entry() { return program.quickSetup(); }
    QuickSetupWindow& quick() { return entry().setupWindow(); }
    setup::QuickSetup& flow() { return quick().flow(); }
    void letGo() { controller().state.keyLevels = {kIdle, kIdle, kIdle, kIdle}; }
    // Holds a button half a second, as a thumb does, and lets it go.
    void press(int channel, uint8_t level) { holdButton(channel, level, kIdle); }
    // Connected, the window open and the idle levels measured.
    void startQuickSetup() {
        connect();
        entry().quickSetupAction()->trigger();
        QCOMPARE(flow().step(), QuickStep::Measuring);
        passTime(2100);
        QCOMPARE(flow().step(), QuickStep::Waiting);
    }
    // A controller already set up a little: button 1 of channel 1 (level
    // 150, "HORN") mutes with a short press, in event 1.
    void holdOneButton() {
        ConfigImage image;
        std::memcpy(image.bytes(), controller().state.config.data(), kConfigImageSize);
        image.keysLearned = 1;
        image.channelThreshold[0] = 80;
        image.keys[0][0].level = 150;
        image.keys[0][0].tolerance = 20;
        image.keys[0][0].setName("HORN");
        image.events[0] = EventRecord{1, 0, 0, 0, 1, kMute};
        std::memcpy(controller().state.config.data(), image.bytes(), kConfigImageSize);
    }
    QString shown(const char* label) { return test::child<QLabel>(quick(), label)->text(); }
    QPushButton* button(const char* name) { return test::child<QPushButton>(quick(), name); }
    const ConfigImage& held() { return *reinterpret_cast<const ConfigImage*>(controller().state.config.data()); }
    QString undoHint() { return test::child<QToolButton>(window, "SpeedButtonUndox")->toolTip(); }
};

// The window alone, or beside the main window (the test points into its
// grid and event editor).
void picture(Rig& program, const QString& name, bool withMainWindow = false) {
    if (qEnvironmentVariableIsEmpty("ZMT_SCREENSHOT_DIR")) return;
    const QPixmap quick = program.quick().grab();
    test::savePicture(withMainWindow ? test::sideBySide(program.window.grab(), quick) : quick, name);
}

} // namespace

class QuickSetupWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setLanguage("en"); }
    void cleanup() { setLanguage("ru"); }

    // Both items follow the language; without a controller they say so
    // instead of opening an empty window.
    void menuItemsInBothLanguages_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("first");
        QTest::newRow("en") << int(English) << QStringList{"Quick set-up…", "Test buttons…"}
                            << QString("Do not press anything");
        QTest::newRow("ru") << int(Russian) << QStringList{"Быстрая настройка…", "Проверка кнопок…"}
                            << QString("Ничего не нажимайте");
    }
    void menuItemsInBothLanguages() {
        QFETCH(int, language);
        QFETCH(QStringList, items);
        QFETCH(QString, first);
        Rig program;
        program.window.setLanguage(codeOf(language));
        QVERIFY(program.window.toolBarMenu().actions().contains(program.entry().quickSetupAction()));
        QCOMPARE((QStringList{program.entry().quickSetupAction()->text(), program.entry().buttonTestAction()->text()}),
                 items);
        program.entry().quickSetupAction()->trigger();
        QCOMPARE(program.boxes.size(), 1);
        QVERIFY(program.entry().builtWindow() == nullptr);

        program.connect();
        program.entry().quickSetupAction()->trigger();
        QVERIFY(program.quick().isVisible());
        QCOMPARE(program.shown("LabelQuickPrompt"), first);
        // The editors wait meanwhile, the toolbar too, and undo refuses.
        QVERIFY(program.window.editorLocked());
        QVERIFY(program.window.editingHeld());
        QVERIFY(!program.window.toolButton(MainWindow::ToolButton::ReadDevice).isEnabled());
        QCOMPARE(program.quick().windowModality(), Qt::WindowModal);
    }

    // Offered once to a controller with nothing set up, whatever the
    // answer; a later read of the same controller, or the next start of the
    // program, does not ask again. A controller already set up is not asked.
    void offeredOncePerController_data() {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void offeredOncePerController() {
        QFETCH(bool, accepted);
        QTemporaryDir dir;
        const std::string settings = dir.filePath("zmtsetup.ini").toStdString();
        {
            Rig program({.answer = accepted ? Answer::Yes : Answer::No, .settingsPath = settings,
                         .offerQuickSetup = true});
            program.connect();
            QVERIFY(program.boxes.isEmpty());   // not from inside the poll
            program.passTime(10);
            QCOMPARE(program.boxes.size(), 1);
            QVERIFY(program.boxes[0].startsWith("Nothing is set up on controller 1001 yet"));
            QCOMPARE(program.entry().builtWindow() != nullptr && program.quick().isVisible(), accepted);
            if (accepted) program.quick().reject();
            program.unplug();
            program.plug();
            program.poll();
            program.passTime(500);
            QCOMPARE(program.boxes.size(), 1);
            program.window.close();
        }
        Rig again({.settingsPath = settings, .offerQuickSetup = true});
        again.connect();
        again.passTime(500);
        QVERIFY(again.boxes.isEmpty());
        QVERIFY(again.settings.quickSetupOffered(1001));

        Rig setUp({.offerQuickSetup = true});
        setUp.holdOneButton();
        setUp.connect();
        setUp.passTime(500);
        QVERIFY(setUp.boxes.isEmpty());

        // Started with a configuration file: that is what the user wants
        // the controller to hold, blank or not.
        Rig withFile({.offerQuickSetup = true});
        withFile.program.openAtStartup(withFile.writeConfigFile("car.ZMT", 3).toStdString());
        withFile.connect();
        withFile.passTime(500);
        QCOMPARE(int(withFile.held().headType), 3);
        QVERIFY(withFile.boxes.isEmpty());
    }

    // A run as a user makes it: Volume up with a long press Mute, Volume
    // down, Mute on a third button, Finish, Apply (Enter), then the test: the
    // grid and the event editor point at the button pressed; one undo takes
    // it all back.
    void aWholeRunWithTheSimulator_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("volumeUp");
        QTest::addColumn<QString>("undo");
        QTest::addColumn<QStringList>("firstRow");
        QTest::addColumn<QString>("tested");
        QTest::newRow("en") << int(English) << QString("Press and release the button for Volume up")
                            << QString("Undo: Quick set-up") << QStringList{"VOL+", "Volume up", "Mute"}
                            << QString("Short press: Volume up");
        QTest::newRow("ru") << int(Russian) << QString("Нажмите и отпустите кнопку для «Громкость +»")
                            << QString("Отменить: Быстрая настройка")
                            << QStringList{"VOL+", "Громкость +", "Без звука"}
                            << QString("Короткое нажатие: Громкость +");
    }
    void aWholeRunWithTheSimulator() {
        QFETCH(int, language);
        QFETCH(QString, volumeUp);
        QFETCH(QString, undo);
        QFETCH(QStringList, firstRow);
        QFETCH(QString, tested);
        Rig program;
        program.window.setLanguage(codeOf(language));
        program.startQuickSetup();
        QCOMPARE(program.shown("LabelQuickPrompt"), volumeUp);
        picture(program, "quick-setup");
        program.press(0, 150);
        QCOMPARE(program.flow().stepIndex(), 1);
        // The button just set up may get a long press too.
        auto* longPress = test::child<QComboBox>(program.quick(), "ComboQuickLongPress");
        QVERIFY(longPress->isVisible());
        longPress->setCurrentIndex(longPress->findData(QString("mute")));
        program.button("ButtonQuickAddLongPress")->click();
        program.press(0, 200);
        program.press(1, 120);
        QCOMPARE(program.flow().stepIndex(), 3);
        program.button("ButtonQuickFinish")->click();
        QCOMPARE(program.quick().page(), QuickSetupWindow::Page::Summary);
        auto* table = test::child<QTableWidget>(program.quick(), "TableQuickSummary");
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE((QStringList{table->item(0, 0)->text(), table->item(0, 1)->text(), table->item(0, 2)->text()}),
                 firstRow);
        picture(program, "quick-setup-summary");
        // Nothing reached the controller before Apply.
        QCOMPARE(program.held().keys[0][0].level, uint8_t{0});
        QVERIFY(program.button("ButtonQuickApply")->isDefault());
        QTest::keyClick(program.button("ButtonQuickApply"), Qt::Key_Return);

        QCOMPARE(program.quick().page(), QuickSetupWindow::Page::Test);
        QVERIFY(!program.window.editorLocked());
        QCOMPARE(program.keysGrid.keyCellText(0, 1), QString("VOL+"));
        program.passTime(300);   // the events go out with the synchronisation
        QCOMPARE(program.held().keysLearned, uint8_t{1});
        QCOMPARE(program.held().keys[0][1].level, uint8_t{200});
        QCOMPARE(std::memcmp(program.held().events, program.record.image.events, sizeof(ConfigImage::events)), 0);
        // One step, named so.
        QCOMPARE(program.undoHint(), undo);

        program.press(0, 150);
        QCOMPARE(program.shown("LabelQuickTestButton"), QString("VOL+"));
        QCOMPARE(program.shown("LabelQuickTestShort"), tested);
        QVERIFY(program.keysGrid.cellMarked(0, 1));
        const int event = program.editor.selectedEvent();
        QCOMPARE(int(program.record.image.events[event].keyRow), 1);
        QCOMPARE(int(program.record.image.events[event].keyCol), 0);
        picture(program, "quick-setup-test", true);
        program.button("ButtonQuickClose")->click();
        QVERIFY(!program.quick().isVisible());
        QVERIFY(!program.flow().running());

        // Undone in one step, and the controller follows.
        QVERIFY(program.session.undo());
        program.passTime(300);
        QCOMPARE(program.held().keys[0][0].level, uint8_t{0});
    }

    // Every way out at every step: the controller holds exactly what it
    // held, nothing waits to be sent, nothing can be undone, the editors
    // are free again and the window says what happened.
    void everyWayOutPutsTheControllerBack_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("at");
        for (const char* way : {"cancel", "escape", "close box", "system ends the program", "unplugged"})
            for (const char* at : {"measuring", "waiting", "conflict", "summary"})
                QTest::addRow("%s at %s", way, at) << QString(way) << QString(at);
    }
    void everyWayOutPutsTheControllerBack() {
        QFETCH(QString, way);
        QFETCH(QString, at);
        Rig program;
        program.holdOneButton();
        const auto before = program.controller().state.config;
        if (at == "measuring") {
            program.connect();
            program.entry().quickSetupAction()->trigger();
            program.passTime(500);
        } else {
            program.startQuickSetup();
            program.press(1, 100);   // a new button gets Volume up
            if (at == "conflict") program.press(0, 150);   // HORN mutes already
            if (at == "summary") program.button("ButtonQuickFinish")->click();
        }
        const QuickStep expected = at == "measuring" ? QuickStep::Measuring
                                   : at == "waiting" ? QuickStep::Waiting
                                   : at == "conflict" ? QuickStep::Conflict
                                                      : QuickStep::Summary;
        QCOMPARE(program.flow().step(), expected);
        QVERIFY(program.held().keysLearned == 0);   // the old assignments stay quiet meanwhile

        if (way == "cancel") program.button("ButtonQuickClose")->click();
        else if (way == "escape") QTest::keyClick(&program.quick(), Qt::Key_Escape);
        else if (way == "close box") program.quick().close();
        else if (way == "system ends the program") {
            // The main window takes no close of its own while the window
            // is open over it; the system's request closes both.
            program.window.closeOnSystemRequest();
            program.passTime(10);
            QVERIFY(program.window.flags().appClosing());
        } else {
            program.unplug();
            program.passTime(300);
            QCOMPARE(program.quick().page(), QuickSetupWindow::Page::Ended);
            // Found by the flow's reading, or by the poll while an answer is awaited.
            const QString said = at == "conflict" || at == "summary" ? "The controller was unplugged"
                                                                      : "The controller does not answer";
            QVERIFY2(program.shown("LabelQuickRemark").startsWith(said), qPrintable(program.shown("LabelQuickRemark")));
            QVERIFY(program.notice().startsWith(said));
            program.plug();
            program.poll();
            program.passTime(300);
        }
        QVERIFY(!program.flow().active());
        QCOMPARE(program.controller().state.config, before);
        QVERIFY(!program.window.editorLocked());
        QVERIFY(!program.window.editingHeld());
        if (way == "system ends the program") return;
        QVERIFY(!program.session.changesWaiting());
        QCOMPARE(program.undoHint(), QString("Nothing to undo"));
        if (way != "unplugged") {
            QVERIFY(!program.quick().isVisible());
            QCOMPARE(program.notice(), QString("The set-up was cancelled: the controller holds what it held"));
        }
    }

    // A button that already does something is asked about inside the
    // window; the user takes a few seconds (the program's timers run
    // meanwhile) and keeps both: the old event stays beside the new one.
    void aButtonInUseIsAskedAboutInTheWindow_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("doesNow");
        QTest::newRow("en") << int(English) << QString("Button HORN already does something. Replace, keep both, or skip?")
                            << QString("Short press: Mute (event 1)");
        QTest::newRow("ru") << int(Russian)
                            << QString("Кнопка HORN уже что-то делает. Заменить, оставить оба или пропустить?")
                            << QString("Короткое нажатие: Без звука (событие 1)");
    }
    void aButtonInUseIsAskedAboutInTheWindow() {
        QFETCH(int, language);
        QFETCH(QString, question);
        QFETCH(QString, doesNow);
        setLanguage(codeOf(language));
        Rig program;
        program.holdOneButton();
        program.startQuickSetup();
        program.press(0, 150);
        QCOMPARE(program.quick().page(), QuickSetupWindow::Page::Conflict);
        QVERIFY(program.boxes.isEmpty());
        QCOMPARE(program.shown("LabelQuickPrompt"), question);
        QVERIFY2(program.shown("LabelQuickConflict").contains(doesNow), qPrintable(program.shown("LabelQuickConflict")));
        QVERIFY(program.button("ButtonQuickReplace")->isDefault());
        picture(program, "quick-setup-conflict");
        program.passTime(5000);
        QCOMPARE(program.flow().step(), QuickStep::Conflict);
        program.button("ButtonQuickKeepBoth")->click();
        QCOMPARE(program.flow().stepIndex(), 1);
        program.button("ButtonQuickFinish")->click();
        program.button("ButtonQuickApply")->click();
        program.passTime(300);
        int onHorn = 0;
        for (const EventRecord& event : program.held().events)
            if (event.keyCol == 0 && event.keyRow == 1 && event.eventType() != 0) ++onHorn;
        QCOMPARE(onHorn, 2);
        QCOMPARE(program.held().keys[0][0].nameText(), std::string("HORN"));
    }

    // The long press is offered at the summary too, for the last button set
    // up: added there it shows in the summary at once, and Back takes it
    // back before leaving the summary.
    void aLongPressAddedAtTheSummary() {
        Rig program;
        program.startQuickSetup();
        program.press(0, 150);
        program.button("ButtonQuickFinish")->click();
        QCOMPARE(program.quick().page(), QuickSetupWindow::Page::Summary);
        auto* longPress = test::child<QComboBox>(program.quick(), "ComboQuickLongPress");
        QVERIFY(longPress->isVisible());
        longPress->setCurrentIndex(longPress->findData(QString("mute")));
        program.button("ButtonQuickAddLongPress")->click();
        QCOMPARE(program.quick().page(), QuickSetupWindow::Page::Summary);
        auto* table = test::child<QTableWidget>(program.quick(), "TableQuickSummary");
        QCOMPARE(table->item(0, 2)->text(), QString("Mute"));
        program.button("ButtonQuickBack")->click();
        QCOMPARE(program.quick().page(), QuickSetupWindow::Page::Summary);
        QCOMPARE(table->item(0, 2)->text(), QString());
        program.quick().reject();
    }

    // "Another key…" opens a picker of its own on the step's reaction while
    // the editors (and the main window's picker) stay locked; a key picked
    // there becomes the step's function, a picker closed untouched or
    // emptied leaves the step as it was, and a step that moves on closes it
    // so that a late click changes nothing.
    void anotherKeyFromThePicker_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("function");   // of the step once the button is pressed
        QTest::addColumn<QString>("summary");
        QTest::newRow("a key picked") << "pick" << "another-key" << "A";
        QTest::newRow("closed untouched") << "close" << "volume-up" << "Volume up";
        QTest::newRow("picked, then emptied") << "empty" << "volume-up" << "Volume up";
        // The picked key's step skipped: the list's Volume up is asked again,
        // a step of its own, which a late click in the picker must not touch.
        QTest::newRow("the picked step skipped") << "skip" << "volume-up" << "Volume up";
    }
    void anotherKeyFromThePicker() {
        QFETCH(QString, how);
        QFETCH(QString, function);
        QFETCH(QString, summary);
        Rig program;
        program.startQuickSetup();
        auto* functions = test::child<QComboBox>(program.quick(), "ComboQuickFunction");
        const int another = functions->findData(QString("another-key"));
        QVERIFY(another >= 0);
        functions->setCurrentIndex(another);
        emit functions->activated(another);
        ReactionPicker* picker = program.entry().builtPicker();
        QVERIFY(picker != nullptr && picker->isVisible());
        QVERIFY(program.window.editorLocked());
        // Opened on Volume up: nothing chosen yet.
        QCOMPARE(program.flow().currentFunction().function->key, std::string("volume-up"));
        const PickerControl keyA{PickerControl::Key, 0x04};
        if (how != "close") picker->onPickerKey(keyA);
        if (how == "empty") picker->onPickerKey(keyA);   // clicked off again
        if (how == "skip") {
            program.button("ButtonQuickSkip")->click();
            QVERIFY(!picker->isVisible());
            picker->onPickerKey(PickerControl{PickerControl::Key, 0x05});
        }
        if (how == "close") picker->reject();
        QCOMPARE(program.flow().currentFunction().function->key, function.toStdString());
        program.press(0, 150);
        QVERIFY(!picker->isVisible());
        program.button("ButtonQuickFinish")->click();
        auto* table = test::child<QTableWidget>(program.quick(), "TableQuickSummary");
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 1)->text(), summary);
        program.quick().reject();
    }

    // "Test buttons…" on its own: a learned button shows its name and what
    // it does, the grid marks it and the event editor shows its event; a
    // press no button matches says so; closing it cancels nothing.
    void theButtonTestFromTheMenu() {
        Rig program;
        program.holdOneButton();
        program.connect();
        program.editor.selectEvent(5);
        program.entry().buttonTestAction()->trigger();
        QCOMPARE(program.quick().page(), QuickSetupWindow::Page::Test);
        QCOMPARE(program.shown("LabelQuickPrompt"), QString("Press any button"));
        QVERIFY(!program.window.editorLocked());
        program.press(0, 150);
        QCOMPARE(program.shown("LabelQuickTestButton"), QString("HORN"));
        QCOMPARE(program.shown("LabelQuickTestShort"), QString("Short press: Mute"));
        QCOMPARE(program.shown("LabelQuickTestLong"), QString("Long press: nothing"));
        QVERIFY(program.keysGrid.cellMarked(0, 1));
        QCOMPARE(program.editor.selectedEvent(), 0);
        program.press(0, 100);
        QCOMPARE(program.shown("LabelQuickRemark"), QString("Channel 1 has no button at level 100"));
        QVERIFY(program.shown("LabelQuickTestButton").isEmpty());
        QVERIFY(!program.keysGrid.cellMarked(0, 1));
        const QString notice = program.notice();
        QTest::keyClick(&program.quick(), Qt::Key_Escape);
        QVERIFY(!program.quick().isVisible());
        QVERIFY(!program.flow().running());
        QCOMPARE(program.notice(), notice);
    }

    // The window stands where it stood, in the next run of the program too.
    void theWindowComesBackWhereItStood() {
        QTemporaryDir dir;
        const std::string settings = dir.filePath("zmtsetup.ini").toStdString();
        {
            Rig program({.settingsPath = settings});
            program.connect();
            program.entry().quickSetupAction()->trigger();
            program.quick().move(40, 60);
            program.quick().reject();
            program.window.close();
        }
        Rig again({.settingsPath = settings});
        again.connect();
        again.entry().quickSetupAction()->trigger();
        QCOMPARE(again.quick().frameGeometry().topLeft(), QPoint(40, 60));
    }

    // The open window follows a language switch; Back takes a step back.
    void theOpenWindowFollowsTheLanguageAndGoesBack() {
        Rig program;
        program.startQuickSetup();
        program.press(0, 150);
        program.window.setLanguage("ru");
        QCOMPARE(program.quick().windowTitle(), QString("Быстрая настройка"));
        QCOMPARE(program.shown("LabelQuickPrompt"), QString("Нажмите и отпустите кнопку для «Громкость -»"));
        QCOMPARE(program.button("ButtonQuickClose")->text(), QString("Отмена"));
        QCOMPARE(test::child<QComboBox>(program.quick(), "ComboQuickFunction")->currentText(), QString("Громкость -"));
        program.button("ButtonQuickBack")->click();
        QCOMPARE(program.shown("LabelQuickPrompt"), QString("Нажмите и отпустите кнопку для «Громкость +»"));
        QVERIFY(!program.button("ButtonQuickBack")->isEnabled());
        // Finished before any step: nothing to apply, and Back returns.
        program.button("ButtonQuickFinish")->click();
        QVERIFY(!program.button("ButtonQuickApply")->isEnabled());
        QVERIFY(program.button("ButtonQuickBack")->isEnabled());
        program.button("ButtonQuickBack")->click();
        QCOMPARE(program.flow().step(), QuickStep::Waiting);
        program.window.setLanguage("en");
        QCOMPARE(program.button("ButtonQuickSkip")->text(), QString("&Skip"));
    }
};

QTEST_MAIN(QuickSetupWindowTest)
#include "quick_setup_window_test.moc"
