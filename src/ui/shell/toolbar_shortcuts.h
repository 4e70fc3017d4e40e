#pragma once
// Keys for the toolbar's everyday commands, named in the buttons' hints
// ("Open the device configuration file (Ctrl+O)"). A key does what a click
// does, and nothing while the button is disabled (a transfer, an update or
// learning under way, no controller for the controller's commands).
// Undo and redo keep their own keys (MainWindow).
#include "ui/shell/main_window.h"

#include <QKeySequence>
#include <QObject>

namespace zmt::ui {

struct ToolButtonKeys {
    MainWindow::ToolButton button;
    QKeySequence keys;
};
// Open Ctrl+O, save Ctrl+S, read from the controller Ctrl+R, write to it
// Ctrl+W (it asks first, No by default). Firmware update, factory
// configuration and restart have none: rare, and not to be hit by chance.
extern const ToolButtonKeys kToolButtonKeys[4];

class ToolBarShortcuts : public QObject {
public:
    explicit ToolBarShortcuts(MainWindow& window);

private:
    // The translation rewrites the hints with every language switch; the
    // keys are added after it.
    void addKeysToHints();

    MainWindow& window_;
};

} // namespace zmt::ui
