#pragma once
// The small builders the event editor's files share: a control made with
// its object name (the translation tables and the tests find controls by
// it), a caption panel, and the label that shows a reaction inside its
// panel.
#include "ui/widgets/controls.h"

#include <QFont>
#include <QLabel>
#include <QRect>
#include <QString>

#include <string>

namespace zmt::ui::event_controls {

inline QString qs(const std::string& text) { return QString::fromStdString(text); }

template <typename T>
T* named(QWidget* parent, const char* name) {
    auto* control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

inline Panel* captionPanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = named<Panel>(parent, name);
    panel->setFrameStyle(QFrame::NoFrame);
    panel->setGeometry(geometry);
    return panel;
}

// A panel that shows a reaction: a bold, centred text that lets clicks
// through to the panel it sits in.
inline QLabel* reactionMemo(Panel* panel, const char* name) {
    auto* memo = named<QLabel>(panel, name);
    memo->setTextFormat(Qt::PlainText);
    memo->setAlignment(Qt::AlignCenter);
    memo->setWordWrap(true);
    QFont bold = memo->font();
    bold.setBold(true);
    memo->setFont(bold);
    memo->setAttribute(Qt::WA_TransparentForMouseEvents);
    memo->setGeometry(panel->contentsRect().adjusted(2, 2, -2, -2));
    return memo;
}

} // namespace zmt::ui::event_controls
