// The placement rules of window_placement.h, on plain numbers.
#include "ui/widgets/window_placement.h"

#include <algorithm>
#include <tuple>

namespace zmt::ui {

namespace {

// The pixels a window of size window at at covers of area.
long long covered(Position at, Size window, const Frame& area) {
    const int left = std::max(at.left, area.left);
    const int right = std::min(at.left + window.width - 1, area.right());
    const int top = std::max(at.top, area.top);
    const int bottom = std::min(at.top + window.height - 1, area.bottom());
    if (window.width <= 0 || window.height <= 0 || area.width <= 0 || area.height <= 0 || right < left || bottom < top)
        return 0;
    return static_cast<long long>(right - left + 1) * (bottom - top + 1);
}

} // namespace

Position placeWindow(std::optional<int> storedLeft, std::optional<int> storedTop, Size screen, Size window) {
    const int centredTop = screen.height / 2 - window.height / 2;
    const int centredLeft = screen.width / 2 - window.width / 2;
    int top = storedTop.value_or(centredTop);
    if (top < 0 || top > screen.height - window.height / 2) top = centredTop;
    int left = storedLeft.value_or(centredLeft);
    if (left < -(window.width / 2) || left > screen.width - window.width / 2) left = centredLeft;
    return {left, top};
}

Position keptOnScreen(Position at, Size window, const Frame& screen) {
    return {std::max(screen.left, std::min(at.left, screen.right() + 1 - window.width)),
            std::max(screen.top, std::min(at.top, screen.bottom() + 1 - window.height))};
}

Position rightOf(const Frame& frame, int gap) { return {frame.right() + 1 + gap, frame.top}; }

Position againstRightEdge(const Frame& frame, int width) { return {frame.right() + 1 - width, frame.top}; }

Position pickerBeside(const Frame& main, const Frame& clicked, Size picker, const Frame& screen,
                      const std::vector<Frame>& keepClear) {
    constexpr int gap = 8;
    // Across: centred on the window first, then against either edge of the
    // window or of the screen. Down: below and above the window first (the
    // picker is wider than it is tall), then just clear of the panel
    // clicked and of each area to keep in sight, then the screen's edges.
    // The window's centre as Qt rounds it (the halved sum, toward zero).
    const int centredLeft = static_cast<int>((static_cast<long long>(main.left) + main.right()) / 2) - picker.width / 2;
    const int lefts[] = {centredLeft, main.left, main.right() + 1 - picker.width, screen.left,
                         screen.right() + 1 - picker.width};
    std::vector<int> tops{main.bottom() + 1 + gap, main.top - gap - picker.height};
    for (const Frame& area : keepClear) {
        tops.push_back(area.bottom() + 1 + gap);
        tops.push_back(area.top - gap - picker.height);
    }
    for (const int top : {clicked.bottom() + 1 + gap, clicked.top - gap - picker.height, screen.top,
                          screen.bottom() + 1 - picker.height}) {
        tops.push_back(top);
    }
    // At equal cost the earlier place wins: below, above, right and left of
    // the window first.
    std::vector<Position> wanted{{lefts[0], tops[0]}, {lefts[0], tops[1]}, rightOf(main, gap),
                                 {main.left - gap - picker.width, main.top}};
    for (const int top : tops)
        for (const int left : lefts) wanted.push_back({left, top});
    // Clear of the panel first, then of the toolbar and the tabs the user
    // goes on to, then over as little of the window as may be.
    Position best{0, 0};
    std::tuple<long long, long long, long long> bestCost{-1, -1, -1};
    for (const Position& place : wanted) {
        const Position at = keptOnScreen(place, picker, screen);
        long long kept = 0;
        for (const Frame& area : keepClear) kept += covered(at, picker, area);
        const std::tuple<long long, long long, long long> cost{covered(at, picker, clicked), kept,
                                                               covered(at, picker, main)};
        if (std::get<0>(bestCost) < 0 || cost < bestCost) {
            best = at;
            bestCost = cost;
        }
    }
    return best;
}

SideBySidePlaces placeBeside(const Frame& main, Size other, const Frame& screen, int gap) {
    Position mainAt{main.left, main.top};
    int x = 0;
    if (main.right() + gap + other.width <= screen.right()) {
        x = rightOf(main, gap).left;
    } else if (main.left - gap - other.width >= screen.left) {
        x = main.left - gap - other.width;
    } else {
        const int pair = main.width + gap + other.width;
        mainAt.left = screen.left + std::max(0, (screen.width - pair) / 2);
        x = mainAt.left + main.width + gap;
    }
    // Kept on the screen, even over the main window where there is no room.
    return {mainAt, keptOnScreen({x, main.top}, other, screen)};
}

int widthOnScreen(int wanted, int frameExtra, const Frame& screen) { return std::min(wanted, screen.width - frameExtra); }

} // namespace zmt::ui
