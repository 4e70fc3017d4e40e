#pragma once
// Finds text the window cuts: a label, button, check box, group title, list
// item, tab or column caption whose text needs more room than its control
// gives it, and controls with text that lie over one another. The window is
// laid out with fixed places, so a longer translation shows up here before
// a user meets a clipped caption. Measured with the fonts the test runs
// with (the offscreen platform uses the system's fonts, as the desktop does).
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QStyleOptionSpinBox>
#include <QTabBar>
#include <QTextDocument>
#include <QWidget>

#include "ui/widgets/fitted_text.h"

#include <string>
#include <vector>

namespace zmt::ui::test {

struct LayoutFault {
    QString where;   // the control's path of object names (or class names)
    QString what;    // what does not fit, in words, with the numbers
};

// Elision shows the start of a text and "…": a longer translation that
// still reads. Anything else (a cut text, an overlap) hides part of it.
inline bool worseThanElision(const LayoutFault& fault) { return !fault.what.contains(QLatin1String("is elided")); }

// The verdict of a check: none at all in a language the program ships; in
// the pseudo-language, whose texts are longer than any translation should
// be, elisions are listed for information and only what hides text fails.
inline std::vector<LayoutFault> failingFaults(std::vector<LayoutFault> faults, bool pseudo) {
    if (!pseudo) return faults;
    std::vector<LayoutFault> failing;
    for (LayoutFault& fault : faults)
        if (worseThanElision(fault)) failing.push_back(std::move(fault));
        else qInfo("%s: %s", qPrintable(fault.where), qPrintable(fault.what));
    return failing;
}

inline QString controlPath(const QWidget& widget) {
    QStringList names;
    for (const QObject* object = &widget; object != nullptr; object = object->parent()) {
        const QString name = object->objectName();
        names.prepend(name.isEmpty() ? QString::fromLatin1(object->metaObject()->className()) : name);
        if (object->isWidgetType() && static_cast<const QWidget*>(object)->isWindow()) break;
    }
    return names.join(QLatin1Char('/'));
}

namespace layout_detail {

inline QString shownText(const QString& text) {
    QString plain = text;
    plain.remove(QLatin1Char('&'));   // mnemonics are drawn as an underline
    return plain;
}

inline int textWidth(const QWidget& widget, const QString& text) {
    int widest = 0;
    for (const QString& line : shownText(text).split(QLatin1Char('\n')))
        widest = std::max(widest, widget.fontMetrics().horizontalAdvance(line));
    return widest;
}

inline void tooNarrow(std::vector<LayoutFault>& faults, const QWidget& widget, const QString& text, int needed,
                      int room, const char* how) {
    if (needed <= room) return;
    faults.push_back({controlPath(widget), QStringLiteral("\"%1\" %2: needs %3 px, has %4")
                                               .arg(shownText(text), QLatin1String(how))
                                               .arg(needed)
                                               .arg(room)});
}

inline void checkLabel(std::vector<LayoutFault>& faults, const QLabel& label) {
    if (label.text().isEmpty() || label.pixmap().isNull() == false) return;
    const QRect room = label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    if (Qt::mightBeRichText(label.text()) && label.textFormat() != Qt::PlainText) {
        QTextDocument document;
        document.setDefaultFont(label.font());
        document.setHtml(label.text());
        document.setTextWidth(label.wordWrap() ? room.width() : -1);
        document.setDocumentMargin(0);
        tooNarrow(faults, label, document.toPlainText(), qCeil(document.idealWidth()), room.width(), "is cut off");
        tooNarrow(faults, label, document.toPlainText(), qCeil(document.size().height()), room.height(),
                  "is cut off below");
        return;
    }
    if (label.wordWrap()) {
        const QRect needed = label.fontMetrics().boundingRect(room, Qt::TextWordWrap | label.alignment(), label.text());
        tooNarrow(faults, label, label.text(), needed.height(), room.height(), "is cut off below");
        return;
    }
    tooNarrow(faults, label, label.text(), textWidth(label, label.text()), room.width(), "is cut off");
    const int lines = static_cast<int>(label.text().count(QLatin1Char('\n'))) + 1;
    tooNarrow(faults, label, label.text(), lines * label.fontMetrics().height(), room.height(), "is cut off below");
}

inline void checkButton(std::vector<LayoutFault>& faults, QAbstractButton& button) {
    if (button.text().isEmpty()) return;
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(&button) != nullptr) contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(&button) != nullptr) contents = QStyle::SE_RadioButtonContents;
    else if (qobject_cast<QPushButton*>(&button) == nullptr) return;   // tool buttons show pictures
    const QRect room = button.style()->subElementRect(contents, &option, &button);
    int needed = textWidth(button, button.text());
    if (!button.icon().isNull() && contents == QStyle::SE_PushButtonContents) needed += button.iconSize().width() + 4;
    tooNarrow(faults, button, button.text(), needed, room.width(), "is cut off");
}

inline void checkGroupBox(std::vector<LayoutFault>& faults, QGroupBox& group) {
    if (group.title().isEmpty()) return;
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = group.title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    if (group.isCheckable()) option.subControls |= QStyle::SC_GroupBoxCheckBox;
    const QRect label = group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
    tooNarrow(faults, group, group.title(), label.left() + textWidth(group, group.title()), group.width(),
              "(the frame's title) is cut off");
}

inline void checkComboBox(std::vector<LayoutFault>& faults, QComboBox& combo) {
    if (combo.isEditable()) return;
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = false;
    option.frame = combo.hasFrame();
    const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
    for (int i = 0; i < combo.count(); ++i) {
        const QString item = combo.itemText(i);
        const int needed = combo.fontMetrics().horizontalAdvance(item) +
                           (combo.itemIcon(i).isNull() ? 0 : combo.iconSize().width() + 4);
        tooNarrow(faults, combo, item, needed, field.width(), "(a list item) is elided");
    }
}

inline void checkSpinBox(std::vector<LayoutFault>& faults, QSpinBox& spin) {
    QStyleOptionSpinBox option;
    option.initFrom(&spin);
    option.frame = spin.hasFrame();
    option.buttonSymbols = spin.buttonSymbols();
    option.subControls = QStyle::SC_SpinBoxEditField;
    const QRect field = spin.style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxEditField, &spin);
    // The widest value it may show, with the frame of the line edit inside.
    for (int value : {spin.minimum(), spin.maximum()}) {
        const QString text = spin.prefix() + QString::number(value) + spin.suffix();
        tooNarrow(faults, spin, text, spin.fontMetrics().horizontalAdvance(text) + 4, field.width(), "(a value) is cut off");
    }
}

inline void checkTabBar(std::vector<LayoutFault>& faults, QTabBar& tabs) {
    for (int i = 0; i < tabs.count(); ++i) {
        if (!tabs.isTabVisible(i)) continue;
        const int needed = textWidth(tabs, tabs.tabText(i));
        const int room = tabs.tabRect(i).width() - tabs.style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, &tabs);
        if (tabs.elideMode() != Qt::ElideNone) tooNarrow(faults, tabs, tabs.tabText(i), needed, room, "(a tab) is elided");
    }
}

inline void checkHeader(std::vector<LayoutFault>& faults, QHeaderView& header) {
    if (header.isHidden() || header.model() == nullptr) return;
    for (int i = 0; i < header.count(); ++i) {
        const QString text = header.model()->headerData(i, header.orientation(), Qt::DisplayRole).toString();
        if (text.isEmpty() || header.isSectionHidden(i)) continue;
        const int room = header.orientation() == Qt::Horizontal ? header.sectionSize(i) : header.width();
        // The header draws a caption that does not fit with "…" unless told not to.
        tooNarrow(faults, header, text, textWidth(header, text), room,
                  header.textElideMode() != Qt::ElideNone ? "(a column caption) is elided" : "(a column caption) is cut off");
    }
}

// A control with text of its own: two such that overlap hide each other's text.
inline bool showsText(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) return !label->text().isEmpty();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return !button->text().isEmpty();
    return qobject_cast<const QComboBox*>(&widget) != nullptr || qobject_cast<const QAbstractSpinBox*>(&widget) != nullptr;
}

} // namespace layout_detail

// Every shown control of window (and of the windows it contains) checked.
inline std::vector<LayoutFault> layoutFaults(QWidget& window) {
    using namespace layout_detail;
    std::vector<LayoutFault> faults;
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : widgets) {
        if (!widget->isVisibleTo(&window) && widget != &window) continue;
        // A caption the program elided to fit its place says so here.
        const QString full = widget->property(kFullTextProperty).toString();
        if (!full.isEmpty())
            faults.push_back({controlPath(*widget), QStringLiteral("\"%1\" is elided to fit its place").arg(shownText(full))});
        if (auto* label = qobject_cast<QLabel*>(widget)) checkLabel(faults, *label);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget)) checkButton(faults, *button);
        else if (auto* group = qobject_cast<QGroupBox*>(widget)) checkGroupBox(faults, *group);
        else if (auto* combo = qobject_cast<QComboBox*>(widget)) checkComboBox(faults, *combo);
        else if (auto* spin = qobject_cast<QSpinBox*>(widget)) checkSpinBox(faults, *spin);
        else if (auto* tabs = qobject_cast<QTabBar*>(widget)) checkTabBar(faults, *tabs);
        else if (auto* header = qobject_cast<QHeaderView*>(widget)) checkHeader(faults, *header);
        if (!showsText(*widget)) continue;
        // Overlap between siblings that both show text, each pair told once,
        // by the one made first (an order by address would vary from run to run).
        const QObjectList siblings = widget->parent() != nullptr ? widget->parent()->children() : QObjectList();
        for (qsizetype next = siblings.indexOf(widget) + 1; next > 0 && next < siblings.size(); ++next) {
            auto* sibling = qobject_cast<QWidget*>(siblings[next]);
            if (sibling == nullptr || !sibling->isVisibleTo(&window) || !showsText(*sibling)) continue;
            const QRect shared = widget->geometry() & sibling->geometry();
            if (!shared.isEmpty())
                faults.push_back({controlPath(*widget), QStringLiteral("overlaps %1 by %2x%3 px")
                                                            .arg(controlPath(*sibling))
                                                            .arg(shared.width())
                                                            .arg(shared.height())});
        }
    }
    return faults;
}

inline std::string describe(const std::vector<LayoutFault>& faults) {
    std::string text;
    for (const LayoutFault& fault : faults) text += "\n  " + fault.where.toStdString() + ": " + fault.what.toStdString();
    return text;
}

} // namespace zmt::ui::test
