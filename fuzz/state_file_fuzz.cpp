// The simulator's state file is edited by hand. Any text must either be read
// or refused with a message naming the line (the state then untouched), and
// whatever is read must be written back so that reading it gives the same state.
#include "fuzz_support.h"
#include "sim/state_file.h"

using namespace zmt;
using zmt::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    sim::ControllerState state;
    state.serialNumber = 77;   // not the factory value, so a change shows
    const sim::ControllerState before = state;
    std::string error;
    if (!sim::parseControllerState(text, state, error)) {
        require(state == before, "a refused state file changed the state");
        require(error.rfind("line ", 0) == 0, "a refused state file does not name the line");
        return 0;
    }
    sim::ControllerState again;
    require(sim::parseControllerState(sim::formatControllerState(state), again, error),
            "a state file we wrote is refused");
    require(again == state, "format and parse changed the state");
    return 0;
}
