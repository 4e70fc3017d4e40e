#include "ui/shell/controller_session.h"

#include "device/device_notifications.h"
#include "device/hidapi_backend.h"
#include "lang/lang.h"
#include "sim/simulator.h"
#include "ui/shell/main_window.h"
#include "ui/sim/simulator_window.h"
#include "ui/widgets/window_placement.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QTimer>

#include <utility>

namespace zmt::ui {

void ControllerSession::WatchAdapter::setToolbarBusy(bool busy) { window_.setToolbarBusy(busy); }
bool ControllerSession::WatchAdapter::deviceLogChecked() { return window_.deviceLogOn(); }
void ControllerSession::WatchAdapter::setDeviceLogChecked(bool checked) { window_.setDeviceLogOn(checked); }
bool ControllerSession::WatchAdapter::monitoringPageActive() { return window_.monitoringPageActive(); }
void ControllerSession::WatchAdapter::setPollInterval(unsigned ms) { window_.pollTimer().setInterval(static_cast<int>(ms)); }
void ControllerSession::WatchAdapter::stopPollTimer() { window_.pollTimer().stop(); }
void ControllerSession::WatchAdapter::startPollTimer() {
    // A poll that ends while the window is closing must not re-arm the timer
    // the shut-down has just stopped.
    if (!window_.flags().appClosing()) window_.pollTimer().start();
}

ControllerSession::ControllerSession(MainWindow& window, bool simulated, std::string stateFile,
                                   std::vector<std::string> moreUnits)
    : window_(window),
      adapter_(window),
      // Tests put the window on a virtual clock before the session is made;
      // the link and the simulated controller keep the host they are given.
      stack_(window.host(), window.flags(), adapter_,
             {.simulated = simulated,
               .stateFile = std::move(stateFile),
               .hardware = makeHidapiBackend,
               .moreUnits = std::move(moreUnits)}) {
    connect(&window_, &MainWindow::pollTick, this, [this] {
        // From the first poll on, once the window is up: opening them loads
        // libudev, no part of what the first window needs, and that poll
        // searches the bus itself.
        if (std::exchange(arrivalsToListenFor_, false)) listenForArrivals();
        watch().onPollTick();
    });
    connect(&window_, &MainWindow::devicesAnnounced, this, [this] {
        watch().devicesAnnounced(window_.editingHeld() || window_.flags().learningActive());
    });
    connect(&window_.shellSignals(), &ShellSignals::syncTick, this, [this] { syncTick(); });
    // Start-up begins with an empty record; the editors prepare their
    // controls after this (they connect later).
    connect(&window_.shellSignals(), &ShellSignals::startingUp, this, [this] { record().clear(); });
    connect(&window_.undoButtons(), &UndoButtons::undoRequested, this, [this] { undo(); });
    connect(&window_.undoButtons(), &UndoButtons::redoRequested, this, [this] { redo(); });
    connect(&window_, &MainWindow::closingUnasked, this, [this] { syncTick(); });
    connect(&window_, &MainWindow::shuttingDown, this, [this] { transport().closeController(); });
    connect(&window_, &MainWindow::languageSwitching, this, [this] { watch().announceAgain(); });
    window_.setCloseGuard(this);
    window_.undoButtons().setLabels(this);
    transfer().setShowImage([this] { window_.showImage(); });
    transfer().setEditHistory(&history_);
    window_.setEditHistory(&history_);
    watch().setReadConfiguration([this] { readNewController(); });
    arrivalsToListenFor_ = !simulated;
    if (simulator() != nullptr) {
        simulatorWindow_ = std::make_unique<SimulatorWindow>(*simulator());
        for (std::size_t unit = 1; unit < simulator()->unitCount(); ++unit)
            moreSimulatorWindows_.push_back(std::make_unique<SimulatorWindow>(*simulator(), unit));
    }
}

ControllerSession::~ControllerSession() = default;

void ControllerSession::listenForArrivals() {
    arrivals_ = DeviceNotifications::open([this] { window_.onDevicesAnnounced(); });
    if (!arrivals_) return;   // the usual poll finds arrivals, as it always has
    // On Windows the announcements come with the window messages Qt
    // dispatches; on Linux they wait on a descriptor Qt watches.
    if (arrivals_->descriptor() >= 0) {
        auto* notifier = new QSocketNotifier(arrivals_->descriptor(), QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { arrivals_->takeEvents(); });
    }
    watch().setArrivalsAnnounced(true);
}

std::string ControllerSession::undoLabel() {
    return undoAllowed() ? history_.undoLabel(record().image) : std::string();
}

std::string ControllerSession::redoLabel() {
    return undoAllowed() ? history_.redoLabel(record().image) : std::string();
}

bool ControllerSession::changesWaiting() const {
    return window_.flags().imageValid() && stack_.transfer().changesPending();
}

void ControllerSession::refreshPendingPanel() { window_.setChangesPending(changesWaiting()); }

void ControllerSession::syncTick() {
    // An edit that named no step of its own still gets one, before it goes
    // out; learning's changes wait for its end, which is one step.
    if (!window_.flags().learningActive()) history_.checkpoint(record().image);
    transfer().syncChanges();
    refreshPendingPanel();
}

bool ControllerSession::undoAllowed() const {
    // Decided here alone, for the buttons, the keys and their hints: not
    // while a procedure or a whole transfer holds the image (the window's
    // editing hold), nor while learning writes button records as presses
    // arrive (it sends them at its end; taking them back under its feet
    // would undo half of it), nor in the middle of an edit.
    return !window_.editingHeld() && !window_.flags().learningActive() && !history_.stepOpen();
}

bool ControllerSession::undo() {
    if (!undoAllowed() || !history_.undo(record().image)) return false;
    afterUndoOrRedo();
    return true;
}

bool ControllerSession::redo() {
    if (!undoAllowed() || !history_.redo(record().image)) return false;
    afterUndoOrRedo();
    return true;
}

void ControllerSession::afterUndoOrRedo() {
    // The open picker keeps editing the same reaction in the image; showing
    // the image re-targets it to the selected event and redraws it.
    window_.showImage();
    refreshPendingPanel();
    window_.undoButtons().refresh();
}

void ControllerSession::readNewController() {
    // Read like the toolbar's read, with the toolbar busy meanwhile. When
    // the image holds edits (a file opened, say) that never reached a
    // controller, reading this one's configuration would replace them
    // without a word, so the user chooses.
    window_.setToolbarBusy(true);
    window_.holdEditing(true);
    window_.lockEditorForTransfer(true);
    const uint32_t serial = watch().identity().serialNumber;
    const std::optional<uint32_t> before = imageSerial_;
    const ResultCode read = transfer().readNewController([this, serial, before] {
        // Among several controllers (one was chosen) "the controller just
        // connected" says nothing: the question names the one the edits
        // were made on and the one they would go to.
        if (before && *before != serial && watch().chosenSerial())
            return window_.showMessage(
                       {MessageKind::Question, DefaultAnswer::No},
                       formatText(localized("Changes made while controller %u was connected have not been written to it yet.\nWrite "
                                            "them to controller %u?\nNo: read the configuration of controller %u instead."),
                                  unsigned{*before}, unsigned{serial}, unsigned{serial})) == Answer::Yes;
        return window_.showMessage({MessageKind::Question, DefaultAnswer::No},
                                   localized("Changes in the program have not been written to a controller yet.\nWrite them to the "
                                             "controller just connected?\nNo: read the controller's configuration instead.")) == Answer::Yes;
    });
    if (read == ResultCode::Ok) imageSerial_ = serial;
    window_.lockEditorForTransfer(false);
    window_.holdEditing(false);
    window_.setToolbarBusy(false);
    refreshPendingPanel();
    if (read == ResultCode::Ok && afterRead_ && !transfer().changesPending()) afterRead_();
}

bool ControllerSession::closeAllowed() {
    // A value typed just before the close (committed by the close itself)
    // has not met a sync tick yet: it gets its chance to go out first,
    // and only what still could not be sent is asked about.
    syncTick();
    if (!changesWaiting()) return true;
    const Answer answer = window_.showMessage(
        {MessageKind::Question, DefaultAnswer::No},
        localized("Changes have not been written to the controller yet.\nClose the program anyway?"));
    return answer == Answer::Yes;
}

void ControllerSession::showSimulatorWindow() {
    if (!simulatorWindow_) return;
    // As narrow as its contents allow, so it fits beside the main window on
    // a 1280-pixel screen.
    simulatorWindow_->resize(simulatorWindow_->minimumSizeHint().width(), simulatorWindow_->sizeHint().height());
    const QRect main = window_.frameGeometry();
    // The window manager's frame is not known before the window is shown;
    // it will be the main window's.
    const QMargins frame(window_.geometry().left() - main.left(), window_.geometry().top() - main.top(),
                         main.right() - window_.geometry().right(), main.bottom() - window_.geometry().bottom());
    const QSize outer = simulatorWindow_->size().grownBy(frame);
    const QScreen* screen = window_.screen();
    const QRect free = screen != nullptr ? screen->availableGeometry() : QRect(main.topLeft(), main.size() + outer);
    const SideBySide places = placeBeside(main, outer, free, 8);
    if (places.main != main.topLeft()) window_.move(places.main);
    simulatorWindow_->move(places.other);
    simulatorWindow_->show();
    // The other units' windows in a cascade over the first one, kept on
    // the screen.
    QPoint place = places.other;
    for (const auto& more : moreSimulatorWindows_) {
        place = keptOnScreen(place + QPoint(32, 32), outer, free);
        more->resize(simulatorWindow_->size());
        more->move(place);
        more->show();
    }
}

bool ControllerSession::saveConnectedScreenshots(const QString& dir, QString* why) {
    if (!simulatorWindow_) return true;
    if (!QDir().mkpath(dir)) {
        if (why) *why = QStringLiteral("cannot create the folder %1").arg(dir);
        return false;
    }
    const std::string languageBefore = languageCode();
    window_.pages().setCurrentIndex(0);
    window_.show();
    showSimulatorWindow();
    bool ok = true;
    auto save = [&](QWidget& widget, const QString& name) {
        QCoreApplication::processEvents();
        const QString file = QDir(dir).filePath(name);
        if (widget.grab().save(file)) return;
        if (why) *why = QStringLiteral("cannot write %1").arg(file);
        ok = false;
    };
    for (const char* language : {"ru", "en"}) {
        // The language switch makes the next poll announce the controller
        // again; three polls give the banner, the identity and two dots.
        window_.setLanguage(language);
        window_.setToolbarBusy(false);
        for (int poll = 0; poll < 3; ++poll) watch().pollController();
        simulatorWindow_->refresh();
        save(window_, QStringLiteral("main-connected-%1.png").arg(QLatin1String(language)));
        save(*simulatorWindow_, QStringLiteral("simulator-%1.png").arg(QLatin1String(language)));
    }
    window_.setLanguage(languageBefore);
    return ok;
}

} // namespace zmt::ui
