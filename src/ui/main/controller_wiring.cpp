#include "ui/main/controller_wiring.h"

#include "device/hidapi_backend.h"
#include "lang/lang.h"
#include "sim/simulator.h"
#include "ui/main/main_form.h"
#include "ui/sim/simulator_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

namespace zmt::ui {

namespace {

std::unique_ptr<sim::Simulator> makeSimulator(bool simulated, MainForm& window) {
    if (!simulated) return nullptr;
    // The window's host is asked each time: tests may replace it.
    return std::make_unique<sim::Simulator>([&window] { return window.host().tickMs(); });
}

std::unique_ptr<HidBackend> makeHidapi(bool simulated) {
    if (simulated) return nullptr;
    return std::make_unique<HidapiBackend>();
}

HidBackend& backendOf(sim::Simulator* simulator, HidBackend* hidapi) {
    return simulator != nullptr ? static_cast<HidBackend&>(simulator->backend()) : *hidapi;
}

} // namespace

void ControllerWiring::WatchAdapter::SetDeviceButtons(bool busy) { window_.SetDeviceButtons(busy); }
bool ControllerWiring::WatchAdapter::deviceLogChecked() { return window_.deviceLogOn(); }
void ControllerWiring::WatchAdapter::setDeviceLogChecked(bool checked) { window_.setDeviceLogOn(checked); }
bool ControllerWiring::WatchAdapter::monitoringPageActive() { return window_.monitoringPageActive(); }
void ControllerWiring::WatchAdapter::setPollInterval(unsigned ms) { window_.pollTimer().setInterval(static_cast<int>(ms)); }
void ControllerWiring::WatchAdapter::stopPollTimer() { window_.pollTimer().stop(); }
void ControllerWiring::WatchAdapter::startPollTimer() {
    // A poll that ends while the window is closing must not re-arm the timer
    // the shut-down has just stopped.
    if (!window_.flags().AppClosing) window_.pollTimer().start();
}

ControllerWiring::ControllerWiring(MainForm& window, bool simulated, std::string stateFile)
    : window_(window),
      windowAlive_(&window),
      stateFile_(std::move(stateFile)),
      simulator_(makeSimulator(simulated, window)),
      hidapi_(makeHidapi(simulated)),
      transport_(backendOf(simulator_.get(), hidapi_.get())),
      link_(window.host(), transport_),
      adapter_(window),
      watch_(link_, window.flags(), adapter_),
      transfer_(link_, record_, window.flags(), &watch_) {
    MainFormHooks& hooks = window_.hooks();
    hooks.poll = [this] { watch_.TimerZELMORVATOUCHTestTimer(); };
    hooks.syncChanges = [this] { syncTick(); };
    hooks.closeAllowed = [this] { return closeAllowed(); };
    // Start-up begins with an empty record; the editors prepare their
    // controls after this (they chain the hook).
    hooks.prepareEditor = [this] { record_.clear(); };
    transfer_.setShowImage([this] { window_.showImage(); });
    transfer_.setEditHistory(&history_);
    window_.setEditHistory(&history_);
    hooks.undo = [this] { undo(); };
    hooks.redo = [this] { redo(); };
    hooks.undoLabel = [this] { return undoAllowed() ? history_.undoLabel(record_.image) : std::string(); };
    hooks.redoLabel = [this] { return undoAllowed() ? history_.redoLabel(record_.image) : std::string(); };
    watch_.setReadConfiguration([this] { readNewController(); });
    hooks.closeController = [this] { transport_.closeController(); };
    hooks.deliverPending = [this] { syncTick(); };
    // One thread: an exchange still under way when a box is about to open
    // can only be the one beneath this very call, and it cannot finish until
    // the box's caller returns. Waiting for it would never end, so the box
    // opens at once; the exchange itself refuses anything nested (errBusy).
    hooks.waitWhileBusy = [] {};
    if (simulator_) simulatorWindow_ = std::make_unique<SimulatorWindow>(*simulator_);
}

ControllerWiring::~ControllerWiring() {
    if (windowAlive_) {
        MainFormHooks& hooks = window_.hooks();
        hooks.poll = nullptr;
        hooks.syncChanges = nullptr;
        hooks.closeAllowed = nullptr;
        hooks.prepareEditor = nullptr;
        hooks.closeController = nullptr;
        hooks.deliverPending = nullptr;
        hooks.waitWhileBusy = nullptr;
        hooks.undo = nullptr;
        hooks.redo = nullptr;
        hooks.undoLabel = nullptr;
        hooks.redoLabel = nullptr;
        window_.setEditHistory(nullptr);
    }
    transport_.closeController();
}

bool ControllerWiring::changesWaiting() const {
    return window_.flags().ImageValid && transfer_.changesPending();
}

void ControllerWiring::refreshPendingPanel() { window_.setChangesPending(changesWaiting()); }

void ControllerWiring::syncTick() {
    // An edit that named no step of its own still gets one, before it goes
    // out; learning's changes wait for its end, which is one step.
    if (!window_.flags().KeysSetupActive) history_.checkpoint(record_.image);
    transfer_.syncChanges();
    refreshPendingPanel();
}

bool ControllerWiring::undoAllowed() const {
    // Learning writes button records as presses arrive and sends them at
    // its end; taking them back under its feet would undo half of it.
    return !window_.flags().KeysSetupActive && !history_.stepOpen();
}

bool ControllerWiring::undo() {
    if (!undoAllowed() || !history_.undo(record_.image)) return false;
    afterUndoOrRedo();
    return true;
}

bool ControllerWiring::redo() {
    if (!undoAllowed() || !history_.redo(record_.image)) return false;
    afterUndoOrRedo();
    return true;
}

void ControllerWiring::afterUndoOrRedo() {
    // The open picker keeps editing the same reaction in the image; showing
    // the image re-targets it to the selected event and redraws it.
    window_.showImage();
    refreshPendingPanel();
    window_.refreshUndoButtons();
}

void ControllerWiring::readNewController() {
    // Read like the toolbar's read, with the toolbar busy meanwhile.
    window_.SetDeviceButtons(true);
    // The watch has just cleared ImageValid; the panel still tells whether
    // the image held edits (a file opened, say) that never reached a
    // controller. Reading this one's configuration would replace them
    // without a word, so the user chooses.
    const bool keepEdits =
        window_.changesPendingShown() &&
        window_.showMessage(MB_QUESTION | MB_DEFAULT_NO,
                            LangText("Изменения в программе ещё не записаны в контроллер.\n"
                                     "Записать их в подключенный контроллер?\n"
                                     "Нет - прочитать конфигурацию контроллера.\0"
                                     "Changes in the program have not been written to a controller yet.\n"
                                     "Write them to the controller just connected?\n"
                                     "No: read the controller's configuration instead.")) == ID_YES;
    if (keepEdits) transfer_.readKeepingEditsCommand();
    else transfer_.readDeviceCommand();
    window_.SetDeviceButtons(false);
    refreshPendingPanel();
}

bool ControllerWiring::closeAllowed() {
    if (!changesWaiting()) return true;
    const int answer = window_.showMessage(
        MB_QUESTION | MB_DEFAULT_NO,
        LangText("Изменения ещё не записаны в контроллер.\nВсё равно закрыть программу?\0"
                 "Changes have not been written to the controller yet.\nClose the program anyway?"));
    return answer == ID_YES;
}

bool ControllerWiring::loadState(std::string& error) {
    if (!simulator_ || stateFile_.empty()) return true;
    return simulator_->load(stateFile_, error);
}

bool ControllerWiring::saveState(std::string& error) {
    if (!simulator_ || stateFile_.empty()) return true;
    return simulator_->save(stateFile_, error);
}

void ControllerWiring::showSimulatorWindow() {
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
}

bool ControllerWiring::saveConnectedScreenshots(const QString& dir, QString* why) {
    if (!simulatorWindow_) return true;
    if (!QDir().mkpath(dir)) {
        if (why) *why = QStringLiteral("cannot create the folder %1").arg(dir);
        return false;
    }
    const int languageBefore = window_.SetLanguage(-1);
    if (auto* pages = window_.findChild<QTabWidget*>(QStringLiteral("PageControlMain"))) pages->setCurrentIndex(0);
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
        window_.SetLanguage(QLatin1String(language) == QLatin1String("en") ? English : Russian);
        window_.SetDeviceButtons(false);
        for (int poll = 0; poll < 3; ++poll) watch_.pollController();
        simulatorWindow_->refresh();
        save(window_, QStringLiteral("main-connected-%1.png").arg(QLatin1String(language)));
        save(*simulatorWindow_, QStringLiteral("simulator-%1.png").arg(QLatin1String(language)));
    }
    window_.SetLanguage(languageBefore);
    return ok;
}

} // namespace zmt::ui
