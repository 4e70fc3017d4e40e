#include "cli/firmware_commands.h"

#include "cli/history_commands.h"

#include "device/commands.h"
#include "device/firmware_update.h"
#include "device/protocol.h"
#include "files/file_writer.h"
#include "lang/lang.h"
#include "lang/number_text.h"

#include <cstdio>

namespace zmt::cli {

namespace {

// After an update: when the new application holds another configuration
// than the one kept before, offers to put that one back.
int offerOldConfiguration(Session& session, const KeptSnapshot& before) {
    if (!before.read) return exitOk;
    ConfigTransfer& transfer = session.transfer();
    ResultCode code = transfer.readConfiguration();
    if (code != ResultCode::Ok) return deviceError(code);
    if (!offerRestoreAfterUpdate(session.host(), before.image, session.record().image, before.path)) return exitOk;
    if (const int status = keepSnapshot(session, SnapshotCause::Restored); status != exitOk) return status;
    session.record().image = before.image;
    code = transfer.writeConfiguration();
    if (code != ResultCode::Ok) return deviceError(code);
    session.host().memoLine(localized("The old configuration was written to the controller"));
    return exitOk;
}

} // namespace

bool parseVersion(const std::string& text, uint16_t& value) {
    const std::size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (whole.size() > 3 || fraction.size() > 2 || (dot != std::string::npos && fraction.empty())) return false;
    const auto units = parseUnsigned(whole, 999);
    const auto parts = fraction.empty() ? std::optional<uint64_t>(0) : parseUnsigned(fraction, 99);
    if (!units || !parts) return false;
    const uint64_t hundredths = *units * 100 + *parts * (fraction.size() == 1 ? 10 : 1);
    if (hundredths > 0xFFFF) return false;
    value = static_cast<uint16_t>(hundredths);
    return true;
}

int runFlash(Session& session, const Arguments& arguments) {
    if (arguments.empty()) return usageError(localized("a firmware file is needed"));
    if (arguments.size() > 1) return unexpectedArgument(arguments[1]);
    const std::string path = arguments[0];

    FirmwareUpdate update(session.link(), session.watch(), session.flags());
    // A new firmware may start with its own configuration; the old one is
    // kept once the file has passed its checks (a refused file keeps nothing).
    KeptSnapshot before;
    int snapshotStatus = exitOk;
    update.setOnceFileChecked([&] {
        snapshotStatus = keepSnapshot(session, SnapshotCause::FirmwareUpdate, &before);
        return snapshotStatus == exitOk;
    });
    // No window timer here: the wait for the boot loader polls by itself,
    // and so does the wait for the new application: a script wants to know
    // it is running before going on.
    update.setPollDuringWait([&session] { session.watch().pollController(); });
    update.setAwaitNewApplication(true);
    const FirmwareOutcome outcome = update.updateFirmware([&path] { return path; });
    if (snapshotStatus != exitOk) return snapshotStatus;
    switch (outcome) {
    case FirmwareOutcome::Updated: break;
    case FirmwareOutcome::Cancelled: return exitDeclined;   // a version question answered No
    case FirmwareOutcome::FileRefused: return exitFile;
    case FirmwareOutcome::DeviceRefused:
    case FirmwareOutcome::Failed:
    case FirmwareOutcome::NotStarted: return exitDevice;
    }
    session.watch().printIdentity(session.watch().identity());
    return offerOldConfiguration(session, before);
}

int runMakeLdr(Session&, const Arguments& arguments) {
    std::vector<std::string> files;
    LdrHeader header;
    bool haveVersion = false, haveCode = false, haveType = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string value;
        bool missing = false;
        if (optionValue(arguments, i, "--version", value, missing)) {
            if (missing) return needsValue("--version");
            if (!parseVersion(value, header.applicationVersion))
                return usageError(formatText(localized("--version: '%s' is not a version like 1.18"),
                                             value.c_str()));
            haveVersion = true;
            continue;
        }
        struct NumberOption { const char* name; unsigned long limit; bool* given; };
        const NumberOption numbers[] = {{"--code", 255, &haveCode}, {"--type", 255, &haveType},
                                        {"--reserved", 0xFFFFFFFFUL, nullptr}};
        const NumberOption* matched = nullptr;
        for (const NumberOption& option : numbers)
            if (optionValue(arguments, i, option.name, value, missing)) {
                matched = &option;
                break;
            }
        if (matched != nullptr) {
            if (missing) return needsValue(matched->name);
            // Decimal or 0x-hexadecimal; a leading 0 is no octal.
            const auto parsed = parseUnsigned(value, matched->limit, NumberBase::DecimalOrHex);
            if (!parsed)
                return usageError(formatText(localized("%s: '%s' is out of range"),
                                             matched->name, value.c_str()));
            if (matched->given == &haveCode) header.deviceCode = static_cast<uint8_t>(*parsed);
            else if (matched->given == &haveType) header.deviceType = static_cast<uint8_t>(*parsed);
            else header.reserved = static_cast<uint32_t>(*parsed);
            if (matched->given != nullptr) *matched->given = true;
        } else if (!arguments[i].empty() && arguments[i][0] == '-' && arguments[i] != "-") {
            return unexpectedArgument(arguments[i]);
        } else {
            files.push_back(arguments[i]);
        }
    }
    if (files.size() != 2)
        return usageError(localized("PAYLOAD and OUT.LDR are needed"));
    if (!haveVersion || !haveCode || !haveType)
        return usageError(localized("--version, --code and --type are needed"));

    // Read like every file of ours: a folder, a pipe (which would block for
    // ever) or a read error is refused with its reason, never taken for an
    // empty payload. One byte over the limit is enough to refuse it.
    std::string data;
    const FileResult read = readWholeFile(files[0], kFirmwareFileMax, data);
    if (read.error == FileError::NotFound || read.error == FileError::CannotRead) {
        const char* format = read.opened ? N_("Error reading file \"%s\"")
                                         : N_("Error opening file \"%s\"");
        std::fprintf(stderr, "%s\n%s\n", formatText(localized(format), files[0].c_str()).c_str(), read.reason().c_str());
        return exitFile;
    }
    const std::vector<uint8_t> payload(data.begin(), data.end());
    // The controller's loader would take it, and the update would report
    // an installation of nothing.
    if (read.ok() && payload.empty()) {
        std::fprintf(stderr, "%s\n",
                     formatText(localized("Payload \"%s\" is empty"), files[0].c_str()).c_str());
        return exitFile;
    }
    std::vector<uint8_t> file;
    if (!read.ok() || !buildFirmwareFile(header, payload, file)) {
        std::fprintf(stderr, "%s\n",
                     formatText(localized("Payload \"%s\" is longer than %u bytes"),
                                files[0].c_str(), static_cast<unsigned>(kFirmwareFileMax - kFirmwareOverhead))
                         .c_str());
        return exitFile;
    }
    // Written like every file of ours: never half a file under the wanted
    // name, and never over a file the user may not write.
    const FileResult saved = writeFileSafely(
        files[1], std::string(reinterpret_cast<const char*>(file.data()), file.size()));
    if (!saved.ok()) {
        std::fprintf(stderr, "%s\n%s\n",
                     formatText(localized("Error writing file \"%s\""),
                                files[1].c_str()).c_str(),
                     saved.detail.c_str());
        return exitFile;
    }
    return exitOk;
}

} // namespace zmt::cli
