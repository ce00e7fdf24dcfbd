// Servers that send too much, nonsense or nothing: every transfer ends with a clear error
// within the client's limits (or when the user cancels it), and a check run goes on with the
// next item.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "catalogue/AuthorCheckRun.h"
#include "catalogue/CatalogueFixture.h"
#include "define/DefineEngine.h"
#include "net/NMHTTP.h"
#include "platform/Dialogs.h"
#include "platform/PollPump.h"
#include "support/CliRunner.h"
#include "support/HttpTestServer.h"
#include "support/TempEnvironment.h"

namespace fs = std::filesystem;

namespace kestrin {
namespace {

using namespace std::chrono_literals;
using test::HttpReply;
using test::HttpTestServer;

struct Hostile {
    std::string name;
    HttpReply reply;
    std::string error;  // what the client raises
};

HttpReply endless(std::string start, std::string repeat) {
    HttpReply reply = HttpReply::rawBytes(std::move(start));
    reply.repeat = std::move(repeat);
    return reply;
}

// The servers that end by themselves, each in its own way; the client must stop them.
std::vector<Hostile> hostileServers() {
    return {
        {"endless header",
         endless("HTTP/1.0 200 OK\r\n", "X-Filler: " + std::string(90, 'f') + "\r\n"),
         "Response header too large"},
        {"endless header line", endless("HTTP/1.0 200 OK\r\nX-Line: ", std::string(4096, 'h')),
         "Response header too large"},
        {"endless status line", endless("HTTP/1.0 200 ", std::string(4096, 's')),
         "Response header too large"},
        {"endless body",
         endless("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n", std::string(65536, 'b')),
         "Response body too large"},
        {"endless body past its length",
         endless("HTTP/1.0 200 OK\r\nContent-Length: 100000000000\r\n\r\n",
                 std::string(65536, 'b')),
         "Response body too large"},
        {"garbage status line", HttpReply::rawBytes("\x01\x02\xff garbage\r\n\r\nbody"),
         "Invalid reply from server"},
        {"status without a number", HttpReply::rawBytes("HTTP/1.0 OK\r\n\r\nbody"),
         "Invalid reply from server"},
        {"header line cut before its end",
         HttpReply::rawBytes("HTTP/1.0 200 OK\r\nContent-Type: text/ht"),
         "Connection closed before the whole header was received"},
        {"status line cut before its end", HttpReply::rawBytes("HTTP/1.0 200 O"),
         "Connection closed before the whole header was received"},
    };
}

class HostileServer : public testing::Test {
  protected:
    HostileServer() { installMessagePump(&pump); }
    ~HostileServer() override { installMessagePump(nullptr); }

    std::string getError(TNMHTTP& http, const std::string& url) {
        try {
            http.Get(url);
            return "";
        } catch (const ESockError& error) {
            return error.what();
        }
    }

    PollPump pump;
    HttpTestServer server;
};

TEST_F(HostileServer, EveryTransferEndsWithAClearErrorWithinTheLimits) {
    for (const auto& hostile : hostileServers()) {
        SCOPED_TRACE(hostile.name);
        TNMHTTP http;
        http.TimeOut = 10000;
        bool succeeded = false;
        http.OnSuccess = [&](HttpCommand) { succeeded = true; };
        server.enqueue(hostile.reply);
        EXPECT_EQ(getError(http, server.url("/")), hostile.error);
        EXPECT_FALSE(succeeded);
        EXPECT_FALSE(http.timedOut());
        EXPECT_LE(http.Header.size(), 2 * TNMHTTP::kMaxHeaderBytes);  // the limit and one line
        EXPECT_LE(http.Body.size(), TNMHTTP::kMaxMemoryBodyBytes);
    }
}

TEST_F(HostileServer, AnEndlessBodyInFileModeStopsAtItsBoundAndKeepsTheTarget) {
    test::TempFolder folder;
    const fs::path target = folder / "Download.inf";
    test::writeFile(target, "old content");
    TNMHTTP http;
    http.InputFileMode = true;
    http.Body = target.string();
    http.MaxFileBody = 1 << 20;
    server.enqueue(endless("HTTP/1.0 200 OK\r\n\r\n", std::string(65536, 'b')));
    EXPECT_EQ(getError(http, server.url("/")), "Response body too large");
    EXPECT_LE(http.bytesReceived(), 1 << 20);
    EXPECT_EQ(test::readFile(target), "old content");
}

TEST_F(HostileServer, ASilentServerTimesOutOrIsCancelled) {
    HttpReply silent = HttpReply::rawBytes("");
    silent.stall = true;  // accepts, reads the request, never answers
    TNMHTTP http;
    http.TimeOut = 200;
    server.enqueue(silent);
    EXPECT_EQ(getError(http, server.url("/")), "Socket readln aborted");
    EXPECT_TRUE(http.timedOut());

    http.TimeOut = 30000;
    server.enqueue(silent);
    auto started = std::chrono::steady_clock::now();
    pump.startTimer(100ms, [&] { http.Abort(); });
    EXPECT_EQ(getError(http, server.url("/")), "Socket readln aborted");
    EXPECT_FALSE(http.timedOut());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

const std::string kGoodPage =
    "<html><head><title>Good</title></head><body>a page that changed</body></html>";

// Writes an item file that watches `url` by its page checksum (any change of the page is news).
std::string writeItem(const fs::path& folder, const std::string& name, const std::string& url) {
    fs::create_directories(folder);
    std::string path = (folder / (name + ".url")).string();
    test::writeFile(path, "[InternetShortcut]\r\nURL=" + url +
                              "\r\n[QZ7P]\r\nOption=2\r\nPageCRC=00000000\r\n");
    return path;
}

TEST_F(HostileServer, ACheckRunGoesOnWithTheNextItem) {
    test::TempEnvironment environment;
    server.serve("/good", HttpReply::ok(kGoodPage));
    const std::string good = writeItem(environment.favorites(), "good", server.url("/good"));
    for (const auto& hostile : hostileServers()) {
        SCOPED_TRACE(hostile.name);
        server.serve("/hostile", hostile.reply);
        const std::string bad =
            writeItem(environment.favorites(), "hostile", server.url("/hostile"));
        writeItem(environment.favorites(), "good", server.url("/good"));  // news again
        auto result = test::runCli({"define", "check", bad, good});
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_NE(result.out.find("hostile: error: "), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("good: updated"), std::string::npos) << result.out;
    }
}

TEST_F(HostileServer, ACancelledCheckLetsTheRunGoOnWithTheNextItem) {
    test::TempEnvironment environment;
    HttpReply silent = HttpReply::rawBytes("");
    silent.stall = true;
    server.serve("/silent", silent);
    server.serve("/good", HttpReply::ok(kGoodPage));
    const std::vector<std::string> items = {
        writeItem(environment.favorites(), "silent", server.url("/silent")),
        writeItem(environment.favorites(), "good", server.url("/good")),
    };
    TVKestrinDefineEngine engine;
    // The user cancels whatever is under way after a moment, as the window's Cancel does.
    auto cancel = pump.startTimer(
        200ms, [&] { engine.CancelTransfer(); }, true);
    std::vector<TVDefineItem> checked;
    for (const auto& item : items) {
        engine.DefineFile = item;
        engine.PrepareTransfer();
        engine.CheckItem();
        checked.push_back(engine.WorkItem);
        pump.stopTimer(cancel);
    }
    EXPECT_NE(checked[0].Error, kNoError);
    EXPECT_EQ(checked[1].Error, kNoError);
    EXPECT_TRUE(checked[1].Updated);
}

TEST_F(HostileServer, AnAuthorCheckRunGoesOnWithTheNextAuthor) {
    for (const auto& hostile : hostileServers()) {
        SCOPED_TRACE(hostile.name);
        test::TempEnvironment environment;
        ScriptedDialogs dialogs;
        ScopedDialogs scoped(dialogs);
        server.serve("/hostile.inf", hostile.reply);
        server.serve("/good.inf", HttpReply::ok("[Soft1]\r\nDistinctName=Tool\r\nBuild=2\r\n"));
        test::addAuthor("Hostile", "Hal", server.url("/hostile.inf"));
        test::addAuthor("Good", "Gus", server.url("/good.inf"));
        test::addSoftware("Good", "tool", "Tool", 1);

        bool newerFormat = false;
        AuthorCheckRun run;
        AuthorProgress progress;
        auto results = run.RunAuthorChecks(FillAuthorList(true), newerFormat, progress);
        ASSERT_EQ(results.rows.size(), 1u);
        EXPECT_EQ(results.rows[0].keyName, "Good\\tool");
        EXPECT_FALSE(dialogs.shown().empty()) << "the failure was not told";
    }
}

}  // namespace
}  // namespace kestrin
