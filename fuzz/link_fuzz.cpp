// The controller's replies are input like any file: a damaged unit, a clone,
// a noisy cable. Here a simulated controller sits behind a platform layer
// whose every fetch the fuzzer decides: the proper reply, the reply with
// bytes changed (check byte mended or not), any 70 bytes, "not ready yet"
// for a while, or a failing call. Frame, block and configuration transfers
// and the connection watch's polls run on the virtual clock against it.
//
// Properties: nothing crashes or overruns a buffer; every operation returns a
// known result code and leaves no exchange marked busy; a read never reports
// more than it could deliver; a failed full read leaves the image alone and a
// good one leaves image and controller copy equal; the synchronisation only
// ever records in the controller copy what the image holds.
#include "config/config_transfer.h"
#include "fuzz_support.h"
#include "sim/simulated_controller.h"
#include "virtual_host.h"
#include "flags_for_tests.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <vector>

using namespace zmt;
using zmt::fuzz::require;

namespace {

enum class Fetch : uint8_t { Fail, NotReady, Proper, Altered, Raw, Count };

class FuzzedController : public HidDevice {
public:
    FuzzedController(FuzzedDataProvider& input, test::VirtualHost& host, sim::SimulatedController& controller)
        : input_(input), host_(host), controller_(controller) {}

    bool setFeature(const uint8_t* report, std::size_t length) override {
        ++host_.now;
        if (length != kReportSize || input_.ConsumeIntegralInRange<uint8_t>(0, 15) == 15) return false;
        return controller_.request(report, host_.now);
    }
    bool getFeature(uint8_t* report, std::size_t length) override {
        ++host_.now;
        if (length != kReportSize) return false;
        // An exhausted input reads as Fail, so every run comes to an end.
        switch (static_cast<Fetch>(input_.ConsumeIntegralInRange<uint8_t>(0, uint8_t(Fetch::Count) - 1))) {
        case Fetch::Fail: return false;
        case Fetch::NotReady:
            std::memset(report, 0, length);
            report[0] = kReportId;
            host_.now += input_.ConsumeIntegral<uint8_t>() * 8u;
            return true;
        case Fetch::Proper: controller_.fetch(report, host_.now); return true;
        case Fetch::Altered: {
            controller_.fetch(report, host_.now);
            const int changes = input_.ConsumeIntegralInRange(1, 4);
            for (int i = 0; i < changes; ++i)
                report[input_.ConsumeIntegralInRange<std::size_t>(1, kReportSize - 1)] = input_.ConsumeIntegral<uint8_t>();
            if (input_.ConsumeBool()) report[69] = frameCheck(report + 1, 68);
            return true;
        }
        case Fetch::Raw:
        case Fetch::Count: {
            const auto bytes = input_.ConsumeBytes<uint8_t>(kReportSize);
            std::memset(report, 0, length);
            if (!bytes.empty()) std::memcpy(report, bytes.data(), bytes.size());
            return true;
        }
        }
        return false;
    }

private:
    FuzzedDataProvider& input_;
    test::VirtualHost& host_;
    sim::SimulatedController& controller_;
};

class FuzzedBackend : public HidBackend {
public:
    FuzzedBackend(FuzzedDataProvider& input, test::VirtualHost& host) : input_(input), host_(host) {}
    InitResult initialise() override { return InitOk; }
    std::vector<HidInterfaceInfo> enumerate() override {
        return {{"fuzz", kControllerVendorId, kControllerProductId, u"ZEL", u"MORVA-TOUCH"}};
    }
    std::unique_ptr<HidDevice> open(const std::string&, HidOpenFailure&) override {
        return std::make_unique<FuzzedController>(input_, host_, controller);
    }
    sim::SimulatedController controller{1001};

private:
    FuzzedDataProvider& input_;
    test::VirtualHost& host_;
};

void requireKnownCode(ResultCode code) {
    switch (code) {
    case ResultCode::Ok: case ResultCode::Exchange: case ResultCode::Disconnected: case ResultCode::Timeout: case ResultCode::BadParameters: case ResultCode::BadResult:
        return;
    default: fuzz::fail("an operation returned a code it should never give here");
    }
}

enum class Operation : uint8_t {
    ReadFrame, WriteFrame, ReadBlock, WriteBlock, Poll, DeviceLog, ReadConfiguration, Sync, Probe, Count
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    test::VirtualHost host;
    host.logOn = input.ConsumeBool();
    FuzzedBackend backend(input, host);
    HidTransport transport(backend);
    DeviceLink link(host, transport);
    ProgramFlags flags;
    QuietWatchWindow window;
    ConnectionWatch watch(link, flags, window);
    ConfigRecord record;
    ConfigTransfer transfer(link, record, flags, &watch);
    watch.setReadConfiguration([&transfer] { transfer.readNewController(); });

    for (int step = 0; step < 24 && input.remaining_bytes() > 0; ++step) {
        const auto operation =
            static_cast<Operation>(input.ConsumeIntegralInRange<uint8_t>(0, uint8_t(Operation::Count) - 1));
        const uint8_t command = input.ConsumeIntegral<uint8_t>();
        const uint16_t offset = input.ConsumeIntegral<uint16_t>();
        ResultCode code = ResultCode::Ok;
        switch (operation) {
        case Operation::ReadFrame: {
            std::vector<uint8_t> destination(input.ConsumeIntegralInRange<std::size_t>(0, 80));
            std::size_t count = 0;
            code = link.readFrame(command, offset, destination.empty() ? nullptr : destination.data(),
                                  destination.size(), count);
            require(count <= kFrameData, "a read reports more than a frame carries");
            require(code == ResultCode::Ok || count == 0, "a failed read reports bytes");
            break;
        }
        case Operation::WriteFrame: {
            const auto bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 70));
            code = link.writeFrame(command, offset, bytes.empty() ? nullptr : bytes.data(), bytes.size());
            if (bytes.size() > kFrameData) require(code == ResultCode::BadParameters, "an oversized frame was not refused");
            break;
        }
        case Operation::ReadBlock: {
            std::vector<uint8_t> destination(input.ConsumeIntegralInRange<std::size_t>(0, 1100));
            code = link.readBlock(command, offset, destination.data(), destination.size());
            break;
        }
        case Operation::WriteBlock: {
            const auto bytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 1100));
            code = link.writeBlock(command, offset, bytes.data(), bytes.size(),
                                   input.ConsumeIntegralInRange<std::size_t>(1, kFrameData));
            break;
        }
        case Operation::Poll:
            window.setDeviceLogChecked(input.ConsumeBool());
            code = watch.pollController();
            break;
        case Operation::DeviceLog:
            backend.controller.pushLogRecord(command, input.ConsumeBytes<uint8_t>(sim::kLogDataMax),
                                             input.ConsumeIntegral<uint8_t>());
            code = watch.readDeviceLogRecord();
            break;
        case Operation::ReadConfiguration: {
            const ConfigImage before = record.image;
            code = transfer.readConfiguration();
            if (code == ResultCode::Ok) {
                require(std::memcmp(record.image.bytes(), record.deviceCopy.bytes(), kConfigImageSize) == 0,
                        "a good full read leaves image and controller copy apart");
            } else {
                require(std::memcmp(record.image.bytes(), before.bytes(), kConfigImageSize) == 0,
                        "a failed full read changed the image");
            }
            break;
        }
        case Operation::Sync: {
            FlagsForTests::setImageValid(flags, true);
            FlagsForTests::setDeviceConnected(flags, true);
            record.image.bytes()[offset % kConfigImageSize] ^= command | 1;
            const ConfigImage copyBefore = record.deviceCopy;
            transfer.syncChanges();
            for (std::size_t k = 0; k < kConfigImageSize; ++k)
                if (record.deviceCopy.bytes()[k] != copyBefore.bytes()[k])
                    require(record.deviceCopy.bytes()[k] == record.image.bytes()[k],
                            "the synchronisation recorded a byte the image does not hold");
            host.advance(kSyncRetryDelayMs);
            break;
        }
        case Operation::Probe: code = link.probeController(); break;
        case Operation::Count: break;
        }
        requireKnownCode(code);
        require(!link.exchangeBusy(), "an exchange stayed marked busy");
    }
    return 0;
}
