#pragma once
// HidBackend over simulated devices: any number of controllers and other HID
// devices present at once (impostors with the controller's IDs and other or
// unreadable strings), unplug and re-plug, an optional modelled USB cost per
// feature-report transfer, and the library failing to initialise.
#include "device/hid_backend.h"
#include "sim/simulated_controller.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zmt::sim {

class SimulatedHidBackend : public HidBackend {
public:
    using Clock = std::function<uint32_t()>;
    using Spend = std::function<void(uint32_t ms)>;

    explicit SimulatedHidBackend(Clock clock) : clock_(std::move(clock)) {}

    struct Port {
        std::string path;
        uint16_t vendorId = 0;
        uint16_t productId = 0;
        std::optional<std::u16string> manufacturer;   // nullopt: unreadable
        std::optional<std::u16string> product;
        std::shared_ptr<SimulatedController> controller;   // null: a device that never answers
        uint16_t usagePage = 0;   // the controller's own: vendor-defined
        bool plugged = true;
    };
    // A controller with the real identity, appended to the enumeration order.
    Port& addController(std::shared_ptr<SimulatedController> controller,
                        std::optional<std::u16string> manufacturer = u"ZEL",
                        std::optional<std::u16string> product = u"MORVA-TOUCH");
    // Any other HID device (a keyboard, an impostor).
    Port& addDevice(uint16_t vendorId, uint16_t productId,
                    std::optional<std::u16string> manufacturer,
                    std::optional<std::u16string> product,
                    std::shared_ptr<SimulatedController> controller = nullptr);
    void unplug(Port& port);
    void plug(Port& port);

    // Every feature-report transfer first spends ms through `spend` (a test
    // advances its virtual clock; the benchmark sleeps).
    void setTransferCost(uint32_t ms, Spend spend) { costMs_ = ms; spend_ = std::move(spend); }
    // What initialise() returns.
    InitResult initResult = InitOk;
    bool throwOnEnumerate = false;

    // Held like hardware (controller_hold.h) under this prefix and the
    // port's path; empty (the default): not held, as a controller inside
    // one program needs no hold (its state file is held instead).
    std::string holdPrefix;

    InitResult initialise() override { return initResult; }
    std::string holdKey(const std::string& path) override { return holdPrefix.empty() ? "" : holdPrefix + path; }
    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidDevice> open(const std::string& path, HidOpenFailure& failure) override;

    // Counters for tests and the benchmark.
    struct Counters {
        std::size_t enumerations = 0, opens = 0, transfers = 0;
    };
    const Counters& counters() const { return counters_; }
    // The path of the interface opened last ("" before the first).
    const std::string& lastOpened() const { return lastOpened_; }
    uint32_t now() const { return clock_(); }

private:
    class Handle;
    bool present(Port& port);
    void spendTransfer();

    Clock clock_;
    Spend spend_;
    uint32_t costMs_ = 0;
    std::vector<std::unique_ptr<Port>> ports_;
    Counters counters_;
    std::string lastOpened_;
};

} // namespace zmt::sim
