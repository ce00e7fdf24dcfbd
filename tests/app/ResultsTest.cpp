#include "app/Results.h"

#include <gtest/gtest.h>

#include "platform/Dialogs.h"

namespace kestrin {
namespace {

const std::string kFound =
    "更新ファイルや情報が見つかりました。各タブを確認してください。* "
    "印のついているソフトの情報は，必ずチェックするようにしてください。";
const std::string kNothing =
    "更新ファイルや情報は見つかりませんでした。後日，再度実行してみて下さい。";

TEST(Results, ThePageShowsTheTabsOfWhatWasFoundAndSoundsForUpdatesOnly) {
    const ResultsRow row{"Sam", "* Tool", "1.0", "2001/07/01", "http://x/", "S\\t", "2", "a#rb"};
    const AuthorNotice notice{"Sam", "hi"};
    struct Case {
        const char* name;
        CheckResults results;
        bool ringSound;
        ResultsPage page;
    };
    const Case cases[] = {
        {"nothing", {}, true, {kNothing, false, false, false, false}},
        {"notices alone", {{}, {notice}}, true, {kFound, true, false, true, false}},
        {"rows", {{row}, {}}, true, {kFound, true, true, false, true}},
        {"rows, sound off", {{row}, {notice}}, false, {kFound, true, true, true, false}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resultsPage(c.results, c.ringSound), c.page) << c.name;

    // A listing has no tabs to look at.
    EXPECT_EQ(summarySentence({{row}, {}}, false),
              "更新ファイルや情報が見つかりました。* "
              "印のついているソフトの情報は，必ずチェックするようにしてください。");
    EXPECT_EQ(summarySentence({}, false), kNothing);
}

TEST(Results, RowsAndNoticesReadAsRunningText) {
    ResultsRow row;
    row.comment = "one#rtwo#r";
    EXPECT_EQ(rowHint(row), "one\r\ntwo\r\n");
    EXPECT_EQ(noticeLabel("作者"), "作者 さんからの情報(&I)：");
    EXPECT_EQ(noticeHeading("作者"), "作者 さんからの情報:");
    EXPECT_EQ(resultsColumnCaptions()[0], "作者");
    EXPECT_EQ(resultsColumnCaptions()[7], "ソフトへのコメント");

    ScriptedDialogs dialogs;
    ScopedDialogs scoped(dialogs);
    tellNewerFormat();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].caption, "Kestrin新バージョン検出");
    EXPECT_EQ(dialogs.shown()[0].icon, DialogIcon::Information);
    EXPECT_EQ(dialogs.shown()[0].text.rfind(
                  "Kestrinの新バージョンを使った情報ファイルが見つかりました\r\n", 0),
              0u);
}

}  // namespace
}  // namespace kestrin
