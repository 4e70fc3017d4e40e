#pragma once
// The keyboard usage picker window: a non-modal, fixed-size tool window that
// stays beside the main window. It shows a PC keyboard (page 0x07), a row of
// multimedia buttons (consumer page 0x0C) and eight system controls, and
// edits one Reaction in place: every click changes the reaction at once,
// re-highlights the window and lets the opener rewrite its description.
//
// Each control carries what it stands for as a typed PickerControl ({kind,
// code}); its object name ("PanelKey4x", "SpeedButtonMMKey00E9x") is for
// translation and tests only. The rules of what a click or a typed code
// does live in reaction_edit.h.
#include "config/config_image.h"
#include "ui/picker/reaction_edit.h"

#include <QDialog>

#include <string>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace zmt::ui {

class Panel;

// Whoever opens the picker on a reaction (the event editor).
class ReactionOwner {
public:
    // When the picker opens on the reaction and after every change it makes
    // to it: the owner rewrites the reaction's memo.
    virtual void reactionShown() = 0;
    // Asked before every click or typed code: false leaves the reaction as
    // it is (the owner tells the user why).
    virtual bool mayChangeReaction() { return true; }

protected:
    ~ReactionOwner() = default;
};

class ReactionPicker : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 750;
    static constexpr int kClientHeight = 348;
    static constexpr int kMaxConsumerUsages = 200;

    explicit ReactionPicker(QWidget* parent = nullptr);

    // Shows the window (without taking the input from the main window) and
    // makes target the reaction it edits. title is a text in every language
    // (formatInEveryLanguage), so it follows a language switch.
    // An infrared target clears the highlights and is not shown to the
    // owner; otherwise the window highlights the target and tells the owner
    // (which may be null). target and owner must outlive the picker or be
    // replaced by another open or by detach.
    void open(Reaction& target, ReactionOwner* owner, std::string title);
    using QDialog::open;
    // Forgets the target; clicks and typed codes are then ignored.
    void detach();
    const Reaction* target() const { return target_; }

    // All consumer buttons up, all panels unselected, the entry fields at 0.
    void clearHighlights();
    // Puts the keyboard focus on the first key the reaction holds (the
    // first key of all when it holds none), unless a control of the picker
    // has it already: the picker opened from the keyboard is used from there.
    void focusKeys();
    // The editor's lock: the system, consumer and keyboard groups.
    void setEditingEnabled(bool enabled);

    // The title the picker shows for what it is picking, in every language
    // (formatInEveryLanguage); the language switch re-applies it. Empty: no
    // title of its own.
    void setTitle(std::string title);
    const std::string& title() const { return title_; }
    void retranslateTitle();

    // Consumer usages of the buttons present, in increasing order.
    const std::vector<uint16_t>& consumerUsages() const { return consumerUsages_; }

    // --- window event handlers ---
    // Serves every keyboard, modifier, consumer and system-control control.
    void onPickerKey(PickerControl control);
    // Enter in the KEY1, KEY2 and consumer code fields.
    void onCodeEntered(PickerEntry entry);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSystemControls();
    void buildConsumerButtons();
    void buildKeyboard();
    Panel* addPanel(QWidget* parent, PickerControl control, const QString& caption, const QRect& where);
    bool changeRefused();
    void highlight();
    void reopen();
    void setSelected(Panel* panel, bool selected);
    // The arrow keys among the keys: along the row, or to the key of the
    // next row up or down that lies under it (step is the direction, one of
    // the four unit steps).
    void moveKeyFocus(QWidget* from, QPoint step);

    Reaction* target_ = nullptr;
    ReactionOwner* owner_ = nullptr;
    std::string title_;   // in every language
    std::vector<uint16_t> consumerUsages_;

    std::vector<QWidget*> editingGroups_;
    // Keyboard, modifier and system panels, with what each stands for.
    struct KeyPanel {
        Panel* panel;
        PickerControl control;
    };
    std::vector<KeyPanel> keyPanels_;
    std::vector<QToolButton*> consumerButtons_;
    // Every control the arrows reach, with the rows it spans (top to
    // bottom: system controls, multimedia buttons, the keyboard's rows).
    struct ArrowStop {
        QWidget* widget;
        int top;
        int bottom;
    };
    std::vector<ArrowStop> arrowStops_;
    QLineEdit* editKey1_ = nullptr;
    QLineEdit* editKey2_ = nullptr;
    QLineEdit* editMMKey_ = nullptr;
};

// Writes the description of reaction into memo as the editor shows it: a
// line of two spaces, then the description or "Not specified". An infrared
// reaction leaves the memo as it is (its own text is written elsewhere).
// The event editor's memos are labels that let clicks through to their panel.
void showReactionText(const Reaction& reaction, QPlainTextEdit& memo);
void showReactionText(const Reaction& reaction, QLabel& memo);

} // namespace zmt::ui
