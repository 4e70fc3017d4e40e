#include "config/snapshot_store.h"

#include "config/config_file.h"
#include "device/host.h"
#include "files/file_writer.h"
#include "files/ini_file.h"
#include "lang/lang.h"
#include "lang/number_text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace fs = std::filesystem;

namespace zmt {

namespace {

const char* const kSnapshotSection = "SNAPSHOT";

struct CauseRow {
    SnapshotCause cause;
    const char* key;
    const char* text;
};

const CauseRow kCauses[] = {
    {SnapshotCause::FileSent, "file-sent", N_("Before a file was sent")},
    {SnapshotCause::FullWrite, "full-write", N_("Before a full write")},
    {SnapshotCause::Defaults, "defaults", N_("Before the reset to defaults")},
    {SnapshotCause::Restart, "restart", N_("Before a restart")},
    {SnapshotCause::FirmwareUpdate, "firmware-update", N_("Before a firmware update")},
    {SnapshotCause::LearningWritten, "learning", N_("Before learning results were written")},
    {SnapshotCause::Restored, "restore", N_("Before a snapshot was restored")},
    {SnapshotCause::FirstRead, "first-read", N_("First read of a session")},
    {SnapshotCause::QuickSetup, "quick-setup", N_("Before the quick set-up")},
};

std::string utf8(const fs::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string stampOf(std::time_t time) {
    // Days and seconds by calendar arithmetic rather than gmtime, which is
    // neither thread-safe nor spelled alike on every system.
    using namespace std::chrono;
    const sys_seconds at{seconds{static_cast<long long>(time)}};
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss clock{at - day};
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02u%02u-%02ld%02ld%02ld", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long>(clock.hours().count()), static_cast<long>(clock.minutes().count()),
                  static_cast<long>(clock.seconds().count()));
    return text;
}

std::string fileName(const std::string& stamp, unsigned sequence, SnapshotCause cause) {
    std::string name = stamp;
    if (sequence > 1) name += "_" + std::to_string(sequence);
    return name + "-" + snapshotCauseKey(cause) + ".ZMT";
}

bool allDigits(std::string_view text) { return parseUnsigned(text, UINT64_MAX).has_value(); }

// "YYYYMMDD-HHMMSS[_N]-cause.ZMT" and nothing else: whatever else lies in the
// folder is left alone. Read by hand: std::regex made listing 200 snapshots
// take several times longer than reading them.
std::optional<SnapshotEntry> parseName(const fs::path& path) {
    const std::string name = utf8(path.filename());
    constexpr std::string_view kExtension = ".ZMT";
    constexpr std::size_t kStampLength = 15;   // YYYYMMDD-HHMMSS
    std::string_view rest(name);
    if (rest.size() <= kStampLength + kExtension.size() || rest.substr(rest.size() - kExtension.size()) != kExtension)
        return std::nullopt;
    rest.remove_suffix(kExtension.size());
    const std::string_view stamp = rest.substr(0, kStampLength);
    if (!allDigits(stamp.substr(0, 8)) || stamp[8] != '-' || !allDigits(stamp.substr(9))) return std::nullopt;
    rest.remove_prefix(kStampLength);
    unsigned sequence = 1;
    if (rest.front() == '_') {
        const std::size_t digitsEnd = rest.find('-');
        const std::string_view digits = rest.substr(1, digitsEnd == std::string_view::npos ? 0 : digitsEnd - 1);
        const auto number = digits.size() <= 6 ? parseUnsigned(digits, 999999) : std::nullopt;
        if (!number) return std::nullopt;
        sequence = static_cast<unsigned>(*number);
        rest.remove_prefix(digits.size() + 1);
    }
    if (rest.size() < 2 || rest.front() != '-') return std::nullopt;
    const auto cause = snapshotCauseFromKey(std::string(rest.substr(1)));
    if (!cause) return std::nullopt;
    SnapshotEntry entry;
    entry.path = utf8(path);
    entry.stamp = std::string(stamp);
    entry.sequence = sequence;
    entry.cause = *cause;
    return entry;
}

bool olderFirst(const SnapshotEntry& a, const SnapshotEntry& b) {
    return a.stamp != b.stamp ? a.stamp < b.stamp : a.sequence < b.sequence;
}

std::vector<SnapshotEntry> entriesOldestFirst(const std::string& folder) {
    std::vector<SnapshotEntry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(pathFromUtf8(folder), ec), end; !ec && it != end; it.increment(ec))
        if (auto entry = parseName(it->path())) entries.push_back(std::move(*entry));
    std::sort(entries.begin(), entries.end(), olderFirst);
    return entries;
}

std::string configurationText(const ConfigImage& image) {
    IniFile ini;
    putConfiguration(ini, image);
    return ini.contents();
}

std::time_t systemNow() { return std::time(nullptr); }

} // namespace

const char* snapshotCauseKey(SnapshotCause cause) {
    for (const CauseRow& row : kCauses)
        if (row.cause == cause) return row.key;
    return "";
}

std::optional<SnapshotCause> snapshotCauseFromKey(const std::string& key) {
    for (const CauseRow& row : kCauses)
        if (key == row.key) return row.cause;
    return std::nullopt;
}

std::string snapshotCauseText(SnapshotCause cause) {
    for (const CauseRow& row : kCauses)
        if (row.cause == cause) return localized(row.text);
    return {};
}

std::string SnapshotEntry::timeText() const {
    return stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + " " + stamp.substr(9, 2) + ":" +
           stamp.substr(11, 2) + ":" + stamp.substr(13, 2) + " UTC";
}

std::string SnapshotEntry::isoTime() const {
    std::string text = timeText();
    text[10] = 'T';
    return text.substr(0, 19) + "Z";
}

long long SnapshotEntry::seconds() const {
    using namespace std::chrono;
    const int y = std::stoi(stamp.substr(0, 4));
    const unsigned mo = static_cast<unsigned>(std::stoi(stamp.substr(4, 2)));
    const unsigned d = static_cast<unsigned>(std::stoi(stamp.substr(6, 2)));
    const sys_days day{year{y} / month{mo} / d};
    return day.time_since_epoch().count() * 86400LL + std::stoll(stamp.substr(9, 2)) * 3600 +
           std::stoll(stamp.substr(11, 2)) * 60 + std::stoll(stamp.substr(13, 2));
}

std::string defaultSnapshotFolder() {
#ifdef _WIN32
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || *local == 0) return {};
    return utf8(fs::path(local) / "zmtsetup" / "snapshots");
#else
    const auto variable = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    std::string data = variable("XDG_DATA_HOME");
    if (data.empty()) {
        const std::string home = variable("HOME");
        if (home.empty()) return {};
        data = home + "/.local/share";
    }
    return utf8(pathFromUtf8(data) / "zmtsetup" / "snapshots");
#endif
}

SnapshotStore::SnapshotStore(std::string root, Clock now)
    : root_(std::move(root)), now_(now ? std::move(now) : Clock(systemNow)) {}

std::string SnapshotStore::folder(uint32_t serial) const {
    return utf8(pathFromUtf8(root_) / std::to_string(serial));
}

SnapshotStore::Taken SnapshotStore::take(uint32_t serial, const ConfigImage& image, SnapshotCause cause) {
    Taken taken;
    const std::string dir = folder(serial);
    std::vector<SnapshotEntry> entries = entriesOldestFirst(dir);
    const std::string stamp = stampOf(now_());
    // The newest one taken so far: one named after a time still to come (a
    // clock that was wrong once) would otherwise count as newest for ever,
    // and a configuration like it would never be kept again.
    const auto newest = std::find_if(entries.rbegin(), entries.rend(),
                                     [&stamp](const SnapshotEntry& entry) { return entry.stamp <= stamp; });
    if (newest != entries.rend()) {
        ConfigImage held{};
        if (loadSnapshot(held, newest->path).ok() &&
            std::memcmp(held.bytes(), image.bytes(), sizeof(ConfigImage)) == 0) {
            taken.path = newest->path;
            return taken;
        }
    }

    std::error_code ec;
    fs::create_directories(pathFromUtf8(dir), ec);
    if (ec) {
        taken.result.error = FileError::CannotWrite;
        taken.result.path = dir;
        taken.result.detail = ec.message();
        return taken;
    }
    unsigned sequence = 1;
    for (const SnapshotEntry& entry : entries)
        if (entry.stamp == stamp) sequence = std::max(sequence, entry.sequence + 1);
    // A file of that name left by someone else is never written over.
    std::string path = utf8(pathFromUtf8(dir) / fileName(stamp, sequence, cause));
    while (fs::exists(pathFromUtf8(path), ec))
        path = utf8(pathFromUtf8(dir) / fileName(stamp, ++sequence, cause));

    IniFile ini;
    ini.writeText(kSnapshotSection, "CAUSE", snapshotCauseKey(cause));
    ini.writeInteger(kSnapshotSection, "SERIAL", serial);
    // What it holds, counted: a copy cut short is told from a whole one.
    ini.writeInteger(kSnapshotSection, "KEYS", static_cast<int>(configurationKeyCount()));
    putConfiguration(ini, image);
    taken.result = writeFileSafely(path, ini.contents());
    if (!taken.result.ok()) return taken;
    // The keys give back nearly every configuration exactly; the few they
    // cannot (bits no key stores, values the loader corrects) get the
    // memory byte for byte as well. Only then: it would make every
    // snapshot half as big again.
    ConfigImage back{};
    if (!loadConfigFile(back, path).ok() || std::memcmp(back.bytes(), image.bytes(), sizeof(ConfigImage)) != 0) {
        ini.writeText(kSnapshotSection, "IMAGE", hexEncode(image.bytes(), sizeof(ConfigImage)));
        taken.result = writeFileSafely(path, ini.contents());
        if (!taken.result.ok()) return taken;
    }
    taken.path = path;
    taken.added = true;
    thin(serial);
    return taken;
}

void SnapshotStore::thin(uint32_t serial) const {
    std::vector<SnapshotEntry> entries = entriesOldestFirst(folder(serial));
    // Over the bound, the snapshot closest in time to the one before it goes
    // first, so that the old ones thin out evenly instead of the oldest (often
    // the set-up as the installer left it) being the first to disappear. The
    // newest ones and the very oldest always stay.
    while (entries.size() > kKeepPerController) {
        const std::size_t candidates = entries.size() - kKeepNewestAlways;
        std::size_t drop = 1;
        long long smallest = -1;
        for (std::size_t i = 1; i < candidates; ++i) {
            const long long gap = entries[i].seconds() - entries[i - 1].seconds();
            if (smallest < 0 || gap < smallest) {
                smallest = gap;
                drop = i;
            }
        }
        std::error_code ec;
        fs::remove(pathFromUtf8(entries[drop].path), ec);
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(drop));
    }
}

std::vector<SnapshotEntry> SnapshotStore::list(uint32_t serial) const {
    std::vector<SnapshotEntry> entries = entriesOldestFirst(folder(serial));
    std::reverse(entries.begin(), entries.end());
    return entries;
}

std::vector<uint32_t> SnapshotStore::serials() const {
    std::vector<uint32_t> found;
    std::error_code ec;
    for (fs::directory_iterator it(pathFromUtf8(root_), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = utf8(it->path().filename());
        const auto value = name.size() <= 10 ? parseUnsigned(name, UINT32_MAX) : std::nullopt;
        if (value && it->is_directory(ec)) found.push_back(static_cast<uint32_t>(*value));
    }
    std::sort(found.begin(), found.end());
    return found;
}

FileResult loadSnapshot(ConfigImage& image, const std::string& path, bool* fromStore) {
    if (fromStore != nullptr) *fromStore = false;
    ConfigImage loaded = image;
    FileResult result = loadConfigFile(loaded, path);
    IniFile ini;
    const bool read = (result.ok() || result.error == FileError::NotConfiguration) && ini.read(path).ok();
    // Cut before its first configuration key, a snapshot is still one.
    if (result.error == FileError::NotConfiguration && read && ini.hasSection(kSnapshotSection))
        result.error = FileError::Incomplete;
    if (!result.ok()) return result;
    if (read) {
        if (fromStore != nullptr) *fromStore = ini.hasSection(kSnapshotSection);
        // A snapshot is ours: every key is there and clean, as many as it
        // counted. Anything less was cut short, and putting it back would
        // wipe what the missing keys held; it is refused, image untouched.
        if (ini.hasSection(kSnapshotSection)) {
            const auto counted = ini.find(kSnapshotSection, "KEYS");
            const auto expected = counted ? parseIniInteger(*counted) : std::nullopt;
            if (!result.damaged.empty() || !result.missing.empty() || (counted && !expected) ||
                (expected && configurationKeysIn(ini) < static_cast<std::size_t>(std::max(*expected, 0)))) {
                result.error = FileError::Incomplete;
                return result;
            }
        }
        if (const auto bytes = ini.find(kSnapshotSection, "IMAGE")) {
            ConfigImage exact{};
            // Only while it agrees with the keys: a snapshot edited by hand
            // (or by the window's save) means what its keys say.
            if (bytes->size() == 2 * sizeof(ConfigImage) && hexDecode(*bytes, sizeof(ConfigImage), exact.bytes()) &&
                configurationText(exact) == configurationText(loaded))
                loaded = exact;
        }
    }
    image = loaded;
    return result;
}

bool offerRestoreAfterUpdate(Host& host, const ConfigImage& before, const ConfigImage& after,
                             const std::string& snapshotPath) {
    if (std::memcmp(before.bytes(), after.bytes(), sizeof(ConfigImage)) == 0) return false;
    return host.messageBox(MessageKind::Question,
                           formatText(localized("After the update the controller's configuration differs from the one\nit held before "
                                                "(kept in %s).\nPut the old configuration back?"),
                                      snapshotPath.c_str())) == Answer::Yes;
}

} // namespace zmt
