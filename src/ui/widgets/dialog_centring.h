#pragma once
// Keeps a file dialog over the centre of its owner window while it comes up:
// the platform places a dialog when it shows it (and some window managers
// again a moment later), so the dialog is moved back on each of the next 50
// ticks of a 1 ms timer, then left where the user drags it.
//
//   DialogCentring centring(mainWindow);
//   centring.centreWhileShown(&dialog);
//   dialog.exec();
//   centring.stop();
#include <QObject>
#include <QPointer>

class QTimer;
class QWidget;

namespace zmt::ui {

class DialogCentring : public QObject {
    Q_OBJECT
public:
    static constexpr int kMoves = 50;

    // The timer belongs to owner (named "TimerOnShow", for tests).
    explicit DialogCentring(QWidget& owner);

    void centreWhileShown(QWidget* dialog);
    // The dialog has returned.
    void stop();
    // The timer's tick.
    void onTick();

private:
    QWidget& owner_;
    QTimer* timer_;
    QPointer<QWidget> dialog_;
    int movesLeft_ = 0;
};

} // namespace zmt::ui
