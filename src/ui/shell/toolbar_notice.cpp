#include "ui/shell/toolbar_notice.h"

#include "ui/widgets/controls.h"

#include <QTimer>

namespace zmt::ui {

ToolbarNotice::ToolbarNotice(QWidget& window, Panel& panel)
    : QObject(&window), panel_(panel), clearTimer_(new QTimer(&window)), flashTimer_(new QTimer(&window)),
      remarkTimer_(new QTimer(&window)) {
    clearTimer_->setObjectName(QStringLiteral("TimerNoticeClear"));
    flashTimer_->setObjectName(QStringLiteral("TimerFlash"));
    remarkTimer_->setObjectName(QStringLiteral("TimerRemark"));
    remarkTimer_->setSingleShot(true);
    connect(remarkTimer_, &QTimer::timeout, this, [this] {
        const bool shown = panel_.text() == QString::fromStdString(remark_);
        remark_.clear();
        if (shown) clear();
    });
    connect(clearTimer_, &QTimer::timeout, this, &ToolbarNotice::clear);
    connect(flashTimer_, &QTimer::timeout, this, &ToolbarNotice::onFlashTick);
}

void ToolbarNotice::show(unsigned clearMs, unsigned blinkMs, const std::string& text) {
    clearTimer_->stop();
    panel_.setVisible(true);
    panel_.setText(QString::fromStdString(text));
    if (clearMs != 0) {
        clearTimer_->setInterval(static_cast<int>(clearMs));
        clearTimer_->start();
    }
    if (blinkMs != 0) {
        flashTimer_->setInterval(static_cast<int>(blinkMs));
        flashTimer_->start();
    } else {
        flashTimer_->stop();
    }
}

void ToolbarNotice::showRemark(unsigned ms, const std::string& text) {
    remark_ = text;
    remarkTimer_->start(static_cast<int>(ms));
    show(0, 0, text);
}

void ToolbarNotice::clear() {
    flashTimer_->stop();
    clearTimer_->stop();
    panel_.setVisible(true);
    panel_.setText(remarkTimer_->isActive() ? QString::fromStdString(remark_) : QString());
}

void ToolbarNotice::onFlashTick() { panel_.setVisible(panel_.isHidden()); }

} // namespace zmt::ui
