#include "ui/procedures/level_bars.h"

#include "config/button_names.h"
#include "lang/lang.h"
#include "ui/widgets/controls.h"

#include <QPainter>

namespace zmt::ui {

namespace {
constexpr int kBarWidth = 36;
constexpr int kBarGap = 22;
constexpr int kTop = 40;
constexpr int kBarHeight = 160;
constexpr int kMargin = 16;
constexpr int kNameHeight = 34;

// Height in pixels of a level on the bar.
int levelHeight(int level) { return level * kBarHeight / 255; }
} // namespace

LevelBars::LevelBars(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LevelBarsx"));
    setWindowFlag(Qt::Tool);
    // Only something to look at: the keyboard stays on the learning button,
    // which stops the run.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(2 * kMargin + kChannels * kBarWidth + (kChannels - 1) * kBarGap + 40,
                 kTop + kBarHeight + kNameHeight + 8);
    retranslate();
}

void LevelBars::retranslate() {
    setWindowTitle(QString::fromUtf8(localized("Button levels")));
    update();
}

void LevelBars::showLevels(const LearningLevels& levels, const std::array<QString, kChannels>& names) {
    // Ten readings a second while a button is awaited, most of them the
    // same: only a change is painted.
    const bool same = levels.phase == levels_.phase && levels.current == levels_.current &&
                      levels.idleMaximum == levels_.idleMaximum && levels.pressThreshold == levels_.pressThreshold &&
                      levels.recognisedRow == levels_.recognisedRow && names == names_;
    levels_ = levels;
    names_ = names;
    if (!same) update();
}

void LevelBars::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QString phase = QString::fromUtf8(levels_.phase == LearningCollecting ? localized("Press the buttons")
                                                               : localized("Idle"));
    painter.drawText(QRect(0, 2, width(), 18), Qt::AlignCenter, phase);
    const int bottom = kTop + kBarHeight;
    for (int c = 0; c < kChannels; ++c) {
        const int left = kMargin + c * (kBarWidth + kBarGap);
        const QRect frame(left, kTop, kBarWidth, kBarHeight);
        const QColor text = palette().color(QPalette::WindowText);
        painter.setPen(text);
        painter.drawText(QRect(left - kBarGap / 2, kTop - 18, kBarWidth + kBarGap, 16), Qt::AlignCenter,
                         QString::fromStdString(editor::channelCaption(c)));
        painter.fillRect(frame, lightBackground(palette(), QColor(235, 235, 235)));
        const bool pressed = levels_.pressed(c);
        const int h = levelHeight(levels_.current[c]);
        painter.fillRect(QRect(left, bottom - h, kBarWidth, h), pressed ? QColor(0, 0, 255) : QColor(120, 160, 200));
        painter.setPen(text);
        painter.drawRect(frame.adjusted(0, 0, -1, -1));

        // The idle maximum (grey) and, once collecting, the press threshold (red).
        auto mark = [&](int level, const QColor& colour) {
            const int y = bottom - levelHeight(level);
            painter.setPen(QPen(colour, 2));
            painter.drawLine(left - 4, y, left + kBarWidth + 4, y);
        };
        mark(levels_.idleMaximum[c], QColor(90, 90, 90));
        if (levels_.phase == LearningCollecting) mark(levels_.pressThreshold[c], QColor(210, 0, 0));

        painter.setPen(text);
        painter.drawText(QRect(left - kBarGap / 2, bottom + 2, kBarWidth + kBarGap, 16), Qt::AlignCenter,
                         QString::number(levels_.current[c]));
        QFont bold = painter.font();
        bold.setBold(true);
        painter.save();
        painter.setFont(bold);
        painter.setPen(isDarkPalette(palette()) ? palette().color(QPalette::Link) : QColor(0, 0, 255));
        painter.drawText(QRect(left - kBarGap / 2, bottom + 17, kBarWidth + kBarGap, 16), Qt::AlignCenter,
                         names_[c]);
        painter.restore();
    }
}

} // namespace zmt::ui
