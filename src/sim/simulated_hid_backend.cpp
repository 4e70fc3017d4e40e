#include "sim/simulated_hid_backend.h"

#include "device/hid_transport.h"

#include <stdexcept>

namespace zmt::sim {

// An open simulated interface. It dies with the USB connection it was opened
// on: after an unplug or a restart every call fails, as a real handle does.
class SimulatedHidBackend::Handle : public HidDevice {
public:
    Handle(SimulatedHidBackend& backend, Port& port)
        : backend_(backend), port_(port), generation_(generationOf(port)) {}

    bool setFeature(const uint8_t* report, std::size_t length) override {
        backend_.spendTransfer();
        SimulatedController* controller = live();
        if (controller == nullptr || length != kReportSize) return false;
        if (controller->faults.throwOnTransfer) throw std::runtime_error("simulated platform failure");
        if (controller->faults.failSend) return false;
        return controller->request(report, backend_.now());
    }
    bool getFeature(uint8_t* report, std::size_t length) override {
        backend_.spendTransfer();
        SimulatedController* controller = live();
        if (controller == nullptr || length != kReportSize) return false;
        if (controller->faults.throwOnTransfer) throw std::runtime_error("simulated platform failure");
        if (controller->faults.failFetch) return false;
        controller->fetch(report, backend_.now());
        return true;
    }

private:
    static uint64_t generationOf(const Port& port) {
        return port.controller ? port.controller->generation() : 0;
    }
    SimulatedController* live() {
        if (!backend_.present(port_) || generationOf(port_) != generation_) return nullptr;
        return port_.controller.get();
    }

    SimulatedHidBackend& backend_;
    Port& port_;
    uint64_t generation_;
};

SimulatedHidBackend::Port& SimulatedHidBackend::addController(std::shared_ptr<SimulatedController> controller,
                                                              std::optional<std::u16string> manufacturer,
                                                              std::optional<std::u16string> product) {
    Port& port = addDevice(kControllerVendorId, kControllerProductId, std::move(manufacturer), std::move(product),
                           std::move(controller));
    port.usagePage = kVendorUsagePageFirst;
    return port;
}

SimulatedHidBackend::Port& SimulatedHidBackend::addDevice(uint16_t vendorId, uint16_t productId,
                                                          std::optional<std::u16string> manufacturer,
                                                          std::optional<std::u16string> product,
                                                          std::shared_ptr<SimulatedController> controller) {
    auto port = std::make_unique<Port>();
    port->path = "sim:" + std::to_string(ports_.size());
    port->vendorId = vendorId;
    port->productId = productId;
    port->manufacturer = std::move(manufacturer);
    port->product = std::move(product);
    port->controller = std::move(controller);
    ports_.push_back(std::move(port));
    return *ports_.back();
}

void SimulatedHidBackend::unplug(Port& port) {
    port.plugged = false;
    if (port.controller) port.controller->unplug();
}

void SimulatedHidBackend::plug(Port& port) {
    port.plugged = true;
    if (port.controller) port.controller->plug();
}

bool SimulatedHidBackend::present(Port& port) {
    return port.plugged && (!port.controller || port.controller->attached(now()));
}

void SimulatedHidBackend::spendTransfer() {
    ++counters_.transfers;
    if (costMs_ != 0 && spend_) spend_(costMs_);
}

std::vector<HidInterfaceInfo> SimulatedHidBackend::enumerate() {
    if (throwOnEnumerate) throw std::runtime_error("simulated enumeration failure");
    ++counters_.enumerations;
    std::vector<HidInterfaceInfo> found;
    for (auto& port : ports_)
        if (present(*port))
            found.push_back({port->path, port->vendorId, port->productId, port->manufacturer, port->product,
                             port->usagePage, 0, -1});
    return found;
}

std::unique_ptr<HidDevice> SimulatedHidBackend::open(const std::string& path, HidOpenFailure& failure) {
    failure.reason = "No such device";
    for (auto& port : ports_) {
        if (port->path != path) continue;
        if (!present(*port)) return nullptr;
        if (port->controller && port->controller->state.openDenied) {
            failure.denied = true;
            failure.reason = "Permission denied";
            return nullptr;
        }
        ++counters_.opens;
        lastOpened_ = path;
        return std::make_unique<Handle>(*this, *port);
    }
    return nullptr;
}

} // namespace zmt::sim
