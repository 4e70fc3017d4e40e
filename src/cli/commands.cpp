#include "cli/commands.h"

#include "cli/controller_choice.h"
#include "cli/editor_commands.h"
#include "cli/firmware_commands.h"
#include "cli/history_commands.h"
#include "cli/json_output.h"
#include "cli/levels_command.h"
#include "cli/list_command.h"
#include "cli/setup_commands.h"
#include "config/config_file.h"
#include "config/snapshot_store.h"
#include "device/protocol.h"
#include "lang/lang.h"
#include "lang/number_text.h"

#include <cstdio>

namespace zmt::cli {

int usageError(const std::string& message) {
    std::fprintf(stderr, "zmtctl: %s\n%s\n", message.c_str(),
                 localized("See: zmtctl --help"));
    return exitUsage;
}

int deviceError(ResultCode code) {
    std::fprintf(stderr, "%s\n", resultText(code).c_str());
    // A hold that cannot be taken is no fault of the controller's.
    return code == ResultCode::NoHold ? exitBusy : exitDevice;
}

int unexpectedArgument(const std::string& argument) {
    return usageError(formatText(localized("unexpected argument '%s'"), argument.c_str()));
}

int needsValue(const std::string& name) {
    return usageError(formatText(localized("%s needs a value"), name.c_str()));
}

bool optionValue(const Arguments& arguments, std::size_t& i, const std::string& name, std::string& value,
                 bool& missing) {
    const std::string& argument = arguments[i];
    missing = false;
    if (argument == name) {
        if (i + 1 == arguments.size()) {
            missing = true;
            return true;
        }
        value = arguments[++i];
        return true;
    }
    if (argument.rfind(name + "=", 0) == 0) {
        value = argument.substr(name.size() + 1);
        return true;
    }
    return false;
}

int countOption(const Arguments& arguments, unsigned long& count) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string value;
        bool missing = false;
        if (!optionValue(arguments, i, "--count", value, missing)) return unexpectedArgument(arguments[i]);
        if (missing) return usageError(localized("--count needs a number"));
        const auto parsed = parseUnsigned(value, 1000000000UL);
        if (!parsed || *parsed == 0)
            return usageError(formatText(localized("--count: '%s' is not a number from 1 to 1000000000"),
                                         value.c_str()));
        count = static_cast<unsigned long>(*parsed);
    }
    return exitOk;
}

int declined() {
    std::fprintf(stderr, "%s\n", localized("Nothing was changed."));
    return exitDeclined;
}

namespace {

// Commands that take exactly one file name.
int expectOneFile(const Arguments& arguments) {
    if (arguments.empty()) return usageError(localized("the file name is missing"));
    if (arguments.size() > 1) return unexpectedArgument(arguments[1]);
    return exitOk;
}

int fileError(const FileResult& result) {
    std::fprintf(stderr, "%s\n", result.text().c_str());
    return exitFile;
}

int runInfo(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    IdentityBlock identity;
    const ResultCode code = session.readIdentity(identity);
    if (code != ResultCode::Ok) return deviceError(code);
    Host& host = session.host();
    if (session.options().json) {
        host.memoLine(identityJson(identity));
        return exitOk;
    }
    session.watch().printIdentity(identity);
    host.memoLine(formatText(localized("Device code         %u"), identity.deviceCode));
    host.memoLine(formatText(localized("Device type         %u"), identity.deviceType));
    return exitOk;
}

int runMonitor(Session& session, const Arguments& arguments) {
    unsigned long count = 0;   // 0: until stopped
    if (const int status = countOption(arguments, count); status != exitOk) return status;

    ResultCode code = session.link().probeController();
    if (code != ResultCode::Ok) return deviceError(code);

    TerminalHost& host = session.host();
    TerminalHost::installInterruptHandler();
    const std::size_t linesBefore = host.memoLines();
    // The window polls the device log every 10 ms; so do we. A read that
    // fails ends the monitor as it switches the window's device log off.
    while (!TerminalHost::interrupted) {
        code = session.watch().readDeviceLogRecord();
        if (code != ResultCode::Ok) return deviceError(code);
        if (count != 0 && host.memoLines() - linesBefore >= count) break;
        if (host.outputClosed()) break;
        delayMs(host, kDeviceLogIntervalMs);
    }
    return exitOk;
}

// Controller to file; an existing file keeps its other sections and keys.
int runRead(Session& session, const Arguments& arguments) {
    if (const int status = expectOneFile(arguments); status != exitOk) return status;
    const std::string& file = arguments.front();
    ResultCode code = session.link().probeController();
    if (code == ResultCode::Ok) code = session.watch().readIdentity();
    if (code == ResultCode::Ok) code = session.transfer().readConfiguration();
    if (code != ResultCode::Ok) return deviceError(code);
    // Read anyway, so kept as the window keeps its first read; a snapshot
    // that fails here stops nothing (nothing is changed), it is only said.
    storeSnapshot(session.watch().identity().serialNumber, session.record().image, SnapshotCause::FirstRead);
    const FileResult saved = saveConfigFile(session.record().image, file);
    if (!saved.ok()) return fileError(saved);
    session.host().memoLine(formatText(localized("The controller's configuration was saved to %s"),
                                       file.c_str()));
    return exitOk;
}

// File to controller, as the toolbar's write: the whole image, then a restart.
// What the controller held is kept as a snapshot first; a snapshot given as
// the file goes back byte for byte.
int runWrite(Session& session, const Arguments& arguments) {
    if (const int status = expectOneFile(arguments); status != exitOk) return status;
    const std::string& file = arguments.front();
    ConfigImage fromFile = session.record().image;
    bool snapshot = false;
    const FileResult loaded = loadSnapshot(fromFile, file, &snapshot);
    if (!loaded.ok()) return fileError(loaded);
    // Damaged values are read leniently, as the window does; say which.
    if (!loaded.damaged.empty()) std::fprintf(stderr, "%s\n", loaded.text().c_str());
    // A file lacking keys every saved one has was most likely cut short:
    // what those keys held would be wiped with defaults, so it goes only
    // once that was said and answered.
    if (!loaded.missing.empty() &&
        session.host().messageBox({MessageKind::Warning, DefaultAnswer::No},
                                  loaded.missingText() + "\n" +
                                      localized("Write it to the controller anyway?")) != Answer::Yes)
        return declined();
    ConfigTransfer& transfer = session.transfer();
    ResultCode code = session.link().probeController();
    if (code != ResultCode::Ok) return deviceError(code);
    if (!transfer.confirmWriteConfiguration()) return declined();
    if (const int status = keepSnapshot(session, snapshot ? SnapshotCause::Restored : SnapshotCause::FileSent);
        status != exitOk)
        return status;
    session.record().image = fromFile;
    code = transfer.writeConfiguration();
    if (code != ResultCode::Ok) {
        const int status = deviceError(code);
        if (const std::string partial = transfer.partialWriteText(); !partial.empty())
            std::fprintf(stderr, "%s\n", partial.c_str());
        return status;
    }
    session.host().memoLine(formatText(localized("The configuration from %s was written to the controller"),
                                       file.c_str()));
    return exitOk;
}

int runDefaults(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    ConfigTransfer& transfer = session.transfer();
    ResultCode code = session.link().probeController();
    if (code != ResultCode::Ok) return deviceError(code);
    if (!transfer.confirmResetToDefaults()) return declined();
    if (const int status = keepSnapshot(session, SnapshotCause::Defaults); status != exitOk) return status;
    code = transfer.restoreDefaults();
    if (code != ResultCode::Ok) return deviceError(code);
    session.host().memoLine(localized("The controller's configuration was reset to its defaults"));
    return exitOk;
}

int runReset(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    // The controller reads its configuration anew as it starts.
    if (const int status = keepSnapshot(session, SnapshotCause::Restart); status != exitOk) return status;
    const ResultCode code = session.transfer().restartDevice();
    if (code != ResultCode::Ok) return deviceError(code);
    session.host().memoLine(localized("The controller was restarted"));
    return exitOk;
}

} // namespace

const std::vector<CommandRow>& commandTable() {
    static const std::vector<CommandRow> table = {
        {"list", "",
         N_("Lists the controllers connected, one line each: serial number, name,\napplication and "
            "boot loader versions, or \"busy\" and which program holds\nit. With --json an array of "
            "objects (the fields of info, and busy, heldBy)."),
         runList, DeviceUse::None},
        {"info", "",
         N_("Prints the controller's identity: name, serial number, boot loader and\napplication "
            "versions, device code and device type."),
         runInfo, DeviceUse::One},
        {"monitor", "[--count N]",
         N_("Prints the controller's own log records, one \"t:TYPE l:LENGTH [ BYTES ]\"\nline each, "
            "polling every 10 ms. Stops after N records (--count N), on\nCtrl+C or when its output is "
            "closed (status 0), or when a read fails\n(status 2). Records read leave the simulator's "
            "queue in every case."),
         runMonitor, DeviceUse::One},
        {"read", "FILE.ZMT",
         N_("Reads the controller's configuration into a configuration file. In an\nexisting file only "
            "the configuration values are replaced; the rest stays."),
         runRead, DeviceUse::One},
        {"write", "FILE.ZMT",
         N_("Writes the configuration of the file to the controller as a whole and\nrestarts it. Asks "
            "first (see --yes). Damaged values of the file read as\nzeros and are listed on stderr."),
         runWrite, DeviceUse::OneOrAll},
        {"defaults", "",
         N_("Resets the controller's configuration to its factory defaults. Asks\nfirst (see --yes)."),
         runDefaults, DeviceUse::OneOrAll},
        {"reset", "",
         N_("Restarts the controller."),
         runReset, DeviceUse::OneOrAll},
        {"ir", "",
         N_("Prints the last infrared code the controller received, as the event\neditor shows it "
            "(\"NEC 4 / 17\"), or \"No Infrared code\"."),
         runIr, DeviceUse::One},
        {"show", "FILE.ZMT",
         N_("Prints a configuration file in words: the buttons of each channel (name,\ncode, limit), "
            "every event that is not empty (number, trigger, type, one\ntime only, wake up and the "
            "response as the window describes it), the\nHOME key and the parameters. No controller is "
            "needed. Status 3 when the\nfile cannot be read."),
         runShow, DeviceUse::None},
        {"flash", "FILE.LDR",
         N_("Replaces the controller's firmware from the file, with the program's checks\nand "
            "questions; without --yes a question is asked on the terminal (otherwise\nanswered No). "
            "Waits for the new application and prints its identity.\nStatus 4 a question refused, 2 a "
            "device failure or a file for another\ndevice, 3 a file error."),
         runFlash, DeviceUse::OneOrAll},
        {"levels", "[--count N]",
         N_("Prints the levels of the four button channels, one line a read, every\n100 ms, N times or "
            "until Ctrl+C."),
         runLevels, DeviceUse::One},
        {"functions", "",
         N_("Lists the quick set-up's functions: the key for assign, the button's short\nname, what it "
            "sends (a Consumer page usage) and its name. With --json an\narray of objects (key, name, "
            "shortName, kind, usagePage, usage,\nusageName). No controller is needed."),
         runFunctions, DeviceUse::None},
        {"assign", "BUTTON FUNCTION [--long FUNCTION]",
         N_("Gives a button a function (a key of zmtctl functions; nothing switches the\nbutton off). "
            "BUTTON is a learned button's name or a channel and level\n(2:120: a new button is learned "
            "and named by the function's short name).\n--long gives its long press a function too. "
            "When the button already does\nsomething the change is refused without --yes (status 4); "
            "--yes replaces\nit. A snapshot is kept first."),
         runAssign, DeviceUse::One},
        {"quick-setup", "[--functions LIST]",
         N_("The quick set-up on a terminal: for each function press and release a\nsteering-wheel "
            "button (prompts on stderr). LIST is keys separated by\ncommas; key/key adds a long press "
            "(volume-down/mute). Enter skips a\nfunction, f goes to the summary, q or Ctrl+C cancel: "
            "the controller keeps\nwhat it held (status 4). Applying asks first (see --yes); with "
            "--yes a\nbutton already in use is replaced, without a terminal it is skipped. A\nsnapshot "
            "is kept first."),
         runQuickSetup, DeviceUse::One},
        {"make-ldr", "PAYLOAD OUT.LDR --version V --code C --type T [--reserved R]",
         N_("Builds a firmware file: the header (version like 1.18, device code and\ntype), the "
            "PAYLOAD bytes as they are, and the CRC-16 check value. Needs no\ncontroller."),
         runMakeLdr, DeviceUse::None},
        {"history", "",
         N_("Lists the configuration snapshots, newest first: time (UTC), serial\nnumber, cause and "
            "file path. One is kept before write, defaults, reset\nand flash and after read (and in "
            "the program); put one back with zmtctl\nwrite FILE. With --serial N only that "
            "controller's; with --json an array\nof objects. No controller is needed."),
         runHistory, DeviceUse::None},
        {"diff", "A B",
         N_("Compares two configurations: A and B are .ZMT files, snapshots or\ncontroller (what the "
            "controller holds). Prints the differences in words,\nas show does: A's lines marked "
            "\"-\", B's \"+\". Status 0 when they are\nthe same, 1 when they differ (as diff does), 2 "
            "a device failure, 3 a\nfile error. With --json an object (same, differences)."),
         runDiff, DeviceUse::None},
    };
    return table;
}

const CommandRow* findCommand(const std::string& name) {
    for (const CommandRow& command : commandTable())
        if (name == command.name) return &command;
    return nullptr;
}

} // namespace zmt::cli
