#include "config/config_image.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zmt;

namespace {

ConfigImage emptyImage() { return ConfigImage{}; }

void setLevels(ConfigImage& image, int channel, std::initializer_list<uint8_t> levels) {
    int slot = 0;
    for (uint8_t level : levels) image.keys[channel][slot++].level = level;
}

} // namespace

TEST(ConfigImageLayout, FieldsLandOnTheControllerMemoryOffsets) {
    ConfigImage image = emptyImage();
    image.longPressTimeout = 1500;
    image.keys[2][3].level = 0xAB;
    image.keys[2][3].setName("VOL+");
    image.events[7].flags = 0x31;
    image.events[7].reaction = {ReactionConsumer, 0, 0, 0};
    image.events[7].reaction.setWord(0x00E9);
    image.homeReaction.kind = ReactionKeyboard;
    image.enc1Div = 9;

    const uint8_t* bytes = image.bytes();
    EXPECT_EQ(bytes[965], 0xDC); // 1500, little-endian
    EXPECT_EQ(bytes[966], 0x05);
    const int key = 5 + 2 * 105 + 3 * 7;
    EXPECT_EQ(bytes[key], 0xAB);
    EXPECT_EQ(std::memcmp(bytes + key + 2, "VOL+\0", 5), 0);
    const int event = 425 + 7 * 9;
    EXPECT_EQ(bytes[event + 4], 0x31);
    EXPECT_EQ(bytes[event + 5], ReactionConsumer);
    EXPECT_EQ(bytes[event + 7], 0xE9);
    EXPECT_EQ(bytes[event + 8], 0x00);
    EXPECT_EQ(bytes[970], ReactionKeyboard);
    EXPECT_EQ(bytes[978], 9);
    EXPECT_EQ(image.keyAt(2, 4), &image.keys[2][3]);
}

TEST(ConfigImageLayout, AnInfraredTriggerSharesTheButtonTriggerBytes) {
    EventRecord event{};
    event.setIrCode({0x45, 0xBF00, 1});
    event.flags = EV_IR_TRIGGER | EventShortPress;
    EXPECT_EQ(event.keyRow, 0x45);
    EXPECT_EQ(event.keyCol, 0x00); // address low byte first
    EXPECT_EQ(event.modRow, 0xBF);
    EXPECT_EQ(event.modCol, 1);
    EXPECT_TRUE(event.irTrigger());
    EXPECT_EQ(event.eventType(), EventShortPress);
    EXPECT_EQ(uint16_t{event.irCode().address}, 0xBF00);
    event.flags = 0x80; // any trigger bit counts, not only the one the editor sets
    EXPECT_TRUE(event.irTrigger());
    EXPECT_TRUE(IrCode{}.empty());
}

TEST(ConfigImageLayout, KeyAddressingRejectsCellsOutsideTheGrid) {
    ConfigImage image = emptyImage();
    EXPECT_EQ(image.keyAt(0, 0), nullptr);
    EXPECT_EQ(image.keyAt(0, 16), nullptr);
    EXPECT_EQ(image.keyAt(4, 1), nullptr); // the encoder column has no key records
    EXPECT_EQ(image.keyAt(-1, 1), nullptr);
    EXPECT_EQ(image.keyAt(3, 15), &image.keys[3][14]);
    EXPECT_EQ(image.eventAt(59), &image.events[59]);
    EXPECT_EQ(image.eventAt(60), nullptr);
    EXPECT_EQ(image.eventAt(-1), nullptr);
}

TEST(KeyName, FiveCharactersFillTheFieldWithoutTerminator) {
    KeyRecord key{};
    key.setName("MUTE+X"); // cut to five
    EXPECT_EQ(std::memcmp(key.name, "MUTE+", 5), 0);
    EXPECT_EQ(key.nameText(), "MUTE+");
    key.setName("UP");
    EXPECT_EQ(std::memcmp(key.name, "UP\0\0\0", 5), 0);
    EXPECT_EQ(key.nameText(), "UP");
    key.name[0] = '\0';
    key.name[1] = 'X'; // bytes after a leading NUL do not make a name
    EXPECT_EQ(key.nameText(), "");
}

TEST(BlankDeviceFixUp, AnAllZeroMemoryGetsTheDefaultTimeoutAndNoThresholds) {
    ConfigImage image = emptyImage();
    blankDeviceFixUp(image);
    ConfigImage expected = emptyImage();
    expected.longPressTimeout = 1500;
    std::memset(expected.channelThreshold, 255, 4);
    EXPECT_EQ(std::memcmp(image.bytes(), expected.bytes(), kConfigImageSize), 0);
}

TEST(BlankDeviceFixUp, AConfiguredControllerIsLeftAlone) {
    ConfigImage image = emptyImage();
    image.longPressTimeout = 1; // any non-zero time-out means configured
    image.channelThreshold[0] = 70;
    blankDeviceFixUp(image);
    EXPECT_EQ(uint16_t{image.longPressTimeout}, 1);
    EXPECT_EQ(image.channelThreshold[0], 70);
    EXPECT_EQ(image.channelThreshold[1], 0);
}

TEST(FindKeySlot, MatchesWithinSevenInEitherDirectionFirstSlotWins) {
    ConfigImage image = emptyImage();
    setLevels(image, 1, {0, 107, 104, 93});
    EXPECT_EQ(findKeySlot(image, 1, 100), 2);  // 107 is within 7; the later 104 loses
    EXPECT_EQ(findKeySlot(image, 1, 114), 2);  // 107 from above
    EXPECT_EQ(findKeySlot(image, 1, 115), 0);  // 8 away from 107, 11 from 104
    EXPECT_EQ(findKeySlot(image, 1, 86), 4);   // 93 from above
    EXPECT_EQ(findKeySlot(image, 1, 85), 0);
    EXPECT_EQ(findKeySlot(image, 0, 100), 0);  // other channels are not searched
    setLevels(image, 2, {3});
    EXPECT_EQ(findKeySlot(image, 2, 0), 0);    // level 0 is "no button", never a match
    EXPECT_EQ(findKeySlot(image, 2, 1), 1);
    EXPECT_EQ(findKeySlot(image, 7, 100), 0);
}

TEST(FindFreeSlot, FirstEmptySlotOrNoneWhenAllFifteenAreUsed) {
    ConfigImage image = emptyImage();
    EXPECT_EQ(findFreeSlot(image, 3), 1);
    setLevels(image, 3, {10, 20, 0, 40});
    EXPECT_EQ(findFreeSlot(image, 3), 3);
    for (auto& key : image.keys[3]) key.level = 50;
    EXPECT_EQ(findFreeSlot(image, 3), 0);
    EXPECT_EQ(findFreeSlot(image, -1), 0);
}

TEST(ChannelCalculations, ThresholdAndTolerancesOfTwoButtons) {
    ConfigImage image = emptyImage();
    setLevels(image, 0, {160, 0, 120});
    image.keys[0][1].tolerance = 77; // an empty slot keeps its byte
    EXPECT_EQ(channelThreshold(image, 0, 20), 70);
    computeTolerances(image, 0, 20);
    EXPECT_EQ(image.keys[0][0].tolerance, 20);
    EXPECT_EQ(image.keys[0][2].tolerance, 20);
    EXPECT_EQ(image.keys[0][1].tolerance, 77);
}

TEST(ChannelCalculations, IdleLevelAboveTheButtonsAndRoundingDown) {
    ConfigImage image = emptyImage();
    setLevels(image, 2, {201, 30});
    EXPECT_EQ(channelThreshold(image, 2, 250), 140); // (30 + 250) / 2
    EXPECT_EQ(channelThreshold(image, 2, 255), 142); // 285 / 2, no 8-bit overflow
    computeTolerances(image, 2, 250);
    EXPECT_EQ(image.keys[2][0].tolerance, 24); // |201 - 250| / 2 beats |201 - 30| / 2
    EXPECT_EQ(image.keys[2][1].tolerance, 85); // |30 - 201| / 2 beats |30 - 250| / 2
}

TEST(ChannelCalculations, EmptyChannelAndEqualLevels) {
    ConfigImage image = emptyImage();
    EXPECT_EQ(channelThreshold(image, 1, 20), 255);
    setLevels(image, 1, {90, 90});
    computeTolerances(image, 1, 200);
    EXPECT_EQ(image.keys[1][0].tolerance, 0); // two buttons on one level cannot be told apart
    EXPECT_EQ(image.keys[1][1].tolerance, 0);
    EXPECT_EQ(channelThreshold(image, 9, 20), 255);
    computeTolerances(image, 9, 20); // a bad channel changes nothing and does not crash
}
