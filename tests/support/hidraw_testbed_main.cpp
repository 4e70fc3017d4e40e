// hidraw-testbed: runs one command with a simulated ZEL MORVA TOUCH plugged
// in at the kernel interface, so that zmtsetup and zmtctl go through hidapi,
// libudev and a hidraw node exactly as with hardware.
//
//   hidraw-testbed [--composite | --composite-split] [--product TEXT] [--locked] [--state FILE]... [--units N [--others LAYOUT]] [--cable FILE] [--replug-delay MS] -- COMMAND [ARGUMENTS...]
//
// --units puts N controllers on the bus (serials 1001, 1002... unless their
// --state files say otherwise; the k-th --state is the k-th unit's).
// SIGUSR1 pulls the cable out or puts it back; so does making or removing
// the --cable file (for a program that cannot send signals, such as a
// Windows one under Wine). docs/simulator.md has more.
#include "hidraw_testbed.h"
#include "sim/simulator.h"

#include <glib-unix.h>
#include <glib.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: hidraw-testbed [--composite | --composite-split] [--product TEXT] [--locked] [--state FILE]... [--units N [--others LAYOUT]] [--cable FILE] [--replug-delay MS] -- COMMAND [ARGUMENTS...]\n"
                 "  --composite     the controller also shows a keyboard (listed first) and\n"
                 "                  consumer and system-control collections\n"
                 "  --composite-split  the same collections, each on a USB interface of its\n"
                 "                  own, as Windows lists them\n"
                 "  --product TEXT  another USB product string (the program must not take it)\n"
                 "  --locked        the controller's node has mode 000, as without the udev\n"
                 "                  rule (root opens it anyway: run as another user)\n"
                 "  --state FILE    keep the controller's state in FILE, the format of\n"
                 "                  zmtctl --simulator=FILE; repeated: the next unit's\n"
                 "  --units N       N controllers on the bus, each on a USB port of its own\n"
                 "  --others LAYOUT plain, composite or composite-split: the layout of\n"
                 "                  every unit after the first (plain unless told)\n"
                 "  --cable FILE    the cable is out while FILE exists\n"
                 "  --replug-delay MS  the controller comes back on the bus no sooner than\n"
                 "                  MS milliseconds after it left it\n"
                 "  kill -USR1 PID  pulls the cable out or puts it back\n");
    return 1;
}

struct Run {
    zmt::test::HidrawTestbed* bed = nullptr;
    GMainLoop* loop = nullptr;
    bool plugged = true;
    int status = 0;
    std::string cableFile;

    void setCable(bool in) {
        if (in == plugged) return;
        plugged = in;
        if (plugged) bed->plug();
        else bed->unplug();
        std::fprintf(stderr, "hidraw-testbed: cable %s\n", plugged ? "in" : "out");
    }
};

} // namespace

int main(int argc, char** argv) {
    zmt::test::HidrawTestbed::enterMockEnvironment(argc, argv);

    zmt::test::HidrawTestbed::Options options;
    std::vector<std::string> stateFiles;
    std::size_t units = 1;
    zmt::test::HidrawTestbed::Layout others = zmt::test::HidrawTestbed::Layout::Plain;
    std::string cableFile;
    int first = 1;
    for (; first < argc; ++first) {
        const std::string argument = argv[first];
        if (argument == "--") {
            ++first;
            break;
        }
        if (argument == "--composite") {
            options.layout = zmt::test::HidrawTestbed::Layout::Composite;
        } else if (argument == "--composite-split") {
            options.layout = zmt::test::HidrawTestbed::Layout::CompositeSplit;
        } else if (argument == "--locked") {
            options.locked = true;
        } else if (argument == "--product" && first + 1 < argc) {
            options.product = argv[++first];
        } else if (argument == "--state" && first + 1 < argc) {
            stateFiles.push_back(argv[++first]);
        } else if (argument == "--units" && first + 1 < argc) {
            units = std::strtoul(argv[++first], nullptr, 10);
            if (units < 1 || units > 16) return usage();
        } else if (argument == "--others" && first + 1 < argc) {
            const std::string layout = argv[++first];
            if (layout == "composite") others = zmt::test::HidrawTestbed::Layout::Composite;
            else if (layout == "composite-split") others = zmt::test::HidrawTestbed::Layout::CompositeSplit;
            else if (layout != "plain") return usage();
        } else if (argument == "--cable" && first + 1 < argc) {
            cableFile = argv[++first];
        } else if (argument == "--replug-delay" && first + 1 < argc) {
            options.replugDelayMs = static_cast<uint32_t>(std::strtoul(argv[++first], nullptr, 10));
        } else {
            return usage();
        }
    }
    if (first >= argc) return usage();

    const auto start = std::chrono::steady_clock::now();
    const auto clock = [start] {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    };
    // The same controller and state file as --simulator; only the way in differs.
    zmt::sim::Simulator simulator(clock);
    units = std::max(units, stateFiles.size());
    while (simulator.unitCount() < units) simulator.addUnit();
    std::string error;
    for (std::size_t unit = 0; unit < stateFiles.size(); ++unit) {
        if (!simulator.loadUnit(unit, stateFiles[unit], error)) {
            std::fprintf(stderr, "hidraw-testbed: %s\n", error.c_str());
            return 3;
        }
    }
    const auto controllerOf = [&simulator](std::size_t unit) {
        return std::shared_ptr<zmt::sim::SimulatedController>(std::shared_ptr<void>(), &simulator.controller(unit));
    };
    zmt::test::HidrawTestbed bed(controllerOf(0), clock, options);
    for (std::size_t unit = 1; unit < units; ++unit) bed.addUnit(controllerOf(unit), others);

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    Run run;
    run.bed = &bed;
    run.loop = loop;
    run.cableFile = cableFile;
    g_unix_signal_add(
        SIGUSR1,
        [](gpointer data) -> gboolean {
            auto* r = static_cast<Run*>(data);
            r->setCable(!r->plugged);
            return G_SOURCE_CONTINUE;
        },
        &run);
    // Resets and the boot-loader hand-over take the controller off the bus
    // for a moment; the tree follows it.
    g_timeout_add(
        20,
        [](gpointer data) -> gboolean {
            auto* r = static_cast<Run*>(data);
            if (!r->cableFile.empty()) r->setCable(!g_file_test(r->cableFile.c_str(), G_FILE_TEST_EXISTS));
            r->bed->follow();
            return G_SOURCE_CONTINUE;
        },
        &run);
    GPid child = 0;
    GError* spawnError = nullptr;
    if (!g_spawn_async(nullptr, argv + first, nullptr,
                       static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD |
                                                G_SPAWN_CHILD_INHERITS_STDIN),
                       nullptr, nullptr, &child, &spawnError)) {
        std::fprintf(stderr, "hidraw-testbed: %s\n", spawnError->message);
        g_error_free(spawnError);
        return 127;
    }
    g_child_watch_add(
        child,
        [](GPid, gint status, gpointer data) {
            auto* r = static_cast<Run*>(data);
            r->status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            g_main_loop_quit(r->loop);
        },
        &run);
    std::fprintf(stderr, "hidraw-testbed: controller on %s (%s), kill -USR1 %d pulls the cable\n",
                 bed.controllerNode().c_str(),
                 options.layout == zmt::test::HidrawTestbed::Layout::Plain ? "plain" : "composite",
                 static_cast<int>(getpid()));
    g_main_loop_run(loop);
    g_main_loop_unref(loop);

    for (std::size_t unit = 0; unit < stateFiles.size(); ++unit) {
        if (!simulator.saveUnit(unit, stateFiles[unit], error)) {
            std::fprintf(stderr, "hidraw-testbed: %s\n", error.c_str());
            return run.status != 0 ? run.status : 3;
        }
    }
    return run.status;
}
