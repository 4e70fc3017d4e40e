#pragma once
// What a button or an encoder turn is called wherever the configuration is
// shown: the buttons grid, the event editor, the learning window and
// zmtctl's listing all read the same names from here.
#include "config/config_image.h"

#include <string>

namespace zmt::editor {

// The caption of a channel or of the encoders (the grid's columns 0..4):
// "Канал 1".."Канал 4", "Энкодер".
std::string channelCaption(int column);
// Text of a grid cell in rows 1..15: the stored name, the automatic label
// of an unnamed button, the label of an encoder direction that is switched
// on, or empty; anything outside the grid is empty.
std::string buttonCellText(const ConfigImage& image, int column, int row);
// The encoder direction label of row 1..4 ("Enc1+"), whether or not it is on.
std::string encoderLabel(int row);
// Whether the encoder of direction row 1..4 is switched on.
bool encoderRowOn(const ConfigImage& image, int row);
// The name a button goes by: its stored name, or the automatic label of its
// channel and level; empty for a slot outside the grid.
std::string buttonName(const ConfigImage& image, int column, int row);
// The name the learning procedure shows under a channel's level bar for the
// button held on row (0: none): what its cell shows (a name being typed
// included), or else the name it goes by.
std::string heldButtonName(const ConfigImage& image, int column, int row, const std::string& cellText);
// How an event names a button it refers to: the cell's text, or for a slot
// that holds nothing a placeholder with its place ("2.[3] ?", "Enc1+ ?").
std::string triggerButtonText(const ConfigImage& image, int column, int row);

} // namespace zmt::editor
