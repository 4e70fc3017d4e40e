#include "ui/help/help_window.h"

#include "lang/lang.h"
#include "ui/widgets/accessibility.h"
#include "ui/widgets/editor_host.h"
#include "ui/widgets/window_placement.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace zmt::ui {

namespace {

constexpr const char* kTopicProperty = "zmtHelpTopic";
constexpr int kDefaultWidth = 760;
constexpr int kDefaultHeight = 640;

QString text(const char* literal) { return QString::fromUtf8(localized(literal)); }

QString topicOf(const QWidget* widget) {
    const QVariant topic = widget->property(kTopicProperty);
    return topic.isValid() ? topic.toString() : QString();
}

// The shown page's topic of the first tab widget in widget that has one.
QString shownPageTopic(const QWidget& widget) {
    for (const QTabWidget* pages : widget.findChildren<QTabWidget*>()) {
        if (pages->currentWidget() == nullptr) continue;
        if (QString topic = topicOf(pages->currentWidget()); !topic.isEmpty()) return topic;
    }
    return {};
}

// The anchor named by a fragment of block, if any.
QString anchorIn(const QTextBlock& block) {
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        const QStringList names = fragment.fragment().charFormat().anchorNames();
        if (!names.isEmpty()) return names.first();
    }
    return {};
}

// Qt reads the named anchor of a heading ("## <a name=...>Title</a>") as
// inline HTML, which leaves the heading's text in the body's font: give the
// headings their size and weight back, as Qt gives them to plain headings.
bool headingsStyled(const QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (block.blockFormat().headingLevel() > 0 && !block.begin().atEnd())
            return block.begin().fragment().charFormat().fontWeight() >= QFont::Bold;
    return true;
}

void styleHeadings(QTextDocument& document) {
    // A move within the guide keeps the document: touching it again would
    // only make it be laid out anew.
    if (headingsStyled(document)) return;
    // One edit for all headings: the document is laid out once, not once
    // per heading.
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level <= 0) continue;
        QTextCharFormat heading;
        heading.setFontWeight(QFont::Bold);
        heading.setProperty(QTextFormat::FontSizeAdjustment, std::max(4 - level, 0));
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(heading);
    }
    cursor.endEditBlock();
    // Only the look changed: the text is the guide's as read.
    document.setModified(false);
}

} // namespace

// The guide is written in Russian and in English; every other language
// reads the English one.
int guideLanguage() { return languageCode() == "ru" ? 0 : 1; }

const std::vector<help::GuideSection>& guideIndex() {
    static std::array<std::vector<help::GuideSection>, 2> indexes;
    const int language = guideLanguage();
    std::vector<help::GuideSection>& index = indexes[static_cast<std::size_t>(language)];
    if (index.empty()) {
        QFile file(QStringLiteral(":/guide/") + QString::fromLatin1(help::guideFileName(language)));
        if (file.open(QIODevice::ReadOnly)) index = help::readGuide(file.readAll().toStdString(), language);
    }
    return index;
}

QString guideUrl(const QString& anchor) {
    QUrl url(QStringLiteral("qrc:/guide/") +
             QString::fromLatin1(help::guideFileName(guideLanguage())));
    if (!anchor.isEmpty()) url.setFragment(anchor);
    return url.toString();
}

void setHelpTopic(QWidget& widget, const char* anchor) {
    widget.setProperty(kTopicProperty, QString::fromLatin1(anchor));
}

QString helpTopicFor(QWidget* widget) {
    if (widget == nullptr) return QString::fromLatin1(help::kContentsAnchor);
    // A box's subject is its text: the guide's entry that quotes it.
    if (const auto* box = qobject_cast<const QMessageBox*>(widget->window()))
        return QString::fromStdString(help::topicForMessage(guideIndex(), box->text().toStdString()));
    // The nearest topic up the chain of owners; windows of their own (the
    // level bars, a dialog) lead to the window they belong to.
    QWidget* last = widget;
    for (QWidget* at = widget; at != nullptr; at = at->parentWidget()) {
        if (QString topic = topicOf(at); !topic.isEmpty()) return topic;
        if (const auto* pages = qobject_cast<const QTabWidget*>(at); pages != nullptr && pages->currentWidget())
            if (QString topic = topicOf(pages->currentWidget()); !topic.isEmpty()) return topic;
        last = at;
    }
    // Outside the pages (the toolbar, the status bar): the page shown.
    if (QString topic = shownPageTopic(*last); !topic.isEmpty()) return topic;
    return QString::fromLatin1(help::kContentsAnchor);
}

// ---- the window ----

HelpWindow::HelpWindow(QWidget* owner, HelpPlaceKeeper& keeper) : QWidget(owner, Qt::Window), keeper_(keeper) {
    setObjectName(QStringLiteral("FormHelp"));
    markAsWindow(*this);
    auto makeButton = [this](const char* name) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setFocusPolicy(Qt::TabFocus);
        return button;
    };
    back_ = makeButton("ButtonHelpBack");
    forward_ = makeButton("ButtonHelpForward");
    contents_ = makeButton("ButtonHelpContents");
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("BrowserHelp"));
    browser_->setOpenExternalLinks(true);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents_, &QToolButton::clicked, this, [this] { load(QString::fromLatin1(help::kContentsAnchor)); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    // The browser reads the guide again on some moves within it (Back, a
    // link): each reading gets its headings back.
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& source) {
        asked_ = source.fragment();
        styleHeadings(*browser_->document());
    });
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addWidget(contents_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
    // Tab from the text goes on to the buttons and back again.
    setTabOrder(browser_, back_);
    setTabOrder(back_, forward_);
    setTabOrder(forward_, contents_);
    retranslate();
}

void HelpWindow::retranslate() {
    setWindowTitle(text(N_("Help — ZEL MORVA TOUCH")));
    back_->setText(text(N_("Back")));
    forward_->setText(text(N_("Forward")));
    contents_->setText(text(N_("Contents")));
    browser_->setAccessibleName(text(N_("User guide")));
    // The guide of the other language, at the same section.
    if (!browser_->source().isEmpty() && browser_->source().adjusted(QUrl::RemoveFragment) !=
                                             QUrl(guideUrl(QString())))
        load(currentTopic());
}

void HelpWindow::load(const QString& anchor) {
    const QUrl url(guideUrl(anchor));
    // Qt reads the whole guide again on every new address, even one within
    // it: a move within the guide only scrolls.
    if (browser_->source().adjusted(QUrl::RemoveFragment) != url.adjusted(QUrl::RemoveFragment))
        browser_->setSource(url, QTextDocument::MarkdownResource);
    asked_ = anchor;
    browser_->scrollToAnchor(anchor);
}

QString HelpWindow::currentTopic() const {
    const QString& asked = asked_;
    const QTextDocument& document = *browser_->document();
    const int top = browser_->verticalScrollBar()->value();
    const int bottom = top + browser_->viewport()->height();
    // The section asked for last, while its heading is in view: a section
    // near the end cannot be scrolled to the top.
    if (!asked.isEmpty()) {
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            if (anchorIn(block) != asked) continue;
            const qreal y = document.documentLayout()->blockBoundingRect(block).top();
            if (y >= top - 1 && y < bottom) return asked;
            break;
        }
    }
    // Otherwise the last heading at or above the top of the view.
    for (QTextBlock block = browser_->cursorForPosition(QPoint(0, 0)).block(); block.isValid();
         block = block.previous())
        if (QString anchor = anchorIn(block); !anchor.isEmpty()) return anchor;
    return QString::fromLatin1(help::kContentsAnchor);
}

void HelpWindow::placeOnFirstShow() {
    if (placed_) return;
    placed_ = true;
    const std::optional<QRect> stored = keeper_.helpPlace();
    const QSize size = stored && stored->width() > 0 && stored->height() > 0 ? stored->size()
                                                                            : QSize(kDefaultWidth, kDefaultHeight);
    const QScreen* screen = parentWidget() != nullptr && parentWidget()->screen() != nullptr
                                ? parentWidget()->screen()
                                : QGuiApplication::primaryScreen();
    const QSize screenSize = screen != nullptr ? screen->availableGeometry().size() : size;
    resize(size.boundedTo(screenSize));
    const auto left = stored ? std::optional<int>(stored->left()) : std::nullopt;
    const auto top = stored ? std::optional<int>(stored->top()) : std::nullopt;
    move(placeWindow(left, top, screenSize, this->size()));
}

void HelpWindow::showTopic(const QString& anchor) {
    // Over a message box the help must take the input itself, or the box
    // would keep it from the reader; otherwise it stays beside the window.
    const QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality wanted = modal != nullptr && modal != this ? Qt::ApplicationModal : Qt::NonModal;
    if (windowModality() != wanted) {
        if (isVisible()) hide();
        setWindowModality(wanted);
    }
    placeOnFirstShow();
    load(anchor);
    show();
    raise();
    activateWindow();
}

void HelpWindow::keepPlace() {
    if (placed_) keeper_.rememberHelpPlace(QRect(pos(), size()));
}

void HelpWindow::closeEvent(QCloseEvent* event) {
    keepPlace();
    QWidget::closeEvent(event);
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    // Escape closes it, as it closes the program's other small windows.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---- F1 and the menu ----

HelpDesk::HelpDesk(QWidget& mainWindow, QMenu& menu, ShellSignals& shell, HelpPlaceKeeper& keeper)
    : QObject(&mainWindow), mainWindow_(mainWindow), keeper_(keeper) {
    menuItem_ = menu.addAction(QString());
    menuItem_->setObjectName(QStringLiteral("ActionHelp"));
    // Shown in the menu; F1 itself is caught for the whole program below.
    menuItem_->setShortcut(QKeySequence(Qt::Key_F1));
    menuItem_->setShortcutContext(Qt::WidgetShortcut);
    connect(menuItem_, &QAction::triggered, this, [this] { showHelpFor(&mainWindow_); });
    connect(&shell, &ShellSignals::languageChanged, this, [this] { retranslate(); });
    qApp->installEventFilter(this);
    retranslate();
}

void HelpDesk::retranslate() {
    menuItem_->setText(text(N_("Help")));
    if (window_) window_->retranslate();
}

void HelpDesk::showHelpFor(QWidget* widget) {
    const QString topic = helpTopicFor(widget != nullptr ? widget : &mainWindow_);
    if (!window_) window_ = new HelpWindow(&mainWindow_, keeper_);
    window_->showTopic(topic);
}

void HelpDesk::onShuttingDown() {
    if (window_ && window_->isVisible()) window_->keepPlace();
}

bool HelpDesk::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    // In the help itself F1 has nothing more to say.
    if (window_ && widget->window() == window_) return true;
    showHelpFor(widget);
    return true;
}

} // namespace zmt::ui
