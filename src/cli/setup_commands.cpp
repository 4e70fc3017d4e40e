#include "cli/setup_commands.h"

#include "cli/history_commands.h"
#include "cli/json_writer.h"
#include "config/button_names.h"
#include "config/key_names.h"
#include "config/reaction_text.h"
#include "device/commands.h"
#include "lang/lang.h"
#include "lang/number_text.h"
#include "setup/button_assignment.h"
#include "setup/quick_setup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <optional>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace zmt::cli {

using namespace setup;

namespace {

std::string usageText(const FunctionEntry& entry) {
    switch (entry.kind) {
    case FunctionKind::Reaction:
        return formatText("Consumer 0x%04X %s", entry.reaction.word(), entry.usageName);
    case FunctionKind::Picker:
        return localized("(picked in the window)");
    case FunctionKind::Nothing:
        return localized("(the button's events are cleared)");
    }
    return {};
}

// A function named on the command line; only what a script can give.
const FunctionEntry* scriptFunction(const std::string& key, bool forLongPress, int& status) {
    const FunctionEntry* entry = findFunction(key);
    if (entry == nullptr) {
        status = usageError(formatText(localized("unknown function '%s' (see zmtctl functions)"),
                                       key.c_str()));
        return nullptr;
    }
    if (entry->kind == FunctionKind::Picker) {
        status = usageError(localized("another-key is picked in the program's window"));
        return nullptr;
    }
    if (forLongPress && entry->kind == FunctionKind::Nothing) {
        status = usageError(localized("a long press cannot be nothing"));
        return nullptr;
    }
    status = exitOk;
    return entry;
}

// "2:120": channel 1..4 and a level 1..255.
std::optional<std::pair<int, uint8_t>> channelAndLevel(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const auto channel = parseUnsigned(std::string_view(text).substr(0, colon), kChannels);
    const auto level = parseUnsigned(std::string_view(text).substr(colon + 1), 255);
    if (!channel || !level || *channel == 0 || *level == 0) return std::nullopt;
    return std::pair<int, uint8_t>{static_cast<int>(*channel) - 1, static_cast<uint8_t>(*level)};
}

// The highest level of each channel over a few readings: what the channels
// rest at while nobody touches the wheel.
ResultCode measureIdle(Session& session, ChannelLevels& idle) {
    IdleMeasurement measurement;
    for (int i = 0; i < kSteadyReadings; ++i) {
        if (i != 0) delayMs(session.host(), kQuickTurnMs);
        ChannelLevels levels{};
        if (const ResultCode code = readChannelLevels(session.link(), levels); code != ResultCode::Ok) return code;
        measurement.add(levels);
    }
    idle = measurement.maximum;
    return ResultCode::Ok;
}

// Keeps the snapshot and reads what the controller holds; exitOk with the
// configuration in the record.
int readForChange(Session& session) {
    if (const int status = keepSnapshot(session, SnapshotCause::QuickSetup); status != exitOk) return status;
    if (!session.flags().imageValid()) {
        std::fprintf(stderr, "%s\n", localized("Only the boot loader runs: there is nothing to set up"));
        return exitDevice;
    }
    return exitOk;
}

// The changes of the image go to the controller now.
int sendImageChanges(Session& session) {
    const ResultCode code = session.transfer().sendChanges();
    return code == ResultCode::Ok ? exitOk : deviceError(code);
}

std::string describeButton(const ConfigImage& image, ButtonPlace button) {
    return formatText("%s (%d:%d)", editor::buttonName(image, button.channel, button.row).c_str(), button.channel + 1,
                      image.keyAt(button.channel, button.row)->level);
}

} // namespace

int runFunctions(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    Host& host = session.host();
    if (session.options().json) {
        JsonWriter json;
        json.beginArray();
        for (const FunctionEntry& entry : functionCatalogue()) {
            json.beginObject();
            json.key("key");
            json.string(entry.key);
            json.key("name");
            json.string(functionName(entry));
            json.key("shortName");
            json.string(entry.shortName);
            json.key("kind");
            json.string(entry.kind == FunctionKind::Reaction ? "reaction"
                        : entry.kind == FunctionKind::Picker ? "picker"
                                                              : "nothing");
            const bool sends = entry.kind == FunctionKind::Reaction;
            json.key("usagePage");
            if (sends) json.number(entry.reaction.kind);
            else json.null();
            json.key("usage");
            if (sends) json.number(entry.reaction.word());
            else json.null();
            json.key("usageName");
            if (sends) json.string(entry.usageName);
            else json.null();
            json.endObject();
        }
        json.endArray();
        host.memoLine(json.text());
        return exitOk;
    }
    for (const FunctionEntry& entry : functionCatalogue())
        host.memoLine(formatText("%-16s %-6s %-36s %s", entry.key, entry.shortName, usageText(entry).c_str(),
                                 functionName(entry).c_str()));
    return exitOk;
}

int runAssign(Session& session, const Arguments& arguments) {
    std::vector<std::string> positional;
    std::optional<std::string> longKey;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string value;
        bool missing = false;
        if (optionValue(arguments, i, "--long", value, missing)) {
            if (missing) return needsValue("--long");
            longKey = value;
        } else if (arguments[i].rfind("--", 0) == 0 || positional.size() == 2) {
            return unexpectedArgument(arguments[i]);
        } else {
            positional.push_back(arguments[i]);
        }
    }
    if (positional.size() < 2)
        return usageError(localized("BUTTON and FUNCTION are needed"));
    int status = exitOk;
    const FunctionEntry* shortFunction = scriptFunction(positional[1], false, status);
    if (shortFunction == nullptr) return status;
    const FunctionEntry* longFunction = nullptr;
    if (longKey) {
        longFunction = scriptFunction(*longKey, true, status);
        if (longFunction == nullptr) return status;
        if (shortFunction->kind == FunctionKind::Nothing)
            return usageError(localized("a button switched off cannot have a long press"));
    }
    const std::optional<std::pair<int, uint8_t>> place = channelAndLevel(positional[0]);

    if (const int read = readForChange(session); read != exitOk) return read;
    ConfigImage work = session.record().image;
    ButtonPlace button;
    std::optional<ChannelLevels> idle;   // measured when a new button is learned
    if (!place) {
        const std::optional<ButtonPlace> named = findButtonByName(work, positional[0]);
        if (!named) {
            std::fprintf(stderr, "%s\n",
                         formatText(localized("No button is called %s (or give a channel and level, 2:120)"),
                                    TerminalHost::shown(positional[0]).c_str())
                             .c_str());
            return declined();
        }
        button = *named;
    } else {
        const auto [channel, level] = *place;
        if (findKeySlot(work, channel, level) == 0) {
            ChannelLevels rest{};
            if (const ResultCode code = measureIdle(session, rest); code != ResultCode::Ok) return deviceError(code);
            if (level <= pressThreshold(rest[channel])) {
                std::fprintf(stderr, "%s\n",
                             formatText(localized("Level %d is not above the rest level of channel %d (%d)"),
                                        level, channel + 1, rest[channel])
                                 .c_str());
                return declined();
            }
            idle = rest;
        }
        const PlacedButton placed = placeButton(work, channel, level, shortFunction->shortName);
        if (placed.kind == PlacedButton::ChannelFull) {
            std::fprintf(stderr, "%s\n",
                         formatText(localized(kChannelFullText), channel + 1)
                             .c_str());
            return declined();
        }
        button = placed.place;
    }

    // What the button does now and would stop doing: refused unless --yes.
    std::vector<int> old = eventsOnPress(work, button, PressLength::Short);
    if (longFunction != nullptr || shortFunction->kind == FunctionKind::Nothing)
        for (int e : eventsOnPress(work, button, PressLength::Long))
            if (std::find(old.begin(), old.end(), e) == old.end()) old.push_back(e);
    if (!old.empty()) {
        std::fprintf(stderr, "%s\n",
                     formatText(localized("Button %s already does:"),
                                TerminalHost::shown(describeButton(work, button)).c_str())
                         .c_str());
        for (const std::string& line : describeEvents(work, old)) std::fprintf(stderr, "  %s\n", line.c_str());
        if (!session.options().yes) {
            std::fprintf(stderr, "%s\n", localized("To replace it: --yes"));
            return declined();
        }
    }

    bool placedAll = true;
    if (shortFunction->kind == FunctionKind::Nothing) {
        switchOff(work, button);
    } else {
        // The long press first: the short one then answers the short press only.
        if (longFunction != nullptr)
            placedAll = assignPress(work, button, PressLength::Long, FunctionChoice::of(*longFunction), false) >= 0;
        if (placedAll)
            placedAll = assignPress(work, button, PressLength::Short, FunctionChoice::of(*shortFunction), false) >= 0;
    }
    if (!placedAll) {
        std::fprintf(stderr, "%s\n", localized(kNoFreeEventText));
        return declined();
    }
    if (idle) settleChannels(work, *idle);
    std::memcpy(session.record().image.bytes(), work.bytes(), kSetupImageBytes);
    if (const int sent = sendImageChanges(session); sent != exitOk) return sent;

    std::string line = describeButton(work, button) + ": " + functionName(*shortFunction);
    if (longFunction != nullptr)
        line += formatText(localized("; long press: %s"), functionName(*longFunction).c_str());
    session.host().memoLine(line);
    return exitOk;
}

namespace {

// The flow's prompts and remarks on stderr, each once.
class TerminalSetupView : public QuickSetupView {
public:
    // wanted: whether the run asks for the step (others pass unseen).
    void attach(const QuickSetup& flow, std::function<bool(int)> wanted) {
        flow_ = &flow;
        wanted_ = std::move(wanted);
    }
    void changed() override {
        if (flow_ == nullptr) return;
        // What the last press did, then what to do next.
        show(flow_->remark(), lastRemark_);
        if (flow_->step() == QuickStep::Waiting && !wanted_(flow_->stepIndex())) return;
        show(flow_->prompt(), lastPrompt_);
    }

private:
    static void show(const std::string& text, std::string& last) {
        if (text.empty() || text == last) {
            last = text;
            return;
        }
        last = text;
        std::fprintf(stderr, "%s\n", TerminalHost::shown(text).c_str());
    }

    const QuickSetup* flow_ = nullptr;
    std::function<bool(int)> wanted_;
    std::string lastPrompt_;
    std::string lastRemark_;
};

bool stdinIsTerminal() { return isatty(fileno(stdin)) != 0; }

// A line typed on the terminal, if one is waiting (never waits itself).
std::optional<std::string> typedLine() {
#ifdef _WIN32
    return std::nullopt;   // only Ctrl+C on Windows consoles
#else
    if (!stdinIsTerminal()) return std::nullopt;
    pollfd input{0, POLLIN, 0};
    if (poll(&input, 1, 0) <= 0) return std::nullopt;
    char buffer[64];
    if (std::fgets(buffer, sizeof buffer, stdin) == nullptr) return std::nullopt;
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
#endif
}

ConflictAnswer askConflict(Session& session) {
    if (session.options().yes) return ConflictAnswer::Replace;
    if (!stdinIsTerminal()) return ConflictAnswer::Skip;
    std::fprintf(stderr, "%s ", localized("[r]eplace, [k]eep both, [s]kip?"));
    std::fflush(stderr);
    char buffer[64];
    if (std::fgets(buffer, sizeof buffer, stdin) == nullptr) return ConflictAnswer::Skip;
    const std::string answer(buffer);
    if (answer.rfind("r", 0) == 0 || answer.rfind("з", 0) == 0) return ConflictAnswer::Replace;
    if (answer.rfind("k", 0) == 0 || answer.rfind("о", 0) == 0) return ConflictAnswer::KeepBoth;
    return ConflictAnswer::Skip;
}

// Text padded with blanks to width characters (not bytes: Cyrillic takes two).
std::string padded(const std::string& text, std::size_t width) {
    const std::size_t count = editor::characterCount(text);
    return count >= width ? text + " " : text + std::string(width - count, ' ');
}

void printSummary(const std::vector<SummaryRow>& rows, std::FILE* to) {
    for (const SummaryRow& row : rows)
        std::fprintf(to, "%s%s%s\n", padded(TerminalHost::shown(row.button), 7).c_str(),
                     padded(row.shortPress, 25).c_str(), row.longPress.empty() ? "-" : row.longPress.c_str());
}

} // namespace

int runQuickSetup(Session& session, const Arguments& arguments) {
    // The steps wanted, by their place in the list, with a long press each.
    std::map<int, const FunctionEntry*> wanted;
    bool all = true;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string value;
        bool missing = false;
        if (!optionValue(arguments, i, "--functions", value, missing)) return unexpectedArgument(arguments[i]);
        if (missing) return needsValue("--functions");
        all = false;
        std::size_t start = 0;
        while (start <= value.size()) {
            const std::size_t comma = std::min(value.find(',', start), value.size());
            const std::string item = value.substr(start, comma - start);
            const std::size_t slash = item.find('/');
            int status = exitOk;
            const FunctionEntry* entry = scriptFunction(item.substr(0, slash), false, status);
            if (entry == nullptr) return status;
            if (entry->kind != FunctionKind::Reaction)
                return usageError(formatText(localized("'%s' is no step of the set-up (use zmtctl assign)"),
                                             entry->key));
            const FunctionEntry* longPress = nullptr;
            if (slash != std::string::npos) {
                longPress = scriptFunction(item.substr(slash + 1), true, status);
                if (longPress == nullptr) return status;
            }
            wanted[static_cast<int>(entry - setupSteps().data())] = longPress;
            start = comma + 1;
        }
    }
    if (all)
        for (std::size_t s = 0; s < setupSteps().size(); ++s) wanted[static_cast<int>(s)] = nullptr;

    if (const int read = readForChange(session); read != exitOk) return read;
    TerminalHost& host = session.host();
    TerminalHost::installInterruptHandler();
    TerminalSetupView view;
    QuickSetup flow(session.link(), session.transfer(), session.record(), session.flags(), nullptr, view);
    view.attach(flow, [&wanted](int step) { return wanted.contains(step); });
    if (stdinIsTerminal())
        std::fprintf(stderr, "%s\n", localized("Enter skips a function, f goes to the summary, q cancels"));
    if (!flow.start()) return exitDevice;

    // A function with a long press wanted gets it once its button is found
    // (by a press, or by the answer to a conflict).
    std::size_t assigned = 0;
    const auto addWantedLongPress = [&](int step) {
        if (flow.summary().size() <= assigned) return;
        assigned = flow.summary().size();
        const auto it = wanted.find(step);
        if (it != wanted.end() && it->second != nullptr) flow.addLongPress(FunctionChoice::of(*it->second));
    };
    // Without a terminal nobody can skip: a function whose button does not
    // come within this time is left out.
    constexpr uint32_t kUnattendedWaitMs = 60000;
    int waitingFor = -1;
    uint32_t waitingSince = 0;
    while (flow.active()) {
        if (TerminalHost::interrupted) {
            flow.cancel();
            break;
        }
        const int step = flow.stepIndex();
        switch (flow.step()) {
        case QuickStep::Conflict:
            for (const std::string& line : flow.conflictLines()) std::fprintf(stderr, "  %s\n", line.c_str());
            flow.answerConflict(askConflict(session));
            addWantedLongPress(step);
            continue;
        case QuickStep::Summary: {
            printSummary(flow.summary(), stderr);
            const bool apply =
                host.messageBox({MessageKind::Question, DefaultAnswer::No},
                                localized("Apply the set-up?")) == Answer::Yes;
            if (apply) flow.apply();
            else flow.cancel();
            continue;
        }
        case QuickStep::Waiting:
            if (!wanted.contains(step)) {
                flow.skip();
                continue;
            }
            if (step != waitingFor) {
                waitingFor = step;
                waitingSince = host.tickMs();
            }
            if (const std::optional<std::string> line = typedLine()) {
                if (line->empty()) flow.skip();
                else if (*line == "f") flow.finish();
                else if (*line == "q") flow.cancel();
                continue;
            }
            if (!stdinIsTerminal() && host.tickMs() - waitingSince >= kUnattendedWaitMs) {
                flow.skip();
                continue;
            }
            break;
        default:
            break;
        }
        delayMs(host, kQuickTurnMs);
        flow.onTurn();
        addWantedLongPress(step);
    }

    switch (flow.outcome()) {
    case QuickOutcome::Applied: {
        // The button table went out with apply; the events go now.
        if (const int sent = sendImageChanges(session); sent != exitOk) return sent;
        std::fflush(stderr);
        for (const SummaryRow& row : flow.summary())
            host.memoLine(describeButton(session.record().image, {row.channel, row.row}) + ": " + row.shortPress +
                          (row.longPress.empty()
                               ? std::string()
                               : formatText(localized("; long press: %s"),
                                            row.longPress.c_str())));
        return exitOk;
    }
    case QuickOutcome::Disconnected:
        return deviceError(ResultCode::Disconnected);
    default:
        return declined();   // the view has said what became of the run
    }
}

} // namespace zmt::cli
