#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/CliRunner.h"
#include "support/SntpResponder.h"

namespace kestrin {
namespace {

using namespace std::chrono_literals;
using test::runCli;
using test::SntpAnswer;
using test::SntpResponder;

// The server is this machine's clock, shifted; the command must never set the clock here.
test::CliResult sntp(const SntpResponder& server, std::vector<std::string> options = {}) {
    std::vector<std::string> arguments = {"sntp", "127.0.0.1:" + std::to_string(server.port()),
                                          "--local-port", "0"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return runCli(arguments);
}

long long reportedOffset(const std::string& out) {
    long long offset = 0;
    EXPECT_EQ(std::sscanf(out.c_str(), "offset: %lld ms", &offset), 1) << out;
    return offset;
}

TEST(SntpCommand, ReportsTheOffsetAndWhatItWouldDoWithoutSettingTheClock) {
    SntpResponder server({.offset = 5s});
    auto result = sntp(server);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NEAR(reportedOffset(result.out), 5000, 50);
    EXPECT_NE(result.out.find("\nwould set the clock to "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("; not set without --set\n"), std::string::npos) << result.out;
}

TEST(SntpCommand, SmallOffsetIsWithinTheAllowableError) {
    SntpResponder server({.offset = 100ms});
    auto result = sntp(server, {"--allowable", "1000"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NEAR(reportedOffset(result.out), 100, 50);
    EXPECT_NE(result.out.find("\nAllowable Error Range\n"), std::string::npos) << result.out;
}

TEST(SntpCommand, NoReplyFailsWithTheStatusText) {
    SntpResponder server({.silent = true});
    auto result = sntp(server, {"--timeout", "100"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "kestrin-cli sntp: Failed: Time Out\n");
}

TEST(SntpCommand, BadArgumentsAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"sntp"},
        {"sntp", ":123"},
        {"sntp", "127.0.0.1:65536"},
        {"sntp", "127.0.0.1:x"},
        {"sntp", "127.0.0.1", "--timeout", "-5"},
        {"sntp", "127.0.0.1", "--allowable"},
        {"sntp", "127.0.0.1", "--bogus"},
        {"sntp", "127.0.0.1", "127.0.0.2"},
    };
    for (const auto& arguments : cases) {
        auto result = runCli(arguments);
        EXPECT_EQ(result.status, 2) << arguments.back();
        EXPECT_NE(result.err.find("usage: kestrin-cli sntp SERVER[:PORT]"), std::string::npos)
            << result.err;
    }
}

}  // namespace
}  // namespace kestrin
