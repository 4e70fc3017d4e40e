#include "ui/shell/settings_store.h"

#include "lang/lang.h"
#include "ui/widgets/dialog_centring.h"
#include "ui/shell/main_window.h"
#include "ui/shell/recent_files.h"

#include <QDir>

namespace zmt::ui {

namespace {

constexpr unsigned kSettingsNoticeMs = 10000;

} // namespace

SettingsStore::SettingsStore(MainWindow& window, std::string settingsPath)
    : window_(window), path_(std::move(settingsPath)) {
    window_.setSettingsSource(this);
}

std::optional<ProgramSettings> SettingsStore::loadSettings() {
    const FileResult result = zmt::loadSettings(path_, settings_);
    unreadable_ = !result.ok();
    if (unreadable_) {
        window_.showMessage(MessageKind::Error, std::string(localized(kSettingsReadError)) + "\n" + result.text());
        settings_ = ProgramSettings{};
    }
    return settings_;
}

void SettingsStore::saveSettings(const ProgramSettings& fromWindow) {
    if (unreadable_) return;
    // The remembered files are ours; everything else is the window's.
    ProgramSettings next = fromWindow;
    next.configFile = settings_.configFile;
    next.firmwareFile = settings_.firmwareFile;
    next.recentFiles = settings_.recentFiles;
    next.controllerSerial = settings_.controllerSerial;
    next.helpLeft = settings_.helpLeft;
    next.helpTop = settings_.helpTop;
    next.helpWidth = settings_.helpWidth;
    next.helpHeight = settings_.helpHeight;
    next.quickTop = settings_.quickTop;
    next.quickLeft = settings_.quickLeft;
    next.quickSetupOffered = settings_.quickSetupOffered;
    settings_ = next;
    const FileResult result = zmt::saveSettings(path_, settings_);
    if (!result.ok()) window_.showMessage(MessageKind::Error, result.text());
}

std::optional<QRect> SettingsStore::helpPlace() const {
    if (!settings_.helpLeft || !settings_.helpTop || !settings_.helpWidth || !settings_.helpHeight) return std::nullopt;
    return QRect(*settings_.helpLeft, *settings_.helpTop, *settings_.helpWidth, *settings_.helpHeight);
}

void SettingsStore::rememberHelpPlace(const QRect& frame) {
    settings_.helpLeft = frame.left();
    settings_.helpTop = frame.top();
    settings_.helpWidth = frame.width();
    settings_.helpHeight = frame.height();
}

void SettingsStore::rememberConfigFile(const std::string& path) {
    if (path.empty()) return;
    RecentFileList recent(settings_.recentFiles);
    recent.add(path);
    settings_.recentFiles = recent.files();
    remember(FileKind::Configuration, path);
}

void SettingsStore::forgetRecentFile(const std::string& path) {
    RecentFileList recent(settings_.recentFiles);
    if (!recent.remove(path)) return;
    settings_.recentFiles = recent.files();
    if (!unreadable_) noticeFailedSave(storeRecentFiles(path_, settings_));
}

void SettingsStore::rememberQuickSetupOffered(uint32_t serial) {
    if (unreadable_) {
        // Not asked again in this run; the unreadable file stays as it is.
        if (!quickSetupOffered(serial)) settings_.quickSetupOffered.push_back(serial);
        return;
    }
    noticeFailedSave(zmt::rememberQuickSetupOffered(path_, settings_, serial));
}

void SettingsStore::remember(FileKind kind, const std::string& path) {
    if (path.empty()) return;
    if (unreadable_) {
        // Kept for the rest of this run only; the unreadable file stays as it is.
        (kind == FileKind::Configuration ? settings_.configFile : settings_.firmwareFile) = path;
        return;
    }
    // A settings file that cannot be written costs only the folder of the
    // next run's dialogs: worth a notice in the status bar, not a box in the
    // middle of opening or saving a file.
    noticeFailedSave(rememberFile(path_, settings_, kind, path));
}

void SettingsStore::noticeFailedSave(const FileResult& saved) {
    if (!saved.ok()) {
        std::string text = saved.text();
        for (std::size_t line; (line = text.find('\n')) != std::string::npos;) text.replace(line, 1, ": ");
        window_.showNotice(kSettingsNoticeMs, 0, text);
    }
}

std::string SettingsStore::ask(const FileDialogKind& kind, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(&window_, QString::fromUtf8(localized(kind.title)));
    // The same dialog on every system, and one the tests can look into.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kind.defaultSuffix));
    // Names are matched exactly on most systems other than Windows; a file
    // called car.zmt is still one of ours.
    const QString pattern = QString::fromLatin1(kind.filter);
    dialog.setNameFilter(QStringLiteral("%1 (%1 %2)").arg(pattern, pattern.toLower()));
    const std::string folder = dialogStartFolder(settings_, kind.kind);
    // Without a remembered file of its kind a dialog starts at home, not in
    // whichever folder another kind of dialog visited last.
    dialog.setDirectory(folder.empty() ? QDir::homePath() : QString::fromStdString(folder));
    window_.dialogCentring().centreWhileShown(&dialog);
    const QString chosen = window_.dialogs().runFileDialog(dialog);
    window_.dialogCentring().stop();
    return chosen.toStdString();
}

} // namespace zmt::ui
