#include "hidraw_testbed.h"
#include "device/hid_transport.h"

#include <umockdev.h>

#include <dlfcn.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace zmt::test {

namespace {

using Bytes = std::vector<uint8_t>;

// The controller's own collection: vendor page 0xFF00, feature report 1
// with 69 bytes after the report ID.
const Bytes kVendorCollection = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x45, 0x09, 0x01, 0xB1, 0x02, 0xC0};
// A boot keyboard: modifiers, a reserved byte, six keys; no report IDs.
const Bytes kKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,
    0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01,
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65,
    0x81, 0x00, 0xC0};
// Consumer control (report 2) and system control (report 3).
const Bytes kConsumerAndSystem = {
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x15, 0x00, 0x26, 0xFF, 0x03, 0x19,
    0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
    0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x03, 0x19, 0x81, 0x29, 0x83, 0x15, 0x00,
    0x25, 0x01, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x95, 0x05, 0x81, 0x01, 0xC0};

constexpr const char* kBus = "/devices/pci0000:00/0000:00:14.0/usb1";

struct Node {
    std::string usbPort;     // "1-2"; unit k sits on port 1-(k+2)
    int interfaceNumber = 0;
    int hidraw = 0;          // /dev/hidrawN; a new N each time it comes back
    Bytes descriptor;
    bool answersFeature1 = false;   // the node that carries the controller's reports
    bool answersNothing = false;    // not even the descriptor size: its open fails
};

std::string hex(const Bytes& bytes) {
    std::string text;
    char two[3];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02X", b);
        text += two;
    }
    return text;
}

std::string hidFolder(const Node& node) {
    char name[64];
    std::snprintf(name, sizeof name, "0003:FFFF:2013.%04X", node.hidraw + 1);
    return name;
}

std::string interfacePath(const Node& node) {
    return std::string(kBus) + "/" + node.usbPort + "/" + node.usbPort + ":1." + std::to_string(node.interfaceNumber);
}

std::string hidrawPath(const Node& node) {
    return interfacePath(node) + "/" + hidFolder(node) + "/hidraw/hidraw" + std::to_string(node.hidraw);
}

} // namespace

struct Binding;

// One controller on the bus, with its USB device and hidraw nodes.
struct Unit {
    std::shared_ptr<sim::SimulatedController> controller;
    HidrawTestbed::Layout layout = HidrawTestbed::Layout::Plain;
    std::vector<Node> nodes;
    bool cablePlugged = true;
    bool inTree = false;
    uint32_t removedAt = 0;
    // Bumped whenever the controller leaves the bus: handles opened before
    // are dead, as on real hardware.
    uint32_t generation = 0;
};

// Node numbers: unit k starts at 3k (three nodes at most), the broken twin
// sits apart, and every return to the bus moves a unit's nodes up by
// kRenumber, so that no name is ever given to two nodes.
constexpr int kUnitNodes = 3;
constexpr int kTwinNode = 60;
constexpr int kRenumber = 64;

struct HidrawTestbed::Impl {
    Clock clock;
    Options options;
    Spend spend;
    uint32_t costMs = 0;
    std::atomic<std::size_t> transfers{0};

    UMockdevTestbed* bed = nullptr;
    // A deque: handlers keep pointers to units and their nodes.
    std::deque<Unit> units;
    std::vector<Node> twin;   // the broken twin, when asked for
    std::vector<UMockdevIoctlBase*> handlers;
    std::vector<Binding*> bindings;
    std::string lockFolder;   // made by the bed, removed with it

    // umockdev answers ioctls on a thread of its own; a change of the tree
    // (the cable, a restart) may come from the caller's thread or a timer at
    // the same moment, so everything that touches the tree or the
    // controller holds this.
    std::mutex mutex;

    std::string usbDeviceText(const std::string& port, uint32_t serialNumber) const {
        const std::string serial = std::to_string(serialNumber);
        return "P: " + std::string(kBus) + "/" + port + "\n"
               "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
               "A: idVendor=ffff\nA: idProduct=2013\nA: bcdDevice=0117\n"
               "A: manufacturer=" + options.manufacturer + "\nA: product=" + options.product + "\n"
               "A: serial=" + serial + "\n\n";
    }

    std::string nodeText(const Node& node, uint32_t serialNumber) const {
        const std::string serial = std::to_string(serialNumber);
        char number[8];
        std::snprintf(number, sizeof number, "%02X", node.interfaceNumber);
        const std::string n = std::to_string(node.hidraw);
        // Parents first: umockdev announces each device as it adds it, and a
        // listener looks the node's parents up at once.
        return "P: " + interfacePath(node) + "\n"
               "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n"
               "A: bInterfaceClass=03\nA: bInterfaceNumber=" + number + "\n\n"
               "P: " + interfacePath(node) + "/" + hidFolder(node) + "\n"
               "E: SUBSYSTEM=hid\nE: DRIVER=hid-generic\nE: HID_ID=0003:0000FFFF:00002013\n"
               "E: HID_NAME=" + options.manufacturer + " " + options.product + "\n"
               "E: HID_UNIQ=" + serial + "\n"
               "H: report_descriptor=" + hex(node.descriptor) + "\n\n"
               "P: " + hidrawPath(node) + "\nN: hidraw" + n + "\n"
               "E: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/hidraw" + n + "\n"
               "A: dev=241:" + n + "\nL: device=../../../" + hidFolder(node) + "\n\n";
    }

    void addText(const std::vector<Node>& nodes, const Unit* unit, uint32_t serial) {
        std::string text;
        std::string lastPort;
        for (const Node& node : nodes) {
            if (node.usbPort != lastPort) text += usbDeviceText(node.usbPort, serial);
            text += nodeText(node, serial);
            lastPort = node.usbPort;
            // Answering before the node is announced: a listener (Wine's HID
            // bus) asks for the descriptor as soon as it hears of the node.
            attach(node, unit);
        }
        GError* error = nullptr;
        if (!umockdev_testbed_add_from_string(bed, text.c_str(), &error)) {
            const std::string message = error->message;
            g_error_free(error);
            throw std::runtime_error("umockdev tree: " + message);
        }
    }

    void addTree(Unit& unit) {
        // Back on the bus, the node is a new one: a handle on the old one
        // stays dead, and umockdev wants a fresh name for a fresh node.
        for (Node& node : unit.nodes) node.hidraw += kRenumber;
        addText(unit.nodes, &unit, unit.controller->state.serialNumber);
        for (const Node& node : unit.nodes)
            if (options.locked && node.answersFeature1) lock(node);
        unit.inTree = true;
    }
    void attach(const Node& node, const Unit* unit);
    // umockdev's node is a link to a pseudo-terminal of ours; its mode is
    // what open() checks.
    void lock(const Node& node) {
        gchar* root = umockdev_testbed_get_root_dir(bed);
        const std::string link = std::string(root) + "/dev/hidraw" + std::to_string(node.hidraw);
        g_free(root);
        if (::chmod(link.c_str(), 0) != 0) throw std::runtime_error("cannot lock " + link);
    }

    void removeTree(Unit& unit) {
        for (const Node& node : unit.nodes) {
            // umockdev announces what it adds, not what it removes; a program
            // that keeps a device list (Wine's HID bus) must hear of it.
            umockdev_testbed_uevent(bed, ("/sys" + hidrawPath(node)).c_str(), "remove");
            umockdev_testbed_remove_device(bed, ("/sys" + hidrawPath(node)).c_str());
            umockdev_testbed_remove_device(bed, ("/sys" + interfacePath(node) + "/" + hidFolder(node)).c_str());
            umockdev_testbed_remove_device(bed, ("/sys" + interfacePath(node)).c_str());
        }
        umockdev_testbed_remove_device(bed, ("/sys" + std::string(kBus) + "/" + unit.nodes.front().usbPort).c_str());
        unit.inTree = false;
        ++unit.generation;
    }

    // With the mutex held.
    void followNow() {
        const uint32_t now = clock();
        for (Unit& unit : units) {
            const bool wanted = unit.cablePlugged && unit.controller->attached(now);
            if (wanted && !unit.inTree && now - unit.removedAt >= options.replugDelayMs) {
                addTree(unit);
            } else if (!wanted && unit.inTree) {
                removeTree(unit);
                unit.removedAt = now;
            }
        }
    }

    Unit& makeUnit(std::shared_ptr<sim::SimulatedController> controller, Layout layout) {
        Unit& unit = units.emplace_back();
        unit.controller = std::move(controller);
        unit.layout = layout;
        const int index = static_cast<int>(units.size()) - 1;
        const std::string port = "1-" + std::to_string(index + 2);
        // Numbered one renumbering low: addTree moves them up as it adds them.
        const int base = index * kUnitNodes - kRenumber;
        if (layout == Layout::Composite) {
            Bytes both = kConsumerAndSystem;
            both.insert(both.end(), kVendorCollection.begin(), kVendorCollection.end());
            unit.nodes.push_back({port, 0, base, kKeyboard, false, false});
            unit.nodes.push_back({port, 1, base + 1, both, true, false});
        } else if (layout == Layout::CompositeSplit) {
            unit.nodes.push_back({port, 0, base, kKeyboard, false, false});
            unit.nodes.push_back({port, 1, base + 1, kConsumerAndSystem, false, false});
            unit.nodes.push_back({port, 2, base + 2, kVendorCollection, true, false});
        } else {
            unit.nodes.push_back({port, 0, base, kVendorCollection, true, false});
        }
        return unit;
    }
};

// What a handler needs to know about its node.
struct Binding {
    HidrawTestbed::Impl* impl;
    const Node* node;
    const Unit* unit;      // null for the broken twin
    uint32_t generation;   // of the tree the node was made in
};

namespace {

bool writeBack(UMockdevIoctlClient* client, std::size_t length, const std::function<void(Bytes&)>& change) {
    GError* error = nullptr;
    UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, length, &error);
    if (buffer == nullptr) {
        if (error != nullptr) g_error_free(error);
        return false;
    }
    Bytes bytes(buffer->data, buffer->data + std::min<std::size_t>(length, static_cast<std::size_t>(buffer->data_len)));
    bytes.resize(length);
    change(bytes);
    umockdev_ioctl_data_update(buffer, 0, bytes.data(), static_cast<gint>(bytes.size()));
    g_object_unref(buffer);
    return true;
}

gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
    auto* binding = static_cast<Binding*>(data);
    HidrawTestbed::Impl& impl = *binding->impl;
    const Node& node = *binding->node;
    const gulong request = umockdev_ioctl_client_get_request(client);
    if (_IOC_TYPE(request) != 'H') return FALSE;
    const std::lock_guard<std::mutex> lock(impl.mutex);
    const std::size_t length = _IOC_SIZE(request);
    const auto fail = [client](int error) {
        umockdev_ioctl_client_complete(client, -1, error);
        return TRUE;
    };

    impl.followNow();
    if (node.answersNothing || binding->unit == nullptr) return fail(ENOTTY);
    const Unit& unit = *binding->unit;
    // A handle from before the controller left the bus stays dead.
    if (!unit.inTree || binding->generation != unit.generation) return fail(ENODEV);

    switch (_IOC_NR(request)) {
    case 0x01: {   // HIDIOCGRDESCSIZE
        const int size = static_cast<int>(node.descriptor.size());
        if (!writeBack(client, sizeof size, [size](Bytes& b) { std::memcpy(b.data(), &size, sizeof size); }))
            return fail(EFAULT);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    case 0x02: {   // HIDIOCGRDESC
        if (!writeBack(client, sizeof(hidraw_report_descriptor), [&node](Bytes& b) {
                const uint32_t size = static_cast<uint32_t>(node.descriptor.size());
                std::memcpy(b.data(), &size, sizeof size);
                std::memcpy(b.data() + offsetof(hidraw_report_descriptor, value), node.descriptor.data(), size);
            }))
            return fail(EFAULT);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    case 0x03: {   // HIDIOCGRAWINFO: Wine's HID bus asks it before it lists the node
        if (!writeBack(client, sizeof(hidraw_devinfo), [](Bytes& b) {
                const hidraw_devinfo info{3 /* BUS_USB */, static_cast<__s16>(kControllerVendorId),
                                          static_cast<__s16>(kControllerProductId)};
                std::memcpy(b.data(), &info, sizeof info);
            }))
            return fail(EFAULT);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    case 0x06:     // HIDIOCSFEATURE(len)
    case 0x07: {   // HIDIOCGFEATURE(len)
        ++impl.transfers;
        if (impl.costMs != 0 && impl.spend) impl.spend(impl.costMs);
        const bool set = _IOC_NR(request) == 0x06;
        bool accepted = false;
        const bool reached = writeBack(client, length, [&](Bytes& report) {
            // Other collections do not have report 1: the device stalls.
            if (!node.answersFeature1 || length != 70 || report[0] != 1) return;
            if (set) {
                accepted = unit.controller->request(report.data(), impl.clock());
            } else {
                unit.controller->fetch(report.data(), impl.clock());
                accepted = true;
            }
        });
        if (!reached) return fail(EFAULT);
        impl.followNow();   // a request may have taken it off the bus
        if (!accepted) return fail(EPIPE);
        umockdev_ioctl_client_complete(client, static_cast<glong>(length), 0);
        return TRUE;
    }
    default:
        return fail(EINVAL);
    }
}

} // namespace

HidrawTestbed::HidrawTestbed(std::shared_ptr<sim::SimulatedController> controller, Clock clock, Options options)
    : impl_(std::make_unique<Impl>()) {
    Impl& impl = *impl_;
    impl.clock = std::move(clock);
    impl.options = std::move(options);
    // Programs started in the bed hold its nodes, not the machine's: their
    // lock files go where no bed running beside it looks.
    if (std::getenv("ZMT_LOCK_DIR") == nullptr) {
        char folder[] = "/tmp/zmt-bed-locks-XXXXXX";
        if (mkdtemp(folder) != nullptr) {
            setenv("ZMT_LOCK_DIR", folder, 1);
            impl.lockFolder = folder;
        }
    }

    const std::lock_guard<std::mutex> lock(impl.mutex);
    impl.bed = umockdev_testbed_new();
    // The pci and root-hub parents stay when the cable is pulled.
    GError* error = nullptr;
    const std::string parents = std::string("P: ") + kBus +
                                "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n\n"
                                "P: /devices/pci0000:00/0000:00:14.0\nE: SUBSYSTEM=pci\n";
    if (!umockdev_testbed_add_from_string(impl.bed, parents.c_str(), &error)) {
        g_error_free(error);
        throw std::runtime_error("umockdev: cannot add the USB bus");
    }
    if (impl.options.brokenTwinFirst) {
        impl.twin.push_back({"1-1", 0, kTwinNode, kVendorCollection, false, true});
        impl.addText(impl.twin, nullptr, controller->state.serialNumber);
    }
    impl.addTree(impl.makeUnit(std::move(controller), impl.options.layout));
}

std::size_t HidrawTestbed::addUnit(std::shared_ptr<sim::SimulatedController> controller, Layout layout) {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->addTree(impl_->makeUnit(std::move(controller), layout));
    return impl_->units.size() - 1;
}

void HidrawTestbed::Impl::attach(const Node& node, const Unit* unit) {
    UMockdevIoctlBase* handler = umockdev_ioctl_base_new();
    auto* binding = new Binding{this, &node, unit, unit != nullptr ? unit->generation : 0};
    bindings.push_back(binding);
    g_signal_connect(handler, "handle-ioctl", G_CALLBACK(onIoctl), binding);
    const std::string dev = "/dev/hidraw" + std::to_string(node.hidraw);
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(bed, dev.c_str(), handler, &error)) {
        g_error_free(error);
        throw std::runtime_error("umockdev: cannot attach to " + dev);
    }
    handlers.push_back(handler);
}

HidrawTestbed::~HidrawTestbed() {
    Impl& impl = *impl_;
    // The test bed first: it stops answering before its handlers go.
    g_object_unref(impl.bed);
    for (UMockdevIoctlBase* handler : impl.handlers) g_object_unref(handler);
    for (Binding* binding : impl.bindings) delete binding;
    if (!impl.lockFolder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(impl.lockFolder, ignored);
        unsetenv("ZMT_LOCK_DIR");
    }
}

bool HidrawTestbed::inMockEnvironment() {
    // umockdev_in_mock_environment() answers no here even under the wrapper
    // (it looks for the library that provides open(), which glibc 2.36 maps
    // elsewhere); asking the dynamic loader is exact.
    void* preload = dlopen("libumockdev-preload.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (preload == nullptr) return false;
    dlclose(preload);
    return true;
}

void HidrawTestbed::enterMockEnvironment(int argc, char** argv) {
    if (inMockEnvironment()) return;
    if (std::getenv("ZMT_TESTBED_REEXEC") != nullptr) {
        std::fprintf(stderr, "umockdev's preload library did not take effect\n");
        std::exit(2);
    }
    setenv("ZMT_TESTBED_REEXEC", "1", 1);
    // AddressSanitizer wants to come first among the preloaded libraries;
    // the umockdev one must, for its interception to work.
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + (asan && *asan ? ":" : "") +
                            "verify_asan_link_order=0").c_str(), 1);
    std::vector<char*> args;
    args.push_back(const_cast<char*>("umockdev-wrapper"));
    for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
    args.push_back(nullptr);
    execvp(args[0], args.data());
    std::fprintf(stderr, "cannot run umockdev-wrapper (package umockdev): %s\n", std::strerror(errno));
    std::exit(2);
}

void HidrawTestbed::setTransferCost(uint32_t ms, Spend spend) {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->costMs = ms;
    impl_->spend = std::move(spend);
}

void HidrawTestbed::unplug(std::size_t unit) {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->units.at(unit).cablePlugged = false;
    impl_->units.at(unit).controller->unplug();
    impl_->followNow();
}

void HidrawTestbed::plug(std::size_t unit) {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->units.at(unit).cablePlugged = true;
    impl_->units.at(unit).controller->plug();
    impl_->followNow();
}

void HidrawTestbed::follow() {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->followNow();
}

std::string HidrawTestbed::controllerNode(std::size_t unit) const {
    const std::lock_guard<std::mutex> lock(impl_->mutex);
    for (const Node& node : impl_->units.at(unit).nodes)
        if (node.answersFeature1) return "/dev/hidraw" + std::to_string(node.hidraw);
    return {};
}

std::size_t HidrawTestbed::featureTransfers() const { return impl_->transfers; }

} // namespace zmt::test
