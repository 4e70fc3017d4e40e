#include "cli/session.h"

#include "device/hidapi_backend.h"
#include "sim/simulator.h"

namespace zmt::cli {

Session::Session(const GlobalOptions& options)
    : options_(options),
      host_(options.yes ? Answering::AlwaysYes : Answering::Ask, options.exchangeLog),
      stack_(host_, flags_, window_,
             {.simulated = options.simulator, .stateFile = options.stateFile.value_or(std::string()),
              .hardware = makeHidapiBackend, .moreUnits = options.moreUnits}) {
    // Through the watch: the polls of a firmware update keep to it too.
    if (options.serial) stack_.watch().chooseSerial(options.serial);
}

bool Session::loadState(std::string& error) {
    if (!stack_.loadState(error)) return false;
    if (sim::Simulator* simulator = stack_.simulator())
        for (std::size_t unit = 0; unit < simulator->unitCount(); ++unit)
            if (!simulator->controller(unit).state.presses.empty()) host_.useOwnClock();
    return true;
}

bool Session::saveState(std::string& error) { return stack_.saveState(error); }

ResultCode Session::readIdentity(IdentityBlock& identity) {
    ResultCode code = stack_.link().probeController();
    if (code == ResultCode::Ok) code = stack_.watch().readIdentity();
    identity = stack_.watch().identity();
    return code;
}

} // namespace zmt::cli

namespace zmt::cli {

void Session::useController(uint32_t serial) {
    stack_.transport().closeController();
    flags_ = ProgramFlags{};
    stack_.watch().forgetController();
    stack_.watch().chooseSerial(serial);
}

} // namespace zmt::cli
