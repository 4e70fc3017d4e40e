#pragma once
// What the guided procedures (firmware update, button learning, touch
// calibration) use of their host: the window (ProcedureShell, the main
// window) and the Parameters page they put their buttons on and show
// learnt buttons in (ProcedurePage, the page that assembles the panel and
// the grid). Here, below the procedures, the editors and the shell, so that
// the procedures include neither the shell's nor the editors' headers.
class QString;
class QWidget;

namespace zmt {
class EditHistory;
struct ProgramFlags;
}

namespace zmt::ui {

// What the guided procedures (firmware update, button learning, touch
// calibration) use of the window, so that they never include the main
// window's header either. The main window is the one ProcedureShell.
class ProcedureShell {
public:
    virtual QWidget& windowWidget() = 0;
    virtual ProgramFlags& flags() = 0;
    virtual EditHistory* editHistory() const = 0;
    // Every controller button off; with busy false the toolbar comes back
    // as the connection allows.
    virtual void setToolbarBusy(bool busy) = 0;
    // Undo and redo wait while a procedure holds the image (holds nest).
    virtual void holdEditing(bool held) = 0;
    // The editor greyed and the picker with it (locks nest).
    virtual void lockEditor(bool locked) = 0;
    virtual void addDeviceButton(QWidget* button) = 0;
    // The Monitoring page, where a firmware update reports.
    virtual void showMonitoringPage() = 0;
    // The editors show the image anew (a procedure replaced a part of it).
    virtual void showImage() = 0;

protected:
    ~ProcedureShell() = default;
};

// What the procedures use of the Parameters page: the room the parameters
// panel leaves for their two buttons, the calibration's option there, and
// the buttons grid that learning writes its recognised buttons into.
class ProcedurePage {
public:
    virtual void placeLearningButton(QWidget* button) = 0;
    virtual void placeCalibrationButton(QWidget* button) = 0;
    // "Offset 10% when setting": how the calibration runs.
    virtual bool touchOffsetChecked() const = 0;
    // A grid cell's text and mark; the one cell of a column marked (row 0:
    // none); what a cell shows now (a name being typed in it included); no
    // cell selected.
    virtual void setKeyCell(int column, int row, const QString& text, bool marked) = 0;
    virtual void markKeyCell(int column, int row) = 0;
    virtual QString keyCellText(int column, int row) const = 0;
    virtual void clearGridSelection() = 0;
    // The event editor shows event index (0..59): the button test points at
    // what a pressed button triggers.
    virtual void selectEvent(int index) = 0;

protected:
    ~ProcedurePage() = default;
};

} // namespace zmt::ui
