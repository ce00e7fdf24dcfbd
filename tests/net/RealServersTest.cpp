// The client against the servers users meet: nginx serving files, tinyproxy with Basic
// authentication, both started on 127.0.0.1 for the test.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "net/Conventions.h"
#include "net/NMHTTP.h"
#include "support/RealServers.h"

namespace kestrin {
namespace {

#define REQUIRE_SERVER(Server) \
    if (auto why = Server::unavailable(); !why.empty()) GTEST_SKIP() << why

constexpr std::uint64_t kBigFile = 100'000'000;

TNMHTTP& prepared(TNMHTTP& http, const ProxySettings& proxy = {}) {
    prepareClient(http);
    useProxy(http, proxy);
    http.OnAboutToSend = [&http, proxy] { setClosingHeaders(http.sendHeaders(), proxy); };
    return http;
}

void setModified(const std::filesystem::path& file, time_t when) {
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST(Nginx, ServesLastModifiedContentLengthAnd404) {
    REQUIRE_SERVER(test::NginxServer);
    test::NginxServer nginx;
    nginx.addFile("page.html", "<html><title>t</title></html>");
    setModified(nginx.root() / "page.html", 1007200800);
    TNMHTTP http;
    prepared(http);
    int failures = 0;
    http.OnFailure = [&](HttpCommand command) { failures += command == HttpCommand::Get; };

    http.Head(nginx.url("/page.html"));
    EXPECT_EQ(http.replyNumber(), 200);
    EXPECT_NE(http.Header.find("\r\nLast-Modified: Sat, 01 Dec 2001 10:00:00 GMT\r\n"),
              std::string::npos);
    EXPECT_EQ(http.bytesTotal(), 29);

    http.Get(nginx.url("/page.html"));
    EXPECT_EQ(http.Body, "<html><title>t</title></html>");
    EXPECT_EQ(http.bytesReceived(), 29);

    http.Get(nginx.url("/missing.html"));
    EXPECT_EQ(http.replyNumber(), 404);
    EXPECT_NE(http.Body.find("404"), std::string::npos);
    EXPECT_EQ(failures, 1);
}

TEST(Nginx, DownloadsALargeFileIntoMemoryAndIntoAFile) {
    REQUIRE_SERVER(test::NginxServer);
    test::NginxServer nginx;
    nginx.addSparseFile("big.bin", kBigFile);
    TNMHTTP http;
    prepared(http);

    http.Get(nginx.url("/big.bin"));
    EXPECT_EQ(http.bytesTotal(), static_cast<std::int64_t>(kBigFile));
    EXPECT_EQ(http.bytesReceived(), static_cast<std::int64_t>(kBigFile));
    ASSERT_EQ(http.Body.size(), kBigFile);
    EXPECT_TRUE(std::all_of(http.Body.begin(), http.Body.end(), [](char c) { return c == 0; }));

    test::TempFolder folder;
    http.InputFileMode = true;
    http.Body = (folder / "big.bin").string();
    http.Get(nginx.url("/big.bin"));
    EXPECT_EQ(std::filesystem::file_size(folder / "big.bin"), kBigFile);
}

TEST(Tinyproxy, FetchesWithTheRightCredentialsOnly) {
    REQUIRE_SERVER(test::NginxServer);
    REQUIRE_SERVER(test::TinyproxyServer);
    test::NginxServer nginx;
    nginx.addFile("info.txt", "through the proxy");
    test::TinyproxyServer tinyproxy("kestrin", "s3cret");
    // tinyproxy answers a missing Proxy-Authorization with 407 and a wrong one with 401.
    struct Case {
        bool authenticate;
        std::string password;
        int reply;
        std::vector<std::string> events;
    } cases[] = {
        {true, "s3cret", 200, {"Success"}},
        {false, "", 407, {"Failure"}},
        {true, "wrong", 401, {"Failure", "AuthenticationNeeded"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        TNMHTTP http;
        prepared(http, ProxySettings{true, "127.0.0.1", tinyproxy.port(), c.authenticate, "kestrin",
                                     c.password, true});
        std::vector<std::string> events;
        http.OnSuccess = [&](HttpCommand) { events.push_back("Success"); };
        http.OnFailure = [&](HttpCommand) { events.push_back("Failure"); };
        http.OnAuthenticationNeeded = [&] { events.push_back("AuthenticationNeeded"); };
        http.Get(nginx.url("/info.txt"));
        EXPECT_EQ(http.replyNumber(), c.reply);
        EXPECT_EQ(events, c.events);
        if (c.reply == 200) {
            EXPECT_EQ(http.Body, "through the proxy");
        }
    }
}

}  // namespace
}  // namespace kestrin
