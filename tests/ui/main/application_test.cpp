// A failure escaping a window handler is shown and the program keeps running.
#include "ui/main/application.h"

#include <QTest>
#include <QTimer>

#include <stdexcept>

class ApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void failureInAHandlerIsShownAndEventsGoOn() {
        auto* app = static_cast<zmt::ui::Application*>(QCoreApplication::instance());
        QStringList shown;
        app->showFailure = [&](const QString& what) { shown << what; };
        bool later = false;
        QTimer::singleShot(0, this, [] { throw std::runtime_error("Сбой обработчика"); });
        QTimer::singleShot(0, this, [] { throw 42; });
        QTimer::singleShot(0, this, [&] { later = true; });
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(shown, (QStringList{"Сбой обработчика", "unknown exception"}));
        QVERIFY(later);
        app->showFailure = &zmt::ui::Application::showFailureBox;
    }
};

// The program's own application object, not the one Qt Test would make.
int main(int argc, char** argv) {
    zmt::ui::Application app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "application_test.moc"
