#pragma once
// A system clock for tests: it installs itself while it lives (and puts back the clock it
// replaced when it ends), lets the test freeze the time or shift the tick count, grants or
// refuses the right to set the time, and records every setting instead of touching the real
// clock.

#include <mutex>
#include <optional>
#include <vector>

#include "platform/SystemClock.h"

namespace kestrin::test {

class FakeClock : public SystemClock {
  public:
    // Follows the real time and ticks until told otherwise.
    FakeClock();
    ~FakeClock() override;
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    std::uint32_t tickCount() override;
    TimePoint now() override;
    bool hasSetTimePrivilege() override;
    // Records `time`; when allowed, the fake time moves there as a real clock's would.
    bool setTime(TimePoint time) override;

    // now() returns `time` until the next freeze or setting.
    void freeze(TimePoint time);
    // Adds `ticks` to every tick count from now on (to make the count wrap during a test).
    void shiftTicks(std::uint32_t ticks);
    void grantPrivilege(bool granted);
    void allowSetting(bool allowed);
    std::vector<TimePoint> settings() const;

  private:
    mutable std::mutex mutex_;
    SystemClock* replaced_;
    RealSystemClock real_;
    std::optional<TimePoint> frozen_;
    TimePoint::duration shift_{};
    std::uint32_t tickShift_ = 0;
    bool privilege_ = true;
    bool settingAllowed_ = true;
    std::vector<TimePoint> settings_;
};

}  // namespace kestrin::test
