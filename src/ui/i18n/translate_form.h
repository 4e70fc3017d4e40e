#pragma once
// Replaces the design-time texts of a window (captions, hints, item lists)
// from its translation table, in the current language.
#include "ui/i18n/translation_tables.h"

#include <QStringList>

class QObject;
class QWidget;

namespace zmt::ui {

// What the translation does with a control depends only on its exact class
// (a subclass is a different kind and is left alone). These are the kinds of
// control the windows are built from and the one Qt class each is made of:
//
//   GroupBox      QGroupBox        caption = title
//   Panel         ui::Panel        caption = text
//   SpeedButton   QToolButton      caption = text
//   TabSheet      ui::TabSheet     caption = its tab's text in the QTabWidget
//   TabControl    QTabBar          caption = list of tab texts; keeps the current tab
//   MenuItem      QAction          caption = text; hint only as tool tip text
//   ComboBox      QComboBox        caption = item list; keeps the current item
//   CheckBox      QCheckBox        caption = text; keeps the check state
//   CheckListBox  QListWidget      caption = item list; keeps each item's check by position
//   ToolBar       ui::ToolBar      hint only
//   Label         QLabel           caption = text
//   HintOnly      QSpinBox, QScrollBar   hint only
//   Other         anything else    untouched, even when the table has rows for it
enum class ControlKind {
    GroupBox, Panel, SpeedButton, TabSheet, TabControl, MenuItem, ComboBox, CheckBox,
    CheckListBox, ToolBar, Label, HintOnly, Other
};
ControlKind controlKind(const QObject* control);

// A list text is split at "\r\n"; the final line break makes no empty item.
QStringList splitListText(const char* text);

// Applies table to window (keyed by the window's objectName) and to every
// object it owns at any depth, keyed by objectName. Selections and check
// states survive, and no change signal fires, so re-translating never looks
// like a user edit to whoever listens.
void translateForm(const TranslationRow* table, QWidget* window);

} // namespace zmt::ui
