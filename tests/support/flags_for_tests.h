#pragma once
// The tests' way to put the program in a state without running the part
// that owns a flag (the window closing, a controller announced, a
// configuration read, a learning run). Only tests, the benchmarks and the
// fuzzers use it; the program changes a flag through its owner alone.
#include "device/flags.h"

namespace zmt {

struct FlagsForTests {
    static void setAppClosing(ProgramFlags& flags, bool closing) { flags.appClosing_ = closing; }
    static void setDeviceConnected(ProgramFlags& flags, bool connected) { flags.deviceConnected_ = connected; }
    static void setImageValid(ProgramFlags& flags, bool valid) { flags.imageValid_ = valid; }
    static void setLearningActive(ProgramFlags& flags, bool active) { flags.learningActive_ = active; }
};

} // namespace zmt
