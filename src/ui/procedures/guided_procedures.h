#pragma once
// The guided procedures in the window: the firmware update behind the
// toolbar's update button, button learning behind the learning button (with
// the live level bars), and the touch panel calibration behind the
// calibration button beside its "offset" option. The two procedure buttons
// go where the parameters panel leaves room for them.
// They work on the controller's record and transfer; the firmware file is
// asked through the settings' dialog, which remembers its folder; learning
// shows recognised buttons in the buttons grid and reads names typed there
// while it runs; the event editor is locked during an update. The window is
// reached through ProcedureShell only, the Parameters page through
// ProcedurePage.
//
//   GuidedProcedures procedures(window, {link, watch, transfer, record, simulatorWindow},
//                               parametersPage, settings);
#include "config/config_transfer.h"
#include "config/edit_history.h"
#include "device/firmware_update.h"
#include "ui/procedures/button_learning.h"
#include "ui/procedures/touch_calibration.h"
#include "ui/widgets/procedure_host.h"

#include <QObject>
#include <QTimer>

#include <optional>
#include <string>

class QAbstractButton;
class QToolButton;
class QWidget;

namespace zmt::ui {

class LevelBars;

// Asks for a firmware file and remembers its folder; "" when cancelled.
class FirmwareFileChooser {
public:
    virtual std::string chooseFirmwareFile() = 0;

protected:
    ~FirmwareFileChooser() = default;
};

class GuidedProcedures : public QObject, private LearningView {
    Q_OBJECT
public:
    // The controller side the procedures drive; all outlive them.
    struct Controller {
        DeviceLink& link;
        ConnectionWatch& watch;
        ConfigTransfer& transfer;
        ConfigRecord& record;
        // The Simulator window, which the level bars stand beside; null
        // when the controller is a real one.
        const QWidget* simulatorWindow;
    };
    // The page, like the controller side, outlives the procedures.
    GuidedProcedures(ProcedureShell& window, Controller controller, ProcedurePage& page, FirmwareFileChooser& files);
    ~GuidedProcedures() override;

    void onUpdateFirmware();
    void onLearnButtons();
    void onCalibrateTouch();
    // The procedures' timer: one reading of the learning or calibration
    // run while one is active.
    void onProcedureTurn();
    // The program is ending: a run in progress stops (learning writes nothing).
    void onShuttingDown();

    // The learning's level window, built when first wanted (most runs
    // never learn buttons).
    LevelBars* levelBars();
    FirmwareUpdate& firmware() { return firmware_; }
    TouchCalibration& calibration() { return calibration_; }
    ButtonLearning& learning() { return learning_; }

private:
    // LearningView
    void setLearningBusy(bool busy) override;
    void learningStarted() override;
    void setKeyCellText(int channel, int row, const std::string& text) override;
    void markRecognised(int channel, int row) override;
    void clearGridSelection() override;
    void showLevels(const LearningLevels& levels) override;

    void buildButtons();
    void busyExcept(bool busy, QWidget* keptEnabled);
    QString recognisedName(int channel, int row) const;

    ProcedureShell& window_;
    const QWidget* simulatorWindow_;
    ProcedurePage& page_;
    FirmwareFileChooser& files_;
    Host& host_;
    const ConnectionWatch& watch_;
    ConfigRecord& record_;
    ConfigTransfer& transfer_;
    FirmwareUpdate firmware_;
    ButtonLearning learning_;
    // The learning and calibration runs' turns, from the question to the
    // end of the run (one reading per turn while the run reads). A child, so
    // the window tests find it among the program's timers.
    QTimer procedureTurns_{this};
    std::optional<EditStep> learningStep_;
    TouchCalibration calibration_;
    LevelBars* levelBars_ = nullptr;   // owned by the window, as its other tool windows
    QToolButton* keysButton_ = nullptr;    // learning's button, owned by the panel
    QToolButton* touchButton_ = nullptr;   // calibration's button
};

} // namespace zmt::ui
