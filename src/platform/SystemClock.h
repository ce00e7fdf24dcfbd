#pragma once
// The system time stand-in: tick count, the current time and setting the clock. Tests inject a
// fake clock; no test ever sets the real one.

#include <chrono>
#include <cstdint>

namespace kestrin {

class SystemClock {
  public:
    using TimePoint = std::chrono::system_clock::time_point;

    virtual ~SystemClock() = default;
    // Milliseconds since an arbitrary start, wrapping at 2^32 like the Windows tick count.
    virtual std::uint32_t tickCount() = 0;
    // The current time (UTC; shown in local time by whoever formats it).
    virtual TimePoint now() = 0;
    // Whether this process may set the clock (CAP_SYS_TIME effective).
    virtual bool hasSetTimePrivilege() = 0;
    // Sets the clock; false when the system refuses.
    virtual bool setTime(TimePoint time) = 0;
};

// The real clock: CLOCK_MONOTONIC ticks, CLOCK_REALTIME time, clock_settime.
class RealSystemClock : public SystemClock {
  public:
    std::uint32_t tickCount() override;
    TimePoint now() override;
    bool hasSetTimePrivilege() override;
    bool setTime(TimePoint time) override;
};

// The clock in use; the real one until another is installed.
SystemClock& systemClock();
// Installs `clock` (not owned); nullptr goes back to the real clock.
void installSystemClock(SystemClock* clock);

}  // namespace kestrin
