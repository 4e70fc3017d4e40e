#pragma once
// The recent configuration files: the list's rules (RecentFileList, plain
// data) and its menu (RecentFilesMenu), offered by a right-click on the
// toolbar's open button and under the toolbar's own right-click menu. The
// list lives in the settings file (SettingsStore::recentFiles).
#include <QObject>

#include <string>
#include <vector>

class QMenu;

namespace zmt::ui {

class FileOpening;
class MainWindow;
class SettingsStore;

// The latest first, each file once, at most kRecentFileSlots (settings.h).
class RecentFileList {
public:
    // Empty names and repeats are left out, and whatever lies beyond the bound.
    explicit RecentFileList(const std::vector<std::string>& files = {});
    // path goes to the top; its older entry, and the oldest beyond the bound, go.
    void add(const std::string& path);
    // False when path is not in the list.
    bool remove(const std::string& path);
    const std::vector<std::string>& files() const { return files_; }

private:
    std::vector<std::string> files_;
};

// The same file in two spellings the system treats alike (Windows ignores
// the case of names; "/" and "\" both separate there).
bool sameFile(const std::string& a, const std::string& b);

class RecentFilesMenu : public QObject {
public:
    RecentFilesMenu(MainWindow& window, SettingsStore& settings, FileOpening& opening);
    ~RecentFilesMenu() override;

    // Filled from the settings each time it opens.
    QMenu& menu() { return *menu_; }
    // A chosen entry: opened as the open button would; a file that is gone
    // is said so and leaves the list.
    void openRecent(const std::string& path);

private:
    void fill();
    void retranslate();

    MainWindow& window_;
    SettingsStore& settings_;
    FileOpening& opening_;
    QMenu* menu_;
};

} // namespace zmt::ui
