#include "device/device_notifications.h"

#ifdef _WIN32
#include <windows.h>
#include <dbt.h>
#include <initguid.h>
#include <hidclass.h>
#else
#include <dlfcn.h>

#include <cstring>
#include <type_traits>
#endif

#include <utility>

namespace zmt {

#ifdef _WIN32

namespace {

constexpr wchar_t kWindowClass[] = L"ZmtDeviceNotifications";

// A window nobody sees, made only to be told of HID interfaces coming and
// going: the system sends WM_DEVICECHANGE to windows, not to threads.
class WindowNotifications : public DeviceNotifications {
public:
    explicit WindowNotifications(std::function<void()> announced) : announced_(std::move(announced)) {}
    ~WindowNotifications() override {
        if (registration_ != nullptr) UnregisterDeviceNotification(registration_);
        if (window_ != nullptr) DestroyWindow(window_);
    }

    bool open() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &WindowNotifications::windowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        // A second instance finds the class already there, which is fine.
        if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
        window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
        if (window_ == nullptr) return false;
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = GUID_DEVINTERFACE_HID;
        registration_ = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
        return registration_ != nullptr;
    }

    int descriptor() const override { return -1; }
    bool takeEvents() override { return std::exchange(announcedSinceTaken_, false); }

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_DEVICECHANGE && (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)) {
            auto* self = reinterpret_cast<WindowNotifications*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (self != nullptr) self->announce();
            return TRUE;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void announce() {
        announcedSinceTaken_ = true;
        if (announced_) announced_();
    }

    std::function<void()> announced_;
    HWND window_ = nullptr;
    HDEVNOTIFY registration_ = nullptr;
    bool announcedSinceTaken_ = false;
};

} // namespace

std::unique_ptr<DeviceNotifications> DeviceNotifications::open(std::function<void()> announced) {
    auto notifications = std::make_unique<WindowNotifications>(std::move(announced));
    if (!notifications->open()) return nullptr;
    return notifications;
}

#else

namespace {

// libudev's types stay opaque: only pointers to them pass through here, so
// its development headers are not needed either.
struct udev;
struct udev_monitor;
struct udev_device;

struct UdevCalls {
    udev* (*newContext)() = nullptr;
    udev* (*unrefContext)(udev*) = nullptr;
    udev_monitor* (*newMonitor)(udev*, const char*) = nullptr;
    int (*matchSubsystem)(udev_monitor*, const char*, const char*) = nullptr;
    int (*enableReceiving)(udev_monitor*) = nullptr;
    int (*descriptor)(udev_monitor*) = nullptr;
    udev_device* (*receive)(udev_monitor*) = nullptr;
    udev_monitor* (*unrefMonitor)(udev_monitor*) = nullptr;
    const char* (*action)(udev_device*) = nullptr;
    udev_device* (*unrefDevice)(udev_device*) = nullptr;
};

// Never unloaded, as hidapi's own copy of it is never unloaded.
bool loadUdev(UdevCalls& calls) {
    void* handle = dlopen("libudev.so.1", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return false;
    auto take = [handle](auto& call, const char* name) {
        call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(dlsym(handle, name));
        return call != nullptr;
    };
    return take(calls.newContext, "udev_new") && take(calls.unrefContext, "udev_unref") &&
           take(calls.newMonitor, "udev_monitor_new_from_netlink") &&
           take(calls.matchSubsystem, "udev_monitor_filter_add_match_subsystem_devtype") &&
           take(calls.enableReceiving, "udev_monitor_enable_receiving") &&
           take(calls.descriptor, "udev_monitor_get_fd") && take(calls.receive, "udev_monitor_receive_device") &&
           take(calls.unrefMonitor, "udev_monitor_unref") && take(calls.action, "udev_device_get_action") &&
           take(calls.unrefDevice, "udev_device_unref");
}

class UdevNotifications : public DeviceNotifications {
public:
    UdevNotifications(const UdevCalls& calls, udev* context, udev_monitor* monitor, std::function<void()> announced)
        : calls_(calls), context_(context), monitor_(monitor), announced_(std::move(announced)) {}
    ~UdevNotifications() override {
        calls_.unrefMonitor(monitor_);
        calls_.unrefContext(context_);
    }
    int descriptor() const override { return calls_.descriptor(monitor_); }
    bool takeEvents() override {
        // The monitor's socket does not block: null once nothing waits.
        bool changed = false;
        while (udev_device* device = calls_.receive(monitor_)) {
            const char* action = calls_.action(device);
            if (action != nullptr && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0 ||
                                      std::strcmp(action, "change") == 0))
                changed = true;
            calls_.unrefDevice(device);
        }
        if (changed && announced_) announced_();
        return changed;
    }

private:
    const UdevCalls calls_;
    udev* context_;
    udev_monitor* monitor_;
    std::function<void()> announced_;
};

} // namespace

std::unique_ptr<DeviceNotifications> DeviceNotifications::open(std::function<void()> announced) {
    UdevCalls calls;
    if (!loadUdev(calls)) return nullptr;
    udev* context = calls.newContext();
    if (context == nullptr) return nullptr;
    // "udev": the events after udev has made the node and set its
    // permissions, so the controller can be opened when we hear of it.
    udev_monitor* monitor = calls.newMonitor(context, "udev");
    if (monitor == nullptr || calls.matchSubsystem(monitor, "hidraw", nullptr) < 0 ||
        calls.enableReceiving(monitor) < 0 || calls.descriptor(monitor) < 0) {
        if (monitor != nullptr) calls.unrefMonitor(monitor);
        calls.unrefContext(context);
        return nullptr;
    }
    return std::make_unique<UdevNotifications>(calls, context, monitor, std::move(announced));
}

#endif

} // namespace zmt
