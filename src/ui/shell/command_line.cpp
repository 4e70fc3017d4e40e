#include "ui/shell/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace zmt::ui {

const char* const kUsageText =
    "Usage: zmtsetup [options] [FILE.ZMT]\n"
    "Sets up the ZEL MORVA TOUCH controller.\n"
    "FILE.ZMT, when given, is opened at start-up as the toolbar's open button opens it.\n"
    "\n"
    "  --simulator          work with the built-in simulated controller\n"
    "  --simulator=FILE     the same, keeping its state in FILE\n"
    "                       (given again: one more simulated controller each)\n"
    "  --screenshot DIR     save pictures of the main window in both languages to DIR and exit\n"
    "  --help               show this text and exit\n"
    "  --version            show the program version and exit\n";

namespace {

// --simulator takes its file only after "=", which Qt's parser cannot say
// of one option: a bare --simulator is handed to it with this value, which
// no typed argument can carry, so "--simulator=" stays an error of its own.
const QString kNoStateFile = QStringLiteral("\x01");

struct Parsed {
    QCommandLineParser parser;
    QCommandLineOption simulator{QStringLiteral("simulator"), QString(), QStringLiteral("FILE")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"), QString(), QStringLiteral("DIR")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    QCommandLineOption version{QStringLiteral("version")};
    QStringList given;   // the arguments as typed
    bool ok = false;

    explicit Parsed(const std::vector<std::string>& args) {
        // The toolkit's own single-dash options stay whole words
        // ("-platform"), never a bundle of letters.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({simulator, screenshot, help, version});
        QStringList handed{QStringLiteral("zmtsetup")};
        bool optionsEnded = false;
        for (const std::string& arg : args) {
            const QString text = QString::fromStdString(arg);
            given << text;
            if (!optionsEnded && text == QLatin1String("--simulator")) handed << QStringLiteral("--simulator=") + kNoStateFile;
            else handed << text;
            if (text == QLatin1String("--")) optionsEnded = true;
        }
        ok = parser.parse(handed);
    }

    // The argument as typed that named an option the parser did not know.
    QString typedOption(const QString& name) const {
        for (const QString& arg : given) {
            if (arg == QLatin1String("--")) break;
            const QString bare = arg.section(QLatin1Char('='), 0, 0);
            if (bare == QLatin1String("-") + name || bare == QLatin1String("--") + name) return arg;
        }
        return QLatin1String("--") + name;
    }
};

} // namespace

std::string unknownLongOption(const std::vector<std::string>& args) {
    const Parsed parsed(args);
    for (const QString& name : parsed.parser.unknownOptionNames()) {
        const QString typed = parsed.typedOption(name);
        if (typed.startsWith(QLatin1String("--"))) return typed.toStdString();
    }
    return {};
}

StartupOptions parseCommandLine(const std::vector<std::string>& args) {
    StartupOptions options;
    const Parsed parsed(args);
    const QCommandLineParser& parser = parsed.parser;
    if (!parser.unknownOptionNames().isEmpty()) {
        options.error = "unknown option: " + parsed.typedOption(parser.unknownOptionNames().first()).toStdString();
        return options;
    }
    if (!parsed.ok) {
        // The one option whose value may follow as the next argument.
        options.error = "--screenshot needs a folder";
        return options;
    }
    const QStringList units = parser.values(parsed.simulator);
    for (const QString& file : units) {
        if (file.isEmpty()) {
            options.error = "--simulator= needs a file name";
            return options;
        }
        const std::string stateFile = file == kNoStateFile ? std::string() : file.toStdString();
        if (!options.simulator) options.simulatorStateFile = stateFile;
        else options.moreSimulatorStateFiles.push_back(stateFile);
        options.simulator = true;
    }
    if (parser.isSet(parsed.screenshot)) {
        options.screenshotDir = parser.value(parsed.screenshot).toStdString();
        if (options.screenshotDir.empty()) {
            options.error = "--screenshot= needs a folder";
            return options;
        }
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        options.error = "only one file can be opened, not also " + files[1].toStdString();
        return options;
    }
    // Absolute, so that it names the same file wherever it is used next
    // (the recent files, a zmtsetup already running in another folder).
    if (!files.isEmpty() && !files[0].isEmpty())
        options.configFile = QDir::cleanPath(QFileInfo(files[0]).absoluteFilePath()).toStdString();
    return options;
}

} // namespace zmt::ui
