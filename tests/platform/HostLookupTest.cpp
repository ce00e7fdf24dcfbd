#include "platform/HostLookup.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "platform/PollPump.h"

namespace kestrin {
namespace {

using namespace std::chrono_literals;

TEST(HostLookup, ResolvesDottedAddressAndLocalNameAndFailsOnInvalid) {
    PollPump pump;
    HostLookup dotted("127.0.0.1"), invalid("no-such-host.invalid"), empty("");
    ASSERT_TRUE(
        pump.runUntil([&] { return dotted.done() && invalid.done() && empty.done(); }, 10000ms));
    ASSERT_EQ(dotted.addresses().size(), 1u);
    EXPECT_EQ(dotted.addresses()[0].s_addr, inet_addr("127.0.0.1"));
    EXPECT_TRUE(invalid.addresses().empty());
    EXPECT_TRUE(empty.addresses().empty());
}

}  // namespace
}  // namespace kestrin
