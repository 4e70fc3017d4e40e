// The configuration in the wired window: the simulated controller behind the
// real transport and link, the toolbar's controller and file buttons, the
// synchronisation on the sync timer with its pending panel, and the
// question before closing with changes that never reached the controller.
#include "test_languages.h"
#include "config/config_file.h"
#include "ui/log/log_view.h"
#include "ui/shell/toolbar_notice.h"
#include "../program_rig.h"
#include "flags_for_tests.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstring>
#include <deque>

using namespace zmt;
using namespace zmt::ui;

namespace {

constexpr std::size_t kLongPressOffset = 965;
constexpr std::size_t kHeadTypeOffset = 974;

// The program as zmtsetup --simulator builds it, in English.
struct Rig : test::ProgramRig {
    Rig() { window.setLanguage("en"); }   // the fresh settings file said Russian

    QToolButton* button(const char* name) { return window.findChild<QToolButton*>(name); }
    void logExchanges() { window.findChild<QAction*>("MenuItemLog")->setChecked(true); }
    QStringList configWrites() {
        QStringList writes;
        for (const QString& line : memo().split('\n'))
            if (line.contains("> CMD:90")) writes << line.section(" [", 0, 0).section("CMD:90 ", 1);
        return writes;
    }
    std::size_t requests() { return controller().requestsHandled(); }
    // Saves through the toolbar's file button into dir/name and reads the file back.
    bool saveToFile(const char* name, ConfigImage& saved) {
        nextFile = dir.filePath(name);
        QTest::mouseClick(button("SpeedButtonWriteConfig"), Qt::LeftButton);
        return loadConfigFile(saved, nextFile.toStdString()).ok();
    }
    bool imageEqualsController() {
        return std::memcmp(record.image.bytes(), controller().state.config.data(), kConfigImageSize) == 0;
    }
};

} // namespace

class ConfigWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setLanguage("ru"); }

    void newControllerIsReadWhileTheToolbarIsBusy() {
        Rig program;
        program.controller().state.config[kHeadTypeOffset] = 2;
        bool fileButtonDuringRead = true;
        QObject::connect(&program.window.shellSignals(), &ShellSignals::showingImage,
            [&] { fileButtonDuringRead = program.button("SpeedButtonReadConfig")->isEnabled(); });
        program.connect();
        QVERIFY(!fileButtonDuringRead);
        QCOMPARE(program.record.image.headType, uint8_t(2));
        QVERIFY(program.button("SpeedButtonReadConfig")->isEnabled());
    }

    // A controller read as it arrives: the editors refuse input from the
    // read's first request to its last, and the page is drawn greyed only
    // when the read lasts long enough to be noticed or a box asks first;
    // otherwise it is drawn once, with the configuration the read brought.
    void anArrivalsReadRefusesInputAndShowsThePageGreyedOnlyWhenItIsNoticed() {
        struct Case {
            const char* name;
            uint32_t replyDelayMs;     // each reply this late: the read outlasts the page's grace
            const char* typedBefore;   // typed into the long-press field, not confirmed
            bool turnedToDuringRead;   // the Monitoring page shown until the read has begun
            bool greyedShown;
            int longPressAfter;        // in the field and the image once the read is over
        };
        const Case cases[] = {
            {"quick read", 0, nullptr, false, false, 1234},
            {"slow read", 10, nullptr, false, true, 1234},
            // Asked about, and kept for the new controller.
            {"a value typed before the controller came", 0, "700", false, true, 700},
            // Shown as it is, not with the other page's picture.
            {"the page turned to during a quick read", 0, nullptr, true, true, 1234},
        };
        for (const Case& c : cases) {
            Rig program;
            program.connect();
            auto* field = program.window.findChild<QLineEdit*>("Edit_PAR_LongTO");
            auto* pages = program.window.findChild<QTabWidget*>("PageControlMain");
            pages->setCurrentIndex(1);
            program.window.show();
            program.window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&program.window));
            if (c.typedBefore != nullptr) {
                field->setFocus();
                field->selectAll();
                QTest::keyClicks(field, c.typedBefore);
            }
            program.unplug();
            program.controller().state.serialNumber = 2002;
            program.controller().state.config[kLongPressOffset] = 1234 & 0xFF;
            program.controller().state.config[kLongPressOffset + 1] = 1234 >> 8;
            program.controller().faults.replyDelayMs = c.replyDelayMs;
            if (c.turnedToDuringRead) pages->setCurrentIndex(0);
            program.plug();
            QCoreApplication::processEvents();
            test::PaintLog keys(*program.window.findChild<QWidget*>("GroupBoxKeys"));
            bool typingTaken = false;
            program.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
                if ((request[1] & ~kWriteFlag) != cmdConfigMemory) return;
                if (c.turnedToDuringRead && pages->currentIndex() == 0) {
                    pages->setCurrentIndex(1);
                    QCoreApplication::processEvents();
                }
                const QString before = field->text();
                QTest::keyClicks(field, "5");
                typingTaken = typingTaken || field->text() != before;
            };
            program.answers = {Answer::Yes};
            program.poll();
            program.afterRequest = nullptr;
            QCoreApplication::processEvents();
            QVERIFY2(!typingTaken, c.name);
            QVERIFY2((keys.greyed > 0) == c.greyedShown, c.name);
            QVERIFY2(keys.usual == 1, c.name);   // once with what the read brought
            QCOMPARE(program.boxes.size(), c.typedBefore != nullptr ? 1 : 0);
            QCOMPARE(field->text(), QString::number(c.longPressAfter));
            QCOMPARE(int(program.record.image.longPressTimeout), c.longPressAfter);
        }
    }

    void editReachesTheControllerWithinOneTick() {
        Rig program;
        program.connect();
        program.tick();
        QVERIFY(program.notice().isEmpty());   // nothing changed, nothing said
        program.record.image.longPressTimeout = 900;
        program.tick();
        QCOMPARE(program.deviceByte(kLongPressOffset), uint8_t(900 & 0xFF));
        QCOMPARE(program.deviceByte(kLongPressOffset + 1), uint8_t(900 >> 8));
        QCOMPARE(program.notice(), QString("Record of changes"));
        QVERIFY(!program.window.changesPendingShown());
    }

    void loadingAFileSendsExactlyTheRunsThatDiffer() {
        Rig program;
        program.connect();
        ConfigImage fromFile = program.record.image;
        fromFile.longPressTimeout = 900;   // both bytes differ from 1500
        fromFile.headType = 3;
        const QString path = program.dir.filePath("car.ZMT");
        QVERIFY(saveConfigFile(fromFile, path.toStdString()).ok());
        program.logExchanges();
        program.nextFile = path;
        QTest::mouseClick(program.button("SpeedButtonReadConfig"), Qt::LeftButton);
        QCOMPARE(program.notice(), QString("The configuration is read"));
        QVERIFY(program.window.flags().imageValid());
        QVERIFY(program.configWrites().isEmpty());   // sent by the timer, not the click
        program.tick();
        QCOMPARE(program.configWrites(), QStringList({"OFFSET:0965 LEN:02", "OFFSET:0974 LEN:01"}));
        QVERIFY(program.imageEqualsController());
        QCOMPARE(program.settings.settings().configFile, path.toStdString());
        QVERIFY(program.boxes.isEmpty());
    }

    void fileOpenedBeforeTheControllerCameIsNotLostSilently() {
        for (const Answer answer : {Answer::No, Answer::Yes}) {
            Rig program;   // the controller is plugged in but not seen yet
            ConfigImage fromFile;
            std::memcpy(fromFile.bytes(), program.controller().state.config.data(), kConfigImageSize);
            fromFile.headType = 3;
            const QString path = program.dir.filePath("car.ZMT");
            QVERIFY(saveConfigFile(fromFile, path.toStdString()).ok());
            program.nextFile = path;
            program.commands.onOpenFile();
            QVERIFY(program.window.changesPendingShown());
            program.tick();   // nowhere to send it yet
            QVERIFY(program.window.changesPendingShown());

            program.logExchanges();
            program.answers = {answer};
            program.poll();
            QCOMPARE(program.boxes.size(), 1);
            QVERIFY(program.boxes[0].startsWith("Changes in the program have not been written to a controller yet."));
            QVERIFY(program.window.flags().imageValid());
            program.tick();
            if (answer == Answer::No) {
                // The controller's own configuration replaces the file's.
                QCOMPARE(program.record.image.headType, uint8_t(0));
                QVERIFY(program.configWrites().isEmpty());
            } else {
                // The file's configuration goes to this controller, only what differs.
                QCOMPARE(program.configWrites(), QStringList({"OFFSET:0974 LEN:01"}));
                QCOMPARE(program.deviceByte(kHeadTypeOffset), uint8_t(3));
            }
            QVERIFY(program.imageEqualsController());
            QVERIFY(!program.window.changesPendingShown());
        }
    }

    // The question rests on the edits themselves, not on the panel, which
    // only the next sync tick brings up to date.
    void aNewControllerIsAskedAboutEditsThePanelDoesNotShowYet() {
        Rig program;
        program.connect();
        program.unplug();
        program.record.image.headType = 3;
        QVERIFY(!program.window.changesPendingShown());
        program.controller().state.serialNumber = 2002;
        program.plug();
        program.answers = {Answer::Yes};
        program.poll();
        QCOMPARE(program.boxes.size(), 1);
        QVERIFY(program.boxes[0].startsWith("Changes in the program have not been written to a controller yet."));
        program.tick();
        QCOMPARE(program.deviceByte(kHeadTypeOffset), uint8_t(3));
        QVERIFY(program.imageEqualsController());
    }

    void fileThatCannotBeReadChangesNothing() {
        Rig program;
        program.connect();
        program.record.image.headType = 4;
        program.tick();
        const ConfigImage before = program.record.image;
        const std::size_t requests = program.requests();
        for (const QString& bad : {program.dir.filePath("missing.ZMT"), program.dir.path()}) {
            program.boxes.clear();
            program.nextFile = bad;
            program.commands.onOpenFile();
            QCOMPARE(program.boxes.size(), 1);
            QVERIFY2(program.boxes[0].contains(bad), qPrintable(program.boxes[0]));
            QVERIFY(program.window.flags().imageValid());
            program.tick();
        }
        QVERIFY(std::memcmp(&before, &program.record.image, sizeof before) == 0);
        QCOMPARE(program.requests(), requests);
        QVERIFY(program.settings.settings().configFile.empty());
        QVERIFY(program.button("SpeedButtonReadConfig")->isEnabled());

        // Cancelling the dialog changes nothing either, and never marks a
        // configuration fit for sending.
        FlagsForTests::setImageValid(program.window.flags(), false);
        program.record.image.headType = 5;
        program.nextFile.clear();
        program.commands.onOpenFile();
        QVERIFY(!program.window.flags().imageValid());
        program.tick();
        QCOMPARE(program.requests(), requests);
    }

    void damagedFileIsLoadedOnlyWhenTheUserAgrees() {
        Rig program;
        const QString path = program.dir.filePath("damaged.ZMT");
        QVERIFY(saveConfigFile(ConfigImage{}, path.toStdString()).ok());
        QByteArray text;
        {
            QFile in(path);
            QVERIFY(in.open(QIODevice::ReadOnly));
            text = in.readAll();
        }
        text.replace("EVKEY05=000000000000000000", "EVKEY05=0102zz0000");
        {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(text);
        }
        program.record.image.headType = 2;
        program.nextFile = path;
        program.answers = {Answer::No};
        program.commands.onOpenFile();
        QCOMPARE(program.boxes.size(), 1);
        QVERIFY2(program.boxes[0].contains("EVENTS/EVKEY05"), qPrintable(program.boxes[0]));
        QCOMPARE(program.record.image.headType, uint8_t(2));
        QVERIFY(program.notice().isEmpty());

        program.answers = {Answer::Yes};
        program.commands.onOpenFile();
        QCOMPARE(program.record.image.headType, uint8_t(0));
        QCOMPARE(program.record.image.events[4].keyRow, uint8_t(1));
        QCOMPARE(program.record.image.events[4].keyCol, uint8_t(2));
        QCOMPARE(program.record.image.events[4].modRow, uint8_t(0));   // "zz" reads as 0
        QCOMPARE(program.notice(), QString("The configuration is read"));
    }

    void savingWritesTheFileOrSaysWhyNot() {
        Rig program;
        program.connect();
        program.record.image.longPressTimeout = 777;
        ConfigImage loaded{};
        QVERIFY(program.saveToFile("saved.ZMT", loaded));
        const QString good = program.dir.filePath("saved.ZMT");
        QCOMPARE(int(loaded.longPressTimeout), 777);
        QCOMPARE(program.notice(), QString("The configuration is written"));
        QCOMPARE(program.settings.settings().configFile, good.toStdString());

        program.window.notice().clear();
        const QString bad = program.dir.filePath("no/such/folder/x.ZMT");
        program.nextFile = bad;
        program.commands.onSaveFile();
        QCOMPARE(program.boxes.size(), 1);
        QVERIFY2(program.boxes[0].contains("Unable to write to " + bad), qPrintable(program.boxes[0]));
        QVERIFY(program.notice().isEmpty());
        QCOMPARE(program.settings.settings().configFile, good.toStdString());
        QVERIFY(program.button("SpeedButtonWriteConfig")->isEnabled());
    }

    void readButtonReplacesTheImageOrReportsTheFailure() {
        Rig program;
        program.connect();
        program.controller().state.config[kHeadTypeOffset] = 5;
        QTest::mouseClick(program.button("SpeedButtonReadDevice"), Qt::LeftButton);
        QCOMPARE(program.record.image.headType, uint8_t(5));
        QCOMPARE(program.record.deviceCopy.headType, uint8_t(5));
        QVERIFY(program.boxes.isEmpty());

        program.controller().state.config[kHeadTypeOffset] = 1;
        program.controller().faults.forceStatus = 0xFE;
        program.commands.onReadFromController();
        QCOMPARE(program.boxes.size(), 1);
        QVERIFY(program.boxes[0].startsWith("Error reading the configuration of the device\n"));
        QCOMPARE(program.record.image.headType, uint8_t(5));
        QVERIFY(program.window.flags().imageValid());
        QVERIFY(program.button("SpeedButtonReadDevice")->isEnabled());

        // A read that got no reply leaves no stopped gauge and no caption
        // behind the error box (nor one in yesterday's language).
        program.controller().faults.forceStatus = 0;
        program.controller().faults.noReply = true;
        program.commands.onReadFromController();
        QCOMPARE(program.boxes.size(), 2);
        QVERIFY(program.window.findChild<QWidget*>("CGaugeProgressProcent")->isHidden());
        QCOMPARE(program.window.statusText(), QString());
    }

    // Nothing edits while a whole configuration travels: not the page, not
    // the procedures' buttons, not the picker; all of it comes back after.
    void everythingThatEditsWaitsWhileAWholeConfigurationTransferRuns() {
        Rig program;
        program.connect();
        program.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
        program.picker();   // built, as after its first opening
        QStringList live;
        program.afterRequest = [&](const std::array<uint8_t, kReportSize>& request) {
            if ((request[1] & ~kWriteFlag) != cmdConfigMemory) return;
            for (const char* name : {"StringGridKeys", "Edit_PAR_LongTO", "SpeedButtonKeysSetup", "PanelEVKEY"})
                if (program.window.findChild<QWidget*>(name)->isEnabled()) live << name;
            if (test::child<QWidget>(program.picker(), "GroupBoxSystemControl")->isEnabled()) live << "picker";
        };
        program.commands.onReadFromController();
        program.commands.onWriteToController();
        program.commands.onFactoryConfiguration();
        program.poll();   // the controller read again after its reset
        QVERIFY(program.window.flags().imageValid());
        live.removeDuplicates();
        QCOMPARE(live, QStringList());
        program.afterRequest = nullptr;
        QVERIFY(program.window.findChild<QWidget*>("StringGridKeys")->isEnabled());
        QVERIFY(program.window.findChild<QWidget*>("SpeedButtonKeysSetup")->isEnabled());
        QVERIFY(test::child<QWidget>(program.picker(), "GroupBoxSystemControl")->isEnabled());
    }

    void writeButtonAsksThenWritesEverythingAndRestarts() {
        Rig program;
        program.connect();
        FlagsForTests::setImageValid(program.window.flags(), false);   // so no tick sends the edit first
        program.record.image.headType = 4;
        const std::size_t requests = program.requests();
        program.answers = {Answer::No};
        program.commands.onWriteToController();
        QCOMPARE(program.boxes.size(), 1);
        QVERIFY(program.boxes[0].startsWith("Are you sure you want to write"));
        QCOMPARE(program.requests(), requests);
        QVERIFY(!program.window.flags().imageValid());

        program.logExchanges();
        program.answers = {Answer::Yes};
        program.commands.onWriteToController();
        QCOMPARE(program.configWrites().size(), 16);
        QCOMPARE(program.configWrites().last(), QString("OFFSET:0960 LEN:19"));
        QVERIFY(program.memo().contains("> CMD:83 OFFSET:0000 LEN:00"));
        QVERIFY(program.imageEqualsController());
        QVERIFY(program.window.flags().imageValid());
        QCOMPARE(program.boxes.size(), 2);   // no error

        program.controller().faults.forceStatus = 0xFE;
        program.answers = {Answer::Yes};
        program.commands.onWriteToController();
        QCOMPARE(program.boxes.size(), 4);
        QVERIFY(program.boxes[3].startsWith("Error writing configuration\n"));
    }

    void defaultsAndRestartForgetTheControllerAndReportFailures() {
        Rig program;
        program.connect();
        program.controller().state.config[kHeadTypeOffset] = 2;
        program.answers = {Answer::No};
        program.commands.onFactoryConfiguration();
        QCOMPARE(program.deviceByte(kHeadTypeOffset), uint8_t(2));
        QVERIFY(program.window.flags().imageValid());
        QVERIFY(program.session.watch().controllerRead());

        program.answers = {Answer::Yes};
        program.commands.onFactoryConfiguration();
        QCOMPARE(program.deviceByte(kHeadTypeOffset), uint8_t(0));
        // The next poll sees a "new" controller and reads it again.
        program.poll();
        QVERIFY(program.window.flags().imageValid());
        QVERIFY(program.imageEqualsController());

        program.commands.onRestartController();
        QVERIFY(!program.session.watch().controllerRead());
        QVERIFY(!program.window.flags().imageValid());
        QCOMPARE(program.boxes.size(), 2);   // the two questions only

        program.unplug();
        program.answers = {Answer::Yes};
        program.commands.onFactoryConfiguration();
        QVERIFY(program.boxes.last().startsWith("Failed to reset the device configuration in its default state\n"));
        program.commands.onRestartController();
        QVERIFY(program.boxes.last().startsWith("Failed to reset the device\n"));
        QVERIFY(program.button("SpeedButtonReadConfig")->isEnabled());
        QVERIFY(!program.button("SpeedButtonReset")->isEnabled());
    }

    void pendingChangesAreShownAndAskedAboutWhenClosing() {
        Rig program;
        program.connect();
        program.unplug();
        QVERIFY(!program.window.flags().deviceConnected());
        program.record.image.headType = 1;
        program.tick();
        auto* panel = program.window.findChild<QLabel*>("LabelChangesPendingx");
        QVERIFY(program.window.changesPendingShown());
        QVERIFY(!panel->isHidden());
        QCOMPARE(panel->text(), QString("Changes not yet written to the controller"));
        program.window.setLanguage("ru");
        QCOMPARE(panel->text(), QString::fromUtf8("Изменения ещё не записаны в контроллер"));
        program.window.setLanguage("en");

        program.window.show();
        program.answers = {Answer::No};
        QVERIFY(!program.window.close());
        QVERIFY(program.window.isVisible());
        QVERIFY(!program.window.flags().appClosing());
        QVERIFY(program.boxes.last().startsWith("Changes have not been written to the controller yet."));
        QVERIFY(test::timerNamed(program.window, "TimerZELMORVATOUCHTest")->isActive());

        // The same controller back: the edit goes out and nothing is asked.
        program.plug();
        program.poll();
        program.tick();
        QCOMPARE(program.deviceByte(kHeadTypeOffset), uint8_t(1));
        QVERIFY(!program.window.changesPendingShown());
        QVERIFY(panel->isHidden());
        const int boxes = program.boxes.size();
        QVERIFY(program.window.close());
        QCOMPARE(program.boxes.size(), boxes);
    }

    void closingWithPendingChangesGoesAheadOnYes() {
        Rig program;
        program.connect();
        program.unplug();
        program.record.image.headType = 1;
        program.tick();
        program.window.show();
        program.answers = {Answer::Yes};
        QVERIFY(program.window.close());
        QVERIFY(program.window.flags().appClosing());
        QVERIFY(!program.window.isVisible());
    }

    // A time-out typed and not yet confirmed by leaving its field counts as
    // soon as the user saves, clicks any toolbar button or closes.
    void typedInputIsCommittedBeforeSavingToolbarActionsAndClosing() {
        Rig program;
        program.connect();
        auto* field = program.window.findChild<QLineEdit*>("Edit_PAR_LongTO");
        program.window.findChild<QTabWidget*>("PageControlMain")->setCurrentIndex(1);
        program.window.show();
        program.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&program.window));
        const auto type = [&](const char* text) {
            field->setFocus();
            QVERIFY(field->hasFocus());
            field->selectAll();
            QTest::keyClicks(field, text);
        };

        type("700");
        ConfigImage saved{};
        QVERIFY(program.saveToFile("typed.ZMT", saved));
        QCOMPARE(int(saved.longPressTimeout), 700);
        QCOMPARE(field->text(), QString("700"));

        // The controller's own write button: the typed value goes with it.
        type("800");
        program.answers = {Answer::Yes};
        QTest::mouseClick(program.button("SpeedButtonWriteDevice"), Qt::LeftButton);
        QCOMPARE(program.deviceByte(kLongPressOffset) | program.deviceByte(kLongPressOffset + 1) << 8, 800);

        // Closing with the controller away: the typed value is an edit
        // still to be sent, so it is asked about.
        program.unplug();
        type("900");
        const int boxes = program.boxes.size();
        program.answers = {Answer::No};
        QVERIFY(!program.window.close());
        QCOMPARE(int(program.record.image.longPressTimeout), 900);
        QCOMPARE(program.boxes.size(), boxes + 1);

        // With the controller there, a value typed right before the close
        // goes out with it: nothing is left to ask about.
        program.plug();
        program.poll();
        type("950");
        QVERIFY(program.window.close());
        QCOMPARE(program.boxes.size(), boxes + 1);
        QCOMPARE(program.deviceByte(kLongPressOffset) | program.deviceByte(kLongPressOffset + 1) << 8, 950);
    }

    // So is a button's name still being typed in its grid cell: the close
    // ends the cell's editor and the name reaches the controller with it.
    void aNameStillTypedInTheGridGoesOutWithTheClose() {
        Rig program;
        program.connect();
        program.record.image.keys[0][0].level = 60;
        program.record.image.keys[0][0].setName("1.60");
        program.window.showImage();
        program.tick();
        QVERIFY(program.imageEqualsController());
        program.window.findChild<QTabWidget*>("PageControlMain")->setCurrentIndex(1);
        program.window.show();
        program.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&program.window));
        auto* grid = program.window.findChild<QTableWidget*>("StringGridKeys");
        grid->editItem(grid->item(0, 0));
        auto* edit = grid->findChild<QLineEdit*>();
        QVERIFY(edit != nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, "MUTE");
        const int boxes = program.boxes.size();
        QVERIFY(program.window.close());
        QCOMPARE(program.boxes.size(), boxes);   // nothing left to ask about
        QCOMPARE(program.record.image.keys[0][0].nameText(), std::string("MUTE"));
        QVERIFY(program.imageEqualsController());
    }

    // SIGTERM and its kin: nothing is asked, the edit typed last gets its
    // last chance to reach the controller, and the settings are saved.
    void aShutDownTheSystemAsksForDeliversAndSavesWithoutAQuestion() {
        Rig program;
        program.connect();
        program.window.findChild<QTabWidget*>("PageControlMain")->setCurrentIndex(1);
        program.window.show();
        program.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&program.window));
        auto* field = program.window.findChild<QLineEdit*>("Edit_PAR_LongTO");
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, "1200");
        const QString settingsFile = program.dir.filePath("zmtsetup.ini");
        QFile::remove(settingsFile);
        program.answers = {Answer::No, Answer::No};   // would keep the window open if asked

        program.window.closeOnSystemRequest();
        QCoreApplication::processEvents();
        QVERIFY(!program.window.isVisible());
        QVERIFY(program.boxes.isEmpty());
        QCOMPARE(program.deviceByte(kLongPressOffset) | program.deviceByte(kLongPressOffset + 1) << 8, 1200);
        QVERIFY(QFile::exists(settingsFile));
    }
};

QTEST_MAIN(ConfigWindowTest)
#include "config_window_test.moc"
