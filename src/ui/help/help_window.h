#pragma once
// The help window: the user guide in the program's language, opened at the
// section for where the user is (F1 anywhere, or "Справка" / "Help" in the
// toolbar's menu). It reads the guide from the program's resources, so the
// help always describes the program it comes with, with or without internet.
//
//   HelpDesk help(window, window.toolBarMenu(), window.shellSignals(), settings);
//   setHelpTopic(*page, "parameters-page");    // F1 on that page
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

#include "ui/help/guide_index.h"

class QAction;
class QMenu;
class QTextBrowser;
class QToolButton;

namespace zmt::ui {

class ShellSignals;

// Where the help window stood when it was last closed: the settings keep it
// from one run to the next.
class HelpPlaceKeeper {
public:
    virtual std::optional<QRect> helpPlace() const = 0;
    virtual void rememberHelpPlace(const QRect& frame) = 0;

protected:
    ~HelpPlaceKeeper() = default;
};

// The guide's section F1 opens on this widget and everything inside it that
// has no topic of its own.
void setHelpTopic(QWidget& widget, const char* anchor);
// The section for a widget: a message box's subject, else the topic of the
// widget or the nearest one holding it (a page of a tab widget counts while
// it is shown), else the guide's contents.
QString helpTopicFor(QWidget* widget);

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(QWidget* owner, HelpPlaceKeeper& keeper);

    // Loads the guide in the program's language at anchor, shows the window
    // and brings it to the front.
    void showTopic(const QString& anchor);
    // The section shown at the top of the view.
    QString currentTopic() const;
    // The texts and the guide in the new language, at the same section.
    void retranslate();
    // Tells the keeper where the window stands (when it is shown).
    void keepPlace();
    QTextBrowser& browser() { return *browser_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load(const QString& anchor);
    void placeOnFirstShow();

    HelpPlaceKeeper& keeper_;
    QTextBrowser* browser_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    QToolButton* contents_ = nullptr;
    bool placed_ = false;
    // The section asked for last (F1, a link, Back).
    QString asked_;
};

// F1 anywhere in the program and the menu item: opens the help window (built
// on first use) at the section for where the user is.
class HelpDesk : public QObject {
    Q_OBJECT
public:
    HelpDesk(QWidget& mainWindow, QMenu& menu, ShellSignals& shell, HelpPlaceKeeper& keeper);

    // Opens the help at the section for widget (null: the main window).
    void showHelpFor(QWidget* widget);
    // Null until the help was first opened.
    HelpWindow* builtWindow() const { return window_; }
    QAction& menuItem() { return *menuItem_; }
    // Called as the program closes: the open window's place is kept.
    void onShuttingDown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void retranslate();

    QWidget& mainWindow_;
    HelpPlaceKeeper& keeper_;
    QAction* menuItem_ = nullptr;
    QPointer<HelpWindow> window_;
};

// The guide of the current language, read from the program's resources and
// indexed once per language.
const std::vector<help::GuideSection>& guideIndex();
QString guideUrl(const QString& anchor);

} // namespace zmt::ui
