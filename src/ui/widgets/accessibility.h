#pragma once
// What a screen reader is told about our own controls beyond what Qt tells
// by itself: our windows are windows (a plain QWidget window reads as a
// filler), a picker key says whether the reaction holds it, and a picture
// button is named by its hint.
class QWidget;

namespace zmt::ui {

// Registers our interfaces with Qt's accessibility (once; later calls do
// nothing). The Program does it before it builds the windows.
void installAccessibility();

// The control is read out as a window.
void markAsWindow(QWidget& window);

// A toggle of the picker: exposed as a checkable button, checked while its
// "selected" property is true. Call setToggleChecked to change both.
void markAsToggle(QWidget& control);
void setToggleChecked(QWidget& control, bool checked);

// The control's accessible name follows its hint (a picture button has no
// text), without the shortcut the hint names in brackets at its end.
void nameAfterHint(QWidget& control);

} // namespace zmt::ui
