// A file handed from a second zmtsetup to the one running for the same
// controller, over the place the running one listens at.
#include "ui/shell/file_handover.h"

#include <QDir>
#include <QFileInfo>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <thread>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace zmt::ui;
using Outcome = FileHandover::Outcome;

namespace {

// Runs handOver on a thread of its own, as a second program would, while
// this one's event loop serves it; a spy records what arrived.
Outcome handOverFromAnotherProgram(const std::string& place, const std::string& file) {
    std::atomic<bool> done = false;
    Outcome outcome = Outcome::NoneRunning;
    std::thread other([&] {
        outcome = FileHandover(place).handOver(file);
        done = true;
        // Wakes the loop below, which may have nothing else to wake it; sent
        // only once the outcome is there, so the loop never waits past it.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    });
    // Served until the sender has its answer; the guard only ends a test
    // that would otherwise hang.
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    guard.start(20000);
    while (!done && guard.isActive()) loop.processEvents(QEventLoop::WaitForMoreEvents);
    other.join();
    QCoreApplication::processEvents();
    return outcome;
}

} // namespace

class FileHandoverTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        // The sockets go to a folder of this test alone.
        QVERIFY(runtime_.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    }

    void aFileReachesTheProgramServingTheSameController() {
        FileHandover running("simulator:/units/a.sim");
        QVERIFY(FileHandover("simulator:/units/a.sim").handOver("/cars/x.ZMT") == Outcome::NoneRunning);
        running.serve();
        QVERIFY(running.serving());
        QSignalSpy arrived(&running, &FileHandover::fileArrived);
        QCOMPARE(handOverFromAnotherProgram("simulator:/units/a.sim", "/cars/машина 1.ZMT"), Outcome::HandedOver);
        QCOMPARE(arrived.size(), 1);
        QCOMPARE(arrived[0][0].toString(), QString("/cars/машина 1.ZMT"));
        // Another controller's program is not this one.
        QCOMPARE(handOverFromAnotherProgram("simulator:/units/b.sim", "/cars/y.ZMT"), Outcome::NoneRunning);
        QCOMPARE(handOverFromAnotherProgram("usb", "/cars/y.ZMT"), Outcome::NoneRunning);
        QCOMPARE(arrived.size(), 1);
        // A second program serving the same place leaves it to the first.
        FileHandover second("simulator:/units/a.sim");
        second.serve();
        QVERIFY(!second.serving());
    }

    void placesAreNamedAfterTheController() {
        QCOMPARE(handoverPlace(true, ""), std::string("simulator"));
        QCOMPARE(handoverPlace(false, "ignored"), std::string("usb"));
        QCOMPARE(handoverPlace(true, "/units/../units/a.sim"), std::string("simulator:/units/a.sim"));
        FileHandover nobody("");
        nobody.serve();
        QVERIFY(!nobody.serving());
        QVERIFY(nobody.handOver("/cars/x.ZMT") == Outcome::NoneRunning);
    }

#ifndef _WIN32
    // A program that died leaves its socket behind; the next one takes the
    // place over. One that ends takes its socket away.
    void aPlaceLeftByAProgramThatDiedIsTakenOver() {
        QString path;
        {
            FileHandover ended("usb");
            ended.serve();
            const QStringList sockets = QDir(runtime_.path()).entryList(QDir::System);
            QCOMPARE(sockets.size(), 1);
            path = QDir(runtime_.path()).filePath(sockets[0]);
        }
        QVERIFY(!QFileInfo::exists(path));
        // Bound but nobody listening, as a program that died leaves it.
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.toStdString().copy(address.sun_path, sizeof address.sun_path - 1);
        QCOMPARE(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        close(fd);
        QVERIFY(FileHandover("usb").handOver("/cars/x.ZMT") == Outcome::NoneRunning);
        FileHandover next("usb");
        next.serve();
        QVERIFY(next.serving());
        QSignalSpy arrived(&next, &FileHandover::fileArrived);
        QCOMPARE(handOverFromAnotherProgram("usb", "/cars/x.ZMT"), Outcome::HandedOver);
        QCOMPARE(arrived.size(), 1);
    }

    // Connections that never send their line (a stuck or hostile program of
    // this user's): a bounded number is kept, each for a bounded time, and a
    // real hand-over still gets through among them.
    void idleConnectionsAreCappedAndTimedOut() {
        qint64 now = 0;
        FileHandover running("usb", [&now] { return now; });
        running.serve();
        const QStringList sockets = QDir(runtime_.path()).entryList({"*.sock"}, QDir::System);
        QCOMPARE(sockets.size(), 1);
        const std::string path = (runtime_.path() + "/" + sockets[0]).toStdString();
        std::vector<int> idle;
        for (int i = 0; i < 40; ++i) {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            path.copy(address.sun_path, path.size());
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            QCOMPARE(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
            idle.push_back(fd);
            for (int round = 0; round < 5; ++round) QCoreApplication::processEvents();
            QVERIFY(running.openConnections() <= FileHandover::kMaxConnections);
        }
        QCOMPARE(running.openConnections(), FileHandover::kMaxConnections);
        QSignalSpy arrived(&running, &FileHandover::fileArrived);
        QCOMPARE(handOverFromAnotherProgram("usb", "/cars/x.ZMT"), Outcome::HandedOver);
        QCOMPARE(arrived.size(), 1);

        // The oldest made room for it; it is gone once answered.
        QCOMPARE(running.openConnections(), FileHandover::kMaxConnections - 1);
        now += FileHandover::kConnectionTimeoutMs - 1;
        running.dropIdleConnections();
        QCOMPARE(running.openConnections(), FileHandover::kMaxConnections - 1);
        now += 1;
        running.dropIdleConnections();
        QCOMPARE(running.openConnections(), std::size_t{0});
        QCoreApplication::processEvents();
        // The last one kept was closed by the program: its peer reads the end.
        char byte = 0;
        QCOMPARE(recv(idle.back(), &byte, 1, 0), ssize_t{0});
        for (int fd : idle) close(fd);
    }

    // What arrives is one absolute path of bounded length; anything else is
    // dropped, and the sender is not told it was taken.
    void onlyAnAbsolutePathIsTaken() {
        FileHandover running("usb");
        running.serve();
        QSignalSpy arrived(&running, &FileHandover::fileArrived);
        QCOMPARE(handOverFromAnotherProgram("usb", "relative.ZMT"), Outcome::AlreadyRunning);
        QCOMPARE(handOverFromAnotherProgram("usb", "/" + std::string(5000, 'a')), Outcome::AlreadyRunning);
        QCOMPARE(arrived.size(), 0);
        QCOMPARE(handOverFromAnotherProgram("usb", "/cars/x.ZMT"), Outcome::HandedOver);
        QCOMPARE(arrived.size(), 1);
    }
#endif

private:
    QTemporaryDir runtime_;
};

QTEST_MAIN(FileHandoverTest)
#include "file_handover_test.moc"
