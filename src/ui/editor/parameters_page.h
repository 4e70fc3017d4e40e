#pragma once
// The Parameters page put together: the parameters panel, then the buttons
// grid and the event editor, which puts the HOME key into the panel's touch
// group and reads infrared codes through the link; and the page's Tab order
// over all three. The guided procedures reach the page through it as their
// ProcedurePage (their buttons in the panel, learnt buttons in the grid).
// Showing the image fills the panel's fields first, then the grid, the HOME
// memo and the selected event (which may follow the new modes): each part
// follows the window's showingImage signal in the order it was built.
//
//   ParametersPage page(mainForm, record);
//   page.events().setLink(&link);
#include "ui/widgets/procedure_host.h"

#include <memory>

namespace zmt {
struct ConfigRecord;
}

namespace zmt::ui {

class EditorShell;
class EventEditor;
class KeysGridView;
class ParametersPanel;

class ParametersPage final : public ProcedurePage {
public:
    // record outlives the page; the window owns the panel's widgets.
    ParametersPage(EditorShell& window, ConfigRecord& record);
    ~ParametersPage();
    ParametersPage(const ParametersPage&) = delete;
    ParametersPage& operator=(const ParametersPage&) = delete;

    ParametersPanel& panel() { return *panel_; }
    KeysGridView& keysGrid() { return *keysGrid_; }
    EventEditor& events() { return *events_; }

    // ProcedurePage
    void placeLearningButton(QWidget* button) override;
    void placeCalibrationButton(QWidget* button) override;
    bool touchOffsetChecked() const override;
    void setKeyCell(int column, int row, const QString& text, bool marked) override;
    QString keyCellText(int column, int row) const override;
    void markKeyCell(int column, int row) override;
    void clearGridSelection() override;
    void selectEvent(int index) override;

private:
    // Tab goes as the eye does: the grid, the event strip and the event,
    // its reaction, then the parameters below (HOME among the touch ones).
    void orderTabStops();

    ParametersPanel* panel_ = nullptr;   // owned by its page, a widget of the window
    std::unique_ptr<KeysGridView> keysGrid_;
    std::unique_ptr<EventEditor> events_;
};

} // namespace zmt::ui
