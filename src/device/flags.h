#pragma once
// Program-wide state flags. One instance lives as long as the program and is
// owned by whoever runs the session (the main window or zmtctl); the parts
// that set or read a flag get a reference to it.
namespace zmt {

struct ProgramFlags {
    bool appClosing = false;        // the main window is closing; guided procedures leave
    bool deviceConnected = false;   // a controller is connected and announced
    bool imageValid = false;        // the image holds a configuration; changes may be sent
    bool learningActive = false;    // button learning in progress: no automatic writing
};

} // namespace zmt
