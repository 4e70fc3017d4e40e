#pragma once
// The picker for a procedure's own reaction (the quick set-up's "another
// key…"), while the main window's picker waits with the locked editors.
// Here, below the procedures and the shell, so that the procedures include
// neither the picker's nor the shell's headers.
#include <functional>

class QWidget;

namespace zmt {
struct Reaction;
}

namespace zmt::ui {

// Each change the user makes in the picker is told to chosen; closing the
// picker keeps the last one, and a picker never touched changes nothing.
class ReactionChooser {
public:
    virtual void chooseReaction(QWidget& over, const Reaction& start,
                                std::function<void(const Reaction&)> chosen) = 0;
    // The choice is over (the step it was for has gone): the picker closes
    // and tells nothing more.
    virtual void stopChoosingReaction() = 0;

protected:
    ~ReactionChooser() = default;
};

} // namespace zmt::ui
