#pragma once
// What every device operation returns: success, or why it failed.
namespace zmt {

// The numbers behind the names never leave the program: users and scripts
// see a code only as resultText's words (and zmtctl's exit statuses, which
// group codes in their own way). Only resultText's fallback for a value that
// is none of these shows the number, and nothing makes such a value.
enum class ResultCode : int {
    Ok,
    HidLoad,        // the HID library cannot be loaded
    Exchange,       // a report cannot be moved, or a reply is wrong
    Disconnected,   // no controller found, or a platform failure
    Timeout,        // no reply within kReplyTimeoutMs
    // Refusals by this program:
    Busy,           // another exchange is under way beneath this one
    Held,           // the controller is held by another program (controller_hold.h)
    Several,        // several controllers present and none chosen
    NoHold,         // the hold on the controller cannot be taken (controller_hold.h)
    SameSerial,     // the serial asked for is carried by more than one controller
    // Refusals by the controller:
    BadParameters,  // a frame over 64 bytes, or status 0xFE
    BadResult,      // status 0xFD
};

} // namespace zmt
