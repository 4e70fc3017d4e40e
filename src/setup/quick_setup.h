#pragma once
// The quick set-up: press a steering-wheel button, it gets a function. A
// state machine over the link and the configuration, driven like button
// learning: the shell calls onTurn() every kQuickTurnMs while running(),
// and the calls below from its buttons (or, in zmtctl, from the terminal).
//
//   start()  keeps a snapshot, stops the controller from firing its old
//            assignments (its learned flag, as learning does) and measures
//            the idle levels ("Do not press anything");
//   then one step per function of setupSteps(): the button pressed and
//            released is recognised (or learned, taking the next free slot
//            and the function's short name) and gets the function;
//   summary  after the last step or finish(); apply() makes all of it one
//            undoable edit, writes the button table and lets the ordinary
//            synchronisation send the events.
//
// Cancelling, abandoning (the window closes) or losing the controller at
// any point puts back exactly what the controller held; the image is left
// untouched until apply(). The flow works on a copy meanwhile.
//
// The shell learns of every change through QuickSetupView::changed() and
// then reads step(), prompt(), remark(), summary() and so on.
#include "config/config_image.h"
#include "config/config_transfer.h"
#include "config/edit_history.h"
#include "device/device_link.h"
#include "device/flags.h"
#include "setup/function_catalogue.h"
#include "setup/press_detection.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zmt::setup {

inline constexpr uint32_t kQuickTurnMs = 100;

struct ButtonPlace;   // setup/button_assignment.h

enum class QuickStep {
    Off,        // not running: before start, after apply, cancel or a stop
    Measuring,  // idle levels: nothing may be pressed
    Waiting,    // waiting for the button of currentFunction()
    Conflict,   // the button already triggers events: answerConflict()
    Summary,    // every step passed or finish(): apply(), back() or cancel()
    Testing,    // test mode: each press is reported in lastTest()
};

// How the last run ended (while Off).
enum class QuickOutcome {
    None,           // nothing ran yet, or a run is under way
    Applied,
    Cancelled,      // cancel() or abandon(): the controller has what it held
    Disconnected,   // the controller went away; what it held goes back when it returns
    NotStarted,     // no configuration read, no controller, or the snapshot could not be kept
};

enum class ConflictAnswer {
    Replace,    // the button's old events of that press are cleared
    KeepBoth,   // the new event is added beside them
    Skip,       // this function (or long press) is left out
};

// One line of the summary: a button set up in this run.
struct SummaryRow {
    int channel = 0;           // 0..3
    int row = 0;               // grid row 1..15
    std::string button;        // the name it goes by
    std::string shortPress;    // empty: none set in this run
    std::string longPress;
};

// What the test mode found for the last press.
struct TestResult {
    bool known = false;        // a learned button; otherwise only channel and level
    int channel = 0;
    int row = 0;
    uint8_t level = 0;
    std::string button;
    std::string shortPress;    // what its events send, "" when nothing
    std::string longPress;
};

class QuickSetupView {
public:
    virtual ~QuickSetupView() = default;
    // The step, its prompt, the remark, the summary or the test result
    // changed: show them anew.
    virtual void changed() = 0;
    // After every reading, for live level bars; the default shows nothing.
    virtual void showLevels(const ChannelLevels& /*current*/, const ChannelLevels& /*thresholds*/) {}
};

class QuickSetup {
public:
    // history may be null (zmtctl keeps none).
    QuickSetup(DeviceLink& link, ConfigTransfer& transfer, ConfigRecord& record, ProgramFlags& flags,
               EditHistory* history, QuickSetupView& view);
    ~QuickSetup();
    QuickSetup(const QuickSetup&) = delete;
    QuickSetup& operator=(const QuickSetup&) = delete;

    // Starts a run; false (and Off with outcome NotStarted, the reason in
    // remark()) when it cannot: no configuration read, no controller, the
    // snapshot could not be kept (its error box was shown), or the
    // controller did not take the learned flag.
    bool start();
    // One reading of the levels; does nothing unless running().
    void onTurn();
    // Taking readings: call onTurn() every kQuickTurnMs meanwhile.
    bool running() const;
    // From start() to apply(), cancel() or a stop (test mode not included).
    bool active() const;

    // Waiting: leave this function out and go to the next.
    void skip();
    // Waiting, Conflict or Summary: undo the previous step and ask for it again.
    void back();
    // back() has something to take back (a step, a skip, a long press, the
    // press of a conflict); false at the first step.
    bool canGoBack() const;
    // Waiting: no more functions; to the summary.
    void finish();
    void answerConflict(ConflictAnswer answer);
    // Waiting: this step is for another function than the list's current
    // one ("another key…" with its picked reaction, or "nothing"); the list
    // goes on where it was afterwards. False for an invalid choice.
    bool chooseFunction(const FunctionChoice& choice);
    // Gives the button set up by the last step a long-press function as
    // well (its short press keeps its own). False when no button was set
    // up yet, or the choice is invalid or "nothing". May lead to Conflict.
    bool addLongPress(const FunctionChoice& choice);
    // Summary: makes the run one undoable edit and sends the button table.
    // False when the controller did not take it; the image holds the
    // result anyway and the synchronisation sends it later.
    bool apply();
    // Anywhere: puts back what the controller held; the image is untouched.
    void cancel();
    // The window is closing: the same as cancel, without telling the view.
    void abandon();

    // Test mode (not during a run): each press shows its button and what
    // its short and long presses do, by the image's own thresholds.
    bool startTest();
    void stopTest();
    const std::optional<TestResult>& lastTest() const;

    QuickStep step() const;
    QuickOutcome outcome() const;
    // The function the current step assigns.
    FunctionChoice currentFunction() const;
    // Index of the current step among setupSteps() (setupSteps().size() at the summary).
    int stepIndex() const;
    // Grows by one each time a step begins (the next one, or one asked
    // again by Back): what a choice made for "this step" is tied to.
    int stepsBegun() const;
    // What to do now, in the current language ("Press and release the
    // button for Volume up").
    std::string prompt() const;
    // What the last press or answer led to, or why the run stopped ("Two
    // buttons at once: press again"); empty when there is nothing to say.
    std::string remark() const;
    // Conflict: what the button does now, one line per event.
    std::vector<std::string> conflictLines() const;
    std::vector<SummaryRow> summary() const;
    // The image as it would be applied (for a preview in the grid).
    const ConfigImage& pending() const;

private:
    // Everything a run keeps lives behind this, so the shells do not
    // rebuild when it changes.
    struct Run;
    std::unique_ptr<Run> run_;

    void setStep(QuickStep step);
    void lostController();
    void takePress(const PressResult& press);
    void placeShort(const ButtonPlace& button, const FunctionChoice& choice, bool keepOld);
    void placeLong(const FunctionChoice& choice, bool keepOld);
    void assigned(const ButtonPlace& button, const FunctionChoice& choice);
    void advance();
    void pushCheckpoint();
    bool popCheckpoint();
    void end(QuickOutcome outcome, bool tell);
    void restoreController();
    void showTest(const PressResult& press);
};

} // namespace zmt::setup
