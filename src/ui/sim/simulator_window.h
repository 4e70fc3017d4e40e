#pragma once
// The "Simulator" window of `zmtsetup --simulator`: the hands on the simulated
// controller. It plugs and unplugs it, changes its identity, holds steering-
// wheel buttons, receives infrared codes, queues the controller's own log
// records, steps the touch calibration, injects faults, and shows what the
// controller just received. It knows only the simulator it is given; the
// program talks to that controller through the ordinary HID path.
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QStatusBar;
class QTimer;

namespace zmt::sim { class Simulator; class SimulatedController; }

namespace zmt::ui {

class SimulatorWindow : public QWidget {
    Q_OBJECT
public:
    // How often the window reads the controller back (calibration steps,
    // queue length, the traffic line).
    static constexpr int kRefreshMs = 100;

    // The window of one simulated unit (the first one unless told).
    explicit SimulatorWindow(sim::Simulator& simulator, std::size_t unit = 0, QWidget* parent = nullptr);

    // Every text again in the current language.
    void retranslate();
    // Shows the controller's present state in the controls (and follows a
    // language switch made in the main window).
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Retranslates and lays out again when the program's language changed.
    void followLanguage();
    QGroupBox* buildConnection();
    QGroupBox* buildLevels();
    QGroupBox* buildInfrared();
    QGroupBox* buildDeviceLog();
    QGroupBox* buildCalibration();
    QGroupBox* buildFaults();
    void connectControls();

    void applySerial();
    void setLevel(std::size_t channel, int level);
    void releaseButtons();
    void pressButton();
    void receiveIrCode();
    void queueLogRecord();
    void applyRefusal(int index);
    void armUnplug();
    void clearFaults();
    void report(const QString& message);
    uint32_t now() const;
    QString calibrationText() const;
    QString trafficText() const;
    QString summaryText() const;

    sim::Simulator& simulator_;
    sim::SimulatedController& controller_;
    std::size_t unit_;
    QTimer* refreshTimer_ = nullptr;

    QGroupBox* connectionBox_ = nullptr;
    QCheckBox* pluggedCheck_ = nullptr;
    QCheckBox* bootModeCheck_ = nullptr;
    QCheckBox* openDeniedCheck_ = nullptr;
    QLabel* serialLabel_ = nullptr;
    QLineEdit* serialEdit_ = nullptr;
    QPushButton* serialButton_ = nullptr;

    QGroupBox* levelsBox_ = nullptr;
    std::array<QLabel*, 4> levelLabels_{};
    std::array<QSlider*, 4> levelSliders_{};
    std::array<QLabel*, 4> levelValues_{};
    QPushButton* releaseButton_ = nullptr;
    QComboBox* pressChannel_ = nullptr;
    QSpinBox* pressLevel_ = nullptr;
    QPushButton* pressButton_ = nullptr;

    QGroupBox* infraredBox_ = nullptr;
    QLabel* irProtocolLabel_ = nullptr;
    QLabel* irAddressLabel_ = nullptr;
    QLabel* irCommandLabel_ = nullptr;
    QSpinBox* irProtocol_ = nullptr;
    QSpinBox* irAddress_ = nullptr;
    QSpinBox* irCommand_ = nullptr;
    QPushButton* irReceiveButton_ = nullptr;
    QLabel* irCurrent_ = nullptr;

    QGroupBox* logBox_ = nullptr;
    QLabel* logTypeLabel_ = nullptr;
    QLabel* logBytesLabel_ = nullptr;
    QSpinBox* logType_ = nullptr;
    QLineEdit* logBytes_ = nullptr;
    QPushButton* logQueueButton_ = nullptr;
    QLabel* logQueued_ = nullptr;

    QGroupBox* calibrationBox_ = nullptr;
    QLabel* calibrationStep_ = nullptr;
    QPushButton* touchPressButton_ = nullptr;
    QPushButton* touchReleaseButton_ = nullptr;
    QCheckBox* releaseBits_ = nullptr;
    QPushButton* touchGiveUpButton_ = nullptr;

    QGroupBox* faultsBox_ = nullptr;
    QLabel* replyDelayLabel_ = nullptr;
    QSpinBox* replyDelay_ = nullptr;
    QCheckBox* noReply_ = nullptr;
    QCheckBox* corruptCheck_ = nullptr;
    QLabel* refusalLabel_ = nullptr;
    QComboBox* refusal_ = nullptr;
    QSpinBox* unplugAfter_ = nullptr;
    QPushButton* unplugAfterButton_ = nullptr;
    QLabel* unplugPending_ = nullptr;
    QPushButton* clearFaultsButton_ = nullptr;

    QLabel* trafficLabel_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QLabel* summary_ = nullptr;
    std::size_t language_ = SIZE_MAX;   // the language the texts are in, as languageIndex()
    std::optional<uint32_t> shownSerial_;
};

} // namespace zmt::ui
