// Builds the Parameters page's three parts in the order they depend on each
// other, sets the Tab order across them, and answers the procedures' needs
// of the panel and the grid.
#include "ui/editor/parameters_page.h"

#include "ui/editor/event_editor.h"
#include "ui/editor/keys_grid_view.h"
#include "ui/editor/parameters_panel.h"

#include <QGroupBox>
#include <QString>

#include <algorithm>
#include <vector>

namespace zmt::ui {

ParametersPage::ParametersPage(EditorShell& window, ConfigRecord& record)
    : panel_(new ParametersPanel(window, record)), keysGrid_(std::make_unique<KeysGridView>(window, record)),
      events_(std::make_unique<EventEditor>(window, record, *panel_, *keysGrid_)) {
    orderTabStops();
}

ParametersPage::~ParametersPage() = default;

void ParametersPage::orderTabStops() {
    std::vector<QWidget*> order{keysGrid_->grid()};
    const std::vector<QWidget*> events = events_->tabStops();
    order.insert(order.end(), events.begin(), events.end());
    // The parameters panel's controls in the order they were made, HOME
    // after the last of the touch group's.
    QWidget* home = events_->homeKey();
    QWidget* parameters = panel_;
    QWidget* lastTouch = nullptr;
    for (QWidget* next = parameters->nextInFocusChain(); next != parameters; next = next->nextInFocusChain()) {
        if (!parameters->isAncestorOf(next) || next == home || (next->focusPolicy() & Qt::TabFocus) == 0) continue;
        order.push_back(next);
        if (panel_->touchGroup().isAncestorOf(next)) lastTouch = next;
    }
    const auto touchEnd = std::find(order.begin(), order.end(), lastTouch);
    order.insert(touchEnd == order.end() ? order.end() : touchEnd + 1, home);
    for (std::size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
}

void ParametersPage::placeLearningButton(QWidget* button) { panel_->placeLearningButton(button); }

void ParametersPage::placeCalibrationButton(QWidget* button) { panel_->placeCalibrationButton(button); }

bool ParametersPage::touchOffsetChecked() const { return panel_->touchOffsetChecked(); }

void ParametersPage::setKeyCell(int column, int row, const QString& text, bool marked) {
    keysGrid_->setKeyCell(column, row, text, marked);
}

QString ParametersPage::keyCellText(int column, int row) const { return keysGrid_->keyCellText(column, row); }

void ParametersPage::markKeyCell(int column, int row) { keysGrid_->markCell(column, row); }

void ParametersPage::clearGridSelection() { keysGrid_->clearGridSelection(); }

void ParametersPage::selectEvent(int index) { events_->selectEvent(index); }

} // namespace zmt::ui
