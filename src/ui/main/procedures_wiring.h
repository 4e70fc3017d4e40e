#pragma once
// The guided procedures in the window: the firmware update behind the
// toolbar's SpeedButtonUpdateDevice, button learning behind
// SpeedButtonKeysSetup (with the live level bars), and the touch panel
// calibration behind SpeedButtonTouchSetup beside CheckBoxTouchDXY. The two
// procedure buttons go where the parameters panel leaves room for them.
// They work on the controller wiring's record and transfer.
//
//   ProceduresWiring procedures(mainForm, controllerWiring, parametersPanel);
//   procedures.useSettings(settings);     // the firmware dialog remembering its folder
//   procedures.useEditor(grid, events);   // the buttons grid and the editor's lock
// The functions below can also be set one by one (the tests do).
#include "config/button_learning.h"
#include "config/config_transfer.h"
#include "config/touch_calibration.h"
#include "device/firmware_update.h"

#include <QObject>

#include <functional>
#include <string>

class QAbstractButton;
class QToolButton;
class QWidget;

namespace zmt::ui {

class ControllerWiring;
class LevelBars;
class MainForm;
class EventEditor;
class ParametersPanel;
class KeysGridView;
class SettingsStore;

class ProceduresWiring : public QObject, private LearningView {
    Q_OBJECT
public:
    ProceduresWiring(MainForm& window, ControllerWiring& controller, ParametersPanel& panel);
    ~ProceduresWiring() override;

    // The firmware file dialog; "" when cancelled. Defaults to a plain
    // open dialog for *.LDR files.
    std::function<std::string()> askFirmwareFile;
    // The event editor's lock: false while the firmware update runs, true after.
    std::function<void(bool enabled)> setEditorEnabled;
    // The buttons grid as learning uses it. Unset members do nothing.
    struct Grid {
        std::function<void(int channel, int row, const QString& text)> setCellText;
        std::function<QString(int channel, int row)> cellText;
        std::function<void(int channel)> repaintColumn;
        std::function<void()> clearSelection;
    } grid;

    // askFirmwareFile from the settings' dialog; the chosen file's folder is
    // where the next one opens.
    void useSettings(SettingsStore& settings);
    // grid and setEditorEnabled from the buttons grid and event editor, so
    // learning shows recognised buttons in the grid and reads names typed
    // there while it runs.
    void useEditor(KeysGridView& keysGrid, EventEditor& events);

    void SpeedButtonUpdateDeviceClick();
    void SpeedButtonKeysSetupClick();
    void SpeedButtonTouchSetupClick();

    // The learning's level window, built when first wanted (most runs
    // never learn buttons).
    LevelBars* levelBars();
    FirmwareUpdate& firmware() { return firmware_; }
    TouchCalibration& calibration() { return calibration_; }

private:
    // LearningView
    void setLearningBusy(bool busy) override;
    void learningStarted() override;
    void setKeyCellText(int channel, int row, const std::string& text) override;
    void keyMarksChanged(int channel) override;
    void clearGridSelection() override;
    void showLevels(const LearningLevels& levels) override;

    void buildButtons();
    void busyExcept(bool busy, QWidget* keptEnabled);
    QString recognisedName(int channel, int row) const;

    MainForm& window_;
    ControllerWiring& controller_;
    ParametersPanel& panel_;
    _zelmorvatouch& record_;
    FirmwareUpdate firmware_;
    ButtonLearning learning_;
    TouchCalibration calibration_;
    LevelBars* levelBars_ = nullptr;   // owned by the window, as its other tool windows
    QToolButton* keysButton_ = nullptr;    // SpeedButtonKeysSetup, owned by the panel
    QToolButton* touchButton_ = nullptr;   // SpeedButtonTouchSetup
};

} // namespace zmt::ui
