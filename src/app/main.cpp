// zmtsetup: builds the desktop program (ui/shell/program.h) and runs the
// event loop until the main window closes.
#include "app/timing_report.h"
#include "config/snapshot_store.h"
#include "lang/lang.h"
#include "ui/shell/application.h"
#include "ui/shell/command_line.h"
#include "ui/shell/file_handover.h"
#include "ui/shell/file_opening.h"
#include "ui/widgets/controls.h"
#include "ui/shell/main_window.h"
#include "ui/shell/program.h"
#include "ui/shell/settings.h"
#include "ui/shell/termination_signals.h"

#include <QMessageBox>
#include <QStringList>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using zmt::ui::Application;

bool hasArgument(int argc, char** argv, const char* wanted) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == wanted) return true;
    }
    return false;
}

// The language the user chose, for what is said before the window exists.
void useSettingsLanguage(const std::string& settingsPath) {
    zmt::ProgramSettings settings;
    if (zmt::loadSettings(settingsPath, settings).ok()) zmt::setLanguage(settings.lang);
}

// What ends the program before its window opens is said in a box as well as
// on the error output: started from a file manager, nobody sees the latter.
void sayBeforeTheWindow(QMessageBox::Icon icon, const std::string& text) {
    std::fprintf(stderr, "zmtsetup: %s\n", text.c_str());
    QMessageBox box(icon, QStringLiteral("ZEL MORVA TOUCH"), QString::fromStdString(text));
    box.exec();
}

// Where another zmtsetup serves the controller but cannot take the file.
void sayAlreadyRunning(const std::string& file) {
    sayBeforeTheWindow(
        QMessageBox::Information,
        zmt::formatText(zmt::localized("The ZEL MORVA TOUCH setup program is already running.\nOpen the file %s there."),
                        file.c_str()));
}

} // namespace

int main(int argc, char** argv) {
    // Answered before any window exists, so they work without a display.
    if (hasArgument(argc, argv, "--help") || hasArgument(argc, argv, "-h")) {
        std::fputs(zmt::ui::kUsageText, stdout);
        return 0;
    }
    if (hasArgument(argc, argv, "--version")) {
        std::printf("zmtsetup %s\n", zmt::kProgramVersion);
        return 0;
    }
    const std::string unknown = zmt::ui::unknownLongOption(std::vector<std::string>(argv + 1, argv + argc));
    if (!unknown.empty()) {
        std::fprintf(stderr, "zmtsetup: unknown option: %s\n\n%s", unknown.c_str(), zmt::ui::kUsageText);
        return 2;
    }

    // The application outlives the windows so that a failure escaping them
    // can still be shown; the entry returns 0 either way.
    std::unique_ptr<Application> application;
    try {
        application = std::make_unique<Application>(argc, argv);  // takes the toolkit's own options out of argv
        Application& app = *application;
        // Desktops find the menu entry's name and icon by this (Wayland's app
        // id); the window icon serves those that do not, and Windows.
        QGuiApplication::setDesktopFileName(QStringLiteral("zmtsetup"));
        // Windows reads only the sizes it shows (a dense task bar the large
        // one). An X11 window is sent every size it is given, each read and
        // converted before the window can show, and 256 pixels cost more
        // than the rest of the icon; the desktops that show icons that large
        // take them from the installed menu entry instead.
        QStringList icons;
        for (int size : {16, 32, 48, 256}) {
            if (size < 256 || QGuiApplication::platformName() != QLatin1String("xcb"))
                icons << QStringLiteral(":/app/zmtsetup-%1.png").arg(size);
        }
        app.setWindowIcon(zmt::ui::pictureIcon(icons));
        app.setQuitOnLastWindowClosed(false);
        // Qt's own list, not argv: on Windows argv is in the ANSI code page,
        // where a Cyrillic state file name turns into question marks.
        std::vector<std::string> arguments;
        for (const QString& argument : QCoreApplication::arguments().mid(1)) arguments.push_back(argument.toStdString());
        const zmt::ui::StartupOptions options = zmt::ui::parseCommandLine(arguments);
        if (!options.error.empty()) {
            std::fprintf(stderr, "zmtsetup: %s\n\n%s", options.error.c_str(), zmt::ui::kUsageText);
            return 2;
        }

        const std::string settingsPath =
            zmt::settingsFilePath(QCoreApplication::applicationFilePath().toStdString(), zmt::userConfigFolder());
        // A file for a controller another zmtsetup already serves goes there.
        zmt::ui::FileHandover handover(zmt::ui::handoverPlace(options.simulator, options.simulatorStateFile));
        if (options.screenshotDir.empty() && !options.configFile.empty()) {
            switch (handover.handOver(options.configFile)) {
            case zmt::ui::FileHandover::Outcome::HandedOver:
                return 0;
            case zmt::ui::FileHandover::Outcome::AlreadyRunning:
                useSettingsLanguage(settingsPath);
                sayAlreadyRunning(options.configFile);
                return 0;
            case zmt::ui::FileHandover::Outcome::NoneRunning:
                break;
            }
        }

        zmt::ui::Program program({.simulated = options.simulator,
                                  .simulatorStateFile = options.simulatorStateFile,
                                  .moreSimulatedUnits = options.moreSimulatorStateFiles,
                                  .settingsPath = settingsPath,
                                  .snapshotFolder = zmt::defaultSnapshotFolder(),
                                  // Pictures are taken with nobody there to answer.
                                  .offerQuickSetup = options.screenshotDir.empty()});
        std::string stateError;
        // A refusal of the state file is said in the user's language.
        if (options.simulator) useSettingsLanguage(settingsPath);
        if (!program.loadState(stateError)) {
            // A unit another program holds is said in a box too, naming the
            // holder: the user who double-clicked wants to know who has it.
            if (program.stateFileBusy() && options.screenshotDir.empty())
                sayBeforeTheWindow(QMessageBox::Warning, stateError);
            else std::fprintf(stderr, "zmtsetup: %s\n", stateError.c_str());
            return 2;
        }
        program.startUp();
        program.openAtStartup(options.configFile);
        zmt::ui::MainWindow& mainForm = program.window();
        QObject::connect(&mainForm, &zmt::ui::MainWindow::closed, &app, &QApplication::quit);
        // Logout, shutdown or kill end the program as a close would.
        zmt::ui::TerminationSignals termination;
        bool endedBySystem = false;
        const QMetaObject::Connection closeOnSignal =
            QObject::connect(&termination, &zmt::ui::TerminationSignals::requested, &mainForm, [&] {
                endedBySystem = true;
                mainForm.closeOnSystemRequest();
            });

        if (!options.screenshotDir.empty()) {
            QString why;
            const bool saved = program.saveScreenshots(QString::fromStdString(options.screenshotDir), &why);
            if (!saved) std::fprintf(stderr, "zmtsetup: %s\n", why.toLocal8Bit().constData());
            mainForm.close();
            return saved ? 0 : 1;
        }

        program.show();
        handover.serve();
        QObject::connect(&handover, &zmt::ui::FileHandover::fileArrived, &mainForm, [&](const QString& file) {
            program.fileOpening().openWhenFree(file.toStdString());
            if (mainForm.isMinimized()) mainForm.showNormal();
            mainForm.raise();
            mainForm.activateWindow();
        });
        // A window the window system refused (no desktop to draw on) still
        // counts as shown to Qt, and closing it later never ends: Qt keeps
        // retrying a close that does nothing. Say so and stop instead.
        if (mainForm.windowHandle() == nullptr || mainForm.windowHandle()->handle() == nullptr) {
            std::fprintf(stderr, "zmtsetup: the window system did not create the main window\n");
            return 1;
        }
        // scripts/bench times the start-up to the first shown window and the
        // close, against a bare window.
        zmt::reportTimingWhenShown(mainForm);
        app.exec();
        // From here on a signal only answers the box below, if one is open,
        // as Cancel: the window has closed already.
        QObject::disconnect(closeOnSignal);
        QObject::connect(&termination, &zmt::ui::TerminationSignals::requested, &app, [&endedBySystem] {
            endedBySystem = true;
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
        });
        // The run's changes to the simulated controller would be lost
        // silently otherwise. Asked by the system to end, there may be
        // nobody to answer a box (a logout, a shutdown): the error output
        // alone tells, and the program ends.
        if (!program.saveState(stateError)) {
            if (endedBySystem) std::fprintf(stderr, "zmtsetup: %s\n", stateError.c_str());
            else Application::showFailureBox(QString::fromStdString(stateError));
        }
    } catch (const std::exception& failure) {
        Application::showFailureBox(QString::fromUtf8(failure.what()));
    } catch (...) {
        Application::showFailureBox(QStringLiteral("unknown exception"));
    }
    return 0;
}
