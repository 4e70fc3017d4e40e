#pragma once
// Arrivals and departures of HID devices as the system announces them: a
// controller plugged in is looked at at once instead of at the next poll,
// and while none is there nobody needs to search the bus often.
// Linux: a udev monitor on the hidraw subsystem, with libudev loaded here
// as hidapi loads it (at first use, never linked). Elsewhere: none yet, and
// the poll covers arrivals as before.
//
//   std::unique_ptr<DeviceNotifications> arrivals = DeviceNotifications::open();
//   // null: none; otherwise watch arrivals->descriptor() for reading, then
//   if (arrivals->takeEvents()) lookAtTheBus();
#include <memory>

namespace zmt {

class DeviceNotifications {
public:
    // Null when the system offers no notifications (no libudev, no monitor).
    static std::unique_ptr<DeviceNotifications> open();
    virtual ~DeviceNotifications() = default;

    // Readable when an announcement waits.
    virtual int descriptor() const = 0;
    // Takes every announcement waiting; true when a hidraw device arrived,
    // left or changed (its permissions, say).
    virtual bool takeEvents() = 0;
};

} // namespace zmt
