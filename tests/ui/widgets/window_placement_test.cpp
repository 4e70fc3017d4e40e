#include "ui/widgets/window_placement.h"

#include <gtest/gtest.h>

#include <utility>

using namespace zmt::ui;

namespace {

std::pair<int, int> pair(Position at) { return {at.left, at.top}; }

const Frame kScreen{0, 0, 1280, 800};
const Size kPicker{600, 250};

} // namespace

TEST(WindowPlacement, StoredPositionsStayWhileTheWindowIsReachable) {
    const Size screen{1280, 800};
    const Size window{400, 300};
    const Position centred{440, 250};
    const auto place = [&](std::optional<int> left, std::optional<int> top) {
        const Position p = placeWindow(left, top, screen, window);
        return std::pair{p.left, p.top};
    };
    EXPECT_EQ(place(-10, 0), std::pair(-10, 0));
    EXPECT_EQ(place(-200, 650), std::pair(-200, 650));  // both limits themselves still count
    EXPECT_EQ(place(1080, 10), std::pair(1080, 10));
    EXPECT_EQ(place(-201, 10), std::pair(centred.left, 10));
    EXPECT_EQ(place(1081, 10), std::pair(centred.left, 10));
    EXPECT_EQ(place(10, -1), std::pair(10, centred.top));
    EXPECT_EQ(place(10, 651), std::pair(10, centred.top)); // below H - h/2
    EXPECT_EQ(place(std::nullopt, std::nullopt), std::pair(centred.left, centred.top));
    // A window larger than the screen is centred off the top-left corner.
    const Position big = placeWindow(std::nullopt, std::nullopt, {800, 600}, {1001, 901});
    EXPECT_EQ(big.left, 400 - 500);
    EXPECT_EQ(big.top, 300 - 450);
}

TEST(WindowPlacement, AWindowIsMovedOntoTheScreensFreeAreaOnlyAsFarAsNeeded) {
    const Frame second{1280, 0, 1280, 800};   // the screen right of the first
    EXPECT_EQ(pair(keptOnScreen({1500, 100}, {400, 300}, second)), std::pair(1500, 100));
    EXPECT_EQ(pair(keptOnScreen({1000, -20}, {400, 300}, second)), std::pair(1280, 0));
    EXPECT_EQ(pair(keptOnScreen({2500, 700}, {400, 300}, second)), std::pair(2160, 500));
    // Larger than the screen: its top-left corner stays in sight.
    EXPECT_EQ(pair(keptOnScreen({1300, 10}, {1500, 900}, second)), std::pair(1280, 0));
    // A window grows no wider than the free width less its frame.
    EXPECT_EQ(widthOnScreen(900, 2, Frame{0, 0, 800, 600}), 798);
    EXPECT_EQ(widthOnScreen(500, 2, Frame{0, 0, 800, 600}), 500);
}

TEST(WindowPlacement, ThePickerGoesBelowOrAboveTheMainWindowWhereThereIsRoom) {
    // Centred under the window, gap 8 (the centre halved as Qt halves it).
    EXPECT_EQ(pair(pickerBeside({340, 100, 600, 400}, {}, kPicker, kScreen)), std::pair(339, 508));
    // No room below: above.
    EXPECT_EQ(pair(pickerBeside({340, 400, 600, 300}, {}, kPicker, kScreen)), std::pair(339, 142));
    // The same on a screen left of the first, all coordinates negative.
    EXPECT_EQ(pair(pickerBeside({-940, 100, 600, 400}, {}, kPicker, {-1280, 0, 1280, 800})), std::pair(-940, 508));
}

TEST(WindowPlacement, WithNoRoomBesideThePickerKeepsClearOfTheClickFirstThenCoversLittle) {
    // The window fills the screen's height: every place covers some of it.
    const Frame tall{100, 0, 1000, 800};
    // Least covered: right against the screen's edge, at the top.
    EXPECT_EQ(pair(pickerBeside(tall, {}, kPicker, kScreen)), std::pair(680, 0));
    // The panel clicked lies there: the same column, at the bottom.
    EXPECT_EQ(pair(pickerBeside(tall, {900, 100, 100, 50}, kPicker, kScreen)), std::pair(680, 550));
    // The toolbar along the window's top stays in sight as well.
    EXPECT_EQ(pair(pickerBeside(tall, {}, kPicker, kScreen, {{100, 0, 1000, 40}})), std::pair(680, 550));
    // Clicked at the bottom with the toolbar at the top: just below the toolbar.
    EXPECT_EQ(pair(pickerBeside(tall, {900, 600, 100, 50}, kPicker, kScreen, {{100, 0, 1000, 40}})),
              std::pair(680, 48));
}
