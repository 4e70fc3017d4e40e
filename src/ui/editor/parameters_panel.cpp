#include "ui/editor/parameters_panel.h"

#include "ui/widgets/fitted_text.h"

#include "ui/editor/parameter_rules.h"
#include "lang/lang.h"
#include "ui/widgets/controls.h"
#include "ui/widgets/editor_host.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

namespace zmt::ui {

namespace {

constexpr int kRowHeight = 21;
constexpr int kLongTimeoutLength = 6;
constexpr unsigned kCorrectionNoticeMs = 6000;

template <class Control>
Control* named(QWidget* parent, const char* name, const QRect& where) {
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(where);
    return control;
}

QGroupBox* groupBox(QWidget* parent, const char* name, const QRect& where) {
    return named<QGroupBox>(parent, name, where);
}

// The design-time items, in the language in force; the language switch
// replaces them from the translation table, keeping the selection.
void fillItems(QComboBox* list, const char* const* literals, int count) {
    for (int i = 0; i < count; ++i) list->addItem(QString::fromUtf8(localized(literals[i])));
}

} // namespace

ParametersPanel::ParametersPanel(EditorShell& window, ConfigRecord& record)
    : QWidget(window.parametersPage()),
      window_(window),
      image_(record.image) {
    setObjectName(QStringLiteral("PanelSetup"));
    setGeometry(kGeometry);
    build();
    showImage();
    // Before the grid and the event editor, which are built after the
    // panel: the selected event may follow the modes the panel shows.
    connect(&window.shellSignals(), &ShellSignals::showingImage, this, [this] { showImage(); });
}

void ParametersPanel::build() {
    // The controls sit inside the group boxes' frames: the frame line runs
    // under the caption, down to about 20 px from a box's top edge.
    // Long-press time-out.
    QGroupBox* keys = keySetupGroup_ = groupBox(this, "GroupBoxKeySetup", {0, 0, 187, 60});
    auto* longCaption = named<QLabel>(keys, "Label_PAR_LongTO_Descripion", {8, 20, 128, 16});
    longCaption->setText(QString::fromUtf8(localized("Long tap >")));
    longTimeout_ = named<QLineEdit>(keys, "Edit_PAR_LongTO", {8, 37, 52, 20});
    longCaption->setBuddy(longTimeout_);   // the field is read out by its caption, not the group's
    longTimeout_->setMaxLength(kLongTimeoutLength);
    longTimeout_->installEventFilter(this);
    // Return commits the value as leaving the field does.
    connect(longTimeout_, &QLineEdit::returnPressed, this, [this] { onLongPressTimeLeft(); });
    setFittedText(*named<QLabel>(keys, "Label_PAR_LongTO_MSEC", {64, 37, 40, 20}), QString::fromUtf8(localized("mSec")));

    // Encoders.
    const char* groups[2] = {"GroupBoxEncoder1Setup", "GroupBoxEncoder2Setup"};
    const char* modeLabels[2] = {"PanelEncoder1ModeText", "PanelEncoder2ModeText"};
    const char* modeLists[2] = {"ComboBoxEditEncoder1Mode", "ComboBoxEditEncoder2Mode"};
    const char* divisorLabels[2] = {"PanelEncoder1DivText", "PanelEncoder2DivText"};
    const char* divisors[2] = {"CSpinEditEncoder1Div", "CSpinEditEncoder2Div"};
    for (int encoder = 0; encoder < 2; ++encoder) {
        QGroupBox* group = encoderGroups_[encoder] = groupBox(this, groups[encoder], {0, 62 + encoder * 70, 187, 68});
        // The mode list takes the room its longest item needs ("пины
        // RXD/TXD"); its caption is only as wide as "Режим".
        auto* modeLabel = named<Panel>(group, modeLabels[encoder], {6, 21, 50, kRowHeight});
        modeLabel->setText(QString::fromUtf8(localized("Mode")));
        encoderMode_[encoder] = named<QComboBox>(group, modeLists[encoder], {59, 21, 124, kRowHeight});
        fillItems(encoderMode_[encoder], kEncoderModeItems, kEncoderModeCount);
        auto* divisorLabel = named<Panel>(group, divisorLabels[encoder], {6, 43, 66, kRowHeight});
        divisorLabel->setText(QString::fromUtf8(localized("Divisor")));
        encoderDivisor_[encoder] = named<QSpinBox>(group, divisors[encoder], {75, 43, 52, kRowHeight});
        encoderDivisor_[encoder]->setRange(kMinDivisor, kMaxDivisor);
        encoderDivisor_[encoder]->setValue(kMinDivisor);
    }
    connect(encoderMode_[0], &QComboBox::activated, this, [this] { onEncoder1ModeChanged(); });
    connect(encoderMode_[1], &QComboBox::activated, this, [this] { onEncoder2ModeChanged(); });
    connect(encoderDivisor_[0], &QSpinBox::valueChanged, this, [this] { onEncoder1DivisorChanged(); });
    connect(encoderDivisor_[1], &QSpinBox::valueChanged, this, [this] { onEncoder2DivisorChanged(); });

    // Touch panel. Two of the options share a row, so that the lower part
    // of the group leaves the HOME key's panel the whole width and two
    // lines (its caption and panel come with the event editor); the
    // calibration button stands at the top right.
    QGroupBox* touch = touchGroup_ = groupBox(this, "GroupBoxTouch", {192, 0, 250, 149});
    windows_ = named<QCheckBox>(touch, "CheckBoxWindows", {8, 21, 78, 17});
    fiveLines_ = named<QCheckBox>(touch, "CheckBox5lines", {88, 21, 106, 17});
    touchWakeUp_ = named<QCheckBox>(touch, "CheckBoxTouchWakeUp", {8, 38, 106, 17});
    auto* modeLabel = named<Panel>(touch, "Panel2", {8, 58, 56, kRowHeight});
    modeLabel->setText(QString::fromUtf8(localized("Mode")));
    touchMode_ = named<QComboBox>(touch, "ComboBoxTouchMode", {67, 58, 175, kRowHeight});
    fillItems(touchMode_, kTouchModeItems, kTouchModeCount);
    touchOffset_ = named<QCheckBox>(touch, "CheckBoxTouchDXY", {8, 80, 234, 17});
    windows_->setText(QStringLiteral("Windows"));
    fiveLines_->setText(QString::fromUtf8(localized("5 lines")));
    touchWakeUp_->setText(QString::fromUtf8(localized("Wake Up")));
    touchOffset_->setText(QString::fromUtf8(localized("Offset 10% when setting")));
    connect(windows_, &QCheckBox::clicked, this, [this] { onWindowsTouchToggled(); });
    connect(fiveLines_, &QCheckBox::clicked, this, [this] { onFiveWireTouchToggled(); });
    connect(touchWakeUp_, &QCheckBox::clicked, this, [this] { onTouchWakeUpToggled(); });
    connect(touchMode_, &QComboBox::activated, this, [this] { onTouchModeChanged(); });

    // Head unit.
    QGroupBox* head = headGroup_ = groupBox(this, "GroupBoxHEAD", {192, 151, 250, 49});
    auto* typeLabel = named<Panel>(head, "PanelHEADTYPEText", {8, 22, 56, kRowHeight});
    typeLabel->setText(QString::fromUtf8(localized("Type")));
    headType_ = named<QComboBox>(head, "ComboBoxHEADTYPE", {67, 22, 175, kRowHeight});
    fillItems(headType_, kHeadTypeItems, kHeadTypeCount);
    connect(headType_, &QComboBox::activated, this, [this] { onHeadUnitTypeChanged(); });
}

void ParametersPanel::placeLearningButton(QWidget* button) {
    // Inside the box's frame, which starts about 20 px below its top edge.
    button->setParent(keySetupGroup_);
    button->setGeometry(138, 20, 44, 37);
}

void ParametersPanel::placeCalibrationButton(QWidget* button) {
    button->setParent(touchGroup_);
    button->setGeometry(198, 21, 44, 36);
}

bool ParametersPanel::touchOffsetChecked() const { return touchOffset_->isChecked(); }

void ParametersPanel::setGroupsEnabled(bool enabled) {
    for (QWidget* group : {keySetupGroup_, encoderGroups_[0], encoderGroups_[1], touchGroup_, headGroup_})
        group->setEnabled(enabled);
}

void ParametersPanel::showImage() {
    // Filling the controls must not look like the user editing them: a
    // handler run from here would apply the exclusions to an image that was
    // only being shown (a controller read with 5-wire touch and a Keys12
    // encoder would be changed behind the user's back).
    const QSignalBlocker blockers[] = {
        QSignalBlocker(encoderDivisor_[0]), QSignalBlocker(encoderDivisor_[1]), QSignalBlocker(windows_),
        QSignalBlocker(fiveLines_), QSignalBlocker(touchWakeUp_)};
    longTimeout_->setText(QString::number(image_.longPressTimeout));
    encoderMode_[0]->setCurrentIndex(image_.enc0Mode < kEncoderModeCount ? image_.enc0Mode : -1);
    encoderMode_[1]->setCurrentIndex(image_.enc1Mode < kEncoderModeCount ? image_.enc1Mode : -1);
    encoderDivisor_[0]->setValue(image_.enc0Div + 1);
    encoderDivisor_[1]->setValue(image_.enc1Div + 1);
    windows_->setChecked(image_.touchFlags & TOUCH_WINDOWS);
    fiveLines_->setChecked(image_.touchFlags & TOUCH_5LINES);
    touchWakeUp_->setChecked(image_.touchWakeUp != 0);
    touchMode_->setCurrentIndex(image_.touchMode < kTouchModeCount ? image_.touchMode : -1);
    headType_->setCurrentIndex(image_.headType < kHeadTypeCount ? image_.headType : -1);
}

void ParametersPanel::refreshAfter(bool needed) {
    // The exclusions may have switched other settings off: show them all again.
    showImage();
    if (!needed) return;
    emit encoderColumnOutdated();
    emit selectedEventOutdated();
}

bool ParametersPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == longTimeout_ && event->type() == QEvent::FocusOut) onLongPressTimeLeft();
    return QWidget::eventFilter(watched, event);
}

EditStep ParametersPanel::edit(const char* label) {
    // The step spans the whole handler: the exclusions a setting causes and
    // what showing the event again straightens out undo with it.
    return EditStep(window_.editHistory(), image_, editLabel(label));
}

void ParametersPanel::onLongPressTimeLeft() {
    const EditStep step = edit(N_("long press time-out"));
    const QString typed = longTimeout_->text().trimmed();
    const uint16_t value = correctedLongPressTimeout(typed.toStdString());
    longTimeout_->setText(QString::number(value));
    image_.longPressTimeout = value;
    // A value put right without a word looks like the program ignoring the user.
    if (typed != QString::number(value))
        window_.showRemark(kCorrectionNoticeMs,
                           formatText(localized("Allowed %u to %u ms, set to %u"),
                                      unsigned{kMinLongPressTimeout}, unsigned{kMaxLongPressTimeout}, unsigned{value}));
}

void ParametersPanel::applyRule(ExclusiveSetting edited, const std::function<bool(ConfigImage&)>& rule) {
    const ConfigImage before = image_;
    refreshAfter(rule(image_));
    // The rule stays; what it switched off is said, or the user finds it
    // missing later with no idea why.
    const std::string off = switchedOffSettings(before, image_, edited);
    if (!off.empty())
        window_.showRemark(kCorrectionNoticeMs,
                           formatText(localized("Switched off: %s"),
                                      off.c_str()));
}

void ParametersPanel::onEncoder1DivisorChanged() {
    const EditStep step = edit(N_("encoder 1 divisor"));
    setEncoderDivisor(image_, 0, encoderDivisor_[0]->value());
}
void ParametersPanel::onEncoder2DivisorChanged() {
    const EditStep step = edit(N_("encoder 2 divisor"));
    setEncoderDivisor(image_, 1, encoderDivisor_[1]->value());
}

void ParametersPanel::onEncoder1ModeChanged() {
    const EditStep step = edit(N_("encoder 1 mode"));
    applyRule(ExclusiveSetting::Encoder1Mode,
              [this](ConfigImage& image) { return setEncoderMode(image, 0, encoderMode_[0]->currentIndex()); });
}
void ParametersPanel::onEncoder2ModeChanged() {
    const EditStep step = edit(N_("encoder 2 mode"));
    applyRule(ExclusiveSetting::Encoder2Mode,
              [this](ConfigImage& image) { return setEncoderMode(image, 1, encoderMode_[1]->currentIndex()); });
}
void ParametersPanel::onHeadUnitTypeChanged() {
    const EditStep step = edit(N_("head unit type"));
    applyRule(ExclusiveSetting::HeadType,
              [this](ConfigImage& image) { return setHeadType(image, headType_->currentIndex()); });
}
void ParametersPanel::onTouchModeChanged() {
    const EditStep step = edit(N_("touch panel mode"));
    applyRule(ExclusiveSetting::TouchMode,
              [this](ConfigImage& image) { return setTouchMode(image, touchMode_->currentIndex()); });
}
void ParametersPanel::onWindowsTouchToggled() {
    const EditStep step = edit(N_("touch panel: Windows"));
    setWindowsTouch(image_, windows_->isChecked());
}
void ParametersPanel::onFiveWireTouchToggled() {
    const EditStep step = edit(N_("touch panel: 5 wires"));
    applyRule(ExclusiveSetting::FiveWireTouch,
              [this](ConfigImage& image) { return setFiveWireTouch(image, fiveLines_->isChecked()); });
}
void ParametersPanel::onTouchWakeUpToggled() {
    const EditStep step = edit(N_("touch panel wake-up"));
    setTouchWakeUp(image_, touchWakeUp_->isChecked());
}

} // namespace zmt::ui
