#include "platform/PollPump.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

namespace kestrin {
namespace {

using namespace std::chrono_literals;

TEST(PollPump, TimersFireInOrderAndRepeatUntilStopped) {
    PollPump pump;
    std::vector<int> fired;
    pump.startTimer(30ms, [&] { fired.push_back(2); });
    pump.startTimer(5ms, [&] { fired.push_back(1); });
    int repeats = 0;
    MessagePump::Handle repeating = 0;
    repeating = pump.startTimer(
        2ms,
        [&] {
            if (++repeats == 3) pump.stopTimer(repeating);
        },
        true);
    EXPECT_TRUE(pump.runUntil([&] { return fired.size() == 2 && repeats == 3; }, 1000ms));
    EXPECT_EQ(fired, (std::vector<int>{1, 2}));
    pump.runUntil([] { return false; }, 20ms);
    EXPECT_EQ(repeats, 3);
    EXPECT_FALSE(pump.busy());
}

TEST(PollPump, ReadableDescriptorCallsItsWatchAndPostRunsLater) {
    PollPump pump;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::string got;
    MessagePump::Handle watch = pump.watchReadable(fds[0], [&] {
        char c;
        if (read(fds[0], &c, 1) == 1) got += c;
        pump.post([&] { pump.unwatch(watch); });
    });
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    EXPECT_TRUE(pump.runUntil([&] { return !pump.busy(); }, 1000ms));
    EXPECT_EQ(got, "x");
    close(fds[0]);
    close(fds[1]);
}

}  // namespace
}  // namespace kestrin
