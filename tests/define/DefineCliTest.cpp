#include <gtest/gtest.h>

#include <filesystem>

#include "define/DefineItem.h"
#include "support/CliRunner.h"
#include "support/HttpTestServer.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::runCli;

class DefineCliTest : public ::testing::Test {
  protected:
    std::string save(const std::string& relative, TVDefineItem item) {
        fs::path path = env.favorites() / "Kestrin 2001" / (relative + ".url");
        item.TermName = path.stem().string();
        item.ItemPath = path.string();
        TVKestrinDefineItem().SaveItem(item);
        return item.ItemPath;
    }

    test::TempEnvironment env;
};

TEST_F(DefineCliTest, ListsTheRootOrAFolder) {
    TVDefineItem plain;
    plain.Checked = true;
    plain.PageURL = "http://a.example/";
    save("plain", plain);
    TVDefineItem failed = plain;
    failed.Checked = false;
    failed.Updated = true;
    failed.Error = "接続に失敗しました";
    save("Tools/failed", failed);
    TVDefineItem updated = plain;
    updated.Updated = true;
    updated.Error = kNoError;
    save("Tools/updated", updated);

    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {{"define", "list"}, 0, "x\t-\tplain\thttp://a.example/\t\n"},
        {{"define", "list", "Tools"},
         0,
         "-\terror\tfailed\thttp://a.example/\t接続に失敗しました\n"
         "x\tupdated\tupdated\thttp://a.example/\t\n"},
        {{"define", "list", "Nowhere"}, 1, ""},
        {{"define", "list", "a", "b"}, 2, ""},
        {{"define", "frobnicate"}, 2, ""},
    };
    for (const auto& c : cases) {
        auto result = runCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments.back();
        EXPECT_EQ(result.out, c.out) << c.arguments.back();
        if (c.status != 0) {
            EXPECT_FALSE(result.err.empty()) << c.arguments.back();
        }
    }
}

TEST_F(DefineCliTest, ChecksItemFilesAndWritesWhatTheyFound) {
    test::HttpTestServer server;
    auto headers = test::HttpReply::withStatus(200, "OK");
    headers.contentLength = false;
    server.serve("/page.html",
                 headers.header("Last-Modified", "B").header("Content-Length", "120"));
    TVDefineItem item;
    item.Checked = true;
    item.Option = kMethodPageCheck;
    item.PageURL = server.url("/page.html");
    item.PageTime = "A";
    item.PageSize = 100;
    std::string changed = save("changed", item);
    item.PageTime = "B";
    std::string same = save("same", item);
    std::string sameBytes = test::readFile(same);

    auto result = runCli({"define", "check", changed, same});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "changed: updated: タイムスタンプが A から B に変更され，サイズが100 から 120 "
              "に変化したことを検知\nsame: no news\n");
    TVDefineItem saved;
    TVKestrinDefineItem().LoadItem(changed, saved);
    EXPECT_TRUE(saved.Updated);
    EXPECT_EQ(saved.PageSize, 120);
    EXPECT_EQ(test::readFile(same), sameBytes);

    item.PageURL = server.url("/missing.html");
    std::string missing = save("missing", item);
    result = runCli({"define", "check", missing});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out,
              "missing: error: Web ページのサーバ構成が，定義した段階と異なっています。再度この"
              "アイテムをインターネットから最新のドキュメントを取得して，設定してください\n");

    std::string nowhere = (env.root() / "none.url").string();
    result = runCli({"define", "check", nowhere});
    EXPECT_NE(result.status, 0);
    EXPECT_FALSE(fs::exists(nowhere));
}

}  // namespace
}  // namespace kestrin
