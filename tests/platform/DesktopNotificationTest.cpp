#include "platform/DesktopNotification.h"

#include <gtest/gtest.h>

#include "support/NotificationService.h"
#include "support/RealServers.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::NotificationService;
using test::SessionBus;

DesktopNotification sample(const std::string& body) {
    return {"Kestrin 2001", "example.kestrin.Kestrin", "example.kestrin.Kestrin", "Kestrin 2001",
            body};
}

TEST(DesktopNotification, ReachesTheServerOfThePrivateSessionBus) {
    if (auto why = SessionBus::unavailable(); !why.empty()) GTEST_SKIP() << why;
    struct Case {
        bool markup;
        std::string body;
        std::string received;
    };
    for (const Case& c : std::vector<Case>{
             {true, "A & B <b>", "A &amp; B &lt;b&gt;"},  // a mark-up server gets escaped text
             {false, "A & B <b>", "A & B <b>"},
             {false, "broken \xE6\x97 end", "broken \xEF\xBF\xBD\xEF\xBF\xBD end"},
         }) {
        test::TempEnvironment environment;
        SessionBus bus(environment.runtime() / "bus");
        NotificationService service(bus.address(), c.markup);

        EXPECT_EQ(sendDesktopNotification(sample(c.body)), 1u);
        EXPECT_EQ(sendDesktopNotification(sample("second")), 2u);

        const auto received = service.received();
        ASSERT_EQ(received.size(), 2u);
        EXPECT_EQ(received[0].appName, "Kestrin 2001");
        EXPECT_EQ(received[0].replacesId, 0u);
        EXPECT_EQ(received[0].icon, "example.kestrin.Kestrin");
        EXPECT_EQ(received[0].summary, "Kestrin 2001");
        EXPECT_EQ(received[0].body, c.received);
        EXPECT_TRUE(received[0].actions.empty());
        EXPECT_EQ(received[0].hints,
                  (std::map<std::string, std::string>{{"desktop-entry", "example.kestrin.Kestrin"},
                                                      {"urgency", "1"}}));
        EXPECT_EQ(received[0].expireTimeout, -1);
    }
}

TEST(DesktopNotification, NoBusOrNoServerIsAnError) {
    if (auto why = SessionBus::unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::TempEnvironment environment;  // its bus address names a socket nobody listens on
    try {
        sendDesktopNotification(sample("body"));
        ADD_FAILURE() << "sent without a bus";
    } catch (const ENotificationError& error) {
        EXPECT_NE(std::string(error.what()).find("no session bus at unix:path="), std::string::npos)
            << error.what();
    }

    SessionBus bus(environment.runtime() / "bus");  // a bus without a notification server
    try {
        sendDesktopNotification(sample("body"));
        ADD_FAILURE() << "sent without a server";
    } catch (const ENotificationError& error) {
        EXPECT_NE(std::string(error.what()).find("no notification server"), std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace kestrin
