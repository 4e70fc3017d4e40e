#include "ui/widgets/msg_box.h"

#include "device/host.h"
#include "lang/lang.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace zmt::ui {

namespace {

constexpr int kUnreadableBoxSide = 400;

std::vector<int> buttonSet(unsigned set) {
    switch (set) {
    case 0x0: return {ID_OK};
    case 0x1: return {ID_OK, ID_CANCEL};
    case 0x2: return {ID_ABORT, ID_RETRY, ID_IGNORE};
    case 0x3: return {ID_YES, ID_NO, ID_CANCEL};
    case 0x4: return {ID_YES, ID_NO};
    case 0x5: return {ID_RETRY, ID_CANCEL};
    case 0x6: return {ID_CANCEL, ID_TRYAGAIN, ID_CONTINUE};
    default: return {ID_OK};
    }
}

QMessageBox::StandardButton standardButton(int answer) {
    switch (answer) {
    case ID_OK: return QMessageBox::Ok;
    case ID_CANCEL: return QMessageBox::Cancel;
    case ID_ABORT: return QMessageBox::Abort;
    case ID_RETRY: return QMessageBox::Retry;
    case ID_IGNORE: return QMessageBox::Ignore;
    case ID_YES: return QMessageBox::Yes;
    case ID_NO: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
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

MsgBoxLayout msgBoxLayout(unsigned flags) {
    MsgBoxLayout layout{"", MsgBoxIcon::None, {}, ID_OK};
    switch (flags & 0xFF) {
    case MB_ERROR:
        layout = {"Ошибка\0Error", MsgBoxIcon::Stop, {ID_OK}, ID_OK};
        break;
    case MB_QUESTION:
        layout = {"Вопрос\0Question", MsgBoxIcon::Question, {ID_YES, ID_NO}, ID_YES};
        break;
    case MB_WARNING:
        layout = {"Предупреждение\0Warning", MsgBoxIcon::Exclamation, {ID_YES, ID_NO}, ID_YES};
        break;
    case MB_INFORMATION:
        layout = {"Информация\0Information", MsgBoxIcon::Information, {ID_OK}, ID_OK};
        break;
    default:
        layout.buttons = buttonSet(flags & 0x0F);
        switch (flags & 0xF0) {
        case 0x10: layout.icon = MsgBoxIcon::Stop; break;
        case 0x20: layout.icon = MsgBoxIcon::Question; break;
        case 0x30: layout.icon = MsgBoxIcon::Exclamation; break;
        case 0x40: layout.icon = MsgBoxIcon::Information; break;
        default: break;
        }
        break;
    }
    // A default beyond the buttons shown falls back to the first, as the
    // platform box does.
    const std::size_t defaultIndex = (flags >> 8) & 0x0F;
    layout.defaultButton = defaultIndex < layout.buttons.size() ? layout.buttons[defaultIndex] : layout.buttons.front();
    return layout;
}

QPoint centredPosition(const QRect& owner, const QSize& boxSize, int shiftDown) {
    const bool readable = boxSize.isValid() && !boxSize.isEmpty();
    const int w = readable ? boxSize.width() : kUnreadableBoxSide;
    const int h = readable ? boxSize.height() : kUnreadableBoxSide;
    return {owner.left() + owner.width() / 2 - w / 2, owner.top() + owner.height() / 2 - h / 2 + shiftDown};
}

std::unique_ptr<QMessageBox> buildMsgBox(unsigned flags, const QString& text, QWidget* owner) {
    const MsgBoxLayout layout = msgBoxLayout(flags);
    auto box = std::make_unique<QMessageBox>(qtIcon(layout.icon), QString::fromUtf8(LangText(layout.captionLiteral)),
                                             QString(), QMessageBox::NoButton, owner);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    for (int answer : layout.buttons) {
        QPushButton* button = box->addButton(standardButton(answer));
        if (button == nullptr) {
            // Try again / Continue have no standard Qt button; label them plainly.
            button = box->addButton(answer == ID_TRYAGAIN ? QStringLiteral("Try Again") : QStringLiteral("Continue"),
                                    QMessageBox::AcceptRole);
        }
        button->setProperty("zmtAnswer", answer);
        if (answer == layout.defaultButton) box->setDefaultButton(button);
    }
    box->setWindowModality(Qt::ApplicationModal);
    // Adding buttons makes the box recompute its window flags, so ask for
    // staying on top last.
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box->installEventFilter(new CentreOnShow(owner, box.get()));
    return box;
}

int msgBoxAnswer(const QMessageBox& box) {
    if (QAbstractButton* clicked = box.clickedButton()) {
        const QVariant answer = clicked->property("zmtAnswer");
        if (answer.isValid()) return answer.toInt();
    }
    std::vector<int> offered;
    for (QAbstractButton* button : box.buttons()) offered.push_back(button->property("zmtAnswer").toInt());
    for (int safest : {int(ID_CANCEL), int(ID_NO)}) {
        if (std::find(offered.begin(), offered.end(), safest) != offered.end()) return safest;
    }
    return ID_OK;
}

int execMsgBox(QMessageBox& box) {
    box.exec();
    return msgBoxAnswer(box);
}

} // namespace zmt::ui
