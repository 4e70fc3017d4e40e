#pragma once
// What zmtctl --json prints: the facts of info, ir and show as one JSON
// object on a line, for scripts. Member names are fixed (the manual page and
// README list them); texts meant for people (list items, responses) are in
// the chosen language, numbers and flags are the stored values.
#include "config/config_image.h"
#include "device/hid_transport.h"
#include "device/identity.h"
#include "files/file_result.h"

#include <string>
#include <vector>

namespace zmt::cli {

// {"controller", "serialNumber", "bootVersion", "applicationVersion" (null
// while only the boot loader runs), "deviceCode", "deviceType"}
std::string identityJson(const IdentityBlock& identity);

// [{the members of identityJson (null when unread), "busy", "heldBy"
// (null, or {"program", "processId"})}, ...]: zmtctl list.
std::string controllerListJson(const std::vector<PresentController>& found);

// {"received", "protocol", "address", "command" (null when nothing was
// received), "text"}
std::string irCodeJson(const IrCode& code);

// {"file", "damaged", "buttons", "events", "home", "parameters"}
std::string configurationJson(const std::string& file, const FileResult& loaded, const ConfigImage& image);

} // namespace zmt::cli
