#include "define/DefineList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "define/FolderCommands.h"
#include "platform/Dialogs.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
using Files = std::map<std::string, std::string>;  // path below the root -> bytes

// Keeps what the list showed in the order it showed it.
class RecordingView : public DefineListView {
  public:
    void listingStarted() override {
        ++started;
        shown.clear();
    }
    void listingEnded() override { ++ended; }
    void rowAppended(const DefineListRow& row) override { shown.push_back(row); }
    void rowChanged(std::size_t position, const DefineListRow& row) override {
        shown.at(position) = row;
    }
    void rowRemoved(std::size_t position) override {
        shown.erase(shown.begin() + std::ptrdiff_t(position));
    }
    void treeChanged() override { ++treeChanges; }
    void openPage(const std::string& address) override { opened.push_back(address); }
    void dialogKeysHeld(bool held) override { keys.push_back(held); }

    std::vector<DefineListRow> shown;
    std::vector<std::string> opened;
    std::vector<bool> keys;
    int started = 0, ended = 0, treeChanges = 0;
};

struct ItemSpec {
    std::string path;  // below the define root, without ".url"
    bool checked = true;
    bool updated = false;
    std::string error = kNoError;
    std::string url = "http://www.example.jp/";
};

class DefineListTest : public ::testing::Test {
  protected:
    fs::path root() const { return env.favorites() / "Kestrin 2001"; }

    void add(const ItemSpec& spec) {
        TVDefineItem item;
        item.TermName = fs::path(spec.path).filename().string();
        item.ItemPath = (root() / (spec.path + ".url")).string();
        item.Checked = spec.checked;
        item.Updated = spec.updated;
        item.Error = spec.error;
        item.PageURL = spec.url;
        TVKestrinDefineItem().SaveItem(item);
    }
    TVDefineItem load(const std::string& path) {
        TVDefineItem item;
        TVKestrinDefineItem().LoadItem((root() / (path + ".url")).string(), item);
        return item;
    }
    // Every file below the root with its bytes.
    Files files() const {
        Files all;
        for (const auto& entry : fs::recursive_directory_iterator(root())) {
            if (entry.is_regular_file())
                all[fs::relative(entry.path(), root()).string()] = readFile(entry.path());
        }
        return all;
    }
    // The names of the files whose bytes differ from `before`, or that came or went.
    std::vector<std::string> changedSince(const Files& before) const {
        std::vector<std::string> changed;
        Files now = files();
        for (const auto& [name, bytes] : now) {
            auto was = before.find(name);
            if (was == before.end() || was->second != bytes) changed.push_back(name);
        }
        for (const auto& [name, bytes] : before) {
            if (!now.count(name)) changed.push_back(name);
        }
        return changed;
    }
    std::vector<std::string> captions() const {
        std::vector<std::string> all;
        for (const auto& row : list.rows())
            all.push_back(row.caption);
        EXPECT_EQ(list.rows(), view.shown);  // the view always shows what the list holds
        return all;
    }
    // Lists folder `name` (a node below "[階層表示]").
    void selectFolder(const std::string& name) {
        const auto& folders = list.tree().FolderList;
        auto at = std::find(folders.begin(), folders.end(), name.empty() ? "" : name + "/");
        ASSERT_NE(at, folders.end()) << name;
        list.select(list.tree().NodeOfFolder(std::int32_t(at - folders.begin())));
    }
    const ScriptedDialogs::Shown& lastBox() const {
        EXPECT_FALSE(dialogs.shown().empty());
        return dialogs.shown().back();
    }

    test::TempEnvironment env;
    ScriptedDialogs dialogs;
    ScopedDialogs useDialogs{dialogs};
    RecordingView view;
    DefineList list{view};
};

TEST_F(DefineListTest, ListingShowsEachItemWithItsIconAndWritesNothing) {
    add({"plain"});
    add({"updated", true, true});
    add({"failed", false, false, "404 Not Found"});
    add({"both", true, true, "404 Not Found"});
    add({"empty error", true, false, ""});
    const Files before = files();

    list.rebuild();
    EXPECT_FALSE(list.listing());
    EXPECT_GE(view.ended, 1);
    EXPECT_EQ(view.treeChanges, 1);
    struct Expected {
        const char* caption;
        bool checked;
        DefineIcon icon;
        const char* error;
    };
    const Expected expected[] = {
        {"both", true, DefineIcon::Error, "404 Not Found"},
        {"empty error", true, DefineIcon::Plain, kNoError},
        {"failed", false, DefineIcon::Error, "404 Not Found"},
        {"plain", true, DefineIcon::Plain, kNoError},
        {"updated", true, DefineIcon::Updated, kNoError},
    };
    ASSERT_EQ(list.rows().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const DefineListRow& row = list.rows()[i];
        EXPECT_EQ(row.caption, expected[i].caption);
        EXPECT_EQ(row.checked, expected[i].checked) << row.caption;
        EXPECT_EQ(row.icon, expected[i].icon) << row.caption;
        EXPECT_EQ(row.error, expected[i].error) << row.caption;
        EXPECT_EQ(row.url, "http://www.example.jp/");
        EXPECT_EQ(row.index, std::int32_t(i));
    }
    EXPECT_EQ(captions().size(), 5u);
    list.listAgain();
    EXPECT_FALSE(list.listing());
    EXPECT_EQ(changedSince(before), std::vector<std::string>{});
}

TEST_F(DefineListTest, CheckBoxesWriteTheirItemsAtOnce) {
    for (const char* name : {"a", "b", "c", "d", "e"})
        add({name, std::string("ad").find(name[0]) != std::string::npos});
    struct Case {
        const char* what;
        CheckCommand command;
        std::vector<bool> checked;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"invert",
         CheckCommand::Invert,
         {false, true, true, false, true},
         {"a.url", "b.url", "c.url", "d.url", "e.url"}},
        {"check all", CheckCommand::CheckAll, {true, true, true, true, true}, {"a.url", "d.url"}},
        {"check all again", CheckCommand::CheckAll, {true, true, true, true, true}, {}},
        {"uncheck all",
         CheckCommand::UncheckAll,
         {false, false, false, false, false},
         {"a.url", "b.url", "c.url", "d.url", "e.url"}},
    };
    list.rebuild();
    for (const auto& c : cases) {
        const Files before = files();
        list.checkShown(c.command);
        EXPECT_EQ(changedSince(before), c.written) << c.what;
        for (std::size_t i = 0; i < c.checked.size(); ++i) {
            EXPECT_EQ(list.rows()[i].checked, c.checked[i]) << c.what << " " << i;
            EXPECT_EQ(load(list.rows()[i].caption).Checked, c.checked[i]) << c.what << " " << i;
        }
    }

    // One box: the file says "Checked=1" at once, and nothing else changes in it.
    const Files before = files();
    list.setChecked(2, true);
    EXPECT_EQ(changedSince(before), std::vector<std::string>{"c.url"});
    const std::string bytes = readFile(root() / "c.url");
    EXPECT_NE(bytes.find("Checked=1\r\n"), std::string::npos);
    std::string unchecked = before.at("c.url");
    unchecked.replace(unchecked.find("Checked=0"), 9, "Checked=1");
    EXPECT_EQ(bytes, unchecked);
}

TEST_F(DefineListTest, ClearingMarks) {
    add({"error", true, true, "404 Not Found"});
    add({"plain"});
    add({"updated", true, true});
    add({"updated 2", true, true});
    list.rebuild();

    // Clearing all updated marks leaves the error row marked.
    list.clearUpdatedMarks();
    std::vector<DefineIcon> icons;
    for (const auto& row : list.rows())
        icons.push_back(row.icon);
    EXPECT_EQ(icons, (std::vector<DefineIcon>{DefineIcon::Error, DefineIcon::Plain,
                                              DefineIcon::Plain, DefineIcon::Plain}));
    EXPECT_FALSE(load("updated").Updated);
    EXPECT_FALSE(load("updated 2").Updated);
    EXPECT_TRUE(load("error").Updated);

    // Nothing happens while a caption is edited, for a plain row or without a row.
    const Files before = files();
    list.editorOpened();
    list.clearMark(0);
    list.editorClosed();
    list.clearMark(1);
    list.clearMark(std::nullopt);
    EXPECT_EQ(changedSince(before), std::vector<std::string>{});

    // The error mark: Error emptied in the file, Updated off, the row says "(エラー無し)".
    list.clearMark(0);
    EXPECT_EQ(list.rows()[0].icon, DefineIcon::Plain);
    EXPECT_EQ(list.rows()[0].error, kNoError);
    EXPECT_NE(readFile(root() / "error.url").find("Error=\r\n"), std::string::npos);
    const TVDefineItem cleared = load("error");
    EXPECT_EQ(cleared.Error, kNoError);
    EXPECT_FALSE(cleared.Updated);
    EXPECT_EQ(changedSince(before), std::vector<std::string>{"error.url"});
    captions();
}

TEST_F(DefineListTest, FiltersCombineOnTheShownRowsAndDefaultListsAllAgain) {
    add({"a checked updated", true, true});
    add({"b unchecked updated", false, true});
    add({"c checked error", true, false, "timeout"});
    add({"d checked plain"});
    const std::vector<std::string> all = {"a checked updated", "b unchecked updated",
                                          "c checked error", "d checked plain"};
    struct Case {
        const char* what;
        std::vector<ViewFilter> filters;
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        {"updated", {ViewFilter::UpdatedOnly}, {"a checked updated", "b unchecked updated"}},
        {"active",
         {ViewFilter::ActiveOnly},
         {"a checked updated", "c checked error", "d checked plain"}},
        {"error", {ViewFilter::ErrorOnly}, {"c checked error"}},
        {"updated, then active",
         {ViewFilter::UpdatedOnly, ViewFilter::ActiveOnly},
         {"a checked updated"}},
        {"error, then updated", {ViewFilter::ErrorOnly, ViewFilter::UpdatedOnly}, {}},
    };
    list.rebuild();
    const Files before = files();
    for (const auto& c : cases) {
        for (ViewFilter filter : c.filters)
            list.filter(filter);
        EXPECT_EQ(captions(), c.kept) << c.what;
        EXPECT_EQ(list.tree().FileList.size(), 4u) << c.what;
        list.listAgain();  // "デフォルトに戻す"
        EXPECT_EQ(captions(), all) << c.what;
    }
    // A kept row still reaches its own file.
    list.filter(ViewFilter::ErrorOnly);
    list.setChecked(0, false);
    EXPECT_FALSE(load("c checked error").Checked);
    EXPECT_EQ(changedSince(before), std::vector<std::string>{"c checked error.url"});
}

TEST_F(DefineListTest, RenamingAnItemInPlace) {
    add({"old"});
    add({"other"});
    struct Case {
        const char* text;
        bool stored;
        const char* message;  // nullptr: no box
    };
    const std::string forbidden = "条件名に「\\/:,;*?\"<>|」は使えません";
    const Case cases[] = {
        {"what?", false, forbidden.c_str()},
        {"a/b", false, forbidden.c_str()},
        {"a\\b", false, forbidden.c_str()},
        {"", false, "条件名を空にすることはできません"},
        {"  ", false, "条件名を空にすることはできません"},
        {"other", false,
         "指定された定義名と同じ名前の条件が，既に同じフォルダにあります\r\n"
         "異なる定義名に変更してください"},
        {"old", true, nullptr},
    };
    list.rebuild();
    const Files before = files();
    for (const auto& c : cases) {
        dialogs.clear();
        EXPECT_EQ(list.renameItem(0, c.text), c.stored) << c.text;
        EXPECT_EQ(list.rows()[0].caption, "old") << c.text;
        EXPECT_EQ(changedSince(before), std::vector<std::string>{}) << c.text;
        if (!c.message) {
            EXPECT_TRUE(dialogs.shown().empty()) << c.text;
            continue;
        }
        ASSERT_EQ(dialogs.shown().size(), 1u) << c.text;
        EXPECT_EQ(lastBox().text, c.message);
        EXPECT_EQ(lastBox().icon, DialogIcon::Error);
    }
    EXPECT_EQ(dialogs.shown().size(), 0u);

    // ソ is 0x83 0x5C in CP932: its second byte is no backslash. The row follows the file, so
    // unchecking it afterwards writes the file under its new name and makes no second one.
    ASSERT_TRUE(list.renameItem(0, "ソフト"));
    EXPECT_EQ(list.rows()[0].caption, "ソフト");
    EXPECT_FALSE(fs::exists(root() / "old.url"));
    list.setChecked(0, false);
    EXPECT_FALSE(load("ソフト").Checked);
    EXPECT_EQ(changedSince(before), (std::vector<std::string>{"ソフト.url", "old.url"}));
    EXPECT_EQ(files().size(), 2u);
    captions();
}

TEST_F(DefineListTest, RefusedNamesAreToldWithTheirCaption) {
    EXPECT_EQ(nameProblem("a|b", NameOf::Folder), "名前に「\\/:,;*?\"<>|」は使えません");
    EXPECT_EQ(nameProblem("ソフト", NameOf::Folder), std::nullopt);
    EXPECT_EQ(nameProblem("\t", NameOf::Folder), "名前を空にすることはできません");
    EXPECT_FALSE(acceptName("x:y", NameOf::Item));
    EXPECT_EQ(lastBox().caption, "使用不能な文字");
    EXPECT_EQ(lastBox().buttons, DialogButtons::Ok);
}

TEST_F(DefineListTest, EnterAndEscStayWithTheEditorUntilARenameIsStoredOrFocusLeaves) {
    add({"item"});
    fs::create_directories(root() / "folder");
    list.rebuild();
    list.editorOpened();
    EXPECT_TRUE(list.editing());
    list.editorClosed();
    EXPECT_FALSE(list.renameItem(0, "bad?"));  // refused: the keys stay with the list
    EXPECT_EQ(view.keys, std::vector<bool>{true});
    list.focusLeft();
    list.focusLeft();
    EXPECT_EQ(view.keys, (std::vector<bool>{true, false}));

    list.editorOpened();
    list.editorClosed();
    EXPECT_TRUE(list.renameItem(0, "renamed"));
    EXPECT_EQ(view.keys, (std::vector<bool>{true, false, true, false}));

    list.editorOpened();
    list.editorClosed();
    EXPECT_TRUE(list.renameFolder(list.tree().NodeOfFolder(1), "moved"));
    EXPECT_EQ(view.keys, (std::vector<bool>{true, false, true, false, true, false}));
}

TEST_F(DefineListTest, DeletingAnItemAsksAndLeavesTheOtherRowsOnTheirFiles) {
    for (const char* name : {"1 first", "2 middle", "3 last"})
        add({name});
    list.rebuild();
    dialogs.queueAnswer(DialogAnswer::No);
    EXPECT_FALSE(list.deleteItem(1));
    EXPECT_TRUE(fs::exists(root() / "2 middle.url"));
    EXPECT_EQ(lastBox().text, "選択中の定義を削除してよろしいですか？");
    EXPECT_EQ(lastBox().caption, "定義削除の確認");
    EXPECT_EQ(lastBox().icon, DialogIcon::Question);
    EXPECT_EQ(lastBox().buttons, DialogButtons::YesNo);

    dialogs.queueAnswer(DialogAnswer::Yes);
    EXPECT_TRUE(list.deleteItem(1));
    EXPECT_FALSE(fs::exists(root() / "2 middle.url"));
    EXPECT_EQ(captions(), (std::vector<std::string>{"1 first", "3 last"}));
    EXPECT_EQ(list.rows()[1].index, 2);

    const Files before = files();
    list.setChecked(1, false);
    list.setChecked(0, false);
    EXPECT_EQ(changedSince(before), (std::vector<std::string>{"1 first.url", "3 last.url"}));
    EXPECT_FALSE(list.deleteItem(std::nullopt));
}

TEST_F(DefineListTest, MenuStateHintAndPagesFollowTheSelectedRow) {
    add({"a error", true, true, "404 Not Found"});
    add({"b plain", true, false, kNoError, "https://secure.example.jp/"});
    add({"c updated", true, true, kNoError, "ftp://ftp.example.jp/"});
    add({"d in text", true, false, kNoError, "see http://x.example.jp/"});
    list.rebuild();
    struct Case {
        std::optional<std::size_t> row;
        ItemMenuState menu;
        std::vector<std::string> opened;
    };
    const Case cases[] = {
        {std::nullopt, {}, {}},
        {0, {true, "エラー発生(&U)", true}, {"http://www.example.jp/"}},
        {1, {false, "", true}, {}},
        {2, {true, "更新済み(&U)", true}, {}},
        {3, {false, "", true}, {"see http://x.example.jp/"}},
    };
    for (const auto& c : cases) {
        view.opened.clear();
        EXPECT_EQ(list.menuState(c.row), c.menu) << c.row.value_or(99);
        list.openPage(c.row);
        EXPECT_EQ(view.opened, c.opened) << c.row.value_or(99);
    }
    EXPECT_EQ(list.selectionHint(0), "【選択アイテムのエラー】\r\n404 Not Found");
    EXPECT_EQ(list.itemToChange(1)->PageURL, "https://secure.example.jp/");
    EXPECT_EQ(list.itemToChange(std::nullopt), std::nullopt);
}

TEST_F(DefineListTest, FolderCommandsOnTheSelectedNode) {
    add({"A/in a"});
    add({"top"});
    list.rebuild();
    const int changes = view.treeChanges;

    // Add: the name is asked; a refused one creates nothing.
    dialogs.queueInput("Sub");
    selectFolder("A");
    EXPECT_TRUE(list.addFolder());
    EXPECT_EQ(lastBox().caption, "サブフォルダ作成");
    EXPECT_EQ(lastBox().text, "サブフォルダ名を入れてください");
    EXPECT_TRUE(fs::is_directory(root() / "A/Sub"));
    EXPECT_EQ(list.tree().FolderList, (std::vector<std::string>{"", "A/", "A/Sub/"}));
    dialogs.queueInput("../../outside");
    selectFolder("A");
    EXPECT_FALSE(list.addFolder());
    EXPECT_EQ(lastBox().text, "名前に「\\/:,;*?\"<>|」は使えません");
    EXPECT_FALSE(fs::exists(env.favorites() / "outside"));
    EXPECT_FALSE(list.addFolder());  // cancelled
    EXPECT_GT(view.treeChanges, changes);

    // Rename: the folder moves and the rows are listed at its new place.
    selectFolder("A");
    EXPECT_FALSE(list.renameFolder(list.tree().Selected(), "B:"));
    EXPECT_TRUE(fs::exists(root() / "A"));
    ASSERT_TRUE(list.renameFolder(list.tree().Selected(), "Renamed"));
    EXPECT_EQ(list.tree().Selected()->Caption, "Renamed");
    EXPECT_EQ(list.tree().FileList,
              std::vector<std::string>{(root() / "Renamed/in a.url").string()});
    list.setChecked(0, false);
    EXPECT_FALSE(fs::exists(root() / "A"));
    EXPECT_FALSE(load("Renamed/in a").Checked);
    EXPECT_FALSE(list.renameFolder(list.tree().Nodes().front().get(), "x"));  // "[全て表示]"

    // Delete: asks; the pseudo-nodes, standing for the root, are never deleted.
    dialogs.clear();
    list.select(list.tree().Nodes().front().get());
    EXPECT_FALSE(list.deleteFolder());
    EXPECT_TRUE(dialogs.shown().empty());
    selectFolder("Renamed");
    dialogs.queueAnswer(DialogAnswer::No);
    EXPECT_FALSE(list.deleteFolder());
    EXPECT_EQ(
        lastBox().text,
        "選択中のフォルダを削除してよろしいですか？\r\n(サブフォルダを含めて，全て削除されます)");
    EXPECT_EQ(lastBox().caption, "フォルダ削除");
    EXPECT_TRUE(fs::exists(root() / "Renamed"));
    selectFolder("Renamed");
    EXPECT_TRUE(list.deleteFolder());
    EXPECT_FALSE(fs::exists(root() / "Renamed"));
    EXPECT_EQ(list.tree().FolderList, std::vector<std::string>{""});
    EXPECT_EQ(captions(), std::vector<std::string>{"top"});  // "[全て表示]" listed again

    // While a caption is edited the folder commands do nothing.
    list.editorOpened();
    dialogs.queueInput("Late");
    EXPECT_FALSE(list.addFolder());
    EXPECT_FALSE(fs::exists(root() / "Late"));
}

TEST_F(DefineListTest, DroppingRowsAndFolders) {
    add({"A/item"});
    add({"A/other"});
    add({"B/item", true, false, kNoError, "http://b.example.jp/"});
    fs::create_directories(root() / "A/Inner");
    list.rebuild();
    auto node = [&](const std::string& folder) {
        const auto& folders = list.tree().FolderList;
        return list.tree().NodeOfFolder(
            std::int32_t(std::find(folders.begin(), folders.end(), folder) - folders.begin()));
    };

    // "[全て表示]" selected: nothing may be dropped.
    EXPECT_FALSE(list.dropItem(0, node("B/")));
    selectFolder("A");
    const Files before = files();
    EXPECT_FALSE(list.dropItem(0, node("A/")));                         // its own folder
    EXPECT_FALSE(list.dropItem(0, list.tree().Nodes().front().get()));  // "[全て表示]"

    // Onto a folder with an item of that name: refused, both files as they were.
    EXPECT_FALSE(list.dropItem(0, node("B/")));
    EXPECT_EQ(lastBox().caption, "Kestrin 2001 for Windows 98/2000");
    EXPECT_EQ(changedSince(before), std::vector<std::string>{});
    EXPECT_EQ(captions(), (std::vector<std::string>{"item", "other"}));

    EXPECT_TRUE(list.dropItem(1, node("B/")));
    EXPECT_EQ(captions(), std::vector<std::string>{"item"});
    EXPECT_FALSE(fs::exists(root() / "A/other.url"));
    EXPECT_TRUE(fs::exists(root() / "B/other.url"));

    // A folder onto its own subfolder moves nothing; a leaf folder moves and its rows follow.
    selectFolder("A");
    EXPECT_FALSE(list.dropFolder(node("A/Inner/")));
    EXPECT_TRUE(fs::exists(root() / "A/Inner"));
    selectFolder("A/Inner");
    add({"A/Inner/deep"});
    list.listAgain();
    EXPECT_TRUE(list.dropFolder(node("B/")));
    EXPECT_TRUE(fs::exists(root() / "B/Inner/deep.url"));
    list.setChecked(0, false);
    EXPECT_FALSE(load("B/Inner/deep").Checked);
    EXPECT_FALSE(fs::exists(root() / "A/Inner"));
}

}  // namespace
}  // namespace kestrin
