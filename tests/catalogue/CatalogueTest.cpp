#include "catalogue/Catalogue.h"

#include <gtest/gtest.h>

#include "catalogue/CatalogueFixture.h"
#include "platform/BuildNumber.h"
#include "platform/Paths.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::addAuthor;
using test::addSoftware;
using test::integerAt;
using test::setInteger;
using test::setString;
using test::stringAt;

TEST(RegisterSelf, WritesTheOwnEntryAndComesBackAfterDeletion) {
    test::TempEnvironment environment;
    const std::string program = programPath().string();
    const std::string own = std::string(kOwnAuthorKey) + "\\kestrin";

    RegisterSelf();
    {
        TVRegEx reg;
        reg.DeleteKey(std::string(kRenvaneKey) + kOwnAuthorKey);
    }
    RegisterSelf();

    struct Expected {
        std::string key, name, text;
    };
    for (const auto& [key, name, text] : std::vector<Expected>{
             {kOwnAuthorKey, "Author", kOwnAuthorName},
             {kOwnAuthorKey, "DisplayHost", kOwnAuthorHost},
             {kOwnAuthorKey, "InfoURL2", kOwnInfoURL},
             {own, "DistinctName", "Kestrin"},
             {own, "DisplayName", "Kestrin 2001"},
             {own, "FilePath", program},
             {"", "KestrinPath", program},
         })
        EXPECT_EQ(stringAt(key, name), text) << key << " " << name;
    EXPECT_EQ(integerAt(own, "Build"), GetOwnBuild());
    EXPECT_EQ(integerAt("", "KestrinBuild"), GetOwnBuild());
    EXPECT_EQ(integerAt("", "RequiredRDK"), 6);
    EXPECT_EQ(FillAuthorList(true).size(), 1u);
}

// Alpha: two programs (one shown by DistinctName, one nameless), a page, unchecked last time.
// Beta: never through a run (its Checked is of the wrong type, which reads as missing), no
// software. Gamma: checked last time. "Tools" has no "Author" value and is no author.
void writeCatalogue() {
    addAuthor("Alpha", "Alice");
    setString("Alpha", "AuthorURL", "http://alice.example/");
    setInteger("Alpha", "Checked", 0);
    addSoftware("Alpha", "one", "One", 1);
    setString("Alpha\\one", "DisplayName", "First One");
    addSoftware("Alpha", "two", "Two", 1);
    addSoftware("Alpha", "three", "", 1);
    addAuthor("Beta", "Bob");
    setString("Beta", "Checked", "0");
    addAuthor("gamma", "Gina");
    setInteger("gamma", "Checked", 1);
    addSoftware("gamma", "tool", "GTool", 3);
    setString("Tools", "InfoURL", "http://tools.example/info.inf");
    addSoftware("Tools", "x", "X", 1);
}

TEST(FillAuthorList, ListsAuthorsWithSoftwareUrlAndMarks) {
    test::TempEnvironment environment;
    writeCatalogue();

    const std::vector<AuthorRow> reflected = FillAuthorList(true);
    const std::vector<AuthorRow> expected{
        {"Alice", "First One/Two", "Alpha", "http://alice.example/", false},
        {"Bob", "", "Beta", "(none)", true},
        {"Gina", "GTool", "gamma", "(none)", true},
    };
    EXPECT_EQ(reflected, expected);

    // Without the reflect option every author starts checked.
    for (const AuthorRow& row : FillAuthorList(false))
        EXPECT_TRUE(row.checked) << row.key;
}

TEST(AuthorCheckMenu, TagsSetTheMarks) {
    test::TempEnvironment environment;
    writeCatalogue();
    // Stored: Alpha 0, Beta none, gamma 1. Current marks before each action: T, F, F.
    struct Case {
        int tag;
        std::vector<bool> marks;
    };
    for (const auto& [tag, marks] : std::vector<Case>{
             {0, {true, false, false}},
             {1, {false, true, true}},
             {2, {true, true, false}},
             {3, {false, true, true}},
             {4, {true, true, true}},
             {5, {false, false, false}},
             {6, {true, false, false}},
         }) {
        std::vector<AuthorRow> rows = FillAuthorList(true);
        rows[0].checked = true;
        rows[1].checked = false;
        rows[2].checked = false;
        mnuAuthorCheck(rows, tag);
        std::vector<bool> got;
        for (const AuthorRow& row : rows)
            got.push_back(row.checked);
        EXPECT_EQ(got, marks) << "Tag " << tag;
    }

    std::vector<int> tags;
    for (const AuthorCheckMenuItem& item : authorCheckMenu())
        if (item.tag) tags.push_back(item.tag);
    EXPECT_EQ(tags, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(AuthorCheckMenu, CheckOnlyAuthorIgnoresCase) {
    test::TempEnvironment environment;
    writeCatalogue();
    std::vector<AuthorRow> rows = FillAuthorList(true);
    checkOnlyAuthor(rows, "GAMMA");
    EXPECT_EQ(rows[0].checked, false);
    EXPECT_EQ(rows[1].checked, false);
    EXPECT_EQ(rows[2].checked, true);
    checkOnlyAuthor(rows, "");
    for (const AuthorRow& row : rows)
        EXPECT_FALSE(row.checked);
}

}  // namespace
}  // namespace kestrin
