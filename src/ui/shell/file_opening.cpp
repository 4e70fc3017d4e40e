#include "ui/shell/file_opening.h"

#include "lang/lang.h"
#include "ui/shell/config_commands.h"
#include "ui/shell/controller_session.h"
#include "ui/shell/main_window.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QToolButton>

namespace zmt::ui {

namespace {

constexpr const char* kNotConfigurationDropLiteral =
    N_("File %s was not opened: only configuration files (*.ZMT) can be dropped here");
constexpr const char* kSeveralFilesDropLiteral =
    N_("Drop one configuration file (*.ZMT), not several");

} // namespace

DropVerdict judgeDrop(const QList<QUrl>& urls) {
    if (urls.size() > 1) return {{}, localized(kSeveralFilesDropLiteral)};
    const QUrl url = urls.value(0);
    const QString file = url.toLocalFile();
    if (!url.isLocalFile() || file.isEmpty() || QFileInfo(file).suffix().compare(QLatin1String("ZMT"), Qt::CaseInsensitive) != 0) {
        const QString shown = url.isLocalFile() ? QFileInfo(file).fileName() : url.toDisplayString();
        return {{}, formatText(localized(kNotConfigurationDropLiteral), shown.toStdString().c_str())};
    }
    return {file.toStdString(), {}};
}

FileOpening::FileOpening(MainWindow& window, ControllerSession& session, ConfigCommands& commands)
    : window_(window), session_(session), commands_(commands) {
    // After the controller's own handler (connected first), so the poll's
    // read of a controller found has happened.
    connect(&window_, &MainWindow::pollTick, this, [this] { afterPoll(); });
    connect(&window_.shellSignals(), &ShellSignals::syncTick, this, [this] { openWaiting(); });
    window_.setAcceptDrops(true);
    window_.installEventFilter(this);
}

void FileOpening::openAtStartup(const std::string& path) {
    if (!path.empty()) startupFile_ = path;
}

void FileOpening::openWhenFree(const std::string& path) {
    if (path.empty()) return;
    waiting_.push_back(path);
    openWaiting();
    // Still waiting (a box open, say): the sync tick tries again.
    if (!waiting_.empty()) window_.wakeSyncTick();
}

bool FileOpening::openAllowed() const {
    // The editing hold covers a firmware update from end to end, also while
    // the boot loader's announcement has enabled the toolbar again.
    return !window_.flags().appClosing() && window_.toolButton(MainWindow::ToolButton::ReadConfig).isEnabled() &&
           !window_.editingHeld() && QApplication::activeModalWidget() == nullptr;
}

void FileOpening::afterPoll() {
    // Ticks that only count down the pause after a transfer did not poll.
    if (polled_ || session_.link().pollSkip() != 0) return;
    polled_ = true;
    if (startupFile_) waiting_.push_front(*startupFile_);
    startupFile_.reset();
    openWaiting();
    if (!waiting_.empty()) window_.wakeSyncTick();
}

void FileOpening::openWaiting() {
    // Files handed over before the first poll wait behind the command line's.
    if (!polled_ || opening_) return;
    opening_ = true;
    while (!waiting_.empty() && openAllowed()) {
        const std::string path = waiting_.front();
        waiting_.pop_front();
        commands_.openFile(path);
    }
    opening_ = false;
}

bool FileOpening::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        // Files only, and only while the open button could be clicked; the
        // pointer shows a refusal otherwise.
        if (drag->mimeData()->hasUrls() && openAllowed()) drag->acceptProposedAction();
        else drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls() || !openAllowed()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        const DropVerdict verdict = judgeDrop(drop->mimeData()->urls());
        // After the drop has returned: the program that sent it waits until
        // then, and the open may ask a question.
        QTimer::singleShot(0, this, [this, verdict] {
            if (!verdict.file.empty()) openWhenFree(verdict.file);
            else window_.showMessage(MessageKind::Warning, verdict.refusal);
        });
        return true;
    }
    default:
        return false;
    }
}

} // namespace zmt::ui
