#pragma once
// Message boxes: which caption, icon and buttons a box's kind asks for, where
// the box goes, and the Qt box built from that. Each of the four kinds has
// its caption; questions and warnings ask Yes/No, errors and information
// offer OK.
#include "device/host.h"

#include <QMessageBox>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <memory>
#include <vector>

namespace zmt::ui {

enum class MsgBoxIcon { None, Stop, Question, Exclamation, Information };

struct MsgBoxLayout {
    const char* captionLiteral;  // English, marked N_
    MsgBoxIcon icon;
    std::vector<Answer> buttons; // answers in the order shown
    Answer defaultButton;        // one of buttons
};
MsgBoxLayout msgBoxLayout(MessageStyle style);

// Top-left corner that puts a box of boxSize centred over the owner's outer
// rectangle and shiftDown pixels lower; every halving truncates toward zero.
// An unreadable (empty) box size is placed as if it were 400 x 400.
QPoint centredPosition(const QRect& owner, const QSize& boxSize, int shiftDown);
inline constexpr int kMsgBoxShiftDown = 50;

// A box ready to run: caption in the current language, plain text (a file
// name or a controller's string is never read as markup), always on top, and
// moved over the owner when it is shown.
std::unique_ptr<QMessageBox> buildMsgBox(MessageStyle style, const QString& text, QWidget* owner);
// The answer a finished box gives; closing it without a button gives the
// least committal answer it offers (No, else OK).
Answer msgBoxAnswer(const QMessageBox& box);
// Runs the box modally and gives its answer.
Answer execMsgBox(QMessageBox& box);

} // namespace zmt::ui
