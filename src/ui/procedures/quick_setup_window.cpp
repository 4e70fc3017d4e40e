#include "ui/procedures/quick_setup_window.h"

#include "lang/lang.h"
#include "ui/procedures/level_bars.h"
#include "ui/widgets/procedure_host.h"
#include "ui/widgets/reaction_chooser.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zmt::ui {

namespace {

constexpr unsigned kOutcomeNoticeMs = 5000;
constexpr int kLeastWidth = 460;
// The controller went away while the window waited for the user.
constexpr const char* kLostLiteral =
    N_("The controller was unplugged; nothing was changed. It gets back what it held when it "
       "returns");

QString text(const char* literal) { return QString::fromUtf8(localized(literal)); }

QLabel* wrappedLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QPushButton* button(QWidget* parent, const char* name) {
    auto* made = new QPushButton(parent);
    made->setObjectName(QString::fromLatin1(name));
    made->setAutoDefault(false);
    return made;
}

// What a press does, or that it does nothing.
QString orNothing(const std::string& what) {
    return what.empty() ? text(N_("nothing")) : QString::fromStdString(what);
}

// The first event a button triggers by itself (no modifier held), short
// presses first; -1 for none.
int eventOfButton(const ConfigImage& image, int channel, int row) {
    int found = -1;
    for (int index = 0; index < kEvents; ++index) {
        const EventRecord& event = image.events[index];
        if (event.irTrigger() || event.keyCol != channel || event.keyRow != row || event.modRow != 0 ||
            event.eventType() == 0)
            continue;
        if (event.eventType() != 2) return index;
        if (found < 0) found = index;
    }
    return found;
}

} // namespace

QuickSetupWindow::QuickSetupWindow(ProcedureShell& shell, Controller controller, ProcedurePage& page,
                                   ReactionChooser& chooser)
    : QDialog(&shell.windowWidget()), shell_(shell), page_(page), host_(controller.link.host()),
      record_(controller.record), chooser_(chooser),
      flow_(std::make_unique<setup::QuickSetup>(controller.link, controller.transfer, controller.record,
                                                shell.flags(), shell.editHistory(),
                                                static_cast<setup::QuickSetupView&>(*this))) {
    setObjectName(QStringLiteral("FormQuickSetup"));
    // The main window takes no input meanwhile; the Simulator window, where
    // buttons are held without hardware, stays usable.
    setWindowModality(Qt::WindowModal);
    turns_.setObjectName(QStringLiteral("quickSetupTurns"));
    turns_.setInterval(static_cast<int>(setup::kQuickTurnMs));
    connect(&turns_, &QTimer::timeout, this, [this] { onTurn(); });
    build();
    retranslate();
}

QuickSetupWindow::~QuickSetupWindow() {
    // A window destroyed with a run open (the program ending) leaves the
    // controller as it found it.
    abandon();
}

void QuickSetupWindow::build() {
    auto* layout = new QVBoxLayout(this);
    prompt_ = wrappedLabel(this, "LabelQuickPrompt");
    QFont big = prompt_->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.2);
    prompt_->setFont(big);
    remark_ = wrappedLabel(this, "LabelQuickRemark");
    layout->addWidget(prompt_);
    layout->addWidget(remark_);

    // The channels' levels while the flow reads them (the run and the test).
    bars_ = new LevelBars(this);
    // Inside the window here, not a window of its own as beside learning.
    bars_->setWindowFlags(Qt::Widget);
    layout->addWidget(bars_, 0, Qt::AlignHCenter);

    pages_ = new QStackedWidget(this);
    layout->addWidget(pages_, 1);

    // Under the page: the step's function (at a step) and a long press for
    // the button the last step set up (at a step and at the summary).
    auto* run = new QWidget(this);
    choices_ = run;
    layout->addWidget(run);
    auto* runLayout = new QGridLayout(run);
    runLayout->setContentsMargins(0, 0, 0, 0);
    functionLabel_ = new QLabel(run);
    function_ = new QComboBox(run);
    function_->setObjectName(QStringLiteral("ComboQuickFunction"));
    functionLabel_->setBuddy(function_);
    runLayout->addWidget(functionLabel_, 0, 0);
    runLayout->addWidget(function_, 0, 1, 1, 2);
    longLabel_ = new QLabel(run);
    longPress_ = new QComboBox(run);
    longPress_->setObjectName(QStringLiteral("ComboQuickLongPress"));
    longLabel_->setBuddy(longPress_);
    addLong_ = button(run, "ButtonQuickAddLongPress");
    runLayout->addWidget(longLabel_, 1, 0);
    runLayout->addWidget(longPress_, 1, 1);
    runLayout->addWidget(addLong_, 1, 2);
    // The longest function's name shows whole in either language: the
    // lists take the width of their items (fillFunctions), and the window
    // follows.
    for (QComboBox* list : {function_, longPress_}) list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    runLayout->setColumnStretch(1, 1);
    connect(function_, &QComboBox::activated, this, [this](int index) { onFunctionChosen(index); });
    connect(addLong_, &QPushButton::clicked, this, [this] { onAddLongPress(); });
    pages_->addWidget(new QWidget);   // a step: the bars and the choices say it all

    // A button that already does something: what it does, and the answers.
    auto* conflict = new QWidget;
    auto* conflictLayout = new QVBoxLayout(conflict);
    conflictLayout->setContentsMargins(0, 0, 0, 0);
    conflict_ = wrappedLabel(conflict, "LabelQuickConflict");
    conflictLayout->addWidget(conflict_);
    auto* answers = new QHBoxLayout;
    replace_ = button(conflict, "ButtonQuickReplace");
    keepBoth_ = button(conflict, "ButtonQuickKeepBoth");
    skipConflict_ = button(conflict, "ButtonQuickSkipConflict");
    for (QPushButton* answer : {replace_, keepBoth_, skipConflict_}) answers->addWidget(answer);
    answers->addStretch(1);
    conflictLayout->addLayout(answers);
    conflictLayout->addStretch(1);
    connect(replace_, &QPushButton::clicked, this, [this] { flow_->answerConflict(setup::ConflictAnswer::Replace); });
    connect(keepBoth_, &QPushButton::clicked, this, [this] { flow_->answerConflict(setup::ConflictAnswer::KeepBoth); });
    connect(skipConflict_, &QPushButton::clicked, this, [this] { flow_->answerConflict(setup::ConflictAnswer::Skip); });
    pages_->addWidget(conflict);

    summary_ = new QTableWidget(0, 3);
    summary_->setObjectName(QStringLiteral("TableQuickSummary"));
    summary_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    summary_->setSelectionBehavior(QAbstractItemView::SelectRows);
    summary_->verticalHeader()->hide();
    summary_->horizontalHeader()->setStretchLastSection(true);
    summary_->setTabKeyNavigation(false);
    // Ten functions at most: a short table, which must not stretch the window.
    summary_->setMaximumHeight(240);
    pages_->addWidget(summary_);

    auto* test = new QWidget;
    auto* testLayout = new QVBoxLayout(test);
    testButton_ = wrappedLabel(test, "LabelQuickTestButton");
    testButton_->setFont(prompt_->font());
    testShort_ = wrappedLabel(test, "LabelQuickTestShort");
    testLong_ = wrappedLabel(test, "LabelQuickTestLong");
    for (QLabel* label : {testButton_, testShort_, testLong_}) testLayout->addWidget(label);
    testLayout->addStretch(1);
    pages_->addWidget(test);

    pages_->addWidget(new QWidget);   // ended: the remark says how

    auto* buttons = new QHBoxLayout;
    back_ = button(this, "ButtonQuickBack");
    skip_ = button(this, "ButtonQuickSkip");
    finish_ = button(this, "ButtonQuickFinish");
    apply_ = button(this, "ButtonQuickApply");
    close_ = button(this, "ButtonQuickClose");
    for (QPushButton* each : {back_, skip_, finish_, apply_}) buttons->addWidget(each);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    layout->addLayout(buttons);
    connect(back_, &QPushButton::clicked, this, [this] { flow_->back(); });
    connect(skip_, &QPushButton::clicked, this, [this] { flow_->skip(); });
    connect(finish_, &QPushButton::clicked, this, [this] { flow_->finish(); });
    connect(apply_, &QPushButton::clicked, this, [this] { onApply(); });
    connect(close_, &QPushButton::clicked, this, [this] { reject(); });

    // Tab goes as the eye does: the page, the choices under it, then the
    // buttons.
    setTabOrder(replace_, keepBoth_);
    setTabOrder(keepBoth_, skipConflict_);
    setTabOrder(skipConflict_, summary_);
    setTabOrder(summary_, function_);
    setTabOrder(function_, longPress_);
    setTabOrder(longPress_, addLong_);
    setTabOrder(addLong_, back_);
    setTabOrder(back_, skip_);
    setTabOrder(skip_, finish_);
    setTabOrder(finish_, apply_);
    setTabOrder(apply_, close_);
    // Wide enough for a two-line prompt in either language, wider when a
    // step's lists and labels need it (the layout then widens the window);
    // as high as the step in sight needs (fitPage).
    const QMargins margins = layout->contentsMargins();
    prompt_->setMinimumWidth(kLeastWidth - margins.left() - margins.right());
    fitPage();
}

void QuickSetupWindow::fitPage() {
    // Only the page in sight counts: the summary's table would otherwise
    // leave a gap under every step's few controls.
    for (int index = 0; index < pages_->count(); ++index) {
        const bool current = index == pages_->currentIndex();
        pages_->widget(index)->setSizePolicy(current ? QSizePolicy::Preferred : QSizePolicy::Ignored,
                                             current ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    }
    // The wrapped prompt and remark take the height they need at this width.
    layout()->activate();
    // At least as wide as the lists need for their longest item.
    const int wide = std::max(width(), layout()->totalMinimumSize().width());
    const int high = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(wide) : sizeHint().height();
    resize(wide, std::max(high, layout()->totalMinimumSize().height()));
}

void QuickSetupWindow::retranslate() {
    setWindowTitle(text(N_("Quick set-up")));
    bars_->retranslate();
    functionLabel_->setText(text(N_("F&unction of this step:")));
    addLong_->setText(text(N_("A&dd")));
    replace_->setText(text(N_("&Replace")));
    keepBoth_->setText(text(N_("&Keep both")));
    skipConflict_->setText(text(N_("&Skip")));
    back_->setText(text(N_("&Back")));
    skip_->setText(text(N_("&Skip")));
    finish_->setText(text(N_("&Finish")));
    apply_->setText(text(N_("&Apply")));
    summary_->setHorizontalHeaderLabels({text(N_("Button")), text(N_("Short press")),
                                         text(N_("Long press"))});
    summary_->setAccessibleName(text(N_("Summary of the set-up")));
    bars_->setAccessibleName(text(N_("Button levels")));
    fillFunctions();
    refresh();
}

void QuickSetupWindow::fillFunctions() {
    // Both lists in the current language; the choice is kept by its key.
    const QSignalBlocker blockFunction(function_);
    const QSignalBlocker blockLong(longPress_);
    const QVariant keptLong = longPress_->currentData();
    function_->clear();
    longPress_->clear();
    for (const setup::FunctionEntry& entry : setup::functionCatalogue()) {
        const QString name = QString::fromStdString(setup::functionName(entry));
        function_->addItem(name, QString::fromLatin1(entry.key));
        // A long press does something: "nothing" is what it does without one.
        if (entry.kind == setup::FunctionKind::Reaction) longPress_->addItem(name, QString::fromLatin1(entry.key));
    }
    const int kept = longPress_->findData(keptLong);
    longPress_->setCurrentIndex(kept >= 0 ? kept : 0);
    // A layout gives a list no more than its minimum: the width of its
    // items, in the language just chosen.
    for (QComboBox* list : {function_, longPress_}) list->setMinimumWidth(list->sizeHint().width());
}

QuickSetupWindow::Page QuickSetupWindow::page() const { return static_cast<Page>(pages_->currentIndex()); }

bool QuickSetupWindow::startQuickSetup() {
    return openOn([this] {
        if (flow_->step() == setup::QuickStep::Testing) flow_->stopTest();
        return flow_->start();
    });
}

bool QuickSetupWindow::startButtonTest() {
    return openOn([this] { return flow_->step() == setup::QuickStep::Testing || flow_->startTest(); });
}

bool QuickSetupWindow::openOn(const std::function<bool()>& begin) {
    // The finished gauge of the read just before (the offer follows it)
    // would stay: the flow's readings keep the poll that hides it away.
    host_.progressHide();
    lostController_ = false;
    longFor_ = {-1, 0};
    show();
    raise();
    activateWindow();
    const bool started = begin();
    refresh();
    fitPage();
    return started;
}

void QuickSetupWindow::abandon() {
    stopPicking();
    if (flow_->active()) flow_->abandon();
    if (flow_->step() == setup::QuickStep::Testing) flow_->stopTest();
    turns_.stop();
    holdMainWindow(false);
}

void QuickSetupWindow::reject() {
    stopPicking();
    const bool wasActive = flow_->active();
    if (wasActive) flow_->cancel();
    if (flow_->step() == setup::QuickStep::Testing) flow_->stopTest();
    turns_.stop();
    holdMainWindow(false);
    for (int channel = 0; channel < kChannels; ++channel) page_.markKeyCell(channel, 0);
    if (wasActive) reportOutcome();
    QDialog::reject();
}

void QuickSetupWindow::changed() { refresh(); }

void QuickSetupWindow::showLevels(const setup::ChannelLevels& current, const setup::ChannelLevels& thresholds) {
    LearningLevels levels;
    const bool measured = thresholds != setup::ChannelLevels{};
    levels.phase = measured ? LearningCollecting : LearningIdle;
    levels.current = current;
    levels.pressThreshold = thresholds;
    for (int c = 0; c < kChannels; ++c) {
        levels.idleMaximum[c] = measured ? static_cast<uint8_t>(std::max(0, thresholds[c] - int{setup::kPressMargin}))
                                         : std::max(bars_->levels().idleMaximum[c], current[c]);
    }
    bars_->showLevels(levels, {});
}

void QuickSetupWindow::refresh() {
    if (refreshing_) return;
    refreshing_ = true;
    using setup::QuickStep;
    const QuickStep step = flow_->step();
    const Page before = page();
    Page shown = Page::Ended;
    switch (step) {
    case QuickStep::Measuring:
    case QuickStep::Waiting:
        shown = Page::Run;
        break;
    case QuickStep::Conflict:
        shown = Page::Conflict;
        break;
    case QuickStep::Summary:
        shown = Page::Summary;
        break;
    case QuickStep::Testing:
        shown = Page::Test;
        break;
    case QuickStep::Off:
        shown = Page::Ended;
        break;
    }
    pages_->setCurrentIndex(static_cast<int>(shown));
    bars_->setVisible(step == QuickStep::Measuring || step == QuickStep::Waiting || step == QuickStep::Testing);
    // "Cancelled: the controller holds what it held" is not yet true of one
    // that went away; the remark says what is.
    prompt_->setText(lostController_ ? QString() : QString::fromStdString(flow_->prompt()));
    prompt_->setVisible(!prompt_->text().isEmpty());
    remark_->setText(QString::fromUtf8(lostController_ ? localized(kLostLiteral) : flow_->remark().c_str()));
    remark_->setVisible(!remark_->text().isEmpty());

    const bool waiting = step == QuickStep::Waiting;
    // A picker left open for a step that is over would give its choice to
    // the next one.
    if (pickingStep_ >= 0 && (!waiting || flow_->stepsBegun() != pickingStep_)) stopPicking();
    for (QWidget* choice : {static_cast<QWidget*>(functionLabel_), static_cast<QWidget*>(function_)})
        choice->setVisible(waiting);
    if (waiting) {
        const int index = function_->findData(QString::fromLatin1(flow_->currentFunction().function->key));
        function_->setCurrentIndex(index);
    }
    // The long press goes to the button the last step set up.
    const std::vector<setup::SummaryRow> rows = flow_->summary();
    const bool longOffered = (waiting || step == QuickStep::Summary) && !rows.empty();
    choices_->setVisible(waiting || longOffered);
    const bool longRowAppears = longOffered && !longPress_->isVisibleTo(this);
    for (QWidget* longRow : {static_cast<QWidget*>(longLabel_), static_cast<QWidget*>(longPress_),
                             static_cast<QWidget*>(addLong_)})
        longRow->setVisible(longOffered);
    if (longOffered) {
        const setup::SummaryRow& last = rows.back();
        longLabel_->setText(QString::fromStdString(
            formatText(localized("&Long press of button %s:"), last.button.c_str())));
        // For a button just set up, the list starts on a function other
        // than its short press: Add alone then gives it something new.
        if (longFor_ != std::pair(last.channel, last.row)) {
            longFor_ = {last.channel, last.row};
            const QString shortPress = QString::fromStdString(last.shortPress);
            for (int index = 0; index < longPress_->count(); ++index) {
                if (longPress_->itemText(index) == shortPress) continue;
                longPress_->setCurrentIndex(index);
                break;
            }
        }
    }

    if (step == QuickStep::Conflict) {
        QStringList lines;
        for (const std::string& line : flow_->conflictLines()) lines << QString::fromStdString(line);
        conflict_->setText(text(N_("This button already does:")) + "\n" + lines.join('\n'));
    }
    if (step == QuickStep::Summary) fillSummary();
    if (step == QuickStep::Testing) showTest();

    const bool active = flow_->active();
    back_->setVisible(step == QuickStep::Waiting || step == QuickStep::Conflict || step == QuickStep::Summary);
    // Back from the summary or a question always has somewhere to go; from a
    // step only once one was taken.
    back_->setEnabled(flow_->stepIndex() > 0 || step != QuickStep::Waiting);
    skip_->setVisible(waiting);
    finish_->setVisible(waiting);
    apply_->setVisible(step == QuickStep::Summary);
    // A summary with nothing in it has nothing to apply.
    apply_->setEnabled(!rows.empty());
    close_->setText(active ? text(N_("Cancel")) : text(N_("Close")));
    // Enter takes the step on: the next function, the usual answer, Apply.
    QPushButton* usual = waiting                      ? skip_
                         : step == QuickStep::Conflict ? replace_
                         : step == QuickStep::Summary  ? apply_
                         : step == QuickStep::Measuring ? nullptr
                                                        : close_;
    for (QPushButton* each : {skip_, replace_, apply_, close_}) each->setDefault(each == usual);
    if (shown != before || longRowAppears) fitPage();
    if (shown != before && usual != nullptr && isVisible()) usual->setFocus(Qt::OtherFocusReason);

    holdMainWindow(active);
    // While active the turns also watch for the controller going away.
    if (flow_->running() || active) {
        if (!turns_.isActive()) turns_.start();
    } else {
        turns_.stop();
    }
    refreshing_ = false;
}

void QuickSetupWindow::fillSummary() {
    const std::vector<setup::SummaryRow> rows = flow_->summary();
    summary_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const setup::SummaryRow& row = rows[static_cast<std::size_t>(r)];
        const QString cells[3] = {QString::fromStdString(row.button), QString::fromStdString(row.shortPress),
                                  QString::fromStdString(row.longPress)};
        for (int column = 0; column < 3; ++column) summary_->setItem(r, column, new QTableWidgetItem(cells[column]));
    }
    summary_->resizeColumnsToContents();
}

void QuickSetupWindow::showTest() {
    const std::optional<setup::TestResult>& result = flow_->lastTest();
    if (!result) {
        testButton_->clear();
        testShort_->clear();
        testLong_->clear();
        return;
    }
    if (!result->known) {
        // The remark names the channel and the level.
        testButton_->clear();
        testShort_->clear();
        testLong_->clear();
        for (int channel = 0; channel < kChannels; ++channel) page_.markKeyCell(channel, 0);
        return;
    }
    testButton_->setText(QString::fromStdString(result->button));
    testShort_->setText(text(N_("Short press: ")) + orNothing(result->shortPress));
    testLong_->setText(text(N_("Long press: ")) + orNothing(result->longPress));
    // The grid and the event editor point at the button and what it triggers.
    for (int channel = 0; channel < kChannels; ++channel)
        page_.markKeyCell(channel, channel == result->channel ? result->row : 0);
    const int event = eventOfButton(record_.image, result->channel, result->row);
    if (event >= 0) page_.selectEvent(event);
}

void QuickSetupWindow::holdMainWindow(bool held) {
    if (held == holding_) return;
    holding_ = held;
    // As learning does: the toolbar's controller buttons, undo and redo,
    // and the editors (the picker with them) wait for the run's end.
    shell_.setToolbarBusy(held);
    shell_.holdEditing(held);
    shell_.lockEditor(held);
}

void QuickSetupWindow::onTurn() {
    const bool wasActive = flow_->active();
    if (flow_->running()) {
        flow_->onTurn();
    } else if (wasActive && !shell_.flags().deviceConnected()) {
        // Waiting for an answer (a button in use, the summary) the flow reads
        // nothing, so the poll is the one to notice the cable pulled. What
        // the controller held goes back to it when it returns, as after a
        // failed reading.
        lostController_ = true;
        flow_->cancel();
    }
    // A run ends by itself only when the controller is lost: say so.
    if (wasActive && !flow_->active()) reportOutcome();
    if (!flow_->running()) refresh();
}

void QuickSetupWindow::onFunctionChosen(int index) {
    const setup::FunctionEntry* entry = setup::findFunction(function_->itemData(index).toString().toStdString());
    if (entry == nullptr) return;
    // Chosen again, it opens the picker again: the way to change the key.
    if (entry->kind == setup::FunctionKind::Picker) {
        pickAnotherKey();
        return;
    }
    if (flow_->currentFunction().function == entry) return;
    flow_->chooseFunction(setup::FunctionChoice::of(*entry));
    refresh();
}

void QuickSetupWindow::pickAnotherKey() {
    if (flow_->step() != setup::QuickStep::Waiting) return;
    pickingStep_ = flow_->stepsBegun();
    beforePicking_ = flow_->currentFunction();
    // The list shows the step's function until a key is picked.
    refresh();
    chooser_.chooseReaction(*this, beforePicking_.reaction,
                            [this](const Reaction& reaction) { onReactionPicked(setup::FunctionChoice::picked(reaction)); });
}

void QuickSetupWindow::onReactionPicked(const setup::FunctionChoice& picked) {
    if (pickingStep_ < 0 || flow_->step() != setup::QuickStep::Waiting || flow_->stepsBegun() != pickingStep_) return;
    // The picker opened on the step's reaction, or brought back to it, or
    // emptied (its keys clicked off): the step's own function again rather
    // than a button that would send nothing.
    const bool asBefore = !picked.valid() || setup::sameReaction(picked.reaction, beforePicking_.reaction);
    const setup::FunctionChoice choice = asBefore ? beforePicking_ : picked;
    const setup::FunctionChoice now = flow_->currentFunction();
    if (choice.function == now.function && setup::sameReaction(choice.reaction, now.reaction)) return;
    flow_->chooseFunction(choice);
}

void QuickSetupWindow::stopPicking() {
    if (pickingStep_ < 0) return;
    pickingStep_ = -1;
    chooser_.stopChoosingReaction();
}

void QuickSetupWindow::onAddLongPress() {
    const setup::FunctionEntry* entry = setup::findFunction(longPress_->currentData().toString().toStdString());
    if (entry != nullptr) flow_->addLongPress(setup::FunctionChoice::of(*entry));
    refresh();
}

void QuickSetupWindow::onApply() {
    flow_->apply();
    // The grid and the event editor show what the run set up.
    if (flow_->outcome() == setup::QuickOutcome::Applied) shell_.showImage();
    reportOutcome();
    if (flow_->outcome() != setup::QuickOutcome::Applied) {
        refresh();
        return;
    }
    // What was set up is tried at once, in the same window.
    flow_->startTest();
    refresh();
}

void QuickSetupWindow::reportOutcome() {
    // The flow words it: the remark when something went wrong (the buttons
    // did not arrive, the controller went away), else the end it came to.
    if (flow_->outcome() == setup::QuickOutcome::None) return;
    const std::string said = lostController_        ? std::string(localized(kLostLiteral))
                             : flow_->remark().empty() ? flow_->prompt()
                                                       : flow_->remark();
    if (!said.empty()) host_.notice(kOutcomeNoticeMs, kNoticeBlinkMs, said);
}

} // namespace zmt::ui
