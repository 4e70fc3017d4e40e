// The page's delete menu "PopupMenuKeys": offered by the buttons grid and
// by the event's panels (right button, menu key, Delete), named for what it
// takes away, and the delete itself as one undo step.
#include "ui/editor/event_editor.h"

#include "lang/lang.h"
#include "ui/widgets/editor_host.h"
#include "ui/editor/event_controls.h"
#include "ui/widgets/controls.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace zmt::ui {

using namespace event_controls;

void EventEditor::buildDeleteMenu() {
    deleteMenu_ = new QMenu(&window_.windowWidget());
    deleteMenu_->setObjectName(QStringLiteral("PopupMenuKeys"));
    deleteItem_ = deleteMenu_->addAction(QString());
    deleteItem_->setObjectName(QStringLiteral("DeleteKeyx"));
    connect(deleteItem_, &QAction::triggered, this, [this] { onDeleteFromGrid(); });
}

void EventEditor::popupDeleteMenu(int action, const QPoint& global, int channel) {
    const char* caption = editor::deleteActionCaption(action);
    deleteItem_->setText(action == editor::DeleteChannel ? qs(formatText(localized(caption), channel))
                                                         : QString::fromUtf8(localized(caption)));
    grid_.rules().state().popupAction = action;
    deleteMenu_->popup(global);
}

namespace {

// What a delete from the pop-up menu takes away, as the undo button names it.
EditLabel deleteLabel(int action, const editor::KeysGridRules& rules, const editor::GridEditorState& grid, int event) {
    switch (action) {
    case editor::DeleteOneKey: {
        // Named as the grid labels an unnamed button: channel and level.
        const std::string button = rules.autoLabel(grid.dragCol, grid.dragRow);
        return editLabel(N_("delete button %s"), button.c_str());
    }
    case editor::DeleteChannel:
        return editLabel(N_("delete channel %d"), grid.dragCol + 1);
    case editor::DeleteModifier:
        return editLabel(N_("event %d: delete modifier"), event);
    case editor::DeleteEventKey:
        return editLabel(N_("event %d: delete key"), event);
    case editor::DeleteReaction:
        return editLabel(N_("event %d: delete reaction"), event);
    case editor::DeleteHomeReaction:
        return editLabel(N_("delete HOME reaction"));
    case editor::DeleteIrTrigger:
        return editLabel(N_("event %d: delete IR trigger"), event);
    default:
        return editLabel(N_("delete"));
    }
}

} // namespace

void EventEditor::onDeleteFromGrid() {
    const editor::GridEditorState& state = grid_.rules().state();
    const EditStep step = edit(deleteLabel(state.popupAction, grid_.rules(), state, selectedEvent() + 1));
    const int action = eventRules_.runPendingDelete(grid_.rules(), selectedEvent());
    switch (action) {
    case editor::DeleteOneKey:
        grid_.setKeyCell(state.dragCol, state.dragRow, QString(), false);
        showSelectedEvent();
        break;
    case editor::DeleteChannel:
        for (int row = 1; row < editor::kGridRows; ++row) grid_.setKeyCell(state.dragCol, row, QString(), false);
        showSelectedEvent();
        break;
    case editor::DeleteHomeReaction:
        homeReactionDeleted();
        break;
    case editor::NoDeleteAction:
        break;
    default:
        showSelectedEvent();
        break;
    }
    grid_.clearGridSelection();
}

int EventEditor::panelDeleteAction(QObject* panel) const {
    int action = editor::NoDeleteAction;
    if (panel == keyModPanel_) action = editor::DeleteModifier;
    else if (panel == keyValPanel_) action = editor::DeleteEventKey;
    else if (panel == reactionPanel_) action = editor::DeleteReaction;
    else if (panel == homePanel_) action = editor::DeleteHomeReaction;
    else if (panel == panelIrCode_ || panel == panelIrDef_ || panel->parent() == panelIrCode_) {
        action = editor::DeleteIrTrigger;
    }
    return action != editor::NoDeleteAction && eventRules_.menuOffered(action, selectedEvent()) ? action
                                                                                                : editor::NoDeleteAction;
}

void EventEditor::panelMouseDown(QObject* panel, Qt::MouseButton button, const QPoint& global) {
    if (button != Qt::RightButton) return;
    if (const int action = panelDeleteAction(panel); action != editor::NoDeleteAction) popupDeleteMenu(action, global);
}

bool EventEditor::panelKey(QObject* panel, QEvent* event) {
    auto* widget = static_cast<QWidget*>(panel);
    if (event->type() == QEvent::ContextMenu) {
        // The menu key or Shift+F10; the right button has opened the menu already.
        if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse) return false;
        if (const int action = panelDeleteAction(panel); action != editor::NoDeleteAction)
            popupDeleteMenu(action, widget->mapToGlobal(widget->rect().center()));
        return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (isActivationKey(*key) && (panel == reactionPanel_ || panel == homePanel_)) {
        if (panel == reactionPanel_) onEventReactionClicked();
        else onHomeReactionClicked();
        return true;
    }
    if (isDeletionKey(*key)) {
        if (const int action = panelDeleteAction(panel); action != editor::NoDeleteAction) runDelete(action);
        return true;
    }
    return false;
}

void EventEditor::runDelete(int action) {
    grid_.rules().state().popupAction = action;
    onDeleteFromGrid();
}

void EventEditor::offerDelete(int action, const QPoint& global, int channel) { popupDeleteMenu(action, global, channel); }

} // namespace zmt::ui
