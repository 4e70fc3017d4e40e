#include "ui/shell/controller_choice.h"

#include "device/connection_watch.h"
#include "device/identity.h"
#include "lang/lang.h"
#include "ui/shell/main_window.h"
#include "ui/shell/settings_store.h"

#include <QComboBox>

#include <algorithm>

namespace zmt::ui {

// A drop-down that reads the bus again as it opens: busy controllers may
// have been let go meanwhile.
class ChoiceBox : public QComboBox {
public:
    ChoiceBox(ControllerChoice& choice, QWidget* parent) : QComboBox(parent), choice_(choice) {}
    void showPopup() override {
        choice_.refresh();
        QComboBox::showPopup();
    }

private:
    ControllerChoice& choice_;
};

namespace {
constexpr int kBoxWidth = 170;
constexpr const char* kBusyLiteral = N_("%u (busy)");
constexpr const char* kAbsentLiteral = N_("%u (not connected)");
constexpr const char* kChooseLiteral = N_("Choose a controller");
constexpr const char* kHintLiteral = N_("The controller the program works with");
}

ControllerChoice::ControllerChoice(MainWindow& window, ConnectionWatch& watch, SettingsStore& settings)
    : QObject(&window), window_(window), watch_(watch), settings_(settings),
      box_(new ChoiceBox(*this, nullptr)) {
    box_->setObjectName(QStringLiteral("ComboBoxControllerx"));
    // Reached with Tab like the toolbar's buttons; a click leaves the focus where it was.
    box_->setFocusPolicy(Qt::TabFocus);
    window_.setToolBarEnd(box_, kBoxWidth);
    box_->hide();
    connect(box_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0) choose(box_->itemData(index).toUInt());
    });
    connect(&window_, &MainWindow::pollTick, this, [this] { onPollTick(); });
    // Something arrived or left: the list is looked at with the poll that follows.
    connect(&window_, &MainWindow::devicesAnnounced, this, [this] { pollsToLook_ = 0; });
    connect(&window_.shellSignals(), &ShellSignals::languageChanged, this, [this] { fill(); });
}

QWidget& ControllerChoice::box() { return *box_; }

bool ControllerChoice::mayAsk() const {
    // Never in the middle of a transfer or a procedure: the list asks the
    // controllers their identity.
    return !window_.editingHeld() && !window_.flags().learningActive() && !window_.flags().appClosing();
}

void ControllerChoice::onPollTick() {
    const bool unchosen = watch_.absence() == ConnectionWatch::Absence::SeveralUnchosen;
    // Editing waits for the choice: an edit made now would belong to no
    // controller, and reading the chosen one would replace it unasked.
    if (unchosen != editorLocked_) {
        editorLocked_ = unchosen;
        window_.lockEditor(unchosen);
    }
    // Every tenth poll (the first one at once): the watch itself searches
    // on every poll meanwhile, and a choice waiting is no reason to do it twice.
    if (--pollsToLook_ > 0) return;
    pollsToLook_ = kLookEveryPolls;
    if (!mayAsk()) return;
    std::vector<std::string> paths = watch_.presentPaths();
    std::sort(paths.begin(), paths.end());
    if (paths == lastPaths_ && !(unchosen && present_.empty())) return;
    lastPaths_ = std::move(paths);
    refresh();
}

void ControllerChoice::refresh() {
    if (!mayAsk()) return;
    present_.clear();
    if (lastPaths_.size() >= 2 || watch_.chosenSerial()) watch_.listControllers(present_);
    // The remembered controller is taken again when it is among several and
    // nothing else was chosen in this run.
    const auto remembered = settings_.settings().controllerSerial;
    if (present_.size() >= 2 && !watch_.chosenSerial() && remembered &&
        std::any_of(present_.begin(), present_.end(),
                    [&](const PresentController& unit) { return unit.serial() == remembered; }))
        watch_.chooseSerial(remembered);
    fill();
}

void ControllerChoice::choose(uint32_t serial) {
    if (filling_) return;
    settings_.rememberControllerSerial(serial);
    if (watch_.chosenSerial() == serial) return;
    watch_.chooseSerial(serial);
    // The next poll lets the old controller go and reads the new one.
    fill();
}

QString ControllerChoice::entryText(const PresentController& unit) const {
    const unsigned serial = unit.serial().value_or(0);
    if (unit.busy) return QString::fromStdString(formatText(localized(kBusyLiteral), serial));
    return QString::fromStdString(std::to_string(serial) + "  " + versionText(unit.identity.applicationVersion));
}

void ControllerChoice::fill() {
    // Shown while there is a choice: several controllers, or one chosen
    // that is not the one plugged in.
    const auto chosen = watch_.chosenSerial();
    const bool chosenAway = chosen && std::none_of(present_.begin(), present_.end(), [&](const PresentController& unit) {
                                return unit.serial() == chosen;
                            });
    const bool offered = present_.size() >= 2 || (chosenAway && !present_.empty());
    filling_ = true;
    box_->clear();
    if (offered) {
        for (const PresentController& unit : present_) {
            const auto serial = unit.serial();
            if (!serial) continue;
            box_->addItem(entryText(unit), QVariant::fromValue(*serial));
        }
        if (chosenAway) box_->addItem(QString::fromStdString(formatText(localized(kAbsentLiteral), unsigned{*chosen})),
                                      QVariant::fromValue(*chosen));
        const auto shown = chosen ? chosen : (window_.flags().deviceConnected() ? std::optional(watch_.lastSerial()) : std::nullopt);
        box_->setCurrentIndex(shown ? box_->findData(QVariant::fromValue(*shown)) : -1);
        window_.showControllerInTitle(shown);
    } else {
        window_.showControllerInTitle(std::nullopt);
    }
    filling_ = false;
    retranslate();
    if (offered != box_->isVisible()) {
        box_->setVisible(offered);
        window_.fitNoticePanel();
    }
}

void ControllerChoice::retranslate() {
    box_->setToolTip(QString::fromStdString(localized(kHintLiteral)));
    box_->setAccessibleName(QString::fromStdString(localized(kHintLiteral)));
    box_->setPlaceholderText(QString::fromStdString(localized(kChooseLiteral)));
}

} // namespace zmt::ui
