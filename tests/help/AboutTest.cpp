#include "help/About.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Dialogs.h"

namespace kestrin {
namespace {

TEST(AboutTest, VersionTextFromTheFileVersion) {
    struct Case {
        const char* version;
        const char* description;
        const char* expected;
    };
    const Case cases[] = {
        {"3.0.5.360", "", "Version 3.05 (Build 360)"},
        {"3.0.5.360", "beta", "Version 3.05 beta (Build 360)"},
        {" 3 . 1 . 2 . 7 ", "", "Version 3.12 (Build 7)"},
        {"3.0", "", "Version 3.0 (Build )"},  // missing fields stay empty
    };
    for (const Case& c : cases)
        EXPECT_EQ(aboutVersionText(c.version, c.description), c.expected) << c.version;
    EXPECT_EQ(ownAboutVersionText(),
              "Version 3.00 オンラインソフトアップデートチェックユーティリティ (Build 1)");
}

TEST(AboutTest, MailLinkAsksToReadTheHelpFirst) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    std::vector<std::string> opened;
    bool warnedFirst = false;
    EXPECT_TRUE(openSupportMail(kSupportMail, [&](const std::string& address) {
        warnedFirst = dialogs.shown().size() == 1;
        opened.push_back(address);
        return true;
    }));
    EXPECT_TRUE(warnedFirst);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "お問い合わせになる前に，必ずサポートについてのヘルプをご覧下さい\r\n"
              "ヘルプを無視したサポートにはお答えできません");
    EXPECT_EQ(dialogs.shown()[0].caption, "ヘルプ参照のお願い");
    EXPECT_EQ(opened, std::vector<std::string>{"mailto:support@kestrin.example.org"});
}

}  // namespace
}  // namespace kestrin
