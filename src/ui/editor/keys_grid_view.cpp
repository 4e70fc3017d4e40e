#include "ui/editor/keys_grid_view.h"

#include "device/host.h"
#include "lang/lang.h"
#include "ui/widgets/editor_host.h"
#include "ui/widgets/controls.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace zmt::ui {

using editor::GridButton;
using editor::KeysGridRules;
using editor::PointerShape;

namespace {

// A column 45 px wide and a row 20 px high, each with its grid line. Qt
// draws the line inside the section, so a section is one pixel more; the
// last row and column take what is left, so the cells fill the grid's box
// exactly and leave no empty strip.
constexpr int kColumnWidth = 45 + 1;
constexpr int kRowHeight = 20 + 1;
constexpr const char* kDuplicateName =
    N_("The name \"%s\"\nis already assigned\nPlease enter a different name");

const QColor kBlue(0, 0, 255);

// The selected cell's menu, the keyboard's way to do what dragging and the
// right button do.
constexpr const char* kEmptyCellText = N_("empty");
constexpr const char* kUseAsKeyText = N_("Use as the event's button");
constexpr const char* kUseAsModifierText = N_("Use as the event's modifier");

QString qs(const std::string& text) { return QString::fromStdString(text); }

Qt::CursorShape cursorShape(PointerShape shape) {
    switch (shape) {
    case PointerShape::NoEntry: return Qt::ForbiddenCursor;
    case PointerShape::Hand: return Qt::PointingHandCursor;
    case PointerShape::Help: return Qt::WhatsThisCursor;
    case PointerShape::Drag: return Qt::DragMoveCursor;
    case PointerShape::NoDrop: return Qt::ForbiddenCursor;
    default: return Qt::ArrowCursor;
    }
}

GridButton gridButton(Qt::MouseButton button) {
    if (button == Qt::LeftButton) return GridButton::Left;
    if (button == Qt::RightButton) return GridButton::Right;
    return GridButton::Other;
}

} // namespace

// The grid's column captions fill their whole section, without the style's
// margins: "Канал 1" and "Энкодер" must fit a 45 px column (in the smaller
// type build() gives the header).
class KeysGridHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        QStyleOptionHeaderV2 option;
        initStyleOption(&option);
        initStyleOptionForIndex(&option, logicalIndex);
        option.rect = rect;
        style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
        style()->drawControl(QStyle::CE_HeaderLabel, &option, painter, this);
    }
};

// The table itself; the only thing it adds is telling whether its in-place
// editor is open, which Qt keeps to the view.
class KeysGridTable : public QTableWidget {
public:
    using QTableWidget::QTableWidget;
    bool editorOpen() const { return state() == QAbstractItemView::EditingState; }
    // Ends the cell's editor as Return would: its text goes into the cell.
    void finishEditing(int column, int row) {
        if (!editorOpen()) return;
        if (QWidget* editor = indexWidget(model()->index(row - 1, column))) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
};

// Draws every cell the same way whatever is selected (the highlight belongs
// to the learning procedure, not to the selection) and opens the name editor.
class KeysGridDelegate : public QStyledItemDelegate {
public:
    KeysGridDelegate(KeysGridView& view, QObject* parent) : QStyledItemDelegate(parent), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int column = index.column();
        const int row = index.row() + 1;
        const bool marked = view_.cellMarked(column, row);
        painter->save();
        painter->fillRect(option.rect, marked ? kBlue : option.palette.color(QPalette::Button));
        // A locked editor greys its names out like every other control.
        const bool enabled = (option.state & QStyle::State_Enabled) != 0;
        const QColor text = enabled ? buttonFaceText(option.palette)
                                    : option.palette.color(QPalette::Disabled, QPalette::WindowText);
        painter->setPen(marked ? textOnStrongColour(option.palette, QPalette::Base) : text);
        painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine, index.data().toString());
        // The keyboard's cell while the grid has the focus: a frame in the
        // text's colour, so it shows on a marked cell as on a plain one
        // (the style's focus frame is drawn only after a Tab, if at all).
        if ((option.state & QStyle::State_HasFocus) != 0) {
            painter->setPen(QPen(painter->pen().color(), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option.rect.adjusted(2, 2, -3, -3));
        }
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        return view_.openNameEditor(parent, index.column(), index.row() + 1);
    }

private:
    KeysGridView& view_;
};

KeysGridView::KeysGridView(EditorShell& window, ConfigRecord& record)
    : QObject(&window.windowWidget()), window_(window), record_(record), rules_(record) {
    setObjectName(QStringLiteral("KeysGridView"));
    page_ = window.parametersPage();
    build(page_);
    connect(&window.shellSignals(), &ShellSignals::syncTick, this, [this] { withdrawHintWhenDue(); });
    connect(&window.shellSignals(), &ShellSignals::inputCommitted, this, [this] {
        const editor::GridEditorState& state = rules_.state();
        if (state.editState != editor::NamingState::Idle) grid_->finishEditing(state.editCol, state.editRow);
        commitTypedName();
    });
    connect(&window.shellSignals(), &ShellSignals::languageChanged, this, [this] { retranslate(); });
    // Nothing is selected when the program starts.
    connect(&window.shellSignals(), &ShellSignals::startingUp, this, [this] {
        rules_.state() = {};
        clearGridSelection();
    });
}

KeysGridView::~KeysGridView() {
    if (dragPointerSet_) QApplication::restoreOverrideCursor();
}

QWidget* KeysGridView::box() const { return groupBoxKeys_; }

QWidget* KeysGridView::grid() const { return grid_; }

void KeysGridView::build(QWidget* page) {
    groupBoxKeys_ = new QGroupBox(page);
    groupBoxKeys_->setObjectName(QStringLiteral("GroupBoxKeys"));
    groupBoxKeys_->setGeometry(0, 0, 241, 361);

    grid_ = new KeysGridTable(groupBoxKeys_);
    grid_->setHorizontalHeader(new KeysGridHeader(Qt::Horizontal, grid_));
    grid_->setObjectName(QStringLiteral("StringGridKeys"));
    grid_->setGeometry(4, 18, 234, 339);
    grid_->setColumnCount(editor::kGridColumns);
    grid_->setRowCount(kSlotsPerChannel);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    grid_->horizontalHeader()->setMinimumSectionSize(kColumnWidth);
    grid_->horizontalHeader()->setFixedHeight(kRowHeight);
    grid_->horizontalHeader()->setSectionsClickable(false);
    // The columns keep their width: a caption longer than its column (a
    // longer translation) ends in "…" rather than being cut.
    grid_->horizontalHeader()->setTextElideMode(Qt::ElideRight);
    grid_->horizontalHeader()->setHighlightSections(false);
    // "Канал 1" and "Энкодер" must fit a 45 px column: no section margins
    // (KeysGridHeader), and a slightly smaller type than the window's where
    // that is too wide, in tenths of a point. Not a style sheet: that wraps
    // the header in a style of its own, a millisecond of the start-up, for
    // the same pixels.
    QFont headerFont = grid_->horizontalHeader()->font();
    const int widest = std::max(QFontMetrics(headerFont).horizontalAdvance(QStringLiteral("Канал 4")),
                                QFontMetrics(headerFont).horizontalAdvance(QStringLiteral("Энкодер")));
    const double points = headerFont.pointSizeF() * std::min(1.0, double(kColumnWidth - 2) / widest);
    headerFont.setPointSizeF(std::round(points * 10) / 10);
    grid_->horizontalHeader()->setFont(headerFont);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setMinimumSectionSize(kRowHeight);
    grid_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->verticalHeader()->setStretchLastSection(true);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A tab stop: the arrow keys move between the buttons, F2 or typing
    // names one, the menu key (or Shift+F10) offers the rest.
    grid_->setFocusPolicy(Qt::StrongFocus);
    grid_->setTabKeyNavigation(false);   // Tab goes on to the next control
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setDragEnabled(false);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    auto* delegate = new KeysGridDelegate(*this, grid_);
    grid_->setItemDelegate(delegate);
    // The typed name goes into the image once the editor has closed, from
    // the event loop rather than inside the focus change that closed it (a
    // refused name shows a box). Closing the window or a toolbar action
    // commits it at once (inputCommitted).
    connect(delegate, &QAbstractItemDelegate::closeEditor, this,
            [this] { QMetaObject::invokeMethod(this, &KeysGridView::commitTypedName, Qt::QueuedConnection); });
    QPalette palette = grid_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    grid_->setPalette(palette);
    for (int row = 0; row < kSlotsPerChannel; ++row) {
        for (int column = 0; column < editor::kGridColumns; ++column) {
            grid_->setItem(row, column, new QTableWidgetItem);
        }
    }
    grid_->viewport()->setMouseTracking(true);
    grid_->viewport()->installEventFilter(this);
    grid_->horizontalHeader()->viewport()->setMouseTracking(true);
    grid_->horizontalHeader()->viewport()->installEventFilter(this);
    grid_->installEventFilter(this);
    buildCellMenu();
}

void KeysGridView::buildCellMenu() {
    cellMenu_ = new QMenu(grid_);
    cellMenu_->setObjectName(QStringLiteral("PopupMenuGridKeyx"));
    auto add = [this](const char* name, const QKeySequence& keys, auto handler) {
        QAction* action = cellMenu_->addAction(QString());
        action->setObjectName(QString::fromLatin1(name));
        if (!keys.isEmpty()) {
            // The keys work while the grid has the focus, menu closed.
            action->setShortcut(keys);
            action->setShortcutContext(Qt::WidgetShortcut);
            grid_->addAction(action);
        }
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    asKey_ = add("MenuItemUseAsKeyx", QKeySequence(Qt::CTRL | Qt::Key_B),
                 [this] { assignSelected(editor::DropPanel::Key); });
    asModifier_ = add("MenuItemUseAsModifierx", QKeySequence(Qt::CTRL | Qt::Key_M),
                      [this] { assignSelected(editor::DropPanel::Modifier); });
    cellMenu_->addSeparator();
    deleteKey_ = add("MenuItemDeleteKeyx", QKeySequence(), [this] { deleteSelected(editor::DeleteOneKey); });
    deleteChannel_ = add("MenuItemDeleteChannelx", QKeySequence(), [this] { deleteSelected(editor::DeleteChannel); });
    connect(cellMenu_, &QMenu::aboutToShow, this, [this] { updateCellMenu(); });
}

void KeysGridView::retranslate() {
    for (int column = 0; column < editor::kGridColumns; ++column) {
        const QString text = QString::fromStdString(editor::channelCaption(column));
        if (QTableWidgetItem* item = grid_->horizontalHeaderItem(column)) item->setText(text);
        else grid_->setHorizontalHeaderItem(column, new QTableWidgetItem(text));
    }
    rewriteEncoderLabels();
    asKey_->setText(QString::fromUtf8(localized(kUseAsKeyText)));
    asModifier_->setText(QString::fromUtf8(localized(kUseAsModifierText)));
    deleteKey_->setText(QString::fromUtf8(localized(editor::deleteActionCaption(editor::DeleteOneKey))));
    nameCells();
}

void KeysGridView::nameCell(int column, int row) {
    QTableWidgetItem* item = grid_->item(row - 1, column);
    if (item == nullptr) return;
    const QString text = item->text().isEmpty() ? QString::fromUtf8(localized(kEmptyCellText)) : item->text();
    const QString name = QStringLiteral("%1, %2: %3").arg(qs(editor::channelCaption(column))).arg(row).arg(text);
    if (item->data(Qt::AccessibleTextRole).toString() != name) item->setData(Qt::AccessibleTextRole, name);
}

void KeysGridView::nameCells() {
    for (int column = 0; column < editor::kGridColumns; ++column)
        for (int row = 1; row < editor::kGridRows; ++row) nameCell(column, row);
}

// ---- showing ----

void KeysGridView::fillGrid() {
    markedRow_ = {};
    for (int column = 0; column < kChannels; ++column) {
        for (int row = 1; row < editor::kGridRows; ++row) {
            QTableWidgetItem* item = grid_->item(row - 1, column);
            item->setText(qs(rules_.cellText(column, row)));
            Qt::ItemFlags flags = Qt::NoItemFlags;
            if (rules_.editable(column, row)) flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
            item->setFlags(flags);
            nameCell(column, row);
        }
    }
    rewriteEncoderLabels();
    grid_->viewport()->update();
}

void KeysGridView::rewriteEncoderLabels() {
    for (int row = 1; row < editor::kGridRows; ++row) {
        QTableWidgetItem* item = grid_->item(row - 1, kEncoderColumn);
        item->setText(qs(rules_.cellText(kEncoderColumn, row)));
        item->setFlags(rules_.selectable(kEncoderColumn, row) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                                               : Qt::NoItemFlags);
        nameCell(kEncoderColumn, row);
    }
}

void KeysGridView::setKeyCell(int column, int row, const QString& text, bool marked) {
    if (column < 0 || column >= kChannels || row < 1 || row >= editor::kGridRows) return;
    if (marked) markedRow_[column] = row;
    else if (markedRow_[column] == row) markedRow_[column] = 0;
    QTableWidgetItem* item = grid_->item(row - 1, column);
    // Qt hands every change of an item to its open editor, which then drops
    // what the user has typed. Learning sets the held button's cell on every
    // reading (a real controller's level never reads the same twice), and
    // that is the very button the user is naming: the cell is left alone
    // from the opening of its editor until the sync tick has committed the
    // name, which may come a reading after the editor has closed.
    if (!rules_.beingNamed(column, row) && !cellEditorOpen(column, row)) item->setText(text);
    const Qt::ItemFlags flags = rules_.editable(column, row)
                                    ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                    : Qt::NoItemFlags;
    if (item->flags() != flags) item->setFlags(flags);
    nameCell(column, row);
    grid_->viewport()->update();
}

bool KeysGridView::cellEditorOpen(int column, int row) const {
    return grid_->indexWidget(grid_->model()->index(row - 1, column)) != nullptr;
}

QString KeysGridView::keyCellText(int column, int row) const {
    if (column < 0 || column >= kChannels || row < 1 || row >= editor::kGridRows) return {};
    if (auto* typing = qobject_cast<QLineEdit*>(grid_->indexWidget(grid_->model()->index(row - 1, column))))
        return typing->text();
    return grid_->item(row - 1, column)->text();
}

void KeysGridView::markCell(int column, int row) {
    if (column < 0 || column >= kChannels) return;
    markedRow_[column] = row;
    grid_->viewport()->update();
}

bool KeysGridView::cellMarked(int column, int row) const {
    return column >= 0 && column < kChannels && row != 0 && markedRow_[column] == row;
}

void KeysGridView::clearGridSelection() {
    grid_->clearSelection();
    // The keyboard keeps its place: without a current cell the menu key
    // offers nothing and Ctrl+B does nothing.
    if (keyboardIsHere()) keepCurrentCell();
    else grid_->setCurrentCell(-1, -1);
}

bool KeysGridView::keyboardIsHere() const {
    // The window's focus widget rather than hasFocus(): a closing menu or
    // an inactive window still comes back to the grid.
    return grid_->window()->focusWidget() == grid_;
}

void KeysGridView::keepCurrentCell() {
    const QModelIndex current = grid_->currentIndex();
    const int column = current.isValid() ? current.column() : 0;
    const int row = current.isValid() ? current.row() + 1 : 1;
    // The nearest cell that can be acted on: in the same column first
    // (a deleted button's neighbours), then from the left.
    auto place = [this](int c, int r) { grid_->setCurrentCell(r - 1, c, QItemSelectionModel::NoUpdate); };
    if (rules_.selectable(column, row)) {
        place(column, row);
        return;
    }
    for (int distance = 1; distance < editor::kGridRows; ++distance) {
        for (int r : {row - distance, row + distance}) {
            if (r >= 1 && r < editor::kGridRows && rules_.selectable(column, r)) {
                place(column, r);
                return;
            }
        }
    }
    for (int c = 0; c < editor::kGridColumns; ++c) {
        for (int r = 1; r < editor::kGridRows; ++r) {
            if (rules_.selectable(c, r)) {
                place(c, r);
                return;
            }
        }
    }
    // Nothing to act on: the frame still shows where the keyboard is.
    if (!current.isValid()) place(0, 1);
}

// ---- the keyboard ----

QPoint KeysGridView::selectedCell() const {
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid() || !rules_.selectable(current.column(), current.row() + 1)) return {};
    return {current.column(), current.row() + 1};
}

void KeysGridView::updateCellMenu() {
    const QPoint cell = selectedCell();
    const bool button = cell.y() != 0;
    asKey_->setEnabled(button);
    asModifier_->setEnabled(button && cell.x() != kEncoderColumn);
    deleteKey_->setEnabled(button && cell.x() != kEncoderColumn);
    const bool channel = button && cell.x() < kChannels && rules_.channelHasData(cell.x());
    deleteChannel_->setVisible(channel);
    if (channel) {
        deleteChannel_->setText(
            qs(formatText(localized(editor::deleteActionCaption(editor::DeleteChannel)), cell.x() + 1)));
    }
}

void KeysGridView::popupCellMenu() {
    const QModelIndex current = grid_->currentIndex();
    const QRect cell = current.isValid() ? grid_->visualRect(current) : QRect();
    cellMenu_->popup(grid_->viewport()->mapToGlobal(cell.isValid() ? cell.center() : QPoint(0, 0)));
}

void KeysGridView::assignSelected(editor::DropPanel panel) {
    const QPoint cell = selectedCell();
    if (cell.y() != 0 && partner_ != nullptr) partner_->assignFromGrid(panel, cell.x(), cell.y());
}

void KeysGridView::deleteSelected(int action) {
    const QPoint cell = selectedCell();
    if (cell.y() == 0 || partner_ == nullptr) return;
    // What a right click on the cell (or its channel's caption) would offer.
    const editor::GridPress press =
        rules_.press(cell.x(), action == editor::DeleteChannel ? 0 : cell.y(), GridButton::Right);
    if (press.menu == action) partner_->runDelete(action);
}

// ---- the mouse ----

bool KeysGridView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == grid_) {
        // However the grid got the focus, the keyboard has a cell to start from.
        if (type == QEvent::FocusIn && !grid_->currentIndex().isValid()) keepCurrentCell();
        // The menu key and Shift+F10; a right click has its own menus.
        if (type == QEvent::ContextMenu && static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse) {
            popupCellMenu();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    const bool header = watched == grid_->horizontalHeader()->viewport();
    if ((watched != grid_->viewport() && !header) ||
        (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)) {
        return QObject::eventFilter(watched, event);
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    const QPoint local = mouse->position().toPoint();
    int column = -1;
    int row = -1;
    if (header) {
        column = grid_->horizontalHeader()->logicalIndexAt(local);
        row = 0;
    } else if (const QModelIndex index = grid_->indexAt(local); index.isValid()) {
        column = index.column();
        row = index.row() + 1;
    }
    if (type == QEvent::MouseButtonPress) {
        mouseDown(column, row, mouse->button(), global);
        // The header has nothing to select; the cells select themselves.
        return header;
    }
    if (type == QEvent::MouseMove) {
        if (rules_.state().dragging != 0) {
            dragTo(global, false);
            return true;  // a drag never extends the selection
        }
        mouseMove(column, row, global);
        return false;
    }
    if (rules_.state().dragging != 0) mouseUp(global);
    return false;
}

void KeysGridView::mouseDown(int column, int row, Qt::MouseButton button, const QPoint& global) {
    const editor::GridPress press = rules_.press(column, row, gridButton(button));
    if (press.menu != editor::NoDeleteAction && partner_ != nullptr) {
        partner_->offerDelete(press.menu, global, press.channel);
    }
    if (press.drag) setDragPointer(PointerShape::NoDrop);
}

void KeysGridView::mouseMove(int column, int row, const QPoint& global) {
    if (column < 0 || row < 0) return;
    const editor::PointerHint hint = rules_.pointerAt(column, row);
    QWidget* surface = row == 0 ? grid_->horizontalHeader()->viewport() : grid_->viewport();
    surface->setCursor(cursorShape(hint.shape));
    if (hint.tip.empty()) {
        withdrawHint();
        return;
    }
    const QString tip = qs(hint.tip);
    page_->setToolTip(tip);
    QToolTip::showText(global, tip, grid_);
}

void KeysGridView::mouseUp(const QPoint& global) {
    dragTo(global, true);
    rules_.state().dragging = 0;
    if (dragPointerSet_) {
        QApplication::restoreOverrideCursor();
        dragPointerSet_ = false;
    }
    if (partner_ != nullptr) partner_->dragEnded();
    withdrawHint();
}

void KeysGridView::dragTo(const QPoint& global, bool dropping) {
    const bool accepting = partner_ != nullptr && partner_->dragOver(global, dropping);
    setDragPointer(accepting ? PointerShape::Drag : PointerShape::NoDrop);
}

void KeysGridView::setDragPointer(PointerShape shape) {
    const QCursor cursor(cursorShape(shape));
    if (dragPointerSet_) {
        QApplication::changeOverrideCursor(cursor);
    } else {
        QApplication::setOverrideCursor(cursor);
        dragPointerSet_ = true;
    }
}

void KeysGridView::withdrawHint() {
    page_->setToolTip(QString());
    QToolTip::hideText();
}

void KeysGridView::withdrawHintWhenDue() {
    if (rules_.state().dragging != 0 || page_->toolTip().isEmpty()) return;
    const QRect gridOnScreen(grid_->mapToGlobal(QPoint(0, 0)), grid_->size());
    if (gridOnScreen.contains(QCursor::pos())) return;
    withdrawHint();
    grid_->viewport()->setCursor(Qt::ForbiddenCursor);
}

// ---- naming a button ----

QWidget* KeysGridView::openNameEditor(QWidget* parent, int column, int row) {
    // Encoder labels are fixed, and a slot without a button has no name.
    if (!rules_.editable(column, row)) return nullptr;
    rules_.namingOpened(column, row, grid_->item(row - 1, column)->text().toStdString());
    auto* lineEdit = new QLineEdit(parent);
    lineEdit->setFrame(false);
    lineEdit->setAlignment(Qt::AlignCenter);
    connect(lineEdit, &QLineEdit::textEdited, this,
            [this, column, row, lineEdit](const QString& text) { nameTyped(column, row, lineEdit, text); });
    return lineEdit;
}

void KeysGridView::nameTyped(int column, int row, QWidget* lineEdit, const QString& text) {
    const std::string kept = KeysGridRules::typedName(text.toStdString());
    if (kept == text.toStdString()) return;
    const QString cut = qs(kept);
    static_cast<QLineEdit*>(lineEdit)->setText(cut);
    grid_->item(row - 1, column)->setText(cut);
}

void KeysGridView::commitTypedName() {
    if (grid_->editorOpen() || !rules_.namingClosed()) return;
    const editor::GridEditorState& state = rules_.state();
    const int column = state.editCol;
    const int row = state.editRow;
    const std::string button = rules_.autoLabel(column, row);
    // The name the button had, which is what undo brings back. The step
    // spans the whole handler, so what showing the event again straightens
    // out undoes with the rename.
    const std::string before = editor::buttonName(record_.image, column, row);
    EditStep step(window_.editHistory(), record_.image, editLabel(N_("name of button %s"), button.c_str()));
    QTableWidgetItem* item = grid_->item(row - 1, column);
    const KeysGridRules::NameCommit result =
        item != nullptr ? rules_.commitName(column, row, item->text().toStdString(), state.editText)
                        : KeysGridRules::NameCommit{KeysGridRules::NameOutcome::NoButton, {}, {}};
    if (result.outcome == KeysGridRules::NameOutcome::Duplicate) {
        window_.showMessage(MessageKind::Information, formatText(localized(kDuplicateName), result.refused.c_str()));
    }
    if (item != nullptr) item->setText(qs(result.text));
    nameCell(column, row);
    if (!result.text.empty()) {
        step.rename(editLabel(N_("rename button %s to %s"), before.c_str(),
                              result.text.c_str()));
    }
    if (partner_ != nullptr) partner_->buttonsChanged();
    clearGridSelection();
}

} // namespace zmt::ui
