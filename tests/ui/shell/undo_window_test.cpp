// Undo and redo in zmtsetup --simulator, driven through the real widgets:
// every kind of edit taken back and done again gives the exact bytes, and
// the controller follows the image on the next sync tick.
#include "test_languages.h"
#include "config/config_file.h"
#include "device/protocol.h"
#include "../program_rig.h"
#include "flags_for_tests.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTabBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstring>
#include <optional>

using namespace zmt;
using namespace zmt::ui;
using test::child;

namespace {

bool sameBytes(const ConfigImage& a, const ConfigImage& b) {
    return std::memcmp(a.bytes(), b.bytes(), kConfigImageSize) == 0;
}

// The program as zmtsetup --simulator builds it, in English, connected to a
// controller that holds two learned buttons on channel 1, one on channel 3,
// and encoder 1 on; boxes answer Yes.
struct Rig : test::ProgramRig {
    QToolButton* undoButton = child<QToolButton>(window, "SpeedButtonUndox");
    QToolButton* redoButton = child<QToolButton>(window, "SpeedButtonRedox");
    QTableWidget* grid = child<QTableWidget>(window, "StringGridKeys");
    QTabBar* tabs = child<QTabBar>(window, "TabControlEVKEYx");

    Rig() : ProgramRig({.answer = Answer::Yes}) {
        controller().levelNoise = 0;
        window.setLanguage("en");

        ConfigImage held;
        std::memcpy(held.bytes(), controller().state.config.data(), kConfigImageSize);
        held.keys[0][0] = KeyRecord{40, 10, {'V', 'O', 'L', '+', 0}};
        held.keys[0][1] = KeyRecord{60, 10, {}};
        held.keys[2][0] = KeyRecord{90, 10, {}};
        held.events[0] = EventRecord{1, 0, 0, 0, EventShortPress, {}};
        held.enc0Mode = 1;
        held.longPressTimeout = 600;
        std::memcpy(controller().state.config.data(), held.bytes(), kConfigImageSize);
        window.show();
        poll();
        QVERIFY(window.flags().deviceConnected() && window.flags().imageValid());
        window.setToolbarBusy(false);
    }

    ConfigImage& image() { return record.image; }
    bool controllerHoldsImage() {
        return std::memcmp(image().bytes(), controller().state.config.data(), kConfigImageSize) == 0;
    }
    QPoint cellPoint(int column, int row) {
        return grid->visualRect(grid->model()->index(row - 1, column)).center();
    }
    static QPoint centreOf(QWidget* widget) { return widget->mapToGlobal(widget->rect().center()); }
    void dragCell(int column, int row, QWidget* target) {
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, cellPoint(column, row));
        const QPoint global = centreOf(target);
        const QPoint local = grid->viewport()->mapFromGlobal(global);
        QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(grid->viewport(), &move);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, {});
        QApplication::sendEvent(grid->viewport(), &release);
    }
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

    // The edit just made, seen through the undo button and taken back to
    // before, then done again; the controller follows each time.
    void undoAndRedo(const ConfigImage& before, const QString& step) {
        const ConfigImage after = image();
        QVERIFY2(!sameBytes(before, after), "the edit changed nothing");
        tick();
        QVERIFY(controllerHoldsImage());
        QCOMPARE(undoButton->toolTip(), "Undo: " + step);
        QVERIFY(undoButton->isEnabled());
        undoButton->click();
        QVERIFY(sameBytes(image(), before));
        tick();
        QVERIFY(controllerHoldsImage());
        QCOMPARE(redoButton->toolTip(), "Redo: " + step);
        redoButton->click();
        QVERIFY(sameBytes(image(), after));
        tick();
        QVERIFY(controllerHoldsImage());
    }
};

} // namespace

class UndoWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false); }

    void gridAndEventEditorEdits() {
        Rig p;
        QVERIFY(!p.undoButton->isEnabled());   // the configuration as read
        QCOMPARE(p.undoButton->toolTip(), QString("Nothing to undo"));

        ConfigImage before = p.image();
        p.tabs->setCurrentIndex(1);
        p.dragCell(0, 2, child(p.window, "PanelKeyValx"));
        QCOMPARE(p.image().events[1].keyRow, uint8_t(2));
        p.undoAndRedo(before, "event 2: key");
        // Undo shows the whole image again: the panel follows the image.
        p.undoButton->click();
        QCOMPARE(child<Panel>(p.window, "PanelKeyValx")->text(), QString());
        p.redoButton->click();

        before = p.image();
        QTest::keyClick(child<QComboBox>(p.window, "ComboBoxEventEvent"), Qt::Key_Up);
        p.undoAndRedo(before, "event 2: type");

        before = p.image();
        p.click(child<QCheckBox>(p.window, "CheckBoxEventOnce"));
        p.undoAndRedo(before, "event 2: once");

        // Deleting a button also clears the events it triggered: one step.
        before = p.image();
        QTest::mousePress(p.grid->viewport(), Qt::RightButton, {}, p.cellPoint(0, 2));
        child<QMenu>(p.window, "PopupMenuKeys")->hide();
        child<QAction>(p.window, "DeleteKeyx")->trigger();
        QCOMPARE(p.image().keys[0][1].level, uint8_t(0));
        QCOMPARE(p.image().events[1].keyRow, uint8_t(0));
        p.undoAndRedo(before, "delete button 1.60");
        p.undoButton->click();
        QCOMPARE(p.grid->item(1, 0)->text(), QString("1.60"));
        QCOMPARE(p.image().events[1].keyRow, uint8_t(2));

        before = p.image();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        p.grid->editItem(p.grid->item(1, 0));
        auto* edit = p.grid->findChild<QLineEdit*>();
        QVERIFY(edit != nullptr);
        p.tick();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, "VOL");
        test::confirmCellName(edit);
        QCOMPARE(p.image().keys[0][1].nameText(), std::string("VOL"));
        p.undoAndRedo(before, "rename button 1.60 to VOL");
        p.undoButton->click();
        QCOMPARE(p.grid->item(1, 0)->text(), QString("1.60"));

        // A cleared name becomes the auto label; the hint names the name
        // that undo brings back, not the label twice.
        before = p.image();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        p.grid->editItem(p.grid->item(0, 0));
        edit = p.grid->findChild<QLineEdit*>();
        QVERIFY(edit != nullptr);
        p.tick();
        edit->clear();
        test::confirmCellName(edit);
        QCOMPARE(p.image().keys[0][0].nameText(), std::string("1.40"));
        p.undoAndRedo(before, "rename button VOL+ to 1.40");
    }

    void pickerEditsAndTheOpenPickerFollowsUndo() {
        Rig p;
        p.tabs->setCurrentIndex(0);
        p.click(child(p.window, "PanelEventReactionx"));
        QVERIFY(p.picker().isVisible());
        ConfigImage before = p.image();
        p.click(child(p.picker(), "PanelKey4x"));
        QVERIFY(p.image().events[0].reaction.kind != 0);
        p.undoAndRedo(before, "event 1: reaction");
        const ConfigImage withA = p.image();
        p.click(child(p.picker(), "PanelKey5x"));
        QTest::keyClick(&p.picker(), Qt::Key_Z, Qt::ControlModifier);   // in the picker's own window
        QVERIFY(sameBytes(p.image(), withA));
        QCOMPARE(p.picker().target(), &p.image().events[0].reaction);
        // The picker edits the image in place, so its next click changes
        // the restored reaction; a new edit leaves nothing to redo.
        before = p.image();
        p.click(child(p.picker(), "PanelKey7x"));
        p.tick();
        QVERIFY(!p.redoButton->isEnabled());
        p.undoAndRedo(before, "event 1: reaction");

        p.click(child(p.window, "PanelHOMEx"));
        before = p.image();
        p.click(child(p.picker(), "PanelKey6x"));
        p.undoAndRedo(before, "HOME reaction");
    }

    void parameterChangeAndItsExclusionsAreOneStep() {
        Rig p;
        ConfigImage before;
        auto* head = child<QComboBox>(p.window, "ComboBoxHEADTYPE");
        head->setCurrentIndex(1);
        emit head->activated(1);
        auto* mode = child<QComboBox>(p.window, "ComboBoxEditEncoder1Mode");
        before = p.image();
        QVERIFY(p.image().headType != 0);
        // An encoder on the head unit's serial pins turns the head unit off.
        mode->setCurrentIndex(1);
        emit mode->activated(1);
        QCOMPARE(p.image().headType, uint8_t(0));
        p.undoAndRedo(before, "encoder 1 mode");

        before = p.image();
        auto* timeout = child<QLineEdit>(p.window, "Edit_PAR_LongTO");
        timeout->setText("900");
        p.panel.onLongPressTimeLeft();
        p.undoAndRedo(before, "long press time-out");
    }

    void infraredCaptureIsAStep() {
        Rig p;
        p.tabs->setCurrentIndex(4);
        p.controller().state.irCode = {0x12, 0x34, 0x01, 0x00};
        const ConfigImage before = p.image();
        p.click(child(p.window, "SpeedButtonIRGET"));
        QVERIFY(p.image().events[4].irTrigger());
        p.undoAndRedo(before, "IR trigger of event 5");
    }

    void loadingAFileIsOneStepAndReadingAControllerStartsAnew() {
        Rig p;
        const ConfigImage asRead = p.image();
        ConfigImage fromFile = p.image();
        fromFile.headType = 2;
        fromFile.events[7] = EventRecord{1, 0, 0, 0, EventLongPress, {ReactionKeyboard, 0, 0x28, 0}};
        const QString path = p.dir.filePath("car.ZMT");
        QVERIFY(saveConfigFile(fromFile, path.toStdString()).ok());
        p.dialogs.fileDialog = [&path](QFileDialog&) { return path; };
        child<QToolButton>(p.window, "SpeedButtonReadConfig")->click();
        QVERIFY(sameBytes(p.image(), fromFile));
        p.undoAndRedo(asRead, "load file car.ZMT");

        // A hundred edits through the parameters panel, undone with Ctrl+Z.
        auto* divisor = child<QSpinBox>(p.window, "CSpinEditEncoder1Div");
        for (int edit = 0; edit < 100; ++edit) divisor->setValue(divisor->value() == 5 ? 6 : 5);
        for (int step = 0; step < 101; ++step) QTest::keyClick(&p.window, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!p.undoButton->isEnabled());
        QVERIFY(sameBytes(p.image(), asRead));
        p.tick();
        QVERIFY(p.controllerHoldsImage());
        QTest::keyClick(&p.window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(sameBytes(p.image(), fromFile));

        // The read button brings the controller's configuration: nothing
        // before it can be undone any more.
        p.window.setToolbarBusy(false);
        child<QToolButton>(p.window, "SpeedButtonReadDevice")->click();
        p.tick();
        QVERIFY(!p.undoButton->isEnabled());
        QVERIFY(!p.redoButton->isEnabled());
        QVERIFY(!p.session.undo());
    }

    void aRunOfButtonLearningIsOneStepThatCannotBeUndoneWhileItRuns() {
        Rig p;
        p.controller().state.keyLevels = {10, 10, 10, 10};
        const ConfigImage before = p.image();
        int reads = 0;
        bool refusedWhileRunning = false;
        p.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
            if (request[1] != cmdKeyLevels) return;
            ++reads;
            if (reads == 19) p.controller().state.keyLevels = {150, 10, 120, 10};
            if (reads == 22) {
                p.window.undoButtons().refresh();
                refusedWhileRunning = !p.undoButton->isEnabled() && !p.session.undo();
            }
            if (reads == 24) p.controller().state.keyLevels = {10, 10, 10, 10};
            if (reads == 26) child<QToolButton>(p.window, "SpeedButtonKeysSetup")->click();   // stop
        };
        p.learnButtons();
        p.afterRequest = nullptr;
        QVERIFY(refusedWhileRunning);
        QCOMPARE(p.image().keys[0][2].level, uint8_t{150});
        QCOMPARE(p.image().keys[2][1].level, uint8_t{120});
        p.undoAndRedo(before, "learn buttons");
    }

    // While a procedure or a whole transfer runs, the editing hold keeps
    // undo and redo from touching the image: their buttons are off and
    // their keys do nothing (a step taken back at 19 % of a firmware update
    // went to the controller in the middle of it).
    void undoAndRedoWaitWhileTheControllerIsBusy_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("command");
        QTest::newRow("firmware update") << "SpeedButtonUpdateDevice" << int(cmdFirmwareData | kWriteFlag);
        QTest::newRow("button learning") << "SpeedButtonKeysSetup" << int(cmdKeyLevels);
        QTest::newRow("touch calibration") << "SpeedButtonTouchSetup" << int(cmdTouchMemory);
        QTest::newRow("reading") << "SpeedButtonReadDevice" << int(cmdConfigMemory);
        QTest::newRow("writing") << "SpeedButtonWriteDevice" << int(cmdConfigMemory | kWriteFlag);
    }
    void undoAndRedoWaitWhileTheControllerIsBusy() {
        QFETCH(QString, button);
        QFETCH(int, command);
        Rig p;
        p.useFirmwareFile();
        p.controller().calibrationAutoStepMs = 150;
        // Something to undo and something to redo.
        p.image().headType = 1;
        p.tick();
        p.image().headType = 2;
        p.tick();
        p.undoButton->click();
        p.tick();
        QVERIFY(p.undoButton->isEnabled() && p.redoButton->isEnabled());

        int seen = 0;
        bool held = false;
        p.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
            if (request[1] != command || ++seen != 3) return;
            const ConfigImage before = p.image();
            p.window.undoButtons().refresh();   // as every sync tick does
            QTest::keyClick(&p.window, Qt::Key_Z, Qt::ControlModifier);
            QTest::keyClick(&p.window, Qt::Key_Y, Qt::ControlModifier);
            held = !p.undoButton->isEnabled() && !p.redoButton->isEnabled() && sameBytes(before, p.image());
            if (button == "SpeedButtonKeysSetup") child<QToolButton>(p.window, "SpeedButtonKeysSetup")->click();   // stop
        };
        p.runProcedure(button.toLatin1().constData());
        p.afterRequest = nullptr;
        QVERIFY(seen >= 3);
        QVERIFY(held);
        for (const QString& box : p.boxes) QVERIFY2(!box.startsWith("Error writing to the device"), qPrintable(box));
    }

    // No to the reset question resets nothing, so nothing is read again
    // and the history stays.
    void answeringNoToTheResetKeepsTheHistory() {
        Rig p;
        const ConfigImage before = p.image();
        p.image().headType = 2;
        p.tick();
        p.answers = {Answer::No};
        child<QToolButton>(p.window, "SpeedButtonToDefault")->click();
        p.poll();
        p.tick();
        QCOMPARE(p.undoButton->toolTip(), QString("Undo: change"));
        p.undoButton->click();
        QVERIFY(sameBytes(p.image(), before));
        p.tick();
        QVERIFY(p.controllerHoldsImage());
    }

    void undoWaitsWhileButtonsAreLearnt() {
        Rig p;
        p.image().headType = 3;   // an edit nobody named still is one
        p.tick();
        QCOMPARE(p.undoButton->toolTip(), QString("Undo: change"));
        FlagsForTests::setLearningActive(p.window.flags(), true);
        p.tick();
        QVERIFY(!p.undoButton->isEnabled());
        QVERIFY(!p.session.undo());
        QCOMPARE(p.image().headType, uint8_t(3));
        FlagsForTests::setLearningActive(p.window.flags(), false);
        p.window.setLanguage("ru");
        QCOMPARE(p.undoButton->toolTip(), QString("Отменить: изменение"));
        QTest::keyClick(&p.window, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(p.image().headType != 3);
    }
};

QTEST_MAIN(UndoWindowTest)
#include "undo_window_test.moc"
