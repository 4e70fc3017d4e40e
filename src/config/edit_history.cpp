#include "config/edit_history.h"

#include "lang/lang.h"

#include <cstdarg>
#include <cstring>

namespace zmt {

namespace {

// Text of an outside change: something edited the image without naming it.
constexpr const char* kUnnamedEdit = N_("change");

} // namespace

EditLabel editLabel(const char* format, ...) {
    va_list args;
    va_start(args, format);
    EditLabel label{formatInEveryLanguageV(format, args)};
    va_end(args);
    return label;
}

EditHistory::EditHistory(std::size_t maxSteps) : maxSteps_(maxSteps == 0 ? 1 : maxSteps) {}

void EditHistory::reset(const ConfigImage& image) {
    steps_.clear();
    next_ = 0;
    baseline_ = image;
}

bool EditHistory::outsideChanges(const ConfigImage& image) const {
    return std::memcmp(image.bytes(), baseline_.bytes(), kConfigImageSize) != 0;
}

void EditHistory::record(const ConfigImage& image, const EditLabel& label) {
    Step step;
    const uint8_t* before = baseline_.bytes();
    const uint8_t* after = image.bytes();
    for (std::size_t i = 0; i < kConfigImageSize;) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < kConfigImageSize && before[end] != after[end]) ++end;
        const std::size_t length = end - i;
        step.runs.insert(step.runs.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8),
                                           static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)});
        step.runs.insert(step.runs.end(), before + i, before + end);
        step.runs.insert(step.runs.end(), after + i, after + end);
        i = end;
    }
    baseline_ = image;
    if (step.runs.empty()) return;
    step.runs.shrink_to_fit();
    step.label = label.everyLanguage;
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(next_), steps_.end());
    steps_.push_back(std::move(step));
    if (steps_.size() > maxSteps_) steps_.pop_front();
    next_ = steps_.size();
}

void EditHistory::apply(const Step& step, ConfigImage& image, bool after) {
    // The buffer was written by record() alone, but reading it never
    // trusts a length to stay inside the image or the buffer.
    const std::vector<uint8_t>& runs = step.runs;
    for (std::size_t at = 0; at + 4 <= runs.size();) {
        const std::size_t offset = runs[at] | (runs[at + 1] << 8);
        const std::size_t length = runs[at + 2] | (runs[at + 3] << 8);
        at += 4;
        if (offset + length > kConfigImageSize || at + 2 * length > runs.size()) return;
        std::memcpy(image.bytes() + offset, runs.data() + at + (after ? length : 0), length);
        at += 2 * length;
    }
}

void EditHistory::begin(const ConfigImage& image, EditLabel label) {
    if (depth_ == 0) checkpoint(image);
    if (depth_++ > 0) return;
    openLabel_ = std::move(label);
}

void EditHistory::rename(EditLabel label) {
    if (depth_ == 1) openLabel_ = std::move(label);
}

void EditHistory::commit(const ConfigImage& image) {
    if (depth_ == 0) return;
    if (--depth_ > 0) return;
    record(image, openLabel_);
}

void EditHistory::checkpoint(const ConfigImage& image, const EditLabel& label) {
    if (depth_ == 0) record(image, label);
}

void EditHistory::checkpoint(const ConfigImage& image) {
    if (depth_ == 0 && outsideChanges(image)) record(image, editLabel(kUnnamedEdit));
}

bool EditHistory::undo(ConfigImage& image) {
    if (depth_ > 0) return false;
    checkpoint(image);
    if (next_ == 0) return false;
    apply(steps_[--next_], image, false);
    baseline_ = image;
    return true;
}

bool EditHistory::redo(ConfigImage& image) {
    if (depth_ > 0 || outsideChanges(image) || next_ == steps_.size()) return false;
    apply(steps_[next_++], image, true);
    baseline_ = image;
    return true;
}

bool EditHistory::canUndo(const ConfigImage& image) const {
    return depth_ == 0 && (next_ > 0 || outsideChanges(image));
}

bool EditHistory::canRedo(const ConfigImage& image) const {
    // An outside change is a new edit: it will drop the redo steps.
    return depth_ == 0 && !outsideChanges(image) && next_ < steps_.size();
}

std::string EditHistory::undoLabel(const ConfigImage& image) const {
    if (!canUndo(image)) return {};
    if (outsideChanges(image)) return editLabel(kUnnamedEdit).text();
    return localized(steps_[next_ - 1].label);
}

std::string EditHistory::redoLabel(const ConfigImage& image) const {
    return canRedo(image) ? localized(steps_[next_].label) : std::string();
}

std::size_t EditHistory::storedBytes() const {
    std::size_t total = 0;
    for (const Step& step : steps_) total += sizeof(Step) + step.label.capacity() + step.runs.capacity();
    return total;
}

EditStep::EditStep(EditHistory* history, const ConfigImage& image, EditLabel label)
    : history_(history), image_(image) {
    if (history_) history_->begin(image_, std::move(label));
}

void EditStep::rename(EditLabel label) {
    if (history_) history_->rename(std::move(label));
}

EditStep::~EditStep() {
    if (history_) history_->commit(image_);
}

} // namespace zmt
