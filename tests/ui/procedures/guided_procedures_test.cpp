// The guided procedures in zmtsetup --simulator: the toolbar's firmware
// update installs a new application, the learning button in the parameters
// panel learns a held button with the level bars following it, and the
// calibration button runs the controller's corner sequence. With
// ZMT_SCREENSHOT_DIR set, pictures of learning and of an update in progress
// are saved there.
#include "test_languages.h"
#include "config/config_transfer.h"
#include "config/snapshot_store.h"
#include "device/protocol.h"
#include "../program_rig.h"
#include "ui/procedures/level_bars.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTableWidget>
#include <QGroupBox>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <optional>

using namespace zmt;
using namespace zmt::ui;

namespace {

// The program as zmtsetup --simulator builds it, in the language the test
// chose; boxes answer Yes.
struct Rig : test::ProgramRig {
    Rig() : ProgramRig({.startUp = false, .answer = Answer::Yes}) {
        controller().levelNoise = 0;
        // Started as the program starts, in the language the test chose.
        const std::string language = languageCode();
        program.startUp();
        window.setLanguage(language);
        window.resize(window.sizeHint());
    }
    void tick() {
        window.onPollTick();
        while (session.link().pollSkip() != 0) window.onPollTick();
    }
    QAbstractButton* button(const char* name) {
        auto* found = window.findChild<QAbstractButton*>(name);
        if (found == nullptr) qFatal("no button %s", name);
        return found;
    }
    QTableWidget* grid() { return window.findChild<QTableWidget*>("StringGridKeys"); }
    const ConfigImage& controllerImage() {
        return *reinterpret_cast<const ConfigImage*>(controller().state.config.data());
    }
};

// Saves a picture of the window (and the level bars beside it when shown)
// when screenshots were asked for.
void picture(Rig& program, const QString& name) {
    if (qEnvironmentVariableIsEmpty("ZMT_SCREENSHOT_DIR")) return;
    QPixmap window = program.window.grab();
    LevelBars* bars = program.procedures.levelBars();
    if (bars->isVisible()) window = test::sideBySide(window, bars->grab());
    test::savePicture(window, name);
}

} // namespace

class GuidedProceduresTest : public QObject {
    Q_OBJECT
private slots:
    void init() { setLanguage("en"); }
    void cleanup() { setLanguage("ru"); }

    void procedureButtonsSitInTheParametersPanel() {
        Rig program;
        QCOMPARE(program.button("SpeedButtonKeysSetup")->parentWidget()->objectName(), QString("GroupBoxKeySetup"));
        QCOMPARE(program.button("SpeedButtonTouchSetup")->parentWidget()->objectName(), QString("GroupBoxTouch"));
        QVERIFY(!program.button("SpeedButtonKeysSetup")->isEnabled());
        program.tick();
        QVERIFY(program.button("SpeedButtonKeysSetup")->isEnabled());
        QVERIFY(program.button("SpeedButtonTouchSetup")->isEnabled());

        // Their hints follow the language like the window's own controls.
        program.window.setLanguage("ru");
        QCOMPARE(program.button("SpeedButtonTouchSetup")->toolTip(),
                 QString("Настройка ориентации тачпанели и координат углов изображения"));
        program.window.setLanguage("en");
        QCOMPARE(program.button("SpeedButtonKeysSetup")->toolTip(), QString("Button settings"));
        QVERIFY(test::drawnForBothDensities(program.button("SpeedButtonKeysSetup")->icon(), 28));
    }

    void firmwareUpdateFromTheToolbar_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("updated");
        QTest::newRow("en") << int(English) << QString("The device is updated to version 1.18");
        QTest::newRow("ru") << int(Russian) << QString("Устройство обновлено до версии 1.18");
    }
    void firmwareUpdateFromTheToolbar() {
        QFETCH(int, language);
        QFETCH(QString, updated);
        setLanguage(codeOf(language));
        Rig program;
        program.tick();
        program.useFirmwareFile();
        QWidget* keysGrid = program.window.findChild<QWidget*>("StringGridKeys");
        int firmwareFrames = 0;
        bool pictured = false;
        program.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
            if (request[1] != (cmdFirmwareData | kWriteFlag)) return;
            if (++firmwareFrames == 1) {
                // During the pause after the hand-over the poll announces
                // the boot loader (as after a hand-over that got no reply),
                // which enables the toolbar again.
                QTimer::singleShot(0, [&] {
                    program.session.watch().announceAgain();
                    program.clock.now += sim::kRestartMs;
                    program.tick();
                    program.tick();
                    QVERIFY(program.window.flags().deviceConnected());
                    QVERIFY(program.button("SpeedButtonReadDevice")->isEnabled());
                });
            }
            if (firmwareFrames == 20 && !pictured) {
                pictured = true;
                QVERIFY(!program.button("SpeedButtonReadDevice")->isEnabled());
                QVERIFY(!program.button("SpeedButtonUpdateDevice")->isEnabled());
                QVERIFY(!keysGrid->isEnabled());   // the editor is locked meanwhile
                // A click that gets through anyway starts nothing.
                program.procedures.onUpdateFirmware();
                // The update reports on the Monitoring page, which it brings up.
                QCOMPARE(program.window.pages().currentWidget()->objectName(), QString("TabSheetMonitoring"));
                picture(program, "firmware-update");
            }
        };

        program.button("SpeedButtonUpdateDevice")->click();
        QVERIFY(program.boxes.isEmpty());
        QCOMPARE(program.notice(), updated);
        QVERIFY(keysGrid->isEnabled());
        QCOMPARE(firmwareFrames, 1 + (2000 + 64 + 63) / 64);
        // Said once the new application answered, and it stays said: in the
        // notice, and in the log with the identity of what runs now.
        QCOMPARE(program.session.watch().identity().applicationVersion, uint16_t{118});
        program.passTime(10000);
        QCOMPARE(program.notice(), updated);
        const QStringList log = program.memo().split('\n');
        QVERIFY(log.contains(updated));
        QCOMPARE(log.last(), language == English ? "Application version 1.18" : "Версия приложения 1.18");
        QVERIFY(program.window.flags().deviceConnected());
        QVERIFY(program.button("SpeedButtonUpdateDevice")->isEnabled());
    }

    // The cable pulled right after the last frame: the new application is
    // never seen, so the window says so instead of "updated".
    void firmwareUpdateNotConfirmedWhenTheControllerNeverComesBack() {
        Rig program;
        program.tick();
        program.useFirmwareFile();
        const int lastFrame = 1 + (2000 + 64 + 63) / 64;
        int firmwareFrames = 0;
        program.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
            // Pulled once the last frame's reply is in, before the boot
            // loader has started the new application.
            if (request[1] == (cmdFirmwareData | kWriteFlag) && ++firmwareFrames == lastFrame)
                QTimer::singleShot(0, [&] {
                    program.session.simulator()->backend().unplug(program.session.simulator()->port());
                });
        };
        program.button("SpeedButtonUpdateDevice")->click();
        QCOMPARE(firmwareFrames, lastFrame);
        QCOMPARE(program.boxes.size(), 1);
        QVERIFY(program.boxes[0].startsWith("The controller has not started the new application"));
        QVERIFY(!program.notice().contains("updated"));
        QVERIFY(!program.memo().contains("updated"));
        QVERIFY(program.button("SpeedButtonReadConfig")->isEnabled());
    }

    void learningAHeldButtonWithTheLevelBars_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("done");
        QTest::newRow("en") << int(English) << QString("You really want to launch setup of keys?")
                            << QString("Customize Buttons completed successfully");
        QTest::newRow("ru") << int(Russian) << QString("Вы действительно хотите запустить настройку кнопок?")
                            << QString("Настройка кнопок завершена успешно");
    }
    void learningAHeldButtonWithTheLevelBars() {
        QFETCH(int, language);
        QFETCH(QString, question);
        QFETCH(QString, done);
        setLanguage(codeOf(language));
        Rig program;
        program.tick();
        program.controller().state.keyLevels = {10, 10, 10, 10};
        QStringList cellsShown;
        int reads = 0;
        QStringList namesShown;
        program.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
            if (request[1] != cmdKeyLevels) return;
            ++reads;
            LevelBars* bars = program.procedures.levelBars();
            QVERIFY(bars->isVisible());
            if (reads == 19) program.controller().state.keyLevels = {150, 10, 90, 10};
            if (reads == 23) {
                namesShown << bars->names()[0] << bars->names()[2];
                cellsShown << program.keysGrid.keyCellText(0, 1) << program.keysGrid.keyCellText(2, 1);
                QCOMPARE(int(bars->levels().pressThreshold[0]), 18);
                QVERIFY(program.keysGrid.cellMarked(0, 1));
                picture(program, "learning-levels");
            }
            if (reads == 24) program.controller().state.keyLevels = {10, 10, 10, 10};
            if (reads == 26) program.button("SpeedButtonKeysSetup")->click();   // stop
        };
        // The bars come with the run, not with the question.
        bool barsAtQuestion = true;
        program.dialogs.messageBox = [&](QMessageBox& box) {
            program.boxes << box.text();
            barsAtQuestion = program.procedures.levelBars()->isVisible();
            return Answer::Yes;
        };
        QVERIFY(program.button("SpeedButtonKeysSetup")->isEnabled());
        program.learnButtons();

        QVERIFY(!barsAtQuestion);
        QCOMPARE(program.boxes.first(), question);
        QCOMPARE(namesShown, (QStringList{"1.150", "3.90"}));
        // The grid shows the held buttons' auto labels.
        QCOMPARE(cellsShown, (QStringList{"1.150", "3.90"}));
        QCOMPARE(program.record.image.keys[0][0].level, uint8_t{150});
        QCOMPARE(program.controllerImage().keys[0][0].level, uint8_t{150});
        QCOMPARE(program.controllerImage().keysLearned, uint8_t{1});
        QCOMPARE(program.notice(), done);
        QVERIFY(!program.procedures.levelBars()->isVisible());
        QVERIFY(!program.procedures.learning().active());
        QVERIFY(program.button("SpeedButtonKeysSetup")->isEnabled());
    }

    // Learning started from the keyboard leaves the focus on its button, so
    // the same key stops it again; so does calibration.
    void aProcedureStartedFromTheKeyboardIsStoppedFromIt_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("learning") << QString("SpeedButtonKeysSetup");
        QTest::newRow("calibration") << QString("SpeedButtonTouchSetup");
    }
    void aProcedureStartedFromTheKeyboardIsStoppedFromIt() {
        QFETCH(QString, button);
        Rig program;
        program.tick();
        program.window.show();
        program.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&program.window));
        QAbstractButton* start = program.button(qPrintable(button));
        start->setFocus(Qt::TabFocusReason);
        auto running = [&program] {
            return program.procedures.learning().running() || program.procedures.calibration().running();
        };
        QTest::keyClick(start, Qt::Key_Space);
        QVERIFY(running());
        program.clock.now += kLearningTurnMs;
        program.procedures.onProcedureTurn();
        QCOMPARE(program.window.focusWidget(), start);
        // The level bars are only to look at: they leave the main window
        // active (the offscreen platform activates every window it shows,
        // so the window's own focus is what is checked).
        QVERIFY(program.procedures.levelBars()->testAttribute(Qt::WA_ShowWithoutActivating));
        QTest::keyClick(program.window.focusWidget(), Qt::Key_Space);
        for (int turn = 0; turn < 50 && running(); ++turn) {
            program.clock.now += kLearningTurnMs;
            program.procedures.onProcedureTurn();
        }
        QVERIFY(!running());
        QCOMPARE(program.window.focusWidget(), start);
    }

    // A read that broke off in Russian leaves nothing behind: a later
    // learning run in English does not bring back its caption and figure.
    void aFailedReadLeavesNoCaptionForLaterTransfers() {
        setLanguage("ru");
        Rig program;
        program.tick();
        int frames = 0;
        program.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
            if (request[1] == cmdConfigMemory && ++frames == 4) program.controller().faults.forceStatus = 0xFE;
        };
        program.button("SpeedButtonReadDevice")->click();
        program.afterRequest = nullptr;
        program.controller().faults.forceStatus = 0;
        QVERIFY(program.boxes.last().startsWith("Ошибка чтения конфигурации из устройства"));
        program.tick();
        program.window.setLanguage("en");
        program.tick();
        auto* gauge = program.window.findChild<QWidget*>("CGaugeProgressProcent");
        QVERIFY(gauge->isHidden());
        QString statusDuringLearning;
        bool gaugeDuringLearning = true;
        int reads = 0;
        program.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
            if (request[1] != cmdKeyLevels || ++reads != 2) return;
            statusDuringLearning = program.window.statusText();
            gaugeDuringLearning = !gauge->isHidden();
            program.button("SpeedButtonKeysSetup")->click();   // stop
        };
        program.learnButtons();
        QCOMPARE(reads, 2);
        QVERIFY2(!statusDuringLearning.contains("Читаю"), qPrintable(statusDuringLearning));
        QVERIFY(!gaugeDuringLearning);
    }

    // Closing the window ends a run between two readings: nothing learned
    // is written, the level bars go and the run's timer stops.
    void closingDuringLearningEndsTheRunWithoutWriting() {
        Rig program;
        program.tick();
        program.dialogs.messageBox = [](QMessageBox&) { return Answer::Yes; };
        program.button("SpeedButtonKeysSetup")->click();
        QVERIFY(program.procedures.learning().running());
        program.procedures.onProcedureTurn();
        const auto held = program.controller().state.config;
        QVERIFY(program.window.close());
        QVERIFY(!program.procedures.learning().active());
        QCOMPARE(program.controller().state.config, held);
        QVERIFY(!program.procedures.levelBars()->isVisible());
    }

    // Answered No, learning shows nothing at all.
    // A main window against the screen's right edge has the level bars over
    // it rather than beyond the edge, where nobody could see them.
    void levelBarsStayOnTheScreen() {
        Rig program;
        program.tick();
        const QRect screen = program.window.screen()->availableGeometry();
        program.window.show();
        program.window.move(screen.right() - program.window.frameGeometry().width() + 1, screen.top());
        QRect bars;
        program.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
            if (request[1] != cmdKeyLevels || !bars.isNull()) return;
            bars = program.procedures.levelBars()->frameGeometry();
            program.button("SpeedButtonKeysSetup")->click();   // stop
        };
        program.learnButtons();
        QVERIFY(!bars.isNull());
        QVERIFY2(screen.contains(bars), qPrintable(QString("%1,%2 %3x%4").arg(bars.x()).arg(bars.y()).arg(bars.width()).arg(bars.height())));
    }

    void learningAnsweredNoShowsNoLevelBars() {
        Rig program;
        program.tick();
        QList<bool> barsAtQuestion;
        program.dialogs.messageBox = [&](QMessageBox&) {
            barsAtQuestion << program.procedures.levelBars()->isVisible();
            return Answer::No;
        };
        program.learnButtons();
        QCOMPARE(barsAtQuestion, QList<bool>{false});
        QVERIFY(!program.procedures.levelBars()->isVisible());
        QVERIFY(!program.procedures.learning().active());
    }

    // With the editor plugged in, a held button shows in the buttons grid,
    // and the user names it while still holding it: the polls that follow
    // (the level jitters on every reading, as a real controller's does)
    // neither reset the open editor nor overwrite the name with the auto
    // label, and the name reaches the controller.
    void learningFillsTheEditorsGridAndKeepsATypedName() {
        Rig program;
        program.tick();
        program.controller().state.keyLevels = {10, 10, 10, 10};
        QTableWidget* grid = program.grid();
        QLineEdit* edit = nullptr;
        int reads = 0;
        program.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
            if (request[1] != cmdKeyLevels) return;
            ++reads;
            if (reads == 19) program.controller().state.keyLevels = {10, 10, 10, 120};
            if (reads == 21) {
                QCOMPARE(grid->item(0, 3)->text(), QString("4.120"));
                QVERIFY(program.keysGrid.cellMarked(3, 1));
                QVERIFY(grid->item(0, 3)->flags() & Qt::ItemIsEditable);
                grid->editItem(grid->item(0, 3));
                edit = grid->findChild<QLineEdit*>();
                QVERIFY(edit != nullptr);
                edit->selectAll();
                QTest::keyClicks(edit, "MU");
            }
            if (reads > 21 && reads < 25) program.controller().state.keyLevels[3] = uint8_t(120 + reads % 3);
            if (reads == 25) {
                QCOMPARE(grid->indexWidget(grid->model()->index(0, 3)), edit);   // still open
                QCOMPARE(edit->text(), QString("MU"));
                // The bars name the button as it is being typed.
                QCOMPARE(program.procedures.levelBars()->names()[3], QString("MU"));
                QTest::keyClicks(edit, "TE");
                QTest::keyClick(edit, Qt::Key_Return);
                QCoreApplication::processEvents();     // the grid closes its editor
            }
            // A reading comes between the editor's closing and the commit
            // of the name, which follows from the event queue.
            if (reads == 26) QCoreApplication::processEvents();
            if (reads == 27) {
                QCOMPARE(grid->item(0, 3)->text(), QString("MUTE"));
                QCOMPARE(program.procedures.levelBars()->names()[3], QString("MUTE"));
                program.controller().state.keyLevels = {10, 10, 10, 10};
            }
            if (reads == 29) program.button("SpeedButtonKeysSetup")->click();   // stop
        };
        program.learnButtons();

        QVERIFY(reads >= 29);
        QCOMPARE(grid->item(0, 3)->text(), QString("MUTE"));
        QVERIFY(!program.keysGrid.cellMarked(3, 1));
        QCOMPARE(program.record.image.keys[3][0].nameText(), std::string("MUTE"));
        QCOMPARE(program.controllerImage().keys[3][0].nameText(), std::string("MUTE"));
        QCOMPARE(program.controllerImage().keys[3][0].level, uint8_t{120});
    }

    void editorIsLockedWhileTheFirmwareUpdateRuns() {
        Rig program;
        program.tick();
        bool lockedDuringUpdate = false;
        program.dialogs.fileDialog = [&](QFileDialog&) {
            lockedDuringUpdate = !program.window.findChild<QWidget*>("StringGridKeys")->isEnabled();
            return QString();   // cancelled
        };
        program.button("SpeedButtonUpdateDevice")->click();
        QVERIFY(lockedDuringUpdate);
        QVERIFY(program.window.findChild<QWidget*>("StringGridKeys")->isEnabled());
    }

    // The toolbar's update asks through the settings' firmware dialog and
    // remembers the chosen file (even one that is then refused), so the next
    // dialog opens in its folder; a cancelled dialog changes nothing.
    void firmwareDialogRemembersTheChosenFile() {
        Rig program;
        QTemporaryDir& dir = program.dir;
        QVERIFY(QDir(dir.path()).mkpath("fw"));
        SettingsStore& settings = program.settings;
        program.tick();
        QStringList folders;
        QString answer = dir.filePath("fw/missing.LDR");
        program.dialogs.fileDialog = [&](QFileDialog& dialog) {
            folders << dialog.directory().absolutePath();
            return answer;
        };
        program.button("SpeedButtonUpdateDevice")->click();
        QCOMPARE(program.boxes.size(), 1);
        QVERIFY(program.boxes.first().contains("missing.LDR"));   // cannot be opened
        QCOMPARE(settings.settings().firmwareFile, answer.toStdString());
        // A refused file keeps no snapshot: nothing was about to change.
        for (const auto& kept : SnapshotStore(dir.filePath("snapshots").toStdString()).list(1001))
            QVERIFY(kept.cause != SnapshotCause::FirmwareUpdate);

        answer.clear();
        program.button("SpeedButtonUpdateDevice")->click();
        QCOMPARE(folders.last(), dir.filePath("fw"));
        QCOMPARE(program.boxes.size(), 1);   // cancelled silently
        QCOMPARE(settings.settings().firmwareFile, dir.filePath("fw/missing.LDR").toStdString());
    }

    // Calibration followed by hand as a user does it with the Simulator: the
    // question answered after two seconds, each corner pressed a while after
    // its prompt (released, or on a panel that reports no release); or no
    // corner pressed at all until the controller gives up; or the window
    // closed half-way.
    void calibrationFollowsTheCornersPressedByHand_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("releases");
        QTest::addColumn<int>("cornersPressed");   // 5 all, -1 none (time-out), else close after them
        QTest::addColumn<QStringList>("prompts");
        QTest::addColumn<QString>("ending");
        const QStringList en = {"Press at top left corner", "Press at top right corner",
                                "Press at bottom right corner"};
        const QStringList ru = {"Нажмите в верхнем левом углу", "Нажмите в верхнем правом углу",
                                "Нажмите в нижнем правом углу"};
        QTest::newRow("en, releases reported") << int(English) << true << 3 << en
                                               << "Setting the touch panel is completed successfully";
        QTest::newRow("ru, releases reported") << int(Russian) << true << 3 << ru
                                               << "Настройка тачпанели завершена успешно";
        QTest::newRow("ru, no release bits") << int(Russian) << false << 3 << ru
                                             << "Настройка тачпанели завершена успешно";
        QTest::newRow("en, nothing pressed") << int(English) << true << -1 << en.mid(0, 1)
                                             << "Setting the touch panel is completed by timeout";
        QTest::newRow("ru, closed after a corner") << int(Russian) << true << 1 << ru.mid(0, 2) << "";
    }
    void calibrationFollowsTheCornersPressedByHand() {
        QFETCH(int, language);
        QFETCH(bool, releases);
        QFETCH(int, cornersPressed);
        QFETCH(QStringList, prompts);
        QFETCH(QString, ending);
        setLanguage(codeOf(language));
        Rig program;
        program.tick();
        sim::SimulatedController& controller = program.controller();
        controller.calibrationReleaseBits = releases;
        program.answerDelayMs = 2000;
        program.window.show();
        test::child<QToolButton>(program.window, "SpeedButtonTouchSetup")->click();
        QStringList shown;
        auto noteNotice = [&] {
            if (!program.notice().isEmpty() && (shown.isEmpty() || shown.last() != program.notice()))
                shown << program.notice();
        };
        const QString release = language == English ? "Please release it" : "Пожалуйста отпустите нажатие";
        for (int corner = 0; corner < std::max(cornersPressed, 0); ++corner) {
            program.passTime(700);
            noteNotice();
            controller.touchPress(program.clock.now);
            program.passTime(700);
            noteNotice();
            if (releases) {
                QCOMPARE(program.notice(), release);
                controller.touchRelease(program.clock.now);
            }
        }
        if (cornersPressed == -1) program.passTime(controller.calibrationTimeoutMs);
        if (cornersPressed >= 0 && cornersPressed < 3) {
            program.passTime(700);
            noteNotice();
            QVERIFY(program.window.close());   // ends the run; nothing is asked
            QVERIFY(program.boxes.size() == 1);
        }
        for (int turn = 0; turn < 100 && program.procedures.calibration().active(); ++turn) {
            program.passTime(100);
            noteNotice();
        }
        shown.removeAll(release);
        if (!ending.isEmpty()) QCOMPARE(shown.takeLast(), ending);
        QCOMPARE(shown, prompts);
        QVERIFY(!program.procedures.calibration().active());
        QVERIFY(!program.window.editingHeld());
        if (!ending.isEmpty()) QVERIFY(program.button("SpeedButtonReadDevice")->isEnabled());
    }

    void calibrationWithTheOffsetOption() {
        Rig program;
        program.tick();
        program.controller().calibrationAutoStepMs = 150;
        program.window.findChild<QCheckBox*>("CheckBoxTouchDXY")->setChecked(true);
        program.runProcedure("SpeedButtonTouchSetup");
        QCOMPARE(program.boxes.first(), QString("You really want to launch setup of touchpanel?"));
        QCOMPARE(program.notice(), QString("Setting the touch panel is completed successfully"));
        QCOMPARE(program.controller().state.touch[0], uint8_t{1});
        QVERIFY(std::equal(program.controller().state.touch.begin(), program.controller().state.touch.end(),
                           program.record.touchState));
        QVERIFY(!program.procedures.calibration().active());
    }
};

QTEST_MAIN(GuidedProceduresTest)
#include "guided_procedures_test.moc"
