#include "ui/shell/main_window.h"

#include "device/connection_watch.h"
#include "lang/lang.h"
#include "ui/log/log_view.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/controls.h"
#include "ui/picker/reaction_picker.h"
#include "ui/widgets/msg_box.h"
#include "ui/shell/qt_host.h"
#include "ui/shell/toolbar_notice.h"
#include "ui/shell/undo_buttons.h"
#include "ui/widgets/dialog_centring.h"
#include "ui/widgets/window_placement.h"
#include "ui/i18n/translate_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <utility>

// The icons live in the window library's resources; a static library's
// resources must be pulled in by name or the linker leaves them out.
static void loadWindowResources() { Q_INIT_RESOURCE(resources); }

namespace zmt::ui {

namespace {

constexpr int kButtonWidth = 23;
constexpr int kButtonHeight = 22;
constexpr int kButtonTop = 3;
constexpr int kSpacerWidth = 5;
constexpr int kPanelMenuWidth = 412;
constexpr int kGaugeRightGap = 5;
constexpr int kSyncIntervalMs = 100;
// Three seconds without input or controller before the sync tick rests:
// long enough for what follows input on the tick (an undo step closed, a
// pointer hint withdrawn, Qt's own texts installed at start).
constexpr int kQuietSyncTicksBeforeRest = 30;

// The toolbar, left to right (as MainWindow::ToolButton), the picture each
// button shows and whether it needs the controller (the others only need
// files).
struct ToolButtonEntry {
    const char* name;
    const char* icon;
    bool needsController;
};
constexpr ToolButtonEntry kToolButtons[] = {
    {"SpeedButtonUpdateDevice", ":/icons/update_firmware.png", true},
    {"SpeedButtonReadConfig", ":/icons/open_file.png", false},
    {"SpeedButtonWriteConfig", ":/icons/save_file.png", false},
    {"SpeedButtonReadDevice", ":/icons/read_device.png", true},
    {"SpeedButtonWriteDevice", ":/icons/write_device.png", true},
    {"SpeedButtonToDefault", ":/icons/factory_defaults.png", true},
    {"SpeedButtonReset", ":/icons/reset_device.png", true},
};
static_assert(std::size(kToolButtons) == MainWindow::kToolButtonCount);


constexpr const char* kChangesPendingLiteral =
    N_("Changes not yet written to the controller");

constexpr const char* kTitleLiteral =
    N_("Setup program ZEL MORVA TOUCH. Version %s");

QString qText(const char* literal) { return QString::fromUtf8(localized(literal)); }

QSize screenSize(const QWidget* window) {
    const QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize();
}

QPoint restoredPosition(std::optional<int> left, std::optional<int> top, QSize screen, QSize size) {
    return placeWindow(left, top, screen, size);
}

QPoint restoredPosition(std::optional<int> left, std::optional<int> top, const QWidget* window) {
    return restoredPosition(left, top, screenSize(window), window->frameGeometry().size());
}

// The screen a window not built yet will be on: the one at its centre when
// it stands at the origin, as Qt picks it for a window never shown.
QSize screenSizeAtOrigin(QSize size) {
    const QScreen* screen = QGuiApplication::screenAt(QRect(QPoint(0, 0), size).center());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().size() : QSize();
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      host_(std::make_unique<QtHost>(*this)) {
    loadWindowResources();
    // Loaded by the first tick, or before the first box: not on the way
    // to the first window, which shows none of Qt's texts.
    qtTranslations_.hold();
    setObjectName(QStringLiteral("MainForm"));
    markAsWindow(*this);
    setFixedSize(kClientWidth, kClientHeight);
    buildToolBar();
    buildPages();
    buildPopupMenu();
    buildTimers();
    retranslate();
}

MainWindow::~MainWindow() = default;

Host& MainWindow::host() { return *host_; }

void MainWindow::setHost(std::unique_ptr<QtHost> host) {
    if (host) host_ = std::move(host);
}

void MainWindow::buildToolBar() {
    toolBar_ = new ToolBar(this);
    toolBar_->setObjectName(QStringLiteral("MainToolBar"));
    toolBar_->setGeometry(0, 0, kClientWidth, kToolBarHeight);

    int left = 0;
    auto makeButton = [&](const char* name, const char* icon) {
        auto* button = new QToolButton(toolBar_);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoRaise(true);
        // A tab stop for the keyboard; a click leaves the focus where it is.
        button->setFocusPolicy(Qt::TabFocus);
        nameAfterHint(*button);
        button->setIcon(pictureIcon(icon));
        button->setIconSize(QSize(16, 16));
        button->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
        left += kButtonWidth;
        // Text typed into a field is committed when the field loses the
        // focus; a toolbar button takes none, so its action would not see it.
        connect(button, &QToolButton::pressed, this, [this] { commitPendingInput(); });
        return button;
    };
    for (std::size_t i = 0; i < std::size(kToolButtons); ++i) {
        const ToolButtonEntry& entry = kToolButtons[i];
        QToolButton* button = makeButton(entry.name, entry.icon);
        toolButtons_[i] = button;
        (entry.needsController ? controllerButtons_ : fileButtons_).push_back(button);
    }
    left += kSpacerWidth;

    // Undo and redo: their names end in "x" because the program writes
    // their hints itself (what they would take back), not the translation.
    QToolButton* undo = makeButton("SpeedButtonUndox", ":/icons/undo.png");
    QToolButton* redo = makeButton("SpeedButtonRedox", ":/icons/redo.png");
    undoButtons_ = new UndoButtons(*undo, *redo, *this);
    left += kSpacerWidth;

    // The notice panel follows the spacer directly.
    panelMenu_ = new Panel(toolBar_);
    panelMenu_->setObjectName(QStringLiteral("PanelMenu"));
    panelMenu_->setFrameStyle(QFrame::NoFrame);
    panelMenu_->setGeometry(left, kButtonTop, kPanelMenuWidth, kButtonHeight);
    panelMenu_->setCursor(Qt::WhatsThisCursor);
    panelMenu_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Its menu (the language among others) is reached with the menu key too.
    panelMenu_->setFocusPolicy(Qt::TabFocus);
    connect(panelMenu_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenu_->popup(panelMenu_->mapToGlobal(at)); });

    // Hidden and full, so a stray step before any transfer changes nothing.
    gauge_ = new QProgressBar(panelMenu_);
    gauge_->setObjectName(QStringLiteral("CGaugeProgressProcent"));
    gauge_->setRange(0, 100);
    gauge_->setValue(100);
    gauge_->setTextVisible(true);
    gauge_->setAlignment(Qt::AlignCenter);
    gauge_->setGeometry(0, 0, kPanelMenuWidth, kButtonHeight);
    gauge_->hide();
}

void MainWindow::buildPages() {
    auto* mainPanel = new Panel(this);
    mainPanel->setObjectName(QStringLiteral("MainPanel"));
    mainPanel->setFrameStyle(QFrame::NoFrame);
    mainPanel->setGeometry(0, kToolBarHeight, kClientWidth, kClientHeight - kToolBarHeight - kStatusBarHeight);
    auto* panelLayout = new QVBoxLayout(mainPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);

    pages_ = new QTabWidget(mainPanel);
    pages_->setObjectName(QStringLiteral("PageControlMain"));
    panelLayout->addWidget(pages_);

    monitoringPage_ = new TabSheet;
    monitoringPage_->setObjectName(QStringLiteral("TabSheetMonitoring"));
    auto* monitoringLayout = new QVBoxLayout(monitoringPage_);
    monitoringLayout->setContentsMargins(0, 0, 0, 0);
    memo_ = new LogView(monitoringPage_);
    memo_->setObjectName(QStringLiteral("Memo"));
    monitoringLayout->addWidget(memo_);
    connect(memo_, &LogView::doubleClicked, this, [this] { onLogDoubleClick(); });
    connect(memo_, &LogView::saveFailed, this, [this](const QString& why) { showMessage(MessageKind::Error, why.toStdString()); });

    parametersPage_ = new TabSheet;
    parametersPage_->setObjectName(QStringLiteral("TabSheetParameters"));

    pages_->addTab(monitoringPage_, QString());
    pages_->addTab(parametersPage_, QString());
    pages_->setCurrentWidget(parametersPage_);
    // Turned to while a transfer holds its picture, the page shows as it is
    // (greyed) rather than what was on the screen before.
    connect(pages_, &QTabWidget::currentChanged, this, [this] { showHeldPage(); });

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->setSizeGripEnabled(false);
    statusBar_->setGeometry(0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight);
    statusPanel_ = new QLabel(statusBar_);
    statusPanel_->setTextFormat(Qt::PlainText);
    statusBar_->addWidget(statusPanel_, 1);
    // The name ends in x: the program writes this text itself.
    pendingPanel_ = new QLabel(statusBar_);
    pendingPanel_->setObjectName(QStringLiteral("LabelChangesPendingx"));
    pendingPanel_->setTextFormat(Qt::PlainText);
    pendingPanel_->hide();
    statusBar_->addPermanentWidget(pendingPanel_);
}

void MainWindow::buildPopupMenu() {
    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    auto checkItem = [this](const char* name) {
        auto* item = new QAction(popupMenu_);
        item->setObjectName(QString::fromLatin1(name));
        item->setCheckable(true);
        popupMenu_->addAction(item);
        return item;
    };
    menuDebug_ = checkItem("MenuItemDebug");
    menuLog_ = checkItem("MenuItemLog");
    menuDevice_ = checkItem("MenuItemDevice");
    connect(menuDebug_, &QAction::triggered, this, [this] { onDebugMenuToggled(); });

    QMenu* languages = popupMenu_->addMenu(QStringLiteral("Язык/Language"));
    languages->menuAction()->setObjectName(QStringLiteral("MenuItemLanguagex"));
    // One item per language present, each in its own name: a catalogue added
    // to the build shows here with nothing else to change.
    for (const Language& language : zmt::languages()) {
        auto* item = new QAction(QString::fromStdString(language.name), languages);
        item->setObjectName(QStringLiteral("languageItem-") + QString::fromStdString(language.code));
        item->setCheckable(true);
        item->setChecked(language.code == languageCode());
        languages->addAction(item);
        languageItems_.push_back(item);
        connect(item, &QAction::triggered, this, [this, code = language.code] { setLanguage(code); });
    }

    // Diagnostics stay out of sight until the stored setting asks for them.
    onDebugMenuToggled();
}

void MainWindow::buildTimers() {
    auto timer = [this](const char* name, int intervalMs, void (MainWindow::*handler)()) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(intervalMs);
        connect(t, &QTimer::timeout, this, handler);
        return t;
    };
    pollTimer_ =
        timer("TimerZELMORVATOUCHTest", static_cast<int>(kPollIntervalMs), &MainWindow::onPollTick);
    syncTimer_ = timer("TimerCommon", kSyncIntervalMs, &MainWindow::onSyncTick);
    notice_ = new ToolbarNotice(*this, *panelMenu_);
    dialogCentring_ = new DialogCentring(*this);
    syncTimer_->start();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
        wakeSyncTick();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::wakeSyncTick() {
    quietSyncTicks_ = 0;
    if (syncTimer_ == nullptr || syncTimer_->isActive() || flags_.appClosing()) return;
    qApp->removeEventFilter(this);
    syncTimer_->start();
}

bool MainWindow::syncTickResting() const { return !syncTimer_->isActive(); }

// ---- start-up and shut-down ----

void MainWindow::startUp() {
    // Controls the editor built since the window was made get their texts
    // now: in the settings' language, or the design-time ones when the
    // settings could not be used. Only once: translating the window is a
    // good part of the start-up.
    const std::optional<ProgramSettings> settings = restoreSettings();
    if (!settings) retranslate();
    onDebugMenuToggled();
    emit shellSignals_.startingUp();
    setToolbarBusy(false);
    pollTimer_->start();
    if (settings) applyPickerSettings(*settings);
    showImage();
}

std::optional<ProgramSettings> MainWindow::restoreSettings() {
    // Without a settings file wired in, every start is a first start.
    const std::optional<ProgramSettings> loaded =
        settingsSource_ ? settingsSource_->loadSettings() : std::optional<ProgramSettings>(ProgramSettings{});
    // Without it (the file could not be used and the user has been told) both
    // windows keep their design-time state and the language stays Russian.
    if (loaded) applySettings(*loaded);
    return loaded;
}

void MainWindow::applySettings(const ProgramSettings& settings) {
    move(restoredPosition(settings.mainLeft, settings.mainTop, this));
    pages_->setCurrentWidget(parametersPage_);
    initialEventPage_ = eventPageFromSetting(settings.eventPage);
    if (eventTabs_ != nullptr && initialEventPage_ < eventTabs_->count()) eventTabs_->setCurrentIndex(initialEventPage_);
    menuLog_->setChecked(settings.log);
    menuDebug_->setChecked(settings.debug);
    menuDevice_->setChecked(false);
    // startUp shows the image once everything is in place.
    useLanguage(settings.lang);
}

void MainWindow::applyPickerSettings(const ProgramSettings& settings) {
    // Placed as the window will stand when it is built: never shown, so
    // without a frame yet.
    const QSize size(ReactionPicker::kClientWidth, ReactionPicker::kClientHeight);
    const QPoint restored = picker_ ? restoredPosition(settings.keyLeft, settings.keyTop, picker_.get())
                                    : restoredPosition(settings.keyLeft, settings.keyTop, screenSizeAtOrigin(size), size);
    // Only a place the settings really hold is remembered: the screen's
    // centre, where placeWindow puts the rest, lies over the editor.
    pickerPlaced_ = settings.keyLeft && settings.keyTop && restored == QPoint(*settings.keyLeft, *settings.keyTop);
    pickerPlace_ = pickerPlaced_ ? std::optional<QPoint>(restored) : std::nullopt;
    if (picker_ && pickerPlace_) picker_->move(*pickerPlace_);
    if (settings.keyVisible) {
        placePickerClearOf(QRect());
        picker().show();
    }
}

void MainWindow::placePickerClearOf(const QRect& clicked) {
    ReactionPicker& shown = picker();
    // The window manager's frame is not known before the picker is first
    // shown; it will be the main window's.
    const QRect main = frameGeometry();
    const QMargins frame(geometry().left() - main.left(), geometry().top() - main.top(),
                         main.right() - geometry().right(), main.bottom() - geometry().bottom());
    const QSize outer = shown.isVisible() || shown.isMinimized() ? shown.frameGeometry().size()
                                                                  : shown.size().grownBy(frame);
    if (pickerPlaced_ && !QRect(shown.pos(), outer).intersects(clicked)) return;
    const QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    const QRect free = screen != nullptr ? screen->availableGeometry() : main.united(QRect(shown.pos(), outer));
    // The toolbar and the event tabs are where the user goes next.
    std::vector<QRect> keepClear;
    for (const QWidget* area : {static_cast<QWidget*>(toolBar_), static_cast<QWidget*>(eventTabs_)}) {
        if (area != nullptr) keepClear.emplace_back(area->mapToGlobal(QPoint(0, 0)), area->size());
    }
    shown.move(pickerBeside(main, clicked, outer, free, keepClear));
    pickerPlaced_ = true;
}

ReactionPicker& MainWindow::picker() {
    if (picker_) return *picker_;
    picker_ = std::make_unique<ReactionPicker>();
    // The picker edits too; undo there without going back to the main window.
    undoButtons_->addShortcuts(*picker_);
    retranslatePicker();
    if (pickerPlace_) picker_->move(*pickerPlace_);
    emit shellSignals_.pickerBuilt(*picker_);
    return *picker_;
}

ProgramSettings MainWindow::currentSettings() const {
    ProgramSettings settings;
    settings.mainTop = frameGeometry().top();
    settings.mainLeft = frameGeometry().left();
    settings.eventPage = eventTabs_ != nullptr ? std::max(0, eventTabs_->currentIndex()) : initialEventPage_;
    settings.lang = languageCode();
    settings.log = menuLog_->isChecked();
    settings.debug = menuDebug_->isChecked();
    // A picker never built stays where the settings put it, or placeless.
    const std::optional<QPoint> picker = picker_ ? std::optional<QPoint>(picker_->frameGeometry().topLeft()) : pickerPlace_;
    if (picker) {
        settings.keyTop = picker->y();
        settings.keyLeft = picker->x();
    }
    settings.keyVisible = picker_ && picker_->isVisible();
    return settings;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A second close request while the first one waits for the user's answer
    // about unsent edits (or after it closed) is the same close.
    if (closing_) {
        event->ignore();
        return;
    }
    closing_ = true;
    commitPendingInput();
    if (!shutDownIfAllowed()) {
        closing_ = false;
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void MainWindow::commitPendingInput() {
    QWidget* focused = QApplication::focusWidget();
    // Only our own windows' fields; clearing the focus sends the field the
    // same focus-out that clicking elsewhere would.
    // A toolbar button pressed from the keyboard keeps the focus: it holds
    // no input, and the user's place in the Tab order stays.
    const bool toolbarButton = focused != nullptr && focused->parentWidget() == toolBar_;
    if (focused != nullptr && !toolbarButton && (focused->window() == this || focused->window() == builtPicker()))
        focused->clearFocus();
    emit shellSignals_.inputCommitted();
}

void MainWindow::closeOnSystemRequest() {
    systemClose_ = true;
    // A box waiting for an answer would hold the shut-down for good.
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    // Once the box's caller has returned, not from inside it.
    QTimer::singleShot(0, this, [this] { close(); });
}

bool MainWindow::shutDownIfAllowed() {
    if (systemClose_) emit closingUnasked();
    else if (closeGuard_ && !closeGuard_->closeAllowed()) return false;
    // Nothing here waits: the procedures are driven by ticks and see
    // appClosing on their next one (a firmware transfer in progress returns
    // when this handler has), and the controller is let go at once.
    flags_.setClosing({});
    pollTimer_->stop();
    emit shuttingDown();
    if (settingsSource_) settingsSource_->saveSettings(currentSettings());
    return true;
}

void MainWindow::showMonitoringPage() { pages_->setCurrentIndex(0); }

// ---- language ----

void MainWindow::setLanguage(const std::string& code) {
    useLanguage(code);
    showImage();
}

void MainWindow::useLanguage(const std::string& code) {
    // A language no catalogue is present for (a settings file from a build
    // that had it) leaves the one in force.
    zmt::setLanguage(code);
    for (std::size_t i = 0; i < languageItems_.size(); ++i) languageItems_[i]->setChecked(i == languageIndex());
    // The next poll announces the controller again, now in the new language.
    emit languageSwitching();
    retranslate();
}

void MainWindow::retranslate() {
    // Qt's own texts first, so boxes and menus built from here on follow too.
    qtTranslations_.use(languageCode());
    updateTitle();
    translateForm(kMainFormTranslation, this);
    retranslatePicker();
    pendingPanel_->setText(qText(kChangesPendingLiteral));
    undoButtons_->refresh();
    emit shellSignals_.languageChanged();
}

void MainWindow::showControllerInTitle(std::optional<uint32_t> serial) {
    if (serial == titleSerial_) return;
    titleSerial_ = serial;
    updateTitle();
}

void MainWindow::updateTitle() {
    std::string title = formatText(localized(kTitleLiteral), kProgramVersion);
    if (titleSerial_)
        title += formatText(localized(" - controller %u"), unsigned{*titleSerial_});
    setWindowTitle(QString::fromStdString(title));
}

void MainWindow::retranslatePicker() {
    if (!picker_) return;
    translateForm(kFormKeyBoardTranslation, picker_.get());
    picker_->retranslateTitle();
}

// ---- message boxes, notices, waits ----

Answer MainWindow::showMessage(MessageStyle style, const std::string& text) {
    // A box may wait long for its answer: the page behind it shows that
    // it cannot be edited meanwhile.
    showHeldPage();
    // The box's buttons are Qt's; the window follows on the next tick.
    if (qtTranslations_.release()) qtTextsOwed_ = true;
    pollTimer_->stop();
    // One thread: an exchange still under way when a box is about to open
    // can only be the one beneath this very call, and it cannot finish until
    // the box's caller returns, so the box opens at once; the exchange itself
    // refuses anything nested (ResultCode::Busy).
    std::unique_ptr<QMessageBox> box = buildMsgBox(style, QString::fromStdString(text), this);
    // Nobody may be there to answer while the system ends the program: the
    // text goes to the error output and the box gives its least committal answer.
    if (systemClose_) {
        std::fprintf(stderr, "zmtsetup: %s\n", text.c_str());
        return msgBoxAnswer(*box);
    }
    const Answer answer = dialogs_->runMessageBox(*box);
    // Once closing has begun the controller is being shut; a poll now would
    // open it again behind the shut-down's back.
    if (!flags_.appClosing()) pollTimer_->start();
    return answer;
}

bool MainWindow::controllerKnown() {
    if (flags_.deviceConnected() && flags_.imageValid()) return true;
    showMessage(MessageKind::Information, localized("No controller is connected"));
    return false;
}

void MainWindow::setDialogs(ModalDialogs& dialogs) {
    dialogs_ = &dialogs;
    memo_->setDialogs(dialogs);
}

void MainWindow::showNotice(unsigned clearMs, unsigned blinkMs, const std::string& text) {
    notice_->show(clearMs, blinkMs, text);
}

void MainWindow::showRemark(unsigned ms, const std::string& text) { notice_->showRemark(ms, text); }

void MainWindow::setToolbarBusy(bool busy) {
    QWidget* focused = focusWidget();
    const bool toolbarFocus = focused != nullptr && focused->parentWidget() == toolBar_;
    if (busy && toolbarFocus && lockedFocus_ == nullptr) lockedFocus_ = focused;
    for (QWidget* button : fileButtons_) button->setEnabled(!busy);
    for (QWidget* button : controllerButtons_) button->setEnabled(!busy && flags_.deviceConnected());
    if (busy || lockedFocus_ == nullptr) return;
    // Back on the button, unless the user has gone elsewhere meanwhile.
    if (toolbarFocus && lockedFocus_->isEnabled()) lockedFocus_->setFocus(Qt::OtherFocusReason);
    lockedFocus_ = nullptr;
}

void MainWindow::holdEditing(bool held) {
    editingHolds_ = std::max(0, editingHolds_ + (held ? 1 : -1));
    undoButtons_->refresh();
}

void MainWindow::lockEditor(bool locked) {
    const bool wasLocked = editorLocked();
    editorLocks_ = std::max(0, editorLocks_ + (locked ? 1 : -1));
    if (editorLocked() != wasLocked) emit shellSignals_.editorLockChanged(editorLocked());
}

void MainWindow::lockEditorForTransfer(bool locked) {
    transferLocks_ = std::max(0, transferLocks_ + (locked ? 1 : -1));
    // A page already locked (no controller chosen, a procedure) shows so
    // already: nothing to hold.
    if (locked && transferLocks_ == 1 && !editorLocked()) {
        parametersPage_->setUpdatesEnabled(false);
        pageHeldSince_ = host_->tickMs();
    }
    lockEditor(locked);
    // The editors have their new contents and are unlocked: one paint shows both.
    if (transferLocks_ == 0) showHeldPage();
}

void MainWindow::showHeldPageIfDue() {
    if (pageHeldSince_ && host_->tickMs() - *pageHeldSince_ >= kGreyedPageAfterMs) showHeldPage();
}

void MainWindow::showHeldPage() {
    if (!pageHeldSince_) return;
    pageHeldSince_.reset();
    parametersPage_->setUpdatesEnabled(true);
}

// ---- monitoring log, status, gauge ----

void MainWindow::memoLine(const std::string& line) { memo_->appendLine(std::string_view(line)); }

void MainWindow::memoClear() { memo_->clear(); }

bool MainWindow::exchangeLogOn() const { return menuLog_->isChecked(); }

bool MainWindow::deviceLogOn() const { return menuDevice_->isChecked(); }

void MainWindow::setDeviceLogOn(bool on) { menuDevice_->setChecked(on); }

QWidget* MainWindow::parametersPage() const { return parametersPage_; }

bool MainWindow::monitoringPageActive() const { return pages_->currentWidget() == monitoringPage_; }

void MainWindow::setChangesPending(bool pending) {
    changesPending_ = pending;
    pendingPanel_->setVisible(pending);
}

void MainWindow::setStatusText(const QString& text) { statusPanel_->setText(text); }

QString MainWindow::statusText() const { return statusPanel_->text(); }

void MainWindow::setToolBarEnd(QWidget* widget, int width) {
    toolBarEnd_ = widget;
    widget->setParent(toolBar_);
    widget->setGeometry(toolBar_->width() - width - kGaugeRightGap, kButtonTop, width, kButtonHeight);
}

void MainWindow::fitNoticePanel() {
    const int right = toolBarEnd_ != nullptr && !toolBarEnd_->isHidden() ? toolBarEnd_->x() - kSpacerWidth
                                                                       : toolBar_->width() - kGaugeRightGap;
    panelMenu_->resize(right - panelMenu_->x(), panelMenu_->height());
    gauge_->setGeometry(0, 0, panelMenu_->width(), panelMenu_->height());
}

void MainWindow::showGauge(const Host::Gauge& gauge) {
    fitNoticePanel();
    // A transfer of nothing is complete; Qt would draw an empty range as "busy".
    gauge_->setRange(0, std::max(gauge.maximum, 1));
    gauge_->setValue(gauge.maximum > 0 ? gauge.position : 1);
    gauge_->setVisible(gauge.visible);
}

// ---- timers and handlers ----

void MainWindow::onPollTick() {
    emit pollTick();
    // A controller found: every edit must reach it within a tick again.
    if (flags_.deviceConnected()) wakeSyncTick();
}

void MainWindow::onDevicesAnnounced() {
    // Not while the window closes: the poll timer has stopped for good.
    if (flags_.appClosing()) return;
    emit devicesAnnounced();
    onPollTick();
}

void MainWindow::onSyncTick() {
    // Controls Qt named itself before its texts came (the event tabs'
    // scroll buttons) are named again with the window's.
    if (qtTranslations_.release() || std::exchange(qtTextsOwed_, false)) retranslate();
    emit shellSignals_.syncTick();
    undoButtons_->refresh();
    if (flags_.deviceConnected() || qtTextsOwed_) quietSyncTicks_ = 0;
    else if (++quietSyncTicks_ >= kQuietSyncTicksBeforeRest) {
        syncTimer_->stop();
        // Only a resting tick needs to hear of input (every event of the
        // program passes an application's filter while it is there).
        qApp->installEventFilter(this);
    }
}

void MainWindow::onLogDoubleClick() { memo_->clear(); }

void MainWindow::onDebugMenuToggled() {
    const bool visible = menuDebug_->isChecked();
    for (QAction* item : {menuDebug_, menuLog_, menuDevice_}) item->setVisible(visible);
}

} // namespace zmt::ui
