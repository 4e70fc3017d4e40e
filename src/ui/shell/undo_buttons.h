#pragma once
// The toolbar's undo and redo buttons and their keys (Ctrl+Z; Ctrl+Y and
// Ctrl+Shift+Z), in the main window and in the picker. The buttons' hints
// name the step they would take, asked of UndoLabels; a click or a key sends
// undoRequested or redoRequested to whoever owns the history.
#include <QObject>

#include <string>

class QToolButton;
class QWidget;

namespace zmt::ui {

// The names of the steps undo and redo would take; empty when there is
// nothing to take (the buttons are disabled).
class UndoLabels {
public:
    virtual ~UndoLabels() = default;
    virtual std::string undoLabel() = 0;
    virtual std::string redoLabel() = 0;
};

class UndoButtons : public QObject {
    Q_OBJECT
public:
    // The buttons stay the toolbar's; the keys go to window.
    UndoButtons(QToolButton& undo, QToolButton& redo, QWidget& window);

    // Who names the steps; null: nothing to undo.
    void setLabels(UndoLabels* labels) { labels_ = labels; }
    // The same keys in another window of the program (the picker edits too).
    void addShortcuts(QWidget& window);
    // Enables the buttons and writes their hints in the current language.
    void refresh();

    void onUndo();
    void onRedo();

signals:
    void undoRequested();
    void redoRequested();

private:
    QToolButton& undo_;
    QToolButton& redo_;
    UndoLabels* labels_ = nullptr;
};

} // namespace zmt::ui
