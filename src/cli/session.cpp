#include "cli/session.h"

#include "device/hidapi_backend.h"
#include "sim/simulator.h"

namespace zmt::cli {

namespace {
HidBackend& chooseBackend(sim::Simulator* simulator, HidBackend* hidapi) {
    if (simulator != nullptr) return simulator->backend();
    return *hidapi;
}
} // namespace

std::unique_ptr<HidBackend> Session::makeHidapi(bool simulated) {
    if (simulated) return nullptr;
    return std::make_unique<HidapiBackend>();
}

Session::Session(const GlobalOptions& options)
    : options_(options),
      host_(options.yes ? Answering::AlwaysYes : Answering::Ask, options.exchangeLog),
      simulator_(options.simulator ? std::make_unique<sim::Simulator>([this] { return host_.tickMs(); })
                                   : nullptr),
      hidapi_(makeHidapi(options.simulator)),
      transport_(chooseBackend(simulator_.get(), hidapi_.get())),
      link_(host_, transport_),
      watch_(link_, flags_, window_),
      transfer_(link_, record_, flags_, &watch_) {}

Session::~Session() {
    // The handle goes before the backend that made it.
    transport_.closeController();
}

bool Session::loadState(std::string& error) {
    if (!simulator_ || !options_.stateFile) return true;
    return simulator_->load(*options_.stateFile, error);
}

bool Session::saveState(std::string& error) {
    if (!simulator_ || !options_.stateFile) return true;
    return simulator_->save(*options_.stateFile, error);
}

ResultCode Session::readIdentity(IdentityBlock& identity) {
    ResultCode code = link_.probeController();
    if (code == errNone) code = watch_.readIdentity();
    identity = watch_.identity();
    return code;
}

} // namespace zmt::cli
