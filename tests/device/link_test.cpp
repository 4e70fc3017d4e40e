// The command protocol: frames byte for byte, replies and their checks,
// retries and time-outs on the virtual clock, block transfers, the exchange
// log, and refusal of an exchange nested inside another.
#include "device/commands.h"
#include "device/device_link.h"
#include "lang/lang.h"
#include "scripted_backend.h"
#include "sim_rig.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace zmt::test {
namespace {

Report fromHex(std::initializer_list<uint8_t> head, uint8_t check) {
    Report r{};
    std::copy(head.begin(), head.end(), r.begin());
    r[69] = check;
    return r;
}

TEST(FrameCheck, ShiftsOncePerByte) {
    const uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(frameCheck(abc, 3), 0x04);
    EXPECT_EQ(frameCheck(abc, 0), 0x00);
}

TEST(ResultText, BothLanguagesAndUnknownCodes) {
    EXPECT_EQ(resultText(ResultCode::Disconnected), "Контроллер отключен");
    // A value that is none of the codes (nothing makes one) still says its number.
    EXPECT_EQ(resultText(static_cast<ResultCode>(40)), "Неизвестная ошибка USB: 40");
    EXPECT_EQ(resultText(ResultCode::NoHold), "Контроллер нельзя закрепить за этой программой");
    setLanguage("en");
    EXPECT_EQ(resultText(ResultCode::Timeout), "Out of the timeout response");
    EXPECT_EQ(resultText(ResultCode::BadParameters), "Error in parameters");
    EXPECT_EQ(resultText(ResultCode::Several), "Several controllers are connected: choose one");
    EXPECT_EQ(resultText(ResultCode::NoHold), "The controller cannot be held for this program");
    EXPECT_EQ(resultText(ResultCode::SameSerial), "Several controllers carry the same serial number");
    EXPECT_EQ(resultText(static_cast<ResultCode>(40)), "Unknown error USB: 40");
    EXPECT_EQ(resultText(static_cast<ResultCode>(-1)), "Unknown error USB: -1");
    setLanguage("ru");
}

class ScriptedLink : public ::testing::Test {
protected:
    VirtualHost host;
    ScriptedBackend backend;
    HidTransport transport{backend};
    DeviceLink link{host, transport};
    void SetUp() override { backend.devices.resize(1); }
};

TEST_F(ScriptedLink, RequestsAreBuiltByteForByte) {
    std::array<uint8_t, 65> identity{};
    std::size_t count = 0;
    ASSERT_EQ(link.readFrame(cmdIdentity, 0, identity.data(), identity.size(), count), ResultCode::Ok);
    const uint8_t one = 0x02;
    ASSERT_EQ(link.writeFrame(cmdConfigMemory, 967, &one, 1), ResultCode::Ok);
    ASSERT_EQ(backend.sent.size(), 2u);
    EXPECT_EQ(backend.sent[0], fromHex({0x01, 0x01, 0x00, 0x00, 0x00}, 0x3A));
    EXPECT_EQ(backend.sent[1], fromHex({0x01, 0x90, 0xC7, 0x03, 0x01, 0x02}, 0x05));
}

TEST_F(ScriptedLink, OversizedWriteIsRefusedUnsent) {
    std::array<uint8_t, 65> data{};
    EXPECT_EQ(link.writeFrame(cmdConfigMemory, 0, data.data(), 65), ResultCode::BadParameters);
    EXPECT_EQ(link.writeBlock(cmdConfigMemory, 0, data.data(), 65, 0), ResultCode::BadParameters);
    EXPECT_EQ(link.writeBlock(cmdConfigMemory, 0xFFF0, data.data(), 64), ResultCode::BadParameters)
        << "would wrap round to offset 0";
    EXPECT_TRUE(backend.sent.empty());
}

TEST_F(ScriptedLink, WriteBlockSplitsIntoChunksAndEmptyWriteSendsOneFrame) {
    std::vector<uint8_t> image(979);
    std::iota(image.begin(), image.end(), 0);
    ASSERT_EQ(link.writeBlock(cmdConfigMemory, 0, image.data(), image.size()), ResultCode::Ok);
    ASSERT_EQ(backend.sent.size(), 16u);
    for (std::size_t i = 0; i < 16; ++i) {
        DeviceFrame f;
        f.bytes = backend.sent[i];
        EXPECT_EQ(f.offset(), i * 64);
        EXPECT_EQ(f.length(), i < 15 ? 64 : 19);
        EXPECT_EQ(f.data()[0], static_cast<uint8_t>(i * 64));
    }
    backend.sent.clear();
    ASSERT_EQ(link.writeBlock(cmdReset, 0, nullptr, 0), ResultCode::Ok);
    ASSERT_EQ(backend.sent.size(), 1u);
    EXPECT_EQ(backend.sent[0][1], 0x83);
    EXPECT_EQ(backend.sent[0][4], 0);
}

// The command layer: each typed call goes out with its own command byte,
// direction and offset, in the frames its region needs.
TEST_F(ScriptedLink, EachTypedCommandSendsItsOwnCodeDirectionAndOffset) {
    std::array<uint8_t, 979> buffer{};
    std::array<uint8_t, 128> firmware{};
    std::size_t count = 0;
    struct Case {
        const char* name;
        std::function<ResultCode()> call;
        uint8_t command;   // as sent, with the write flag
        uint16_t offset;   // of the first frame
        std::size_t frames;
    };
    const Case cases[] = {
        {"identity", [&] { return commands::readIdentity(link, buffer.data(), 65, count); }, 0x01, 0, 1},
        {"device log", [&] { return commands::readDeviceLogRecord(link, buffer.data(), 64, count); }, 0x05, 0, 1},
        {"key levels", [&] { return commands::readKeyLevels(link, buffer.data(), 4); }, 0x12, 0, 1},
        {"IR code", [&] { return commands::readIrCode(link, buffer.data(), 8); }, 0x13, 0, 1},
        {"touch memory", [&] { return commands::readTouchMemory(link, 0, buffer.data(), 10); }, 0x11, 0, 1},
        {"touch state", [&] { return commands::readTouchMemoryFrame(link, 1, buffer.data(), 1, count); }, 0x11, 1, 1},
        {"touch option", [&] { return commands::writeTouchMemory(link, 0, buffer.data(), 1); }, 0x91, 0, 1},
        {"configuration read", [&] { return commands::readConfigMemory(link, 0, buffer.data(), 979); }, 0x10, 0, 16},
        {"configuration write", [&] { return commands::writeConfigMemory(link, 967, buffer.data(), 12); }, 0x90, 967,
         1},
        {"learning's end", [&] { return commands::writeConfigMemory(link, 0, nullptr, 0); }, 0x90, 0, 1},
        {"restart", [&] { return commands::restart(link); }, 0x83, 0, 1},
        {"defaults", [&] { return commands::restoreDefaults(link); }, 0x84, 0, 1},
        {"firmware frame", [&] { return commands::writeFirmwareFrame(link, firmware.data()); }, 0x82, 0, 1},
        {"firmware data", [&] { return commands::writeFirmwareData(link, firmware.data(), 128); }, 0x82, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        backend.sent.clear();
        ASSERT_EQ(c.call(), ResultCode::Ok);
        ASSERT_EQ(backend.sent.size(), c.frames);
        for (const Report& sent : backend.sent) EXPECT_EQ(sent[1], c.command);
        DeviceFrame first;
        first.bytes = backend.sent.front();
        EXPECT_EQ(first.offset(), c.offset);
    }
}

TEST_F(ScriptedLink, ReadCopiesUpToCapacityButCountsTheWholeReply) {
    backend.respond = [](const Report& rq) {
        Report r = acceptingReply(rq);
        r[4] = 40;
        r[69] = frameCheck(r.data() + 1, 68);
        return r;
    };
    std::array<uint8_t, 40> dest;
    dest.fill(0xEE);
    std::size_t count = 0;
    ASSERT_EQ(link.readFrame(cmdConfigMemory, 0, dest.data(), 34, count), ResultCode::Ok);
    EXPECT_EQ(count, 40u);
    EXPECT_EQ(dest[33], 33);
    EXPECT_EQ(dest[34], 0xEE) << "nothing beyond the capacity is touched";

    // Only the count wanted: no destination at all.
    count = 0;
    ASSERT_EQ(link.readFrame(cmdConfigMemory, 0, nullptr, 0, count), ResultCode::Ok);
    EXPECT_EQ(count, 40u);
}

TEST_F(ScriptedLink, MalformedRepliesAreRetriedThenReported) {
    int requests = 0;
    backend.respond = [&](const Report& rq) {
        ++requests;
        Report r = acceptingReply(rq);
        r[4] = 65;   // a length no frame can carry
        r[69] = frameCheck(r.data() + 1, 68);
        return r;
    };
    host.logOn = true;
    std::size_t count = 0;
    uint8_t dest[64];
    EXPECT_EQ(link.readFrame(cmdConfigMemory, 0, dest, sizeof dest, count), ResultCode::Exchange);
    EXPECT_EQ(requests, 10) << "5 exchanges per attempt, 2 attempts";
    // Its log line lists no more than the 64 bytes a frame holds.
    ASSERT_EQ(host.memo.size(), 20u);
    const std::string& reply = host.memo[1];
    const std::size_t open = reply.find("LEN:65 [");
    ASSERT_NE(open, std::string::npos) << reply;
    std::string listed;
    for (int i = 0; i < 64; ++i) listed += formatText(" %02X", i);
    EXPECT_EQ(reply.substr(open + 8), listed + " ]");
}

TEST_F(ScriptedLink, WriteReplyWithoutStatusIsNotRetried) {
    backend.respond = [](const Report& rq) {
        DeviceFrame f;
        f.bytes = rq;
        f.setCommand(0x90);   // an echo, not a status
        f.seal();
        return f.bytes;
    };
    const uint8_t one = 1;
    EXPECT_EQ(link.writeFrame(cmdConfigMemory, 0, &one, 1), ResultCode::Exchange);
    EXPECT_EQ(backend.sent.size(), 1u);
}

TEST_F(ScriptedLink, ExchangeLogLineFormat) {
    host.logOn = true;
    const uint8_t one = 0x02;
    ASSERT_EQ(link.writeFrame(cmdConfigMemory, 0, nullptr, 0), ResultCode::Ok);   // sets the epoch
    host.memo.clear();
    host.advance(1234);
    ASSERT_EQ(link.writeFrame(cmdConfigMemory, 967, &one, 1), ResultCode::Ok);
    ASSERT_EQ(host.memo.size(), 2u);
    EXPECT_EQ(host.memo[0], "     1.234 > CMD:90 OFFSET:0967 LEN:01 [ 02 ]");
    EXPECT_EQ(host.memo[1], "     1.234 < CMD:FF OFFSET:0967 LEN:00");
}

TEST_F(ScriptedLink, IdentityFramesNeverReachTheLogAndNothingWhenSwitchedOff) {
    std::array<uint8_t, 65> identity{};
    std::size_t count = 0;
    host.logOn = true;
    ASSERT_EQ(link.readFrame(cmdIdentity, 0, identity.data(), identity.size(), count), ResultCode::Ok);
    EXPECT_TRUE(host.memo.empty());
    host.logOn = false;
    ASSERT_EQ(link.readFrame(cmdIrCode, 0, identity.data(), 4, count), ResultCode::Ok);
    EXPECT_TRUE(host.memo.empty());
    host.logOn = true;
    ASSERT_EQ(link.readFrame(cmdIrCode, 0, identity.data(), 4, count), ResultCode::Ok);
    ASSERT_EQ(host.memo.size(), 2u);
    EXPECT_EQ(host.memo[1].substr(11, 28), "< CMD:93 OFFSET:0000 LEN:64 ");
}

// --- against the simulated controller, on the virtual clock ---

class SimLink : public ::testing::Test {
protected:
    SimRig rig;
    sim::Faults& faults() { return rig.controller->faults; }
};

TEST_F(SimLink, SilentControllerCostsFiveTimeoutsPerAttempt) {
    faults().noReply = true;
    const uint8_t one = 1;
    uint32_t start = rig.host.now;
    EXPECT_EQ(rig.link.writeFrame(cmdConfigMemory, 0, &one, 1), ResultCode::Timeout);
    EXPECT_NEAR(rig.host.now - start, 5250, 20);

    start = rig.host.now;
    uint8_t dest[4];
    std::size_t count = 0;
    EXPECT_EQ(rig.link.readFrame(cmdIrCode, 0, dest, 4, count), ResultCode::Timeout);
    EXPECT_NEAR(rig.host.now - start, 10500, 40);
}

TEST_F(SimLink, TheConnectionPollStaysAwayWhileAFrameIsRetried) {
    // The watch's timer: it lets pollSkip ticks pass, otherwise it would poll.
    int polls = 0;
    rig.host.startTimer(200, [this, &polls] {
        if (rig.link.pollSkip() != 0) rig.link.setPollSkip(rig.link.pollSkip() - 1);
        else ++polls;
    });
    faults().replyDelayMs = 1010;   // every attempt times out
    uint8_t dest[4];
    std::size_t count = 0;
    EXPECT_EQ(rig.link.readFrame(cmdKeyLevels, 0, dest, 4, count), ResultCode::Timeout);
    EXPECT_EQ(polls, 0) << "a poll ran in the retry pauses";
}

TEST_F(SimLink, SlowReplyWithinTheTimeoutArrives) {
    faults().replyDelayMs = 700;
    uint8_t dest[4];
    std::size_t count = 0;
    const uint32_t start = rig.host.now;
    EXPECT_EQ(rig.link.readFrame(cmdKeyLevels, 0, dest, 4, count), ResultCode::Ok);
    EXPECT_GE(rig.host.now - start, 700u);
    EXPECT_LT(rig.host.now - start, 710u) << "the reply is taken as soon as it is ready";
    EXPECT_EQ(rig.controller->requestsHandled(), 1u);
}

TEST_F(SimLink, UnpluggedControllerGivesDisconnectedAfterTheRetryPauses) {
    uint8_t dest[4];
    std::size_t count = 0;
    ASSERT_EQ(rig.link.readFrame(cmdIrCode, 0, dest, 4, count), ResultCode::Ok);
    rig.backend.unplug(*rig.port);
    const uint32_t start = rig.host.now;
    const uint8_t one = 1;
    EXPECT_EQ(rig.link.writeFrame(cmdConfigMemory, 0, &one, 1), ResultCode::Disconnected);
    EXPECT_NEAR(rig.host.now - start, 250, 10);
    EXPECT_FALSE(rig.transport.isOpen());
}

TEST_F(SimLink, StatusRepliesToReads) {
    uint8_t dest[34];
    std::size_t count = 99;
    // An empty device log answers "accepted, nothing": 0 with count 0 ...
    EXPECT_EQ(rig.link.readFrame(cmdDeviceLog, 0, dest, sizeof dest, count), ResultCode::Ok);
    EXPECT_EQ(count, 0u);
    // ... which makes a region read come up short.
    EXPECT_EQ(rig.link.readBlock(cmdDeviceLog, 0, dest, 10), ResultCode::Exchange);

    faults().forceStatus = statusRejected;
    const std::size_t before = rig.controller->requestsHandled();
    EXPECT_EQ(rig.link.readFrame(cmdConfigMemory, 0, dest, sizeof dest, count), ResultCode::BadParameters);
    EXPECT_EQ(rig.controller->requestsHandled() - before, 2u);
    faults().forceStatus = statusFailed;
    EXPECT_EQ(rig.link.writeFrame(cmdConfigMemory, 0, dest, 1), ResultCode::BadResult);
}

TEST_F(SimLink, WrongReplyIsRetriedOnceForReadsAndNotForWrites) {
    uint8_t dest[64];
    std::size_t count = 0;
    faults().wrongOffset = true;
    EXPECT_EQ(rig.link.readFrame(cmdConfigMemory, 0, dest, sizeof dest, count), ResultCode::Exchange);
    EXPECT_EQ(rig.controller->requestsHandled(), 2u);
    EXPECT_EQ(rig.link.writeFrame(cmdConfigMemory, 0, dest, 1), ResultCode::Exchange);
    EXPECT_EQ(rig.controller->requestsHandled(), 3u);
    faults().wrongOffset = false;
    faults().wrongCommand = true;
    EXPECT_EQ(rig.link.readFrame(cmdConfigMemory, 0, dest, sizeof dest, count), ResultCode::Exchange);
    faults().wrongCommand = false;
    faults().corruptCheck = true;
    EXPECT_EQ(rig.link.readFrame(cmdConfigMemory, 0, dest, sizeof dest, count), ResultCode::Exchange);
    faults().corruptCheck = false;
    faults().wrongReportId = true;
    EXPECT_EQ(rig.link.readFrame(cmdConfigMemory, 0, dest, sizeof dest, count), ResultCode::Exchange);
    EXPECT_FALSE(rig.transport.isOpen());
}

TEST_F(SimLink, ReadBlockTakesOnlyWhatIsWantedAndStepsProgress) {
    rig.controller->state.config[5] = 0x42;
    std::array<uint8_t, 12> dest;
    dest.fill(0xEE);
    ASSERT_EQ(rig.link.readBlock(cmdConfigMemory, 0, dest.data(), 10), ResultCode::Ok);
    EXPECT_EQ(dest[5], 0x42);
    EXPECT_EQ(dest[10], 0xEE);

    // 16 steps a few milliseconds apart: the gauge is drawn at its start,
    // at most every kProgressEventsMs between, and full at the end.
    rig.host.progressStart(979, "reading");
    const uint32_t start = rig.host.now;
    std::array<uint8_t, 979> image{};
    ASSERT_EQ(rig.link.readBlock(cmdConfigMemory, 0, image.data(), image.size()), ResultCode::Ok);
    EXPECT_EQ(image, rig.controller->state.config);
    EXPECT_EQ(rig.host.gauge().position, 979);
    ASSERT_GE(rig.host.gaugeHistory.size(), 2u);
    EXPECT_EQ(rig.host.gaugeHistory.back().position, 979);
    EXPECT_LE(rig.host.gaugeHistory.size(), 2u + (rig.host.now - start) / kProgressEventsMs);
    EXPECT_LT(rig.host.gaugeHistory.size(), 1u + 16u);
}

TEST_F(SimLink, BlockWriteLandsInTheControllerMemory) {
    std::vector<uint8_t> image(979);
    std::iota(image.begin(), image.end(), 7);
    ASSERT_EQ(rig.link.writeBlock(cmdConfigMemory, 0, image.data(), image.size()), ResultCode::Ok);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), rig.controller->state.config.begin()));
    EXPECT_EQ(rig.link.pollSkip(), 2);
}

TEST_F(SimLink, ProbeOpensAndClosesWithoutSending) {
    EXPECT_EQ(rig.link.probeController(), ResultCode::Ok);
    EXPECT_FALSE(rig.transport.isOpen());
    EXPECT_EQ(rig.backend.counters().transfers, 0u);
    rig.backend.unplug(*rig.port);
    EXPECT_EQ(rig.link.probeController(), ResultCode::Disconnected);
}

// A timer handler that talks to the controller while the link lets events run.
class NestedExchange : public SimLink {
protected:
    std::vector<ResultCode> nestedResults;
    std::vector<std::size_t> requestsSentByNested;
    bool inside = false;
    void armNestedReader() {
        // Like every window timer that talks to the controller, it does not
        // re-enter itself while its own exchange lets events run.
        rig.host.startTimer(1, [this] {
            if (inside) return;
            inside = true;
            uint8_t dest[4];
            std::size_t count = 0;
            const std::size_t before = rig.controller->requestsHandled();
            nestedResults.push_back(rig.link.readFrame(cmdKeyLevels, 0, dest, 4, count));
            requestsSentByNested.push_back(rig.controller->requestsHandled() - before);
            inside = false;
        });
    }
};

TEST_F(NestedExchange, InsideAnExchangeItIsRefusedAtOnceAndSendsNothing) {
    // A failed fetch lets events run while the exchange is still under way.
    faults().failFetch = true;
    armNestedReader();
    const uint8_t one = 1;
    EXPECT_EQ(rig.link.writeFrame(cmdConfigMemory, 0, &one, 1), ResultCode::Exchange);
    ASSERT_FALSE(nestedResults.empty());
    // Refused inside the exchanges; the ones run in the pauses between
    // exchanges found the fetch failing too, each making its own whole tries.
    EXPECT_NE(std::count(nestedResults.begin(), nestedResults.end(), ResultCode::Busy), 0);
    for (std::size_t i = 0; i < nestedResults.size(); ++i) {
        EXPECT_TRUE(nestedResults[i] == ResultCode::Busy || nestedResults[i] == ResultCode::Exchange) << static_cast<int>(nestedResults[i]);
        if (nestedResults[i] == ResultCode::Busy) {
            EXPECT_EQ(requestsSentByNested[i], 0u);
        }
    }
    EXPECT_FALSE(rig.link.exchangeBusy());
}

TEST_F(NestedExchange, BetweenFramesItRunsWholeAndTheOuterTransferCompletes) {
    // Block transfers let events run after every chunk: the nested read is a
    // whole exchange of its own and the outer block still arrives intact.
    armNestedReader();
    rig.host.progressStart(979, "writing");
    std::vector<uint8_t> image(979, 0x5A);
    ASSERT_EQ(rig.link.writeBlock(cmdConfigMemory, 0, image.data(), image.size()), ResultCode::Ok);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), rig.controller->state.config.begin()));
    ASSERT_FALSE(nestedResults.empty());
    for (ResultCode code : nestedResults) EXPECT_EQ(code, ResultCode::Ok);
}

} // namespace
} // namespace zmt::test
