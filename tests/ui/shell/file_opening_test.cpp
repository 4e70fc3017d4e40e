// Configuration files opened other than through the open button's dialog:
// the command line's file at start-up, files dropped onto the main window,
// the recent files, and the toolbar's keys.
#include "ui/shell/file_opening.h"
#include "ui/shell/recent_files.h"
#include "ui/shell/toolbar_shortcuts.h"
#include "../program_rig.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QToolButton>

using namespace zmt;
using namespace zmt::ui;

namespace {

constexpr std::size_t kHeadTypeOffset = 974;

struct Rig : test::ProgramRig {
    explicit Rig(test::RigOptions options = {}) : ProgramRig(std::move(options)) { window.setLanguage("en"); }

    uint8_t deviceHeadType() { return controller().state.config[kHeadTypeOffset]; }
    QToolButton& button(MainWindow::ToolButton which) { return window.toolButton(which); }
    // A drag of these files over the window and, when it was taken, their
    // drop; true when the drag was taken. The open follows the drop.
    bool drop(const QStringList& files) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& file : files) urls << (file.contains("://") ? QUrl(file) : QUrl::fromLocalFile(file));
        mime.setUrls(urls);
        const QPoint at(300, 200);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &dropped);
        QCoreApplication::processEvents();
        return dropped.isAccepted();
    }
    std::string undoLabel() { return session.history().undoLabel(record.image); }
    QList<QAction*> recentEntries() {
        QMenu& menu = program.recentFiles().menu();
        emit menu.aboutToShow();
        return menu.actions();
    }
};

} // namespace

class FileOpeningTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setLanguage("ru"); }

    // The file waits for the first poll; a controller found there is read
    // first, and the file then goes to it with no question, as one step.
    void commandLineFileGoesToTheControllerFoundAtStartUp() {
        Rig program;
        const QString path = program.writeConfigFile("car.ZMT", 3);
        program.program.openAtStartup(path.toStdString());
        QCOMPARE(program.record.image.headType, uint8_t(0));
        program.poll();
        QVERIFY(program.window.flags().deviceConnected());
        QCOMPARE(program.record.image.headType, uint8_t(3));
        QVERIFY(program.boxes.isEmpty());
        QCOMPARE(program.notice(), QString("The configuration is read"));
        QCOMPARE(program.undoLabel(), std::string("load file car.ZMT"));
        program.tick();
        QCOMPARE(program.deviceHeadType(), uint8_t(3));
        QVERIFY(!program.window.changesPendingShown());
        QCOMPARE(program.settings.recentFiles(), std::vector<std::string>{path.toStdString()});
        program.poll();   // opened once only
        QCOMPARE(program.undoLabel(), std::string("load file car.ZMT"));
    }

    void commandLineFileWaitsForAControllerAsAnyOpenedFile() {
        Rig program({.plugged = false});
        program.program.openAtStartup(program.writeConfigFile("car.ZMT", 3).toStdString());
        program.poll();
        QVERIFY(!program.window.flags().deviceConnected());
        QCOMPARE(program.record.image.headType, uint8_t(3));
        program.tick();
        // From here as any file opened without a controller (config_window_test).
        QVERIFY(program.window.changesPendingShown());
    }

    void commandLineFileThatIsMissingOrDamagedChangesNothingUnasked() {
        struct Case {
            const char* name;
            bool exists;
            bool damaged;
            Answer answer;
            const char* box;
            uint8_t headType;   // afterwards, in the program and the controller
        };
        const Case cases[] = {
            {"missing.ZMT", false, false, Answer::Ok, "File %1 not found", 0},
            {"damaged.ZMT", true, true, Answer::No, "File %1 was read, but some values are damaged: EVENTS/EVKEY05", 0},
            {"damaged.ZMT", true, true, Answer::Yes, "File %1 was read, but some values are damaged: EVENTS/EVKEY05", 3},
        };
        for (const Case& c : cases) {
            Rig program;
            const QString path = c.exists ? program.writeConfigFile(c.name, 3, c.damaged) : program.dir.filePath(c.name);
            program.program.openAtStartup(path.toStdString());
            program.answers = {c.answer};
            program.poll();
            QCOMPARE(program.boxes.size(), 1);
            QVERIFY2(program.boxes[0].startsWith(QString(c.box).arg(path)), qPrintable(program.boxes[0]));
            QVERIFY(program.window.flags().imageValid());
            program.tick();
            QCOMPARE(program.record.image.headType, c.headType);
            QCOMPARE(program.deviceHeadType(), c.headType);
            QCOMPARE(program.settings.recentFiles().size(), std::size_t(c.headType != 0 ? 1 : 0));
        }
    }

    void droppedConfigurationFileOpensAsTheOpenButtonDoes() {
        Rig program;
        program.poll();
        const QString upper = program.writeConfigFile("car.ZMT", 3);
        QVERIFY(program.drop({upper}));
        QCOMPARE(program.record.image.headType, uint8_t(3));
        QCOMPARE(program.undoLabel(), std::string("load file car.ZMT"));
        QVERIFY(program.drop({program.writeConfigFile("van.zmt", 5)}));   // either case of the name
        QCOMPARE(program.record.image.headType, uint8_t(5));
        program.tick();
        QCOMPARE(program.deviceHeadType(), uint8_t(5));
        QVERIFY(program.boxes.isEmpty());
    }

    void otherDropsAreRefusedWithAMessage() {
        Rig program;
        program.poll();
        const QString text = program.dir.filePath("notes.txt");
        std::ofstream(text.toStdString()) << "[PARAM]\nHEAD_TYPE=3\n";
        const QString zmt = program.writeConfigFile("car.ZMT", 3);
        struct Case {
            QStringList files;
            QString box;
        };
        const Case cases[] = {
            {{text}, "File notes.txt was not opened: only configuration files (*.ZMT) can be dropped here"},
            {{zmt, zmt}, "Drop one configuration file (*.ZMT), not several"},
            {{"https://example.org/car.ZMT"},
             "File https://example.org/car.ZMT was not opened: only configuration files (*.ZMT) can be dropped here"},
        };
        for (const Case& c : cases) {
            program.boxes.clear();
            QVERIFY(program.drop(c.files));
            QCOMPARE(program.boxes, QStringList{c.box});
            QCOMPARE(program.boxIcons.last(), QMessageBox::Warning);
        }
        setLanguage("ru");
        QCOMPARE(QString::fromStdString(judgeDrop({QUrl::fromLocalFile(text)}).refusal),
                 QString("Файл notes.txt не открыт: перетаскиванием открываются только файлы конфигурации (*.ZMT)"));
        setLanguage("en");
        // While the open button is disabled (a transfer, an update), the
        // window takes no drop at all.
        // Nor while a firmware update holds the editing, even with the
        // toolbar enabled again by the boot loader's announcement.
        program.boxes.clear();
        program.window.setToolbarBusy(true);
        QVERIFY(!program.drop({zmt}));
        program.window.setToolbarBusy(false);
        program.window.holdEditing(true);
        QVERIFY(!program.drop({zmt}));
        program.window.holdEditing(false);
        QCOMPARE(program.record.image.headType, uint8_t(0));
        QVERIFY(program.boxes.isEmpty());
    }

    void recentFileListKeepsTheLatestEightOnce() {
        RecentFileList list({"/a.ZMT", "", "/b.ZMT", "/a.ZMT"});
        QCOMPARE(list.files(), (std::vector<std::string>{"/a.ZMT", "/b.ZMT"}));
        list.add("/b.ZMT");
        QCOMPARE(list.files(), (std::vector<std::string>{"/b.ZMT", "/a.ZMT"}));
        for (int i = 1; i <= 8; ++i) list.add("/" + std::to_string(i) + ".ZMT");
        QCOMPARE(list.files().size(), kRecentFileSlots);
        QCOMPARE(list.files().front(), std::string("/8.ZMT"));
        QCOMPARE(list.files().back(), std::string("/1.ZMT"));   // a and b fell off the end
        QVERIFY(list.remove("/5.ZMT"));
        QVERIFY(!list.remove("/5.ZMT"));
        QCOMPARE(list.files().size(), kRecentFileSlots - 1);
#ifdef _WIN32
        QVERIFY(sameFile("C:/Cars/Car.ZMT", "c:\\cars\\car.zmt"));
#else
        QVERIFY(!sameFile("/cars/Car.ZMT", "/cars/car.ZMT"));
#endif
    }

    void recentFilesComeBackNextRunAndAGoneOneLeavesTheList() {
        std::vector<std::string> opened;
        QTemporaryDir settingsDir;   // the files too: they outlive the first run
        const std::string settingsPath = settingsDir.filePath("zmtsetup.ini").toStdString();
        {
            Rig program({.settingsPath = settingsPath});
            program.poll();
            for (int i = 0; i < 9; ++i) {
                opened.push_back(program.writeConfigFile(settingsDir.filePath(QString("car%1.ZMT").arg(i)), uint8_t(i)).toStdString());
                program.commands.openFile(opened.back());
            }
            program.commands.openFile(opened[3]);   // again: to the top
            QVERIFY(program.window.close());
            QVERIFY(program.boxes.isEmpty());
        }
        Rig program({.settingsPath = settingsPath});
        program.poll();
        const std::vector<std::string> expected{opened[3], opened[8], opened[7], opened[6],
                                                opened[5], opened[4], opened[2], opened[1]};
        QCOMPARE(program.settings.recentFiles(), expected);
        QList<QAction*> entries = program.recentEntries();
        QCOMPARE(entries.size(), 8);
        QVERIFY(entries[1]->text().startsWith("&2 ") && entries[1]->text().endsWith("car8.ZMT"));

        entries[1]->trigger();
        QCOMPARE(program.record.image.headType, uint8_t(8));

        QVERIFY(QFile::remove(QString::fromStdString(opened[7])));
        entries = program.recentEntries();
        entries[2]->trigger();
        QCOMPARE(program.boxes, QStringList{QString("File %1 not found\nIt has been taken out of the recent files.")
                                                .arg(QString::fromStdString(opened[7]))});
        QCOMPARE(program.record.image.headType, uint8_t(8));
        QCOMPARE(program.settings.recentFiles().size(), std::size_t(7));
        QCOMPARE(program.recentEntries().size(), 7);
        ProgramSettings stored;
        QVERIFY(loadSettings(settingsPath, stored).ok());
        QCOMPARE(stored.recentFiles, program.settings.recentFiles());
    }

    void recentFilesAreOfferedFromTheOpenButtonAndTheToolbarMenu() {
        Rig program;
        QCOMPARE(program.recentEntries().size(), 1);
        QVERIFY(!program.recentEntries()[0]->isEnabled());
        QCOMPARE(program.recentEntries()[0]->text(), QString("No recent files"));
        QMenu& menu = program.program.recentFiles().menu();
        QVERIFY(program.window.toolBarMenu().actions().contains(menu.menuAction()));
        QCOMPARE(menu.title(), QString("Recent files"));
        program.window.setLanguage("ru");
        QCOMPARE(menu.title(), QString("Недавние файлы"));
        // While the toolbar is busy the entries cannot be chosen.
        program.poll();
        program.commands.openFile(program.writeConfigFile("car.ZMT", 3).toStdString());
        program.window.setToolbarBusy(true);
        QVERIFY(!program.recentEntries()[0]->isEnabled());
        program.window.setToolbarBusy(false);
        QVERIFY(program.recentEntries()[0]->isEnabled());
    }

    void keysDoWhatTheButtonsDoAndTheHintsSayWhich() {
        Rig program;
        program.window.show();   // keys reach the shown window
        program.poll();
        const QString path = program.writeConfigFile("car.ZMT", 3);
        program.nextFile = path;
        QTest::keyClick(&program.window, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(program.record.image.headType, uint8_t(3));
        program.record.image.headType = 6;
        program.nextFile = program.dir.filePath("saved.ZMT");
        QTest::keyClick(&program.window, Qt::Key_S, Qt::ControlModifier);
        ConfigImage saved;
        QVERIFY(loadConfigFile(saved, program.nextFile.toStdString()).ok());
        QCOMPARE(saved.headType, uint8_t(6));
        program.tick();
        program.controller().state.config[kHeadTypeOffset] = 1;
        QTest::keyClick(&program.window, Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(program.record.image.headType, uint8_t(1));
        program.record.image.headType = 4;   // Ctrl+W asks first; No writes nothing
        program.answers = {Answer::No};
        QTest::keyClick(&program.window, Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(program.boxes.size(), 1);
        QVERIFY(program.boxes[0].startsWith("Are you sure you want to write"));
        QCOMPARE(program.deviceHeadType(), uint8_t(1));

        // A disabled button's key does nothing.
        program.window.setToolbarBusy(true);
        program.nextFile = path;
        QTest::keyClick(&program.window, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(&program.window, Qt::Key_R, Qt::ControlModifier);
        program.window.setToolbarBusy(false);
        QCOMPARE(program.record.image.headType, uint8_t(4));
        QCOMPARE(program.boxes.size(), 1);

        // The hints name the keys, in both languages and after every switch.
        QCOMPARE(program.button(MainWindow::ToolButton::ReadConfig).toolTip(),
                 QString("Open the device configuration file (Ctrl+O)"));
        QCOMPARE(program.button(MainWindow::ToolButton::WriteDevice).toolTip(),
                 QString("Write configuration to the device (Ctrl+W)"));
        program.window.setLanguage("ru");
        program.window.setLanguage("ru");   // the keys once, however often
        QCOMPARE(program.button(MainWindow::ToolButton::WriteConfig).toolTip(),
                 QString("Сохранить файл конфигурации устройства (Ctrl+S)"));
        QCOMPARE(program.button(MainWindow::ToolButton::ReadDevice).toolTip(),
                 QString("Прочитать конфигурацию из устройства (Ctrl+R)"));
        QCOMPARE(program.button(MainWindow::ToolButton::Reset).toolTip(), QString("Сброс устройства"));
    }
};

QTEST_MAIN(FileOpeningTest)
#include "file_opening_test.moc"
