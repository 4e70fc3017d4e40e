#include "ui/main/window_settings.h"

#include <QPoint>
#include <QSize>

namespace zmt::ui {

QPoint restoredPosition(std::optional<int> left, std::optional<int> top, const QSize& windowSize,
                        const QSize& screenSize) {
    const int w = windowSize.width();
    const int h = windowSize.height();
    const int centredLeft = screenSize.width() / 2 - w / 2;
    const int centredTop = screenSize.height() / 2 - h / 2;
    int y = top.value_or(centredTop);
    if (y < 0 || y > screenSize.height() - h / 2) y = centredTop;
    int x = left.value_or(centredLeft);
    if (x < -(w / 2) || x > screenSize.width() - w / 2) x = centredLeft;
    return {x, y};
}

} // namespace zmt::ui
