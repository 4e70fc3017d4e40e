#pragma once
// Message boxes: which caption, icon and buttons a flags value asks for, where
// the box goes, and the Qt box built from that. The flags follow the classic
// Windows message box values, which is what every caller passes:
// low nibble = button set, next nibble = icon, 0x100/0x200/0x300 = default
// button two/three/four. The four kinds 0x10, 0x20, 0x30, 0x40 have their own
// captions, and the question and warning kinds always ask Yes/No.
#include <QMessageBox>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <memory>
#include <vector>

namespace zmt::ui {

// Answers beyond OK (1), Yes (6) and No (7) that the general flags can ask for.
enum MsgBoxMoreAnswers : int { ID_CANCEL = 2, ID_ABORT = 3, ID_RETRY = 4, ID_IGNORE = 5, ID_TRYAGAIN = 10, ID_CONTINUE = 11 };

enum class MsgBoxIcon { None, Stop, Question, Exclamation, Information };

struct MsgBoxLayout {
    const char* captionLiteral;  // bilingual; "" when the kind has no caption
    MsgBoxIcon icon;
    std::vector<int> buttons;    // answers in the order shown
    int defaultButton;           // one of buttons
};
MsgBoxLayout msgBoxLayout(unsigned flags);

// Top-left corner that puts a box of boxSize centred over the owner's outer
// rectangle and shiftDown pixels lower; every halving truncates toward zero.
// An unreadable (empty) box size is placed as if it were 400 x 400.
QPoint centredPosition(const QRect& owner, const QSize& boxSize, int shiftDown);
inline constexpr int kMsgBoxShiftDown = 50;

// A box ready to run: caption in the current language, plain text (a file
// name or a controller's string is never read as markup), always on top, and
// moved over the owner when it is shown.
std::unique_ptr<QMessageBox> buildMsgBox(unsigned flags, const QString& text, QWidget* owner);
// The answer a finished box gives; closing it without a button gives the
// least committal answer it offers (Cancel, then No, then OK).
int msgBoxAnswer(const QMessageBox& box);
// Runs the box modally and gives its answer.
int execMsgBox(QMessageBox& box);

} // namespace zmt::ui
