#pragma once
// A HidBackend whose devices are plain data: the test lists them, says how
// the controller answers (a function from request to reply), and reads back
// every report that was sent.
#include "device/hid_backend.h"
#include "device/protocol.h"

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace zmt::test {

using Report = std::array<uint8_t, kReportSize>;

// The reply a well-behaved controller gives, built from the request.
inline Report acceptingReply(const Report& request) {
    DeviceFrame reply;
    reply.bytes[2] = request[2];
    reply.bytes[3] = request[3];
    if (request[1] & kWriteFlag) {
        reply.setCommand(statusAccepted);
    } else {
        reply.setCommand(request[1] | kWriteFlag);
        reply.setLength(64);
        for (int i = 0; i < 64; ++i) reply.data()[i] = static_cast<uint8_t>(i);
    }
    reply.seal();
    return reply.bytes;
}

class ScriptedBackend : public HidBackend {
public:
    struct Device {
        uint16_t vendorId = kControllerVendorId;
        uint16_t productId = kControllerProductId;
        std::optional<std::u16string> manufacturer = u"ZEL";
        std::optional<std::u16string> product = u"MORVA-TOUCH";
        bool opens = true;
        uint16_t usagePage = 0;
        bool denied = false;        // refused for want of permission (else another reason)
    };
    std::vector<Device> devices;
    std::function<Report(const Report&)> respond = acceptingReply;
    InitResult initResult = InitOk;
    bool failSend = false, failFetch = false, throwOnSend = false;

    std::vector<Report> sent;
    std::vector<std::size_t> openedIndexes;
    int initCalls = 0, enumerations = 0;

    InitResult initialise() override { ++initCalls; return initResult; }
    std::vector<HidInterfaceInfo> enumerate() override {
        ++enumerations;
        std::vector<HidInterfaceInfo> list;
        for (std::size_t i = 0; i < devices.size(); ++i)
            list.push_back({std::to_string(i), devices[i].vendorId, devices[i].productId, devices[i].manufacturer,
                            devices[i].product, devices[i].usagePage});
        return list;
    }
    std::unique_ptr<HidDevice> open(const std::string& path, HidOpenFailure& failure) override {
        const std::size_t index = std::stoul(path);
        if (!devices.at(index).opens) {
            failure.denied = devices[index].denied;
            failure.reason = "busy " + path;
            return nullptr;
        }
        openedIndexes.push_back(index);
        return std::make_unique<Handle>(*this, index);
    }

private:
    class Handle : public HidDevice {
    public:
        Handle(ScriptedBackend& owner, std::size_t index) : owner_(owner), index_(index) {}
        bool setFeature(const uint8_t* report, std::size_t length) override {
            if (owner_.throwOnSend) throw std::runtime_error("platform failure");
            if (owner_.failSend || length != 70) return false;
            Report request;
            std::copy(report, report + 70, request.begin());
            owner_.sent.push_back(request);
            pending_ = owner_.respond(request);
            return true;
        }
        std::string failureText() override { return owner_.failSend ? "send refused" : "fetch refused"; }
        bool getFeature(uint8_t* report, std::size_t length) override {
            if (owner_.failFetch || length != 70) return false;
            std::copy(pending_.begin(), pending_.end(), report);
            return true;
        }

    private:
        ScriptedBackend& owner_;
        std::size_t index_;
        Report pending_{};
    };
};

} // namespace zmt::test
