#pragma once
// The programs' controller chain above a HID backend, on the virtual clock:
// transport, link, the connection watch with its window's poll timer, the
// configuration record and its transfer, put together as the programs do.
// For the tests that bring a real backend of their own (hidapi on Linux, or
// under Wine); the simulated one has SimRig.
#include "config/config_transfer.h"
#include "device/connection_watch.h"
#include "device/device_link.h"
#include "polling_window.h"
#include "virtual_host.h"

namespace zmt::test {

template <class Backend>
struct ControllerChain {
    explicit ControllerChain(ControllerStrings strings = {}) : transport(backend, strings) {
        watch.setReadConfiguration([this] { transfer.readNewController(); });
    }
    ~ControllerChain() { transport.closeController(); }

    VirtualHost host;
    Backend backend;
    HidTransport transport;
    DeviceLink link{host, transport};
    ProgramFlags flags;
    PollingWindow window{host, [this] { watch.onPollTick(); }};
    ConnectionWatch watch{link, flags, window};
    ConfigRecord record;
    ConfigTransfer transfer{link, record, flags, &watch};
};

} // namespace zmt::test
