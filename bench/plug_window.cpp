// How soon the window shows a controller that was plugged in, and how soon it
// shows one pulled out, on the real path: hidapi and libudev over a hidraw
// node in the umockdev test bed, each feature-report transfer taking 1 ms as
// on the modelled USB of the other benchmarks, the program's own window
// (offscreen) on the real clock, arrivals learnt from the system's
// announcements as the program learns them.
//   plug_window [rounds]      (default 20)
// Each round: pull one controller's cable out and wait for the window to say
// so; plug the other one in and wait for its configuration to be shown (the
// same controller back would be shown without a read); then, connected, time
// one identity read and one full read over the open handle (what an arrival
// cannot do without). Times start once the test bed has changed its tree
// and announced it, as the kernel would have: the bed's own work is not the
// program's. Printed for scripts/bench, in milliseconds:
//   plug_to_shown MEDIAN WORST
//   plug_reads MEDIAN                   the identity read plus the full read
//   plug_ratio MEDIAN WORST             each round's arrival over its reads
//   unplug_to_shown MEDIAN WORST
//   plug_announced 1|0                  the arrivals came from announcements
#include "config/config_image.h"
#include "device/commands.h"
#include "hidraw_testbed.h"
#include "ui/shell/controller_session.h"
#include "ui/shell/main_window.h"
#include "ui/shell/program.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the event loop, sleeping in it, until done() holds (false after 5 s).
// Then the paints the change asked for are done too, so the moment taken
// after it is the one the user sees.
bool runUntil(const std::function<bool()>& done) {
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(5);
    QTimer wake;   // only so a wait that never ends still ends
    wake.start(500);
    while (!done()) {
        if (Clock::now() > giveUp) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    QCoreApplication::processEvents();
    return true;
}

void rest(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    zmt::test::HidrawTestbed::enterMockEnvironment(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_RUNTIME_DIR", QDir(home.path()).filePath(QStringLiteral("runtime")).toUtf8());
    QDir(home.path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(QDir(home.path()).filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QApplication app(argc, argv);

    // Two controllers take turns on the bus: a controller plugged in again
    // shows the configuration it showed before without a read, so each
    // arrival is the other one, whose configuration must be read.
    const Clock::time_point start = Clock::now();
    const auto clock = [start] { return static_cast<uint32_t>(msBetween(start, Clock::now())); };
    auto first = std::make_shared<zmt::sim::SimulatedController>(4242);
    auto second = std::make_shared<zmt::sim::SimulatedController>(4243);
    zmt::test::HidrawTestbed bed(first, clock, {});
    bed.addUnit(second, zmt::test::HidrawTestbed::Layout::Plain);
    bed.unplug(1);
    bed.setTransferCost(1, [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });

    zmt::ui::ProgramOptions options;
    options.settingsPath = QDir(home.path()).filePath(QStringLiteral("zmtsetup.ini")).toStdString();
    // Both controllers met before: the quick set-up's offer, a box that
    // waits for an answer, is not made.
    QFile settings(QString::fromStdString(options.settingsPath));
    if (!settings.open(QIODevice::WriteOnly) || settings.write("[QuickSetup]\r\nOffered=4242,4243\r\n") < 0) {
        std::fprintf(stderr, "plug_window: cannot write the settings file\n");
        return 1;
    }
    settings.close();
    options.snapshotFolder = QDir(home.path()).filePath(QStringLiteral("snapshots")).toStdString();
    zmt::ui::Program program(options);
    program.startUp();
    program.show();
    const zmt::ProgramFlags& flags = program.window().flags();
    zmt::ui::ControllerSession& session = program.controller();
    std::size_t onBus = 0;
    const auto shown = [&] {
        return flags.deviceConnected() && flags.imageValid() &&
               session.watch().identity().serialNumber == (onBus == 0 ? 4242u : 4243u);
    };
    if (!runUntil(shown)) {
        std::fprintf(stderr, "plug_window: the controller in the test bed was never connected\n");
        return 1;
    }

    std::vector<double> arrivals, reads, ratios, departures;
    for (int round = 0; round < rounds; ++round) {
        rest(300);
        bed.unplug(onBus);
        Clock::time_point from = Clock::now();
        if (!runUntil([&flags] { return !flags.deviceConnected(); })) {
            std::fprintf(stderr, "plug_window: the window never noticed the cable pulled out\n");
            return 1;
        }
        departures.push_back(msBetween(from, Clock::now()));

        rest(300);
        onBus = 1 - onBus;
        bed.plug(onBus);
        from = Clock::now();
        if (!runUntil(shown)) {
            std::fprintf(stderr, "plug_window: the window never showed the controller plugged in\n");
            return 1;
        }
        const double arrival = msBetween(from, Clock::now());

        rest(300);
        from = Clock::now();
        zmt::ConfigImage config;
        uint8_t touch[sizeof(zmt::ConfigRecord::touchState)];
        const bool readOk = session.watch().readIdentity() == zmt::ResultCode::Ok &&
                            zmt::commands::readConfigMemory(session.link(), 0, config.bytes(), zmt::kConfigImageSize) ==
                                zmt::ResultCode::Ok &&
                            zmt::commands::readTouchMemory(session.link(), 0, touch, sizeof touch) == zmt::ResultCode::Ok;
        const double read = msBetween(from, Clock::now());
        if (!readOk) {
            std::fprintf(stderr, "plug_window: the reads over the open handle failed\n");
            return 1;
        }
        arrivals.push_back(arrival);
        reads.push_back(read);
        ratios.push_back(arrival / read);
    }
    std::printf("plug_to_shown %.2f %.2f\n", median(arrivals), *std::max_element(arrivals.begin(), arrivals.end()));
    std::printf("plug_reads %.2f\n", median(reads));
    std::printf("plug_ratio %.3f %.3f\n", median(ratios), *std::max_element(ratios.begin(), ratios.end()));
    std::printf("unplug_to_shown %.2f %.2f\n", median(departures),
                *std::max_element(departures.begin(), departures.end()));
    std::printf("plug_announced %d\n", session.watch().arrivalsAnnounced() ? 1 : 0);
    program.window().close();
    return 0;
}
