#pragma once
// Sets (or, with nullptr, removes) environment variables for a scope and
// puts back what was there, so a test can take away the lock folder or the
// run-time folder without touching the tests after it.
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zmt::test {

class ScopedEnvironment {
public:
    ScopedEnvironment& set(const char* name, const char* value) {
        const char* before = std::getenv(name);
        saved_.emplace_back(name, before ? std::optional<std::string>(before) : std::nullopt);
        if (value != nullptr) setenv(name, value, 1);
        else unsetenv(name);
        return *this;
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
            else unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace zmt::test
