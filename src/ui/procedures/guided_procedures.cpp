#include "ui/procedures/guided_procedures.h"

#include "config/edit_history.h"
#include "lang/lang.h"
#include "config/button_names.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/window_placement.h"
#include "ui/procedures/level_bars.h"

#include <QIcon>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace zmt::ui {

GuidedProcedures::GuidedProcedures(ProcedureShell& window, Controller controller, ProcedurePage& page,
                                   FirmwareFileChooser& files)
    : window_(window), simulatorWindow_(controller.simulatorWindow), page_(page), files_(files),
      host_(controller.link.host()), watch_(controller.watch),
      record_(controller.record), transfer_(controller.transfer), firmware_(controller.link, controller.watch, window.flags()),
      learning_(controller.link, controller.transfer, record_, window.flags(), *this),
      calibration_(controller.link, controller.transfer, record_, window.flags(),
                   [this](bool busy) { busyExcept(busy, touchButton_); }) {
    // "Updated" is said once the new application answers, never while the
    // boot loader still shows or after the cable was pulled at the end.
    firmware_.setAwaitNewApplication(true);
    // A new firmware may start from its own configuration: what the
    // controller holds is kept first, once the file has passed its checks
    // (a refused file keeps nothing), and no snapshot means no update.
    firmware_.setOnceFileChecked([this] { return transfer_.keepSnapshot(SnapshotCause::FirmwareUpdate); });
    firmware_.setBeforeTransfer([this] {
        window_.setToolbarBusy(true);
        // The update reports on the Monitoring page (the device, the
        // attempts); the Parameters page is locked meanwhile anyway.
        window_.showMonitoringPage();
    });
    static_assert(kLearningTurnMs == kCalibrationPollMs, "one timer turns both procedures");
    procedureTurns_.setObjectName(QStringLiteral("procedureTurns"));
    procedureTurns_.setInterval(static_cast<int>(kLearningTurnMs));
    connect(&procedureTurns_, &QTimer::timeout, this, [this] { onProcedureTurn(); });
    // A run in progress ends with the program, and writes nothing.
    buildButtons();
}

GuidedProcedures::~GuidedProcedures() = default;

LevelBars* GuidedProcedures::levelBars() {
    if (levelBars_ == nullptr) levelBars_ = new LevelBars(&window_.windowWidget());
    return levelBars_;
}

void GuidedProcedures::buildButtons() {
    // Picture buttons like the toolbar's, in the room the parameters panel
    // leaves for them; their hints come with the window's translation, so
    // they follow the language without a caption of their own.
    auto make = [this](const char* name, const char* icon, void (GuidedProcedures::*click)()) {
        auto* button = new QToolButton;
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(pictureIcon(icon));
        button->setIconSize(QSize(28, 28));
        button->setEnabled(window_.flags().deviceConnected());
        connect(button, &QAbstractButton::clicked, this, [this, click] { (this->*click)(); });
        window_.addDeviceButton(button);
        return button;
    };
    keysButton_ = make("SpeedButtonKeysSetup", ":/icons/learn_buttons.png", &GuidedProcedures::onLearnButtons);
    touchButton_ =
        make("SpeedButtonTouchSetup", ":/icons/calibrate_touch.png", &GuidedProcedures::onCalibrateTouch);
    page_.placeLearningButton(keysButton_);
    page_.placeCalibrationButton(touchButton_);
    keysButton_->show();
    touchButton_->show();
}

void GuidedProcedures::busyExcept(bool busy, QWidget* keptEnabled) {
    // Disabling the focused button hands the focus on down the chain; a
    // run started from the keyboard is stopped from the same button.
    const bool focused = keptEnabled->window()->focusWidget() == keptEnabled;
    window_.setToolbarBusy(busy);
    window_.holdEditing(busy);
    // The turns run from the question to the end of the run, whatever the
    // procedure is doing: a turn that comes while the question is still open
    // (the user takes seconds to answer) finds nothing to read and waits for
    // the next, instead of ending the turns before the run has begun.
    if (busy) procedureTurns_.start();
    else procedureTurns_.stop();
    // The procedure's own button stays usable: a second click stops it.
    if (busy) keptEnabled->setEnabled(true);
    if (focused && keptEnabled->isEnabled()) keptEnabled->setFocus(Qt::OtherFocusReason);
}

void GuidedProcedures::onUpdateFirmware() {
    if (firmware_.running()) return;
    const bool known = window_.flags().imageValid();
    const ConfigImage before = record_.deviceCopy;
    window_.setToolbarBusy(true);
    window_.holdEditing(true);
    window_.lockEditor(true);
    const FirmwareOutcome outcome = firmware_.updateFirmware([this] { return files_.chooseFirmwareFile(); });
    if (outcome == FirmwareOutcome::Updated) {
        // The log keeps the result beside the attempts it logged; the
        // identity the new application reports follows it at the next poll.
        host_.memoLine(firmwareUpdatedText(watch_.identity().applicationVersion));
        if (known) transfer_.compareAfterUpdate(before);
    }
    window_.lockEditor(false);
    window_.holdEditing(false);
    window_.setToolbarBusy(false);
}

void GuidedProcedures::onLearnButtons() { learning_.onLearnButtons(); }

void GuidedProcedures::onProcedureTurn() {
    learning_.onTurn();
    calibration_.onTurn();
}

void GuidedProcedures::onShuttingDown() {
    learning_.abandon();
    calibration_.abandon();
}

void GuidedProcedures::onCalibrateTouch() {
    calibration_.onCalibrateTouch(page_.touchOffsetChecked());
}

void GuidedProcedures::setLearningBusy(bool busy) {
    // All the buttons learnt in one run are one step, from the question to
    // the writing of the result.
    if (busy) learningStep_.emplace(window_.editHistory(), record_.image, editLabel(N_("learn buttons")));
    busyExcept(busy, keysButton_);
    if (busy) return;
    learningStep_.reset();
    if (levelBars_ != nullptr) levelBars_->hide();
}

void GuidedProcedures::learningStarted() {
    // Only now: before the question is answered there is nothing to show,
    // and a "No" must not leave a window flashing up and away.
    LevelBars* bars = levelBars();
    bars->retranslate();
    bars->showLevels(LearningLevels{}, {});
    // Right of the main window; when the Simulator window stands there, over
    // its right-hand groups (infrared, device log), which learning does not
    // use, so its connection and level controls stay in sight.
    const QWidget& window = window_.windowWidget();
    if (simulatorWindow_ != nullptr && simulatorWindow_->isVisible()) {
        const QRect main = window.frameGeometry();
        const int frameWidth = main.width() - window.width();
        bars->move(againstRightEdge(simulatorWindow_->frameGeometry(), bars->width() + frameWidth));
    } else {
        // Seven pixels clear, where the bars have always stood, but never off
        // the screen: a main window against the right edge has them over it.
        const QSize frame = bars->size() + (window.frameGeometry().size() - window.size());
        bars->move(keptOnScreen(rightOf(window.frameGeometry(), 7), frame, window.screen()->availableGeometry()));
    }
    bars->show();
}

void GuidedProcedures::setKeyCellText(int channel, int row, const std::string& text) {
    // A cell keeps its mark when its text changes.
    page_.setKeyCell(channel, row, QString::fromStdString(text), learning_.levels().recognisedRow[channel] == row);
}

void GuidedProcedures::markRecognised(int channel, int row) { page_.markKeyCell(channel, row); }

void GuidedProcedures::clearGridSelection() { page_.clearGridSelection(); }

QString GuidedProcedures::recognisedName(int channel, int row) const {
    if (row == 0) return {};
    // What the user sees in the grid (a name being typed included).
    const std::string shown = page_.keyCellText(channel, row).toStdString();
    return QString::fromStdString(editor::heldButtonName(record_.image, channel, row, shown));
}

void GuidedProcedures::showLevels(const LearningLevels& levels) {
    std::array<QString, kChannels> names;
    for (int c = 0; c < kChannels; ++c) names[c] = recognisedName(c, levels.recognisedRow[c]);
    levelBars()->showLevels(levels, names);
}

} // namespace zmt::ui
