#include "ui/log/log_view.h"

#include "files/file_writer.h"
#include "lang/lang.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <tuple>
#include <climits>
#include <cmath>

namespace zmt::ui {

namespace {

// The gap between the frame and the text, as a text control leaves it.
constexpr int kMargin = 4;

constexpr const char* kCopyLiteral = N_("&Copy");
constexpr const char* kSelectAllLiteral = N_("Select &All");
constexpr const char* kSaveLogLiteral = N_("Save log…");
constexpr const char* kSaveLogTitleLiteral = N_("Save log");
constexpr const char* kLogFilesLiteral = N_("Text files (*.txt *.log)");
constexpr const char* kAllFilesLiteral = N_("All files (*)");
constexpr const char* kLogNameLiteral = N_("Controller log");

QString qText(const char* literal) { return QString::fromUtf8(localized(literal)); }

QString fromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

LogView::LogView(QWidget* parent) : QAbstractScrollArea(parent) {
    installAccessibility();
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(13);
    setFont(font);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);

    // The shortcuts work while the log has the focus; the same actions fill
    // the context menu, which shows the keys beside the texts.
    auto action = [this](const char* name, QKeySequence keys, auto run) {
        auto* item = new QAction(this);
        item->setObjectName(QString::fromLatin1(name));
        item->setShortcut(keys);
        item->setShortcutContext(Qt::WidgetShortcut);
        connect(item, &QAction::triggered, this, run);
        addAction(item);
        return item;
    };
    // Their names end in x: the program writes these texts itself.
    copyAction_ = action("MenuItemMemoCopyx", QKeySequence(QKeySequence::Copy), [this] { copy(); });
    selectAllAction_ = action("MenuItemMemoSelectAllx", QKeySequence(QKeySequence::SelectAll), [this] { selectAll(); });
    saveAction_ = action("MenuItemMemoSaveLogx", QKeySequence(), [this] { saveLog(); });
    retranslateActions();
    updateScrollBars();
}

// ---- the lines ----

void LogView::appendLine(std::string_view utf8) {
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    lines_.append(utf8);
    updateScrollBars();
    if (atEnd) bar->setValue(bar->maximum());
    viewport()->update();
}

void LogView::appendLine(const QString& line) {
    const QByteArray utf8 = line.toUtf8();
    appendLine(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

void LogView::clear() {
    lines_.clear();
    anchor_ = cursor_ = Place{};
    selecting_ = false;
    updateScrollBars();
    viewport()->update();
}

void LogView::setPlainText(const QString& text) {
    clear();
    if (!text.isEmpty()) appendLine(text);
}

QString LogView::lineText(std::size_t index) const { return fromUtf8(lines_.line(index)); }

QString LogView::toPlainText() const { return fromUtf8(lines_.joined(0, lines_.size())); }

// ---- selection and clipboard ----

QString LogView::selectedText() const {
    if (!hasSelection() || lines_.empty()) return {};
    const auto [from, to] = std::minmax(anchor_, cursor_);
    if (from.line == to.line) return lineText(from.line).mid(from.column, to.column - from.column);
    QString text = lineText(from.line).mid(from.column);
    text += QLatin1Char('\n');
    if (to.line > from.line + 1) {
        text += fromUtf8(lines_.joined(from.line + 1, to.line - from.line - 1));
        text += QLatin1Char('\n');
    }
    text += lineText(to.line).left(to.column);
    return text;
}

std::pair<int, int> LogView::selectionOffsets() const {
    if (!hasSelection()) return {0, 0};
    const Place from = std::min(anchor_, cursor_);
    const Place to = std::max(anchor_, cursor_);
    auto offset = [this](const Place& place) {
        qsizetype before = 0;
        for (std::size_t line = 0; line < place.line && line < lines_.size(); ++line) before += lineText(line).size() + 1;
        return static_cast<int>(before + place.column);
    };
    return {offset(from), offset(to)};
}

void LogView::selectAll() {
    if (lines_.empty()) return;
    anchor_ = Place{};
    cursor_ = Place{lines_.size() - 1, static_cast<int>(lineText(lines_.size() - 1).size())};
    viewport()->update();
}

void LogView::copy() const {
    if (hasSelection()) QApplication::clipboard()->setText(selectedText());
}

// ---- saving ----

bool LogView::saveLog() {
    QFileDialog dialog(this, qText(kSaveLogTitleLiteral));
    // The same dialog on every system, as the program's other file dialogs.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilters({qText(kLogFilesLiteral), qText(kAllFilesLiteral)});
    dialog.setDirectory(QDir::homePath());
    const QString path = dialogs_->runFileDialog(dialog);
    if (path.isEmpty()) return false;
    return saveLogTo(path);
}

bool LogView::saveLogTo(const QString& path) {
    const FileResult saved = writeFileSafely(path.toStdString(), lines_.fileText());
    if (saved.ok()) return true;
    emit saveFailed(QString::fromStdString(saved.text()));
    return false;
}

// ---- layout ----

// The rows as a text control spaces them: the font's height rounded up.
int LogView::lineHeight() const { return std::max(1, static_cast<int>(std::ceil(QFontMetricsF(font()).height()))); }

int LogView::charWidth() const { return std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('M'))); }

int LogView::visibleRows() const { return std::max(1, (viewport()->height() - kMargin) / lineHeight()); }

int LogView::firstVisibleLine() const { return verticalScrollBar()->value(); }

void LogView::updateScrollBars() {
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    if (lines_.empty()) {
        // Nothing to measure: the fixed-pitch font is not even looked up
        // (fontconfig and FreeType cost the start-up a few milliseconds)
        // until the log has a line to show.
        vertical->setRange(0, 0);
        horizontal->setRange(0, 0);
        return;
    }
    // Scrolled a line at a time; the last line rests at the bottom.
    const int rows = visibleRows();
    const auto lineCount = static_cast<int>(std::min<std::size_t>(lines_.size(), INT_MAX));
    vertical->setRange(0, std::max(0, lineCount - rows));
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);
    // The widest line sets the width; the font has one width for every character.
    const auto widest = static_cast<int>(std::min<std::size_t>(lines_.widestLine(), INT_MAX / 64));
    horizontal->setRange(0, std::max(0, widest * charWidth() + 2 * kMargin - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(charWidth());
}

LogView::Place LogView::placeAt(const QPoint& point) const {
    if (lines_.empty()) return {};
    const int row = point.y() < kMargin ? -1 : (point.y() - kMargin) / lineHeight();
    const long long wanted = static_cast<long long>(firstVisibleLine()) + row;
    if (wanted < 0) return {};
    if (wanted >= static_cast<long long>(lines_.size())) {
        const std::size_t last = lines_.size() - 1;
        return {last, static_cast<int>(lineText(last).size())};
    }
    const auto index = static_cast<std::size_t>(wanted);
    const QString text = lineText(index);
    const int x = point.x() - kMargin + horizontalScrollBar()->value();
    // The nearest gap between two characters; a character pair of UTF-16
    // (outside the basic plane) is never split.
    int column = std::clamp((x + charWidth() / 2) / charWidth(), 0, static_cast<int>(text.size()));
    if (column > 0 && column < text.size() && text[column].isLowSurrogate()) --column;
    return {index, column};
}

void LogView::resizeEvent(QResizeEvent* event) {
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    if (atEnd) bar->setValue(bar->maximum());
}

void LogView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) updateScrollBars();
    if (event->type() == QEvent::LanguageChange) retranslateActions();
}

void LogView::paintEvent(QPaintEvent*) {
    if (lines_.empty()) return;   // the background is the viewport's own
    QPainter painter(viewport());
    const QFontMetrics metrics = fontMetrics();
    const int height = lineHeight();
    const int left = kMargin - horizontalScrollBar()->value();
    const std::size_t first = static_cast<std::size_t>(firstVisibleLine());
    const std::size_t end = std::min(lines_.size(), first + static_cast<std::size_t>(visibleRows()) + 1);
    const auto [from, to] = std::minmax(anchor_, cursor_);
    const QPalette& colours = palette();
    painter.setPen(colours.color(QPalette::Text));
    for (std::size_t i = first; i < end; ++i) {
        const int top = kMargin + static_cast<int>(i - first) * height;
        const int baseline = top + metrics.ascent();
        const QString text = lineText(i);
        painter.drawText(left, baseline, text);
        if (!hasSelection() || i < from.line || i > to.line) continue;
        // The selected part of this line, and the line break after it when
        // the selection goes on to the next line.
        const int begin = i == from.line ? from.column : 0;
        const int stop = i == to.line ? to.column : static_cast<int>(text.size());
        const int x0 = left + metrics.horizontalAdvance(text.left(begin));
        const int x1 = left + metrics.horizontalAdvance(text.left(stop)) + (i != to.line ? charWidth() / 2 : 0);
        if (x1 <= x0) continue;
        painter.fillRect(QRect(x0, top, x1 - x0, height), colours.brush(QPalette::Highlight));
        painter.save();
        painter.setPen(colours.color(QPalette::HighlightedText));
        painter.drawText(x0, baseline, text.mid(begin, stop - begin));
        painter.restore();
    }
}

// ---- keyboard and mouse ----

void LogView::keyPressEvent(QKeyEvent* event) {
    // The shortcuts reach the actions first; these are for when the window
    // is not the active one (the actions' shortcuts wait for that).
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        verticalScrollBar()->setValue(0);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        // Arrows and pages scroll, as in a read-only text control.
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void LogView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    cursor_ = placeAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = cursor_;
    selecting_ = true;
    viewport()->update();
}

void LogView::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_ || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint at = event->position().toPoint();
    // Dragging past the top or the bottom scrolls on, a line per move.
    if (at.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (at.y() > viewport()->height()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    cursor_ = placeAt(at);
    viewport()->update();
}

void LogView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && selecting_) {
        selecting_ = false;
        // X11's selection: what is marked can be pasted with the middle button.
        QClipboard* clipboard = QApplication::clipboard();
        if (hasSelection() && clipboard->supportsSelection()) clipboard->setText(selectedText(), QClipboard::Selection);
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void LogView::mouseDoubleClickEvent(QMouseEvent* event) {
    selecting_ = false;
    event->accept();
    emit doubleClicked();
}

void LogView::retranslateActions() {
    copyAction_->setText(qText(kCopyLiteral));
    selectAllAction_->setText(qText(kSelectAllLiteral));
    saveAction_->setText(qText(kSaveLogLiteral));
}

// ---- for screen readers ----

namespace {

// The log as read-only text: a screen reader reads it line by line and
// follows the selection. Offsets count the whole log, lines joined by line
// breaks, as toPlainText gives it.
class MemoAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit MemoAccessible(LogView* memo) : QAccessibleWidget(memo, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    QString text(int startOffset, int endOffset) const override {
        return memo()->toPlainText().mid(startOffset, std::max(0, endOffset - startOffset));
    }
    int characterCount() const override { return static_cast<int>(memo()->toPlainText().size()); }
    int selectionCount() const override {
        int start = 0;
        int end = 0;
        selection(0, &start, &end);
        return start != end ? 1 : 0;
    }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0) std::tie(*startOffset, *endOffset) = memo()->selectionOffsets();
    }
    // Named when asked, so the name is in the language in force.
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) return qText(kLogNameLiteral);
        return QAccessibleWidget::text(kind);
    }
    // Reading never moves or changes anything in the log.
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    LogView* memo() const { return static_cast<LogView*>(widget()); }
};

QAccessibleInterface* memoInterface(const QString& className, QObject* object) {
    if (className == QLatin1String(LogView::staticMetaObject.className())) return new MemoAccessible(static_cast<LogView*>(object));
    return nullptr;
}

} // namespace

void LogView::installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(memoInterface);
        return true;
    }();
    (void)installed;
}

void LogView::contextMenuEvent(QContextMenuEvent* event) {
    // Built in the language in force when it opens.
    retranslateActions();
    copyAction_->setEnabled(hasSelection());
    selectAllAction_->setEnabled(!lines_.empty());
    QMenu menu(this);
    menu.addAction(copyAction_);
    menu.addAction(selectAllAction_);
    menu.addSeparator();
    menu.addAction(saveAction_);
    menu.exec(event->globalPos());
    // The keys work whatever the menu showed; copying nothing does nothing.
    copyAction_->setEnabled(true);
    selectAllAction_->setEnabled(true);
}

} // namespace zmt::ui
