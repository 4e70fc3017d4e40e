#pragma once
// PanelSetup, the controller-wide settings on the Parameters page: the
// long-press time-out, the two encoders, the touch panel and the head unit.
// Every control writes its image field the moment the user changes it (the
// synchronisation sends it on); the exclusions between the settings are the
// rules of parameter_rules.h, and this panel only shows their outcome.
#include "config/config_image.h"
#include "config/edit_history.h"
#include "ui/editor/parameter_rules.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QSpinBox;

namespace zmt::ui {

class EditorShell;

// Room is left in the group boxes for the controls other parts put there:
// GroupBoxKeySetup right of x = 110 (button learning), GroupBoxTouch right
// of x = 196 above y = 57 (touch calibration) and below y = 98, the whole
// width (the HOME key's reaction).
class ParametersPanel : public QWidget {
    Q_OBJECT
public:
    // Where the panel sits on the Parameters page.
    static constexpr QRect kGeometry{244, 160, 442, 201};

    // Builds the panel on the window's Parameters page (TabSheetParameters)
    // over the image of record, which must outlive the panel.
    ParametersPanel(EditorShell& window, ConfigRecord& record);

    // The panel's part of showing the image. Showing never edits the image.
    void showImage();

    // What other parts put into the panel's groups or read from them.
    // Button learning's and touch calibration's buttons, in the room left
    // for them:
    void placeLearningButton(QWidget* button);
    void placeCalibrationButton(QWidget* button);
    // The touch group, whose lower part takes the HOME key's reaction.
    QGroupBox& touchGroup() const { return *touchGroup_; }
    // "Offset 10% when setting": how the calibration runs.
    bool touchOffsetChecked() const;
    // The editor's lock: every group of the panel.
    void setGroupsEnabled(bool enabled);

signals:
    // After an edit that changes what the encoder column and the selected
    // event show (an encoder mode, the touch mode, the head unit, the 5-wire
    // option switched on), in this order.
    void encoderColumnOutdated();
    void selectedEventOutdated();

public:
    // --- window event handlers ---
    void onLongPressTimeLeft();
    void onEncoder1DivisorChanged();
    void onEncoder2DivisorChanged();
    void onEncoder1ModeChanged();
    void onEncoder2ModeChanged();
    void onHeadUnitTypeChanged();
    void onTouchModeChanged();
    void onWindowsTouchToggled();
    void onFiveWireTouchToggled();
    void onTouchWakeUpToggled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void refreshAfter(bool needed);
    // Runs one of the exclusion rules on the image, shows the result and
    // says which other settings it switched off.
    void applyRule(ExclusiveSetting edited, const std::function<bool(ConfigImage&)>& rule);
    // One undo step for the handler it is made in (label: a text marked N_).
    EditStep edit(const char* label);

    EditorShell& window_;
    ConfigImage& image_;
    QGroupBox* keySetupGroup_ = nullptr;
    QGroupBox* encoderGroups_[2] = {};
    QGroupBox* touchGroup_ = nullptr;
    QGroupBox* headGroup_ = nullptr;
    QLineEdit* longTimeout_ = nullptr;
    QComboBox* encoderMode_[2] = {};
    QSpinBox* encoderDivisor_[2] = {};
    QCheckBox* windows_ = nullptr;
    QCheckBox* fiveLines_ = nullptr;
    QCheckBox* touchWakeUp_ = nullptr;
    QComboBox* touchMode_ = nullptr;
    QCheckBox* touchOffset_ = nullptr;
    QComboBox* headType_ = nullptr;
};

} // namespace zmt::ui
