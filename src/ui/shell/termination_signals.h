#pragma once
// SIGTERM (logout, shutdown, kill), SIGINT (Ctrl+C in the terminal that
// started the program) and SIGHUP (that terminal closed) would end the
// program on the spot, losing its settings, the simulated unit's state and
// edits still on their way to the controller. They are turned into a Qt
// signal instead, delivered by the event loop, so the program ends as if its
// window were closed. A second such signal ends it at once, as usual.
#include <QObject>

class QSocketNotifier;

namespace zmt::ui {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    // The system asks the program to end.
    void requested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace zmt::ui
