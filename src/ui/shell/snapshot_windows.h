#pragma once
// The snapshots in the window: "History..." lists the connected controller's
// snapshots with their cause and a one-line summary of what differs from the
// configuration now, shows the differences of the one selected and puts it
// back ("Restore") as one undoable edit; "Compare with file..." shows what
// differs between the controller and a .ZMT file before anything is sent.
// Both are offered in the toolbar's menu. The comparing and the snapshots
// themselves are the core's (config_diff.h, snapshot_store.h).
#include <QObject>

#include <string>

class QAction;
class QDialog;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace zmt {
class SnapshotStore;
}

namespace zmt::ui {

class ControllerSession;
class MainWindow;
class SettingsStore;

class SnapshotWindows : public QObject {
public:
    // store may be null (no data folder): the history then says so.
    SnapshotWindows(MainWindow& window, ControllerSession& session, SettingsStore& settings, SnapshotStore* store);
    ~SnapshotWindows() override;

    void showHistory();
    // Asks for the file, then compares.
    void compareWithFile();
    void compareWith(const std::string& path);
    // Puts the snapshot selected in the history back.
    void restoreSelected();

    // The history's columns: when (local time), why, what differs from now.
    enum HistoryColumn { TimeColumn, CauseColumn, DifferenceColumn, HistoryColumns };

    // For the tests: the dialogs (null until first shown) and their parts.
    QDialog* historyDialog() const { return history_; }
    QTreeWidget* snapshotList() const { return list_; }
    QPlainTextEdit* historyDifferences() const { return historyText_; }
    QLabel* historyLegend() const { return historyLegend_; }
    QLabel* compareLegend() const { return compareLegend_; }
    QPushButton* restoreButton() const { return restore_; }
    QDialog* compareDialog() const { return compare_; }
    QPlainTextEdit* compareDifferences() const { return compareText_; }

private:
    void buildHistory();
    void buildCompare();
    void fillHistory();
    void showSelected();
    void retranslate();
    // Widens dialog, as far as its screen allows, so that memo's lines and
    // (when given) the list's columns show whole.
    void fitWidth(QDialog* dialog, QPlainTextEdit* memo, QTreeWidget* list = nullptr);

    MainWindow& window_;
    ControllerSession& session_;
    SettingsStore& settings_;
    SnapshotStore* store_;
    QAction* historyAction_;
    QAction* compareAction_;
    QDialog* history_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QPlainTextEdit* historyText_ = nullptr;
    QLabel* historyLegend_ = nullptr;
    QPushButton* restore_ = nullptr;
    QDialog* compare_ = nullptr;
    QPlainTextEdit* compareText_ = nullptr;
    QLabel* compareLegend_ = nullptr;
};

} // namespace zmt::ui
