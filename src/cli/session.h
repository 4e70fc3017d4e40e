#pragma once
// Everything one zmtctl run talks to the controller with: the terminal host,
// the program flags and the device stack over them (the HID backend, hidapi or
// the in-process simulated controller, the transport, the link, the
// connection watch, and the configuration record with its transfer).
// Commands get the session and use these members; none of them builds its own.
#include "cli/terminal_host.h"
#include "stack/device_stack.h"
#include "lang/lang.h"

#include <optional>
#include <string>
#include <vector>

namespace zmt::cli {

// The options every command shares.
struct GlobalOptions {
    bool simulator = false;
    std::optional<std::string> stateFile;   // --simulator=FILE
    std::vector<std::string> moreUnits;     // --simulator=FILE repeated: one unit each
    std::optional<uint32_t> serial;         // --serial N
    bool all = false;                       // --all
    std::string language = kSourceLanguage;
    bool exchangeLog = false;               // --log
    bool yes = false;                       // --yes
    bool json = false;                      // --json: one JSON object on stdout
};

class Session {
public:
    explicit Session(const GlobalOptions& options);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loads the simulated controller's state file, when there is one. False
    // with a message when it exists but cannot be read.
    bool loadState(std::string& error);
    // Writes it back (atomically) after the command.
    bool saveState(std::string& error);

    const GlobalOptions& options() const { return options_; }
    TerminalHost& host() { return host_; }
    DeviceLink& link() { return stack_.link(); }
    HidTransport& transport() { return stack_.transport(); }
    ProgramFlags& flags() { return flags_; }
    ConnectionWatch& watch() { return stack_.watch(); }
    ConfigRecord& record() { return stack_.record(); }
    ConfigTransfer& transfer() { return stack_.transfer(); }
    // Null unless --simulator.
    sim::Simulator* simulator() { return stack_.simulator(); }

    // Probes for the controller and reads its identity block.
    ResultCode readIdentity(IdentityBlock& identity);
    // Whether a state file could not be loaded because another run holds it.
    bool stateFileBusy() const { return stack_.stateFileBusy(); }
    // From now on, talks only to the controller with this serial (the one
    // held before is let go), starting afresh as a new run would.
    void useController(uint32_t serial);

private:
    GlobalOptions options_;
    TerminalHost host_;
    ProgramFlags flags_;
    // A command runs on its own, with no window around it.
    QuietWatchWindow window_;
    DeviceStack stack_;
};

} // namespace zmt::cli
