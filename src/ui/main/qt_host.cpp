#include "ui/main/qt_host.h"

#include "ui/main/main_form.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <QTimer>

namespace zmt::ui {

QtHost::QtHost(MainForm& window) : window_(window) { clock_.start(); }

uint32_t QtHost::tickMs() { return static_cast<uint32_t>(clock_.elapsed()); }

void QtHost::waitEvents(uint32_t maxMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (maxMs == 0) return;
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(std::min<uint32_t>(maxMs, 0x7fffffff)), Qt::PreciseTimer, &loop,
                       &QEventLoop::quit);
    loop.exec();
}

int QtHost::messageBox(unsigned flags, const std::string& text) { return window_.showMessage(flags, text); }

void QtHost::memoLine(const std::string& line) { window_.memoLine(line); }

void QtHost::memoClear() { window_.memoClear(); }

bool QtHost::exchangeLogOn() { return window_.exchangeLogOn(); }

void QtHost::statusText(const std::string& text) { window_.setStatusText(QString::fromStdString(text)); }

void QtHost::notice(unsigned clearMs, unsigned blinkMs, const std::string& text) {
    window_.showNotice(clearMs, blinkMs, text);
}

void QtHost::gaugeChanged(const Gauge& gauge) { window_.showGauge(gauge); }

} // namespace zmt::ui
