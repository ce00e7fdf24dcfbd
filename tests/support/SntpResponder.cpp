#include "support/SntpResponder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace kestrin::test {

namespace {

using namespace std::chrono;

constexpr std::int64_t kSecondsFrom1900To1970 = 2208988800;

// Written by hand rather than with the client's own conversion, so that a fault there is not
// mirrored here: seconds since 1900 (modulo 2^32) and milliseconds x 4294967.
void putStamp(std::string& packet, std::size_t at, system_clock::time_point time) {
    auto millis = floor<milliseconds>(time.time_since_epoch()).count();
    auto seconds = static_cast<std::uint32_t>(millis / 1000 + kSecondsFrom1900To1970);
    auto fraction = static_cast<std::uint32_t>(millis % 1000) * 4294967u;
    for (int i = 0; i < 4; ++i) {
        packet[at + i] = static_cast<char>(seconds >> (24 - 8 * i));
        packet[at + 4 + i] = static_cast<char>(fraction >> (24 - 8 * i));
    }
}

}  // namespace

SntpResponder::SntpResponder(SntpAnswer answer, TimeSource source)
    : answer_(answer), source_(std::move(source)) {
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("SntpResponder: cannot bind a UDP port on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

SntpResponder::~SntpResponder() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    stopping_.notify_all();
    thread_.join();
    ::close(socket_);
}

std::vector<std::string> SntpResponder::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool SntpResponder::pause(milliseconds delay) {
    std::unique_lock lock(mutex_);
    return !stopping_.wait_for(lock, delay, [this] { return stop_; });
}

void SntpResponder::serve() {
    while (pause(milliseconds(0))) {
        pollfd ready{socket_, POLLIN, 0};
        if (::poll(&ready, 1, 10) <= 0) continue;
        char buffer[512];
        sockaddr_in client{};
        socklen_t size = sizeof client;
        ssize_t length = ::recvfrom(socket_, buffer, sizeof buffer, 0,
                                    reinterpret_cast<sockaddr*>(&client), &size);
        if (length < 0) continue;
        const auto received = source_() + answer_.offset;
        std::string request(buffer, length);
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        if (answer_.silent || !pause(answer_.delay)) continue;
        std::string reply = answerTo(request, received);
        ++answered_;  // counted first: the client may end and ask before sendto returns
        ::sendto(socket_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&client),
                 size);
    }
}

std::string SntpResponder::answerTo(const std::string& request, system_clock::time_point received) {
    std::string reply(48, '\0');
    reply[0] = 0x1C;  // leap indicator 0, version 3, mode 4 (server)
    reply[1] = 2;     // stratum
    if (request.size() >= 48) reply.replace(24, 8, request, 40, 8);  // originate = their transmit
    putStamp(reply, 32, received);
    putStamp(reply, 40, source_() + answer_.offset);
    if (answer_.zeroTransmitSeconds) reply.replace(40, 4, 4, '\0');
    reply.resize(answer_.length);
    return reply;
}

}  // namespace kestrin::test
