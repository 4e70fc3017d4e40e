#include "ui/editor/parameters_editor.h"

#include "config/reaction_text.h"
#include "device/device_link.h"
#include "lang/lang.h"
#include "ui/editor/parameters_panel.h"
#include "ui/main/controls.h"
#include "ui/main/form_keyboard.h"
#include "ui/main/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableWidget>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <cstring>

namespace zmt::ui {

using editor::DropPanel;
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
    "Имя \"%s\"\nуже присвоено другой кнопке\nВведите другое имя\0"
    "The name \"%s\"\nis already assigned\nPlease enter a different name";
constexpr const char* kHomeCaption =
    "Клавиатура (реакция на виртуальную кнопку HOME)\0Keyboard (reaction to the virtual button HOME)";
constexpr const char* kHomeAgainCaption = "Клавиатура (кнопка HOME)\0Keyboard (HOME key)";
constexpr unsigned kInformationBox = 0x40;

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

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

template <typename T>
T* named(QWidget* parent, const char* name) {
    auto* control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

Panel* captionPanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = named<Panel>(parent, name);
    panel->setFrameStyle(QFrame::NoFrame);
    panel->setGeometry(geometry);
    return panel;
}

// A panel that shows a reaction: a bold, centred text that lets clicks
// through to the panel it sits in.
QLabel* reactionMemo(Panel* panel, const char* name) {
    auto* memo = named<QLabel>(panel, name);
    memo->setTextFormat(Qt::PlainText);
    memo->setAlignment(Qt::AlignCenter);
    memo->setWordWrap(true);
    QFont bold = memo->font();
    bold.setBold(true);
    memo->setFont(bold);
    memo->setAttribute(Qt::WA_TransparentForMouseEvents);
    memo->setGeometry(panel->contentsRect().adjusted(2, 2, -2, -2));
    return memo;
}

} // namespace

// The grid itself; the only thing it adds is telling whether its in-place
// editor is open, which Qt keeps to the view.
class KeysGridView : public QTableWidget {
public:
    using QTableWidget::QTableWidget;
    bool editorOpen() const { return state() == QAbstractItemView::EditingState; }
};

// Draws every cell the same way whatever is selected (the highlight belongs
// to the learning procedure, not to the selection) and opens the name editor.
class KeysGridDelegate : public QStyledItemDelegate {
public:
    KeysGridDelegate(ParametersEditor& editor, QObject* parent) : QStyledItemDelegate(parent), editor_(editor) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int column = index.column();
        const int row = index.row() + 1;
        const bool marked = column < kChannels && editor_.record_.keyCellMark[column][row] != 0;
        painter->save();
        painter->fillRect(option.rect, marked ? kBlue : option.palette.color(QPalette::Button));
        painter->setPen(marked ? option.palette.color(QPalette::Base) : QColor(Qt::black));
        painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine, index.data().toString());
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        return editor_.openNameEditor(parent, index.column(), index.row() + 1);
    }

private:
    ParametersEditor& editor_;
};

ParametersEditor::ParametersEditor(MainForm& window, _zelmorvatouch& record, ParametersPanel& panel)
    : QObject(&window), window_(window), record_(record), gridRules_(record), eventRules_(record, gridRules_) {
    setObjectName(QStringLiteral("ParametersEditor"));
    page_ = window.findChild<QWidget*>(QStringLiteral("TabSheetParameters"));
    if (page_ == nullptr) page_ = &window;
    buildGrid(page_);
    buildEventEditor(page_);
    buildHomeKey(panel);
    // Mode changes on the panel change what the encoder column and the
    // selected event show.
    panel.refillEncoderColumn = [this] { rewriteEncoderLabels(); };
    panel.showSelectedEvent = [this] { showSelectedEvent(); };

    deleteMenu_ = new QMenu(&window);
    deleteMenu_->setObjectName(QStringLiteral("PopupMenuKeys"));
    deleteItem_ = deleteMenu_->addAction(QString());
    deleteItem_->setObjectName(QStringLiteral("DeleteKeyx"));
    connect(deleteItem_, &QAction::triggered, this, [this] { DeleteKeyxClick(); });

    installHooks();
}

ParametersEditor::~ParametersEditor() {
    if (dragPointerSet_) QApplication::restoreOverrideCursor();
    // The picker may outlive us; its describe callback points at our memos.
    if (FormKeyBoard* picker = window_.picker()) picker->detach();
}

// ---- building ----

void ParametersEditor::buildGrid(QWidget* page) {
    groupBoxKeys_ = named<QGroupBox>(page, "GroupBoxKeys");
    groupBoxKeys_->setGeometry(0, 0, 241, 361);

    grid_ = named<KeysGridView>(groupBoxKeys_, "StringGridKeys");
    grid_->setGeometry(4, 18, 234, 339);
    grid_->setColumnCount(editor::kGridColumns);
    grid_->setRowCount(kSlotsPerChannel);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    grid_->horizontalHeader()->setMinimumSectionSize(kColumnWidth);
    grid_->horizontalHeader()->setFixedHeight(kRowHeight);
    grid_->horizontalHeader()->setSectionsClickable(false);
    grid_->horizontalHeader()->setHighlightSections(false);
    // "Канал 1" and "Энкодер" must fit a 45 px column: no section padding,
    // and a slightly smaller type than the window's where that is too wide.
    QFont headerFont = grid_->horizontalHeader()->font();
    const int widest = std::max(QFontMetrics(headerFont).horizontalAdvance(QStringLiteral("Канал 4")),
                                QFontMetrics(headerFont).horizontalAdvance(QStringLiteral("Энкодер")));
    const double points = headerFont.pointSizeF() * std::min(1.0, double(kColumnWidth - 2) / widest);
    grid_->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { padding: 0px; font-size: %1pt; }").arg(points, 0, 'f', 1));
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setMinimumSectionSize(kRowHeight);
    grid_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->verticalHeader()->setStretchLastSection(true);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setDragEnabled(false);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    grid_->setItemDelegate(new KeysGridDelegate(*this, grid_));
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
}

void ParametersEditor::buildEventEditor(QWidget* page) {
    // The tab strip and the event panel under it form one area, locked and
    // unlocked together.
    eventArea_ = named<QWidget>(page, "PanelEVKEY");
    eventArea_->setGeometry(244, 0, 442, 159);
    eventTabs_ = named<QTabBar>(eventArea_, "TabControlEVKEYx");
    eventTabs_->setGeometry(0, 0, 442, 24);
    eventTabs_->setUsesScrollButtons(true);
    eventTabs_->setExpanding(false);
    eventTabs_->setDrawBase(true);
    eventTabs_->setFocusPolicy(Qt::NoFocus);
    for (int i = 1; i <= kEvents; ++i) eventTabs_->addTab(QString::number(i));
    connect(eventTabs_, &QTabBar::currentChanged, this, [this] { TabControlEVKEYxChange(); });

    auto* panelEvent = named<Panel>(eventArea_, "PanelEvent");
    panelEvent->setFrameStyle(QFrame::NoFrame);
    panelEvent->setGeometry(3, 27, 436, 129);

    auto* groupEvent = named<QGroupBox>(panelEvent, "GroupBoxEvent");
    groupEvent->setGeometry(0, 0, 221, 129);

    panelModKey_ = named<Panel>(groupEvent, "PanelMODKEY");
    panelModKey_->setFrameStyle(QFrame::NoFrame);
    panelModKey_->setGeometry(4, 17, 188, 44);
    captionPanel(panelModKey_, "PanelKeyModText", QRect(0, 0, 92, 18));
    captionPanel(panelModKey_, "PanelKeyText", QRect(96, 0, 92, 18));
    keyModPanel_ = named<Panel>(panelModKey_, "PanelKeyModx");
    keyModPanel_->setGeometry(0, 19, 92, 24);
    keyValPanel_ = named<Panel>(panelModKey_, "PanelKeyValx");
    keyValPanel_->setGeometry(96, 19, 92, 24);
    for (Panel* panel : {keyModPanel_, keyValPanel_}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAutoFillBackground(true);
        setPanelNormal(panel);
        panel->installEventFilter(this);
    }

    panelIrCode_ = named<Panel>(groupEvent, "PanelIRCODE");
    panelIrCode_->setFrameStyle(QFrame::NoFrame);
    panelIrCode_->setGeometry(4, 17, 188, 44);
    Panel* irCaption = captionPanel(panelIrCode_, "PanelKeyIRCODEText", QRect(0, 0, 188, 18));
    panelIrDef_ = named<Panel>(panelIrCode_, "PanelIRDEFx");
    panelIrDef_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panelIrDef_->setGeometry(0, 19, 188, 24);
    // The whole infrared area offers the menu that removes the code.
    for (QWidget* part : {static_cast<QWidget*>(panelIrCode_), static_cast<QWidget*>(irCaption),
                          static_cast<QWidget*>(panelIrDef_)}) {
        part->installEventFilter(this);
    }
    panelIrCode_->hide();

    auto* irGet = named<QToolButton>(groupEvent, "SpeedButtonIRGET");
    irGet->setText(QStringLiteral("IR"));
    irGet->setIcon(pictureIcon(":/icons/ir_receive.png"));
    irGet->setAutoRaise(true);
    irGet->setGeometry(195, 36, 22, 24);
    connect(irGet, &QToolButton::clicked, this, [this] { SpeedButtonIRGETClick(); });

    captionPanel(groupEvent, "PanelEventEvent", QRect(4, 66, 62, 24))->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    eventType_ = named<QComboBox>(groupEvent, "ComboBoxEventEvent");
    eventType_->setGeometry(68, 66, 149, 24);
    for (const char* item : kEventTypeItems) eventType_->addItem(QString::fromUtf8(LangText(item)));
    eventType_->setCurrentIndex(0);
    eventType_->setEnabled(false);
    connect(eventType_, &QComboBox::activated, this, [this](int index) { ComboBoxEventEventChange(index); });

    once_ = named<QCheckBox>(groupEvent, "CheckBoxEventOnce");
    once_->setGeometry(6, 98, 110, 22);
    once_->setEnabled(false);
    connect(once_, &QCheckBox::clicked, this, [this](bool checked) { CheckBoxEventOnceClick(checked); });
    wakeUp_ = named<QCheckBox>(groupEvent, "CheckBoxEventWakeUp");
    wakeUp_->setGeometry(118, 98, 100, 22);
    connect(wakeUp_, &QCheckBox::clicked, this, [this](bool checked) { CheckBoxEventWakeUpClick(checked); });

    auto* groupReaction = named<QGroupBox>(panelEvent, "GroupBoxReaction");
    groupReaction->setGeometry(224, 0, 211, 129);
    reactionPanel_ = named<Panel>(groupReaction, "PanelEventReactionx");
    reactionPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    reactionPanel_->setGeometry(5, 17, 201, 78);
    reactionPanel_->setCursor(Qt::PointingHandCursor);
    reactionPanel_->installEventFilter(this);
    reactionMemo_ = reactionMemo(reactionPanel_, "MemoEventReactionx");
    auto* irSend = named<QToolButton>(groupReaction, "SpeedButtonGetIRSend");
    irSend->setText(QStringLiteral("IR"));
    irSend->setIcon(pictureIcon(":/icons/ir_receive.png"));
    irSend->setAutoRaise(true);
    irSend->setGeometry(184, 99, 22, 24);
    connect(irSend, &QToolButton::clicked, this, [this] { SpeedButtonGetIRSendClick(); });
}

void ParametersEditor::buildHomeKey(ParametersPanel& panel) {
    // The HOME key shares the touch group with the touch settings, below them.
    QWidget* touch = panel.findChild<QGroupBox*>(QStringLiteral("GroupBoxTouch"));
    if (touch == nullptr) touch = &panel;
    // The longest descriptions ("ConsumerPage:MACHINE BROWSER", a key with
    // three modifiers and two keys) need the group's whole width and two
    // lines, so the caption stands above the panel.
    Panel* caption = captionPanel(touch, "PanelHOMEText", QRect(8, 98, 234, 15));
    caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    homePanel_ = named<Panel>(touch, "PanelHOMEx");
    homePanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    homePanel_->setGeometry(8, 113, 234, 33);
    homePanel_->setCursor(Qt::PointingHandCursor);
    homePanel_->installEventFilter(this);
    homeMemo_ = reactionMemo(homePanel_, "MemoHOMEx");
    homeMemoPoints_ = homeMemo_->font().pointSizeF();
    fitHomeMemo();
}

void ParametersEditor::fitHomeMemo() {
    // Two lines hold every description but a key with most of the eight
    // modifiers and two keys; such a one is set in a smaller type rather
    // than cut.
    constexpr double kSmallestPoints = 6.0;
    const QRect inside = homePanel_->contentsRect();
    const int width = inside.width() - 4;
    QString description = homeMemo_->text().section(QLatin1Char('\n'), 1);
    QFont font = homeMemo_->font();
    font.setPointSizeF(homeMemoPoints_);
    while (font.pointSizeF() > kSmallestPoints) {
        const QRect needed = QFontMetrics(font).boundingRect(QRect(0, 0, width, 1000), Qt::AlignHCenter | Qt::TextWordWrap,
                                                             description);
        if (needed.height() <= inside.height() && needed.width() <= width) break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    homeMemo_->setFont(font);
    // A memo's first line is blank: it centres the text in the event's
    // taller box. Here it lies above the panel's edge, so the panel's
    // height is left for the description, centred in it.
    const int line = QFontMetrics(font).lineSpacing();
    homeMemo_->setGeometry(inside.left() + 2, inside.top() - line, width, inside.height() + line);
}

void ParametersEditor::installHooks() {
    MainFormHooks& hooks = window_.hooks();
    hooks.withdrawKeysHint = [this] { TimerCommonWithdrawHint(); };
    hooks.commitKeyName = [this] { TimerCommonCommitName(); };
    hooks.rewriteEncoderLabels = [this] { rewriteEncoderLabels(); };
    hooks.prepareEditor = [previous = hooks.prepareEditor, this] {
        if (previous) previous();
        prepareEditor();
    };
}

void ParametersEditor::prepareEditor() {
    record_.clear();
    eventType_->setCurrentIndex(0);
    const int page = window_.initialEventPage();
    if (page >= 0 && page < eventTabs_->count()) eventTabs_->setCurrentIndex(page);
}

// ---- showing ----

void ParametersEditor::showImage() {
    rewriteEncoderLabels();
    describeHomeReaction();
    fillGrid();
    showSelectedEvent();
}

void ParametersEditor::fillGrid() {
    for (int column = 0; column < kChannels; ++column) {
        for (int row = 1; row < editor::kGridRows; ++row) {
            record_.keyCellMark[column][row] = 0;
            QTableWidgetItem* item = grid_->item(row - 1, column);
            item->setText(qs(gridRules_.cellText(column, row)));
            Qt::ItemFlags flags = Qt::NoItemFlags;
            if (gridRules_.editable(column, row)) flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
            item->setFlags(flags);
        }
    }
    rewriteEncoderLabels();
    grid_->viewport()->update();
}

void ParametersEditor::rewriteEncoderLabels() {
    for (int row = 1; row < editor::kGridRows; ++row) {
        QTableWidgetItem* item = grid_->item(row - 1, kEncoderColumn);
        item->setText(qs(gridRules_.cellText(kEncoderColumn, row)));
        item->setFlags(gridRules_.selectable(kEncoderColumn, row) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                                                   : Qt::NoItemFlags);
    }
}

void ParametersEditor::setKeyCell(int column, int row, const QString& text, bool marked) {
    if (column < 0 || column >= kChannels || row < 1 || row >= editor::kGridRows) return;
    record_.keyCellMark[column][row] = marked ? 1 : 0;
    QTableWidgetItem* item = grid_->item(row - 1, column);
    // Qt hands every change of an item to its open editor, which then drops
    // what the user has typed. Learning sets the held button's cell on every
    // reading (a real controller's level never reads the same twice), and
    // that is the very button the user is naming: the cell is left alone
    // from the opening of its editor until the common tick has committed the
    // name, which may come a reading after the editor has closed.
    const GridEditorState& naming = record_.grid;
    const bool beingNamed = naming.editState != 0 && naming.editCol == column && naming.editRow == row;
    if (!beingNamed && !cellEditorOpen(column, row)) item->setText(text);
    const Qt::ItemFlags flags = gridRules_.editable(column, row)
                                    ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                    : Qt::NoItemFlags;
    if (item->flags() != flags) item->setFlags(flags);
    grid_->viewport()->update();
}

bool ParametersEditor::cellEditorOpen(int column, int row) const {
    return grid_->indexWidget(grid_->model()->index(row - 1, column)) != nullptr;
}

QString ParametersEditor::keyCellText(int column, int row) const {
    if (column < 0 || column >= kChannels || row < 1 || row >= editor::kGridRows) return {};
    if (auto* typing = qobject_cast<QLineEdit*>(grid_->indexWidget(grid_->model()->index(row - 1, column))))
        return typing->text();
    return grid_->item(row - 1, column)->text();
}

void ParametersEditor::repaintGrid() { grid_->viewport()->update(); }

void ParametersEditor::clearGridSelection() {
    grid_->clearSelection();
    grid_->setCurrentCell(-1, -1);
}

int ParametersEditor::selectedEvent() const { return eventTabs_->currentIndex(); }

void ParametersEditor::showEvent(int index) {
    const editor::EventView view = eventRules_.showEvent(index);
    EventRecord* event = record_.image.eventAt(index);

    eventType_->setCurrentIndex(view.eventType < eventType_->count() ? view.eventType : -1);
    eventType_->setEnabled(view.typeEnabled);
    once_->setChecked(view.once);
    once_->setEnabled(view.onceEnabled);
    wakeUp_->setChecked(view.wakeUp);
    wakeUp_->setEnabled(view.wakeUpEnabled);

    panelModKey_->setVisible(!view.irTrigger);
    panelIrCode_->setVisible(view.irTrigger);
    panelIrDef_->setText(qs(view.irText));
    keyModPanel_->setText(qs(view.modifierText));
    keyValPanel_->setText(qs(view.keyText));

    // The picker describes HID reactions itself when it opens on them; an
    // infrared one has only the memo's own text.
    FormKeyBoard* picker = window_.picker();
    const bool pickerOpen = event != nullptr && picker != nullptr && picker->isVisible();
    if (view.irReaction || !pickerOpen) setMemoLines(reactionMemo_, view.reactionLines);
    // An open picker follows the selected tab. It does so for an infrared
    // reaction too (and clears its highlights): left on the previous event,
    // its next click would change that event while this one's memo showed
    // the result.
    if (pickerOpen) openPicker(eventCaption(index), reactionMemo_, event->reaction);
    else if (view.irReaction && picker != nullptr) picker->clearHighlights();
    if (window_.isVisible()) window_.update();
}

void ParametersEditor::describeHomeReaction() {
    // An infrared HOME reaction (from a file or another program) is named
    // like an event's; leaving the memo alone would keep showing the HOME key
    // of whatever image was shown before.
    setMemoLines(homeMemo_, reactionMemoLines(record_.image.homeReaction));
    fitHomeMemo();
}

void ParametersEditor::setMemoLines(QLabel* memo, const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) text << qs(line);
    memo->setText(text.join(QLatin1Char('\n')));
}

void ParametersEditor::setEditorLock(bool enabled) {
    for (const char* name : {"GroupBoxKeys", "PanelEVKEY", "GroupBoxKeySetup", "GroupBoxEncoder1Setup",
                             "GroupBoxEncoder2Setup", "GroupBoxTouch", "GroupBoxHEAD"}) {
        if (auto* control = window_.findChild<QWidget*>(QString::fromLatin1(name))) control->setEnabled(enabled);
    }
    if (FormKeyBoard* picker = window_.picker()) {
        for (const char* name : {"GroupBoxSystemControl", "GroupBoxKeyboardPage0C", "GroupBoxKeyboardPage07"}) {
            if (auto* control = picker->findChild<QWidget*>(QString::fromLatin1(name))) control->setEnabled(enabled);
        }
    }
}

// ---- the picker ----

const char* ParametersEditor::eventCaption(int index) {
    // Built as a bilingual literal of our own, so a language switch picks
    // the other half just like it does for the fixed captions.
    eventCaption_.fill('\0');
    const std::string russian = formatText("Клавиатура (реакция на событие %d)", index + 1);
    const std::string english = formatText("Keyboard (Reactions for the event %d)", index + 1);
    const std::size_t room = eventCaption_.size() - 2;
    const std::size_t first = std::min(russian.size(), room / 2);
    std::memcpy(eventCaption_.data(), russian.data(), first);
    std::memcpy(eventCaption_.data() + first + 1, english.data(), std::min(english.size(), room - first - 1));
    return eventCaption_.data();
}

EditStep ParametersEditor::edit(EditLabel label) {
    // The step spans the whole handler, so what showing the event again
    // straightens out undoes with the edit that caused it.
    return EditStep(window_.editHistory(), record_.image, std::move(label));
}

void ParametersEditor::openPicker(const char* captionLiteral, QLabel* memo, Reaction& reaction) {
    FormKeyBoard* picker = window_.picker();
    if (picker == nullptr) return;
    // Each change the picker makes is a step of its own. The picker calls
    // back after every change and when it opens; changes nobody named are
    // set apart first, so the picker's name goes only to what it changed.
    EditHistory* history = window_.editHistory();
    if (history != nullptr) history->checkpoint(record_.image);
    const EditLabel label = &reaction == &record_.image.homeReaction
                                ? editLabel("реакция HOME\0HOME reaction")
                                : editLabel("событие %d: реакция\0event %d: reaction", selectedEvent() + 1);
    picker->open(reaction,
                 [this, &reaction, memo, label] {
                     if (EditHistory* now = window_.editHistory()) now->checkpoint(record_.image, label);
                     DescribeReaction(reaction, *memo);
                     if (memo == homeMemo_) fitHomeMemo();
                 },
                 captionLiteral);
}

void ParametersEditor::PanelEventReactionxClick() {
    const int index = selectedEvent();
    EventRecord* event = record_.image.eventAt(index);
    if (event == nullptr) return;
    openPicker(eventCaption(index), reactionMemo_, event->reaction);
    bringPickerForward();
}

void ParametersEditor::PanelHOMExClick() {
    openPicker(kHomeCaption, homeMemo_, record_.image.homeReaction);
    bringPickerForward();
}

void ParametersEditor::bringPickerForward() {
    // A click on a reaction is the way to the picker; one already open may
    // lie behind the main window, and the click would look dead. Following
    // the selected tab does not come here: that must not take the input
    // away from the main window.
    if (FormKeyBoard* picker = window_.picker()) {
        picker->raise();
        picker->activateWindow();
    }
}

// ---- infrared capture ----

IrCodeReader ParametersEditor::irReader() {
    return [this](IrCode& code) { return link_ != nullptr ? readIrCode(*link_, code) : ResultCode(errDisconnected); };
}

void ParametersEditor::SpeedButtonIRGETClick() {
    const EditStep step = edit(editLabel("ИК код события %d\0IR trigger of event %d", selectedEvent() + 1));
    if (EventRecord* event = record_.image.eventAt(selectedEvent())) reportIrCapture(captureIrTrigger(*event, irReader()));
}

void ParametersEditor::SpeedButtonGetIRSendClick() {
    const EditStep step = edit(editLabel("ИК реакция события %d\0IR reaction of event %d", selectedEvent() + 1));
    if (EventRecord* event = record_.image.eventAt(selectedEvent())) reportIrCapture(captureIrReaction(*event, irReader()));
}

void ParametersEditor::reportIrCapture(const IrCapture& capture) {
    constexpr unsigned kWarningBox = 0x30;
    constexpr unsigned kErrorBox = 0x10;
    switch (capture.outcome) {
    case IrCaptureOutcome::BothSides:
        window_.showMessage(kWarningBox, LangText(kIrBothSidesText));
        break;
    case IrCaptureOutcome::ReadFailed:
        window_.MsgBox(kErrorBox, LangText(kIrReadFailedText), resultText(capture.result).c_str());
        break;
    case IrCaptureOutcome::NoCode:
        window_.showNotice(kNoIrCodeNoticeMs, kNoIrCodeBlinkMs, LangText(kNoIrCodeText));
        showSelectedEvent();
        break;
    case IrCaptureOutcome::NotNec:
        window_.showMessage(kWarningBox, LangText(kIrReactionNecOnlyText));
        break;
    case IrCaptureOutcome::Stored:
        showSelectedEvent();
        break;
    }
}

// ---- event handlers ----

void ParametersEditor::TabControlEVKEYxChange() { showSelectedEvent(); }

void ParametersEditor::ComboBoxEventEventChange(int index) {
    const EditStep step = edit(editLabel("событие %d: тип\0event %d: type", selectedEvent() + 1));
    eventRules_.setEventType(selectedEvent(), index);
    showSelectedEvent();
}

void ParametersEditor::CheckBoxEventOnceClick(bool checked) {
    const EditStep step = edit(editLabel("событие %d: однократно\0event %d: once", selectedEvent() + 1));
    eventRules_.setOnce(selectedEvent(), checked);
}

void ParametersEditor::CheckBoxEventWakeUpClick(bool checked) {
    const EditStep step = edit(editLabel("событие %d: пробуждение\0event %d: wake-up", selectedEvent() + 1));
    eventRules_.setWakeUp(selectedEvent(), checked);
}

void ParametersEditor::popupDeleteMenu(int action, const QPoint& global, int channel) {
    const char* caption = editor::deleteActionCaption(action);
    deleteItem_->setText(action == editor::DeleteChannel ? qs(formatText(LangText(caption), channel))
                                                         : QString::fromUtf8(LangText(caption)));
    record_.grid.popupAction = action;
    deleteMenu_->popup(global);
}

namespace {

// What a delete from the pop-up menu takes away, as the undo button names it.
EditLabel deleteLabel(int action, const editor::KeysGridRules& rules, const GridEditorState& grid, int event) {
    switch (action) {
    case editor::DeleteOneKey: {
        // Named as the grid labels an unnamed button: channel and level.
        const std::string button = rules.autoLabel(grid.dragCol, grid.dragRow);
        return editLabel("удалить кнопку %s\0delete button %s", button.c_str());
    }
    case editor::DeleteChannel:
        return editLabel("удалить канал %d\0delete channel %d", grid.dragCol + 1);
    case editor::DeleteModifier:
        return editLabel("событие %d: удалить модификатор\0event %d: delete modifier", event);
    case editor::DeleteEventKey:
        return editLabel("событие %d: удалить кнопку\0event %d: delete key", event);
    case editor::DeleteReaction:
        return editLabel("событие %d: удалить реакцию\0event %d: delete reaction", event);
    case editor::DeleteHomeReaction:
        return editLabel("удалить реакцию HOME\0delete HOME reaction");
    case editor::DeleteIrTrigger:
        return editLabel("событие %d: удалить ИК код\0event %d: delete IR trigger", event);
    default:
        return editLabel("удаление\0delete");
    }
}

} // namespace

void ParametersEditor::DeleteKeyxClick() {
    const EditStep step = edit(deleteLabel(record_.grid.popupAction, gridRules_, record_.grid, selectedEvent() + 1));
    const int action = eventRules_.runPendingDelete(gridRules_, selectedEvent());
    switch (action) {
    case editor::DeleteOneKey:
        setKeyCell(record_.grid.dragCol, record_.grid.dragRow, QString(), false);
        showSelectedEvent();
        break;
    case editor::DeleteChannel:
        for (int row = 1; row < editor::kGridRows; ++row) setKeyCell(record_.grid.dragCol, row, QString(), false);
        showSelectedEvent();
        break;
    case editor::DeleteHomeReaction: {
        FormKeyBoard* picker = window_.picker();
        if (picker != nullptr && picker->isVisible()) openPicker(kHomeAgainCaption, homeMemo_, record_.image.homeReaction);
        else describeHomeReaction();
        break;
    }
    case editor::NoDeleteAction:
        break;
    default:
        showSelectedEvent();
        break;
    }
    clearGridSelection();
}

void ParametersEditor::panelMouseDown(QObject* panel, Qt::MouseButton button, const QPoint& global) {
    if (button != Qt::RightButton) return;
    const int index = selectedEvent();
    int action = editor::NoDeleteAction;
    if (panel == keyModPanel_) action = editor::DeleteModifier;
    else if (panel == keyValPanel_) action = editor::DeleteEventKey;
    else if (panel == reactionPanel_) action = editor::DeleteReaction;
    else if (panel == homePanel_) action = editor::DeleteHomeReaction;
    else if (panel == panelIrCode_ || panel == panelIrDef_ || panel->parent() == panelIrCode_) {
        action = editor::DeleteIrTrigger;
    }
    if (action != editor::NoDeleteAction && eventRules_.menuOffered(action, index)) popupDeleteMenu(action, global);
}

// ---- the grid's mouse ----

bool ParametersEditor::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) {
        return QObject::eventFilter(watched, event);
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    const QPoint local = mouse->position().toPoint();
    const bool header = watched == grid_->horizontalHeader()->viewport();
    if (watched == grid_->viewport() || header) {
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
            gridMouseDown(column, row, mouse->button(), global);
            // The header has nothing to select; the cells select themselves.
            return header;
        }
        if (type == QEvent::MouseMove) {
            if (record_.grid.dragging != 0) {
                evaluateDrop(global, false);
                return true;  // a drag never extends the selection
            }
            gridMouseMove(column, row, global);
            return false;
        }
        if (record_.grid.dragging != 0) gridMouseUp(global);
        return false;
    }
    if (type == QEvent::MouseButtonPress) {
        panelMouseDown(watched, mouse->button(), global);
    } else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->rect().contains(local)) {
            if (watched == reactionPanel_) PanelEventReactionxClick();
            else if (watched == homePanel_) PanelHOMExClick();
        }
    }
    return QObject::eventFilter(watched, event);
}

void ParametersEditor::gridMouseDown(int column, int row, Qt::MouseButton button, const QPoint& global) {
    GridEditorState& state = record_.grid;
    state.dragCol = 0;
    state.dragRow = 0;
    if (column < 0 || column >= editor::kGridColumns || row < 0 || row >= editor::kGridRows) return;
    if (row == 0) {
        if (button == Qt::RightButton && column < kChannels && gridRules_.channelHasData(column)) {
            state.dragCol = column;
            popupDeleteMenu(editor::DeleteChannel, global, column + 1);
        }
        return;
    }
    if (column == kEncoderColumn) {
        if (button == Qt::LeftButton && gridRules_.encoderRowOn(row)) {
            state.dragCol = column;
            state.dragRow = row;
            state.dragging = 1;
            setDragPointer(PointerShape::NoDrop);
        }
        return;
    }
    if (!gridRules_.editable(column, row)) return;
    state.dragCol = column;
    state.dragRow = row;
    if (button == Qt::RightButton) {
        popupDeleteMenu(editor::DeleteOneKey, global);
    } else if (button == Qt::LeftButton) {
        state.dragging = 1;
        setDragPointer(PointerShape::NoDrop);
    }
}

void ParametersEditor::gridMouseMove(int column, int row, const QPoint& global) {
    if (column < 0 || row < 0) return;
    const editor::PointerHint hint = gridRules_.pointerAt(column, row);
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

void ParametersEditor::gridMouseUp(const QPoint& global) {
    evaluateDrop(global, true);
    record_.grid.dragging = 0;
    if (dragPointerSet_) {
        QApplication::restoreOverrideCursor();
        dragPointerSet_ = false;
    }
    setPanelNormal(keyModPanel_);
    setPanelNormal(keyValPanel_);
    withdrawHint();
}

void ParametersEditor::evaluateDrop(const QPoint& global, bool dropping) {
    const int index = selectedEvent();
    const EventRecord* event = record_.image.eventAt(index);
    bool accepting = false;
    if (event != nullptr && KeysGridRules::dropCandidate(*event)) {
        const GridEditorState& state = record_.grid;
        bool insideModifier = false;
        const std::pair<Panel*, DropPanel> panels[] = {{keyModPanel_, DropPanel::Modifier},
                                                       {keyValPanel_, DropPanel::Key}};
        for (const auto& [panel, kind] : panels) {
            const bool inside = QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size()).contains(global);
            if (!inside || (kind == DropPanel::Key && insideModifier)) {
                setPanelNormal(panel);
                continue;
            }
            insideModifier = kind == DropPanel::Modifier;
            clearGridSelection();
            const bool accepted = KeysGridRules::dropAccepted(kind, *event, state.dragCol);
            setPanelColours(panel, accepted ? kGreen : kRed, panel->palette().color(QPalette::Base));
            accepting = accepted;
            if (dropping && accepted) {
                const EditStep step = edit(kind == DropPanel::Modifier
                                               ? editLabel("событие %d: модификатор\0event %d: modifier", index + 1)
                                               : editLabel("событие %d: кнопка\0event %d: key", index + 1));
                if (gridRules_.drop(kind, index, state.dragCol, state.dragRow)) showEvent(index);
            }
        }
    }
    setDragPointer(accepting ? PointerShape::Drag : PointerShape::NoDrop);
}

void ParametersEditor::setDragPointer(PointerShape shape) {
    const QCursor cursor(cursorShape(shape));
    if (dragPointerSet_) {
        QApplication::changeOverrideCursor(cursor);
    } else {
        QApplication::setOverrideCursor(cursor);
        dragPointerSet_ = true;
    }
}

void ParametersEditor::setPanelColours(Panel* panel, const QColor& background, const QColor& text) {
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    panel->setPalette(palette);
}

void ParametersEditor::setPanelNormal(Panel* panel) {
    setPanelColours(panel, panel->style()->standardPalette().color(QPalette::Button), Qt::black);
}

void ParametersEditor::withdrawHint() {
    page_->setToolTip(QString());
    QToolTip::hideText();
}

void ParametersEditor::TimerCommonWithdrawHint() {
    if (record_.grid.dragging != 0 || page_->toolTip().isEmpty()) return;
    const QRect gridOnScreen(grid_->mapToGlobal(QPoint(0, 0)), grid_->size());
    if (gridOnScreen.contains(QCursor::pos())) return;
    withdrawHint();
    grid_->viewport()->setCursor(Qt::ForbiddenCursor);
}

// ---- naming a button ----

QWidget* ParametersEditor::openNameEditor(QWidget* parent, int column, int row) {
    // Encoder labels are fixed, and a slot without a button has no name.
    if (!gridRules_.editable(column, row)) return nullptr;
    GridEditorState& state = record_.grid;
    if (state.editState == 0) {
        state.editState = 1;
        state.editCol = column;
        state.editRow = row;
        state.editText = grid_->item(row - 1, column)->text().toStdString();
    }
    auto* lineEdit = new QLineEdit(parent);
    lineEdit->setFrame(false);
    lineEdit->setAlignment(Qt::AlignCenter);
    connect(lineEdit, &QLineEdit::textEdited, this,
            [this, column, row, lineEdit](const QString& text) { nameTyped(column, row, lineEdit, text); });
    return lineEdit;
}

void ParametersEditor::nameTyped(int column, int row, QWidget* lineEdit, const QString& text) {
    const std::string kept = KeysGridRules::typedName(text.toStdString());
    if (kept == text.toStdString()) return;
    const QString cut = qs(kept);
    static_cast<QLineEdit*>(lineEdit)->setText(cut);
    grid_->item(row - 1, column)->setText(cut);
}

void ParametersEditor::TimerCommonCommitName() {
    GridEditorState& state = record_.grid;
    if (state.editState == 0) return;
    if (grid_->editorOpen()) {
        state.editState = 2;
        return;
    }
    // The editor has closed. A name typed and confirmed between two ticks
    // is committed as well; waiting for a tick that saw the editor open
    // would leave it in the cell but never in the image.
    const int column = state.editCol;
    const int row = state.editRow;
    state.editState = 0;
    const std::string button = gridRules_.autoLabel(column, row);
    // The name the button had, which is what undo brings back.
    const KeyRecord* key = record_.image.keyAt(column, row);
    const std::string before = key != nullptr && !key->nameText().empty() ? key->nameText() : button;
    EditStep step = edit(editLabel("имя кнопки %s\0name of button %s", button.c_str()));
    QTableWidgetItem* item = grid_->item(row - 1, column);
    const KeysGridRules::NameCommit result =
        item != nullptr ? gridRules_.commitName(column, row, item->text().toStdString(), state.editText)
                        : KeysGridRules::NameCommit{KeysGridRules::NameOutcome::NoButton, {}, {}};
    if (result.outcome == KeysGridRules::NameOutcome::Duplicate) {
        window_.MsgBox(kInformationBox, LangText(kDuplicateName), result.refused.c_str());
    }
    if (item != nullptr) item->setText(qs(result.text));
    if (!result.text.empty()) {
        step.rename(editLabel("переименовать кнопку %s в %s\0rename button %s to %s", before.c_str(),
                              result.text.c_str()));
    }
    showSelectedEvent();
    clearGridSelection();
}

} // namespace zmt::ui
