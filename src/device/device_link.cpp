#include "device/device_link.h"

#include "lang/lang.h"
#include "lang/number_text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zmt {

namespace {
constexpr uint8_t kIdentityReply = cmdIdentity | kWriteFlag;
constexpr std::size_t kOffsetSpace = 0x10000;

bool fitsOffsetSpace(uint16_t offset, std::size_t length) {
    return static_cast<std::size_t>(offset) + length <= kOffsetSpace;
}
} // namespace

ResultCode DeviceLink::exchangeOnce(DeviceFrame& frame) {
    if (exchangeBusy_) return ResultCode::Busy;
    exchangeBusy_ = true;

    frame.seal();
    logFrame(">", frame);
    ResultCode code = transport_.sendReport(frame.bytes.data());
    if (code != ResultCode::Ok) {
        logPlatformFailure();
        exchangeBusy_ = false;
        return code;
    }

    DeviceFrame reply;
    code = awaitReply(reply, [this](uint8_t* report) { return transport_.receiveReport(report); });

    exchangeBusy_ = false;
    if (code == ResultCode::Ok) {
        frame = reply;
        loggedFailure_.clear();
    }
    return code;
}

ResultCode DeviceLink::awaitReply(DeviceFrame& reply, const std::function<ResultCode(uint8_t*)>& receive) {
    const uint32_t start = host_.tickMs();
    // The reply is polled without any pause: the wait ends the moment the
    // controller has it ready, and each fetch blocks in the HID call anyway.
    for (;;) {
        reply.bytes.fill(0);
        reply.bytes[0] = kReportId;
        const ResultCode code = receive(reply.bytes.data());
        if (code != ResultCode::Ok) {
            logPlatformFailure();
            host_.processEvents();
            return code;
        }
        if (reply.command() != 0) break;
        if (host_.tickMs() - start >= kReplyTimeoutMs) return ResultCode::Timeout;
    }
    logFrame("<", reply);
    return (reply.length() > kFrameData || !reply.checkValid()) ? ResultCode::Exchange : ResultCode::Ok;
}

ResultCode DeviceLink::identifyOpened(HidDevice& device, IdentityBlock& identity) {
    // One request on a handle that is not the transport's (yet): a
    // controller that has not said who it is gets nothing else.
    DeviceFrame frame;
    frame.setCommand(cmdIdentity);
    frame.seal();
    if (!device.setFeature(frame.bytes.data(), kReportSize)) return ResultCode::Exchange;
    DeviceFrame reply;
    ResultCode code = awaitReply(reply, [&device](uint8_t* report) {
        return device.getFeature(report, kReportSize) && report[0] == kReportId ? ResultCode::Ok : ResultCode::Exchange;
    });
    if (code == ResultCode::Ok && (reply.command() != kIdentityReply || reply.offset() != 0)) code = ResultCode::Exchange;
    std::array<uint8_t, kIdentityCapacity> raw{};
    if (code == ResultCode::Ok) std::memcpy(raw.data(), reply.data(), std::min<std::size_t>(reply.length(), kFrameData));
    identity = IdentityBlock::fromBytes(raw);
    return code;
}

ResultCode DeviceLink::exchangeFrame(DeviceFrame& frame) {
    ResultCode code = ResultCode::Ok;
    for (int attempt = 0; attempt < kExchangeAttempts; ++attempt) {
        code = exchangeOnce(frame);
        if (code == ResultCode::Ok || code == ResultCode::Busy) return code;
        // Retries belong to the transfer that is under way: the connection
        // poll must not start its own exchanges (and time-outs) in the
        // pauses, or a slow controller multiplies the time a transfer takes.
        pollSkip_ = 2;
        delayMs(host_, kRetryPauseMs);
    }
    return code;
}

ResultCode DeviceLink::readFrame(uint8_t command, uint16_t offset, uint8_t* destination,
                                 std::size_t capacity, std::size_t& count) {
    count = 0;
    if (exchangeBusy_) return ResultCode::Busy;
    if (destination == nullptr) capacity = 0;
    pollSkip_ = 2;

    ResultCode code = ResultCode::Ok;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        if (capacity > 0) std::memset(destination, 0, capacity);
        count = 0;
        DeviceFrame frame;
        frame.setCommand(command);
        frame.setOffset(offset);
        code = exchangeFrame(frame);
        if (code == ResultCode::Busy) return code;
        if (code != ResultCode::Ok) continue;

        const uint8_t reply = frame.command();
        if (reply == statusFailed) {
            code = ResultCode::BadResult;
        } else if (reply == statusRejected) {
            code = ResultCode::BadParameters;
        } else if (reply == statusAccepted) {
            return ResultCode::Ok;   // nothing to read: count 0
        } else if (reply != (command | kWriteFlag) || frame.offset() != offset) {
            code = ResultCode::Exchange;
        } else {
            const std::size_t copied = std::min<std::size_t>(capacity, frame.length());
            if (copied > 0) std::memcpy(destination, frame.data(), copied);   // destination may be null
            count = frame.length();
            return ResultCode::Ok;
        }
    }
    return code;
}

ResultCode DeviceLink::writeFrame(uint8_t command, uint16_t offset, const uint8_t* data,
                                  std::size_t length) {
    if (exchangeBusy_) return ResultCode::Busy;
    pollSkip_ = 2;
    if (length > kFrameData) return ResultCode::BadParameters;

    DeviceFrame frame;
    frame.setCommand(command | kWriteFlag);
    frame.setOffset(offset);
    frame.setLength(static_cast<uint8_t>(length));
    if (data != nullptr && length > 0) std::memcpy(frame.data(), data, length);
    const ResultCode code = exchangeFrame(frame);
    if (code != ResultCode::Ok) return code;

    if (frame.offset() != offset) return ResultCode::Exchange;
    switch (frame.command()) {
    case statusAccepted: return ResultCode::Ok;
    case statusRejected: return ResultCode::BadParameters;
    case statusFailed: return ResultCode::BadResult;
    default: return ResultCode::Exchange;
    }
}

ResultCode DeviceLink::readBlock(uint8_t command, uint16_t offset, uint8_t* destination,
                                 std::size_t length) {
    // A region that runs past the 16-bit offsets would wrap round to offset 0.
    if ((destination == nullptr && length > 0) || !fitsOffsetSpace(offset, length)) return ResultCode::BadParameters;
    uint8_t scratch[kBlockScratch];
    std::size_t done = 0;
    do {
        std::size_t got = 0;
        const ResultCode code =
            readFrame(command, static_cast<uint16_t>(offset + done), scratch, sizeof scratch, got);
        if (code != ResultCode::Ok) return code;
        if (got == 0) break;
        got = std::min(got, length - done);
        host_.progressStep(static_cast<int>(got));
        if (got > 0) std::memcpy(destination + done, scratch, got);
        done += got;
    } while (done < length);
    return done == length ? ResultCode::Ok : ResultCode::Exchange;
}

ResultCode DeviceLink::writeBlock(uint8_t command, uint16_t offset, const uint8_t* data,
                                  std::size_t length, std::size_t chunk, std::size_t* accepted) {
    if (accepted != nullptr) *accepted = 0;
    if (chunk == 0 || !fitsOffsetSpace(offset, length)) return ResultCode::BadParameters;
    std::size_t done = 0;
    std::size_t remaining = length;
    for (;;) {
        const std::size_t n = std::min(remaining, chunk);
        const ResultCode code = writeFrame(command, static_cast<uint16_t>(offset + done),
                                           data != nullptr ? data + done : nullptr, n);
        if (code != ResultCode::Ok) return code;
        if (accepted != nullptr) *accepted = done + n;
        host_.progressStep(static_cast<int>(n));
        if (remaining == n) return ResultCode::Ok;
        remaining -= n;
        done += n;
    }
}

ResultCode DeviceLink::probeController() {
    const ResultCode code = openController();
    if (code != ResultCode::Busy) transport_.closeController();
    return code;
}

ResultCode DeviceLink::openController() {
    if (exchangeBusy_) return ResultCode::Busy;
    exchangeBusy_ = true;
    const ResultCode code = transport_.openController();
    if (code != ResultCode::Ok) logPlatformFailure();
    else loggedFailure_.clear();
    exchangeBusy_ = false;
    return code;
}

void DeviceLink::logPlatformFailure() {
    // The poll searches every 200 ms while the controller is away: a reason
    // that stays the same is told once, until something else happens.
    const std::string& reason = transport_.failureText();
    if (reason.empty() || reason == loggedFailure_ || !host_.exchangeLogOn()) return;
    loggedFailure_ = reason;
    host_.exchangeLogLine(formatText(localized("HID failure: %s"), reason.c_str()));
}

void DeviceLink::logFrame(const char* direction, const DeviceFrame& frame) {
    // Identity frames go out every 200 ms from the connection poll; logging
    // them would bury everything else.
    if (frame.command() == cmdIdentity || frame.command() == kIdentityReply) return;
    if (!host_.exchangeLogOn()) return;
    const uint32_t now = host_.tickMs();
    if (logEpoch_ == 0) logEpoch_ = now != 0 ? now : 1;
    const uint32_t elapsed = now - logEpoch_;
    std::string line = formatText("%6u.%03u %s CMD:%02X OFFSET:%04u LEN:%02u", elapsed / 1000,
                                  elapsed % 1000, direction, frame.command(),
                                  static_cast<unsigned>(frame.offset()), static_cast<unsigned>(frame.length()));
    if (frame.length() != 0) {
        line += " [";
        const std::size_t shown = std::min<std::size_t>(frame.length(), kFrameData);
        line += hexDump(frame.data(), shown);   // 64 bytes at most: the line stays short
        line += " ]";
    }
    host_.exchangeLogLine(line);
}

} // namespace zmt
