// The controller-wide settings and the rules by which they exclude each other.
#include "ui/editor/parameter_rules.h"

#include "lang/lang.h"
#include "parameter_images.h"

#include <gtest/gtest.h>

#include <string>

using namespace zmt;
using zmt::test::imageWith;

TEST(LongPressTimeout, AnythingOutside200To1500Becomes1500) {
    // The usual cases are typed into the panel's field in its own test.
    for (const char* text : {"199", "1501", "-300", "65736", "999999", "   "}) {
        EXPECT_EQ(correctedLongPressTimeout(text), 1500) << '"' << text << '"';
    }
    EXPECT_EQ(correctedLongPressTimeout("200"), 200);
    EXPECT_EQ(correctedLongPressTimeout(" 700"), 700);
    EXPECT_EQ(correctedLongPressTimeout(std::string(100, '9')), 1500);
}

TEST(EncoderDivisor, StoredAsShownMinusOneWithinRange) {
    ConfigImage image{};
    setEncoderDivisor(image, 0, 10);
    setEncoderDivisor(image, 1, 1);
    EXPECT_EQ(image.enc0Div, 9);
    EXPECT_EQ(image.enc1Div, 0);
    setEncoderDivisor(image, 1, 0);
    setEncoderDivisor(image, 0, 200);
    EXPECT_EQ(image.enc1Div, 0);
    EXPECT_EQ(image.enc0Div, 9);
}

TEST(ParameterExclusions, EncoderPinsSwitchOffWhatUsesTheSamePins) {
    ConfigImage image = imageWith(0, 0, 2, 3, TOUCH_5LINES | TOUCH_WINDOWS);
    EXPECT_TRUE(setEncoderMode(image, 0, EncoderRxdTxd));
    EXPECT_EQ(image.enc0Mode, EncoderRxdTxd);
    EXPECT_EQ(image.headType, 0);
    EXPECT_EQ(image.touchMode, 2);   // RXD/TXD leaves the touch panel alone

    image = imageWith(0, 0, 2, 3, TOUCH_5LINES);
    setEncoderMode(image, 1, EncoderTouch34);
    EXPECT_EQ(image.enc1Mode, EncoderTouch34);
    EXPECT_EQ(image.touchMode, 0);
    EXPECT_EQ(image.headType, 3);

    image = imageWith(0, 0, 1, 0, TOUCH_5LINES | TOUCH_WINDOWS);
    setEncoderMode(image, 0, EncoderKeys12);
    EXPECT_EQ(image.touchFlags, TOUCH_WINDOWS);
    EXPECT_EQ(image.touchMode, 1);

    // Choosing "Disabled" as touch mode still clears the head unit.
    image = imageWith(EncoderTouch34, EncoderRxdTxd, 0, 4, 0);
    setTouchMode(image, 0);
    EXPECT_EQ(image.headType, 0);
    EXPECT_EQ(image.enc0Mode, EncoderDisabled);
    EXPECT_EQ(image.enc1Mode, EncoderRxdTxd);
}


// What a rule switched off, named for the user; the setting being edited is
// never among them (choosing "none" yourself is no surprise).
TEST(ParameterExclusions, WhatARuleSwitchedOffIsNamed) {
    const struct {
        ConfigImage before;
        bool (*edit)(ConfigImage&);
        ExclusiveSetting edited;
        const char* named;
    } cases[] = {
        {imageWith(EncoderRxdTxd, EncoderTouch12, 2, 0, 0), [](ConfigImage& i) { return setHeadType(i, 1); },
         ExclusiveSetting::HeadType, "encoder 1, touch panel mode"},
        {imageWith(0, 0, 0, 3, 0), [](ConfigImage& i) { return setTouchMode(i, 0); }, ExclusiveSetting::TouchMode,
         "head unit type"},
        {imageWith(0, 0, 2, 0, 0), [](ConfigImage& i) { return setHeadType(i, 0); }, ExclusiveSetting::HeadType,
         "touch panel mode"},
        {imageWith(EncoderKeys12, EncoderKeys12, 0, 0, 0), [](ConfigImage& i) { return setFiveWireTouch(i, true); },
         ExclusiveSetting::FiveWireTouch, "encoder 1, encoder 2"},
        {imageWith(0, 0, 1, 0, TOUCH_5LINES), [](ConfigImage& i) { return setEncoderMode(i, 1, EncoderKeys12); },
         ExclusiveSetting::Encoder2Mode, "5-wire touch panel"},
        {imageWith(EncoderRxdTxd, 0, 0, 0, 0), [](ConfigImage& i) { return setEncoderMode(i, 0, EncoderDisabled); },
         ExclusiveSetting::Encoder1Mode, ""},
    };
    setLanguage("en");
    for (const auto& c : cases) {
        ConfigImage after = c.before;
        c.edit(after);
        EXPECT_EQ(switchedOffSettings(c.before, after, c.edited), c.named);
    }
    setLanguage("ru");
    ConfigImage after = cases[0].before;
    setHeadType(after, 1);
    EXPECT_EQ(switchedOffSettings(cases[0].before, after, ExclusiveSetting::HeadType),
              "энкодер 1, режим сенсорной панели");
}
