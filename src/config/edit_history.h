#pragma once
// Undo and redo of the user's edits to the configuration image.
//
// The image is the one source of truth and the synchronisation sends every
// byte in which it differs from the controller, so undoing an edit is only
// putting the image back as it was; the controller follows on its own.
//
// The history knows the image as it stood after the last step (its
// baseline). A step is what changed between two such moments, kept as the
// runs of differing bytes (offset, bytes before, bytes after), so a
// thousand steps of a few bytes each cost a few tens of kilobytes.
//
//   EditHistory history;                    // one per configuration record
//   history.reset(record.image);            // after every full read
//   { EditStep step(&history, record.image, label); ...edit record.image... }
//   history.undo(record.image); showImage();
//
// Steps nest: only the outermost one records, so an edit and the
// corrections it causes elsewhere in the image undo together. Changes
// made outside any step are not lost: they become a step of their own
// the next time the history looks at the image.
#include "config/config_image.h"
#include "lang/lang.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace zmt {

inline constexpr std::size_t kEditHistorySteps = 1000;

// A step's name in every language, formatted when the step begins (see
// formatInEveryLanguageV), so History follows a later language switch.
struct EditLabel {
    std::string everyLanguage;
    // In the language in force.
    std::string text() const { return localized(everyLanguage); }
};

// A step's name: the English format (marked N_) filled with the arguments, in
// every language.
EditLabel editLabel(const char* format, ...);

class EditHistory {
public:
    explicit EditHistory(std::size_t maxSteps = kEditHistorySteps);

    // A new history that starts at image: nothing to undo or redo. Called
    // whenever the image is read from a controller, so undo never brings
    // back another controller's configuration.
    void reset(const ConfigImage& image);

    // Opens a step (or joins the one already open). Changes found at the
    // outermost begin were made outside any step; they are kept as a step
    // of their own first.
    void begin(const ConfigImage& image, EditLabel label);
    // Closes what begin opened; the outermost commit records what changed
    // since its begin as one step. An edit that changed nothing leaves no
    // step. A new step drops everything that could be redone.
    void commit(const ConfigImage& image);
    bool stepOpen() const { return depth_ > 0; }
    // Names the open step anew, for edits whose name is known only at
    // their end (a typed name, once checked). Only the outermost step's
    // name counts, so a step nested in another cannot rename it.
    void rename(EditLabel label);

    // Records changes made outside any step under label (nothing happens
    // while a step is open: it will take them).
    void checkpoint(const ConfigImage& image, const EditLabel& label);
    // The same under a general name, for changes nobody named.
    void checkpoint(const ConfigImage& image);

    // Undo and redo are refused (false) while a step is open or when there
    // is nothing to do; changes made outside any step are recorded first,
    // so undo takes back exactly the latest of them.
    bool undo(ConfigImage& image);
    bool redo(ConfigImage& image);
    bool canUndo(const ConfigImage& image) const;
    bool canRedo(const ConfigImage& image) const;
    // Name of the step undo or redo would take, in the language in force;
    // empty when there is none.
    std::string undoLabel(const ConfigImage& image) const;
    std::string redoLabel(const ConfigImage& image) const;

    std::size_t undoSteps() const { return next_; }
    std::size_t redoSteps() const { return steps_.size() - next_; }
    // Bytes held by the steps' runs (what the bound is about).
    std::size_t storedBytes() const;

private:
    // A step's runs are packed into one buffer, each as offset (2 bytes),
    // length (2 bytes), the bytes before and the bytes after; its name is
    // the label's text in every language. Two allocations a step.
    struct Step {
        std::string label;
        std::vector<uint8_t> runs;
    };

    // Writes the step's before (or after) bytes into image.
    static void apply(const Step& step, ConfigImage& image, bool after);
    bool outsideChanges(const ConfigImage& image) const;
    void record(const ConfigImage& image, const EditLabel& label);

    std::size_t maxSteps_;
    std::deque<Step> steps_;
    std::size_t next_ = 0;      // steps_[0..next_) can be undone, the rest redone
    ConfigImage baseline_{};    // the image as the history last knew it
    int depth_ = 0;
    EditLabel openLabel_;
};

// One edit, from construction to destruction. A null history makes it a
// no-op (editors built without one, as in some tests).
class EditStep {
public:
    EditStep(EditHistory* history, const ConfigImage& image, EditLabel label);
    ~EditStep();
    void rename(EditLabel label);
    EditStep(const EditStep&) = delete;
    EditStep& operator=(const EditStep&) = delete;

private:
    EditHistory* history_;
    const ConfigImage& image_;
};

} // namespace zmt
