// Command-line options and the file to open of the desktop program.
#include "ui/shell/command_line.h"

#include <QDir>
#include <QTest>

using namespace zmt::ui;

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void simulatorWithAndWithoutStateFile() {
        StartupOptions plain = parseCommandLine({"--simulator"});
        QVERIFY(plain.error.empty());
        QVERIFY(plain.simulator);
        QVERIFY(plain.simulatorStateFile.empty());
        StartupOptions withFile = parseCommandLine({"--simulator=/tmp/unit one.state"});
        QVERIFY(withFile.simulator);
        QCOMPARE(withFile.simulatorStateFile, std::string("/tmp/unit one.state"));
        QVERIFY(!parseCommandLine({"--simulator="}).error.empty());
        QVERIFY(!parseCommandLine({}).simulator);
        // Given again: one more simulated controller each, in order.
        const StartupOptions units = parseCommandLine({"--simulator=a.sim", "--simulator", "--simulator=c.sim"});
        QCOMPARE(units.simulatorStateFile, std::string("a.sim"));
        QCOMPARE(units.moreSimulatorStateFiles, (std::vector<std::string>{"", "c.sim"}));
        QVERIFY(plain.moreSimulatorStateFiles.empty());
    }

    void screenshotFolderInEitherSpelling() {
        QCOMPARE(parseCommandLine({"--screenshot", "docs/shots"}).screenshotDir, std::string("docs/shots"));
        QCOMPARE(parseCommandLine({"--screenshot=--odd"}).screenshotDir, std::string("--odd"));
        QVERIFY(!parseCommandLine({"--screenshot"}).error.empty());
    }

    void anythingElseIsNamedInTheError() {
        const StartupOptions options = parseCommandLine({"--simulator", "--simulater"});
        QCOMPARE(options.error, std::string("unknown option: --simulater"));
        QCOMPARE(parseCommandLine({"-x", "car.ZMT"}).error, std::string("unknown option: -x"));
    }

    void oneFileToOpenMadeAbsolute() {
        const QString here = QDir::currentPath();
        QCOMPARE(parseCommandLine({"car.ZMT"}).configFile, QDir(here).filePath("car.ZMT").toStdString());
        const StartupOptions both = parseCommandLine({"/cars/../cars/van.zmt", "--simulator"});
        QVERIFY(both.error.empty());
        QVERIFY(both.simulator);
        QCOMPARE(both.configFile, std::string("/cars/van.zmt"));
        // After "--" a name that looks like an option is a file.
        QCOMPARE(parseCommandLine({"--", "--simulator"}).configFile, QDir(here).filePath("--simulator").toStdString());
        QVERIFY(!parseCommandLine({"--", "--simulator"}).simulator);
        QCOMPARE(parseCommandLine({"a.ZMT", "b.ZMT"}).error, std::string("only one file can be opened, not also b.ZMT"));
        QVERIFY(parseCommandLine({"--simulator"}).configFile.empty());
        QVERIFY(parseCommandLine({"-h"}).error.empty());
    }

    void longOptionsAreCheckedBeforeTheToolkitStarts() {
        QCOMPARE(unknownLongOption({"-platform", "offscreen", "--simulator"}), std::string());
        QCOMPARE(unknownLongOption({"--screenshot", "--not-an-option-but-a-folder"}), std::string());
        QCOMPARE(unknownLongOption({"-style", "fusion", "--colour"}), std::string("--colour"));
        QCOMPARE(unknownLongOption({"--help"}), std::string());
    }
};

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
