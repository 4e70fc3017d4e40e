#pragma once
// Configuration files that come other than through the open button's
// dialog: the one named on the command line, a file dropped onto the main
// window, a file another zmtsetup hands over. Each is opened by
// ConfigCommands::openFile, exactly as the open button opens one (the same
// checks, messages and undo step), and only while that button could be
// clicked: never in the middle of a transfer, a firmware update or learning.
//
//   FileOpening opening(window, session, commands);   // takes drops from now on
//   opening.openAtStartup(path);                      // the command line's file
#include <QObject>
#include <QList>
#include <QUrl>

#include <deque>
#include <optional>
#include <string>

namespace zmt::ui {

class ConfigCommands;
class ControllerSession;
class MainWindow;

// What a drop of these URLs does: the file to open, or the refusal to show.
struct DropVerdict {
    std::string file;
    std::string refusal;
};
// Only one local file named *.ZMT (either case) is opened.
DropVerdict judgeDrop(const QList<QUrl>& urls);

class FileOpening : public QObject {
public:
    FileOpening(MainWindow& window, ControllerSession& session, ConfigCommands& commands);

    // The command line's file. It waits for the first poll: a controller
    // found there has its configuration read first, so the file then goes
    // to it as an open from the toolbar would, without a question; with no
    // controller it waits as any opened file does, until one comes.
    void openAtStartup(const std::string& path);
    // Opens path now, or as soon as the open button could be clicked.
    void openWhenFree(const std::string& path);
    // Whether the open button could be clicked now.
    bool openAllowed() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void afterPoll();
    void openWaiting();

    MainWindow& window_;
    ControllerSession& session_;
    ConfigCommands& commands_;
    std::optional<std::string> startupFile_;
    bool polled_ = false;          // the first poll has run
    bool opening_ = false;
    std::deque<std::string> waiting_;
};

} // namespace zmt::ui
