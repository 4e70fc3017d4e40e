// A failure escaping a window handler is shown and the program keeps running.
#include "ui/shell/application.h"

#include <QTest>
#include <QTimer>

#include <stdexcept>

// The program's own application object, not the one Qt Test would make,
// with the failures it would show kept for the test.
class RecordingApplication : public zmt::ui::Application {
public:
    using Application::Application;
    QStringList shown;

protected:
    void showFailure(const QString& what) override { shown << what; }
};

class ApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void failureInAHandlerIsShownAndEventsGoOn() {
        auto* app = static_cast<RecordingApplication*>(QCoreApplication::instance());
        bool later = false;
        QTimer::singleShot(0, this, [] { throw std::runtime_error("Сбой обработчика"); });
        QTimer::singleShot(0, this, [] { throw 42; });
        QTimer::singleShot(0, this, [&] { later = true; });
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(app->shown, (QStringList{"Сбой обработчика", "unknown exception"}));
        QVERIFY(later);
    }
};

int main(int argc, char** argv) {
    RecordingApplication app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "application_test.moc"
