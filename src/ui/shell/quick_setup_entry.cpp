#include "ui/shell/quick_setup_entry.h"

#include "config/config_image.h"
#include "lang/lang.h"
#include "ui/help/help_window.h"
#include "ui/i18n/translate_form.h"
#include "ui/procedures/quick_setup_window.h"
#include "ui/shell/controller_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/settings_store.h"
#include "ui/widgets/window_placement.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>

namespace zmt::ui {

namespace {

QString text(const char* literal) { return QString::fromUtf8(localized(literal)); }

constexpr int kOfferRetryMs = 500;

} // namespace

bool nothingSetUp(const ConfigImage& image) {
    for (const auto& channel : image.keys)
        for (const KeyRecord& key : channel)
            if (key.level != 0) return false;
    for (const EventRecord& event : image.events)
        if (event.eventType() != 0) return false;
    return true;
}

QuickSetupEntry::QuickSetupEntry(MainWindow& window, ControllerSession& session, SettingsStore& settings,
                                 ProcedurePage& page, bool offer)
    : main_(window), session_(session), settings_(settings), page_(page), offer_(offer) {
    QMenu& menu = main_.toolBarMenu();
    menu.addSeparator();
    quickSetupAction_ = menu.addAction(QString());
    quickSetupAction_->setObjectName(QStringLiteral("ActionQuickSetup"));
    buttonTestAction_ = menu.addAction(QString());
    buttonTestAction_->setObjectName(QStringLiteral("ActionButtonTest"));
    connect(quickSetupAction_, &QAction::triggered, this, [this] { openQuickSetup(); });
    connect(buttonTestAction_, &QAction::triggered, this, [this] { openButtonTest(); });
    // Offered while a controller's configuration is there to set up.
    connect(&menu, &QMenu::aboutToShow, this, [this] { updateActions(); });
    connect(&main_.shellSignals(), &ShellSignals::languageChanged, this, [this] { retranslate(); });
    connect(&main_, &MainWindow::shuttingDown, this, [this] {
        if (window_) {
            window_->abandon();
            if (window_->isVisible()) settings_.rememberQuickSetupPlace(window_->frameGeometry().left(),
                                                                        window_->frameGeometry().top());
        }
    });
    session_.setAfterRead([this] { controllerRead(); });
    retranslate();
}

QuickSetupEntry::~QuickSetupEntry() = default;

void QuickSetupEntry::retranslate() {
    quickSetupAction_->setText(text(N_("Quick set-up…")));
    buttonTestAction_->setText(text(N_("Test buttons…")));
    if (window_) window_->retranslate();
    if (picker_) {
        translateForm(kFormKeyBoardTranslation, picker_);
        picker_->retranslateTitle();
    }
}

void QuickSetupEntry::updateActions() {
    const bool ready = controllerReady(false);
    quickSetupAction_->setEnabled(ready);
    buttonTestAction_->setEnabled(ready);
}

bool QuickSetupEntry::controllerReady(bool say) {
    // Not while the program closes or another procedure holds the image.
    if (main_.flags().appClosing() || main_.editingHeld()) return false;
    if (say) return main_.controllerKnown();
    return main_.flags().deviceConnected() && main_.flags().imageValid();
}

QuickSetupWindow& QuickSetupEntry::setupWindow() {
    if (!window_) {
        window_ = std::make_unique<QuickSetupWindow>(
            main_, QuickSetupWindow::Controller{session_.link(), session_.transfer(), session_.record()}, page_,
            static_cast<ReactionChooser&>(*this));
        // F1 anywhere in it opens the guide on the quick set-up.
        setHelpTopic(*window_, "quick-setup");
        // Where it stood is kept each time it closes.
        connect(window_.get(), &QDialog::finished, this, [this] {
            settings_.rememberQuickSetupPlace(window_->frameGeometry().left(), window_->frameGeometry().top());
        });
    }
    return *window_;
}

void QuickSetupEntry::chooseReaction(QWidget& over, const Reaction& start,
                                     std::function<void(const Reaction&)> chosen) {
    if (!picker_) {
        // A child of the set-up window: the main window's input is blocked
        // while it is open, its children's is not.
        picker_ = new ReactionPicker(&over);
        setHelpTopic(*picker_, "reactions");
        translateForm(kFormKeyBoardTranslation, picker_);
    }
    // Beside the set-up window, not over its prompt and lists.
    if (const QScreen* screen = over.screen())
        picker_->move(pickerBeside(over.frameGeometry(), QRect(), picker_->frameGeometry().size(),
                                   screen->availableGeometry()));
    chosen_ = {};
    picking_ = start;
    picker_->open(picking_, this, formatInEveryLanguage(N_("Another key (quick set-up)")));
    chosen_ = std::move(chosen);
    picker_->raise();
    picker_->activateWindow();
    picker_->focusKeys();
}

void QuickSetupEntry::stopChoosingReaction() {
    chosen_ = {};
    if (!picker_) return;
    picker_->detach();
    picker_->hide();
}

void QuickSetupEntry::reactionShown() {
    if (chosen_) chosen_(picking_);
}

void QuickSetupEntry::openQuickSetup() {
    if (!controllerReady(true)) return;
    QuickSetupWindow& window = setupWindow();
    place();
    window.startQuickSetup();
}

void QuickSetupEntry::openButtonTest() {
    if (!controllerReady(true)) return;
    QuickSetupWindow& window = setupWindow();
    place();
    window.startButtonTest();
}

void QuickSetupEntry::place() {
    if (placed_) return;
    placed_ = true;
    QuickSetupWindow& window = *window_;
    window.adjustSize();
    // The window manager's frame is not known before the window is first
    // shown; it will be the main window's.
    const QRect main = main_.frameGeometry();
    const QSize frame = main.size() - main_.size();
    const QSize outer = window.size() + frame;
    const QScreen* screen = main_.screen() != nullptr ? main_.screen() : QGuiApplication::primaryScreen();
    const QRect free = screen != nullptr ? screen->availableGeometry() : main;
    const ProgramSettings& stored = settings_.settings();
    const QPoint kept = placeWindow(stored.quickLeft, stored.quickTop, free.size(), outer);
    if (stored.quickLeft && stored.quickTop && kept == QPoint(*stored.quickLeft, *stored.quickTop)) {
        window.move(kept);
        return;
    }
    // Over the main window's centre, where a dialog of it would come.
    const QPoint centred = main.center() - QPoint(outer.width() / 2, outer.height() / 2);
    window.move(keptOnScreen(centred, outer, free));
}

void QuickSetupEntry::controllerRead() {
    if (!offer_) return;
    const uint32_t serial = session_.watch().identity().serialNumber;
    if (settings_.quickSetupOffered(serial) || !nothingSetUp(session_.record().image)) return;
    // Not from inside the poll that read it: once the poll is over.
    QTimer::singleShot(0, this, [this, serial] { offerNow(serial); });
}

void QuickSetupEntry::offerNow(uint32_t serial) {
    // The controller may have gone, or another come, meanwhile, or a file
    // opened since may have set it up.
    if (!offer_ || !controllerReady(false) || session_.watch().identity().serialNumber != serial ||
        settings_.quickSetupOffered(serial) || !nothingSetUp(session_.record().image) ||
        (window_ && window_->isVisible()))
        return;
    // Never a box over another one: asked once that one is answered.
    if (QApplication::activeModalWidget() != nullptr) {
        QTimer::singleShot(kOfferRetryMs, this, [this, serial] { offerNow(serial); });
        return;
    }
    // Asked once, whatever the answer: a "No" is not asked again either.
    settings_.rememberQuickSetupOffered(serial);
    const Answer answer = main_.showMessage(
        MessageKind::Question,
        formatText(localized("Nothing is set up on controller %u yet: no learned buttons, no events.\nStart the quick "
                             "set-up? You press a steering-wheel button and choose what it does.\nIt is also there "
                             "later: the toolbar's menu, \"Quick set-up…\"."),
                   unsigned{serial}));
    if (answer == Answer::Yes) openQuickSetup();
}

} // namespace zmt::ui
