#include <gtest/gtest.h>

#include "support/CliRunner.h"
#include "support/HttpTestServer.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using namespace std::chrono_literals;
using test::HttpReply;

TEST(GetCommand, WritesHeaderToStderrAndBodyToStdoutOrFile) {
    test::HttpTestServer server;
    server.serve(
        "/page.html",
        HttpReply::ok("<p>hello</p>").header("Last-Modified", "Sat, 01 Dec 2001 10:00:00 GMT"));
    test::TempFolder folder;

    auto result = test::runCli({"get", server.url("/page.html")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "<p>hello</p>");
    EXPECT_EQ(result.err,
              "HTTP/1.0 200 OK\r\nLast-Modified: Sat, 01 Dec 2001 10:00:00 GMT\r\n"
              "Content-Length: 12\r\n");

    result = test::runCli({"get", server.url("/page.html"), "-o", (folder / "page.html").string()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(test::readFile(folder / "page.html"), "<p>hello</p>");

    result = test::runCli({"get", "--head", server.url("/page.html")});
    EXPECT_EQ(result.status, 0);
    ASSERT_TRUE(server.waitForRequests(3, 1s));
    EXPECT_EQ(server.requests()[2].substr(0, 24), "HEAD /page.html HTTP/1.0");
}

TEST(GetCommand, GoesThroughTheProxyWithItsOptions) {
    test::HttpTestServer proxy;
    proxy.serve("/a.txt", HttpReply::ok("via proxy"));
    const auto result = test::runCli({"get", "http://www.example.com/a.txt", "--proxy",
                                      "127.0.0.1:" + std::to_string(proxy.port()), "--proxy-user",
                                      "user:pass", "--no-cache"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "via proxy");
    ASSERT_TRUE(proxy.waitForRequests(1, 1s));
    const std::string request = proxy.requests()[0];
    EXPECT_EQ(request.substr(0, 41), "GET http://www.example.com/a.txt HTTP/1.0");
    EXPECT_NE(request.find("Connection: close\r\nPragma: no-cache\r\n"
                           "Proxy-Authorization: Basic dXNlcjpwYXNz\r\n\r\n"),
              std::string::npos);
}

TEST(GetCommand, FailuresExitNonZeroWithTheMessage) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"get", "https://www.example.com/"},
         1,
         "kestrin-cli get: HTTP Secure Socket is not supported\n"},
        {{"get"}, 2, "kestrin-cli get: no URL\n"},
        {{"get", "http://h/", "--proxy", "nohost"},
         2,
         "kestrin-cli get: --proxy wants HOST:PORT, not 'nohost'\n"},
        {{"get", "http://h/", "-o"}, 2, "kestrin-cli get: -o needs a value\n"},
    };
    for (const auto& c : cases) {
        const auto result = test::runCli(c.arguments);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err.substr(0, c.message.size()), c.message);
        EXPECT_EQ(result.out, "");
    }
}

}  // namespace
}  // namespace kestrin
