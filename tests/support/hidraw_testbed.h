#pragma once
// A ZEL MORVA TOUCH faked at the kernel interface, so that the real hidapi
// code (enumeration through libudev, opening the hidraw node, feature-report
// ioctls) runs without hardware. umockdev provides the sysfs tree, the udev
// database and the /dev node; the feature reports are answered by the same
// simulated controller that stands behind `--simulator`, so one model serves
// both paths.
//
// The process must run under umockdev's preload library: call
// HidrawTestbed::enterMockEnvironment(argc, argv) first thing in main().
//
// Threads: umockdev answers the ioctls on a thread of its own while the
// caller's thread waits in the ioctl; the controller, the clock and the tree
// are only touched with the test bed's lock held. In a test the caller's
// thread is blocked while a handler runs, so a virtual clock needs no lock.
#include "sim/simulated_controller.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zmt::test {

class HidrawTestbed {
public:
    using Clock = std::function<uint32_t()>;
    using Spend = std::function<void(uint32_t ms)>;

    enum class Layout {
        Plain,       // one USB interface: the controller's vendor-defined collection
        Composite,   // interface 0 a boot keyboard (listed first), interface 1 one node
                     // with consumer, system-control and the vendor collection, in that order
        // The same collections as Windows lists them, each a device of its own:
        // keyboard, consumer and system control, then the vendor collection on
        // interfaces 0, 1 and 2. Wine 8 does not split a node's collections as
        // Windows does, so the Windows checks under Wine use this one.
        CompositeSplit,
    };
    struct Options {
        Layout layout = Layout::Plain;
        std::string manufacturer = "ZEL";
        std::string product = "MORVA-TOUCH";
        // A second device with the controller's IDs and strings whose node
        // answers no ioctl at all, listed before the controller: its open
        // fails for a reason other than permission.
        bool brokenTwinFirst = false;
        // The controller's node may not be opened by anyone but root, as
        // without the udev rule. Root opens it anyway: run the process that
        // opens it as another user to see the refusal.
        bool locked = false;
        // Once off the bus, the controller comes back no sooner than this,
        // as a real USB device takes its time to enumerate again. Wine's HID
        // bus loses a node that comes back while it is still removing the
        // old one (the same instance ID), which real hardware never asks of it.
        uint32_t replugDelayMs = 0;
    };

    // Builds the tree with the controller plugged in. Time comes from clock
    // (milliseconds, as the controller's own time). Programs in the bed keep
    // their lock files (controller_hold.h) in a folder of the bed's own
    // ($ZMT_LOCK_DIR, made unless set): the node names are the bed's.
    HidrawTestbed(std::shared_ptr<sim::SimulatedController> controller, Clock clock, Options options);
    ~HidrawTestbed();
    HidrawTestbed(const HidrawTestbed&) = delete;
    HidrawTestbed& operator=(const HidrawTestbed&) = delete;

    // Re-runs the program under umockdev-wrapper unless the preload is in
    // place already. Returns only when it is (or exits with a message).
    static void enterMockEnvironment(int argc, char** argv);
    static bool inMockEnvironment();

    // Every feature-report ioctl spends ms through spend first (a test moves
    // its virtual clock, as a USB transfer takes time).
    void setTransferCost(uint32_t ms, Spend spend);

    // Another controller on the bus (a USB port of its own, listed after
    // the others): its index for unplug, plug and controllerNode. Its
    // identity, serial number included, is the controller's own.
    std::size_t addUnit(std::shared_ptr<sim::SimulatedController> controller, Layout layout);

    // The cable of a unit (the first one unless told): pulled out, put back.
    void unplug(std::size_t unit = 0);
    void plug(std::size_t unit = 0);
    // Makes the tree follow the controller's own comings and goings (a reset
    // or the hand-over to the boot loader takes it off the bus briefly).
    // The test bed program calls it on a timer; tests before each search.
    void follow();

    // A unit's hidraw node that carries its reports, e.g. "/dev/hidraw65".
    std::string controllerNode(std::size_t unit = 0) const;
    std::size_t featureTransfers() const;

    struct Impl;   // umockdev and GLib stay in the .cpp

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace zmt::test
