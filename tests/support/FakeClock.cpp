#include "support/FakeClock.h"

namespace kestrin::test {

FakeClock::FakeClock() : replaced_(&systemClock()) {
    installSystemClock(this);
}

FakeClock::~FakeClock() {
    installSystemClock(replaced_);
}

std::uint32_t FakeClock::tickCount() {
    std::lock_guard lock(mutex_);
    return real_.tickCount() + tickShift_;
}

SystemClock::TimePoint FakeClock::now() {
    std::lock_guard lock(mutex_);
    return frozen_ ? *frozen_ : real_.now() + shift_;
}

bool FakeClock::hasSetTimePrivilege() {
    std::lock_guard lock(mutex_);
    return privilege_;
}

bool FakeClock::setTime(TimePoint time) {
    std::lock_guard lock(mutex_);
    settings_.push_back(time);
    if (!settingAllowed_) return false;
    if (frozen_) {
        frozen_ = time;
    } else {
        shift_ = time - real_.now();
    }
    return true;
}

void FakeClock::freeze(TimePoint time) {
    std::lock_guard lock(mutex_);
    frozen_ = time;
}

void FakeClock::shiftTicks(std::uint32_t ticks) {
    std::lock_guard lock(mutex_);
    tickShift_ += ticks;
}

void FakeClock::grantPrivilege(bool granted) {
    std::lock_guard lock(mutex_);
    privilege_ = granted;
}

void FakeClock::allowSetting(bool allowed) {
    std::lock_guard lock(mutex_);
    settingAllowed_ = allowed;
}

std::vector<SystemClock::TimePoint> FakeClock::settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

}  // namespace kestrin::test
