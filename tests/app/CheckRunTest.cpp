#include "app/CheckRun.h"

#include <gtest/gtest.h>

#include "catalogue/CatalogueFixture.h"
#include "define/DefineFixture.h"
#include "platform/Dialogs.h"
#include "platform/MessagePump.h"
#include "support/HttpTestServer.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::addPageItem;
using test::HttpReply;
using test::HttpTestServer;

HttpReply modifiedPage() {
    return HttpReply::ok("<html>new</html>")
        .header("Last-Modified", "Sun, 01 Jul 2001 12:00:00 GMT");
}

class CountingClock : public ClockSynchronizer {
  public:
    void synchronize() override { ++calls; }
    int calls = 0;
};

class LastDefineState : public DefineProgressObserver {
  public:
    void defineProgressChanged(const DefineProgressState& state) override { last = state; }
    DefineProgressState last;
};

TEST(CheckRun, AuthorRowsThenDefineRowsOfCheckedItems) {
    test::TempEnvironment environment;
    HttpTestServer server;
    server.serve("/info.inf", HttpReply::ok("[Info]\r\nNotice=hi\r\n[Soft1]\r\nDistinctName=T\r\n"
                                            "Build=2\r\nDisplayName=Tool\r\n"));
    server.serve("/a.html", modifiedPage());
    server.serve("/b.html", modifiedPage());
    ScriptedDialogs dialogs;
    ScopedDialogs scoped(dialogs);
    test::addAuthor("Sample", "Sam", server.url("/info.inf"));
    test::addSoftware("Sample", "tool", "T", 1);
    addPageItem(environment, "", "A page", server.url("/a.html"), true);
    addPageItem(environment, "", "B page", server.url("/b.html"), false);
    // Nothing listens on port 1: the check fails and the item reports its error.
    addPageItem(environment, "Sub", "C page", "http://127.0.0.1:1/c.html", true);

    const std::vector<DefineRow> rows = listDefineRows("");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(listDefineRows("Sub").size(), 1u);
    EXPECT_THROW(listDefineRows("Nowhere"), std::runtime_error);

    CheckRunSettings settings;
    settings.ntpAutoSync = true;
    CountingClock clock;
    LastDefineState defineState;
    CheckRun run(settings);
    run.clock = &clock;
    run.defineObserver = &defineState;
    const CheckResults results = run.run(FillAuthorList(true), false, rows);

    ASSERT_EQ(results.rows.size(), 3u);
    EXPECT_EQ(results.rows[0].displayName, "Tool");
    const ResultsRow& updated = results.rows[1];
    EXPECT_EQ(updated, (ResultsRow{"[定義]", "A page", "?", todayText(), server.url("/a.html"), "",
                                   "", updated.comment}));
    EXPECT_EQ(updated.comment.rfind("【更新判定理由】#r", 0), 0u) << updated.comment;
    EXPECT_GT(updated.comment.size(), std::string("【更新判定理由】#r").size());
    EXPECT_EQ(results.rows[2].author, "[定義]");
    EXPECT_EQ(results.rows[2].displayName, "C page");
    EXPECT_EQ(results.rows[2].comment.rfind("【エラー】#r", 0), 0u) << results.rows[2].comment;
    EXPECT_EQ(results.notices, (std::vector<AuthorNotice>{{"Sam", "hi"}}));
    EXPECT_FALSE(results.cancelled);
    EXPECT_FALSE(run.running());
    EXPECT_EQ(clock.calls, 1);
    EXPECT_EQ(defineState.last.position, 3);
    EXPECT_EQ(defineState.last.maximum, 3);
    // The engine's failure text is told as an HTTP error.
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().back().caption, "HTTP エラー");
}

TEST(CheckRun, ACancelledRunSkipsTheDefinePhaseAndTheClock) {
    test::TempEnvironment environment;
    HttpTestServer server;
    HttpReply stalled = HttpReply::ok("");
    stalled.stall = true;
    server.serve("/info.inf", stalled);
    server.serve("/a.html", modifiedPage());
    ScriptedDialogs dialogs;
    ScopedDialogs scoped(dialogs);
    test::addAuthor("Sample", "Sam", server.url("/info.inf"));
    addPageItem(environment, "", "A page", server.url("/a.html"), true);

    CheckRunSettings settings;
    settings.ntpAutoSync = true;
    CountingClock clock;
    CheckRun run(settings);
    run.clock = &clock;
    EXPECT_FALSE(run.cancel());  // no run is going
    const auto timer = messagePump().startTimer(std::chrono::milliseconds(300),
                                                [&] { EXPECT_TRUE(run.cancel()); });
    const CheckResults results = run.run(FillAuthorList(true), false, listDefineRows(""));
    messagePump().stopTimer(timer);

    EXPECT_TRUE(results.cancelled);
    EXPECT_TRUE(results.rows.empty());
    EXPECT_EQ(server.requests().size(), 1u);  // the page was never asked for
    EXPECT_EQ(clock.calls, 0);
}

TEST(CheckRun, AnEmptyAuthorListIsToldAndTheDefinePhaseRuns) {
    test::TempEnvironment environment;
    HttpTestServer server;
    server.serve("/a.html", modifiedPage());
    ScriptedDialogs dialogs;
    ScopedDialogs scoped(dialogs);
    addPageItem(environment, "", "A page", server.url("/a.html"), true);

    CheckRun run(CheckRunSettings{});
    const CheckResults results = run.run({}, false, listDefineRows(""));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].caption, "作者不在");
    EXPECT_EQ(results.rows.size(), 1u);
}

}  // namespace
}  // namespace kestrin
