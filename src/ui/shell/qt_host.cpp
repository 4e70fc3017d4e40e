#include "ui/shell/qt_host.h"

#include "ui/shell/main_window.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace zmt::ui {

QtHost::QtHost(MainWindow& window) : window_(window) { clock_.start(); }

uint32_t QtHost::tickMs() { return static_cast<uint32_t>(clock_.elapsed()); }

void QtHost::waitEvents(uint32_t maxMs) {
    window_.showHeldPageIfDue();
    passEvents(maxMs);
}

void QtHost::passEvents(uint32_t maxMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (maxMs == 0) return;
    const int waitMs = static_cast<int>(std::min<uint32_t>(maxMs, 0x7fffffff));
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    QElapsedTimer slept;
    slept.start();
    wake.start(waitMs);
    loop.exec();
    // Once the application has been told to quit, a local loop returns at
    // once; sleep out the rest rather than let a delay spin a core.
    if (wake.isActive() && slept.elapsed() < waitMs) QThread::msleep(static_cast<unsigned long>(waitMs - slept.elapsed()));
}

Answer QtHost::messageBox(MessageStyle style, const std::string& text) { return window_.showMessage(style, text); }

void QtHost::memoLine(const std::string& line) { window_.memoLine(line); }

void QtHost::memoClear() { window_.memoClear(); }

bool QtHost::exchangeLogOn() { return window_.exchangeLogOn(); }

void QtHost::statusText(const std::string& text) { window_.setStatusText(QString::fromStdString(text)); }

void QtHost::notice(unsigned clearMs, unsigned blinkMs, const std::string& text) {
    window_.showNotice(clearMs, blinkMs, text);
}

void QtHost::gaugeChanged(const Gauge& gauge) { window_.showGauge(gauge); }

} // namespace zmt::ui
