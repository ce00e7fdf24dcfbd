#include "clock/NetTimeSync.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/HostLookup.h"

namespace kestrin {

using namespace std::chrono;

namespace {

constexpr std::int64_t kSecondsFrom1900To1970 = 2208988800;
constexpr std::int64_t kEraSeconds = std::int64_t(1) << 32;
constexpr std::uint32_t kFractionPerMillisecond = 4294967;
constexpr unsigned char kClientRequest = 0x1B;  // leap indicator 0, version 3, mode 3 (client)
constexpr std::size_t kReceiveStampOffset = 32;
constexpr std::size_t kTransmitStampOffset = 40;
constexpr milliseconds kLookupPollInterval{2};

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
    std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

std::uint32_t readBigEndian(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
           std::uint32_t(bytes[2]) << 8 | std::uint32_t(bytes[3]);
}

void writeBigEndian(unsigned char* bytes, std::uint32_t value) {
    for (int i = 3; i >= 0; --i, value >>= 8)
        bytes[i] = static_cast<unsigned char>(value);
}

NtpTimestamp readStamp(const unsigned char* bytes) {
    return NtpTimestamp{readBigEndian(bytes), readBigEndian(bytes + 4)};
}

std::array<unsigned char, TVNetTimeSync::kPacketSize> buildRequest(SystemClock::TimePoint now) {
    std::array<unsigned char, TVNetTimeSync::kPacketSize> request{};
    request[0] = kClientRequest;
    NtpTimestamp stamp = toNtpTimestamp(now);
    writeBigEndian(&request[kTransmitStampOffset], stamp.seconds);
    writeBigEndian(&request[kTransmitStampOffset + 4], stamp.fraction);
    return request;
}

// The synchronisations under way: each one is owned here from Sync until the pump turn after
// its last report.
std::vector<std::unique_ptr<TVNetTimeSync>>& pending() {
    static std::vector<std::unique_ptr<TVNetTimeSync>> all;
    return all;
}

std::unique_ptr<TVNetTimeSync> takePending(TVNetTimeSync* sync) {
    auto& all = pending();
    auto found = std::find_if(all.begin(), all.end(),
                              [sync](const auto& held) { return held.get() == sync; });
    std::unique_ptr<TVNetTimeSync> taken = std::move(*found);
    all.erase(found);
    return taken;
}

}  // namespace

NtpTimestamp toNtpTimestamp(SystemClock::TimePoint time) {
    auto sinceEpoch = floor<milliseconds>(time.time_since_epoch());
    auto wholeSeconds = floor<seconds>(sinceEpoch);
    auto millis = (sinceEpoch - wholeSeconds).count();
    return NtpTimestamp{static_cast<std::uint32_t>(wholeSeconds.count() + kSecondsFrom1900To1970),
                        static_cast<std::uint32_t>(millis) * kFractionPerMillisecond};
}

SystemClock::TimePoint fromNtpTimestamp(NtpTimestamp stamp, SystemClock::TimePoint near) {
    std::int64_t nearSeconds =
        floor<seconds>(near.time_since_epoch()).count() + kSecondsFrom1900To1970;
    std::int64_t since1900 = stamp.seconds;
    since1900 += floorDiv(nearSeconds - since1900 + kEraSeconds / 2, kEraSeconds) * kEraSeconds;
    // The fraction may give 1000 ms; adding it as a duration carries into the seconds.
    return SystemClock::TimePoint(seconds(since1900 - kSecondsFrom1900To1970) +
                                  milliseconds(stamp.fraction / kFractionPerMillisecond));
}

TVNetTimeSync::TVNetTimeSync() = default;

TVNetTimeSync::~TVNetTimeSync() {
    closeSocket();
}

void TVNetTimeSync::Sync(std::unique_ptr<TVNetTimeSync> sync) {
    TVNetTimeSync& started = *sync;
    pending().push_back(std::move(sync));
    started.start();
}

std::size_t TVNetTimeSync::pendingCount() {
    return pending().size();
}

void TVNetTimeSync::start() {
    // The give-up timer also bounds a host lookup that never ends.
    auto giveUpAfter = milliseconds(2 * std::int64_t(std::max(0, TimeOut)));
    giveUpTimer_ = messagePump().startTimer(giveUpAfter, [this] { finish(ntpstatus::kTimeOut); });
    if (!openSocket()) return;
    in_addr address{};
    if (inet_pton(AF_INET, Server.c_str(), &address) == 1) {
        send(address);
        return;
    }
    lookup_ = std::make_unique<HostLookup>(Server);
    lookupTimer_ = messagePump().startTimer(
        kLookupPollInterval, [this] { pollLookup(); }, true);
}

bool TVNetTimeSync::openSocket() {
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket_ < 0) {
        finish(ntpstatus::kSocketError);
        return false;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(LocalPort);
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        finish(errno == EADDRINUSE ? ntpstatus::kPortInUse : ntpstatus::kSocketError);
        return false;
    }
    return true;
}

void TVNetTimeSync::pollLookup() {
    if (!lookup_->done()) return;
    messagePump().stopTimer(lookupTimer_);
    lookupTimer_ = 0;
    auto addresses = lookup_->addresses();
    lookup_.reset();
    if (addresses.empty()) {
        finish(ntpstatus::kInvalidHost);
        return;
    }
    send(addresses.front());
}

void TVNetTimeSync::send(in_addr address) {
    // Connected, the socket takes datagrams from the server only.
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_addr = address;
    server.sin_port = htons(ServerPort);
    if (::connect(socket_, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
        finish(ntpstatus::kSocketError);
        return;
    }
    // Stamped right before it leaves, so that a slow host lookup does not count as delay.
    SystemClock& clock = systemClock();
    t1_ = clock.now();
    auto request = buildRequest(t1_);
    sendTick_ = clock.tickCount();
    if (::send(socket_, request.data(), request.size(), 0) != ssize_t(request.size())) {
        finish(ntpstatus::kSocketError);
        return;
    }
    readWatch_ = messagePump().watchReadable(socket_, [this] { receive(); });
}

void TVNetTimeSync::receive() {
    std::array<unsigned char, 512> datagram{};
    ssize_t length = ::recv(socket_, datagram.data(), datagram.size(), 0);
    // An error here (the server's port refusing, a spurious wake) leaves the reply to come or
    // the give-up timer to end the wait.
    if (length < 0) return;
    std::array<unsigned char, kPacketSize> reply{};
    std::copy_n(datagram.begin(), std::min<std::size_t>(length, kPacketSize), reply.begin());
    finish(evaluate(reply, std::size_t(length)));
}

std::string TVNetTimeSync::evaluate(const std::array<unsigned char, kPacketSize>& reply,
                                    std::size_t length) {
    SystemClock& clock = systemClock();
    const auto t4 = clock.now();
    const NtpTimestamp transmit = readStamp(&reply[kTransmitStampOffset]);
    if (length < kPacketSize || transmit.seconds == 0) return ntpstatus::kInvalidServer;
    if (std::uint32_t(clock.tickCount() - sendTick_) > std::uint32_t(std::max(0, TimeOut))) {
        return ntpstatus::kTimeOut;
    }
    const auto t2 = fromNtpTimestamp(readStamp(&reply[kReceiveStampOffset]), t1_);
    const auto t3 = fromNtpTimestamp(transmit, t1_);
    // The round trip less the server's own processing time; half of it is the way back.
    const auto delay = (t4 - t1_) - (t3 - t2);
    const auto newTime = t3 + delay / 2;
    const auto difference = newTime - clock.now();
    offset_ = round<milliseconds>(difference);
    if (abs(difference) < milliseconds(AllowableError)) return ntpstatus::kAllowableErrorRange;
    return setClock(newTime);
}

std::string TVNetTimeSync::setClock(SystemClock::TimePoint time) {
    SystemClock& clock = systemClock();
    if (!clock.hasSetTimePrivilege()) return ntpstatus::kPrivilegeNotAvailable;
    return clock.setTime(time) ? ntpstatus::kClockSynchronized : ntpstatus::kSetTimeApiError;
}

// Releases the socket, timers and lookup at once, and reports `message` from the next pump
// turn (never from inside Sync); the object is freed when that report returns.
void TVNetTimeSync::finish(const std::string& message) {
    if (finished_) return;
    finished_ = true;
    MessagePump& pump = messagePump();
    if (giveUpTimer_) pump.stopTimer(giveUpTimer_);
    if (lookupTimer_) pump.stopTimer(lookupTimer_);
    if (readWatch_) pump.unwatch(readWatch_);
    closeSocket();
    lookup_.reset();  // an unfinished lookup is abandoned; its thread ends alone
    pump.post([this, message] {
        std::unique_ptr<TVNetTimeSync> self = takePending(this);
        if (OnStatus) OnStatus(*this, message);
    });
}

void TVNetTimeSync::closeSocket() {
    if (socket_ < 0) return;
    ::close(socket_);
    socket_ = -1;
}

}  // namespace kestrin
