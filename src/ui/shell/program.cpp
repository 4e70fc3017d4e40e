#include "ui/shell/program.h"

#include "config/config_file.h"
#include "config/config_transfer.h"
#include "config/snapshot_store.h"
#include "ui/editor/event_editor.h"
#include "ui/editor/keys_grid_view.h"
#include "ui/editor/parameters_page.h"
#include "ui/editor/parameters_panel.h"
#include "ui/shell/config_commands.h"
#include "ui/shell/controller_choice.h"
#include "ui/shell/controller_session.h"
#include "ui/shell/file_opening.h"
#include "ui/help/help_window.h"
#include "ui/shell/recent_files.h"
#include "ui/shell/toolbar_shortcuts.h"
#include "ui/picker/reaction_picker.h"
#include "ui/shell/main_window.h"
#include "ui/procedures/guided_procedures.h"
#include "ui/shell/qt_host.h"
#include "ui/shell/quick_setup_entry.h"
#include "ui/shell/screenshots.h"
#include "ui/shell/settings_store.h"
#include "ui/shell/snapshot_windows.h"
#include "ui/sim/simulator_window.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QToolButton>

namespace zmt::ui {

Program::Program(ProgramOptions options)
    : window_(std::make_unique<MainWindow>()) {
    // The link and the simulated controller keep the host they are given.
    if (options.hostMaker != nullptr) window_->setHost(options.hostMaker->makeHost(*window_));
    settings_ = std::make_unique<SettingsStore>(*window_, options.settingsPath);
    controller_ = std::make_unique<ControllerSession>(*window_, options.simulated, options.simulatorStateFile,
                                                     options.moreSimulatedUnits);
    if (!options.snapshotFolder.empty()) {
        snapshots_ = std::make_unique<SnapshotStore>(options.snapshotFolder);
        controller_->transfer().setSnapshotHook(
            [this](uint32_t serial, const ConfigImage& held, SnapshotCause cause) {
                SnapshotStore::Taken taken = snapshots_->take(serial, held, cause);
                if (taken.result.ok()) taken.result.path = taken.path;
                return taken.result;
            });
    }
    commands_ = std::make_unique<ConfigCommands>(*window_, *controller_, *settings_);
    // The Parameters page: the device parameters panel, the buttons grid
    // and the event editor, which reads infrared codes through the link.
    ConfigRecord& record = controller_->record();
    parametersPage_ = std::make_unique<ParametersPage>(*window_, record);
    parametersPage_->events().setLink(&controller_->link());
    // Firmware update, button learning and touch calibration work on the
    // same record and transfer as the toolbar and the editors.
    procedures_ = std::make_unique<GuidedProcedures>(
        *window_,
        GuidedProcedures::Controller{controller_->link(), controller_->watch(), controller_->transfer(), record,
                                     controller_->simulatorWindow()},
        *parametersPage_, *settings_);
    QObject::connect(&window_->toolButton(MainWindow::ToolButton::UpdateDevice), &QAbstractButton::clicked,
                     procedures_.get(), [this] { procedures_->onUpdateFirmware(); });
    QObject::connect(window_.get(), &MainWindow::shuttingDown, procedures_.get(),
                     [this] { procedures_->onShuttingDown(); });
    // After the controller session: a file waiting for start-up is opened
    // once the poll has read the controller.
    fileOpening_ = std::make_unique<FileOpening>(*window_, *controller_, *commands_);
    recentFiles_ = std::make_unique<RecentFilesMenu>(*window_, *settings_, *fileOpening_);
    snapshotWindows_ = std::make_unique<SnapshotWindows>(*window_, *controller_, *settings_, snapshots_.get());
    shortcuts_ = std::make_unique<ToolBarShortcuts>(*window_);
    quickSetup_ = std::make_unique<QuickSetupEntry>(*window_, *controller_, *settings_, *parametersPage_,
                                                    options.offerQuickSetup);
    // After the controller session, so each poll is looked at once done.
    controllerChoice_ = new ControllerChoice(*window_, controller_->watch(), *settings_);
    wireHelp();
}

void Program::wireHelp() {
    help_ = new HelpDesk(*window_, window_->toolBarMenu(), window_->shellSignals(), *settings_);
    // Before the settings are written, so the help window's place goes with them.
    QObject::connect(window_.get(), &MainWindow::shuttingDown, help_, [this] { help_->onShuttingDown(); });
    // F1 opens the guide where the user is: each page, window and panel
    // names its section.
    QTabWidget& pages = window_->pages();
    for (int page = 0; page < pages.count(); ++page)
        setHelpTopic(*pages.widget(page),
                     pages.widget(page) == window_->parametersPage() ? "parameters-page" : "monitoring");
    setHelpTopic(parameters(), "parameters");
    setHelpTopic(*keysGrid().box(), "learning");
    // The event's controls; the reaction's group (the box and its IR button,
    // the last of them) has a section of its own.
    const std::vector<QWidget*> eventControls = events().tabStops();
    QWidget* reactionGroup = eventControls.empty() ? nullptr : eventControls.back()->parentWidget();
    if (reactionGroup != nullptr) setHelpTopic(*reactionGroup, "reactions");
    for (QWidget* control : eventControls)
        if (control->parentWidget() != reactionGroup) setHelpTopic(*control, "events");
    setHelpTopic(*events().homeKey(), "home");
    if (QWidget* simulator = controller_->simulatorWindow()) setHelpTopic(*simulator, "simulator");
    QObject::connect(&window_->shellSignals(), &ShellSignals::pickerBuilt, help_,
                     [](ReactionPicker& picker) { setHelpTopic(picker, "reactions"); });
}

Program::~Program() = default;

ParametersPanel& Program::parameters() { return parametersPage_->panel(); }
KeysGridView& Program::keysGrid() { return parametersPage_->keysGrid(); }
EventEditor& Program::events() { return parametersPage_->events(); }

bool Program::loadState(std::string& error) { return controller_->loadState(error); }

bool Program::stateFileBusy() const { return controller_->stateFileBusy(); }

bool Program::saveState(std::string& error) { return controller_->saveState(error); }

void Program::startUp() { window_->startUp(); }

ReactionPicker& Program::picker() { return window_->picker(); }

void Program::show() {
    window_->show();
    controller_->showSimulatorWindow();
}

void Program::openAtStartup(const std::string& path) {
    fileOpening_->openAtStartup(path);
    if (!path.empty()) quickSetup_->withholdOffer();
}

bool Program::saveScreenshots(const QString& dir, QString* why) {
    // The pictures show the demonstration configuration kept beside the
    // screenshots folder, so the editor pages have content.
    const QString demo = QDir(dir).filePath(QStringLiteral("../demo.ZMT"));
    if (QFileInfo::exists(demo)) {
        const FileResult loaded = loadConfigFile(controller_->record().image, demo.toStdString());
        // An event with a modifier, a key and a reaction shows the most.
        events().selectEvent(3);
        if (loaded.ok()) window_->showImage();
    }
    return zmt::ui::saveScreenshots(*window_, dir, why) && controller_->saveConnectedScreenshots(dir, why);
}

} // namespace zmt::ui
