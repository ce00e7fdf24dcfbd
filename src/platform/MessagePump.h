#pragma once
// The message pump seam: network waits call processMessages() every few milliseconds so that
// the window stays alive and Cancel works; timers and socket readiness go through it too.
// The windows install a Qt pump; the command line and the core tests use PollPump.

#include <chrono>
#include <cstdint>
#include <functional>

namespace kestrin {

class MessagePump {
  public:
    using Callback = std::function<void()>;
    using Handle = std::uint64_t;

    virtual ~MessagePump() = default;

    // Handles what is pending (window events, due timers, readable sockets, posted calls)
    // without blocking.
    virtual void processMessages() = 0;

    // Calls `callback` from the pump after `delay`; again every `delay` when `repeat`.
    virtual Handle startTimer(std::chrono::milliseconds delay, Callback callback,
                              bool repeat = false) = 0;
    virtual void stopTimer(Handle timer) = 0;

    // Calls `callback` from the pump whenever `fd` has data to read.
    virtual Handle watchReadable(int fd, Callback callback) = 0;
    virtual void unwatch(Handle watch) = 0;

    // Calls `callback` once from a later turn of the pump: lets an object end itself after its
    // last report without deleting itself from inside its own call stack.
    virtual void post(Callback callback) = 0;
};

// The pump in use. Until one is installed, a process-wide PollPump serves.
MessagePump& messagePump();
// Installs `pump` (not owned); nullptr goes back to the default PollPump.
void installMessagePump(MessagePump* pump);

}  // namespace kestrin
