#pragma once
// A message pump without a window: timers, readable descriptors and posted calls served by
// poll(). Used by kestrin-cli and the core tests.

#include <map>
#include <vector>

#include "platform/MessagePump.h"

namespace kestrin {

class PollPump : public MessagePump {
  public:
    void processMessages() override;
    Handle startTimer(std::chrono::milliseconds delay, Callback callback,
                      bool repeat = false) override;
    void stopTimer(Handle timer) override;
    Handle watchReadable(int fd, Callback callback) override;
    void unwatch(Handle watch) override;
    void post(Callback callback) override;

    // Waits at most `limit` for something to happen (a descriptor, the next timer, a post) and
    // handles it.
    void waitOnce(std::chrono::milliseconds limit);

    // Pumps until `done()` holds or `limit` has passed; returns done().
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

    // True while any timer, watch or posted call is outstanding.
    bool busy() const;

  private:
    using Clock = std::chrono::steady_clock;
    struct Timer {
        Clock::time_point due;
        std::chrono::milliseconds interval;
        bool repeat;
        Callback callback;
    };
    struct Watch {
        int fd;
        Callback callback;
    };

    void dispatch(std::chrono::milliseconds wait);
    void runDueTimers();
    void runPosted();

    Handle nextHandle_ = 1;
    std::map<Handle, Timer> timers_;
    std::map<Handle, Watch> watches_;
    std::vector<Callback> posted_;
};

}  // namespace kestrin
