#include "cli/history_commands.h"

#include "cli/controller_choice.h"
#include "cli/json_writer.h"
#include "config/config_diff.h"
#include "lang/lang.h"

#include <algorithm>
#include <cstdio>

namespace zmt::cli {

int keepSnapshot(Session& session, SnapshotCause cause, KeptSnapshot* kept) {
    ResultCode code = session.link().probeController();
    if (code == ResultCode::Ok) code = session.watch().readIdentity();
    if (code != ResultCode::Ok) return deviceError(code);
    const IdentityBlock identity = session.watch().identity();
    if (identity.bootLoaderRunning()) return exitOk;
    code = session.transfer().readConfiguration();
    if (code != ResultCode::Ok) return deviceError(code);
    const ConfigImage& image = session.record().image;
    if (kept != nullptr) {
        kept->read = true;
        kept->image = image;
    }
    return storeSnapshot(identity.serialNumber, image, cause, kept);
}

int storeSnapshot(uint32_t serial, const ConfigImage& image, SnapshotCause cause, KeptSnapshot* kept) {
    const std::string root = defaultSnapshotFolder();
    // Without a data folder there is nowhere to keep it; going on without
    // the safety net is better said than silently done.
    if (root.empty()) {
        std::fprintf(stderr, "%s\n",
                     localized("No snapshot was kept: the user's data folder is not set (HOME)"));
        return exitOk;
    }
    SnapshotStore store(root);
    const SnapshotStore::Taken taken = store.take(serial, image, cause);
    if (!taken.result.ok()) {
        std::fprintf(stderr, "%s\n%s\n", taken.result.text().c_str(),
                     localized(kSnapshotNotKeptText));
        return exitFile;
    }
    if (kept != nullptr) kept->path = taken.path;
    if (taken.added)
        std::fprintf(stderr, "%s\n",
                     formatText(localized("The controller's configuration was kept in %s"),
                                taken.path.c_str())
                         .c_str());
    return exitOk;
}

int runHistory(Session& session, const Arguments& arguments) {
    if (!arguments.empty()) return unexpectedArgument(arguments.front());
    const std::string root = defaultSnapshotFolder();
    SnapshotStore store(root);
    std::vector<uint32_t> serials;
    if (session.options().serial) serials.push_back(*session.options().serial);
    else if (!root.empty()) serials = store.serials();

    // Newest first across the controllers listed.
    struct Row {
        uint32_t serial;
        SnapshotEntry entry;
    };
    std::vector<Row> rows;
    for (uint32_t serial : serials)
        for (SnapshotEntry& entry : store.list(serial)) rows.push_back({serial, std::move(entry)});
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.entry.stamp != b.entry.stamp ? a.entry.stamp > b.entry.stamp : a.entry.sequence > b.entry.sequence;
    });

    Host& host = session.host();
    if (session.options().json) {
        JsonWriter json;
        json.beginArray();
        for (const Row& row : rows) {
            json.beginObject();
            json.key("serialNumber");
            json.number(row.serial);
            json.key("time");
            json.string(row.entry.isoTime());
            json.key("cause");
            json.string(snapshotCauseKey(row.entry.cause));
            json.key("causeText");
            json.string(snapshotCauseText(row.entry.cause));
            json.key("path");
            json.string(row.entry.path);
            json.endObject();
        }
        json.endArray();
        host.memoLine(json.text());
        return exitOk;
    }
    if (rows.empty()) {
        std::fprintf(stderr, "%s\n", localized("No snapshots"));
        return exitOk;
    }
    for (const Row& row : rows)
        host.memoLine(formatText("%s  %u  %s  %s", row.entry.timeText().c_str(), row.serial,
                                 snapshotCauseText(row.entry.cause).c_str(), row.entry.path.c_str()));
    return exitOk;
}

namespace {

const char* sectionName(ListingSection section) {
    switch (section) {
    case ListingSection::Buttons: return "buttons";
    case ListingSection::Events: return "events";
    case ListingSection::Home: return "home";
    case ListingSection::Parameters: return "parameters";
    }
    return "";
}

void stringArray(JsonWriter& json, const std::vector<std::string>& lines) {
    json.beginArray();
    for (const std::string& line : lines) json.string(line);
    json.endArray();
}

// One side of a comparison: a .ZMT or snapshot file, or what the controller
// holds ("controller", read once however often it is named).
int loadSide(Session& session, const std::string& name, bool& controllerRead, ConfigImage& image) {
    if (name == kControllerSide) {
        if (!controllerRead) {
            if (const int status = checkControllerChoice(session); status != exitOk) return status;
            ResultCode code = session.link().probeController();
            if (code == ResultCode::Ok) code = session.transfer().readConfiguration();
            if (code != ResultCode::Ok) return deviceError(code);
            controllerRead = true;
        }
        image = session.record().image;
        return exitOk;
    }
    const FileResult loaded = loadSnapshot(image, name);
    if (!loaded.ok()) {
        std::fprintf(stderr, "%s\n", loaded.text().c_str());
        return exitFile;
    }
    if (!loaded.damaged.empty()) std::fprintf(stderr, "%s\n", loaded.text().c_str());
    return exitOk;
}

} // namespace

int runDiff(Session& session, const Arguments& arguments) {
    if (arguments.size() < 2)
        return usageError(localized("two files (or controller) are needed"));
    if (arguments.size() > 2) return unexpectedArgument(arguments[2]);
    bool controllerRead = false;
    ConfigImage sides[2] = {};
    for (int side = 0; side < 2; ++side)
        if (const int status = loadSide(session, arguments[side], controllerRead, sides[side]); status != exitOk)
            return status;
    const std::vector<ConfigDifference> differences = compareConfigurations(sides[0], sides[1]);

    Host& host = session.host();
    if (session.options().json) {
        JsonWriter json;
        json.beginObject();
        json.key("same");
        json.boolean(differences.empty());
        json.key("differences");
        json.beginArray();
        for (const ConfigDifference& difference : differences) {
            json.beginObject();
            json.key("section");
            json.string(sectionName(difference.section));
            json.key("key");
            json.string(difference.key);
            json.key("before");
            stringArray(json, difference.before);
            json.key("after");
            stringArray(json, difference.after);
            json.endObject();
        }
        json.endArray();
        json.endObject();
        host.memoLine(json.text());
    } else {
        for (const std::string& line : differenceLines(differences)) host.memoLine(line);
    }
    // As diff(1) does: 0 the same, 1 different.
    return differences.empty() ? exitOk : exitDifferent;
}

} // namespace zmt::cli
