#include "setup/quick_setup.h"

#include "config/button_names.h"
#include "lang/lang.h"
#include "setup/button_assignment.h"

#include <cstddef>
#include <cstring>
#include <functional>

namespace zmt::setup {

namespace {

// A button given functions in this run.
struct Assignment {
    ButtonPlace button;
    FunctionChoice shortChoice;
    int shortEvent = -1;                     // -1: none (switched off)
    std::optional<FunctionChoice> longChoice;
    ConfigImage beforeLong{};                // the work before its long press was added
};

// Where the run stood before a step was taken; back() returns to it.
struct Checkpoint {
    QuickStep step = QuickStep::Waiting;   // Waiting, or Summary for a long press added there
    ConfigImage work;
    std::vector<Assignment> assignments;
    int stepIndex = 0;
    std::optional<FunctionChoice> chosen;
    bool learnedNew = false;
};

// A press that found the button already in use, waiting for its answer.
struct PendingConflict {
    ButtonPlace button;
    PressLength length = PressLength::Short;
    FunctionChoice choice;
    std::vector<int> events;
};

} // namespace

struct QuickSetup::Run {
    Run(DeviceLink& link, ConfigTransfer& transfer, ConfigRecord& record, ProgramFlags& flags, EditHistory* history,
        QuickSetupView& view)
        : link(link), host(link.host()), transfer(transfer), record(record), flags(flags), history(history), view(view) {}

    DeviceLink& link;
    Host& host;
    ConfigTransfer& transfer;
    ConfigRecord& record;
    ProgramFlags& flags;
    EditHistory* history;
    QuickSetupView& view;

    QuickStep step = QuickStep::Off;
    QuickOutcome outcome = QuickOutcome::None;
    int stepIndex = 0;
    // Counts the steps begun (never taken back): a step's identity, which
    // stepIndex is not, since a chosen function's step shares its index.
    int stepsBegun = 0;
    std::optional<FunctionChoice> chosen;   // this step's function instead of the list's
    ConfigImage base{};                     // the image when the run started
    ConfigImage work{};                     // what apply() makes of it
    std::vector<Assignment> assignments;
    std::vector<Checkpoint> checkpoints;
    bool learnedNew = false;
    std::optional<PendingConflict> conflict;
    std::function<std::string()> remark;    // in the language of the moment it is read

    void say(std::function<std::string()> text) { remark = std::move(text); }
    void sayText(const char* literal) {
        remark = [literal] { return std::string(localized(literal)); };
    }
    void sayNoButton(const PressResult& press) {
        const int channel = press.channel + 1;
        const int level = press.level;
        remark = [channel, level] {
            return formatText(localized("Channel %d has no button at level %d"),
                              channel, level);
        };
    }

    // The controller's learned flag as it was, and whether it was switched off.
    uint8_t heldLearned = 0;
    bool controllerLearning = false;

    IdleMeasurement idle;
    int idleLeft = 0;
    PressDetector detector;
    ChannelLevels current{};
    std::optional<TestResult> lastTest;

    // A stop, cancel or apply asked for while a turn was talking to the
    // controller; the turn carries it out when it is done.
    enum class Deferred { None, Cancel, Abandon, Apply } deferred = Deferred::None;
    bool inTurn = false;
};

QuickSetup::QuickSetup(DeviceLink& link, ConfigTransfer& transfer, ConfigRecord& record, ProgramFlags& flags,
                       EditHistory* history, QuickSetupView& view)
    : run_(std::make_unique<Run>(link, transfer, record, flags, history, view)) {}

QuickSetup::~QuickSetup() {
    // Nothing half-done may outlive the flow.
    if (active()) abandon();
}

bool QuickSetup::running() const {
    return run_->step == QuickStep::Measuring || run_->step == QuickStep::Waiting || run_->step == QuickStep::Testing;
}

bool QuickSetup::active() const { return run_->step != QuickStep::Off && run_->step != QuickStep::Testing; }
QuickStep QuickSetup::step() const { return run_->step; }
QuickOutcome QuickSetup::outcome() const { return run_->outcome; }
int QuickSetup::stepIndex() const { return run_->stepIndex; }
int QuickSetup::stepsBegun() const { return run_->stepsBegun; }
const ConfigImage& QuickSetup::pending() const { return run_->work; }
const std::optional<TestResult>& QuickSetup::lastTest() const { return run_->lastTest; }

FunctionChoice QuickSetup::currentFunction() const {
    if (run_->chosen) return *run_->chosen;
    const auto steps = setupSteps();
    if (run_->stepIndex < 0 || run_->stepIndex >= static_cast<int>(steps.size())) return {};
    return FunctionChoice::of(steps[run_->stepIndex]);
}

bool QuickSetup::start() {
    Run& r = *run_;
    if (r.step != QuickStep::Off) return false;
    r.outcome = QuickOutcome::NotStarted;
    r.lastTest.reset();
    if (!r.flags.imageValid()) {
        r.sayText(N_("Read the controller's configuration first"));
        r.view.changed();
        return false;
    }
    if (r.flags.learningActive()) {
        r.sayText(N_("Button learning is running"));
        r.view.changed();
        return false;
    }
    // The whole set-up is one change of the buttons and events; keep what
    // the controller holds first, or change nothing.
    if (!r.transfer.keepSnapshot(SnapshotCause::QuickSetup)) {
        r.sayText(kSnapshotNotKeptText);
        r.view.changed();
        return false;
    }
    r.flags.setQuickSetupActive(true, {});
    r.heldLearned = r.record.deviceCopy.keysLearned;
    if (r.transfer.reportWriteFailure(startLearningOnController(r.link)) != ResultCode::Ok) {
        // Whether the flag reached the controller is not known; putting the
        // old one back costs nothing.
        r.controllerLearning = true;
        restoreController();
        r.sayText(N_("The controller did not take the start of the set-up; nothing was changed"));
        r.view.changed();
        return false;
    }
    r.controllerLearning = true;
    r.record.deviceCopy.keysLearned = 0;   // what it holds now
    r.base = r.record.image;
    r.work = r.record.image;
    r.assignments.clear();
    r.checkpoints.clear();
    r.conflict.reset();
    r.chosen.reset();
    r.learnedNew = false;
    r.stepIndex = 0;
    r.idle = {};
    r.idleLeft = kIdleReadings;
    r.remark = nullptr;
    r.outcome = QuickOutcome::None;
    r.deferred = Run::Deferred::None;
    setStep(QuickStep::Measuring);
    return true;
}

void QuickSetup::setStep(QuickStep step) {
    run_->step = step;
    run_->view.changed();
}

void QuickSetup::onTurn() {
    Run& r = *run_;
    if (!running() || r.inTurn) return;
    r.inTurn = true;
    const bool read = readChannelLevels(r.link, r.current) == ResultCode::Ok;
    r.inTurn = false;
    if (r.deferred != Run::Deferred::None) {
        const Run::Deferred deferred = r.deferred;
        r.deferred = Run::Deferred::None;
        if (deferred == Run::Deferred::Apply) apply();
        else if (r.step == QuickStep::Testing) setStep(QuickStep::Off);
        else end(QuickOutcome::Cancelled, deferred == Run::Deferred::Cancel);
        return;
    }
    if (!read) {
        lostController();
        return;
    }
    if (r.step == QuickStep::Measuring) {
        r.idle.add(r.current);
        if (--r.idleLeft == 0) {
            r.detector.reset(r.idle.thresholds());
            r.view.showLevels(r.current, r.detector.thresholds());
            setStep(QuickStep::Waiting);
            return;
        }
        r.view.showLevels(r.current, ChannelLevels{});
        return;
    }
    const std::optional<PressResult> press = r.detector.onReading(r.current);
    r.view.showLevels(r.current, r.detector.thresholds());
    if (!press) return;
    if (r.step == QuickStep::Testing) showTest(*press);
    else if (r.step == QuickStep::Waiting) takePress(*press);
}

void QuickSetup::lostController() {
    Run& r = *run_;
    if (r.step == QuickStep::Testing) {
        r.step = QuickStep::Off;
        r.sayText(N_("The controller does not answer"));
        r.view.changed();
        return;
    }
    end(QuickOutcome::Disconnected, true);
    r.sayText(N_("The controller does not answer; nothing was changed. It gets back what it held when it "
                 "returns"));
    r.view.changed();
}

void QuickSetup::takePress(const PressResult& press) {
    Run& r = *run_;
    if (press.kind == PressResult::TwoChannels) {
        r.sayText(kTwoChannelsText);
        r.view.changed();
        return;
    }
    if (press.kind == PressResult::Unsteady) {
        r.sayText(kUnsteadyText);
        r.view.changed();
        return;
    }
    const FunctionChoice choice = currentFunction();
    const int knownRow = findKeySlot(r.work, press.channel, press.level);
    // Switching off is for a button the controller knows; an unknown level
    // sends nothing already, and learning it would only add a button.
    if (knownRow == 0 && choice.function->kind == FunctionKind::Nothing) {
        r.sayNoButton(press);
        r.view.changed();
        return;
    }
    if (const int row = knownRow; row != 0) {
        for (const Assignment& done : r.assignments) {
            if (done.button != ButtonPlace{press.channel, row}) continue;
            const std::string name = editor::buttonName(r.work, press.channel, row);
            const FunctionChoice had = done.shortChoice;
            r.say([name, had] {
                return formatText(localized("Button %s already has %s: press another one"),
                                  name.c_str(), choiceText(had).c_str());
            });
            r.view.changed();
            return;
        }
    }
    pushCheckpoint();
    const PlacedButton placed = placeButton(r.work, press.channel, press.level, choice.function->shortName);
    if (placed.kind == PlacedButton::ChannelFull) {
        popCheckpoint();
        const int channel = press.channel + 1;
        r.say([channel] {
            return formatText(localized(kChannelFullText), channel);
        });
        r.view.changed();
        return;
    }
    if (placed.kind == PlacedButton::Learned) r.learnedNew = true;
    if (choice.function->kind == FunctionKind::Nothing) {
        switchOff(r.work, placed.place);
        r.assignments.push_back({placed.place, choice, -1, std::nullopt, {}});
        assigned(placed.place, choice);
        return;
    }
    const std::vector<int> old = eventsOnPress(r.work, placed.place, PressLength::Short);
    if (!old.empty()) {
        r.conflict = PendingConflict{placed.place, PressLength::Short, choice, old};
        r.remark = nullptr;
        setStep(QuickStep::Conflict);
        return;
    }
    placeShort(placed.place, choice, false);
}

void QuickSetup::placeShort(const ButtonPlace& button, const FunctionChoice& choice, bool keepOld) {
    Run& r = *run_;
    const int event = assignPress(r.work, button, PressLength::Short, choice, keepOld);
    if (event < 0) {
        popCheckpoint();
        r.sayText(kNoFreeEventText);
        setStep(r.step);
        return;
    }
    r.assignments.push_back({button, choice, event, std::nullopt, {}});
    assigned(button, choice);
}

void QuickSetup::assigned(const ButtonPlace& button, const FunctionChoice& choice) {
    Run& r = *run_;
    const std::string name = editor::buttonName(r.work, button.channel, button.row);
    r.say([name, choice] {
        return formatText(localized("%s: %s"), name.c_str(), choiceText(choice).c_str());
    });
    advance();
}

void QuickSetup::advance() {
    Run& r = *run_;
    r.conflict.reset();
    r.detector.reset(r.detector.thresholds());
    // A step for a function of the user's own choosing comes in between:
    // the list goes on where it was.
    if (r.chosen) r.chosen.reset();
    else ++r.stepIndex;
    ++r.stepsBegun;
    setStep(r.stepIndex >= static_cast<int>(setupSteps().size()) ? QuickStep::Summary : QuickStep::Waiting);
}

void QuickSetup::pushCheckpoint() {
    Run& r = *run_;
    r.checkpoints.push_back({r.step, r.work, r.assignments, r.stepIndex, r.chosen, r.learnedNew});
}

bool QuickSetup::popCheckpoint() {
    Run& r = *run_;
    if (r.checkpoints.empty()) return false;
    Checkpoint& last = r.checkpoints.back();
    r.step = last.step;   // told to the view by the caller
    r.work = last.work;
    r.assignments = std::move(last.assignments);
    r.stepIndex = last.stepIndex;
    r.chosen = last.chosen;
    r.learnedNew = last.learnedNew;
    r.checkpoints.pop_back();
    r.conflict.reset();
    r.detector.reset(r.detector.thresholds());
    return true;
}

void QuickSetup::skip() {
    Run& r = *run_;
    if (r.step != QuickStep::Waiting) return;
    pushCheckpoint();
    r.remark = nullptr;
    advance();
}

void QuickSetup::back() {
    Run& r = *run_;
    if (r.step != QuickStep::Waiting && r.step != QuickStep::Conflict && r.step != QuickStep::Summary) return;
    // In a conflict the press (or long press) is taken back and the same
    // step asked again; elsewhere the step before this one.
    if (!popCheckpoint()) return;
    r.remark = nullptr;
    ++r.stepsBegun;
    setStep(r.step);
}

bool QuickSetup::canGoBack() const {
    const Run& r = *run_;
    return (r.step == QuickStep::Waiting || r.step == QuickStep::Conflict || r.step == QuickStep::Summary) &&
           !r.checkpoints.empty();
}

void QuickSetup::finish() {
    Run& r = *run_;
    if (r.step != QuickStep::Waiting) return;
    pushCheckpoint();
    r.remark = nullptr;
    setStep(QuickStep::Summary);
}

bool QuickSetup::chooseFunction(const FunctionChoice& choice) {
    Run& r = *run_;
    if (r.step != QuickStep::Waiting || !choice.valid()) return false;
    r.chosen = choice;
    r.remark = nullptr;
    r.detector.reset(r.detector.thresholds());
    r.view.changed();
    return true;
}

bool QuickSetup::addLongPress(const FunctionChoice& choice) {
    Run& r = *run_;
    if ((r.step != QuickStep::Waiting && r.step != QuickStep::Summary) || !choice.valid() ||
        choice.function->kind == FunctionKind::Nothing || r.assignments.empty() ||
        r.assignments.back().shortEvent < 0)
        return false;
    pushCheckpoint();
    Assignment& last = r.assignments.back();
    // A second long press for the same button replaces the first.
    if (last.longChoice) r.work = last.beforeLong;
    else last.beforeLong = r.work;
    std::vector<int> old = eventsOnPress(r.work, last.button, PressLength::Long);
    std::erase(old, last.shortEvent);
    if (!old.empty()) {
        r.conflict = PendingConflict{last.button, PressLength::Long, choice, old};
        r.remark = nullptr;
        r.step = QuickStep::Conflict;
        r.view.changed();
        return true;
    }
    placeLong(choice, false);
    return true;
}

void QuickSetup::placeLong(const FunctionChoice& choice, bool keepOld) {
    Run& r = *run_;
    // Where addLongPress was called from: the run goes on there.
    const QuickStep resume = r.checkpoints.back().step;
    Assignment& last = r.assignments.back();
    if (assignPress(r.work, last.button, PressLength::Long, choice, keepOld) < 0) {
        popCheckpoint();
        r.sayText(kNoFreeEventText);
        setStep(r.step);
        return;
    }
    // Its own short press stops answering the long one.
    keepShortOnly(r.work, last.shortEvent);
    last.longChoice = choice;
    r.conflict.reset();
    const std::string name = editor::buttonName(r.work, last.button.channel, last.button.row);
    r.say([name, choice] {
        return formatText(localized("%s, long press: %s"), name.c_str(),
                          choiceText(choice).c_str());
    });
    setStep(resume);
}

void QuickSetup::answerConflict(ConflictAnswer answer) {
    Run& r = *run_;
    if (r.step != QuickStep::Conflict || !r.conflict) return;
    const PendingConflict conflict = *r.conflict;
    if (answer == ConflictAnswer::Skip) {
        // The press is taken back; the function is left out.
        popCheckpoint();
        r.sayText(N_("Skipped"));
        if (conflict.length == PressLength::Short) {
            pushCheckpoint();
            advance();
        } else {
            setStep(r.step);
        }
        return;
    }
    const bool keepOld = answer == ConflictAnswer::KeepBoth;
    if (conflict.length == PressLength::Short) placeShort(conflict.button, conflict.choice, keepOld);
    else placeLong(conflict.choice, keepOld);
}

std::vector<std::string> QuickSetup::conflictLines() const {
    const Run& r = *run_;
    if (!r.conflict) return {};
    return describeEvents(r.work, r.conflict->events);
}

std::vector<SummaryRow> QuickSetup::summary() const {
    const Run& r = *run_;
    std::vector<SummaryRow> rows;
    for (const Assignment& a : r.assignments) {
        SummaryRow row;
        row.channel = a.button.channel;
        row.row = a.button.row;
        row.button = editor::buttonName(r.work, a.button.channel, a.button.row);
        row.shortPress = choiceText(a.shortChoice);
        if (a.longChoice) row.longPress = choiceText(*a.longChoice);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string QuickSetup::prompt() const {
    const Run& r = *run_;
    switch (r.step) {
    case QuickStep::Off:
        if (r.outcome == QuickOutcome::Applied) return localized("The set-up was applied");
        if (r.outcome == QuickOutcome::Cancelled)
            return localized("The set-up was cancelled: the controller holds what it held");
        return {};
    case QuickStep::Measuring:
        return localized("Do not press anything");
    case QuickStep::Waiting: {
        const FunctionChoice choice = currentFunction();
        if (choice.function != nullptr && choice.function->kind == FunctionKind::Nothing)
            return localized("Press and release the button to switch off");
        return formatText(localized("Press and release the button for %s"),
                          choiceText(choice).c_str());
    }
    case QuickStep::Conflict: {
        if (!r.conflict) return {};
        const std::string name = editor::buttonName(r.work, r.conflict->button.channel, r.conflict->button.row);
        return formatText(localized("Button %s already does something. Replace, keep both, or skip?"),
                          name.c_str());
    }
    case QuickStep::Summary:
        return localized("Check the set-up, then apply it");
    case QuickStep::Testing:
        return localized("Press any button");
    }
    return {};
}

std::string QuickSetup::remark() const { return run_->remark ? run_->remark() : std::string(); }

bool QuickSetup::apply() {
    Run& r = *run_;
    if (r.step != QuickStep::Summary) return false;
    if (r.inTurn) {
        r.deferred = Run::Deferred::Apply;
        return true;
    }
    if (r.learnedNew) settleChannels(r.work, r.idle.maximum);
    // Only what the run changed goes into the image: an edit made beside
    // the flow (another part of the window) is kept.
    if (r.history != nullptr) r.history->begin(r.record.image, editLabel(N_("Quick set-up")));
    for (std::size_t i = 0; i < kSetupImageBytes; ++i)
        if (r.work.bytes()[i] != r.base.bytes()[i]) r.record.image.bytes()[i] = r.work.bytes()[i];
    if (r.history != nullptr) r.history->commit(r.record.image);
    r.controllerLearning = false;
    r.flags.setQuickSetupActive(false, {});
    r.outcome = QuickOutcome::Applied;
    r.step = QuickStep::Off;
    // The button table goes out at once, as learning's does (its learned
    // flag with it); the events follow with the ordinary synchronisation.
    // What does not arrive stays pending and is sent again.
    const bool sent = r.transfer.sendLearnedButtons() == ResultCode::Ok;
    r.remark = nullptr;
    if (!sent)
        r.sayText(ConfigTransfer::kButtonsNotSentText);
    r.view.changed();
    return sent;
}

void QuickSetup::cancel() {
    Run& r = *run_;
    if (!active()) {
        stopTest();
        return;
    }
    if (r.inTurn) {
        r.deferred = Run::Deferred::Cancel;
        return;
    }
    end(QuickOutcome::Cancelled, true);
}

void QuickSetup::abandon() {
    Run& r = *run_;
    if (r.step == QuickStep::Testing) {
        r.step = QuickStep::Off;
        return;
    }
    if (!active()) return;
    if (r.inTurn) {
        r.deferred = Run::Deferred::Abandon;
        return;
    }
    end(QuickOutcome::Cancelled, false);
}

void QuickSetup::end(QuickOutcome outcome, bool tell) {
    Run& r = *run_;
    restoreController();
    r.flags.setQuickSetupActive(false, {});
    r.conflict.reset();
    r.checkpoints.clear();
    r.assignments.clear();
    r.work = r.record.image;
    r.outcome = outcome;
    r.step = QuickStep::Off;
    r.remark = nullptr;
    if (tell) r.view.changed();
}

void QuickSetup::restoreController() {
    Run& r = *run_;
    if (!r.controllerLearning) return;
    r.controllerLearning = false;
    putBackLearnedFlag(r.link, r.record, r.heldLearned);
}

bool QuickSetup::startTest() {
    Run& r = *run_;
    if (r.step != QuickStep::Off || r.flags.learningActive()) return false;
    r.lastTest.reset();
    r.remark = nullptr;
    // Presses count as the controller counts them: above the thresholds the
    // image holds. A channel without buttons (255) never registers one.
    ChannelLevels thresholds{};
    for (int c = 0; c < kChannels; ++c) thresholds[c] = r.record.image.channelThreshold[c];
    r.detector.reset(thresholds);
    setStep(QuickStep::Testing);
    return true;
}

void QuickSetup::stopTest() {
    Run& r = *run_;
    if (r.step != QuickStep::Testing) return;
    if (r.inTurn) {
        r.deferred = Run::Deferred::Abandon;
        return;
    }
    setStep(QuickStep::Off);
}

void QuickSetup::showTest(const PressResult& press) {
    Run& r = *run_;
    if (press.kind != PressResult::Pressed) {
        r.lastTest.reset();
        r.sayText(press.kind == PressResult::TwoChannels ? kTwoChannelsText : kUnsteadyText);
        r.view.changed();
        return;
    }
    const ConfigImage& image = r.record.image;
    TestResult result;
    result.channel = press.channel;
    result.level = press.level;
    result.row = findKeySlot(image, press.channel, press.level);
    result.known = result.row != 0;
    if (result.known) {
        const ButtonPlace button{press.channel, result.row};
        result.button = editor::buttonName(image, button.channel, button.row);
        result.shortPress = pressText(image, button, PressLength::Short);
        result.longPress = pressText(image, button, PressLength::Long);
        r.remark = nullptr;
    } else {
        r.sayNoButton(press);
    }
    r.lastTest = result;
    r.view.changed();
}

} // namespace zmt::setup
