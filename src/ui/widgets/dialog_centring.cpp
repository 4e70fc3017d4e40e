#include "ui/widgets/dialog_centring.h"

#include "ui/widgets/msg_box.h"

#include <QTimer>
#include <QWidget>

namespace zmt::ui {

namespace {
constexpr int kTickMs = 1;
}

DialogCentring::DialogCentring(QWidget& owner) : QObject(&owner), owner_(owner), timer_(new QTimer(&owner)) {
    timer_->setObjectName(QStringLiteral("TimerOnShow"));
    timer_->setInterval(kTickMs);
    connect(timer_, &QTimer::timeout, this, &DialogCentring::onTick);
}

void DialogCentring::centreWhileShown(QWidget* dialog) {
    dialog_ = dialog;
    movesLeft_ = kMoves;
    timer_->start();
}

void DialogCentring::stop() {
    timer_->stop();
    dialog_ = nullptr;
    movesLeft_ = 0;
}

void DialogCentring::onTick() {
    if (dialog_.isNull() || movesLeft_ <= 0) {
        timer_->stop();
        return;
    }
    QWidget* dialog = dialog_->window();
    if (!dialog->isVisible()) {
        // Not up yet: wait for it. Up and gone again: the dialog has ended.
        if (movesLeft_ < kMoves) timer_->stop();
        return;
    }
    dialog->move(centredPosition(owner_.frameGeometry(), dialog->frameGeometry().size(), 0));
    if (--movesLeft_ == 0) timer_->stop();
}

} // namespace zmt::ui
