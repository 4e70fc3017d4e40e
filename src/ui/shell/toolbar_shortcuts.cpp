#include "ui/shell/toolbar_shortcuts.h"

#include <QShortcut>
#include <QToolButton>

namespace zmt::ui {

const ToolButtonKeys kToolButtonKeys[4] = {
    {MainWindow::ToolButton::ReadConfig, QKeySequence(Qt::CTRL | Qt::Key_O)},
    {MainWindow::ToolButton::WriteConfig, QKeySequence(Qt::CTRL | Qt::Key_S)},
    {MainWindow::ToolButton::ReadDevice, QKeySequence(Qt::CTRL | Qt::Key_R)},
    {MainWindow::ToolButton::WriteDevice, QKeySequence(Qt::CTRL | Qt::Key_W)},
};

ToolBarShortcuts::ToolBarShortcuts(MainWindow& window) : window_(window) {
    for (const ToolButtonKeys& entry : kToolButtonKeys) {
        auto* shortcut = new QShortcut(entry.keys, &window_);
        QToolButton* button = &window_.toolButton(entry.button);
        // click() does nothing on a disabled button, and it sends the press
        // that commits a value still being typed, as a mouse click does.
        connect(shortcut, &QShortcut::activated, button, [button] { button->click(); });
    }
    connect(&window_.shellSignals(), &ShellSignals::languageChanged, this, [this] { addKeysToHints(); });
    addKeysToHints();
}

void ToolBarShortcuts::addKeysToHints() {
    for (const ToolButtonKeys& entry : kToolButtonKeys) {
        QToolButton& button = window_.toolButton(entry.button);
        const QString keys = QStringLiteral(" (%1)").arg(entry.keys.toString(QKeySequence::NativeText));
        if (!button.toolTip().endsWith(keys)) button.setToolTip(button.toolTip() + keys);
    }
}

} // namespace zmt::ui
