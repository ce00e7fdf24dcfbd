#include "platform/PollPump.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace kestrin {

namespace {
PollPump& defaultPump() {
    static PollPump pump;
    return pump;
}
MessagePump* installedPump = nullptr;
}  // namespace

MessagePump& messagePump() {
    return installedPump ? *installedPump : defaultPump();
}

void installMessagePump(MessagePump* pump) {
    installedPump = pump;
}

void PollPump::processMessages() {
    dispatch(std::chrono::milliseconds(0));
}

MessagePump::Handle PollPump::startTimer(std::chrono::milliseconds delay, Callback callback,
                                         bool repeat) {
    Handle handle = nextHandle_++;
    timers_[handle] = Timer{Clock::now() + delay, delay, repeat, std::move(callback)};
    return handle;
}

void PollPump::stopTimer(Handle timer) {
    timers_.erase(timer);
}

MessagePump::Handle PollPump::watchReadable(int fd, Callback callback) {
    Handle handle = nextHandle_++;
    watches_[handle] = Watch{fd, std::move(callback)};
    return handle;
}

void PollPump::unwatch(Handle watch) {
    watches_.erase(watch);
}

void PollPump::post(Callback callback) {
    posted_.push_back(std::move(callback));
}

bool PollPump::busy() const {
    return !timers_.empty() || !watches_.empty() || !posted_.empty();
}

void PollPump::waitOnce(std::chrono::milliseconds limit) {
    auto wait = limit;
    if (!posted_.empty()) wait = std::chrono::milliseconds(0);
    for (const auto& [handle, timer] : timers_) {
        auto untilDue = std::chrono::ceil<std::chrono::milliseconds>(timer.due - Clock::now());
        wait = std::clamp(untilDue, std::chrono::milliseconds(0), wait);
    }
    dispatch(wait);
}

bool PollPump::runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (left <= std::chrono::milliseconds(0)) return done();
        waitOnce(std::min(left, std::chrono::milliseconds(10)));
    }
    return true;
}

void PollPump::dispatch(std::chrono::milliseconds wait) {
    std::vector<pollfd> fds;
    std::vector<Handle> handles;
    for (const auto& [handle, watch] : watches_) {
        fds.push_back(pollfd{watch.fd, POLLIN, 0});
        handles.push_back(handle);
    }
    int ready = ::poll(fds.data(), fds.size(), static_cast<int>(wait.count()));
    if (ready > 0) {
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            // A callback may unwatch others (or itself): look the watch up again.
            auto found = watches_.find(handles[i]);
            if (found == watches_.end()) continue;
            Callback callback = found->second.callback;
            callback();
        }
    }
    runDueTimers();
    runPosted();
}

void PollPump::runDueTimers() {
    const auto now = Clock::now();
    std::vector<Handle> due;
    for (const auto& [handle, timer] : timers_) {
        if (timer.due <= now) due.push_back(handle);
    }
    for (Handle handle : due) {
        auto found = timers_.find(handle);
        if (found == timers_.end()) continue;  // stopped by an earlier callback
        Callback callback = found->second.callback;
        if (found->second.repeat) {
            found->second.due = now + found->second.interval;
        } else {
            timers_.erase(found);
        }
        callback();
    }
}

void PollPump::runPosted() {
    std::vector<Callback> calls;
    calls.swap(posted_);
    for (auto& call : calls)
        call();
}

}  // namespace kestrin
