#include "ui/sim/simulator_window.h"
#include "ui/widgets/accessibility.h"

#include "lang/lang.h"
#include "lang/number_text.h"
#include "sim/simulator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace zmt::ui {

namespace {

QString text(const char* literal) { return QString::fromUtf8(localized(literal)); }

// The level a channel rests at with no button held.
constexpr int kIdleLevel = sim::kIdleKeyLevel;
constexpr std::size_t kTrafficBytesShown = 16;
constexpr int kStatusMessageMs = 5000;


QSpinBox* hexSpin(int maximum, int digits) {
    auto* spin = new QSpinBox;
    spin->setRange(0, maximum);
    spin->setDisplayIntegerBase(16);
    spin->setPrefix("0x");
    spin->setMinimumWidth(60 + 10 * digits);
    return spin;
}

} // namespace

SimulatorWindow::SimulatorWindow(sim::Simulator& simulator, std::size_t unit, QWidget* parent)
    : QWidget(parent), simulator_(simulator), controller_(simulator.controller(unit)), unit_(unit) {
    setObjectName("SimulatorWindow");
    markAsWindow(*this);
    setWindowFlag(Qt::Window);

    // Two columns of independent height, so that a short group is not
    // stretched to the height of its neighbour.
    auto* left = new QVBoxLayout;
    left->setSpacing(10);
    left->addWidget(buildConnection());
    left->addWidget(buildLevels());
    left->addWidget(buildCalibration());
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->setSpacing(10);
    right->addWidget(buildInfrared());
    right->addWidget(buildDeviceLog());
    right->addWidget(buildFaults());
    right->addStretch(1);
    // Narrow margins everywhere: the window has to fit beside the main
    // window on a 1280-pixel screen, in Russian too.
    for (QGroupBox* group : {connectionBox_, levelsBox_, calibrationBox_, infraredBox_, logBox_, faultsBox_})
        group->layout()->setContentsMargins(6, 6, 6, 6);
    auto* groups = new QHBoxLayout;
    groups->setSpacing(8);
    groups->addLayout(left, 1);
    groups->addLayout(right, 1);

    trafficLabel_ = new QLabel;
    trafficLabel_->setObjectName("trafficLabel");
    trafficLabel_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    trafficLabel_->setFrameShape(QFrame::StyledPanel);
    trafficLabel_->setMargin(4);
    trafficLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // One line, whatever the frame: a long one is cut at the window's edge
    // (its hint holds it whole) rather than widening the window off the
    // screen or wrapping, which would push the groups above it around.
    trafficLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

    statusBar_ = new QStatusBar;
    statusBar_->setObjectName("statusBar");
    statusBar_->setSizeGripEnabled(false);
    summary_ = new QLabel;
    summary_->setObjectName("summaryLabel");
    statusBar_->addPermanentWidget(summary_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 8, 6, 4);
    layout->setSpacing(8);
    layout->addLayout(groups);
    layout->addWidget(trafficLabel_);
    layout->addWidget(statusBar_);

    connectControls();
    retranslate();
    refresh();

    refreshTimer_ = new QTimer(this);
    connect(refreshTimer_, &QTimer::timeout, this, &SimulatorWindow::refresh);
    refreshTimer_->start(kRefreshMs);
}

QGroupBox* SimulatorWindow::buildConnection() {
    connectionBox_ = new QGroupBox;
    pluggedCheck_ = new QCheckBox;
    pluggedCheck_->setObjectName("pluggedCheck");
    bootModeCheck_ = new QCheckBox;
    bootModeCheck_->setObjectName("bootModeCheck");
    openDeniedCheck_ = new QCheckBox;
    openDeniedCheck_->setObjectName("openDeniedCheck");
    serialLabel_ = new QLabel;
    serialEdit_ = new QLineEdit;
    serialEdit_->setObjectName("serialEdit");
    serialEdit_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{1,10}"), serialEdit_));
    serialButton_ = new QPushButton;
    serialButton_->setObjectName("serialButton");

    // Room for the largest serial number, 4294967295; the caption stands
    // in a row of its own, so the column stays narrow.
    serialEdit_->setMinimumWidth(serialEdit_->fontMetrics().horizontalAdvance(QStringLiteral("4294967295")) + 12);
    auto* serialRow = new QHBoxLayout;
    serialRow->addWidget(serialEdit_, 1);
    serialRow->addWidget(serialButton_);
    auto* layout = new QVBoxLayout(connectionBox_);
    layout->addWidget(pluggedCheck_);
    layout->addWidget(bootModeCheck_);
    layout->addWidget(openDeniedCheck_);
    layout->addWidget(serialLabel_);
    layout->addLayout(serialRow);
    return connectionBox_;
}

QGroupBox* SimulatorWindow::buildLevels() {
    levelsBox_ = new QGroupBox;
    auto* layout = new QGridLayout(levelsBox_);
    for (std::size_t channel = 0; channel < levelSliders_.size(); ++channel) {
        const int row = static_cast<int>(channel);
        levelLabels_[channel] = new QLabel;
        levelSliders_[channel] = new QSlider(Qt::Horizontal);
        levelSliders_[channel]->setObjectName(QString("levelSlider%1").arg(channel));
        levelSliders_[channel]->setRange(0, 255);
        levelSliders_[channel]->setPageStep(16);
        levelValues_[channel] = new QLabel;
        levelValues_[channel]->setMinimumWidth(30);
        levelValues_[channel]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(levelLabels_[channel], row, 0);
        layout->addWidget(levelSliders_[channel], row, 1);
        layout->addWidget(levelValues_[channel], row, 2);
    }
    releaseButton_ = new QPushButton;
    releaseButton_->setObjectName("releaseButton");
    layout->addWidget(releaseButton_, 4, 1, 1, 2, Qt::AlignRight);
    // A press held steady for half a second and let go, as a hand on the
    // wheel makes it: a slider dragged to a level passes through others on
    // the way, which a set-up reads as an unsteady press.
    pressChannel_ = new QComboBox;
    pressChannel_->setObjectName("pressChannel");
    pressChannel_->addItems({"1", "2", "3", "4"});
    pressLevel_ = new QSpinBox;
    pressLevel_->setObjectName("pressLevel");
    pressLevel_->setRange(1, 255);
    pressLevel_->setValue(120);
    pressButton_ = new QPushButton;
    pressButton_->setObjectName("pressButton");
    auto* pressRow = new QHBoxLayout;
    pressRow->addWidget(pressChannel_);
    pressRow->addWidget(pressLevel_);
    pressRow->addStretch();
    pressRow->addWidget(pressButton_);
    layout->addLayout(pressRow, 5, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    return levelsBox_;
}

QGroupBox* SimulatorWindow::buildInfrared() {
    infraredBox_ = new QGroupBox;
    irProtocol_ = hexSpin(0xFF, 2);
    irProtocol_->setObjectName("irProtocol");
    irAddress_ = hexSpin(0xFFFF, 4);
    irAddress_->setObjectName("irAddress");
    irCommand_ = hexSpin(0xFF, 2);
    irCommand_->setObjectName("irCommand");
    irProtocolLabel_ = new QLabel;
    irAddressLabel_ = new QLabel;
    irCommandLabel_ = new QLabel;
    irReceiveButton_ = new QPushButton;
    irReceiveButton_->setObjectName("irReceiveButton");
    irCurrent_ = new QLabel;
    irCurrent_->setObjectName("irCurrent");

    auto* form = new QFormLayout(infraredBox_);
    form->addRow(irProtocolLabel_, irProtocol_);
    form->addRow(irAddressLabel_, irAddress_);
    form->addRow(irCommandLabel_, irCommand_);
    auto* row = new QHBoxLayout;
    row->addWidget(irCurrent_, 1);
    row->addWidget(irReceiveButton_);
    form->addRow(row);
    return infraredBox_;
}

QGroupBox* SimulatorWindow::buildDeviceLog() {
    logBox_ = new QGroupBox;
    logTypeLabel_ = new QLabel;
    logBytesLabel_ = new QLabel;
    logType_ = hexSpin(0xFF, 2);
    logType_->setObjectName("logType");
    logBytes_ = new QLineEdit;
    logBytes_->setObjectName("logBytes");
    logBytes_->setPlaceholderText("0A 0B 0C");
    logQueueButton_ = new QPushButton;
    logQueueButton_->setObjectName("logQueueButton");
    logQueued_ = new QLabel;
    logQueued_->setObjectName("logQueued");

    auto* form = new QFormLayout(logBox_);
    form->addRow(logTypeLabel_, logType_);
    form->addRow(logBytesLabel_, logBytes_);
    auto* row = new QHBoxLayout;
    row->addWidget(logQueued_, 1);
    row->addWidget(logQueueButton_);
    form->addRow(row);
    return logBox_;
}

QGroupBox* SimulatorWindow::buildCalibration() {
    calibrationBox_ = new QGroupBox;
    calibrationStep_ = new QLabel;
    calibrationStep_->setObjectName("calibrationStep");
    touchPressButton_ = new QPushButton;
    touchPressButton_->setObjectName("touchPressButton");
    touchReleaseButton_ = new QPushButton;
    touchReleaseButton_->setObjectName("touchReleaseButton");
    releaseBits_ = new QCheckBox;
    releaseBits_->setObjectName("releaseBitsCheck");
    releaseBits_->setChecked(controller_.calibrationReleaseBits);
    touchGiveUpButton_ = new QPushButton;
    touchGiveUpButton_->setObjectName("touchGiveUpButton");
    // The step with the time-out, the two hands, the option: one row each,
    // so the column stays narrow.
    auto* column = new QVBoxLayout(calibrationBox_);
    auto* step = new QHBoxLayout;
    step->addWidget(calibrationStep_, 1);
    step->addWidget(touchGiveUpButton_);
    column->addLayout(step);
    auto* hands = new QHBoxLayout;
    hands->addWidget(touchPressButton_);
    hands->addWidget(touchReleaseButton_);
    hands->addStretch(1);
    column->addLayout(hands);
    column->addWidget(releaseBits_);
    return calibrationBox_;
}

QGroupBox* SimulatorWindow::buildFaults() {
    faultsBox_ = new QGroupBox;
    replyDelayLabel_ = new QLabel;
    replyDelay_ = new QSpinBox;
    replyDelay_->setObjectName("replyDelay");
    replyDelay_->setRange(0, 10000);
    replyDelay_->setSingleStep(100);
    noReply_ = new QCheckBox;
    noReply_->setObjectName("noReplyCheck");
    corruptCheck_ = new QCheckBox;
    corruptCheck_->setObjectName("corruptCheck");
    refusalLabel_ = new QLabel;
    refusal_ = new QComboBox;
    refusal_->setObjectName("refusalCombo");
    refusal_->addItems({QString(), QString(), QString()});
    unplugAfter_ = new QSpinBox;
    unplugAfter_->setObjectName("unplugAfter");
    unplugAfter_->setRange(1, 9999);
    unplugAfterButton_ = new QPushButton;
    unplugAfterButton_->setObjectName("unplugAfterButton");
    unplugPending_ = new QLabel;
    unplugPending_->setObjectName("unplugPending");
    clearFaultsButton_ = new QPushButton;
    clearFaultsButton_->setObjectName("clearFaultsButton");

    auto* form = new QFormLayout(faultsBox_);
    form->addRow(replyDelayLabel_, replyDelay_);
    form->addRow(noReply_);
    form->addRow(corruptCheck_);
    form->addRow(refusalLabel_, refusal_);
    auto* unplugRow = new QHBoxLayout;
    unplugRow->addWidget(unplugAfter_);
    unplugRow->addWidget(unplugAfterButton_, 1);
    form->addRow(unplugRow);
    auto* lastRow = new QHBoxLayout;
    lastRow->addWidget(unplugPending_, 1);
    lastRow->addWidget(clearFaultsButton_);
    form->addRow(lastRow);
    return faultsBox_;
}

void SimulatorWindow::connectControls() {
    connect(pluggedCheck_, &QCheckBox::toggled, this, [this](bool plugged) {
        if (plugged) controller_.plug();
        else controller_.unplug();
        report(plugged ? text(N_("Controller plugged in"))
                       : text(N_("Controller unplugged")));
    });
    connect(bootModeCheck_, &QCheckBox::toggled, this, [this](bool boot) {
        controller_.state.bootMode = boot;
        report(boot ? text(N_("Only the boot loader runs"))
                    : text(N_("The application runs")));
    });
    // What a hidraw node without the udev rule does: listed, but not opened.
    connect(openDeniedCheck_, &QCheckBox::toggled, this, [this](bool denied) {
        controller_.state.openDenied = denied;
        report(denied ? text(N_("Access to the device denied"))
                      : text(N_("Access to the device granted")));
    });
    connect(serialButton_, &QPushButton::clicked, this, &SimulatorWindow::applySerial);
    connect(serialEdit_, &QLineEdit::returnPressed, this, &SimulatorWindow::applySerial);

    for (std::size_t channel = 0; channel < levelSliders_.size(); ++channel)
        connect(levelSliders_[channel], &QSlider::valueChanged, this,
                [this, channel](int level) { setLevel(channel, level); });
    connect(releaseButton_, &QPushButton::clicked, this, &SimulatorWindow::releaseButtons);
    connect(pressButton_, &QPushButton::clicked, this, &SimulatorWindow::pressButton);

    connect(irReceiveButton_, &QPushButton::clicked, this, &SimulatorWindow::receiveIrCode);
    connect(logQueueButton_, &QPushButton::clicked, this, &SimulatorWindow::queueLogRecord);
    connect(logBytes_, &QLineEdit::returnPressed, this, &SimulatorWindow::queueLogRecord);

    connect(touchPressButton_, &QPushButton::clicked, this, [this] {
        controller_.touchPress(now());
        refresh();
    });
    connect(touchReleaseButton_, &QPushButton::clicked, this, [this] {
        controller_.touchRelease(now());
        refresh();
    });
    connect(releaseBits_, &QCheckBox::toggled, this, [this](bool on) { controller_.calibrationReleaseBits = on; });
    connect(touchGiveUpButton_, &QPushButton::clicked, this, [this] {
        controller_.calibrationGiveUp(now());
        refresh();
    });

    connect(replyDelay_, &QSpinBox::valueChanged, this,
            [this](int ms) { controller_.faults.replyDelayMs = static_cast<uint32_t>(ms); });
    connect(noReply_, &QCheckBox::toggled, this, [this](bool on) { controller_.faults.noReply = on; });
    connect(corruptCheck_, &QCheckBox::toggled, this, [this](bool on) { controller_.faults.corruptCheck = on; });
    connect(refusal_, &QComboBox::currentIndexChanged, this, &SimulatorWindow::applyRefusal);
    connect(unplugAfterButton_, &QPushButton::clicked, this, &SimulatorWindow::armUnplug);
    connect(clearFaultsButton_, &QPushButton::clicked, this, &SimulatorWindow::clearFaults);
}

void SimulatorWindow::retranslate() {
    language_ = languageIndex();
    // With several units each window says which one it works.
    if (simulator_.unitCount() > 1)
        setWindowTitle(QString::fromStdString(formatText(localized("Simulator %u"), unsigned(unit_ + 1))));
    else
        setWindowTitle(text(N_("Simulator")));
    connectionBox_->setTitle(text(N_("Controller")));
    pluggedCheck_->setText(text(N_("Plugged in to USB")));
    bootModeCheck_->setText(text(N_("Boot loader mode")));
    openDeniedCheck_->setText(text(N_("Access denied (no udev rule)")));
    serialLabel_->setText(text(N_("Serial number")));
    serialButton_->setText(text(N_("Apply")));

    levelsBox_->setTitle(text(N_("Steering-wheel buttons (channel levels)")));
    for (std::size_t channel = 0; channel < levelLabels_.size(); ++channel)
        levelLabels_[channel]->setText(formatText(localized("Channel %zu"), channel + 1).c_str());
    releaseButton_->setText(text(N_("Release all")));
    for (int channel = 0; channel < pressChannel_->count(); ++channel)
        pressChannel_->setItemText(channel, formatText(localized("Channel %d"), channel + 1).c_str());
    pressChannel_->setAccessibleName(text(N_("Channel of the press")));
    pressLevel_->setAccessibleName(text(N_("Level of the press")));
    pressButton_->setText(text(N_("Press")));
    pressButton_->setToolTip(text(N_("The button at the chosen level is held for half a second, then let go")));

    infraredBox_->setTitle(text(N_("Infrared receiver")));
    irProtocolLabel_->setText(text(N_("Protocol")));
    irAddressLabel_->setText(text(N_("Address")));
    irCommandLabel_->setText(text(N_("Command")));
    irReceiveButton_->setText(text(N_("Receive code")));

    logBox_->setTitle(text(NC_("log window title", "Device log")));
    logTypeLabel_->setText(text(N_("Record type")));
    logBytesLabel_->setText(text(N_("Bytes (hex)")));
    logQueueButton_->setText(text(N_("Queue")));

    calibrationBox_->setTitle(text(N_("Touch calibration")));
    touchPressButton_->setText(text(N_("Press")));
    touchReleaseButton_->setText(text(N_("Release")));
    releaseBits_->setText(text(N_("Report the release")));
    touchGiveUpButton_->setText(text(N_("Time out")));

    faultsBox_->setTitle(text(N_("Faults")));
    replyDelayLabel_->setText(text(N_("Reply delay")));
    replyDelay_->setSuffix(text(N_(" ms")));
    noReply_->setText(text(N_("No reply")));
    corruptCheck_->setText(text(N_("Bad check byte")));
    refusalLabel_->setText(text(N_("Refusal")));
    refusal_->setItemText(0, text(N_("none")));
    refusal_->setItemText(1, text(N_("0xFE (parameters)")));
    refusal_->setItemText(2, text(N_("0xFD (failure)")));
    unplugAfterButton_->setText(text(N_("Unplug after N frames")));
    clearFaultsButton_->setText(text(N_("Clear all")));
    refresh();
}

uint32_t SimulatorWindow::now() const { return simulator_.backend().now(); }

void SimulatorWindow::report(const QString& message) {
    statusBar_->showMessage(message, kStatusMessageMs);
    refresh();
}

void SimulatorWindow::applySerial() {
    bool ok = false;
    const qulonglong serial = serialEdit_->text().toULongLong(&ok);
    if (!ok || serial > 0xFFFFFFFFull) {
        report(text(N_("The serial number is a number from 0 to 4294967295")));
        return;
    }
    controller_.state.serialNumber = static_cast<uint32_t>(serial);
    report(formatText(localized("Serial number %lu"), static_cast<unsigned long>(serial)).c_str());
}

void SimulatorWindow::setLevel(std::size_t channel, int level) {
    controller_.state.keyLevels[channel] = static_cast<uint8_t>(level);
    levelValues_[channel]->setNum(level);
}

void SimulatorWindow::pressButton() {
    const int channel = pressChannel_->currentIndex();
    const int level = pressLevel_->value();
    controller_.state.presses.push_back(
        {static_cast<uint8_t>(channel), static_cast<uint8_t>(level), /*restReads=*/0});
    report(formatText(localized("Button pressed: channel %d, level %d"),
                      channel + 1, level)
               .c_str());
}

void SimulatorWindow::releaseButtons() {
    for (QSlider* slider : levelSliders_) slider->setValue(kIdleLevel);
    report(text(N_("Buttons released")));
}

void SimulatorWindow::receiveIrCode() {
    // The receiver's layout: command, address low and high byte, protocol.
    const int address = irAddress_->value();
    controller_.state.irCode = {static_cast<uint8_t>(irCommand_->value()), static_cast<uint8_t>(address & 0xFF),
                                static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(irProtocol_->value())};
    report(text(N_("Infrared code received")));
}

void SimulatorWindow::queueLogRecord() {
    const auto bytes = parseHexBytes(logBytes_->text().toStdString());
    if (!bytes || bytes->size() > sim::kLogDataMax) {
        report(text(N_("Record bytes: up to 32 pairs of hex digits separated by blanks")));
        return;
    }
    controller_.pushLogRecord(static_cast<uint8_t>(logType_->value()), *bytes);
    report(text(N_("Record queued")));
}

void SimulatorWindow::applyRefusal(int index) {
    static constexpr uint8_t statuses[] = {0, 0xFE, 0xFD};
    controller_.faults.forceStatus = index >= 0 && index < 3 ? statuses[index] : 0;
}

void SimulatorWindow::armUnplug() {
    controller_.faults.unplugAfterFrames = unplugAfter_->value();
    const int frames = unplugAfter_->value();
    report(formatText(localizedPlural("Unplugs after %d frame", "Unplugs after %d frames", static_cast<unsigned long>(frames)), frames)
               .c_str());
}

void SimulatorWindow::clearFaults() {
    controller_.faults = sim::Faults{};
    {
        const QSignalBlocker a(replyDelay_), b(noReply_), c(corruptCheck_), d(refusal_);
        replyDelay_->setValue(0);
        noReply_->setChecked(false);
        corruptCheck_->setChecked(false);
        refusal_->setCurrentIndex(0);
    }
    report(text(N_("Faults cleared")));
}

QString SimulatorWindow::calibrationText() const {
    const uint8_t step = controller_.calibrationStep();
    if (step == 0) return text(N_("No calibration running"));
    if (step == 4) return text(N_("Calibration given up"));
    const unsigned corner = step & 0x7F;
    if (step & 0x80)
        return formatText(localized("Corner %u pressed"), corner).c_str();
    return formatText(localized("Waiting for corner %u"), corner).c_str();
}

QString SimulatorWindow::trafficText() const {
    const std::size_t count = controller_.requestsHandled();
    if (count == 0) return text(N_("No request yet"));
    const auto& report = controller_.lastRequest();
    const unsigned length = report[4];
    std::string line = formatText("CMD:%02X OFFSET:%04u LEN:%02u", report[1], report[2] | (report[3] << 8), length);
    if (length != 0) {
        line += " [";
        const std::size_t shown = std::min<std::size_t>({length, 64, kTrafficBytesShown});
        line += hexDump(report.data() + 5, shown);
        line += shown < length ? " ... ]" : " ]";
    }
    return formatText(localized("Received (%zu): %s"), count, line.c_str()).c_str();
}

QString SimulatorWindow::summaryText() const {
    const sim::ControllerState& state = controller_.state;
    const char* presence = controller_.plugged() ? localized("on USB") : localized("unplugged");
    const char* mode = state.bootMode ? localized("boot loader") : localized("application");
    return formatText(localized("%s | %s %s | serial %lu"), presence, mode,
                      versionText(state.applicationVersion).c_str(), static_cast<unsigned long>(state.serialNumber))
        .c_str();
}

// Opened after the language was switched in the main window: in the new
// language and laid out for it from its first picture, not one refresh later
// with captions cut to the old language's widths until the layout catches up.
void SimulatorWindow::showEvent(QShowEvent* event) {
    followLanguage();
    QWidget::showEvent(event);
}

void SimulatorWindow::followLanguage() {
    if (language_ == languageIndex()) return;
    retranslate();
    if (layout() != nullptr) layout()->activate();
}

void SimulatorWindow::refresh() {
    followLanguage();
    controller_.advance(now());
    const sim::ControllerState& state = controller_.state;
    {
        // Reading back must not count as the user changing something.
        const QSignalBlocker a(pluggedCheck_), b(bootModeCheck_), c(openDeniedCheck_);
        pluggedCheck_->setChecked(controller_.plugged());
        bootModeCheck_->setChecked(state.bootMode);
        openDeniedCheck_->setChecked(state.openDenied);
    }
    // Only a serial that changed is written back, so that a number being
    // typed is never replaced under the user's hands.
    if (!shownSerial_ || *shownSerial_ != state.serialNumber) {
        serialEdit_->setText(QString::number(state.serialNumber));
        shownSerial_ = state.serialNumber;
    }
    for (std::size_t channel = 0; channel < levelSliders_.size(); ++channel) {
        const QSignalBlocker block(levelSliders_[channel]);
        levelSliders_[channel]->setValue(state.keyLevels[channel]);
        levelValues_[channel]->setNum(state.keyLevels[channel]);
    }
    const auto& ir = state.irCode;
    irCurrent_->setText(formatText(localized("Last: %02X %02X %02X %02X"), ir[0],
                                   ir[1], ir[2], ir[3]).c_str());
    logQueued_->setText(formatText(localized("Queued: %zu"), state.log.size()).c_str());
    calibrationStep_->setText(calibrationText());
    const bool calibrating = controller_.calibrationStep() != 0;
    touchPressButton_->setEnabled(calibrating);
    touchReleaseButton_->setEnabled(calibrating && controller_.calibrationReleaseBits);
    touchGiveUpButton_->setEnabled(calibrating);
    unplugPending_->setText(controller_.faults.unplugAfterFrames > 0
                                ? formatText(localizedPlural("Unplugs in %d frame", "Unplugs in %d frames",
                                                             static_cast<unsigned long>(controller_.faults.unplugAfterFrames)),
                                             controller_.faults.unplugAfterFrames).c_str()
                                : QString());
    trafficLabel_->setText(trafficText());
    // A hint set again, even unchanged, is announced to the screen reader's
    // side each time.
    if (trafficLabel_->toolTip() != trafficLabel_->text()) trafficLabel_->setToolTip(trafficLabel_->text());
    summary_->setText(summaryText());
}

} // namespace zmt::ui
