#pragma once
// Shared by the fuzz targets: a scratch folder per process for inputs that
// the code under test only takes as files, and the check that stops the
// fuzzer with a readable reason when a property does not hold.
#include <cstddef>
#include <cstdint>
#include <string>

namespace zmt::fuzz {

// A folder of this process under the temporary folder, made on first use.
const std::string& scratchFolder();
// The path of name in the scratch folder.
std::string scratchFile(const std::string& name);
// Writes bytes to path, replacing it. False when it cannot.
bool writeBytes(const std::string& path, const uint8_t* data, std::size_t size);

// Prints what went wrong and aborts, which libFuzzer reports as a crash with
// the input saved.
[[noreturn]] void fail(const char* what);
inline void require(bool holds, const char* what) {
    if (!holds) fail(what);
}

} // namespace zmt::fuzz
