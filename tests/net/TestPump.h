#pragma once
// A message pump for the client tests: installed for its lifetime, it notes when each turn
// happens and runs the test's action on every turn (a Cancel click, for instance). Timers and
// watches go to a PollPump underneath.

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <vector>

#include "platform/PollPump.h"

namespace kestrin {

class TestPump : public MessagePump {
  public:
    using Clock = std::chrono::steady_clock;

    TestPump() { installMessagePump(this); }
    ~TestPump() override { installMessagePump(nullptr); }

    // A moment of this thread: the clock, and how long the thread has so far waited, ready to
    // run, for a processor (the kernel's run-queue time). The difference of two moments less
    // the run-queue time between them is how long the thread could have run: a busy machine
    // delays a turn, but not in that measure.
    struct Moment {
        Clock::time_point at;
        std::chrono::nanoseconds runQueue;
    };
    static Moment now() {
        std::ifstream stat("/proc/thread-self/schedstat");
        long long running = 0, waiting = 0;
        stat >> running >> waiting;
        return {Clock::now(), std::chrono::nanoseconds(waiting)};
    }

    void processMessages() override {
        turns.push_back(now());
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

    // The times the thread could have run between `start`, each turn and `end`, in order.
    std::vector<std::chrono::microseconds> gaps(Moment start, Moment end) const {
        std::vector<std::chrono::microseconds> all;
        auto last = start;
        auto measure = [&](const Moment& next) {
            auto gap = (next.at - last.at) - (next.runQueue - last.runQueue);
            all.push_back(std::chrono::duration_cast<std::chrono::microseconds>(gap));
            last = next;
        };
        for (const auto& turn : turns)
            measure(turn);
        measure(end);
        return all;
    }

    std::function<void()> onTurn;
    std::vector<Moment> turns;

  private:
    PollPump inner_;
};

}  // namespace kestrin
