#include "ui/widgets/fitted_text.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

namespace zmt::ui {

namespace {

// The shown text for the room: the text itself, or its start and "…" with
// the whole one kept where a reader of the screen and the check find it.
// Mnemonics ("&Offset") and several lines are left alone: eliding would lose
// the shortcut letter or the lines' own breaks.
QString fitted(QWidget& widget, const QString& text, int room) {
    const bool elidable = !text.contains(QLatin1Char('&')) && !text.contains(QLatin1Char('\n')) && room > 0;
    if (!elidable || widget.fontMetrics().horizontalAdvance(text) <= room) {
        if (widget.property(kFullTextProperty).isValid()) {
            widget.setProperty(kFullTextProperty, QVariant());
            widget.setAccessibleName(QString());
        }
        return text;
    }
    widget.setProperty(kFullTextProperty, text);
    widget.setAccessibleName(text);
    return widget.fontMetrics().elidedText(text, Qt::ElideRight, room);
}

} // namespace

bool atFixedPlace(const QWidget& widget) {
    const QWidget* parent = widget.parentWidget();
    return parent == nullptr || parent->layout() == nullptr || parent->layout()->indexOf(&widget) < 0;
}

void setFittedText(QAbstractButton& button, const QString& text) {
    if (!atFixedPlace(button)) {
        button.setText(text);
        return;
    }
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = text;
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox*>(&button) != nullptr) contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(&button) != nullptr) contents = QStyle::SE_RadioButtonContents;
    const int room = button.style()->subElementRect(contents, &option, &button).width();
    button.setText(fitted(button, text, room));
}

void setFittedText(QLabel& label, const QString& text) {
    const bool plain = !label.wordWrap() && label.textFormat() != Qt::RichText && !Qt::mightBeRichText(text);
    if (!plain || !atFixedPlace(label)) {
        label.setText(text);
        return;
    }
    const int room = label.contentsRect().width() - 2 * label.margin();
    label.setText(fitted(label, text, room));
}

void setFittedTitle(QGroupBox& group, const QString& title) {
    if (!atFixedPlace(group)) {
        group.setTitle(title);
        return;
    }
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = title;
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label = group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
    group.setTitle(fitted(group, title, group.width() - label.left()));
}

} // namespace zmt::ui
