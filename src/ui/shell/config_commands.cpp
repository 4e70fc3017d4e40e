#include "ui/shell/config_commands.h"

#include "config/config_file.h"
#include "config/config_transfer.h"
#include "config/edit_history.h"
#include "lang/lang.h"
#include "ui/shell/controller_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/settings_store.h"

#include <QToolButton>

#include <filesystem>

namespace zmt::ui {

namespace {

// The window's busy state, and its editing hold, for the length of a scope.
// A whole configuration on its way to or from the controller also locks the
// editor: a click meanwhile would edit an image about to be replaced.
class BusyScope {
public:
    enum Transfer { NoTransfer, WholeConfiguration };
    explicit BusyScope(MainWindow& window, Transfer transfer = NoTransfer)
        : window_(window), locks_(transfer == WholeConfiguration) {
        window_.setToolbarBusy(true);
        window_.holdEditing(true);
        if (locks_) window_.lockEditorForTransfer(true);
    }
    ~BusyScope() {
        if (locks_) window_.lockEditorForTransfer(false);
        window_.holdEditing(false);
        window_.setToolbarBusy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    MainWindow& window_;
    const bool locks_;
};

} // namespace

ConfigCommands::ConfigCommands(MainWindow& window, ControllerSession& session, SettingsStore& settings)
    : window_(window),
      session_(session),
      transfer_(session.transfer()),
      record_(session.record()),
      settings_(settings) {
    const auto connectButton = [this](MainWindow::ToolButton which, void (ConfigCommands::*handler)()) {
        connect(&window_.toolButton(which), &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    using Button = MainWindow::ToolButton;
    connectButton(Button::ReadDevice, &ConfigCommands::onReadFromController);
    connectButton(Button::WriteDevice, &ConfigCommands::onWriteToController);
    connectButton(Button::ToDefault, &ConfigCommands::onFactoryConfiguration);
    connectButton(Button::Reset, &ConfigCommands::onRestartController);
    connectButton(Button::ReadConfig, &ConfigCommands::onOpenFile);
    connectButton(Button::WriteConfig, &ConfigCommands::onSaveFile);
}

void ConfigCommands::onReadFromController() {
    BusyScope busy(window_, BusyScope::WholeConfiguration);
    transfer_.readDeviceCommand();
}

void ConfigCommands::onWriteToController() {
    BusyScope busy(window_, BusyScope::WholeConfiguration);
    transfer_.writeDeviceCommand();
}

void ConfigCommands::onFactoryConfiguration() {
    BusyScope busy(window_, BusyScope::WholeConfiguration);
    transfer_.toDefaultCommand();
}

void ConfigCommands::onRestartController() {
    BusyScope busy(window_, BusyScope::WholeConfiguration);
    transfer_.resetCommand();
}

void ConfigCommands::onSaveFile() {
    // However the save was started, a value still being typed is saved too.
    window_.commitPendingInput();
    BusyScope busy(window_);
    const std::string path = settings_.askSaveConfigFile();
    if (path.empty()) return;
    const FileResult saved = saveConfigFile(record_.image, path);
    if (!saved.ok()) {
        window_.showMessage(MessageKind::Error, saved.text());
        return;
    }
    settings_.rememberConfigFile(path);
    window_.showNotice(kFileNoticeMs, kNoticeBlinkMs, localized(kConfigSavedNotice));
}

void ConfigCommands::onOpenFile() {
    std::string path;
    {
        BusyScope busy(window_);
        path = settings_.askOpenConfigFile();
    }
    // A cancelled dialog changes nothing: in particular it does not declare
    // whatever the image holds fit to be sent to the controller.
    if (!path.empty()) openFile(path);
}

void ConfigCommands::openFile(const std::string& path) {
    // One step for the whole file; a file refused leaves no step.
    const std::string fileName = std::filesystem::path(path).filename().string();
    const EditStep step(window_.editHistory(), record_.image,
                        editLabel(N_("load file %s"), fileName.c_str()));
    // Nothing is sent while the image is being replaced; a file refused
    // leaves the image as fit to send as it was.
    ConfigTransfer::ImageReplacement replacement(transfer_);
    {
        BusyScope busy(window_);
        ConfigImage loaded = record_.image;
        const FileResult result = loadConfigFile(loaded, path);
        bool accepted = result.ok();
        if (!accepted) {
            window_.showMessage(MessageKind::Error, result.text());
        } else if (!result.damaged.empty() || !result.missing.empty()) {
            // Damaged values, or keys every saved file has (a file cut short):
            // loaded, the synchronisation would send their defaults.
            std::string warning = result.damaged.empty() ? std::string() : result.text();
            if (!result.missing.empty()) warning += (warning.empty() ? "" : "\n") + result.missingText();
            const std::string question = warning + "\n" + localized("Load it anyway?");
            accepted = window_.showMessage({MessageKind::Warning, DefaultAnswer::No}, question) == Answer::Yes;
        }
        if (!accepted) return;
        // What the controller holds is kept before the file replaces it,
        // when the program knows it.
        if (!replacement.keepSnapshot(SnapshotCause::FileSent)) return;
        record_.image = loaded;
        settings_.rememberConfigFile(path);
    }
    window_.showImage();
    // From here the synchronisation sends what differs from the controller.
    replacement.done();
    session_.refreshPendingPanel();
    window_.showNotice(kFileNoticeMs, kNoticeBlinkMs, localized(kConfigLoadedNotice));
}

} // namespace zmt::ui
