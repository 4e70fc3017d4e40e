#include "ui/i18n/translate_form.h"

#include "ui/widgets/fitted_text.h"

#include "ui/widgets/controls.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <string>

namespace zmt::ui {

namespace {

template <class T>
bool isExactly(const QObject* object) {
    return object->metaObject() == &T::staticMetaObject;
}

QString text(const TranslationRow& row) { return QString::fromUtf8(translationText(row)); }

const TranslationRow* lookUp(const TranslationRow* table, const QString& window, const QString& name,
                             const char* suffix) {
    const std::string key = (window + u'_' + name).toStdString() + suffix;
    return FindTranslation(key.c_str(), table);
}

QTabWidget* owningTabWidget(QWidget* page) {
    for (QWidget* up = page->parentWidget(); up != nullptr; up = up->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(up)) return tabs;
    }
    return nullptr;
}

void setHint(QObject* control, const TranslationRow* hint) {
    if (hint == nullptr) return;
    if (auto* action = qobject_cast<QAction*>(control)) action->setToolTip(text(*hint));
    else if (auto* widget = qobject_cast<QWidget*>(control)) widget->setToolTip(text(*hint));
}

void setTabTexts(QTabBar* bar, const QStringList& texts) {
    const int kept = bar->currentIndex();
    while (bar->count() > texts.size()) bar->removeTab(bar->count() - 1);
    for (int i = 0; i < texts.size(); ++i) {
        if (i < bar->count()) bar->setTabText(i, texts[i]);
        else bar->addTab(texts[i]);
    }
    if (kept < bar->count()) bar->setCurrentIndex(kept);
}

void setComboItems(QComboBox* combo, const QStringList& items) {
    const int kept = combo->currentIndex();
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(kept < combo->count() ? kept : -1);
}

void setCheckListItems(QListWidget* list, const QStringList& items) {
    QList<Qt::CheckState> kept;
    for (int i = 0; i < list->count(); ++i) kept << list->item(i)->checkState();
    list->clear();
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QListWidgetItem(items[i], list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(i < kept.size() ? kept[i] : Qt::Unchecked);
    }
}

void translateControl(QObject* control, const TranslationRow* caption, const TranslationRow* hint) {
    // Nothing a listener could mistake for a user's edit may escape from here.
    const QSignalBlocker quiet(control);
    switch (controlKind(control)) {
    case ControlKind::GroupBox:
        if (caption) setFittedTitle(*static_cast<QGroupBox*>(control), text(*caption));
        break;
    case ControlKind::Panel:
    case ControlKind::Label:
        if (caption) setFittedText(*static_cast<QLabel*>(control), text(*caption));
        break;
    case ControlKind::SpeedButton:
        if (caption) static_cast<QToolButton*>(control)->setText(text(*caption));
        break;
    case ControlKind::TabSheet:
        if (caption) {
            auto* page = static_cast<QWidget*>(control);
            if (QTabWidget* tabs = owningTabWidget(page)) tabs->setTabText(tabs->indexOf(page), text(*caption));
        }
        break;
    case ControlKind::TabControl:
        if (caption) setTabTexts(static_cast<QTabBar*>(control), splitListText(translationText(*caption)));
        break;
    case ControlKind::MenuItem:
        if (caption) static_cast<QAction*>(control)->setText(text(*caption));
        break;
    case ControlKind::ComboBox:
        if (caption) setComboItems(static_cast<QComboBox*>(control), splitListText(translationText(*caption)));
        break;
    case ControlKind::CheckBox:
        if (caption) {
            auto* box = static_cast<QCheckBox*>(control);
            const Qt::CheckState kept = box->checkState();
            setFittedText(*box, text(*caption));
            box->setCheckState(kept);
        }
        break;
    case ControlKind::CheckListBox:
        if (caption) setCheckListItems(static_cast<QListWidget*>(control), splitListText(translationText(*caption)));
        break;
    case ControlKind::ToolBar:
    case ControlKind::HintOnly:
        break;
    case ControlKind::Other:
        return;
    }
    setHint(control, hint);
}

} // namespace

ControlKind controlKind(const QObject* control) {
    if (control == nullptr) return ControlKind::Other;
    if (isExactly<QGroupBox>(control)) return ControlKind::GroupBox;
    if (isExactly<Panel>(control)) return ControlKind::Panel;
    if (isExactly<QToolButton>(control)) return ControlKind::SpeedButton;
    if (isExactly<TabSheet>(control)) return ControlKind::TabSheet;
    if (isExactly<QTabBar>(control)) return ControlKind::TabControl;
    if (isExactly<QAction>(control)) return ControlKind::MenuItem;
    if (isExactly<QComboBox>(control)) return ControlKind::ComboBox;
    if (isExactly<QCheckBox>(control)) return ControlKind::CheckBox;
    if (isExactly<QListWidget>(control)) return ControlKind::CheckListBox;
    if (isExactly<ToolBar>(control)) return ControlKind::ToolBar;
    if (isExactly<QLabel>(control)) return ControlKind::Label;
    if (isExactly<QSpinBox>(control) || isExactly<QScrollBar>(control)) return ControlKind::HintOnly;
    return ControlKind::Other;
}

QStringList splitListText(const char* text) {
    QStringList items = QString::fromUtf8(text != nullptr ? text : "").split(QStringLiteral("\r\n"));
    if (!items.isEmpty() && items.last().isEmpty()) items.removeLast();
    return items;
}

void translateForm(const TranslationRow* table, QWidget* window) {
    if (window == nullptr) return;
    const QString windowName = window->objectName();
    const std::string windowKey = windowName.toStdString() + "_Caption";
    if (const TranslationRow* row = FindTranslation(windowKey.c_str(), table)) window->setWindowTitle(text(*row));

    // Held by guarded pointers: a control's translation may delete child
    // objects further down this list.
    QList<QPointer<QObject>> controls;
    for (QObject* child : window->findChildren<QObject*>()) controls << child;
    for (const QPointer<QObject>& control : controls) {
        if (control.isNull()) continue;
        const QString name = control->objectName();
        if (name.isEmpty()) continue;
        const TranslationRow* caption = lookUp(table, windowName, name, "_Caption");
        const TranslationRow* hint = lookUp(table, windowName, name, "_Hint");
        if (caption == nullptr && hint == nullptr) continue;
        translateControl(control, caption, hint);
    }
}

} // namespace zmt::ui
