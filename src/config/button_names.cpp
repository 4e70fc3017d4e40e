#include "config/button_names.h"

#include "config/key_names.h"
#include "lang/lang.h"

namespace zmt::editor {

namespace {

constexpr const char* kEncoderLabels[kEncoderDirections] = {"Enc1+", "Enc1-", "Enc2+", "Enc2-"};

} // namespace

std::string channelCaption(int column) {
    if (column >= 0 && column < kChannels) return formatText(localized("Ch %d"), column + 1);
    if (column == kEncoderColumn) return localized("Encoder");
    return {};
}

std::string encoderLabel(int row) {
    return row >= 1 && row <= kEncoderDirections ? kEncoderLabels[row - 1] : "";
}

bool encoderRowOn(const ConfigImage& image, int row) {
    if (row == 1 || row == 2) return image.enc0Mode != 0;
    if (row == 3 || row == 4) return image.enc1Mode != 0;
    return false;
}

std::string buttonCellText(const ConfigImage& image, int column, int row) {
    if (column == kEncoderColumn) return encoderRowOn(image, row) ? encoderLabel(row) : std::string();
    const KeyRecord* key = image.keyAt(column, row);
    if (key == nullptr || key->level == 0) return {};
    if (key->name[0] != '\0') return nameBytesToText(key->name, kKeyNameLength);
    return autoLabel(column, key->level);
}

std::string buttonName(const ConfigImage& image, int column, int row) {
    const KeyRecord* key = image.keyAt(column, row);
    if (key == nullptr) return {};
    const std::string name = key->nameText();
    return name.empty() ? autoLabel(column, key->level) : name;
}

std::string heldButtonName(const ConfigImage& image, int column, int row, const std::string& cellText) {
    if (row == 0) return {};
    return cellText.empty() ? buttonName(image, column, row) : cellText;
}

std::string triggerButtonText(const ConfigImage& image, int column, int row) {
    std::string text = buttonCellText(image, column, row);
    if (!text.empty()) return text;
    if (column == kEncoderColumn && row >= 1 && row <= kEncoderDirections) {
        return std::string(kEncoderLabels[row - 1]) + " ?";
    }
    return formatText("%d.[%d] ?", column + 1, row);
}

} // namespace zmt::editor
