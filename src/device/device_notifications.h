#pragma once
// Arrivals and departures of HID devices as the system announces them: a
// controller plugged in is looked at at once instead of at the next poll,
// and while none is there nobody needs to search the bus often.
// Linux: a udev monitor on the hidraw subsystem, with libudev loaded here
// as hidapi loads it (at first use, never linked); its descriptor is watched
// by the caller's event loop. Windows: device-interface notifications for
// the HID class, sent to a hidden message-only window whose messages the
// thread's own message loop (Qt's, say) dispatches. Where neither comes, the
// poll covers arrivals as before.
//
//   auto arrivals = DeviceNotifications::open([&] { lookAtTheBus(); });
//   // null: none; otherwise, where arrivals->descriptor() >= 0, call
//   // arrivals->takeEvents() whenever it is readable.
#include <functional>
#include <memory>

namespace zmt {

class DeviceNotifications {
public:
    // Null when the system offers no notifications (no libudev, no monitor,
    // no window to receive them). announced is called once for each batch of
    // announcements of a HID device that arrived, left or changed (its
    // permissions, say), from the thread that opened the notifications.
    static std::unique_ptr<DeviceNotifications> open(std::function<void()> announced = {});
    virtual ~DeviceNotifications() = default;

    // Readable when an announcement waits; -1 where announcements come
    // through the thread's message loop instead.
    virtual int descriptor() const = 0;
    // Takes every announcement waiting (calling announced when one concerned
    // a HID device); true when one did since the last call.
    virtual bool takeEvents() = 0;
};

} // namespace zmt
