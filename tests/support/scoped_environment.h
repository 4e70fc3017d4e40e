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
        put(name, value);
        return *this;
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            put(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
    }

private:
    static void put(const char* name, const char* value) {
#ifdef _WIN32
        // An empty value takes the variable away on Windows.
        _putenv_s(name, value != nullptr ? value : "");
#else
        if (value != nullptr) setenv(name, value, 1);
        else unsetenv(name);
#endif
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace zmt::test
