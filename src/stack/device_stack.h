#pragma once
// The controller side that zmtctl's session and zmtsetup's controller session
// share, built in this one place in the order its parts depend on each
// other: the HID backend (hidapi, or the in-process simulated controller with
// its optional state file), the transport over it, the link, the connection
// watch, and the configuration record with its transfer. What differs between
// the two programs is handed in: the host, the program flags (owned by the
// main window or the session, as every part reads them there) and the window
// the watch drives.
//
//   DeviceStack stack(host, flags, window, {.simulated = true, .stateFile = path,
//                                           .hardware = makeHidapiBackend});
//   if (!stack.loadState(error)) { report error; }
//   ... run ...
//   if (!stack.saveState(error)) { report error; }
#include "config/config_image.h"
#include "config/config_transfer.h"
#include "device/connection_watch.h"
#include "device/device_link.h"
#include "device/flags.h"
#include "device/hid_transport.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zmt::sim { class Simulator; }

namespace zmt {

class Host;

struct BackendChoice {
    // The in-process simulated controller instead of USB.
    bool simulated = false;
    // Where the simulated controller is kept between runs; empty: nowhere.
    std::string stateFile;
    // Makes the backend that reaches real controllers; asked only when not
    // simulated. The programs give makeHidapiBackend, so the core itself
    // needs no hidapi.
    std::function<std::unique_ptr<HidBackend>()> hardware;
    // More simulated controllers on the bus after that one, each kept in its
    // own state file ("" for none); they get serials 1002, 1003... when new.
    std::vector<std::string> moreUnits = {};
};

class DeviceStack {
public:
    DeviceStack(Host& host, ProgramFlags& flags, WatchWindow& window, BackendChoice choice);
    // Closes the controller: the handle goes before the backend that made it.
    ~DeviceStack();
    DeviceStack(const DeviceStack&) = delete;
    DeviceStack& operator=(const DeviceStack&) = delete;

    // The simulated controller's state file: a missing file gives a fresh
    // controller; one that cannot be read is an error with a message and
    // changes nothing. Both succeed at once without a simulated controller
    // or without a state file. Saving writes the file atomically. Each file
    // is held from its load on; one held by another run fails the load with
    // stateFileBusy() set.
    bool loadState(std::string& error);
    bool saveState(std::string& error);
    bool stateFileBusy() const;

    HidTransport& transport() { return transport_; }
    DeviceLink& link() { return link_; }
    ProgramFlags& flags() { return flags_; }
    ConnectionWatch& watch() { return watch_; }
    // The one configuration record: the editors, the file handlers and the
    // transfer all work on this one.
    ConfigRecord& record() { return record_; }
    ConfigTransfer& transfer() { return transfer_; }
    const ConfigTransfer& transfer() const { return transfer_; }
    // Null unless simulated.
    sim::Simulator* simulator() { return simulator_.get(); }

private:
    std::unique_ptr<sim::Simulator> simulator_;
    // Every unit's state file, the first unit's first ("" for none); made
    // after the simulator, which counts the units first.
    std::vector<std::string> stateFiles_;
    std::unique_ptr<HidBackend> hardware_;
    HidTransport transport_;
    DeviceLink link_;
    ProgramFlags& flags_;
    ConnectionWatch watch_;
    ConfigRecord record_;
    ConfigTransfer transfer_;
};

} // namespace zmt
