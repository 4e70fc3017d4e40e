#include "ui/shell/undo_buttons.h"

#include "lang/lang.h"

#include <QKeySequence>
#include <QShortcut>
#include <QToolButton>

namespace zmt::ui {

namespace {
// The hints name the step the button would take.
constexpr const char* kUndoHintLiteral = N_("Undo: %s");
constexpr const char* kRedoHintLiteral = N_("Redo: %s");
constexpr const char* kNothingToUndoLiteral = N_("Nothing to undo");
constexpr const char* kNothingToRedoLiteral = N_("Nothing to redo");

void showStep(QToolButton& button, const std::string& step, const char* hint, const char* nothing) {
    button.setEnabled(!step.empty());
    // Refreshed on every sync tick: a hint set again, even unchanged, is
    // announced to the screen reader's side each time, which kept an idle
    // window busy ten times a second.
    const QString tip =
        QString::fromStdString(step.empty() ? localized(nothing) : formatText(localized(hint), step.c_str()));
    if (button.toolTip() != tip) button.setToolTip(tip);
}
} // namespace

UndoButtons::UndoButtons(QToolButton& undo, QToolButton& redo, QWidget& window)
    : QObject(&window), undo_(undo), redo_(redo) {
    undo_.setEnabled(false);
    redo_.setEnabled(false);
    connect(&undo_, &QToolButton::clicked, this, &UndoButtons::onUndo);
    connect(&redo_, &QToolButton::clicked, this, &UndoButtons::onRedo);
    addShortcuts(window);
}

void UndoButtons::addShortcuts(QWidget& window) {
    // A text field with the focus keeps Ctrl+Z for its own text: Qt gives
    // a focused editor's shortcuts precedence over the window's.
    auto add = [this, &window](QKeySequence keys, void (UndoButtons::*handler)()) {
        auto* shortcut = new QShortcut(keys, &window);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_Z), &UndoButtons::onUndo);
    add(QKeySequence(Qt::CTRL | Qt::Key_Y), &UndoButtons::onRedo);
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &UndoButtons::onRedo);
}

void UndoButtons::refresh() {
    showStep(undo_, labels_ ? labels_->undoLabel() : std::string(), kUndoHintLiteral, kNothingToUndoLiteral);
    showStep(redo_, labels_ ? labels_->redoLabel() : std::string(), kRedoHintLiteral, kNothingToRedoLiteral);
}

void UndoButtons::onUndo() {
    emit undoRequested();
    refresh();
}

void UndoButtons::onRedo() {
    emit redoRequested();
    refresh();
}

} // namespace zmt::ui
