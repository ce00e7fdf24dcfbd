#include "app/ResultsNotification.h"

#include <gtest/gtest.h>

namespace kestrin {
namespace {

ResultsRow row(const std::string& author, const std::string& name) {
    ResultsRow r;
    r.author = author;
    r.displayName = name;
    return r;
}

TEST(ResultsNotification, CountsAndNamesWhatTheRunFound) {
    struct Case {
        std::vector<ResultsRow> rows;
        std::vector<AuthorNotice> notices;
        std::string body;
    };
    const std::vector<Case> cases{
        {{row("Sam", "* Tool")}, {}, "更新が 1 件見つかりました: Tool"},
        {{row("Sam", "A"), row("[定義]", "ページ"), row("Sam", "C")},
         {},
         "更新が 3 件見つかりました: A、ページ、C"},
        {{row("Sam", "A"), row("Sam", "B"), row("Sam", "C"), row("Sam", "D"), row("Sam", "E")},
         {{"Sam", "text"}},
         "更新が 5 件見つかりました: A、B、C ほか 2 件\n作者からの情報が 1 件あります: Sam"},
        {{}, {{"Sam", "x"}, {"Ann", "y"}}, "作者からの情報が 2 件あります: Sam、Ann"},
    };
    for (const Case& c : cases) {
        CheckResults results;
        results.rows = c.rows;
        results.notices = c.notices;
        const auto notification = resultsNotification(results);
        ASSERT_TRUE(notification.has_value());
        EXPECT_EQ(notification->summary, "Kestrin 2001");
        EXPECT_EQ(notification->appName, "Kestrin 2001");
        EXPECT_EQ(notification->body, c.body);
        EXPECT_EQ(notification->desktopEntry, notification->icon);
        EXPECT_FALSE(notification->icon.empty());
    }
}

TEST(ResultsNotification, NothingFoundRaisesNone) {
    CheckResults results;
    results.cancelled = true;
    results.newerFormatSeen = true;
    EXPECT_FALSE(resultsNotification(results).has_value());
}

}  // namespace
}  // namespace kestrin
