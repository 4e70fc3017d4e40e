#include "ui/shell/toolbar_notice.h"

#include "ui/widgets/controls.h"

#include <QTimer>

namespace zmt::ui {

ToolbarNotice::ToolbarNotice(QWidget& window, Panel& panel)
    : QObject(&window), panel_(panel), clearTimer_(new QTimer(&window)), flashTimer_(new QTimer(&window)) {
    clearTimer_->setObjectName(QStringLiteral("TimerNoticeClear"));
    flashTimer_->setObjectName(QStringLiteral("TimerFlash"));
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

void ToolbarNotice::clear() {
    flashTimer_->stop();
    clearTimer_->stop();
    panel_.setVisible(true);
    panel_.setText(QString());
}

void ToolbarNotice::onFlashTick() { panel_.setVisible(panel_.isHidden()); }

} // namespace zmt::ui
