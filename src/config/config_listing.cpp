#include "config/config_listing.h"

#include "config/editor_rules.h"
#include "config/key_names.h"
#include "config/reaction_text.h"
#include "lang/lang.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace zmt {

namespace {

// An item of one of the editor's lists, or the stored number itself when a
// file holds a value no list has (the listing must show it, not hide it).
std::string itemText(const char* const* items, int count, unsigned value) {
    if (value < static_cast<unsigned>(count)) return LangText(items[value]);
    return formatText("? (%u)", value);
}

std::string yesNo(bool on) { return LangText(on ? "да\0yes" : "нет\0no"); }

bool allZero(const void* bytes, std::size_t n) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] != 0) return false;
    }
    return true;
}

void listButtons(const editor::KeysGridRules& grid, const ConfigImage& image, std::vector<std::string>& lines) {
    lines.push_back(LangText("Кнопки\0Buttons"));
    for (int channel = 0; channel < kChannels; ++channel) {
        for (int row = 1; row <= kSlotsPerChannel; ++row) {
            const KeyRecord* key = image.keyAt(channel, row);
            if (key->level == 0) continue;
            // Padded by characters, not bytes, so Cyrillic names line up too.
            std::string name = grid.cellText(channel, row);
            name.append(kKeyNameLength - std::min<std::size_t>(editor::characterCount(name), kKeyNameLength), ' ');
            lines.push_back(formatText(LangText("  Канал %d [%d]  %s  код %u, допуск %u\0"
                                                "  Ch %d [%d]  %s  code %u, limit %u"),
                                       channel + 1, row, name.c_str(), unsigned{key->level},
                                       unsigned{key->tolerance}));
        }
    }
}

std::string triggerText(const editor::EventView& view) {
    if (view.irTrigger) return std::string(LangText("ИК код\0IR code")) + " " + view.irText;
    std::string text;
    if (!view.modifierText.empty()) {
        text += std::string(LangText("Модификатор\0Modifier")) + " " + view.modifierText;
    }
    if (!view.keyText.empty()) {
        if (!text.empty()) text += ", ";
        text += std::string(LangText("Кнопка\0Button")) + " " + view.keyText;
    }
    return text;
}

void listEvents(_zelmorvatouch& copy, std::vector<std::string>& lines) {
    editor::KeysGridRules grid(copy);
    editor::EventRules events(copy, grid);
    lines.push_back(LangText("События\0Events"));
    for (int index = 0; index < kEvents; ++index) {
        const editor::EventView view = events.showEvent(index);
        const EventRecord& event = copy.image.events[index];
        if (allZero(&event, sizeof event)) continue;
        std::string line = formatText("  %d: ", index + 1) + triggerText(view) + "; " +
                           itemText(kEventTypeItems, kEventTypeCount, static_cast<unsigned>(view.eventType));
        if (view.once) line += std::string("; ") + LangText("Однократно\0One time only");
        if (view.wakeUp) line += std::string("; ") + LangText("Пробуждать\0Wake Up");
        lines.push_back(line);
        lines.push_back(std::string("      ") + LangText("Реакция: \0Response: ") + reactionListingText(event.reaction));
    }
}

void listParameters(const ConfigImage& image, std::vector<std::string>& lines) {
    lines.push_back(LangText("Параметры\0Parameters"));
    lines.push_back(formatText(LangText("  Длинное нажатие > %u мСек\0  Long tap > %u mSec"),
                               unsigned{image.longPressTimeout}));
    const uint8_t modes[2] = {image.enc0Mode, image.enc1Mode};
    const uint8_t divisors[2] = {image.enc0Div, image.enc1Div};
    for (int encoder = 0; encoder < 2; ++encoder) {
        lines.push_back(formatText(LangText("  Энкодер %d: режим %s, делитель %u\0"
                                            "  Encoder %d: mode %s, divisor %u"),
                                   encoder + 1,
                                   itemText(kEncoderModeItems, kEncoderModeCount, modes[encoder]).c_str(),
                                   divisors[encoder] + 1u));
    }
    lines.push_back(formatText(LangText("  Тачпанель: Windows %s, 5 проводная %s, пробуждать %s, режим %s\0"
                                        "  Touch panel: Windows %s, 5 lines %s, wake up %s, mode %s"),
                               yesNo(image.touchFlags & TOUCH_WINDOWS).c_str(),
                               yesNo(image.touchFlags & TOUCH_5LINES).c_str(), yesNo(image.touchWakeUp != 0).c_str(),
                               itemText(kTouchModeItems, kTouchModeCount, image.touchMode).c_str()));
    lines.push_back(formatText(LangText("  Головное устройство: %s\0  Head unit: %s"),
                               itemText(kHeadTypeItems, kHeadTypeCount, image.headType).c_str()));
}

} // namespace

std::string reactionListingText(const Reaction& reaction) {
    const std::vector<std::string> memo = reactionMemoLines(reaction);
    std::string text;
    for (std::size_t i = 1; i < memo.size(); ++i) {
        if (i > 1) text += ' ';
        text += memo[i];
    }
    return text;
}

std::vector<std::string> listConfiguration(const ConfigImage& image) {
    // The record is large for a stack and only the copy's image is used.
    auto copy = std::make_unique<_zelmorvatouch>();
    copy->image = image;
    std::vector<std::string> lines;
    editor::KeysGridRules grid(*copy);
    listButtons(grid, image, lines);
    listEvents(*copy, lines);
    lines.push_back(std::string(LangText("Кнопка HOME: \0Button HOME: ")) + reactionListingText(image.homeReaction));
    listParameters(image, lines);
    return lines;
}

} // namespace zmt
