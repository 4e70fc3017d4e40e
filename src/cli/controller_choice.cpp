#include "cli/controller_choice.h"

#include "cli/json_output.h"
#include "device/protocol.h"
#include "lang/lang.h"

#include <cstdio>

namespace zmt::cli {

namespace {

// "1001, 1002 (busy)": what is present, for the messages that ask for a choice.
std::string serialsText(const std::vector<PresentController>& found) {
    std::string text;
    for (const PresentController& unit : found) {
        if (!text.empty()) text += ", ";
        const std::optional<uint32_t> serial = unit.serial();
        text += serial ? std::to_string(*serial) : std::string("?");
        if (unit.busy) text += localized(" (busy)");
    }
    return text.empty() ? std::string(localized("none")) : text;
}

std::vector<PresentController> presentControllers(Session& session) {
    std::vector<PresentController> found;
    session.transport().listControllers(found);
    return found;
}

int busyError(const HolderInfo& holder) {
    std::fprintf(stderr, "%s\n", holder.busyText().c_str());
    return exitBusy;
}

} // namespace

int checkControllerChoice(Session& session) {
    const ResultCode code = session.link().probeController();
    if (code == ResultCode::Held) return busyError(session.transport().heldBy());
    if (code == ResultCode::NoHold) {
        std::fprintf(stderr, "%s\n", holdFailureText(session.transport().holdFailure()).c_str());
        return exitBusy;
    }
    if (code == ResultCode::SameSerial) {
        const std::vector<std::string>& paths = session.transport().sameSerialPaths();
        std::fprintf(stderr, "%s\n",
                     formatText(localized("Two controllers carry serial %lu: %s and %s.\nUnplug one of them; nothing was changed."),
                                static_cast<unsigned long>(session.transport().expectedSerial().value_or(0)), paths.at(0).c_str(),
                                paths.at(1).c_str())
                         .c_str());
        return exitDevice;
    }
    if (code == ResultCode::Several) {
        std::fprintf(stderr, "%s\n",
                     formatText(localized("Several controllers are connected: %s.\nChoose one with --serial N (or --all for write, "
                                          "defaults, reset and flash)."),
                                serialsText(presentControllers(session)).c_str())
                         .c_str());
        return exitUsage;
    }
    if (code == ResultCode::Disconnected && session.options().serial) {
        std::fprintf(stderr, "%s\n",
                     formatText(localized("Controller %lu not found; connected: %s"),
                                static_cast<unsigned long>(*session.options().serial),
                                serialsText(presentControllers(session)).c_str())
                         .c_str());
        return exitDevice;
    }
    return exitOk;
}

int runOnEveryController(Session& session, const CommandRow& command, const Arguments& arguments) {
    std::vector<PresentController> found;
    const ResultCode code = session.transport().listControllers(found);
    if (code != ResultCode::Ok) return deviceError(code);
    if (found.empty()) return deviceError(ResultCode::Disconnected);

    TerminalHost& host = session.host();
    const std::string question =
        formatText(localized("Run '%s' on every controller (%s)?"),
                   command.name, serialsText(found).c_str());
    if (host.messageBox({MessageKind::Question, DefaultAnswer::No}, question) != Answer::Yes) {
        std::fprintf(stderr, "%s\n", localized("Nothing was changed."));
        return exitDeclined;
    }
    // The one question covered the batch: the command's own are answered.
    host.answerEveryQuestion();

    int firstFailure = exitOk;
    for (const PresentController& unit : found) {
        const std::optional<uint32_t> serial = unit.serial();
        const std::string name = serial ? std::to_string(*serial) : unit.path;
        int status = exitOk;
        std::string outcome;
        if (unit.busy) {
            status = exitBusy;
            outcome = unit.holder.busyText();
        } else if (unit.read != ResultCode::Ok || !serial) {
            status = exitDevice;
            outcome = resultText(unit.read != ResultCode::Ok ? unit.read : ResultCode::Exchange);
        } else {
            session.useController(*serial);
            status = command.run(session, arguments);
            if (status == exitUsage) return status;   // the same for every controller
            outcome = status == exitOk ? std::string(localized("done"))
                                       : formatText(localized("failed (status %d)"), status);
        }
        host.memoLine(formatText(localized("Controller %s: %s"), name.c_str(), outcome.c_str()));
        if (status != exitOk && firstFailure == exitOk) firstFailure = status;
    }
    return firstFailure;
}

} // namespace zmt::cli
