#pragma once
// Scratch folders and fixtures for the file tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zmt::test {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("zmt-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A file of tests/data (ctest passes the folder in ZMT_TEST_DATA).
inline std::string fixture(const std::string& name) {
    const char* folder = std::getenv("ZMT_TEST_DATA");
    return (std::filesystem::path(folder ? folder : "tests/data") / name).string();
}

#ifndef _WIN32
// The user and group "nobody" of Debian and most other systems.
inline constexpr uid_t kOrdinaryUser = 65534;
inline constexpr gid_t kOrdinaryGroup = 65534;

// Root may write any file, and CI runs the tests as root. What an ordinary
// user may do is therefore checked by running body in a child process as
// nobody when the tests run as root (directly otherwise), with extraGroup as
// its one further group when given. Returns what body returns (keep it below
// 100), or 100 and up when the child could not run.
inline int asOrdinaryUser(const std::function<int()>& body, gid_t extraGroup = 0) {
    if (geteuid() != 0) return body();
    const pid_t child = fork();
    if (child < 0) return 101;
    if (child == 0) {
        const int groups = extraGroup != 0 ? 1 : 0;
        if (setgroups(groups, &extraGroup) != 0 || setgid(kOrdinaryGroup) != 0 || setuid(kOrdinaryUser) != 0)
            _exit(100);
        _exit(body());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 102;
    return WEXITSTATUS(status);
}

// Hands a file or folder to the user asOrdinaryUser runs as (a run that is
// not root owns them already).
inline void giveToOrdinaryUser(const std::filesystem::path& path, gid_t group = kOrdinaryGroup) {
    if (geteuid() == 0 && lchown(path.c_str(), kOrdinaryUser, group) != 0) ADD_FAILURE() << "cannot chown " << path;
}
#endif

} // namespace zmt::test
