#include "define/KestrinTree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempEnvironment;
using test::writeFile;
using List = std::vector<std::string>;

// What the tree told its user, one line per call.
struct Recorder {
    explicit Recorder(TVKestrinTree& tree) {
        tree.OnInitialize = [this](TVKestrinTree&) { calls.push_back("init"); };
        tree.OnDisplayItem = [this](TVKestrinTree&, const TVDefineItem& item, int index,
                                    bool last) {
            calls.push_back(last ? "last" : std::to_string(index) + " " + item.TermName);
        };
    }
    List calls;
};

class KestrinTreeTest : public ::testing::Test {
  protected:
    fs::path root() const { return env.favorites() / "Kestrin 2001"; }
    void item(const std::string& relative, const std::string& url = "http://x/") {
        fs::create_directories((root() / relative).parent_path());
        writeFile(root() / relative, "[InternetShortcut]\r\nURL=" + url + "\r\n");
    }
    // The folder example: items in the root, in A, in A/B and in C.
    void makeExample() {
        for (const char* file : {"C/c.url", "A/B/b.url", "A/a.url", "r2.url", "r1.url"})
            item(file);
        writeFile(root() / "notes.txt", "");
    }
    static List captions(const std::vector<std::unique_ptr<TreeNode>>& nodes) {
        List all;
        for (const auto& node : nodes) {
            all.push_back(node->Caption + ":" + std::to_string(node->Data));
            for (const auto& child : captions(node->Children))
                all.push_back(" " + child);
        }
        return all;
    }

    TempEnvironment env;
};

TEST_F(KestrinTreeTest, FoldersBecomeNodesBelowThePseudoNodes) {
    makeExample();
    TVKestrinTree tree;
    EXPECT_EQ(tree.RootPath, root().string() + "/");
    tree.Rebuild();
    EXPECT_EQ(tree.FolderList, (List{"", "A/", "A/B/", "C/"}));
    EXPECT_EQ(captions(tree.Nodes()),
              (List{"[全て表示]:0", " [階層表示]:0", "  A:1", "   B:2", "  C:3"}));
    EXPECT_EQ(tree.FolderPath(2), root().string() + "/A/B/");

    TVKestrinTree wizardTree(false);
    wizardTree.Rebuild();
    EXPECT_EQ(captions(wizardTree.Nodes()), (List{"[階層表示]:0", " A:1", "  B:2", " C:3"}));
}

TEST_F(KestrinTreeTest, ListingShowsAllOrOneFolder) {
    makeExample();
    TVKestrinTree tree;
    Recorder recorder(tree);
    tree.Rebuild();
    // The rebuild lists "[全て表示]": the root first, then depth first.
    EXPECT_EQ(recorder.calls,
              (List{"init", "init", "0 r1", "1 r2", "2 a", "3 b", "4 c", "last", "last"}));
    EXPECT_EQ(tree.FileList.size(), 5u);
    for (const auto& node : tree.Nodes())
        EXPECT_TRUE(node->Expanded);

    struct Case {
        std::int32_t folder;
        List calls;
    };
    const Case cases[] = {
        {0, {"init", "0 r1", "1 r2", "last"}},
        {1, {"init", "0 a", "last"}},
        {2, {"init", "0 b", "last"}},
    };
    for (const auto& c : cases) {
        recorder.calls.clear();
        tree.Select(tree.NodeOfFolder(c.folder));
        EXPECT_EQ(recorder.calls, c.calls) << c.folder;
    }
    EXPECT_EQ(tree.FileList, List{root().string() + "/A/B/b.url"});
}

TEST_F(KestrinTreeTest, MissingRootShowsOnlyPseudoNodesUntilAnItemIsAdded) {
    TVKestrinTree tree;
    Recorder recorder(tree);
    tree.Rebuild();
    EXPECT_EQ(captions(tree.Nodes()), (List{"[全て表示]:0", " [階層表示]:0"}));
    EXPECT_EQ(recorder.calls, (List{"init", "init", "last", "last"}));

    TVDefineItem added;
    added.TermName = "first";
    added.ItemPath = tree.FolderPath(0) + "first.url";
    recorder.calls.clear();
    tree.AddItem(added);
    EXPECT_EQ(recorder.calls, List{"0 first"});
    EXPECT_EQ(tree.FileList, List{root().string() + "/first.url"});
    EXPECT_TRUE(fs::exists(root() / "first.url"));
}

TEST_F(KestrinTreeTest, ListingEndsWithLastItemAlsoAfterAFailure) {
    item("good.url");
    fs::create_directories(root() / "folder");
    fs::create_directory_symlink(root() / "folder", root() / "broken.url");  // cannot be read
    TVKestrinTree tree;
    Recorder recorder(tree);
    EXPECT_ANY_THROW(tree.Rebuild());
    EXPECT_EQ(recorder.calls, (List{"init", "init", "last", "last"}));
}

TEST_F(KestrinTreeTest, StoringARenamedItemFollowsItInFileList) {
    item("old.url", "http://old/");
    TVKestrinTree tree;
    tree.Rebuild();
    TVDefineItem stored;
    tree.GetItem(0, stored);
    stored.TermName = "new";
    EXPECT_EQ(tree.StoreItem(stored), root().string() + "/new.url");
    EXPECT_EQ(stored.TermName, "new");  // the caller's record is not changed
    EXPECT_EQ(stored.ItemPath, root().string() + "/old.url");
    EXPECT_EQ(tree.FileList, List{root().string() + "/new.url"});
    TVDefineItem reloaded;
    tree.GetItem(0, reloaded);
    EXPECT_EQ(reloaded.PageURL, "http://old/");
    EXPECT_THROW(tree.GetItem(1, reloaded), std::out_of_range);

    EXPECT_TRUE(tree.DeleteItemFile(0));
    EXPECT_FALSE(fs::exists(root() / "new.url"));
    EXPECT_FALSE(tree.DeleteItemFile(0));
}

TEST_F(KestrinTreeTest, DroppingAnItemMovesItsFileButNeverOntoAnother) {
    makeExample();
    item("C/a.url", "http://c/");
    TVKestrinTree tree;
    tree.Rebuild();
    tree.Select(tree.NodeOfFolder(1));  // A: a.url
    ASSERT_EQ(tree.FileList, List{root().string() + "/A/a.url"});

    EXPECT_FALSE(tree.CanDrop(tree.NodeOfFolder(1)));        // onto itself
    EXPECT_FALSE(tree.CanDrop(tree.Nodes().front().get()));  // onto "[全て表示]"
    EXPECT_THROW(tree.DropItem(tree.NodeOfFolder(3), 0), std::runtime_error);
    EXPECT_EQ(readFile(root() / "C/a.url"), "[InternetShortcut]\r\nURL=http://c/\r\n");
    EXPECT_TRUE(fs::exists(root() / "A/a.url"));

    tree.DropItem(tree.NodeOfFolder(2), 0);
    EXPECT_FALSE(fs::exists(root() / "A/a.url"));
    EXPECT_TRUE(fs::exists(root() / "A/B/a.url"));
}

TEST_F(KestrinTreeTest, DroppingAFolder) {
    makeExample();
    fs::create_directories(root() / "C" / "B");
    TVKestrinTree tree(false);
    tree.Rebuild();
    ASSERT_EQ(tree.FolderList, (List{"", "A/", "A/B/", "C/", "C/B/"}));

    struct Case {
        const char* what;
        std::int32_t source, target;
        bool moved;
        List folders;
    };
    const Case cases[] = {
        {"onto its own child", 1, 2, false, {"", "A/", "A/B/", "C/", "C/B/"}},
        {"onto a folder holding its name", 2, 3, false, {"", "A/", "A/B/", "C/", "C/B/"}},
        {"a leaf into the root", 4, 0, true, {"", "A/", "A/B/", "C/", "B/"}},
    };
    for (const auto& c : cases) {
        tree.Rebuild();
        tree.Select(tree.NodeOfFolder(c.source));
        EXPECT_EQ(tree.DropFolder(tree.NodeOfFolder(c.target)), c.moved) << c.what;
        EXPECT_EQ(tree.FolderList, c.folders) << c.what;
    }
    // The moved leaf's node now leads the root's children and keeps its data.
    EXPECT_EQ(captions(tree.Nodes()), (List{"[階層表示]:0", " B:4", " A:1", "  B:2", " C:3"}));
    EXPECT_TRUE(fs::exists(root() / "B"));
    EXPECT_TRUE(fs::exists(root() / "A/B/b.url"));

    // A folder with subfolders moves and the tree is built anew.
    tree.Select(tree.NodeOfFolder(1));
    EXPECT_TRUE(tree.DropFolder(tree.NodeOfFolder(3)));
    EXPECT_EQ(tree.FolderList, (List{"", "B/", "C/", "C/A/", "C/A/B/"}));
    EXPECT_TRUE(fs::exists(root() / "C/A/B/b.url"));
}

TEST_F(KestrinTreeTest, RenamingAFolder) {
    makeExample();
    TVKestrinTree tree;
    tree.Rebuild();
    EXPECT_FALSE(tree.RenameFolder(tree.FolderPath(1), tree.FolderPath(3)));  // A onto C
    EXPECT_EQ(tree.FolderList, (List{"", "A/", "A/B/", "C/"}));
    EXPECT_TRUE(fs::exists(root() / "C/c.url"));

    EXPECT_TRUE(tree.RenameFolder(tree.FolderPath(1), root().string() + "/Z/"));
    EXPECT_EQ(tree.FolderList, (List{"", "Z/", "Z/B/", "C/"}));
    EXPECT_TRUE(fs::exists(root() / "Z/B/b.url"));
}

TEST_F(KestrinTreeTest, DeletingAFolderTakesReadOnlyFilesAlong) {
    makeExample();
    writeFile(root() / "A/B/.hidden", "x\n");
    fs::permissions(root() / "A/a.url", fs::perms::owner_read, fs::perm_options::replace);
    fs::permissions(root() / "A/B", fs::perms::owner_read | fs::perms::owner_exec,
                    fs::perm_options::replace);
    TVKestrinTree tree;
    tree.Rebuild();
    EXPECT_TRUE(tree.DeleteFolder(tree.FolderPath(1)));
    EXPECT_FALSE(fs::exists(root() / "A"));
    EXPECT_TRUE(fs::exists(root() / "C/c.url"));
    EXPECT_FALSE(tree.DeleteFolder(root().string() + "/missing/"));
}

TEST_F(KestrinTreeTest, RootVisibilityFollowsTheHiddenList) {
    fs::create_directories(env.favorites());
    writeFile(env.favorites() / ".hidden", "Other\n");
    TVKestrinTree tree;
    EXPECT_TRUE(tree.RootVisible());
    tree.SetRootVisible(false);  // also creates the missing root
    EXPECT_FALSE(tree.RootVisible());
    EXPECT_EQ(readFile(env.favorites() / ".hidden"), "Other\nKestrin 2001\n");
    tree.SetRootVisible(true);
    EXPECT_TRUE(tree.RootVisible());
    EXPECT_EQ(readFile(env.favorites() / ".hidden"), "Other\n");
}

}  // namespace
}  // namespace kestrin
