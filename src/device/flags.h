#pragma once
// Program-wide state flags. One instance lives as long as the program and is
// owned by whoever runs the session (the main window or zmtctl); the parts
// that read a flag get a reference to it.
//
// Each flag has one part that changes it, so that what a flag says never
// depends on which of several writers came last. Its setter asks for a key
// that only that part can make (a part that wants it changed asks the
// owner); the tests put a state in place through FlagsForTests.
namespace zmt {

class ButtonLearning;
class ConfigTransfer;
class ConnectionWatch;
namespace ui {
class MainWindow;
}
namespace setup {
class QuickSetup;
}
struct FlagsForTests;   // tests/support/flags_for_tests.h

// Made by Owner alone: a setter that asks for it can only be called there.
template <class Owner>
class FlagKey {
    friend Owner;
    FlagKey() = default;
};

struct ProgramFlags {
public:
    // The main window is closing; guided procedures leave.
    bool appClosing() const { return appClosing_; }
    // A controller is connected and announced.
    bool deviceConnected() const { return deviceConnected_; }
    // The image holds a configuration; changes may be sent.
    bool imageValid() const { return imageValid_; }
    // Button learning or the quick set-up in progress: no automatic writing.
    bool learningActive() const { return learningActive_ || quickSetupActive_; }
    // The quick set-up alone.
    bool quickSetupActive() const { return quickSetupActive_; }

    // The window, once it has begun to close; it never opens again.
    void setClosing(FlagKey<ui::MainWindow>) { appClosing_ = true; }
    // The connection watch, as it announces a controller and as it notices
    // it gone (or is asked to announce it afresh).
    void setDeviceConnected(bool connected, FlagKey<ConnectionWatch>) { deviceConnected_ = connected; }
    // The configuration's owner, as the image becomes the controller's
    // configuration (read, written, loaded from a file) or stops being it.
    void setImageValid(bool valid, FlagKey<ConfigTransfer>) { imageValid_ = valid; }
    // The learning run, from its start to its end.
    void setLearningActive(bool active, FlagKey<ButtonLearning>) { learningActive_ = active; }
    // The quick set-up, from its start to its end: it learns buttons too.
    void setQuickSetupActive(bool active, FlagKey<setup::QuickSetup>) { quickSetupActive_ = active; }

private:
    friend struct FlagsForTests;

    bool appClosing_ = false;
    bool deviceConnected_ = false;
    bool imageValid_ = false;
    bool learningActive_ = false;
    bool quickSetupActive_ = false;
};

} // namespace zmt
