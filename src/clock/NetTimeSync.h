#pragma once
// The SNTP client: one request to a time server, and the clock set from its answer when it is
// off by at least the allowable error.
//
// A synchronisation is a short-lived object that ends itself: the caller configures it, hands
// it to Sync and keeps no reference. Its one result arrives later through OnStatus, from the
// message pump; the object is freed as that report returns.

#include <netinet/in.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/MessagePump.h"
#include "platform/SystemClock.h"

namespace kestrin {

class HostLookup;

// The texts OnStatus reports (the window shows them after "NTP: ").
namespace ntpstatus {
inline constexpr const char* kInvalidServer = "Failed: Invalid Server";
inline constexpr const char* kTimeOut = "Failed: Time Out";
inline constexpr const char* kAllowableErrorRange = "Allowable Error Range";
inline constexpr const char* kClockSynchronized = "Clock Synchronized";
inline constexpr const char* kSetTimeApiError = "Failed: SetTime API Error";
inline constexpr const char* kPrivilegeNotAvailable = "Failed: Privilege Does Not Available";
inline constexpr const char* kInvalidHost = "Failed: Invalid Host";
inline constexpr const char* kPortInUse = "Failed: Port In Use";
inline constexpr const char* kSocketError = "Failed: Socket Error";
}  // namespace ntpstatus

// A timestamp as it travels: whole seconds since 1900-01-01 00:00 UTC, modulo 2^32 (so from
// 2036-02-07 06:28:16 UTC on the count starts again at 0), and milliseconds x 4294967 as the
// fraction.
struct NtpTimestamp {
    std::uint32_t seconds = 0;
    std::uint32_t fraction = 0;
};

NtpTimestamp toNtpTimestamp(SystemClock::TimePoint time);
// The seconds field names one instant in every 136-year era; the one meant is the one nearest
// to `near` (our own clock), which holds as long as our clock is within 68 years of the truth.
SystemClock::TimePoint fromNtpTimestamp(NtpTimestamp stamp, SystemClock::TimePoint near);

class TVNetTimeSync {
  public:
    using StatusEvent = std::function<void(TVNetTimeSync& sender, const std::string& message)>;

    static constexpr std::size_t kPacketSize = 48;

    std::string Server = "ntp.nict.jp";
    std::uint16_t ServerPort = 123;
    std::uint16_t LocalPort = 11922;  // 0: any free port
    int TimeOut = 500;                // ms from sending to the reply
    int AllowableError = 200;         // ms; smaller differences are left alone
    StatusEvent OnStatus;

    TVNetTimeSync();
    ~TVNetTimeSync();
    TVNetTimeSync(const TVNetTimeSync&) = delete;
    TVNetTimeSync& operator=(const TVNetTimeSync&) = delete;

    // Starts the synchronisation and takes the object over until it has ended.
    static void Sync(std::unique_ptr<TVNetTimeSync> sync);
    // Synchronisations started and not yet ended.
    static std::size_t pendingCount();

    // How far our clock is behind the server (negative: ahead), once a reply arrived in time.
    std::optional<std::chrono::milliseconds> measuredOffset() const { return offset_; }

  private:
    void start();
    bool openSocket();
    void pollLookup();
    void send(in_addr address);
    void receive();
    std::string evaluate(const std::array<unsigned char, kPacketSize>& reply, std::size_t length);
    std::string setClock(SystemClock::TimePoint time);
    void finish(const std::string& message);
    void closeSocket();

    int socket_ = -1;
    std::unique_ptr<HostLookup> lookup_;
    MessagePump::Handle lookupTimer_ = 0;
    MessagePump::Handle giveUpTimer_ = 0;
    MessagePump::Handle readWatch_ = 0;
    std::uint32_t sendTick_ = 0;
    SystemClock::TimePoint t1_;
    std::optional<std::chrono::milliseconds> offset_;
    bool finished_ = false;
};

}  // namespace kestrin
