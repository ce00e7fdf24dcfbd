#pragma once
// An SNTP server on 127.0.0.1 (a free port) for tests. It answers every client request from
// its own thread the way it is told: with a chosen clock offset, after a delay, with transmit
// seconds 0, with a short datagram, or not at all. It records the requests it got.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrin::test {

struct SntpAnswer {
    std::chrono::milliseconds offset{0};  // the server's time: the time source's time + offset
    std::chrono::milliseconds delay{0};   // waits this long between receiving and answering
    bool zeroTransmitSeconds = false;
    std::size_t length = 48;  // fewer bytes send a cut datagram
    bool silent = false;      // records the request and never answers
};

class SntpResponder {
  public:
    using TimeSource = std::function<std::chrono::system_clock::time_point()>;

    explicit SntpResponder(
        SntpAnswer answer = {},
        TimeSource source = [] { return std::chrono::system_clock::now(); });
    ~SntpResponder();
    SntpResponder(const SntpResponder&) = delete;
    SntpResponder& operator=(const SntpResponder&) = delete;

    std::uint16_t port() const { return port_; }
    std::vector<std::string> requests() const;
    int answered() const { return answered_; }

  private:
    void serve();
    // Waits `delay` unless the responder is stopping; false when it is.
    bool pause(std::chrono::milliseconds delay);
    std::string answerTo(const std::string& request,
                         std::chrono::system_clock::time_point received);

    SntpAnswer answer_;
    TimeSource source_;
    int socket_ = -1;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable stopping_;
    bool stop_ = false;
    std::vector<std::string> requests_;
    std::atomic<int> answered_{0};
    std::thread thread_;
};

}  // namespace kestrin::test
