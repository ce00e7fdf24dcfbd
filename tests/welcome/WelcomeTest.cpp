#include "welcome/Welcome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "define/DefineItem.h"
#include "platform/Dialogs.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::TempEnvironment;
using test::writeFile;

TEST(WelcomeWizardTest, NextAndBackThroughTheFivePages) {
    WelcomeWizard wizard;
    EXPECT_EQ(wizard.page(), 0);
    EXPECT_FALSE(wizard.backEnabled());
    EXPECT_STREQ(wizard.nextCaption(), "次へ(&N) >");
    for (int page = 1; page <= 3; ++page) {
        EXPECT_FALSE(wizard.next());
        EXPECT_EQ(wizard.page(), page);
        EXPECT_TRUE(wizard.backEnabled());
        EXPECT_STREQ(wizard.nextCaption(), "次へ(&N) >");
    }
    EXPECT_FALSE(wizard.next());
    EXPECT_EQ(wizard.page(), 4);
    EXPECT_STREQ(wizard.nextCaption(), "完了(&F)");

    // Back on the last page returns and gives Next its caption back.
    wizard.back();
    EXPECT_EQ(wizard.page(), 3);
    EXPECT_STREQ(wizard.nextCaption(), "次へ(&N) >");
    EXPECT_FALSE(wizard.next());
    // Next on the last page finishes: the wizard closes with OK.
    EXPECT_TRUE(wizard.next());
    EXPECT_EQ(wizard.page(), 4);

    for (int page = 3; page >= 0; --page)
        wizard.back();
    EXPECT_EQ(wizard.page(), 0);
    EXPECT_FALSE(wizard.backEnabled());
}

// Records what the conversion shows, in order.
class RecordingView : public ConversionView {
  public:
    void setAnimationPlaying(bool playing) override {
        events.push_back(playing ? "play" : "stop");
        this->playing = playing;
    }
    void showProgress(int position, int maximum) override {
        progress.emplace_back(position, maximum);
        bar = position;
    }
    void clearProgress() override {
        events.push_back("clear");
        bar = 0;
    }
    void rebuildDefineTree() override { events.push_back("rebuild"); }

    std::vector<std::string> events;
    std::vector<std::pair<int, int>> progress;
    bool playing = false;
    int bar = -1;
};

class WelcomeConversionTest : public ::testing::Test {
  protected:
    WelcomeConversionTest() { fs::create_directories(root()); }
    fs::path root() const { return env.favorites() / "Kestrin 2001"; }
    std::string oldFile() const { return (env.root() / "Renvane.udi").string(); }
    bool convert(const std::string& file) {
        return convertOldDefineData(file, root().string() + "/", view);
    }
    std::vector<std::string> itemNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The one box shown, as "caption|text".
    std::string shownBox() const {
        if (dialogs.shown().size() != 1) return std::to_string(dialogs.shown().size()) + " boxes";
        return dialogs.shown()[0].caption + "|" + dialogs.shown()[0].text;
    }

    TempEnvironment env;
    ScriptedDialogs dialogs;
    ScopedDialogs installed{dialogs};
    RecordingView view;
};

TEST_F(WelcomeConversionTest, ConvertsEverySectionButTheExtensionsIntoTheRoot) {
    writeFile(oldFile(),
              "[Extentions]\r\nExt0=.lzh\r\n[A]\r\nPageURL=http://a.example/\r\n"
              "[B]\r\nPageURL=http://b.example/\r\nOption=0\r\n");
    EXPECT_TRUE(convert(oldFile()));

    EXPECT_EQ(view.progress, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));
    EXPECT_EQ(itemNames(), (std::vector<std::string>{"A.url", "B.url"}));
    TVDefineItem b;
    TVKestrinDefineItem().LoadItem((root() / "B.url").string(), b);
    EXPECT_EQ(b.PageURL, "http://b.example/");
    EXPECT_EQ(view.events, (std::vector<std::string>{"play", "rebuild", "stop", "clear"}));
    EXPECT_EQ(dialogs.shown().at(0).icon, DialogIcon::Information);
    EXPECT_EQ(shownBox(), "完了|コンバートと再読込を完了しました");
    EXPECT_EQ(view.bar, 0);
}

TEST_F(WelcomeConversionTest, AFileThatCannotBeConvertedIsReportedAndNothingIsWritten) {
    struct Case {
        const char* what;
        std::string file;
        std::string text;
    };
    const std::string missing = (env.root() / "missing.udi").string();
    const std::string folder = env.root().string();
    const Case cases[] = {
        {"empty path", "",
         "コンバート元の Renvane.udi ファイルを指定してください\r\nコンバートを中止しました"},
        {"missing file", missing, missing + " が見つかりません\r\nコンバートを中止しました"},
        {"a folder", folder, folder + " を読み込めません\r\nコンバートを中止しました"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clear();
        view = RecordingView();
        EXPECT_FALSE(convert(c.file));
        EXPECT_EQ(shownBox(), "コンバートエラー|" + c.text);
        EXPECT_EQ(dialogs.shown().at(0).icon, DialogIcon::Error);
        EXPECT_FALSE(view.playing);
        EXPECT_EQ(view.bar, 0);
        EXPECT_TRUE(itemNames().empty());
    }
}

TEST_F(WelcomeConversionTest, AFailureKeepsTheItemsWrittenBeforeIt) {
    writeFile(oldFile(),
              "[A]\r\nPageURL=http://a/\r\n[B]\r\nPageURL=http://b/\r\n"
              "[C]\r\nPageURL=http://c/\r\n");
    // A folder in B's place cannot be written.
    fs::create_directories(root() / "B.url");
    EXPECT_FALSE(convert(oldFile()));

    EXPECT_EQ(itemNames(), (std::vector<std::string>{"A.url", "B.url"}));
    EXPECT_TRUE(fs::is_regular_file(root() / "A.url"));
    EXPECT_EQ(shownBox(), "コンバートエラー|" + (root() / "B.url").string() +
                              " に書き込めません\r\nコンバートを中止しました");
    // The tree shows what was converted; the bar is back at 0.
    EXPECT_EQ(view.events, (std::vector<std::string>{"play", "rebuild", "stop", "clear"}));
    EXPECT_EQ(view.bar, 0);
}

TEST_F(WelcomeConversionTest, TheDataFileBesideTheStoredProgramPath) {
    const fs::path program = env.root() / "bin" / "kestrin";
    fs::create_directories(program.parent_path());
    EXPECT_EQ(defaultOldDefineFile(program.string()), "");
    EXPECT_EQ(defaultOldDefineFile(""), "");
    writeFile(program.parent_path() / "Renvane.udi", "[A]\r\n");
    EXPECT_EQ(defaultOldDefineFile(program.string()),
              (program.parent_path() / "Renvane.udi").string());

    // The open dialog starts with the field's file only when that file exists.
    EXPECT_EQ(oldDefineDialogFile((program.parent_path() / "Renvane.udi").string()),
              (program.parent_path() / "Renvane.udi").string());
    EXPECT_EQ(oldDefineDialogFile((env.root() / "nowhere.udi").string()), "");
    EXPECT_EQ(oldDefineDialogFile(env.root().string()), "");
}

TEST(WelcomeHelpCheckTest, FoundHelpOpensTheContentsAndShowsTheLink) {
    HelpCheck found = checkHelp(true);
    EXPECT_TRUE(found.showContents);
    EXPECT_TRUE(found.linkVisible);
    EXPECT_EQ(found.label32Text, "");

    HelpCheck missing = checkHelp(false);
    EXPECT_FALSE(missing.showContents);
    EXPECT_FALSE(missing.linkVisible);
    EXPECT_EQ(missing.label32Text,
              "ヘルプファイルが見つかりません。インストール時にオプションをオフにしていた場合は，"
              "再度上書きしてセットアップを行ってください。");
}

}  // namespace
}  // namespace kestrin
