// The file writer and the loaders with their system calls failing one at a
// time, the way a disk or a file system fails (EIO, ENOSPC, EDQUOT, EXDEV,
// EINTR), also when every read and write comes back short. Whatever fails,
// a saved file is the old one or the complete new one, success is reported
// only for the new one, a failure names the reason that caused it, and no
// temporary file is left; a load that fails is an error with its reason,
// never an empty file.
#include "config/config_file.h"
#include "device/firmware_file.h"
#include "files/file_calls.h"
#include "files/file_writer.h"
#include "lang/lang.h"
#include "sim/state_file.h"
#include "ui/shell/settings.h"
#include "test_files.h"
#include "virtual_host.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include <sys/stat.h>

namespace zmt::test {
namespace {

namespace fs = std::filesystem;
using files::Call;

// Fails call number failAt (from 1) with error; with pieceSize, every read
// and write moves at most that many bytes.
class InjectedFaults : public files::Faults {
public:
    int failAt = 0;
    int error = 0;
    std::size_t pieceSize = 0;
    int calls = 0;

    int before(Call call, std::size_t& size) override {
        ++calls;
        if (pieceSize != 0 && (call == Call::Read || call == Call::Write)) size = std::min(size, pieceSize);
        return calls == failAt ? error : 0;
    }
};

std::string reason(int error) { return std::generic_category().message(error); }

const int kErrors[] = {EIO, ENOSPC, EDQUOT, EXDEV, EINTR};

// What the save finds: no file, a file it may replace, or one it must
// rewrite in place (a second name), with longer or shorter new content.
enum class Target { New, Replaced, InPlaceLonger, InPlaceShorter };

class SaveFaults : public ::testing::TestWithParam<Target> {
protected:
    SaveFaults() { setLanguage("en"); }
    ~SaveFaults() override { setLanguage("ru"); }

    void prepare() {
        for (const auto& entry : fs::directory_iterator(folder.path())) fs::remove(entry.path());
        if (GetParam() == Target::New) return;
        writeFile(path, oldContent);
        if (GetParam() == Target::InPlaceLonger || GetParam() == Target::InPlaceShorter)
            fs::create_hard_link(path, folder.file("twin.ZMT"));
    }
    const std::string& newContent() const { return GetParam() == Target::InPlaceShorter ? shortContent : longContent; }
    FileResult save(InjectedFaults& faults) {
        files::FaultScope scope(faults);
        return writeFileSafely(path, newContent());
    }
    std::vector<std::string> names() const {
        std::vector<std::string> list;
        for (const auto& entry : fs::directory_iterator(folder.path())) list.push_back(entry.path().filename().string());
        std::sort(list.begin(), list.end());
        return list;
    }

    TempFolder folder;
    const std::string path = folder.file("car.ZMT");
    const std::string oldContent = "[PARAM]\nLONGTO=300\n" + std::string(5000, 'o') + "\n";
    const std::string longContent = "[PARAM]\nLONGTO=1500\n" + std::string(9000, 'n') + "\n";
    const std::string shortContent = "[PARAM]\nLONGTO=1\n";
};

TEST_P(SaveFaults, AnyOneCallFailingLeavesTheOldFileOrTheNewOneAndTellsWhy) {
    for (std::size_t piece : {std::size_t{0}, std::size_t{1000}}) {
        prepare();
        InjectedFaults counting;
        counting.pieceSize = piece;
        ASSERT_TRUE(save(counting).ok());
        ASSERT_EQ(readFile(path), newContent());

        for (int error : kErrors) {
            for (int at = 1; at <= counting.calls; ++at) {
                SCOPED_TRACE("call " + std::to_string(at) + " fails with " + reason(error) +
                             (piece ? ", pieces of 1000 bytes" : ""));
                prepare();
                InjectedFaults faults;
                faults.failAt = at;
                faults.error = error;
                faults.pieceSize = piece;
                const FileResult result = save(faults);
                const bool exists = fs::exists(path);
                const std::string now = exists ? readFile(path) : std::string();
                if (result.ok()) {
                    EXPECT_EQ(now, newContent()) << "reported as saved";
                } else {
                    EXPECT_TRUE(now == newContent() || (GetParam() == Target::New ? !exists : now == oldContent))
                        << "the file is neither the old nor the new one: " << now.substr(0, 40) << "... "
                        << now.size() << " bytes";
                    EXPECT_NE(result.text().find(reason(error)), std::string::npos) << result.text();
                }
                if (GetParam() == Target::InPlaceLonger || GetParam() == Target::InPlaceShorter) {
                    EXPECT_EQ(readFile(folder.file("twin.ZMT")), now) << "the second name lost the file";
                }
                std::vector<std::string> expected;
                if (exists) expected.push_back("car.ZMT");
                if (GetParam() == Target::InPlaceLonger || GetParam() == Target::InPlaceShorter)
                    expected.push_back("twin.ZMT");
                EXPECT_EQ(names(), expected) << "a temporary file was left";
            }
        }
    }
}

// A kill -9 between the in-place write and the truncation after it: what
// is on the disk at that moment holds the new content and nothing of the
// old tail that an ini reader would take for keys.
TEST(InPlaceSave, ACrashBeforeTheTruncationLeavesNoOldTail) {
    struct SnapshotAtTruncate : files::Faults {
        std::string path, seen;
        int before(Call call, std::size_t&) override {
            if (call == Call::Truncate && seen.empty()) seen = readFile(path);
            return 0;
        }
    };
    TempFolder folder;
    const std::string path = folder.file("car.ZMT");
    writeFile(path, "[PARAM]\nLONGTO=300\n[EVENTS]\nEVKEY01=000102030405060708\n");
    fs::create_hard_link(path, folder.file("twin.ZMT"));   // only in place keeps both names
    SnapshotAtTruncate faults;
    faults.path = path;
    {
        files::FaultScope scope(faults);
        ASSERT_TRUE(writeFileSafely(path, "[PARAM]\nLONGTO=1\n").ok());
    }
    ASSERT_FALSE(faults.seen.empty()) << "no truncation: the write was not in place";
    EXPECT_EQ(faults.seen.rfind("[PARAM]\nLONGTO=1\n", 0), 0u);
    EXPECT_EQ(faults.seen.find_first_not_of('\n', std::string("[PARAM]\nLONGTO=1\n").size()), std::string::npos)
        << "old bytes left after the new content: " << faults.seen;
    EXPECT_EQ(readFile(path), "[PARAM]\nLONGTO=1\n");
}

const char* nameOf(Target target) {
    const char* names[] = {"New", "Replaced", "InPlaceLonger", "InPlaceShorter"};
    return names[static_cast<int>(target)];
}
void PrintTo(Target target, std::ostream* out) { *out << nameOf(target); }
std::string targetName(const ::testing::TestParamInfo<Target>& info) { return nameOf(info.param); }

INSTANTIATE_TEST_SUITE_P(Saves, SaveFaults,
                         ::testing::Values(Target::New, Target::Replaced, Target::InPlaceLonger, Target::InPlaceShorter),
                         targetName);

// Each loader: true when it loaded, else its message.
struct Loader {
    const char* name;
    std::string content;
    std::function<bool(const std::string& path, std::string& message)> load;
};

std::vector<Loader> loaders() {
    std::vector<uint8_t> firmware;
    buildFirmwareFile({0, 118, 1, 1}, std::vector<uint8_t>(3000, 0x5A), firmware);
    return {
        {"state file", "serial = 4242\nboot_mode = 1\n",
         [](const std::string& path, std::string& message) {
             sim::ControllerState state;
             const bool loaded = sim::loadControllerState(path, state, message);
             EXPECT_EQ(loaded, state.serialNumber == 4242) << "a failed load changed the state, or a load lost it";
             return loaded;
         }},
        {"settings", "[MainSettings]\r\nLang=1\r\n",
         [](const std::string& path, std::string& message) {
             ProgramSettings settings;
             const FileResult result = loadSettings(path, settings);
             message = result.text();
             EXPECT_EQ(result.ok(), settings.lang == "en");
             return result.ok();
         }},
        {"configuration", "[PARAM]\r\nLONGTO=777\r\n",
         [](const std::string& path, std::string& message) {
             ConfigImage image{};
             const FileResult result = loadConfigFile(image, path);
             message = result.text();
             EXPECT_EQ(result.ok(), image.longPressTimeout == 777);
             return result.ok();
         }},
        {"firmware", std::string(firmware.begin(), firmware.end()),
         [](const std::string& path, std::string& message) {
             VirtualHost host;
             FirmwareImage image;
             const bool loaded = loadFirmwareFile(host, path, image);
             message = host.boxes.empty() ? std::string() : host.boxes.back().text;
             EXPECT_EQ(loaded, image.payloadSize() == 3000u);
             return loaded;
         }},
    };
}

TEST(LoadFaults, AnyOneCallFailingIsAnErrorWithItsReasonNeverAnEmptyFile) {
    setLanguage("en");
    TempFolder folder;
    for (const Loader& loader : loaders()) {
        SCOPED_TRACE(loader.name);
        const std::string path = folder.file("file");
        writeFile(path, loader.content);
        std::string message;
        InjectedFaults counting;
        counting.pieceSize = 7;
        {
            const files::FaultScope scope(counting);
            ASSERT_TRUE(loader.load(path, message)) << message;
        }
        for (int error : kErrors) {
            for (int at = 1; at <= counting.calls; ++at) {
                SCOPED_TRACE("call " + std::to_string(at) + " fails with " + reason(error));
                InjectedFaults faults;
                faults.failAt = at;
                faults.error = error;
                faults.pieceSize = 7;   // and every read comes back short
                message.clear();
                const files::FaultScope scope(faults);
                // Closing a file that was only read loses nothing: a load may succeed then.
                if (!loader.load(path, message)) {
                    EXPECT_NE(message.find(reason(error)), std::string::npos) << message;
                }
            }
        }
        EXPECT_EQ(readFile(path), loader.content);
    }
    setLanguage("ru");
}

} // namespace
} // namespace zmt::test
#endif
