#pragma once
// What the main window restores at start and hands back at shut-down. The
// settings file reads and writes these values; the window only applies them.
#include <optional>

class QRect;
class QSize;
class QPoint;

namespace zmt::ui {

struct MainWindowSettings {
    std::optional<int> mainTop;     // absent: centred on the screen
    std::optional<int> mainLeft;
    int eventPage = 0;              // tab index of the event tabs, 0..59
    int language = 0;
    bool log = false;               // MenuItemLog tick
    bool debug = false;             // MenuItemDebug tick
    std::optional<int> keyTop;      // the picker window
    std::optional<int> keyLeft;
    bool keyVisible = false;
};

// Where a window of windowSize goes on a screen of screenSize: the saved
// corner when it keeps at least half of the window reachable, otherwise the
// centre of the screen (halves truncated toward zero).
QPoint restoredPosition(std::optional<int> left, std::optional<int> top, const QSize& windowSize,
                        const QSize& screenSize);

} // namespace zmt::ui
