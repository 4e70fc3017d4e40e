#pragma once
// The toolbar's notice: a short text in the panel beside the buttons that
// may blink (the panel hides and shows every blinkMs) and may clear itself
// after clearMs. Its two timers belong to the panel's window ("TimerFlash",
// "TimerNoticeClear", for tests).
#include <QObject>

#include <string>

class QTimer;
class QWidget;

namespace zmt::ui {

class Panel;

class ToolbarNotice : public QObject {
    Q_OBJECT
public:
    ToolbarNotice(QWidget& window, Panel& panel);

    // clearMs 0 keeps it, blinkMs 0 keeps it steady.
    void show(unsigned clearMs, unsigned blinkMs, const std::string& text);
    // A remark the user must get to read (what an edit switched off, a
    // value put right): shown steady for ms, and shown again when a notice
    // that came over it (the synchronisation's brief "Record of changes")
    // clears itself within that time.
    void showRemark(unsigned ms, const std::string& text);
    void clear();
    // The blink timer's tick.
    void onFlashTick();

private:
    Panel& panel_;
    QTimer* clearTimer_;
    QTimer* flashTimer_;
    QTimer* remarkTimer_;   // "TimerRemark": the remark's time
    std::string remark_;
};

} // namespace zmt::ui
