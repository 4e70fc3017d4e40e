#include "cli/list_command.h"

#include "cli/json_output.h"
#include "device/protocol.h"
#include "lang/lang.h"
#include "lang/number_text.h"

namespace zmt::cli {

int runList(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    std::vector<PresentController> found;
    const ResultCode code = session.transport().listControllers(found);
    if (code != ResultCode::Ok) return deviceError(code);
    Host& host = session.host();
    if (session.options().json) {
        host.memoLine(controllerListJson(found));
        return exitOk;
    }
    for (const PresentController& unit : found) {
        const std::optional<uint32_t> serial = unit.serial();
        const std::string serialText = serial ? std::to_string(*serial) : std::string("?");
        if (unit.busy) {
            host.memoLine(serialText + "  " + unit.holder.busyText());
        } else if (unit.read != ResultCode::Ok) {
            host.memoLine(serialText + "  " + resultText(unit.read));
        } else {
            const IdentityBlock& identity = unit.identity;
            const std::string application = identity.applicationVersion == 0
                                                ? std::string(localized("not loaded"))
                                                : versionText(identity.applicationVersion);
            host.memoLine(formatText(localized("%s  \"%s\"  application %s  boot loader %s"),
                                     serialText.c_str(), identity.controllerName.c_str(), application.c_str(),
                                     versionText(identity.bootVersion).c_str()));
        }
    }
    return exitOk;
}

} // namespace zmt::cli
