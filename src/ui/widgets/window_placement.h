#pragma once
// Where the program's windows go: one set of rules for every window it
// places. A window stays on the screen's free area, a stored place counts
// while the window is still reachable there, and a second window goes beside
// the main one (right, left, below or above) before it may cover it.
//
// The rules work on plain numbers, so that the window settings, built
// without Qt, share them; the windows call the same functions with Qt's
// rectangles (the overloads at the end, for code built with Qt).
#include <optional>
#include <vector>

namespace zmt::ui {

struct Size {
    int width;
    int height;
};
struct Position {
    int left;
    int top;
};
// A window's outer rectangle or a screen's free area. Right and bottom are
// the last pixels inside, as Qt counts them.
struct Frame {
    int left;
    int top;
    int width;
    int height;
    int right() const { return left + width - 1; }
    int bottom() const { return top + height - 1; }
};

// Where a window of size window goes on a screen of size screen, given the
// stored position: the stored one while the window stays reachable (top from
// 0 to H - h/2, left from -w/2 to W - w/2), otherwise centred.
Position placeWindow(std::optional<int> storedLeft, std::optional<int> storedTop, Size screen, Size window);

// at moved the least needed for a window of size window to lie on screen;
// a window larger than the screen keeps to its top-left corner.
Position keptOnScreen(Position at, Size window, const Frame& screen);

// Right of frame, gap pixels clear of it, tops level.
Position rightOf(const Frame& frame, int gap);

// A window of width width inside frame against its right edge, tops level.
Position againstRightEdge(const Frame& frame, int width);

// Where the picker (outer size picker) goes beside the main window (its
// frame main) within screen (the screen's free area), for a click on
// clicked (empty for none): below, above, right or left of the main window
// where it fits there; otherwise on the screen, clear of clicked, then of
// the areas in keepClear (the window's toolbar and event tabs), and over as
// little of the main window as it can. The top-left of its frame.
Position pickerBeside(const Frame& main, const Frame& clicked, Size picker, const Frame& screen,
                      const std::vector<Frame>& keepClear = {});

// Where a second window of outer size other goes beside the main window
// (frame main) within screen (the screen's free area): right of it where
// that fits, else left of it; where neither side has room the two are
// centred side by side, so the main window moves as well. The top-left
// corners of both frames; the second window never leaves the screen where it
// is smaller than the screen.
struct SideBySidePlaces {
    Position main;
    Position other;
};
SideBySidePlaces placeBeside(const Frame& main, Size other, const Frame& screen, int gap);

// The widest a window may grow to: wanted, but no wider than the screen's
// free width less its frame (frameExtra, outer minus inner width).
int widthOnScreen(int wanted, int frameExtra, const Frame& screen);

} // namespace zmt::ui

#ifdef QT_CORE_LIB
// The same rules over Qt's geometry, for the windows.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace zmt::ui {

inline Frame toFrame(const QRect& rect) { return {rect.left(), rect.top(), rect.width(), rect.height()}; }
inline Size toSize(const QSize& size) { return {size.width(), size.height()}; }
inline QPoint toPoint(Position at) { return {at.left, at.top}; }

inline QPoint placeWindow(std::optional<int> storedLeft, std::optional<int> storedTop, const QSize& screen,
                          const QSize& window) {
    return toPoint(placeWindow(storedLeft, storedTop, toSize(screen), toSize(window)));
}
inline QPoint keptOnScreen(const QPoint& at, const QSize& window, const QRect& screen) {
    return toPoint(keptOnScreen(Position{at.x(), at.y()}, toSize(window), toFrame(screen)));
}
inline QPoint rightOf(const QRect& frame, int gap) { return toPoint(rightOf(toFrame(frame), gap)); }
inline QPoint againstRightEdge(const QRect& frame, int width) { return toPoint(againstRightEdge(toFrame(frame), width)); }
inline QPoint pickerBeside(const QRect& main, const QRect& clicked, const QSize& picker, const QRect& screen,
                           const std::vector<QRect>& keepClear = {}) {
    std::vector<Frame> areas;
    for (const QRect& area : keepClear) areas.push_back(toFrame(area));
    return toPoint(pickerBeside(toFrame(main), toFrame(clicked), toSize(picker), toFrame(screen), areas));
}
struct SideBySide {
    QPoint main;
    QPoint other;
};
inline SideBySide placeBeside(const QRect& main, const QSize& other, const QRect& screen, int gap) {
    const SideBySidePlaces places = placeBeside(toFrame(main), toSize(other), toFrame(screen), gap);
    return {toPoint(places.main), toPoint(places.other)};
}
inline int widthOnScreen(int wanted, int frameExtra, const QRect& screen) {
    return widthOnScreen(wanted, frameExtra, toFrame(screen));
}

} // namespace zmt::ui
#endif
