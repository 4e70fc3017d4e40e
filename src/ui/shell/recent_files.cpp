#include "ui/shell/recent_files.h"

#include "files/file_result.h"
#include "lang/lang.h"
#include "ui/shell/file_opening.h"
#include "ui/shell/main_window.h"
#include "ui/shell/settings_store.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QToolButton>

#include <algorithm>
#include <cctype>

namespace zmt::ui {

namespace {

constexpr const char* kRecentFilesLiteral = N_("Recent files");
constexpr const char* kNoRecentFilesLiteral = N_("No recent files");
constexpr const char* kGoneFromListLiteral =
    N_("It has been taken out of the recent files.");
// Long paths are shortened in the middle to this width; the hint has them whole.
constexpr int kEntryWidthPixels = 480;

} // namespace

bool sameFile(const std::string& a, const std::string& b) {
#ifdef _WIN32
    if (a.size() != b.size()) return false;
    const auto fold = [](unsigned char c) { return c == '\\' ? '/' : std::tolower(c); };
    return std::equal(a.begin(), a.end(), b.begin(),
                      [&fold](char x, char y) { return fold(static_cast<unsigned char>(x)) == fold(static_cast<unsigned char>(y)); });
#else
    return a == b;
#endif
}

RecentFileList::RecentFileList(const std::vector<std::string>& files) {
    // Added oldest first, so the order stays and a repeat keeps its newest place.
    for (auto file = files.rbegin(); file != files.rend(); ++file) add(*file);
}

void RecentFileList::add(const std::string& path) {
    if (path.empty()) return;
    remove(path);
    files_.insert(files_.begin(), path);
    if (files_.size() > kRecentFileSlots) files_.resize(kRecentFileSlots);
}

bool RecentFileList::remove(const std::string& path) {
    const auto found = std::find_if(files_.begin(), files_.end(), [&path](const std::string& file) { return sameFile(file, path); });
    if (found == files_.end()) return false;
    files_.erase(found);
    return true;
}

RecentFilesMenu::RecentFilesMenu(MainWindow& window, SettingsStore& settings, FileOpening& opening)
    : window_(window), settings_(settings), opening_(opening), menu_(new QMenu(&window)) {
    menu_->setObjectName(QStringLiteral("MenuRecentFilesx"));
    connect(menu_, &QMenu::aboutToShow, this, [this] { fill(); });
    // A right-click on the open button; the button takes no focus, so the
    // keyboard reaches the list through the toolbar's menu below.
    QToolButton& open = window_.toolButton(MainWindow::ToolButton::ReadConfig);
    open.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&open, &QWidget::customContextMenuRequested, this,
            [this, &open](const QPoint& at) { menu_->popup(open.mapToGlobal(at)); });
    window_.toolBarMenu().addMenu(menu_);
    connect(&window_.shellSignals(), &ShellSignals::languageChanged, this, [this] { retranslate(); });
    retranslate();
}

RecentFilesMenu::~RecentFilesMenu() = default;

void RecentFilesMenu::retranslate() { menu_->setTitle(QString::fromUtf8(localized(kRecentFilesLiteral))); }

void RecentFilesMenu::fill() {
    menu_->clear();
    const std::vector<std::string>& files = settings_.recentFiles();
    if (files.empty()) {
        menu_->addAction(QString::fromUtf8(localized(kNoRecentFilesLiteral)))->setEnabled(false);
        return;
    }
    // Chosen while a transfer or a procedure runs, a file would go in under its feet.
    const bool allowed = opening_.openAllowed();
    const QFontMetrics metrics(menu_->font());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString path = QDir::toNativeSeparators(QString::fromStdString(files[i]));
        QString shown = metrics.elidedText(path, Qt::ElideMiddle, kEntryWidthPixels);
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* entry = menu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        entry->setToolTip(path);
        entry->setEnabled(allowed);
        const std::string file = files[i];
        connect(entry, &QAction::triggered, this, [this, file] { openRecent(file); });
    }
    menu_->setToolTipsVisible(true);
}

void RecentFilesMenu::openRecent(const std::string& path) {
    if (!opening_.openAllowed()) return;
    if (!QFileInfo::exists(QString::fromStdString(path))) {
        settings_.forgetRecentFile(path);
        const FileResult gone{FileError::NotFound, path, {}, {}};
        window_.showMessage(MessageKind::Error, gone.text() + "\n" + localized(kGoneFromListLiteral));
        return;
    }
    opening_.openWhenFree(path);
}

} // namespace zmt::ui
