// The event panel of the Parameters page: the sixty event tabs, the
// trigger's drop targets (a modifier and a key dragged from the buttons
// grid), the event's type, once and wake-up, its reaction opened in the
// picker, and the editor's part of showing an image. The HOME key, the
// infrared captures and the delete menu have files of their own.
#include "ui/editor/event_editor.h"

#include "config/reaction_text.h"
#include "device/host.h"
#include "lang/lang.h"
#include "ui/editor/event_controls.h"
#include "ui/editor/parameters_panel.h"
#include "ui/widgets/controls.h"
#include "ui/picker/reaction_picker.h"
#include "ui/widgets/editor_host.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QMouseEvent>
#include <QStringList>
#include <QTabBar>
#include <QToolButton>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace zmt::ui {

using editor::DropPanel;
using namespace event_controls;

namespace {

constexpr const char* kReactionHint = N_("Click to edit the responce");
constexpr const char* kModifierHint = N_("Drag a button modifier here");
constexpr const char* kKeyHint = N_("Drag a button here");

constexpr const char* kNotTakenText =
    N_("This button cannot be assigned here");
constexpr unsigned kNotTakenNoticeMs = 3000;

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

// The event tabs. QTabBar lays all its tabs out again after each one added
// (to see whether the new one lies under the pointer), measuring every
// caption each time: sixty tabs cost some 1800 text measurements, more than
// the rest of the editor. While they are added, a caption measured once is
// taken as measured; the layout after that measures afresh.
class EventTabs : public QTabBar {
public:
    using QTabBar::QTabBar;

    void addTabs(const QStringList& captions) {
        adding_ = true;
        for (const QString& caption : captions) addTab(caption);
        adding_ = false;
        measured_.clear();
        // Any change of a caption leaves the layout to be made anew.
        if (count() > 0) setTabText(0, tabText(0));
    }

protected:
    QSize tabSizeHint(int index) const override {
        if (!adding_) return QTabBar::tabSizeHint(index);
        const QString caption = tabText(index);
        auto known = measured_.find(caption);
        if (known == measured_.end()) known = measured_.emplace(caption, QTabBar::tabSizeHint(index)).first;
        return known->second;
    }

private:
    bool adding_ = false;
    mutable std::map<QString, QSize> measured_;
};

// What a drop (or its keyboard twin) sets, as the undo button names it.
EditLabel dropLabel(DropPanel panel, int index) {
    return panel == DropPanel::Modifier ? editLabel(N_("event %d: modifier"), index + 1)
                                        : editLabel(N_("event %d: key"), index + 1);
}

} // namespace

EventEditor::EventEditor(EditorShell& window, ConfigRecord& record, ParametersPanel& panel, KeysGridView& grid)
    : QObject(&window.windowWidget()), window_(window), record_(record), panel_(panel), grid_(grid),
      eventRules_(record) {
    setObjectName(QStringLiteral("EventEditor"));
    build(window.parametersPage());
    buildHomeKey(panel);
    // Mode changes on the panel change what the encoder column and the
    // selected event show.
    connect(&panel, &ParametersPanel::encoderColumnOutdated, &grid, &KeysGridView::rewriteEncoderLabels);
    connect(&panel, &ParametersPanel::selectedEventOutdated, this, &EventEditor::showSelectedEvent);

    buildDeleteMenu();

    grid.setPartner(this);
    // Start-up prepares the controls after whoever owns the record has
    // started it afresh (the controller connects before the editor).
    connect(&window.shellSignals(), &ShellSignals::startingUp, this, [this] { prepareEditor(); });
    // The grid shows the image first, then the HOME memo and the event.
    connect(&window.shellSignals(), &ShellSignals::showingImage, this, [this] { showImage(); });
    connect(&window.shellSignals(), &ShellSignals::languageChanged, this, [this] { retranslate(); });
    connect(&window.shellSignals(), &ShellSignals::editorLockChanged, this,
            [this](bool locked) { setEditorLock(!locked); });
    // A picker built later comes under the lock in force.
    connect(&window.shellSignals(), &ShellSignals::pickerBuilt, this,
            [this](ReactionPicker& picker) { picker.setEditingEnabled(editorEnabled_); });
    window.setEventTabs(eventTabs_);
}

void EventEditor::retranslate() {
    const auto hint = [](QWidget* panel, const char* literal) { panel->setToolTip(QString::fromUtf8(localized(literal))); };
    retranslateHomeKey();
    hint(reactionPanel_, kReactionHint);
    hint(keyModPanel_, kModifierHint);
    hint(keyValPanel_, kKeyHint);
    // The event types' one home is the core's list, which zmtctl's listing
    // uses too; the window's translation table has no row for them.
    for (int i = 0; i < kEventTypeCount; ++i)
        eventType_->setItemText(i, QString::fromUtf8(localized(kEventTypeItems[i])));
    // Qt names the tab strip's scroll buttons (for screen readers) once,
    // when the strip is made, and never again: they follow the language
    // here, from Qt's own translation now in force.
    for (QToolButton* scroll : eventTabs_->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (scroll->arrowType() == Qt::LeftArrow) scroll->setAccessibleName(QTabBar::tr("Scroll Left"));
        else if (scroll->arrowType() == Qt::RightArrow) scroll->setAccessibleName(QTabBar::tr("Scroll Right"));
    }
}

EventEditor::~EventEditor() {
    grid_.setPartner(nullptr);
    // The picker may outlive us; its describe callback points at our memos.
    if (ReactionPicker* picker = window_.builtPicker()) picker->detach();
}

// ---- building ----

void EventEditor::build(QWidget* page) {
    // The tab strip and the event panel under it form one area, locked and
    // unlocked together.
    eventArea_ = named<QWidget>(page, "PanelEVKEY");
    eventArea_->setGeometry(244, 0, 442, 159);
    auto* tabs = named<EventTabs>(eventArea_, "TabControlEVKEYx");
    eventTabs_ = tabs;
    eventTabs_->setGeometry(0, 0, 442, 24);
    eventTabs_->setUsesScrollButtons(true);
    eventTabs_->setExpanding(false);
    eventTabs_->setDrawBase(true);
    // The arrow keys move between the events; the strip's scroll arrows are
    // for the mouse only.
    eventTabs_->setFocusPolicy(Qt::StrongFocus);
    QStringList numbers;
    for (int i = 1; i <= kEvents; ++i) numbers << QString::number(i);
    tabs->addTabs(numbers);
    for (QToolButton* scroll : eventTabs_->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly))
        scroll->setFocusPolicy(Qt::NoFocus);
    connect(eventTabs_, &QTabBar::currentChanged, this, [this] { onEventTabChanged(); });

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
        panel->setFocusPolicy(Qt::TabFocus);
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
    panelIrDef_->setFocusPolicy(Qt::TabFocus);
    panelIrCode_->hide();

    auto* irGet = named<QToolButton>(groupEvent, "SpeedButtonIRGET");
    irGet->setText(QStringLiteral("IR"));
    irGet->setIcon(pictureIcon(":/icons/ir_receive.png"));
    irGet->setAutoRaise(true);
    irGet->setGeometry(195, 36, 22, 24);
    connect(irGet, &QToolButton::clicked, this, [this] { onCaptureIrTrigger(); });
    window_.addDeviceButton(irGet);

    captionPanel(groupEvent, "PanelEventEvent", QRect(4, 66, 62, 24))->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    eventType_ = named<QComboBox>(groupEvent, "ComboBoxEventEvent");
    eventType_->setGeometry(68, 66, 149, 24);
    for (const char* item : kEventTypeItems) eventType_->addItem(QString::fromUtf8(localized(item)));
    eventType_->setCurrentIndex(0);
    eventType_->setEnabled(false);
    connect(eventType_, &QComboBox::activated, this, [this](int index) { onEventTypeChanged(index); });

    once_ = named<QCheckBox>(groupEvent, "CheckBoxEventOnce");
    once_->setGeometry(6, 98, 110, 22);
    once_->setEnabled(false);
    connect(once_, &QCheckBox::clicked, this, [this](bool checked) { onEventOnceToggled(checked); });
    wakeUp_ = named<QCheckBox>(groupEvent, "CheckBoxEventWakeUp");
    wakeUp_->setGeometry(118, 98, 100, 22);
    connect(wakeUp_, &QCheckBox::clicked, this, [this](bool checked) { onEventWakeUpToggled(checked); });

    auto* groupReaction = named<QGroupBox>(panelEvent, "GroupBoxReaction");
    groupReaction->setGeometry(224, 0, 211, 129);
    reactionPanel_ = named<Panel>(groupReaction, "PanelEventReactionx");
    reactionPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    reactionPanel_->setGeometry(5, 17, 201, 78);
    reactionPanel_->setCursor(Qt::PointingHandCursor);
    reactionPanel_->installEventFilter(this);
    reactionPanel_->setFocusPolicy(Qt::TabFocus);
    reactionMemo_ = reactionMemo(reactionPanel_, "MemoEventReactionx");
    auto* irSend = named<QToolButton>(groupReaction, "SpeedButtonGetIRSend");
    irSend->setText(QStringLiteral("IR"));
    irSend->setIcon(pictureIcon(":/icons/ir_receive.png"));
    irSend->setAutoRaise(true);
    irSend->setGeometry(184, 99, 22, 24);
    connect(irSend, &QToolButton::clicked, this, [this] { onCaptureIrReaction(); });
    window_.addDeviceButton(irSend);
    irGet_ = irGet;
    irSend_ = irSend;
}

std::vector<QWidget*> EventEditor::tabStops() const {
    return {eventTabs_, keyModPanel_, keyValPanel_, panelIrDef_, irGet_, eventType_, once_, wakeUp_, reactionPanel_, irSend_};
}

void EventEditor::prepareEditor() {
    eventType_->setCurrentIndex(0);
    const int page = window_.initialEventPage();
    if (page >= 0 && page < eventTabs_->count()) eventTabs_->setCurrentIndex(page);
}

// ---- showing ----

void EventEditor::showImage() {
    // The events name their buttons as the grid shows them.
    grid_.fillGrid();
    describeHomeReaction();
    showSelectedEvent();
}

int EventEditor::selectedEvent() const { return eventTabs_->currentIndex(); }

void EventEditor::selectEvent(int index) { eventTabs_->setCurrentIndex(index); }

void EventEditor::showEvent(int index) {
    // The editor keeps every event it shows in line with the controller's rules.
    eventRules_.normaliseEvent(index);
    const editor::EventView view = eventRules_.eventView(index);
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
    ReactionPicker* picker = window_.builtPicker();
    const bool pickerOpen = event != nullptr && picker != nullptr && picker->isVisible();
    if (view.irReaction || !pickerOpen) setMemoLines(reactionMemo_, view.reactionLines);
    // An open picker follows the selected tab. It does so for an infrared
    // reaction too (and clears its highlights): left on the previous event,
    // its next click would change that event while this one's memo showed
    // the result.
    if (pickerOpen) openPicker(eventCaption(index), reactionMemo_, event->reaction);
    else if (view.irReaction && picker != nullptr) picker->clearHighlights();
}


void EventEditor::setMemoLines(QLabel* memo, const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) text << qs(line);
    memo->setText(text.join(QLatin1Char('\n')));
}

void EventEditor::setEditorLock(bool enabled) {
    grid_.box()->setEnabled(enabled);
    eventArea_->setEnabled(enabled);
    panel_.setGroupsEnabled(enabled);
    editorEnabled_ = enabled;
    if (ReactionPicker* picker = window_.builtPicker()) picker->setEditingEnabled(enabled);
}

// ---- the picker ----

std::string EventEditor::eventCaption(int index) {
    // In every language, so a language switch retitles the open picker.
    return formatInEveryLanguage(N_("Keyboard (Reactions for the event %d)"), index + 1);
}

EditStep EventEditor::edit(EditLabel label) {
    // The step spans the whole handler, so what showing the event again
    // straightens out undoes with the edit that caused it.
    return EditStep(window_.editHistory(), record_.image, std::move(label));
}

void EventEditor::openPicker(const std::string& caption, QLabel* memo, Reaction& reaction) {
    // Each change the picker makes is a step of its own. The picker calls
    // back after every change and when it opens; changes nobody named are
    // set apart first, so the picker's name goes only to what it changed.
    EditHistory* history = window_.editHistory();
    if (history != nullptr) history->checkpoint(record_.image);
    const bool home = &reaction == &record_.image.homeReaction;
    pickerEvent_ = home ? -1 : selectedEvent();
    pickerLabel_ = home ? editLabel(N_("HOME reaction"))
                        : editLabel(N_("event %d: reaction"), pickerEvent_ + 1);
    pickerReaction_ = &reaction;
    pickerMemo_ = memo;
    window_.picker().open(reaction, this, caption);
}

void EventEditor::reactionShown() {
    if (EditHistory* now = window_.editHistory()) now->checkpoint(record_.image, pickerLabel_);
    showReactionText(*pickerReaction_, *pickerMemo_);
    if (pickerMemo_ == homeMemo_) fitHomeMemo();
}

bool EventEditor::mayChangeReaction() {
    // An open picker follows the tabs onto events without a trigger too;
    // there its clicks are refused rather than lost at the next look.
    return pickerEvent_ < 0 || reactionAccepted(pickerEvent_);
}

bool EventEditor::reactionAccepted(int index) {
    if (eventRules_.takesReaction(index)) return true;
    window_.showMessage(MessageKind::Information, localized(editor::kNoTriggerText));
    return false;
}

void EventEditor::onEventReactionClicked() {
    const int index = selectedEvent();
    EventRecord* event = record_.image.eventAt(index);
    if (event == nullptr || !reactionAccepted(index)) return;
    openPickerFrom(reactionPanel_, eventCaption(index), reactionMemo_, event->reaction);
}

void EventEditor::openPickerFrom(const QWidget* clicked, const std::string& caption, QLabel* memo,
                                 Reaction& reaction) {
    // Placed before it shows, so it never appears over the panel first.
    window_.placePickerClearOf(QRect(clicked->mapToGlobal(QPoint(0, 0)), clicked->size()));
    openPicker(caption, memo, reaction);
    // A click on a reaction is the way to the picker; one already open may
    // lie behind the main window or sit in the task bar, and the click would
    // look dead. Following the selected tab does not come here: that must
    // not take the input away from the main window.
    ReactionPicker& picker = window_.picker();
    if (picker.isMinimized()) picker.showNormal();
    picker.raise();
    picker.activateWindow();
    picker.focusKeys();
}

// ---- event handlers ----

void EventEditor::onEventTabChanged() { showSelectedEvent(); }

void EventEditor::onEventTypeChanged(int index) {
    const EditStep step = edit(editLabel(N_("event %d: type"), selectedEvent() + 1));
    eventRules_.setEventType(selectedEvent(), index);
    showSelectedEvent();
}

void EventEditor::onEventOnceToggled(bool checked) {
    const EditStep step = edit(editLabel(N_("event %d: once"), selectedEvent() + 1));
    eventRules_.setOnce(selectedEvent(), checked);
}

void EventEditor::onEventWakeUpToggled(bool checked) {
    const EditStep step = edit(editLabel(N_("event %d: wake-up"), selectedEvent() + 1));
    eventRules_.setWakeUp(selectedEvent(), checked);
}


void EventEditor::assignFromGrid(DropPanel panel, int column, int row) {
    const int index = selectedEvent();
    const EventRecord* event = record_.image.eventAt(index);
    const bool taken = event != nullptr && grid_.rules().selectable(column, row) &&
                       editor::KeysGridRules::dropCandidate(*event) &&
                       editor::KeysGridRules::dropAccepted(panel, *event, column);
    if (!taken) {
        // A drag shows the panel red; the keyboard is told in words.
        window_.showNotice(kNotTakenNoticeMs, 0, localized(kNotTakenText));
        return;
    }
    const EditStep step = edit(dropLabel(panel, index));
    if (grid_.rules().drop(panel, index, column, row)) showEvent(index);
}

// ---- drops from the grid ----

bool EventEditor::eventFilter(QObject* watched, QEvent* event) {
    if (panelKey(watched, event)) return true;
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        panelMouseDown(watched, mouse->button(), mouse->globalPosition().toPoint());
    } else if (type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint())) {
            if (watched == reactionPanel_) onEventReactionClicked();
            else if (watched == homePanel_) onHomeReactionClicked();
        }
    }
    return QObject::eventFilter(watched, event);
}

bool EventEditor::dragOver(const QPoint& global, bool dropping) {
    const int index = selectedEvent();
    auto over = [&global](const Panel* panel) {
        return QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size()).contains(global);
    };
    const editor::DropHover hover = grid_.rules().hover(index, over(keyModPanel_), over(keyValPanel_));
    if (!hover.candidate) return false;
    const std::pair<Panel*, DropPanel> panels[] = {{keyModPanel_, DropPanel::Modifier}, {keyValPanel_, DropPanel::Key}};
    for (const auto& [panel, kind] : panels) {
        if (hover.target != kind) {
            setPanelNormal(panel);
            continue;
        }
        grid_.clearGridSelection();
        setPanelColours(panel, hover.accepted ? kGreen : kRed, textOnStrongColour(QApplication::palette(panel), QPalette::Base));
        if (dropping && hover.accepted) {
            const EditStep step = edit(dropLabel(kind, index));
            const editor::GridEditorState& state = grid_.rules().state();
            if (grid_.rules().drop(kind, index, state.dragCol, state.dragRow)) showEvent(index);
        }
    }
    return hover.accepted;
}

void EventEditor::dragEnded() {
    setPanelNormal(keyModPanel_);
    setPanelNormal(keyValPanel_);
}


void EventEditor::setPanelColours(Panel* panel, const QColor& background, const QColor& text) {
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    panel->setPalette(palette);
}

void EventEditor::setPanelNormal(Panel* panel) {
    const QPalette normal = QApplication::palette(panel);
    setPanelColours(panel, normal.color(QPalette::Button), buttonFaceText(normal));
}

} // namespace zmt::ui
