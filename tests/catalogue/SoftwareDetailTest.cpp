#include "catalogue/SoftwareDetail.h"

#include <gtest/gtest.h>

#include "catalogue/CatalogueFixture.h"
#include "platform/Dialogs.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::addAuthor;
using test::addSoftware;
using test::setInteger;
using test::setString;
using test::stringAt;

const char* const kAuthorCaption = "作者削除の確認";
const char* const kSoftwareCaption = "ソフトウエアの情報削除の確認";

std::string authorQuestion(const std::string& name) {
    return "作者 " + name +
           " の情報全てを消去します\r\n"
           "ただし同じ作者のソフトウエアを再度利用されると，自動的に再登録されます\r\n\r\n"
           "削除してよろしいですか？";
}

std::string softwareQuestion(const std::string& name, const std::string& lines) {
    return "作者 " + name +
           " の次のソフトウエアの情報を削除します\r\n"
           "ただし同じソフトウエアを再度利用されると，自動的に再登録されます\r\n\r\n" +
           lines + "\r\nよろしいですか？";
}

bool keyExists(const std::string& key) {
    TVRegEx reg;
    return reg.KeyExists(std::string(kRenvaneKey) + key);
}

// Alice (key "Alpha") with three programs, and Bob, who stays whatever happens to Alice.
class SoftwareDetailTest : public testing::Test {
  protected:
    void SetUp() override {
        guard_ = std::make_unique<ScopedDialogs>(answers_);
        addAuthor("Alpha", "Alice", "http://alice.example/update.inf");
        addSoftware("Alpha", "editor", "AliceEdit", 3);
        setString("Alpha\\editor", "DisplayName", "Alice Editor");
        setString("Alpha\\editor", "FilePath", icon_.string());
        setInteger("Alpha\\editor", "IconIndex", 2);
        addSoftware("Alpha", "Viewer", "AliceView", 1);
        setString("Alpha\\Viewer", "FilePath", (environment_.root() / "gone.exe").string());
        addSoftware("Alpha", "zip", "AliceZip", 7);
        setString("Alpha\\zip", "IconIndex", "1");  // of the wrong type: reads as missing
        addAuthor("Beta", "Bob");
        addSoftware("Beta", "tool", "BobTool", 1);
        test::writeFile(icon_, "icon");

        detail_.SetAuthorName("Alice");
        detail_.SetAuthorKey("Alpha");
        detail_.LoadSoftwareList();
    }

    test::TempEnvironment environment_;
    std::filesystem::path icon_ = environment_.root() / "editor.ico";
    ScriptedDialogs answers_;
    std::unique_ptr<ScopedDialogs> guard_;
    SoftwareDetail detail_;
};

TEST_F(SoftwareDetailTest, ListsTheSoftwareInStoreOrderWithItsIconFile) {
    const std::vector<DetailSoftware> expected{
        {"Alice Editor", "editor", icon_.string(), 2, true},
        {"AliceView", "Viewer", (environment_.root() / "gone.exe").string(), 0, false},
        {"AliceZip", "zip", "", 0, false},
    };
    EXPECT_EQ(detail_.SoftwareList(), expected);

    // An author that is not in the store lists nothing and is not created by looking.
    SoftwareDetail missing;
    missing.SetAuthorKey("Nobody");
    EXPECT_TRUE(missing.LoadSoftwareList().empty());
    EXPECT_FALSE(keyExists("Nobody"));
}

TEST_F(SoftwareDetailTest, DeletesTheWholeAuthorAfterYes) {
    EXPECT_EQ(detail_.Choice(), DetailChoice::DeleteAuthor);
    EXPECT_FALSE(detail_.SoftwareListEnabled());
    answers_.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(detail_.btnOKClick({}));

    ASSERT_EQ(answers_.shown().size(), 1u);
    const ScriptedDialogs::Shown& asked = answers_.shown()[0];
    EXPECT_EQ(asked.text, authorQuestion("Alice"));
    EXPECT_EQ(asked.caption, kAuthorCaption);
    EXPECT_EQ(asked.icon, DialogIcon::Question);
    EXPECT_EQ(asked.buttons, DialogButtons::YesNo);
    EXPECT_FALSE(keyExists("Alpha"));
    EXPECT_TRUE(keyExists("Beta\\tool"));
}

TEST_F(SoftwareDetailTest, NoKeepsTheDialogOpenAndChangesNothing) {
    answers_.queueAnswer(DialogAnswer::No);
    EXPECT_FALSE(detail_.btnOKClick({}));
    EXPECT_TRUE(keyExists("Alpha\\zip"));

    detail_.rdbDeleteSoftwareClick(1);
    answers_.queueAnswer(DialogAnswer::No);
    EXPECT_FALSE(detail_.btnOKClick({0, 1, 2}));
    for (const char* key : {"Alpha\\editor", "Alpha\\Viewer", "Alpha\\zip"})
        EXPECT_TRUE(keyExists(key)) << key;

    // The dialog is still there for another try.
    answers_.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(detail_.btnOKClick({1}));
    EXPECT_FALSE(keyExists("Alpha\\Viewer"));
}

TEST_F(SoftwareDetailTest, DeletesTheSelectedSoftwareListedInListOrder) {
    detail_.rdbDeleteSoftwareClick(1);
    EXPECT_TRUE(detail_.SoftwareListEnabled());
    answers_.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(detail_.btnOKClick({2, 0, 2}));

    ASSERT_EQ(answers_.shown().size(), 1u);
    EXPECT_EQ(answers_.shown()[0].text,
              softwareQuestion("Alice", "・Alice Editor\r\n・AliceZip\r\n"));
    EXPECT_EQ(answers_.shown()[0].caption, kSoftwareCaption);
    EXPECT_EQ(answers_.shown()[0].buttons, DialogButtons::YesNo);
    EXPECT_FALSE(keyExists("Alpha\\editor"));
    EXPECT_FALSE(keyExists("Alpha\\zip"));
    EXPECT_EQ(stringAt("Alpha\\Viewer", "DistinctName"), "AliceView");
    EXPECT_EQ(stringAt("Alpha", "Author"), "Alice");
}

TEST_F(SoftwareDetailTest, NothingSelectedListsNoSoftwareAndDeletesNothing) {
    detail_.rdbDeleteSoftwareClick(1);
    answers_.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(detail_.btnOKClick({}));
    ASSERT_EQ(answers_.shown().size(), 1u);
    EXPECT_EQ(answers_.shown()[0].text, softwareQuestion("Alice", ""));
    for (const char* key : {"Alpha\\editor", "Alpha\\Viewer", "Alpha\\zip"})
        EXPECT_TRUE(keyExists(key)) << key;
}

TEST_F(SoftwareDetailTest, BackToTheAuthorChoiceDeletesTheWholeAuthor) {
    detail_.rdbDeleteSoftwareClick(1);
    detail_.rdbDeleteSoftwareClick(0);
    EXPECT_FALSE(detail_.SoftwareListEnabled());
    answers_.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(detail_.btnOKClick({1}));
    ASSERT_EQ(answers_.shown().size(), 1u);
    EXPECT_EQ(answers_.shown()[0].caption, kAuthorCaption);
    EXPECT_FALSE(keyExists("Alpha"));
}

TEST_F(SoftwareDetailTest, AKeyThatNamesNoAuthorDeletesNothing) {
    // An empty key, or one of backslashes, would name the root with every setting in it.
    setString("", "SomeSetting", "proxy.example");
    for (const char* key : {"", "\\", "\\\\"}) {
        SoftwareDetail detail;
        detail.SetAuthorKey(key);
        EXPECT_TRUE(detail.LoadSoftwareList().empty()) << key;
        EXPECT_TRUE(detail.btnOKClick({})) << key;
        detail.rdbDeleteSoftwareClick(1);
        EXPECT_TRUE(detail.btnOKClick({0})) << key;
    }
    EXPECT_EQ(stringAt("", "SomeSetting"), "proxy.example");
    EXPECT_TRUE(keyExists("Alpha\\editor"));
    EXPECT_TRUE(keyExists("Beta"));
}

}  // namespace
}  // namespace kestrin
