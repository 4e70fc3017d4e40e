#include "ui/procedures/button_learning.h"

#include "config/key_names.h"
#include "lang/lang.h"

#include <cstddef>

namespace zmt {

namespace {
constexpr unsigned kDoneNoticeMs = 3000;
constexpr std::size_t kKeysOffset = offsetof(ConfigImage, keys);
constexpr std::size_t kKeysSize = sizeof(ConfigImage::keys);
static_assert(kKeysOffset + kKeysSize == kLearningWriteTotal);

} // namespace

void ButtonLearning::onLearnButtons() {
    switch (state_) {
    case State::Off:
        // The quick set-up learns buttons itself; one run at a time.
        if (flags_.quickSetupActive()) return;
        break;
    case State::Reading:
        if (inTurn_) stopRequested_ = true;
        else end(true);
        return;
    case State::Starting:
        stopRequested_ = true;
        return;
    case State::Ending:
        return;   // already writing its result
    }
    state_ = State::Starting;
    stopRequested_ = false;
    view_.setLearningBusy(true);
    flags_.setLearningActive(true, FlagKey<ButtonLearning>{});
    if (!start()) {
        // Answered No, or the controller did not take the first writes:
        // nothing was learned and nothing is written.
        stopRunning();
        return;
    }
    state_ = State::Reading;
    view_.learningStarted();
    if (flags_.appClosing()) end(false);
    else if (stopRequested_) end(true);
    else {
        host_.notice(0, kNoticeBlinkMs, localized("Do not press anything"));
        countdown_ = kIdlePolls;
        levels_.phase = LearningIdle;
    }
}

void ButtonLearning::onTurn() {
    if (state_ != State::Reading) return;
    inTurn_ = true;
    takeReading();
    inTurn_ = false;
    // A click, or the close, that came while the controller was being read
    // ends the run now.
    if (flags_.appClosing()) end(false);
    else if (stopRequested_) end(true);
}

void ButtonLearning::abandon() {
    // Inside a turn or the start, the step in progress sees appClosing when
    // it is done.
    if (state_ == State::Reading && !inTurn_) end(false);
}

bool ButtonLearning::readLevels() { return setup::readChannelLevels(link_, levels_.current) == ResultCode::Ok; }

void ButtonLearning::markRecognised(int channel, int row) {
    if (levels_.recognisedRow[channel] == row) return;
    levels_.recognisedRow[channel] = row;
    view_.markRecognised(channel, row);
}

void ButtonLearning::handlePress(int channel, uint8_t level) {
    int row = findKeySlot(record_.image, channel, level);
    if (row == 0) row = findFreeSlot(record_.image, channel);
    if (row == 0) return;   // fifteen buttons already: nothing more fits
    KeyRecord& key = *record_.image.keyAt(channel, row);
    key.level = level;      // a matched button follows its newest reading
    const std::string name = key.nameText();
    if (name.empty() || editor::isAutoLabel(name)) view_.setKeyCellText(channel, row, editor::autoLabel(channel, level));
    markRecognised(channel, row);
}

bool ButtonLearning::start() {
    if (host_.messageBox({MessageKind::Question, DefaultAnswer::No},
                         localized("You really want to launch setup of keys?")) != Answer::Yes)
        return false;
    // Its results replace the buttons as a whole; keep what is there now.
    if (!transfer_.keepSnapshot(SnapshotCause::LearningWritten)) return false;
    levels_ = LearningLevels{};
    idle_ = {};
    // The controller forgets its buttons while we learn, so it sends nothing
    // for presses the user makes now. Our own image keeps them until the end.
    heldLearned_ = record_.deviceCopy.keysLearned;
    if (transfer_.reportWriteFailure(setup::startLearningOnController(link_)) != ResultCode::Ok) return false;
    record_.deviceCopy.keysLearned = 0;   // what it holds now
    return true;
}

void ButtonLearning::takeReading() {
    bool stop = false;
    if (levels_.phase == LearningIdle) {
        if (--countdown_ == 0) {
            host_.notice(0, kNoticeBlinkMs, localized("Press each button and give it a name"));
            levels_.pressThreshold = idle_.thresholds();
            countdown_ = kCollectPolls;
            levels_.phase = LearningCollecting;
        } else if (!readLevels()) {
            stop = true;
        } else {
            idle_.add(levels_.current);
            levels_.idleMaximum = idle_.maximum;
            view_.showLevels(levels_);
        }
    } else if (!readLevels()) {
        stop = true;
    } else {
        for (int c = 0; c < kChannels; ++c) {
            if (levels_.pressed(c)) {
                handlePress(c, levels_.current[c]);
                countdown_ = kCollectPolls;
            } else {
                markRecognised(c, 0);
            }
        }
        view_.showLevels(levels_);
        if (--countdown_ == 0) stop = true;
    }
    if (stop) stopRequested_ = true;
}

void ButtonLearning::end(bool writeResult) {
    state_ = State::Ending;
    for (int c = 0; c < kChannels; ++c) markRecognised(c, 0);
    clearNotice(host_);
    if (writeResult) finish();
    else putBackLearnedFlag();
    stopRunning();
}

void ButtonLearning::putBackLearnedFlag() {
    // The window closes in the middle of a run: what was learned is left
    // out, but the controller must not be left without its buttons (its
    // learned flag at 0 until learning is run again). Only the flag goes back.
    setup::putBackLearnedFlag(link_, record_, heldLearned_);
}

void ButtonLearning::stopRunning() {
    state_ = State::Off;
    flags_.setLearningActive(false, FlagKey<ButtonLearning>{});
    view_.setLearningBusy(false);
    view_.clearGridSelection();
}

void ButtonLearning::finish() {
    ConfigImage& image = record_.image;
    for (int c = 0; c < kChannels; ++c) computeTolerances(image, c, levels_.idleMaximum[c]);
    image.keysLearned = 1;
    for (int c = 0; c < kChannels; ++c)
        image.channelThreshold[c] = channelThreshold(image, c, levels_.idleMaximum[c]);
    const ProgressScope progress(host_, kLearningWriteTotal, localized("Write data"));
    // Only what the controller accepted counts as written; a part that
    // failed stays different from deviceCopy, so the synchronisation sends
    // it again once the run is over instead of believing it arrived.
    if (transfer_.sendLearnedButtons() == ResultCode::Ok) {
        host_.notice(kDoneNoticeMs, kNoticeBlinkMs,
                     localized("Customize Buttons completed successfully"));
    } else {
        host_.notice(kDoneNoticeMs, kNoticeBlinkMs, localized(ConfigTransfer::kButtonsNotSentText));
    }
}

} // namespace zmt
