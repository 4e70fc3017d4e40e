// The program's settings in the window: a round trip through the real file in
// the user's configuration folder, an unusable file, and the three file
// dialogs with their titles, filters, remembered folders and centring.
#include "../program_rig.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sstream>

using namespace zmt;
using namespace zmt::ui;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The program with its settings file at settingsPath, not started up yet;
// boxes are recorded and answered OK.
struct Window : test::ProgramRig {
    SettingsStore& store = settings;
    explicit Window(const std::string& settingsPath)
        : ProgramRig({.startUp = false, .settingsPath = settingsPath}) {}
};

// What a file dialog looked like when it was run.
struct DialogSeen {
    QString title;
    QString folder;
    QString suffix;
    QStringList filters;
    bool save = false;
    bool centring = false;
};

} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setLanguage("ru"); }

    void settingsComeBackFromTheUsersConfigurationFolder() {
        const std::string path =
            settingsFilePath(QCoreApplication::applicationFilePath().toStdString(), userConfigFolder());
        QCOMPARE(QString::fromStdString(path),
                 QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("zmtsetup/zmtsetup.ini"));
        QFile::remove(QString::fromStdString(path));
        QVERIFY(QDir().mkpath(QFileInfo(QString::fromStdString(path)).path()));
        {
            std::ofstream(path) << "[MainSettings]\r\nEventPage=59\r\n[Other]\r\nKept=1\r\n";
            Window first(path);
            first.window.startUp();
            QCOMPARE(first.window.initialEventPage(), 59);
            first.window.setLanguage("en");
            first.window.findChild<QAction*>("MenuItemLog")->setChecked(true);
            first.window.findChild<QAction*>("MenuItemDebug")->setChecked(true);
            first.window.move(30, 40);
            first.picker().move(200, 60);
            first.picker().show();
            first.store.rememberFirmwareFile("/fw/new.LDR");
            QVERIFY(first.window.close());
            QVERIFY(first.boxes.isEmpty());
        }
        const std::string text = readFile(path);
        QVERIFY(text.find("[Other]\r\nKept=1") != std::string::npos);
        QVERIFY(text.find("Lang=1\r\nLog=1\r\nDebug=1\r\n") != std::string::npos);

        Window second(path);
        second.window.startUp();
        QCOMPARE(languageCode(), std::string("en"));
        QVERIFY(second.window.exchangeLogOn());
        QVERIFY(second.window.findChild<QAction*>("MenuItemDebug")->isChecked());
        QCOMPARE(second.window.initialEventPage(), 59);
        QCOMPARE(second.window.pos(), QPoint(30, 40));
        QVERIFY(second.picker().isVisible());
        QCOMPARE(second.picker().pos(), QPoint(200, 60));
        QCOMPARE(second.store.settings().firmwareFile, std::string("/fw/new.LDR"));
    }

    void unreadableFileIsReportedAndLeftAlone() {
        QTemporaryDir dir;
        // A folder where the file should be: it can be neither read nor replaced.
        const QString path = dir.filePath("zmtsetup.ini");
        QVERIFY(QDir().mkdir(path));
        Window window(path.toStdString());
        window.window.startUp();
        QCOMPARE(window.boxes.size(), 1);
        QVERIFY(window.boxes[0].startsWith(QString::fromUtf8("Ошибка чтения файла конфигурации программы")));
        QCOMPARE(languageCode(), std::string("ru"));
        QVERIFY(window.window.builtPicker() == nullptr);   // not shown, so never built
        window.store.rememberConfigFile("/cfg/car.ZMT");   // kept for this run only
        QCOMPARE(window.store.settings().configFile, std::string("/cfg/car.ZMT"));
        QVERIFY(window.window.close());
        QCOMPARE(window.boxes.size(), 1);   // told once, at start
        QVERIFY(QFileInfo(path).isDir());
    }

    void unwritableFileIsReportedAtShutDown() {
        QTemporaryDir dir;
        std::ofstream(dir.filePath("plain").toStdString()) << "x";
        const QString path = dir.filePath("plain/zmtsetup.ini");   // under a file: cannot be made
        Window window(path.toStdString());
        window.window.startUp();
        QVERIFY(window.boxes.isEmpty());   // no file yet is a first start
        // A file chosen during the run cannot be remembered: the window says
        // so in its notice, without a box in the way of the open or save.
        setLanguage("en");
        window.store.rememberConfigFile("/cfg/car.ZMT");
        QVERIFY(window.boxes.isEmpty());
        QVERIFY2(window.notice().startsWith("Unable to write to " + path + ": "), qPrintable(window.notice()));
        QVERIFY(window.window.close());
        QCOMPARE(window.boxes.size(), 1);
        QVERIFY2(window.boxes[0].contains(path), qPrintable(window.boxes[0]));
    }

    void dialogsStartInTheirRememberedFolders() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("cfg") && QDir(dir.path()).mkpath("fw"));
        const std::string settingsPath = dir.filePath("zmtsetup.ini").toStdString();
        Window window(settingsPath);
        window.window.startUp();
        window.window.setLanguage("en");
        QTimer* onShow = test::timerNamed(window.window, "TimerOnShow");
        DialogSeen seen;
        QString answer;
        window.dialogs.fileDialog = [&](QFileDialog& dialog) {
            seen = {dialog.windowTitle(), dialog.directory().absolutePath(), dialog.defaultSuffix(),
                    dialog.nameFilters(), dialog.acceptMode() == QFileDialog::AcceptSave, onShow->isActive()};
            return answer;
        };

        const QString car = dir.filePath("cfg/car.ZMT");
        answer = car;
        QCOMPARE(window.store.askSaveConfigFile(), car.toStdString());
        QCOMPARE(seen.title, QString("Saving the Configuration File Devices"));
        QVERIFY(seen.save);
        QCOMPARE(seen.suffix, QString("ZMT"));
        QCOMPARE(seen.filters, QStringList({"*.ZMT (*.ZMT *.zmt)"}));
        QVERIFY(seen.centring);
        QVERIFY(!onShow->isActive());   // stopped when the dialog returned
        window.store.rememberConfigFile(car.toStdString());

        answer.clear();   // cancelled: nothing remembered changes
        QCOMPARE(window.store.askOpenConfigFile(), std::string());
        QCOMPARE(seen.title, QString("The choice of device configuration file"));
        QVERIFY(!seen.save);
        QCOMPARE(seen.folder, dir.filePath("cfg"));
        window.store.rememberConfigFile("");

        window.window.setLanguage("ru");
        answer = dir.filePath("fw/new.LDR");
        window.store.askFirmwareFile();
        QCOMPARE(seen.title, QString::fromUtf8("Выбор файла обновления прошивки устройства"));
        QCOMPARE(seen.filters, QStringList({"*.LDR (*.LDR *.ldr)"}));
        QCOMPARE(seen.suffix, QString("LDR"));
        QCOMPARE(seen.folder, QDir::homePath());   // its own kind: nothing remembered yet
        window.store.rememberFirmwareFile(answer.toStdString());

        // The remembered files are in the file at once, not only at shut-down.
        Window next(settingsPath);
        next.window.startUp();
        next.dialogs.fileDialog = window.dialogs.fileDialog;
        answer.clear();
        next.store.askOpenConfigFile();
        QCOMPARE(seen.folder, dir.filePath("cfg"));
        next.store.askFirmwareFile();
        QCOMPARE(seen.folder, dir.filePath("fw"));
    }
};

QTEST_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
