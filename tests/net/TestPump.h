#pragma once
// A message pump for the client tests: installed for its lifetime, it notes when each turn
// happens and runs the test's action on every turn (a Cancel click, for instance). Timers and
// watches go to a PollPump underneath.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

#include "platform/PollPump.h"

namespace kestrin {

class TestPump : public MessagePump {
  public:
    using Clock = std::chrono::steady_clock;

    TestPump() { installMessagePump(this); }
    ~TestPump() override { installMessagePump(nullptr); }

    void processMessages() override {
        turns.push_back(Clock::now());
        if (onTurn) onTurn();
        inner_.processMessages();
    }
    Handle startTimer(std::chrono::milliseconds delay, Callback callback, bool repeat) override {
        return inner_.startTimer(delay, std::move(callback), repeat);
    }
    void stopTimer(Handle timer) override { inner_.stopTimer(timer); }
    Handle watchReadable(int fd, Callback callback) override {
        return inner_.watchReadable(fd, std::move(callback));
    }
    void unwatch(Handle watch) override { inner_.unwatch(watch); }
    void post(Callback callback) override { inner_.post(std::move(callback)); }

    // Runs `action` on the first turn at least `delay` after this call.
    void after(std::chrono::milliseconds delay, std::function<void()> action) {
        const auto due = Clock::now() + delay;
        onTurn = [due, action = std::move(action), done = false]() mutable {
            if (done || Clock::now() < due) return;
            done = true;
            action();
        };
    }

    // The longest time between `start`, the turns and `end`.
    std::chrono::milliseconds longestGap(Clock::time_point start, Clock::time_point end) const {
        auto gap = Clock::duration::zero();
        auto last = start;
        for (auto turn : turns) {
            gap = std::max(gap, turn - last);
            last = turn;
        }
        gap = std::max(gap, end - last);
        return std::chrono::duration_cast<std::chrono::milliseconds>(gap);
    }

    std::function<void()> onTurn;
    std::vector<Clock::time_point> turns;

  private:
    PollPump inner_;
};

}  // namespace kestrin
