#pragma once
// The monitoring log (the control named "Memo"): fixed-pitch, never wrapped,
// both scroll bars, keeps every line until it is emptied (a double click, or
// the program when it announces a controller). The lines live in a compact
// LogLines store and only the rows in sight are laid out and painted, so an
// hour of device log at 100 lines a second costs tens of megabytes, not
// hundreds, and following the end stays instant however long the log is.
//
// Text can be selected with the mouse (Shift extends), Ctrl+A selects the
// whole log and Ctrl+C copies the selection; the context menu has Copy,
// Select All and "Save log…", which writes the whole log through
// writeFileSafely and reports a failure with saveFailed.
#include "device/log_lines.h"
#include "ui/widgets/modal_dialogs.h"

#include <QAbstractScrollArea>
#include <QString>

#include <string_view>
#include <utility>

class QAction;

namespace zmt::ui {

class LogView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LogView(QWidget* parent = nullptr);

    // Adds a line at the end (line breaks inside it start further lines).
    // The view follows the end only while it is already there, so a user
    // reading older lines is not pulled down by every new one.
    void appendLine(std::string_view utf8);
    void appendLine(const QString& line);
    void clear();
    void setPlainText(const QString& text);

    std::size_t lineCount() const { return lines_.size(); }
    const LogLines& lines() const { return lines_; }
    // The whole log, lines joined by line breaks.
    QString toPlainText() const;
    QString selectedText() const;
    bool hasSelection() const { return anchor_ != cursor_; }
    void selectAll();
    // The selection as offsets into toPlainText(), start before end; equal
    // when nothing is selected.
    std::pair<int, int> selectionOffsets() const;
    // Puts the selection on the clipboard; nothing selected leaves it alone.
    void copy() const;
    // Asks for a file and writes the whole log to it; a failure is reported
    // through saveFailed. Returns whether the log was written.
    bool saveLog();
    // Writes the whole log to path (UTF-8); false after reporting saveFailed.
    bool saveLogTo(const QString& path);
    // The first line in sight.
    int firstVisibleLine() const;

    // Who runs the save dialog (the window's); dialogs must outlive the memo.
    void setDialogs(ModalDialogs& dialogs) { dialogs_ = &dialogs; }

signals:
    void doubleClicked();
    // The log could not be written; text says why, in the current language.
    void saveFailed(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    ModalDialogs ownDialogs_;   // run for real, unless replaced
    ModalDialogs* dialogs_ = &ownDialogs_;
    // A place in the log: a line and a character (UTF-16 unit) within it.
    struct Place {
        std::size_t line = 0;
        int column = 0;
        auto operator<=>(const Place&) const = default;
    };

    QString lineText(std::size_t index) const;
    Place placeAt(const QPoint& viewportPoint) const;
    int lineHeight() const;
    int charWidth() const;
    int visibleRows() const;
    void updateScrollBars();
    void retranslateActions();
    // Screen readers read the log through an interface of its own.
    static void installAccessibility();

    LogLines lines_;
    Place anchor_;
    Place cursor_;
    bool selecting_ = false;
    QAction* copyAction_ = nullptr;
    QAction* selectAllAction_ = nullptr;
    QAction* saveAction_ = nullptr;
};

} // namespace zmt::ui
