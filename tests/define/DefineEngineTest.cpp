#include "define/DefineEngine.h"

#include "define/KestrinParser.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/HttpTestServer.h"
#include "support/RealServers.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::HttpReply;
using test::HttpTestServer;
using test::readFile;
using test::TempEnvironment;
using Links = std::vector<std::string>;

constexpr const char* kNotFetched = "取得に失敗，もしくは途中でキャンセルしました";
constexpr const char* kNotHtml = "HTML ドキュメントでないか，取得に失敗しました";
// A page whose tag-stripped text is "ABC>>".
constexpr const char* kPage = "<html><P>abc</P></html>";
constexpr const char* kPageCRC = "60D4231D";

HttpReply headReply(const std::vector<std::pair<std::string, std::string>>& headers) {
    HttpReply reply = HttpReply::withStatus(200, "OK");
    reply.contentLength = false;
    for (const auto& [name, value] : headers)
        reply.header(name, value);
    return reply;
}

HttpReply page(const std::string& body,
               const std::vector<std::pair<std::string, std::string>>& headers = {}) {
    HttpReply reply = HttpReply::ok(body);
    for (const auto& [name, value] : headers)
        reply.header(name, value);
    return reply;
}

// One checked item: what the check returned, the file before and after, and what was said.
struct Outcome {
    bool result = false;
    std::string before, after;
    TVDefineItem saved;
    std::vector<std::string> messages;
    std::string request;  // the first request the server received
};

class DefineEngineTest : public ::testing::Test {
  protected:
    TVDefineItem item(std::int32_t option, const std::string& url,
                      const std::string& name = "watched") {
        TVDefineItem i;
        i.TermName = name;
        i.ItemPath = (env.favorites() / "Kestrin 2001" / (name + ".url")).string();
        i.PageURL = url;
        i.Checked = true;
        i.Error = kNoError;
        i.Option = option;
        return i;
    }

    Outcome check(TVDefineItem stored) {
        fs::remove(stored.ItemPath);
        TVKestrinDefineItem().SaveItem(stored);
        Outcome outcome;
        outcome.before = readFile(stored.ItemPath);
        TVKestrinDefineEngine engine;
        engine.ExtList = {".lzh", ".zip"};
        engine.DefineFile = stored.ItemPath;
        engine.OnProgress = [&](TVKestrinDefineEngine&, int, int, const std::string& message, int) {
            if (!message.empty()) outcome.messages.push_back(message);
        };
        engine.PrepareTransfer();
        outcome.result = engine.CheckItem();
        outcome.after = readFile(stored.ItemPath);
        TVKestrinDefineItem().LoadItem(stored.ItemPath, outcome.saved);
        auto requests = server.requests();
        if (!requests.empty()) outcome.request = requests.front();
        return outcome;
    }

    TempEnvironment env;
    HttpTestServer server;
};

// For every row: a news row saves the item with Updated set and these values; a row without
// news leaves the file byte for byte as it was.
struct Row {
    const char* what;
    HttpReply reply;
    bool news;
    std::string update, error;
    std::string pageTime;
    std::int32_t pageSize;
};

// Checks what every row shares; true when the row's item was saved, for the method's own values.
bool expectSaved(const Row& row, const Outcome& outcome, const std::string& requestLine) {
    EXPECT_EQ(outcome.request.substr(0, requestLine.size()), requestLine) << row.what;
    EXPECT_EQ(outcome.result, row.news) << row.what;
    if (!row.news) {
        EXPECT_EQ(outcome.after, outcome.before) << row.what;
        return false;
    }
    EXPECT_TRUE(outcome.saved.Updated) << row.what;
    EXPECT_EQ(outcome.saved.Update, row.update) << row.what;
    EXPECT_EQ(outcome.saved.Error, row.error) << row.what;
    return true;
}

TEST_F(DefineEngineTest, PageCheckByHeaders) {
    const std::string lmB = "Wed, 01 May 2002 10:00:00 GMT";
    const Row rows[] = {
        {"new time, same size", headReply({{"Last-Modified", lmB}, {"Content-Length", "100"}}),
         false, "", kNoError, "A", 100},
        {"new time, new size", headReply({{"Last-Modified", lmB}, {"Content-length", "120"}}), true,
         "タイムスタンプが A から " + lmB +
             " に変更され，サイズが100 から 120 に変化したことを検知",
         kNoError, lmB, 120},
        {"same time, new size", headReply({{"Last-Modified", "A"}, {"Content-Length", "120"}}),
         false, "", kNoError, "A", 100},
        {"new time, no size", headReply({{"last-modified", lmB}}), true,
         "タイムスタンプが A から " + lmB + " に変更されたことを検知", kNoError, lmB, 100},
        {"no time", headReply({{"Content-Length", "100"}}), true, "",
         "Web ページのサーバ構成が，定義した段階と異なっています。再度このアイテムをインターネット"
         "から最新のドキュメントを取得して，設定してください",
         "A", 100},
        {"not found", HttpReply::withStatus(404, "Not Found"), true, "",
         "Web ページのサーバ構成が，定義した段階と異なっています。再度このアイテムをインターネット"
         "から最新のドキュメントを取得して，設定してください",
         "A", 100},
    };
    for (const auto& row : rows) {
        server.serve("/page.html", row.reply);
        TVDefineItem stored = item(kMethodPageCheck, server.url("/page.html"));
        stored.PageTime = "A";
        stored.PageSize = 100;
        Outcome outcome = check(stored);
        if (!expectSaved(row, outcome, "HEAD /page.html ")) continue;
        EXPECT_EQ(outcome.saved.PageTime, row.pageTime) << row.what;
        EXPECT_EQ(outcome.saved.PageSize, row.pageSize) << row.what;
    }
}

TEST_F(DefineEngineTest, PageCheckWithoutTimeOrSizeIsNoNewsWhenTheSizeWasZero) {
    server.serve("/page.html", headReply({}));
    Outcome outcome = check(item(kMethodPageCheck, server.url("/page.html")));
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.after, outcome.before);
}

TEST_F(DefineEngineTest, PageCheckByChecksum) {
    const std::string changed = "<html><P>abd</P></html>";
    const std::size_t size = std::string(kPage).size();
    const Row rows[] = {
        {"same time, other text", page(changed, {{"Last-Modified", "A"}}), false, "", kNoError, "A",
         0},
        {"new time, same text", page(kPage, {{"Last-Modified", "B"}}), false, "", kNoError, "A", 0},
        {"new time, other text", page(changed, {{"Last-Modified", "B"}}), true,
         "タイムスタンプが A から B に変更され，CRC が変化したことを検知", kNoError, "B",
         std::int32_t(size)},
        {"no time, same length, other text", page(changed), false, "", kNoError, "A", 0},
        {"no time, other length, same text", page("<html><P>abc</P><br></html>"), false, "",
         kNoError, "A", 0},
        {"no time, other length, other text", page("<title>x</title>abc"), true,
         "CRC が変化したことを検知", kNoError, "", std::int32_t(size)},
        {"plain text", page("just text, no mark-up"), true, "", kNotHtml, "A", std::int32_t(size)},
        {"not found", HttpReply::withStatus(404, "Not Found", kPage), true, "", kNotHtml, "A",
         std::int32_t(size)},
    };
    for (const auto& row : rows) {
        server.serve("/page.html", row.reply);
        TVDefineItem stored = item(kMethodPageCheck, server.url("/page.html"));
        stored.PageTime = "A";
        stored.PageSize = std::int32_t(size);
        stored.PageCRC = kPageCRC;
        Outcome outcome = check(stored);
        if (!expectSaved(row, outcome, "GET /page.html ")) continue;
        EXPECT_EQ(outcome.saved.PageTime, row.pageTime) << row.what;
        EXPECT_EQ(outcome.saved.PageSize, row.pageSize) << row.what;  // never changed here
        EXPECT_EQ(outcome.saved.PageCRC != kPageCRC, row.error == kNoError) << row.what;
    }
}

TEST_F(DefineEngineTest, NewArchiveSearch) {
    const std::string links =
        "<html><title>Soft</title><a href=\"dl/soft110.lzh\">new</a> <a href=mysoft2.zip>x</a> "
        "<a href=\"other.lzh\">o</a> <a href=\"soft110.lzh.html\">h</a> "
        "<a href=\"SOFT110.LZH\">dup</a></html>";
    struct Case {
        const char* what;
        std::string body, foreString;
        Links stored;
        bool news;
        std::string update, error;
        Links foreFile;
        std::string keys = "";  // lines the saved file holds
    };
    const Case cases[] = {
        {"two new names",
         links,
         "soft",
         {"soft100.lzh"},
         true,
         "書庫 soft110.lzh が新着",
         kNoError,
         {"mysoft2.zip", "soft110.lzh"},
         "ForeFile0=mysoft2.zip\r\nForeFile1=soft110.lzh\r\n"},
        {"one new name",
         links,
         "Soft",
         {"SOFT110.lzh"},
         true,
         "書庫 mysoft2.zip が新着",
         kNoError,
         {"mysoft2.zip", "soft110.lzh"}},
        {"a name gone, none new",
         links,
         "soft",
         {"mysoft2.zip", "soft100.lzh", "soft110.lzh"},
         false,
         "",
         "",
         {}},
        {"no search string", links, "", {}, false, "", "", {}},
        {"plain text", "soft110.lzh", "soft", {}, true, "", kNotHtml, {}},
    };
    for (const auto& c : cases) {
        server.serve("/index.html", page(c.body));
        TVDefineItem stored = item(kMethodArchiveSearch, server.url("/index.html"));
        stored.ForeString = c.foreString;
        stored.ForeFile = c.stored;
        Outcome outcome = check(stored);
        EXPECT_EQ(outcome.request.substr(0, 16), "GET /index.html ") << c.what;
        EXPECT_EQ(outcome.result, c.news) << c.what;
        if (!c.news) {
            EXPECT_EQ(outcome.after, outcome.before) << c.what;
            continue;
        }
        EXPECT_TRUE(outcome.saved.Updated) << c.what;
        EXPECT_EQ(outcome.saved.Update, c.update) << c.what;
        EXPECT_EQ(outcome.saved.Error, c.error) << c.what;
        if (c.error == kNoError) {
            EXPECT_EQ(outcome.saved.ForeFile, c.foreFile) << c.what;
        }
        EXPECT_NE(outcome.after.find(c.keys), std::string::npos) << c.what;
    }
}

TEST_F(DefineEngineTest, ArchiveDate) {
    const Row rows[] = {
        {"same time", headReply({{"Last-Modified", "A"}}), false, "", kNoError, "", 0},
        {"new time", headReply({{"Last-Modified", "B"}}), true,
         "タイムスタンプが A から B に変更されたことを検知", kNoError, "B", 0},
        {"no time", headReply({}), true, "",
         "ヘッダに更新時刻が含まれていないか，ヘッダ取得エラーが発生しました", "A", 0},
    };
    for (const auto& row : rows) {
        server.serve("/soft/dl/a.lzh", row.reply);
        TVDefineItem stored = item(kMethodArchiveDate, server.url("/soft/index.html"));
        stored.FileName = "dl/a.lzh";  // relative to the page
        stored.FileTime = "A";
        Outcome outcome = check(stored);
        if (!expectSaved(row, outcome, "HEAD /soft/dl/a.lzh ")) continue;
        EXPECT_EQ(outcome.saved.FileTime, row.pageTime) << row.what;
    }
}

TEST_F(DefineEngineTest, FailedTransferIsStoredAndReported) {
    std::string closed = "http://127.0.0.1:" + std::to_string(test::freeLoopbackPort()) + "/";
    Outcome outcome = check(item(kMethodPageCheck, closed));
    EXPECT_TRUE(outcome.result);
    EXPECT_TRUE(outcome.saved.Updated);
    EXPECT_EQ(outcome.saved.Error, kNotFetched);
    EXPECT_EQ(outcome.messages, (std::vector<std::string>{"接続に失敗しました", kNotFetched}));

    server.serve("/gone.html", HttpReply::withStatus(404, "Not Found"));
    outcome = check(item(kMethodArchiveSearch, server.url("/gone.html")));
    EXPECT_EQ(outcome.messages,
              (std::vector<std::string>{"ファイルがサーバに存在しませんでした", kNotHtml}));
    EXPECT_EQ(outcome.saved.Error, kNotHtml);
}

TEST_F(DefineEngineTest, CancelDuringTheBodyEndsTheCheckWithAnError) {
    HttpReply slow = HttpReply::ok(std::string(5000, 'x'));
    slow.cutAt = slow.bytes().size() - 4000;  // part of the body, then silence
    slow.stall = true;
    server.serve("/slow.html", slow);
    TVDefineItem stored = item(kMethodPageCheck, server.url("/slow.html"));
    stored.PageCRC = kPageCRC;
    TVKestrinDefineItem().SaveItem(stored);

    TVKestrinDefineEngine engine;
    EXPECT_FALSE(engine.CancelTransfer());  // nothing open
    engine.DefineFile = stored.ItemPath;
    bool cancelled = false;
    engine.OnProgress = [&](TVKestrinDefineEngine& sender, int position, int, const std::string&,
                            int phase) {
        if (phase == TVKestrinDefineEngine::kPhaseTransfer && position > 0 && !cancelled)
            cancelled = sender.CancelTransfer();
    };
    engine.PrepareTransfer();
    EXPECT_TRUE(engine.CheckItem());
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(engine.WorkItem.Error, kNotFetched);
}

TEST_F(DefineEngineTest, MethodsRefuseTheWrongState) {
    TVKestrinDefineEngine engine;
    EXPECT_THROW(engine.CheckItem(), std::logic_error);  // not prepared at all
    engine.PrepareTransfer();
    EXPECT_EQ(engine.State, TVKestrinDefineEngine::kStateAnalysePage);
    try {
        engine.CheckItem();
        FAIL() << "CheckItem ran in state b";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "このメソッドは状態a系以外では使えません");
    }
    EXPECT_TRUE(server.requests().empty());

    TVDefineItem stored = item(7, server.url("/"));  // an unknown method checks nothing
    TVKestrinDefineItem().SaveItem(stored);
    std::string before = readFile(stored.ItemPath);
    engine.DefineFile = stored.ItemPath;
    engine.PrepareTransfer();
    EXPECT_FALSE(engine.CheckItem());
    EXPECT_EQ(readFile(stored.ItemPath), before);
    try {
        engine.AnalysePage(server.url("/"));
        FAIL() << "AnalysePage ran in state a";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "このメソッドは状態b系以外では使えません");
    }
}

TEST_F(DefineEngineTest, AnalysePage) {
    server.serve("/index.html", page("<HTML><TITLE>My page</TITLE><A HREF=\"dl/a.lzh\">a</A>"
                                     "<a href=b.zip>b</a><a href=c.html>c</a><P>abc</P></HTML>",
                                     {{"Last-Modified", "Tue, 02 Apr 2002 00:00:00 GMT"}}));
    server.serve("/plain.txt", page("plain"));
    TVKestrinDefineEngine engine;
    engine.ExtList = {".lzh", ".zip"};
    std::vector<std::string> said;
    engine.OnProgress = [&](TVKestrinDefineEngine&, int position, int max,
                            const std::string& message, int phase) {
        if (phase == TVKestrinDefineEngine::kPhaseReport && message.empty()) return;
        said.push_back(std::to_string(phase) + " " + std::to_string(position) + "/" +
                       std::to_string(max) + " " + message);
    };
    engine.PrepareTransfer();
    ASSERT_TRUE(engine.AnalysePage(server.url("/index.html")));
    EXPECT_EQ(engine.PageTitle, "My page");
    EXPECT_EQ(engine.PageLinks, (Links{"dl/a.lzh", "b.zip"}));
    EXPECT_EQ(engine.PageLastModified, "Tue, 02 Apr 2002 00:00:00 GMT");
    EXPECT_EQ(engine.PageContentLength, std::int32_t(engine.Body().size()));
    // Title and paragraph are the text; the anchors go with their links.
    EXPECT_EQ(engine.PageTagCRC, TVKestrinParser().TagRemovedCRC("<b>my page</b>ABC"));
    // The transfer's total, the link scan, the checksum.
    const std::string total = std::to_string(engine.Body().size());
    ASSERT_GE(said.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(said.end() - 3, said.end()),
              (std::vector<std::string>{"0 " + total + "/" + total + " ", "1 0/0 ", "2 0/0 "}));

    said.clear();
    EXPECT_FALSE(engine.AnalysePage(server.url("/plain.txt")));
    EXPECT_TRUE(engine.PageLinks.empty());
    const std::string notHtml = std::string(kNotHtml) + "\r\n再度 URL を設定して下さい";
    EXPECT_EQ(said.back(), "2147483647 0/0 " + notHtml);
    EXPECT_EQ(engine.WorkItem.Error, notHtml);

    std::string modified;
    server.serve("/a.lzh", headReply({{"Last-Modified", "X"}}));
    EXPECT_TRUE(engine.GetLastModified(server.url("/a.lzh"), modified));
    EXPECT_EQ(modified, "X");
    EXPECT_FALSE(engine.GetLastModified(server.url("/plain.txt"), modified));
}

TEST_F(DefineEngineTest, GoesThroughTheProxyWithItsHeaders) {
    server.serve("/a.lzh", headReply({{"Last-Modified", "X"}}));
    TVKestrinDefineEngine engine;
    engine.ProxyHost = "127.0.0.1";
    engine.ProxyPort = server.port();
    engine.DisableProxyCache = true;
    engine.UseAuthenticate = true;
    engine.ProxyUserID = "user";
    engine.ProxyPassword = "pass";
    engine.PrepareTransfer();
    std::string modified;
    EXPECT_TRUE(engine.GetLastModified("http://www.example.com/a.lzh", modified));
    EXPECT_EQ(modified, "X");
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string request = server.requests().front();
    const std::string head = "HEAD http://www.example.com/a.lzh HTTP/1.0\r\n";
    EXPECT_EQ(request.substr(0, head.size()), head);
    const std::string tail =
        "Connection: close\r\nPragma: no-cache\r\n"
        "Proxy-Authorization: Basic dXNlcjpwYXNz\r\n\r\n";
    EXPECT_EQ(request.substr(request.size() - tail.size()), tail);
}

// The two common methods against a real web server: the first check stores what the server
// says, the second finds nothing and leaves the file alone.
TEST_F(DefineEngineTest, RealServerEndToEnd) {
    if (auto why = test::NginxServer::unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::NginxServer nginx;
    nginx.addFile("index.html", "<html><title>Soft</title><p>Version 1</p></html>");
    nginx.addFile("soft.lzh", std::string(1000, 'z'));

    TVDefineItem byChecksum = item(kMethodPageCheck, nginx.url("/index.html"), "page");
    byChecksum.PageCRC = "00000000";
    byChecksum.PageTime = "long ago";
    Outcome first = check(byChecksum);
    EXPECT_TRUE(first.result);
    EXPECT_EQ(first.saved.Error, kNoError);
    EXPECT_FALSE(first.saved.PageTime.empty());
    EXPECT_EQ(first.saved.PageCRC.size(), 8u);
    EXPECT_NE(first.saved.PageCRC, "00000000");

    TVDefineItem byDate = item(kMethodArchiveDate, nginx.url("/index.html"), "archive");
    byDate.FileName = "soft.lzh";
    Outcome dated = check(byDate);
    EXPECT_TRUE(dated.result);
    EXPECT_EQ(dated.saved.FileTime.substr(dated.saved.FileTime.size() - 4), " GMT");
    EXPECT_EQ(dated.saved.Update,
              "タイムスタンプが  から " + dated.saved.FileTime + " に変更されたことを検知");

    for (const TVDefineItem& saved : {first.saved, dated.saved}) {
        std::string before = readFile(saved.ItemPath);
        TVKestrinDefineEngine engine;
        engine.DefineFile = saved.ItemPath;
        engine.PrepareTransfer();
        EXPECT_FALSE(engine.CheckItem()) << saved.Option;
        EXPECT_EQ(readFile(saved.ItemPath), before) << saved.Option;
    }
}

}  // namespace
}  // namespace kestrin
