#include "ui/widgets/msg_box.h"

#include "lang/lang.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace zmt::ui {

namespace {

constexpr int kUnreadableBoxSide = 400;

QMessageBox::StandardButton standardButton(Answer answer) {
    switch (answer) {
    case Answer::Ok: return QMessageBox::Ok;
    case Answer::Yes: return QMessageBox::Yes;
    case Answer::No: return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon qtIcon(MsgBoxIcon icon) {
    switch (icon) {
    case MsgBoxIcon::Stop: return QMessageBox::Critical;
    case MsgBoxIcon::Question: return QMessageBox::Question;
    case MsgBoxIcon::Exclamation: return QMessageBox::Warning;
    case MsgBoxIcon::Information: return QMessageBox::Information;
    case MsgBoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Moves the box over its owner on its first show, like the owner's own
// message boxes always appear: centred and a little below the middle.
class CentreOnShow : public QObject {
public:
    CentreOnShow(QWidget* owner, QObject* parent) : QObject(parent), owner_(owner) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !done_ && !owner_.isNull()) {
            done_ = true;
            // The box settles its final size in its own show handling, which
            // runs after this filter: place it once that is done.
            QPointer<QWidget> box = static_cast<QWidget*>(watched);
            QTimer::singleShot(0, this, [this, box] {
                if (box.isNull() || owner_.isNull()) return;
                box->move(centredPosition(owner_->frameGeometry(), box->frameGeometry().size(), kMsgBoxShiftDown));
                box->raise();
                box->activateWindow();
            });
        }
        return false;
    }

private:
    QPointer<QWidget> owner_;
    bool done_ = false;
};

} // namespace

MsgBoxLayout msgBoxLayout(MessageStyle style) {
    MsgBoxLayout layout{"", MsgBoxIcon::None, {}, Answer::Ok};
    switch (style.kind) {
    case MessageKind::Error: layout = {N_("Error"), MsgBoxIcon::Stop, {Answer::Ok}, Answer::Ok}; break;
    case MessageKind::Question:
        layout = {N_("Question"), MsgBoxIcon::Question, {Answer::Yes, Answer::No}, Answer::Yes};
        break;
    case MessageKind::Warning:
        layout = {N_("Warning"), MsgBoxIcon::Exclamation, {Answer::Yes, Answer::No}, Answer::Yes};
        break;
    case MessageKind::Information:
        layout = {N_("Information"), MsgBoxIcon::Information, {Answer::Ok}, Answer::Ok};
        break;
    }
    // No as default means the second button; a box with one button keeps it.
    if (style.defaultAnswer == DefaultAnswer::No && layout.buttons.size() > 1) layout.defaultButton = layout.buttons[1];
    return layout;
}

QPoint centredPosition(const QRect& owner, const QSize& boxSize, int shiftDown) {
    const bool readable = boxSize.isValid() && !boxSize.isEmpty();
    const int w = readable ? boxSize.width() : kUnreadableBoxSide;
    const int h = readable ? boxSize.height() : kUnreadableBoxSide;
    return {owner.left() + owner.width() / 2 - w / 2, owner.top() + owner.height() / 2 - h / 2 + shiftDown};
}

std::unique_ptr<QMessageBox> buildMsgBox(MessageStyle style, const QString& text, QWidget* owner) {
    const MsgBoxLayout layout = msgBoxLayout(style);
    auto box = std::make_unique<QMessageBox>(qtIcon(layout.icon), QString::fromUtf8(localized(layout.captionLiteral)),
                                             QString(), QMessageBox::NoButton, owner);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    for (const Answer answer : layout.buttons) {
        QPushButton* button = box->addButton(standardButton(answer));
        button->setProperty("zmtAnswer", static_cast<int>(answer));
        if (answer == layout.defaultButton) box->setDefaultButton(button);
    }
    box->setWindowModality(Qt::ApplicationModal);
    // Adding buttons makes the box recompute its window flags, so ask for
    // staying on top last.
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box->installEventFilter(new CentreOnShow(owner, box.get()));
    return box;
}

Answer msgBoxAnswer(const QMessageBox& box) {
    if (QAbstractButton* clicked = box.clickedButton()) {
        const QVariant answer = clicked->property("zmtAnswer");
        if (answer.isValid()) return static_cast<Answer>(answer.toInt());
    }
    for (QAbstractButton* button : box.buttons()) {
        if (button->property("zmtAnswer").toInt() == static_cast<int>(Answer::No)) return Answer::No;
    }
    return Answer::Ok;
}

Answer execMsgBox(QMessageBox& box) {
    box.exec();
    return msgBoxAnswer(box);
}

} // namespace zmt::ui
