#pragma once
// Small named control classes. The window translation acts by a control's
// exact class, so every kind of control that must be told apart from another
// one built on the same Qt class gets its own class here (a panel is a label
// with a frame, but a label's caption and a panel's caption are different
// kinds). Each carries Q_OBJECT so that its metaObject() is its own.
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QStringList>
#include <QWidget>

class QColor;
class QKeyEvent;


namespace zmt::ui {

// A framed area with a centred caption; may hold other controls.
class Panel : public QLabel {
    Q_OBJECT
public:
    explicit Panel(QWidget* parent = nullptr);

protected:
    // A panel the keyboard can reach (a drop box, a reaction, a picker key)
    // shows that it has the focus: a label never draws that itself.
    void paintEvent(QPaintEvent* event) override;
};

// The keys that act on a focused control as a click does (Space, Return,
// Enter), and those that clear what it holds (Delete, Backspace); without
// Ctrl or Alt, which belong to shortcuts.
bool isActivationKey(const QKeyEvent& key);

// Colours drawn in code follow the palette in force. Under a light palette
// the program's own colours stay as they are; under a dark one (light text
// on dark windows, as a dark or high-contrast theme has) a fixed light
// background gives way to the palette's, and text on a strong colour (blue,
// green, red) is white.
bool isDarkPalette(const QPalette& palette);
QColor lightBackground(const QPalette& palette, const QColor& light);
// Text drawn on a button-coloured face: black under a light palette, the
// palette's button text under a dark one.
QColor buttonFaceText(const QPalette& palette);
// lightRole names the text colour kept under a light palette.
QColor textOnStrongColour(const QPalette& palette, QPalette::ColorRole lightRole);
bool isDeletionKey(const QKeyEvent& key);

// One page of a QTabWidget; its caption is the page's tab text.
class TabSheet : public QWidget {
    Q_OBJECT
public:
    explicit TabSheet(QWidget* parent = nullptr) : QWidget(parent) {}
};

// A strip of flat buttons and panels placed by position.
class ToolBar : public QWidget {
    Q_OBJECT
public:
    explicit ToolBar(QWidget* parent = nullptr) : QWidget(parent) {}
};

// How far two colours stand out from each other: the ratio of their
// luminances (each plus 0.05), 1 for the same to 21 for black on white.
double contrastRatio(const QColor& a, const QColor& b);
// How far a picture's colours stand out from the button face they are drawn
// on: 3, the usual least for graphics.
inline constexpr double kPictureContrast = 3.0;
// picture with every colour that does not stand out that far from a dark
// face made lighter until it does; hue, saturation and transparency kept.
// The picture icons draw themselves so under a dark palette.
QImage readableOnDarkFace(const QImage& picture, const QColor& face);

// A picture of the program's (a PNG resource such as ":/icons/undo.png"),
// together with its twice-as-large twin "undo@2x.png" for dense screens; Qt
// only looks for the twin itself when the screen is dense at start-up.
QIcon pictureIcon(const char* resource);
// One drawing as PNG files of several sizes, smallest first (the window
// icon's 16 to 256 pixels).
QIcon pictureIcon(const QStringList& files);

} // namespace zmt::ui
