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
    lines.push_back(localized("Контроллер найден, но доступ к нему запрещён.\0"
                             "Controller found, but access to it was denied.\0"));
#if defined(__linux__)
    // hidraw nodes belong to root; the rule tags ours "uaccess" so that the
    // user at the seat gets access, the rest of the system does not.
    lines.push_back(localized("Доступ даёт правило udev, которое ставится вместе с программой:\0"
                             "Access is granted by the udev rule installed with the program:\0"));
    lines.push_back(std::string("    ") + udevRulePath());
    lines.push_back(localized("Установите его, затем переподключите контроллер или выполните:\0"
                             "Install it, then re-plug the controller or run:\0"));
    lines.push_back("    sudo udevadm control --reload-rules && sudo udevadm trigger");
#else
    lines.push_back(localized("Закройте другие программы, которые с ним работают, и переподключите контроллер.\0"
                             "Close other programs that use it, then re-plug the controller.\0"));
#endif
    return lines;
}

} // namespace zmt
