#include <gtest/gtest.h>

#include "catalogue/CatalogueFixture.h"
#include "define/DefineItem.h"
#include "support/CliRunner.h"
#include "support/HttpTestServer.h"
#include "support/NotificationService.h"
#include "support/RealServers.h"
#include "support/TempEnvironment.h"
#include "text/Cp932.h"

namespace kestrin {
namespace {

using test::HttpReply;
using test::HttpTestServer;
using test::runCli;

// One author offering an update with a two-line comment, and a notice that needs escaping.
void serveSample(HttpTestServer& server) {
    const std::string info =
        "[Info]\r\nAuthor=Sam\r\nNotice=\"quoted\" back\\slash\ttab\x01 日本語#rline\r\n"
        "[Soft1]\r\nDistinctName=T\r\nBuild=2\r\nDisplayName=Tool\r\nVersion=1.0\r\n"
        "Update=2001/07/01\r\nGetAt=http://example.org/tool.lzh\r\nNotice=one#rtwo\r\n";
    server.serve("/info.inf", HttpReply::ok(utf8ToCp932(info)));
    test::addAuthor("Sample", "Sam", server.url("/info.inf"));
    test::addSoftware("Sample", "tool", "T", 1);
}

TEST(CheckCli, PrintsTheResultsAsATable) {
    test::TempEnvironment environment;
    HttpTestServer server;
    serveSample(server);

    const test::CliResult result = runCli({"check", "/CHECKALL"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string pad21(21, ' '), indent(73, ' ');
    EXPECT_EQ(result.out,
              "更新ファイルや情報が見つかりました。* 印のついているソフトの情報は，"
              "必ずチェックするようにしてください。\n\n"
              "作者  更新ソフト名  バージョン  更新日付    入手先" +
                  pad21 +
                  "  コメント\n"
                  "Sam   * Tool        1.0         2001/07/01  http://example.org/tool.lzh  one\n" +
                  indent +
                  "two\n"
                  "\nSam さんからの情報:\n\"quoted\" back\\slash\ttab\x01 日本語\nline\n");
    EXPECT_EQ(test::integerAt("Sample", "Checked"), 1);
}

TEST(CheckCli, PrintsTheResultsAsJson) {
    test::TempEnvironment environment;
    HttpTestServer server;
    serveSample(server);

    const test::CliResult result = runCli({"check", "/checkauto", "sample", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "{\n  \"rows\": [\n"
              "    {\"author\": \"Sam\", \"displayName\": \"* Tool\", \"version\": \"1.0\", "
              "\"date\": \"2001/07/01\", \"source\": \"http://example.org/tool.lzh\", "
              "\"keyName\": \"Sample\\\\tool\", \"newBuild\": \"2\", \"comment\": \"one#rtwo\"}\n"
              "  ],\n  \"notices\": [\n"
              "    {\"author\": \"Sam\", \"text\": \"\\\"quoted\\\" back\\\\slash\\ttab\\u0001 "
              "日本語#rline\"}\n"
              "  ],\n  \"newerFormat\": false,\n  \"cancelled\": false\n}\n");
    // "/checkauto" stores no check marks.
    EXPECT_EQ(test::integerAt("Sample", "Checked"), std::nullopt);
}

TEST(CheckCli, ChecksDefineItemsOfAFolderAndTellsFailuresOnStandardError) {
    for (const bool quiet : {false, true}) {
        test::TempEnvironment environment;
        HttpTestServer server;
        server.serve("/page.html", HttpReply::ok("<html>new</html>")
                                       .header("Last-Modified", "Sun, 01 Jul 2001 12:00:00 GMT"));
        test::addAuthor("Down", "Dan", "http://127.0.0.1:1/info.inf");  // nothing listens there
        for (const char* folder : {"Watched", "Other"}) {
            TVDefineItem item;
            item.TermName = std::string(folder) + " page";
            item.PageURL = server.url("/page.html");
            item.Checked = true;
            item.Option = kMethodPageCheck;
            item.PageTime = "Mon, 01 Jan 2001 00:00:00 GMT";
            item.ItemPath =
                (environment.favorites() / "Kestrin 2001" / folder / (item.TermName + ".url"))
                    .string();
            TVKestrinDefineItem().SaveItem(item);
        }

        std::vector<std::string> arguments{"check", "--folder", "Watched", "--json"};
        if (quiet) arguments.push_back("--quiet-errors");
        const test::CliResult result = runCli(arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.out.find("\"displayName\": \"Watched page\""), std::string::npos)
            << result.out;
        EXPECT_EQ(result.out.find("Other page"), std::string::npos) << result.out;
        EXPECT_NE(result.err.find("情報ファイルエラー: アップデートファイルがありません"),
                  std::string::npos)
            << result.err;
        EXPECT_EQ(result.err.find("接続エラー:") != std::string::npos, !quiet) << result.err;
    }
}

TEST(CheckCli, NotifiesTheDesktopWhenTheRunFoundSomething) {
    if (auto why = test::SessionBus::unavailable(); !why.empty()) GTEST_SKIP() << why;
    test::TempEnvironment environment;
    test::SessionBus bus(environment.runtime() / "bus");
    test::NotificationService service(bus.address());

    // Nothing registered, nothing defined: the run finds nothing and stays quiet.
    const test::CliResult quiet = runCli({"check", "--notify"});
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_TRUE(service.received().empty());

    HttpTestServer server;
    serveSample(server);
    const test::CliResult found = runCli({"check", "/checkall", "--notify"});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(found.err, "");
    const auto received = service.received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].summary, "Kestrin 2001");
    EXPECT_EQ(received[0].body,
              "更新が 1 件見つかりました: Tool\n作者からの情報が 1 件あります: Sam");
}

TEST(CheckCli, NotifyWithoutASessionBusSaysSoAndSucceeds) {
    test::TempEnvironment environment;  // its bus address names a socket nobody listens on
    HttpTestServer server;
    serveSample(server);
    const test::CliResult result = runCli({"check", "/checkall", "--notify", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\"displayName\": \"* Tool\""), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("kestrin-cli check: no desktop notification: no session bus at"),
              std::string::npos)
        << result.err;
}

TEST(CheckCli, RefusesBadArguments) {
    test::TempEnvironment environment;
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"check", "/checkevery"},
             {"check", "--folder"},
             {"check", "--jsn"},
             {"check", "stray"},
             {"check", "/check", "one", "two"},
         }) {
        const test::CliResult result = runCli(arguments);
        EXPECT_EQ(result.status, 2) << arguments.back();
        EXPECT_NE(result.err.find("usage: kestrin-cli check"), std::string::npos) << result.err;
    }
    const test::CliResult missingFolder = runCli({"check", "--folder", "Nowhere"});
    EXPECT_EQ(missingFolder.status, 1);
    EXPECT_NE(missingFolder.err.find("no define folder 'Nowhere'"), std::string::npos);
}

}  // namespace
}  // namespace kestrin

namespace kestrin {
namespace {

TEST(DemoCli, ShowsARealResultAndRemovesItsEntries) {
    test::TempEnvironment environment;
    const test::CliResult demo = test::runCli({"demo"});
    EXPECT_EQ(demo.status, 0) << demo.err;
    for (const char* expected :
         {"* デモツール", "[定義]", "デモページ", "Kestrin デモ作者 さんからの情報:"})
        EXPECT_NE(demo.out.find(expected), std::string::npos) << expected << "\n" << demo.out;
    EXPECT_EQ(test::stringAt("KestrinDemo", "Author"), "Kestrin デモ作者");

    const test::CliResult removed = test::runCli({"demo", "--remove"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(test::stringAt("KestrinDemo", "Author"), std::nullopt);
    EXPECT_FALSE(
        std::filesystem::exists(environment.favorites() / "Kestrin 2001" / "Kestrin デモ"));
}

}  // namespace
}  // namespace kestrin
