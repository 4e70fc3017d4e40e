#pragma once
// Captions of controls that sit at fixed places (the main window and the
// picker keep their design-time places): a caption that needs more room than
// its place gives, as a longer translation may, is shown elided ("Offset
// 10% wh…") instead of cut, whole in the accessible name, and kept whole in
// the property kFullTextProperty for the layout check. A caption that fits
// is set as it is.
class QAbstractButton;
class QGroupBox;
class QLabel;
class QString;
class QWidget;

namespace zmt::ui {

inline constexpr const char* kFullTextProperty = "fullText";

void setFittedText(QAbstractButton& button, const QString& text);
void setFittedText(QLabel& label, const QString& text);
void setFittedTitle(QGroupBox& group, const QString& title);

// True for a control no layout places: its room is what its geometry gives.
bool atFixedPlace(const QWidget& widget);

} // namespace zmt::ui
