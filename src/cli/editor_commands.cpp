#include "cli/editor_commands.h"

#include "cli/json_output.h"
#include "config/config_file.h"
#include "config/config_listing.h"
#include "config/ir_capture.h"
#include "config/reaction_text.h"
#include "lang/lang.h"

#include <cstdio>
#include <memory>

namespace zmt::cli {

int runIr(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    IrCode code{};
    const ResultCode result = readIrCode(session.link(), code);
    if (result != ResultCode::Ok) return deviceError(result);
    if (session.options().json) session.host().memoLine(irCodeJson(code));
    else session.host().memoLine(code.empty() ? std::string(localized(kNoIrCodeText)) : irTriggerText(code));
    return exitOk;
}

int runShow(Session& session, const Arguments& arguments) {
    if (arguments.empty()) return usageError(localized("a configuration file is needed"));
    if (arguments.size() > 1) return unexpectedArgument(arguments[1]);
    auto image = std::make_unique<ConfigImage>();
    const FileResult loaded = loadConfigFile(*image, arguments.front());
    const std::string message = loaded.text();
    if (!loaded.ok()) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return exitFile;
    }
    // Damaged values were read leniently; the listing shows what was made of them.
    if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
    if (session.options().json) {
        session.host().memoLine(configurationJson(arguments.front(), loaded, *image));
        return exitOk;
    }
    for (const std::string& line : listConfiguration(*image)) session.host().memoLine(line);
    return exitOk;
}

} // namespace zmt::cli
