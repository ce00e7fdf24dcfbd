#include "catalogue/AuthorCheckRun.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "catalogue/CatalogueFixture.h"
#include "platform/Dialogs.h"
#include "platform/MessagePump.h"
#include "support/HttpTestServer.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::HttpReply;
using test::HttpTestServer;
using test::integerAt;
using test::setInteger;
using test::setString;

const char* const kNoFile = "アップデートファイルがありません";

// A port on 127.0.0.1 where nothing listens: connecting is refused at once.
int closedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// The request line of every request the server received.
std::vector<std::string> requestLines(const HttpTestServer& server) {
    std::vector<std::string> lines;
    for (const std::string& request : server.requests())
        lines.push_back(request.substr(0, request.find("\r\n")));
    return lines;
}

std::vector<std::string> captions(const ScriptedDialogs& dialogs) {
    std::vector<std::string> shown;
    for (const auto& box : dialogs.shown())
        shown.push_back(box.caption + ": " + box.text);
    return shown;
}

// A run over the current catalogue's author list as loaded at start.
struct AuthorRun {
    bool newerFormat = false;
    AuthorCheckRun run;
    AuthorProgress progress;
    AuthorCheckResults results;

    void go(const std::vector<AuthorRow>& authors) {
        results = run.RunAuthorChecks(authors, newerFormat, progress);
    }
    void go() { go(FillAuthorList(true)); }
};

TEST(RunAuthorChecks, FetchesTheNewestUnbrokenInfoURL) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> values;
        std::string fetched;
    };
    const std::vector<Case> cases{
        {"InfoURL2 beats InfoURL; a gap ends the search",
         {{"InfoURL", "/1"}, {"InfoURL2", "/2"}, {"InfoURL4", "/4"}},
         "GET /2 HTTP/1.0"},
        {"InfoURL2 alone", {{"InfoURL2", "/2"}}, "GET /2 HTTP/1.0"},
        {"an unbroken run",
         {{"InfoURL", "/1"}, {"InfoURL2", "/2"}, {"InfoURL3", "/3"}},
         "GET /3 HTTP/1.0"},
        {"InfoURL alone", {{"InfoURL", "/1"}}, "GET /1 HTTP/1.0"},
    };
    for (const Case& c : cases) {
        test::TempEnvironment environment;
        HttpTestServer server;
        server.enqueue(HttpReply::ok("[Info]\r\nURL=http://site.example/\r\n"));
        ScriptedDialogs dialogs;
        ScopedDialogs scoped(dialogs);
        test::addAuthor("Sample", "Sam");
        for (const auto& [name, path] : c.values)
            setString("Sample", name, server.url(path));

        AuthorRun run;
        run.go();
        EXPECT_EQ(requestLines(server), std::vector<std::string>{c.fetched}) << c.name;
        EXPECT_TRUE(dialogs.shown().empty()) << c.name;
        EXPECT_EQ(test::stringAt("Sample", "AuthorURL"), "http://site.example/") << c.name;
        EXPECT_FALSE(std::filesystem::exists(downloadFilePath())) << c.name;
    }
}

TEST(RunAuthorChecks, StoresMarksEvaluatesAndMovesTheBar) {
    for (const bool noSaveChecked : {false, true}) {
        test::TempEnvironment environment;
        HttpTestServer server;
        server.serve("/a.inf", HttpReply::ok("[Soft1]\r\nDistinctName=Tool\r\nBuild=2\r\n"));
        server.serve("/c.inf", HttpReply::ok("[Info]\r\nNotice=from C\r\n"));
        ScriptedDialogs dialogs;
        ScopedDialogs scoped(dialogs);
        test::addAuthor("A", "Ann", server.url("/a.inf"));
        test::addSoftware("A", "tool", "Tool", 1);
        test::addAuthor("B", "Ben", server.url("/b.inf"));
        test::addAuthor("C", "Cid", server.url("/c.inf"));
        std::vector<AuthorRow> authors = FillAuthorList(true);
        authors[1].checked = false;

        AuthorRun run;
        run.run.noSaveChecked = noSaveChecked;
        run.go(authors);

        EXPECT_EQ(requestLines(server),
                  (std::vector<std::string>{"GET /a.inf HTTP/1.0", "GET /c.inf HTTP/1.0"}));
        EXPECT_EQ(run.progress.state().position, 7);
        EXPECT_EQ(run.progress.state().maximum, 9);
        ASSERT_EQ(run.results.rows.size(), 1u);
        EXPECT_EQ(run.results.rows[0].keyName, "A\\tool");
        EXPECT_EQ(run.results.notices, (std::vector<AuthorNotice>{{"Cid", "from C"}}));
        EXPECT_TRUE(dialogs.shown().empty());
        const std::vector<std::optional<int>> marks{
            integerAt("A", "Checked"), integerAt("B", "Checked"), integerAt("C", "Checked")};
        if (noSaveChecked) {
            EXPECT_EQ(marks, (std::vector<std::optional<int>>{{}, {}, {}}));
        } else {
            EXPECT_EQ(marks, (std::vector<std::optional<int>>{1, 0, 1}));
        }
    }
}

TEST(RunAuthorChecks, TellsFailures) {
    const std::string noHost =
        "接続エラー: ホストに接続できませんでした\r\n0 以外のエラーが頻繁に起こるようでしたら"
        "ご連絡下さい\r\n\r\nエラーコード: ";
    struct Case {
        const char* name;
        bool restrainError;
        std::string address;  // "" for an empty address, "closed" for a refused connection
        std::vector<std::string> shown;  // prefixes of the boxes shown
        int position;                    // of the bar (3 at most)
    };
    const std::vector<Case> cases{
        {"empty address", false, "", {noHost, std::string("情報ファイルエラー: ") + kNoFile}, 2},
        {"refused connection",
         false,
         "closed",
         {"接続エラー: 接続エラーが発生しました", noHost,
          std::string("情報ファイルエラー: ") + kNoFile},
         2},
        {"refused connection, errors restrained",
         true,
         "closed",
         {std::string("情報ファイルエラー: ") + kNoFile},
         2},
        {"HTTP 404: the error page is evaluated",
         false,
         "/missing",
         {"接続エラー: HTTP プロトコルエラー: Get Failed\r\nエラーコード："},
         3},
        {"HTTP 404, errors restrained", true, "/missing", {}, 3},
    };
    for (const Case& c : cases) {
        test::TempEnvironment environment;
        HttpTestServer server;
        HttpReply notFound = HttpReply::ok("<html>gone</html>");
        notFound.status = 404;
        notFound.reason = "Not Found";
        server.serve("/missing", notFound);
        ScriptedDialogs dialogs;
        ScopedDialogs scoped(dialogs);
        std::string url;
        if (c.address == "closed") {
            url = "http://127.0.0.1:" + std::to_string(closedPort()) + "/x.inf";
        } else if (!c.address.empty()) {
            url = server.url(c.address);
        }
        test::addAuthor("Sample", "Sam", url);
        setString("Sample", "AuthorURL", "http://old.example/");

        AuthorRun run;
        run.run.settings.restrainError = c.restrainError;
        run.go();

        const std::vector<std::string> shown = captions(dialogs);
        ASSERT_EQ(shown.size(), c.shown.size()) << c.name;
        for (std::size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(shown[i].substr(0, c.shown[i].size()), c.shown[i]) << c.name;
        EXPECT_EQ(run.progress.state().position, c.position) << c.name;
        // Only an evaluated file changes what the catalogue knows of the author's page.
        EXPECT_EQ(test::stringAt("Sample", "AuthorURL"),
                  c.position == 3 ? "" : "http://old.example/")
            << c.name;
        EXPECT_FALSE(run.run.stopped()) << c.name;
    }
}

TEST(RunAuthorChecks, AStopKeepsLaterAuthorsMarks) {
    test::TempEnvironment environment;
    HttpTestServer server;
    server.serve("/1.inf", HttpReply::ok("[Info]\r\nNotice=one\r\n"));
    HttpReply stalled = HttpReply::ok("");
    stalled.stall = true;
    server.serve("/2.inf", stalled);
    server.serve("/3.inf", HttpReply::ok("[Info]\r\nNotice=three\r\n"));
    ScriptedDialogs dialogs;
    ScopedDialogs scoped(dialogs);
    for (const char* key : {"1", "2", "3"}) {
        test::addAuthor(key, std::string("Author ") + key,
                        server.url(std::string("/") + key + ".inf"));
        setInteger(key, "Checked", 0);
    }
    std::vector<AuthorRow> authors = FillAuthorList(true);
    mnuAuthorCheck(authors, static_cast<int>(AuthorCheckTag::All));

    AuthorRun run;
    // Cancel pressed while the second author's transfer waits.
    const auto timer = messagePump().startTimer(std::chrono::milliseconds(300),
                                                [&] { EXPECT_TRUE(run.run.abortTransfer()); });
    run.go(authors);
    messagePump().stopTimer(timer);

    EXPECT_TRUE(run.run.stopped());
    EXPECT_EQ(captions(dialogs), std::vector<std::string>{"キャンセル: キャンセルしました"});
    EXPECT_EQ(run.results.notices, (std::vector<AuthorNotice>{{"Author 1", "one"}}));
    EXPECT_EQ(integerAt("1", "Checked"), 1);
    EXPECT_EQ(integerAt("2", "Checked"), 1);
    EXPECT_EQ(integerAt("3", "Checked"), 0);
    EXPECT_EQ(requestLines(server).size(), 2u);
    // Left behind after a stop: the first author's file.
    EXPECT_TRUE(std::filesystem::exists(downloadFilePath()));
    // Between transfers Cancel has nothing to stop.
    EXPECT_FALSE(run.run.abortTransfer());
}

}  // namespace
}  // namespace kestrin
