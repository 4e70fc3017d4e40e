#include "test_languages.h"
#include "config/config_diff.h"
#include "lang/lang.h"
#include "learned_buttons.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zmt;

namespace {

// Learned buttons, one event on VOL+ giving Enter, the defaults' long tap.
ConfigImage baseImage() {
    ConfigImage image{};
    fixtures::putLearnedButtons(image);
    image.keysLearned = 1;
    image.longPressTimeout = 1500;
    image.touchMode = 1;
    image.events[0].keyRow = 1;
    image.events[0].flags = EventShortPress;
    image.events[0].reaction = {ReactionKeyboard, 0, 0x28, 0};
    image.homeReaction = {ReactionKeyboard, 0, 0x4A, 0};
    return image;
}

struct Change {
    const char* name;
    std::function<void(ConfigImage&)> apply;
    ListingSection section;
    const char* key;
    bool before;   // the part is there in the first configuration
    bool after;
};

const Change kChanges[] = {
    {"button renamed", [](ConfigImage& i) { i.keys[0][1].setName("MUTE"); }, ListingSection::Buttons, "ch1.2", true, true},
    {"button added", [](ConfigImage& i) { i.keys[2][1] = KeyRecord{90, 10, {}}; }, ListingSection::Buttons, "ch3.2", false, true},
    {"reaction changed", [](ConfigImage& i) { i.events[0].reaction.arg2 = 0x29; }, ListingSection::Events, "event1", true, true},
    {"event cleared", [](ConfigImage& i) { i.events[0] = EventRecord{}; }, ListingSection::Events, "event1", true, false},
    {"event added", [](ConfigImage& i) { i.events[11] = i.events[0]; }, ListingSection::Events, "event12", false, true},
    {"HOME changed", [](ConfigImage& i) { i.homeReaction.arg2 = 0x4D; }, ListingSection::Home, "home", true, true},
    {"long tap", [](ConfigImage& i) { i.longPressTimeout = 900; }, ListingSection::Parameters, "longTap", true, true},
    {"encoder", [](ConfigImage& i) { i.enc1Div = 4; }, ListingSection::Parameters, "encoder2", true, true},
    {"head unit", [](ConfigImage& i) { i.headType = 2; }, ListingSection::Parameters, "headUnit", true, true},
    {"memory only", [](ConfigImage& i) { i.touchFlags |= 0x80; }, ListingSection::Parameters, "memory", false, true},
};

class ConfigDiffTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { setLanguage(codeOf(GetParam())); }
    void TearDown() override { setLanguage("en"); }
};

} // namespace

TEST_P(ConfigDiffTest, EachKindOfChangeIsOnePartInItsSection) {
    const ConfigImage base = baseImage();
    EXPECT_TRUE(compareConfigurations(base, base).empty());
    EXPECT_TRUE(differenceLines({}).empty());
    for (const Change& change : kChanges) {
        SCOPED_TRACE(change.name);
        ConfigImage changed = base;
        change.apply(changed);
        const auto differences = compareConfigurations(base, changed);
        ASSERT_EQ(differences.size(), 1u);
        EXPECT_EQ(differences[0].section, change.section);
        EXPECT_EQ(differences[0].key, change.key);
        EXPECT_EQ(differences[0].before.empty(), !change.before);
        EXPECT_EQ(differences[0].after.empty(), !change.after);
        // The other way round, the sides swap (bytes without words read alike).
        if (std::string(change.key) == "memory") continue;
        const auto back = compareConfigurations(changed, base);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].before, differences[0].after);
        EXPECT_EQ(back[0].after, differences[0].before);
    }
}

TEST_P(ConfigDiffTest, LinesReadAsTheListingUnderSectionTitlesInOrder) {
    const ConfigImage base = baseImage();
    ConfigImage changed = base;
    changed.longPressTimeout = 900;
    changed.events[9] = base.events[0];          // event 10
    changed.events[1] = base.events[0];          // event 2
    changed.keys[0][1].setName("MUTE");
    const auto lines = differenceLines(compareConfigurations(base, changed));
    const bool ru = GetParam() == Russian;
    const std::vector<std::string> expected = {
        ru ? "Кнопки" : "Buttons",
        ru ? "  - Канал 1 [2]  VOL-   код 60, допуск 10" : "  - Ch 1 [2]  VOL-   code 60, limit 10",
        ru ? "  + Канал 1 [2]  MUTE   код 60, допуск 10" : "  + Ch 1 [2]  MUTE   code 60, limit 10",
        ru ? "События" : "Events",
        ru ? "  + 2: Кнопка VOL+; Короткое нажатие" : "  + 2: Button VOL+; Short press",
        ru ? "  + Реакция: Enter" : "  + Response: Enter",
        ru ? "  + 10: Кнопка VOL+; Короткое нажатие" : "  + 10: Button VOL+; Short press",
        ru ? "  + Реакция: Enter" : "  + Response: Enter",
        ru ? "Параметры" : "Parameters",
        ru ? "  - Длинное нажатие > 1500 мСек" : "  - Long tap > 1500 mSec",
        ru ? "  + Длинное нажатие > 900 мСек" : "  + Long tap > 900 mSec",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(differenceSummary(compareConfigurations(base, changed)),
              ru ? "Отличается: кнопок: 1, событий: 2, параметры" : "Differs: buttons: 1, events: 2, parameters");
    EXPECT_EQ(differenceSummary({}), ru ? "Совпадает" : "Same");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ConfigDiffTest, ::testing::Values(int(Russian), int(English)));
