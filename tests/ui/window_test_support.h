#pragma once
// Helpers shared by the main window tests.
#include "lang/lang.h"
#include "test_languages.h"
#include "ui/shell/main_window.h"
#include "ui/widgets/modal_dialogs.h"
#include "ui/shell/qt_host.h"

#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <memory>

namespace zmt::ui::test {

// The window's own host, but on a virtual clock: a wait runs pending events
// once and moves time on by the whole wait, so shut-down pauses and delays
// cost nothing and are exact.
class VirtualClockHost : public QtHost {
public:
    using QtHost::QtHost;
    uint32_t tickMs() override { return now; }
    void passEvents(uint32_t maxMs) override {
        QCoreApplication::processEvents();
        now += maxMs;
        ++passes;
    }
    uint32_t now = 1000;
    int passes = 0;
};

// The window's modal dialogs answered without a modal loop by the
// functions the test sets; one left unset runs its dialog for real.
struct ScriptedDialogs : ModalDialogs {
    std::function<Answer(QMessageBox&)> messageBox;
    std::function<QString(QFileDialog&)> fileDialog;
    Answer runMessageBox(QMessageBox& box) override {
        return messageBox ? messageBox(box) : ModalDialogs::runMessageBox(box);
    }
    QString runFileDialog(QFileDialog& dialog) override {
        return fileDialog ? fileDialog(dialog) : ModalDialogs::runFileDialog(dialog);
    }
};

inline VirtualClockHost& useVirtualClock(MainWindow& window) {
    auto host = std::make_unique<VirtualClockHost>(window);
    VirtualClockHost& ref = *host;
    window.setHost(std::move(host));
    return ref;
}

// A picture button's icon exists for ordinary screens and, twice as large,
// for dense ones (the @2x picture drawn beside it at build time).
inline bool drawnForBothDensities(const QIcon& icon, int side) {
    return icon.pixmap(QSize(side, side), 1.0).size() == QSize(side, side) &&
           icon.pixmap(QSize(side, side), 2.0).size() == QSize(2 * side, 2 * side);
}

// A control the test cannot do without: a missing one ends the test run
// with its name instead of a crash on a null pointer.
template <class T = QWidget>
T* child(QObject& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (found == nullptr) qFatal("no control named %s", qPrintable(name));
    return found;
}

// Saves picture as <name>-en.png or -ru.png (the language in force) into
// $ZMT_SCREENSHOT_DIR when scripts/screenshot asks for pictures; nothing
// otherwise.
inline void savePicture(const QPixmap& picture, const QString& name) {
    const QByteArray dir = qgetenv("ZMT_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    const QString language = languageCode() == "en" ? "-en" : "-ru";
    QVERIFY(picture.save(QString::fromLocal8Bit(dir) + "/" + name + language + ".png"));
}

// Two pictures side by side, 8 pixels apart on white, tops level: a
// window with the one it stands beside.
inline QPixmap sideBySide(const QPixmap& left, const QPixmap& right) {
    QPixmap both(left.width() + right.width() + 8, std::max(left.height(), right.height()));
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, left);
    painter.drawPixmap(left.width() + 8, 0, right);
    painter.end();
    return both;
}

// Confirms a grid cell's name with Return as a user does: the delegate
// closes the editor from the event queue, and the grid commits the name
// from the queue after that.
inline void confirmCellName(QWidget* edit) {
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

inline QTimer* timerNamed(QObject& window, const char* name) {
    return window.findChild<QTimer*>(QString::fromLatin1(name));
}

// Counts a control's paints as the user saw them: drawn greyed (disabled)
// or drawn as usual.
class PaintLog : public QObject {
public:
    explicit PaintLog(QWidget& watched) : watched_(watched) { watched.installEventFilter(this); }
    int greyed = 0;
    int usual = 0;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object == &watched_ && event->type() == QEvent::Paint) ++(watched_.isEnabled() ? usual : greyed);
        return false;
    }

private:
    QWidget& watched_;
};

// Leaves the process in Russian whatever a test switched to.
struct RussianAfterwards {
    ~RussianAfterwards() { setLanguage("ru"); }
};

} // namespace zmt::ui::test
