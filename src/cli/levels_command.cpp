#include "cli/levels_command.h"

#include "device/commands.h"
#include "lang/lang.h"

namespace zmt::cli {

namespace {

constexpr uint32_t kLevelsIntervalMs = 100;

} // namespace

int runLevels(Session& session, const Arguments& arguments) {
    unsigned long count = 0;   // 0: until stopped
    if (const int status = countOption(arguments, count); status != exitOk) return status;
    TerminalHost& host = session.host();
    TerminalHost::installInterruptHandler();
    for (unsigned long done = 0; !TerminalHost::interrupted && (count == 0 || done < count); ++done) {
        if (done != 0) delayMs(host, kLevelsIntervalMs);
        uint8_t levels[4] = {};
        const ResultCode code = commands::readKeyLevels(session.link(), levels, sizeof levels);
        if (code != ResultCode::Ok) return deviceError(code);
        host.memoLine(formatText("%3u %3u %3u %3u", levels[0], levels[1], levels[2], levels[3]));
        if (host.outputClosed()) break;
    }
    return exitOk;
}

} // namespace zmt::cli
