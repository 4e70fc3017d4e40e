// Command-line options of the desktop program.
#include "ui/shell/command_line.h"

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
    }

    void screenshotFolderInEitherSpelling() {
        QCOMPARE(parseCommandLine({"--screenshot", "docs/shots"}).screenshotDir, std::string("docs/shots"));
        QCOMPARE(parseCommandLine({"--screenshot=--odd"}).screenshotDir, std::string("--odd"));
        QVERIFY(!parseCommandLine({"--screenshot"}).error.empty());
    }

    void anythingElseIsNamedInTheError() {
        const StartupOptions options = parseCommandLine({"--simulator", "--simulater"});
        QCOMPARE(options.error, std::string("unknown option: --simulater"));
        QCOMPARE(parseCommandLine({"stray.zmt"}).error, std::string("unknown option: stray.zmt"));
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
