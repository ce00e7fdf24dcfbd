#include "platform/SystemClock.h"

#include <time.h>

#include <fstream>
#include <string>

namespace kestrin {

namespace {
SystemClock* installedClock = nullptr;
constexpr int kCapSysTime = 25;  // bit of CAP_SYS_TIME in the capability masks
}  // namespace

SystemClock& systemClock() {
    static RealSystemClock real;
    return installedClock ? *installedClock : real;
}

void installSystemClock(SystemClock* clock) {
    installedClock = clock;
}

std::uint32_t RealSystemClock::tickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
              static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

SystemClock::TimePoint RealSystemClock::now() {
    return std::chrono::system_clock::now();
}

bool RealSystemClock::hasSetTimePrivilege() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapEff:", 0) != 0) continue;
        auto mask = std::stoull(line.substr(7), nullptr, 16);
        return (mask >> kCapSysTime) & 1u;
    }
    return false;
}

bool RealSystemClock::setTime(TimePoint time) {
    auto since = time.time_since_epoch();
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(since - seconds);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(seconds.count());
    ts.tv_nsec = static_cast<long>(nanos.count());
    return clock_settime(CLOCK_REALTIME, &ts) == 0;
}

}  // namespace kestrin
