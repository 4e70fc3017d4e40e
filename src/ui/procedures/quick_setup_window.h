#pragma once
// The quick set-up's window: press a steering-wheel button, it gets a
// function. It shows the flow of setup/quick_setup.h step by step: the idle
// measurement, then function by function the prompt with Skip, Back and
// Finish, the function of the step (another one, any key from a picker of
// its own, or "nothing" for a faulty button), a long press for the button
// just set up (at a step and at the summary), the question about a
// button that already does something (inside the window, not a box), the
// levels of the four channels, the summary with Apply, and then the button
// test, which the toolbar's menu also opens on its own.
//
// One small window over the main one: the main window takes no input while
// it is open, and the editors are locked while a run holds the controller,
// so nothing can change the image under the run's feet. Cancel, Escape,
// the close box and the end of the program put back what the controller
// held; the toolbar says so, and so does the window when the cable is
// pulled. It is driven by its own timer: one reading every 100 ms while the
// flow reads, and while it waits for an answer a look at the connection.
#include "config/config_transfer.h"
#include "device/device_link.h"
#include "setup/quick_setup.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>
#include <utility>

class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableWidget;

namespace zmt::ui {

class LevelBars;
class ProcedurePage;
class ProcedureShell;
class ReactionChooser;

class QuickSetupWindow : public QDialog, private setup::QuickSetupView {
    Q_OBJECT
public:
    // The controller side it works on; all outlive the window.
    struct Controller {
        DeviceLink& link;
        ConfigTransfer& transfer;
        ConfigRecord& record;
    };
    QuickSetupWindow(ProcedureShell& shell, Controller controller, ProcedurePage& page, ReactionChooser& chooser);
    ~QuickSetupWindow() override;

    // Opens the window on a new run (false, with the reason said, when the
    // run cannot start), or on the button test.
    bool startQuickSetup();
    bool startButtonTest();
    // The program is ending: a run in progress is undone without a word.
    void abandon();
    void retranslate();

    setup::QuickSetup& flow() { return *flow_; }
    // The pages the window shows, in the order of the flow.
    enum class Page { Run, Conflict, Summary, Test, Ended };
    Page page() const;

    // Cancel (Escape, the close box): a run is undone, the window closes.
    void reject() override;

private:
    // QuickSetupView
    void changed() override;
    void showLevels(const setup::ChannelLevels& current, const setup::ChannelLevels& thresholds) override;

    void build();
    void refresh();
    // Shows the window and begins (a run or the test) in it.
    bool openOn(const std::function<bool()>& begin);
    void fitPage();
    void fillFunctions();
    void fillSummary();
    void showTest();
    // The main window's editors wait while a run holds the controller.
    void holdMainWindow(bool held);
    void onTurn();
    void onFunctionChosen(int index);
    // "Another key…": the picker on the step's own reaction.
    void pickAnotherKey();
    void onReactionPicked(const setup::FunctionChoice& choice);
    void stopPicking();
    void onAddLongPress();
    void onApply();
    // Says in the main window's toolbar how the run ended.
    void reportOutcome();

    ProcedureShell& shell_;
    ProcedurePage& page_;
    Host& host_;
    ConfigRecord& record_;
    ReactionChooser& chooser_;
    std::unique_ptr<setup::QuickSetup> flow_;
    QTimer turns_{this};
    bool holding_ = false;
    bool refreshing_ = false;
    // The run ended because the controller went away while the window
    // waited for an answer.
    bool lostController_ = false;
    // The button (channel, row) the long-press list was last set for.
    std::pair<int, int> longFor_{-1, 0};
    // The step the picker is open for (the flow's stepsBegun; -1: none) and
    // the function the step had before, which an emptied reaction goes back to.
    int pickingStep_ = -1;
    setup::FunctionChoice beforePicking_;

    QLabel* prompt_ = nullptr;
    QLabel* remark_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    LevelBars* bars_ = nullptr;
    QWidget* choices_ = nullptr;
    QLabel* functionLabel_ = nullptr;
    QComboBox* function_ = nullptr;
    QLabel* longLabel_ = nullptr;
    QComboBox* longPress_ = nullptr;
    QPushButton* addLong_ = nullptr;
    QLabel* conflict_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* keepBoth_ = nullptr;
    QPushButton* skipConflict_ = nullptr;
    QTableWidget* summary_ = nullptr;
    QLabel* testButton_ = nullptr;
    QLabel* testShort_ = nullptr;
    QLabel* testLong_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* skip_ = nullptr;
    QPushButton* finish_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace zmt::ui
