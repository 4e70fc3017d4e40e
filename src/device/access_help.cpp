#include "device/access_help.h"

#include "lang/lang.h"

// The build passes the installed path; a build that does not (another
// generator, a hand-made project) still names the usual place.
#ifndef ZMT_UDEV_RULE_PATH
#define ZMT_UDEV_RULE_PATH "/usr/lib/udev/rules.d/70-zel-morva-touch.rules"
#endif

namespace zmt {

const char* udevRulePath() { return ZMT_UDEV_RULE_PATH; }

std::vector<std::string> accessDeniedHelp() {
    std::vector<std::string> lines;
    lines.push_back(localized("Controller found, but access to it was denied."));
#if defined(__linux__)
    // hidraw nodes belong to root; the rule tags ours "uaccess" so that the
    // user at the seat gets access, the rest of the system does not.
    lines.push_back(localized("Access is granted by the udev rule installed with the program:"));
    lines.push_back(std::string("    ") + udevRulePath());
    lines.push_back(localized("Install it, then re-plug the controller or run:"));
    lines.push_back("    sudo udevadm control --reload-rules && sudo udevadm trigger");
#else
    lines.push_back(localized("Close other programs that use it, then re-plug the controller."));
#endif
    return lines;
}

} // namespace zmt
