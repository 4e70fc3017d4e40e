#pragma once
// The command protocol over the transport: frame exchanges with time-out and
// retries, single frames, whole regions in chunks, the probe, and the exchange
// log. One DeviceLink owns the protocol state (exchange in progress, poll skip
// count, log epoch) and is handed to everyone who talks to the controller.
//
// Re-entry: waits here let the host process events, so a timer handler can
// start an operation in the middle of another one. Operations may interleave
// between whole frames. An exchange that starts while another one is under
// way can only be running inside that exchange's event processing; it could
// never wait for the one beneath it (that one resumes only when the nested
// call returns), so it is refused at once with ResultCode::Busy, without retries or
// pauses, and nothing is sent.
#include "device/host.h"
#include "device/hid_transport.h"
#include "device/identity.h"
#include "device/protocol.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace zmt {

class DeviceLink {
public:
    DeviceLink(Host& host, HidTransport& transport) : host_(host), transport_(transport) {
        transport_.setIdentify([this](HidDevice& device, IdentityBlock& identity) {
            return identifyOpened(device, identity);
        });
    }
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // One read request at offset; copies min(capacity, reply length) bytes
    // into destination (zeroed first) and reports the reply length in count.
    // Status 0xFF gives Ok with count 0. Two attempts.
    ResultCode readFrame(uint8_t command, uint16_t offset, uint8_t* destination,
                         std::size_t capacity, std::size_t& count);
    // One write request of up to 64 bytes (data may be null: zeros).
    // More than 64: ResultCode::BadParameters and nothing is sent.
    ResultCode writeFrame(uint8_t command, uint16_t offset, const uint8_t* data, std::size_t length);
    // A whole region, frame by frame, each chunk stepping the progress gauge.
    // A short region gives ResultCode::Exchange with what arrived left in destination.
    ResultCode readBlock(uint8_t command, uint16_t offset, uint8_t* destination, std::size_t length);
    // A whole region in frames of `chunk` bytes (64 everywhere in the
    // program); length 0 sends one empty frame.
    // accepted, when given, counts the bytes of the frames the controller
    // confirmed, so that a write cut part-way can say how far it got.
    ResultCode writeBlock(uint8_t command, uint16_t offset, const uint8_t* data,
                          std::size_t length, std::size_t chunk = kFrameData, std::size_t* accepted = nullptr);
    // Opens and closes the controller without sending anything.
    ResultCode probeController();
    // The probe without its close: the handle stays for the exchange that
    // follows, which would otherwise search the bus and open it again.
    ResultCode openController();

    // One request and its reply (1000 ms time-out, tight reply poll); the
    // frame is replaced by the reply on success.
    ResultCode exchangeOnce(DeviceFrame& frame);
    // exchangeOnce up to 5 times with a 50 ms pause after each failure.
    ResultCode exchangeFrame(DeviceFrame& frame);
    // The identity of a controller over a handle the transport has just
    // opened (what its search and listing ask each controller): one request,
    // its reply within the time-out, no retries, nothing logged.
    ResultCode identifyOpened(HidDevice& device, IdentityBlock& identity);
    // Writes one exchange-log line for a frame (">" sent, "<" received).
    void logFrame(const char* direction, const DeviceFrame& frame);
    // Writes the platform's reason for the transport failure just met to the
    // exchange log (a refused access is explained elsewhere, not here).
    void logPlatformFailure();

    // True while a frame exchange or the probe is under way. The window's
    // message box checks it: a box opened inside an exchange must not wait.
    bool exchangeBusy() const { return exchangeBusy_; }
    // Poll ticks the connection watch lets pass; every frame sets it to 2.
    int pollSkip() const { return pollSkip_; }
    void setPollSkip(int ticks) { pollSkip_ = ticks; }

    Host& host() { return host_; }
    HidTransport& transport() { return transport_; }

private:
    // Polls for the reply to the request just sent, through receive, until
    // one arrives or kReplyTimeoutMs passes; checks its length and check byte.
    ResultCode awaitReply(DeviceFrame& reply, const std::function<ResultCode(uint8_t*)>& receive);

    Host& host_;
    HidTransport& transport_;
    bool exchangeBusy_ = false;
    int pollSkip_ = 0;
    uint32_t logEpoch_ = 0;   // tick of the first logged frame; 0 = not yet
    std::string loggedFailure_;   // the last platform failure logged
};

} // namespace zmt
