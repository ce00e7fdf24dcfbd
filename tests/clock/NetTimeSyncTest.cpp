#include "clock/NetTimeSync.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/PollPump.h"
#include "support/FakeClock.h"
#include "support/SntpResponder.h"

namespace kestrin {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;
using test::FakeClock;
using test::SntpAnswer;
using test::SntpResponder;
using TimePoint = SystemClock::TimePoint;

// 2025-06-01 12:00:00.345 UTC; 3957768000 seconds after 1900.
const TimePoint kJune2025 = sys_days{2025y / June / 1} + 12h + 345ms;

struct Report {
    std::string message;
    std::optional<milliseconds> offset;
};

class NetTimeSyncTest : public ::testing::Test {
  protected:
    NetTimeSyncTest() { installMessagePump(&pump_); }
    ~NetTimeSyncTest() override { installMessagePump(nullptr); }

    // A responder whose clock is the fake one, off by `answer.offset`.
    std::unique_ptr<SntpResponder> responder(SntpAnswer answer = {}) {
        return std::make_unique<SntpResponder>(answer, [this] { return clock_.now(); });
    }

    static std::unique_ptr<TVNetTimeSync> syncWith(const SntpResponder& server) {
        auto sync = std::make_unique<TVNetTimeSync>();
        sync->Server = "127.0.0.1";
        sync->ServerPort = server.port();
        sync->LocalPort = 0;  // tests run in parallel
        return sync;
    }

    // Runs `sync` until it has ended and returns what it reported.
    std::vector<Report> run(std::unique_ptr<TVNetTimeSync> sync) {
        std::vector<Report> reports;
        sync->OnStatus = [&](TVNetTimeSync& sender, const std::string& message) {
            reports.push_back({message, sender.measuredOffset()});
        };
        TVNetTimeSync::Sync(std::move(sync));
        EXPECT_TRUE(reports.empty()) << "reported from inside Sync";
        EXPECT_TRUE(pump_.runUntil([] { return TVNetTimeSync::pendingCount() == 0; }, 10s));
        EXPECT_FALSE(pump_.busy()) << "a timer or watch outlived the synchronisation";
        return reports;
    }

    std::string runOnce(std::unique_ptr<TVNetTimeSync> sync) {
        auto reports = run(std::move(sync));
        EXPECT_EQ(reports.size(), 1u);
        return reports.empty() ? "" : reports.front().message;
    }

    PollPump pump_;
    FakeClock clock_;
};

TEST_F(NetTimeSyncTest, SetsTheClockOnlyWhenOffByAtLeastTheAllowableError) {
    struct Case {
        const char* name;
        milliseconds serverAhead;
        int allowable;
        bool privilege;
        bool settingAllowed;
        const char* status;
        bool attemptsSetting;
    };
    const Case cases[] = {
        {"150 ms off", 150ms, 200, true, true, "Allowable Error Range", false},
        {"150 ms ahead", -150ms, 200, true, true, "Allowable Error Range", false},
        {"250 ms off", 250ms, 200, true, true, "Clock Synchronized", true},
        {"250 ms ahead", -250ms, 200, true, true, "Clock Synchronized", true},
        {"exactly the allowable error", 200ms, 200, true, true, "Clock Synchronized", true},
        {"no allowance", 1ms, 0, true, true, "Clock Synchronized", true},
        {"no privilege", 250ms, 200, false, true, "Failed: Privilege Does Not Available", false},
        {"setting refused", 250ms, 200, true, false, "Failed: SetTime API Error", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock;  // a fresh record of settings for each case
        clock.freeze(kJune2025);
        clock.grantPrivilege(c.privilege);
        clock.allowSetting(c.settingAllowed);
        SntpResponder server({.offset = c.serverAhead}, [&] { return clock.now(); });
        auto sync = syncWith(server);
        sync->AllowableError = c.allowable;
        auto reports = run(std::move(sync));
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].message, c.status);
        EXPECT_EQ(reports[0].offset, c.serverAhead);
        auto expected = c.attemptsSetting ? std::vector<TimePoint>{kJune2025 + c.serverAhead}
                                          : std::vector<TimePoint>{};
        EXPECT_EQ(clock.settings(), expected);
    }
}

TEST_F(NetTimeSyncTest, RequestIsAVersion3ClientDatagramStampedWithTheSendTime) {
    clock_.freeze(kJune2025);
    auto server = responder();
    runOnce(syncWith(*server));
    auto requests = server->requests();
    ASSERT_EQ(requests.size(), 1u);
    std::string expected(48, '\0');
    expected[0] = 0x1B;
    // 3957768000 s since 1900 and 345 x 4294967 = 1481763615 as the fraction, big-endian.
    expected.replace(40, 8, "\xEB\xE6\xBF\x40\x58\x51\xEB\x1F", 8);
    EXPECT_EQ(requests[0], expected);
}

TEST_F(NetTimeSyncTest, UnusableRepliesAreInvalidServerEvenInTimeAndBeforeTheTimeOutCheck) {
    struct Case {
        const char* name;
        SntpAnswer answer;
        int timeOut;
    };
    const Case cases[] = {
        {"transmit seconds 0", {.offset = 5s, .zeroTransmitSeconds = true}, 750},
        {"transmit seconds 0, late", {.delay = 300ms, .zeroTransmitSeconds = true}, 200},
        {"47 bytes", {.offset = 5s, .length = 47}, 750},
        {"empty datagram", {.offset = 5s, .length = 0}, 750},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto server = responder(c.answer);
        auto sync = syncWith(*server);
        sync->TimeOut = c.timeOut;
        EXPECT_EQ(runOnce(std::move(sync)), "Failed: Invalid Server");
        EXPECT_EQ(server->answered(), 1);
    }
    EXPECT_TRUE(clock_.settings().empty());
}

TEST_F(NetTimeSyncTest, ReplyAfterTheTimeOutIsReadAndReportedAsTimeOut) {
    auto server = responder({.offset = 5s, .delay = 800ms});
    auto sync = syncWith(*server);
    sync->TimeOut = 750;
    const auto started = steady_clock::now();
    auto reports = run(std::move(sync));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].message, "Failed: Time Out");
    EXPECT_EQ(reports[0].offset, std::nullopt);
    EXPECT_EQ(server->answered(), 1);
    // Reported on the reply, before the give-up timer at twice the time-out.
    EXPECT_LT(steady_clock::now() - started, 1500ms);
    EXPECT_TRUE(clock_.settings().empty());
}

TEST_F(NetTimeSyncTest, NoReplyGivesUpAfterTwiceTheTimeOut) {
    auto server = responder({.silent = true});
    auto sync = syncWith(*server);
    sync->TimeOut = 750;
    const auto started = steady_clock::now();
    EXPECT_EQ(runOnce(std::move(sync)), "Failed: Time Out");
    EXPECT_GE(steady_clock::now() - started, 1500ms);
    EXPECT_EQ(server->requests().size(), 1u);
}

TEST_F(NetTimeSyncTest, TickCountWrappingDuringTheExchangeIsNoTimeOut) {
    clock_.shiftTicks(0u - clock_.tickCount() - 2u);  // wraps 2 ms from now
    auto server = responder({.delay = 30ms});
    EXPECT_EQ(runOnce(syncWith(*server)), "Allowable Error Range");
}

TEST_F(NetTimeSyncTest, DateIn2040IsCarriedInTheSecondNtpEra) {
    const TimePoint march2040 = sys_days{2040y / March / 1} + 9h + 30min;
    clock_.freeze(march2040);
    auto server = responder({.offset = 250ms});
    auto reports = run(syncWith(*server));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].message, "Clock Synchronized");
    EXPECT_EQ(clock_.settings(), std::vector<TimePoint>{march2040 + 250ms});
    // 4423195800 s since 1900, less one era of 2^32 s.
    EXPECT_EQ(server->requests().at(0).substr(40, 4), std::string("\x07\xA4\x9C\x98", 4));
}

TEST_F(NetTimeSyncTest, HostNameIsResolvedBeforeSending) {
    clock_.freeze(kJune2025);
    auto server = responder({.offset = -1s});
    auto sync = syncWith(*server);
    sync->Server = "localhost";
    EXPECT_EQ(runOnce(std::move(sync)), "Clock Synchronized");
    EXPECT_EQ(clock_.settings(), std::vector<TimePoint>{kJune2025 - 1s});
}

TEST_F(NetTimeSyncTest, NameWithoutAddressIsInvalidHostAndSendsNothing) {
    auto server = responder();
    auto sync = syncWith(*server);
    sync->Server = "no-such-host.invalid";
    sync->TimeOut = 5000;
    EXPECT_EQ(runOnce(std::move(sync)), "Failed: Invalid Host");
    EXPECT_TRUE(server->requests().empty());
}

TEST_F(NetTimeSyncTest, LocalPortHeldByAnotherProgramIsPortInUse) {
    int holder = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    socklen_t size = sizeof address;
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), size), 0);
    ASSERT_EQ(getsockname(holder, reinterpret_cast<sockaddr*>(&address), &size), 0);
    auto server = responder();
    auto sync = syncWith(*server);
    sync->LocalPort = ntohs(address.sin_port);
    EXPECT_EQ(runOnce(std::move(sync)), "Failed: Port In Use");
    EXPECT_TRUE(server->requests().empty());
    close(holder);
}

TEST(NtpTimestamp, ConvertsBothWaysAcrossTheEraBoundary) {
    struct Case {
        const char* name;
        TimePoint time;
        std::uint32_t seconds;
        std::uint32_t fraction;
    };
    const Case cases[] = {
        {"1970", sys_days{1970y / January / 1}, 2208988800u, 0},
        {"2025 with milliseconds", kJune2025, 3957768000u, 1481763615u},
        {"last second of era 0", sys_days{2036y / February / 7} + 6h + 28min + 15s, 4294967295u, 0},
        {"first second of era 1", sys_days{2036y / February / 7} + 6h + 28min + 16s, 0, 0},
        {"2040", sys_days{2040y / January / 1} + 500ms, 123010304u, 2147483500u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NtpTimestamp stamp = toNtpTimestamp(c.time);
        EXPECT_EQ(stamp.seconds, c.seconds);
        EXPECT_EQ(stamp.fraction, c.fraction);
        // Read back near our own clock, decades away on either side.
        for (auto near : {c.time, c.time - years(60), c.time + years(60)})
            EXPECT_EQ(fromNtpTimestamp(stamp, near), c.time);
    }
}

TEST(NtpTimestamp, FractionBelowAWholeSecondMayCarryIntoTheSeconds) {
    const TimePoint second = sys_days{2025y / June / 1};
    NtpTimestamp stamp = toNtpTimestamp(second);
    EXPECT_EQ(fromNtpTimestamp({stamp.seconds, 0xFFFFFFFFu}, second), second + 1s);
    EXPECT_EQ(fromNtpTimestamp({stamp.seconds, 4294966999u}, second), second + 999ms);
}

}  // namespace
}  // namespace kestrin
