#pragma once
// Everything one zmtctl run talks to the controller with: the HID backend
// (hidapi, or the in-process simulated controller), the transport, the link,
// the program flags, the connection watch, the terminal host, and the
// configuration record with its transfer. Commands get
// the session and use these members; none of them builds its own.
#include "cli/terminal_host.h"
#include "config/config_image.h"
#include "config/config_transfer.h"
#include "device/connection_watch.h"
#include "device/device_link.h"
#include "device/flags.h"
#include "device/hid_transport.h"
#include "lang/lang.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zmt::sim { class Simulator; }

namespace zmt::cli {

// The options every command shares.
struct GlobalOptions {
    bool simulator = false;
    std::optional<std::string> stateFile;   // --simulator=FILE
    int language = English;
    bool exchangeLog = false;               // --log
    bool yes = false;                       // --yes
    bool json = false;                      // --json: one JSON object on stdout
};

class Session {
public:
    explicit Session(const GlobalOptions& options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loads the simulated controller's state file, when there is one. False
    // with a message when it exists but cannot be read.
    bool loadState(std::string& error);
    // Writes it back (atomically) after the command.
    bool saveState(std::string& error);

    const GlobalOptions& options() const { return options_; }
    TerminalHost& host() { return host_; }
    DeviceLink& link() { return link_; }
    HidTransport& transport() { return transport_; }
    ProgramFlags& flags() { return flags_; }
    ConnectionWatch& watch() { return watch_; }
    _zelmorvatouch& record() { return record_; }
    ConfigTransfer& transfer() { return transfer_; }
    // Null unless --simulator.
    sim::Simulator* simulator() { return simulator_.get(); }

    // Probes for the controller and reads its identity block.
    ResultCode readIdentity(IdentityBlock& identity);

private:
    // A command runs on its own, with no window around it: the watch's
    // window is a quiet stand-in.
    class QuietWindow : public WatchWindow {
    public:
        void SetDeviceButtons(bool) override {}
        bool deviceLogChecked() override { return deviceLog; }
        void setDeviceLogChecked(bool checked) override { deviceLog = checked; }
        bool monitoringPageActive() override { return true; }
        void setPollInterval(unsigned) override {}
        void stopPollTimer() override {}
        void startPollTimer() override {}
        bool deviceLog = false;
    };

    static std::unique_ptr<HidBackend> makeHidapi(bool simulated);

    GlobalOptions options_;
    TerminalHost host_;
    std::unique_ptr<sim::Simulator> simulator_;
    std::unique_ptr<HidBackend> hidapi_;
    HidTransport transport_;
    DeviceLink link_;
    ProgramFlags flags_;
    QuietWindow window_;
    ConnectionWatch watch_;
    _zelmorvatouch record_;
    ConfigTransfer transfer_;
};

} // namespace zmt::cli
