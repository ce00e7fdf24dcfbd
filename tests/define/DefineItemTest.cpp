#include "define/DefineItem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempEnvironment;
using test::writeFile;

class DefineItemTest : public ::testing::Test {
  protected:
    DefineItemTest() { fs::create_directories(folder()); }
    fs::path folder() const { return env.favorites() / "Kestrin 2001"; }
    std::string path(const std::string& name) const { return (folder() / name).string(); }

    TVDefineItem load(const std::string& name) {
        TVDefineItem item;
        files.LoadItem(path(name), item);
        return item;
    }

    TempEnvironment env;
    TVKestrinDefineItem files;
};

TEST_F(DefineItemTest, LoadsValuesWithTheirDefaults) {
    struct Case {
        const char* what;
        std::string bytes;  // empty: no file at all
        TVDefineItem expected;
    };
    auto item = [](auto change) {
        TVDefineItem i;
        i.Checked = true;
        i.Error = kNoError;
        change(i);
        return i;
    };
    const Case cases[] = {
        {"no file", "", item([](auto&) {})},
        {"a plain favourite", "[InternetShortcut]\r\nURL=http://a.example/\r\n",
         item([](auto& i) { i.PageURL = "http://a.example/"; })},
        {"empty Error", "[QZ7P]\r\nError=\r\nUpdated=1\r\n",
         item([](auto& i) { i.Updated = true; })},
        {"numbers", "[QZ7P]\r\nChecked=0\r\nOption=0x2\r\nPageSize=-5\r\n", item([](auto& i) {
             i.Checked = false;
             i.Option = 2;
             i.PageSize = -5;
         })},
        {"not numbers", "[qz7p]\r\nchecked=yes\r\nOption=2x\r\nPageSize=99999999999\r\n",
         item([](auto&) {})},
        {"ForeFile 0, 1 and 3",
         "[QZ7P]\r\nForeFile0=a.lzh\r\nForeFile1=b.lzh\r\nForeFile3=d.lzh\r\n", item([](auto& i) {
             i.ForeFile = {"a.lzh", "b.lzh"};
         })},
        {"texts",
         "[QZ7P]\r\nError=x\r\nUpdate=u\r\nFileName=f\r\nFileTime=t\r\nForeString=s\r\n"
         "PageTime=p\r\nPageCRC=60D4231D\r\n",
         item([](auto& i) {
             i.Error = "x";
             i.Update = "u";
             i.FileName = "f";
             i.FileTime = "t";
             i.ForeString = "s";
             i.PageTime = "p";
             i.PageCRC = "60D4231D";
         })},
    };
    for (const auto& c : cases) {
        std::string file = path("Tool 1.2.url");
        fs::remove(file);
        if (!c.bytes.empty()) writeFile(file, c.bytes);
        TVDefineItem expected = c.expected;
        expected.TermName = "Tool 1.2";
        expected.ItemPath = file;
        EXPECT_EQ(load("Tool 1.2.url"), expected) << c.what;
    }
}

TEST_F(DefineItemTest, FreshFileHoldsExactlyTheseBytes) {
    TVDefineItem item;
    item.TermName = "ソフト";
    item.ItemPath = path("ソフト.url");
    item.PageURL = "http://example.com/soft/";
    item.Checked = true;
    item.Updated = true;
    item.Error = "接続に失敗しました";
    item.Update = "書庫 ソフト.lzh が新着";
    item.Option = 0;
    item.ForeString = "soft";
    item.ForeFile = {"soft1.lzh", "soft2.lzh"};
    files.SaveItem(item);

    const std::string expected =
        "[InternetShortcut]\r\nURL=http://example.com/soft/\r\n[QZ7P]\r\nChecked=1\r\n"
        "Updated=1\r\nError=\x90\xda\x91\xb1\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5"
        "\x82\xbd\r\nUpdate=\x8f\x91\x8c\xc9 \x83\x5c\x83\x74\x83\x67.lzh \x82\xaa\x90\x56"
        "\x92\x85\r\nFileName=\r\nFileTime=\r\nForeString=soft\r\nOption=0\r\nPageTime=\r\n"
        "PageSize=0\r\nPageCRC=\r\nForeFile0=soft1.lzh\r\nForeFile1=soft2.lzh\r\n";
    EXPECT_EQ(readFile(item.ItemPath), expected);
    EXPECT_EQ(load("ソフト.url"), item);
}

TEST_F(DefineItemTest, LongValueReadsBackCutAt2047Bytes) {
    TVDefineItem item;
    item.TermName = "long";
    item.ItemPath = path("long.url");
    item.Update = std::string(3000, 'x');
    files.SaveItem(item);
    EXPECT_EQ(load("long.url").Update, std::string(2047, 'x'));
}

TEST_F(DefineItemTest, SavingKeepsForeignSectionsAndKeys) {
    const std::string head =
        "[DEFAULT]\r\nBASEURL=http://a.example/\r\n[InternetShortcut]\r\nURL=http://old/\r\n"
        "IconIndex=3\r\n";
    const std::string tail = "[Other]\r\nKey=\x83\x5c\r\n";
    writeFile(path("fav.url"), head + "[QZ7P]\r\nOption=2\r\nMine=kept\r\n" + tail);
    TVDefineItem item = load("fav.url");
    item.PageURL = "http://new/";
    files.SaveItem(item);

    std::string bytes = readFile(path("fav.url"));
    EXPECT_EQ(bytes.substr(0, bytes.find("[QZ7P]")),
              "[DEFAULT]\r\nBASEURL=http://a.example/\r\n[InternetShortcut]\r\nURL=http://new/\r\n"
              "IconIndex=3\r\n");
    EXPECT_NE(bytes.find("Mine=kept\r\n"), std::string::npos);
    EXPECT_NE(bytes.find(tail), std::string::npos);
    EXPECT_EQ(load("fav.url"), item);
}

TEST_F(DefineItemTest, StaleForeFileKeysGoUpToTheFirstGap) {
    struct Case {
        std::string keys;
        std::vector<std::string> saved;
        std::vector<std::string> remaining;  // ForeFile keys left in the file
    };
    const Case cases[] = {
        {"ForeFile0=a\r\nForeFile1=b\r\nForeFile3=d\r\n", {"a", "b"}, {"0", "1", "3"}},
        {"ForeFile0=a\r\nForeFile1=b\r\nForeFile2=c\r\nForeFile3=d\r\nForeFile4=e\r\n",
         {"a", "b"},
         {"0", "1"}},
        {"ForeFile0=a\r\n", {}, {}},
    };
    for (const auto& c : cases) {
        writeFile(path("f.url"), "[QZ7P]\r\n" + c.keys);
        TVDefineItem item = load("f.url");
        item.ForeFile = c.saved;
        files.SaveItem(item);
        std::string bytes = readFile(path("f.url"));
        std::vector<std::string> remaining;
        for (int i = 0; i < 5; ++i) {
            if (bytes.find("ForeFile" + std::to_string(i) + "=") != std::string::npos)
                remaining.push_back(std::to_string(i));
        }
        EXPECT_EQ(remaining, c.remaining) << c.keys;
    }
}

TEST_F(DefineItemTest, ValidTermName) {
    struct Case {
        std::string name, expected;
    };
    const Case cases[] = {
        {"a/b:c", "abc"},           {"\\/:,;*?\"<>|", ""}, {"  \t Tool 1.2 \r\n", "Tool 1.2"},
        {"ソ表示", "ソ表示"},  // in CP932 both end in the byte of a backslash
        {" \"ソフト\" ", "ソフト"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(files.ValidTermName(c.name), c.expected) << c.name;
}

TEST_F(DefineItemTest, RenameAndMoveTakeTheFileAlong) {
    writeFile(path("old.url"), "[InternetShortcut]\r\nURL=http://x/\r\nIconIndex=1\r\n");
    TVDefineItem item = load("old.url");
    item.TermName = "a/b:c";
    files.SaveItem(item);
    EXPECT_EQ(item.TermName, "abc");
    EXPECT_EQ(item.ItemPath, path("abc.url"));
    EXPECT_FALSE(fs::exists(path("old.url")));
    EXPECT_NE(readFile(path("abc.url")).find("IconIndex=1"), std::string::npos);

    std::string sub = (folder() / "new" / "deep").string();
    files.SaveItem(item, sub);
    EXPECT_EQ(item.ItemPath, sub + "/abc.url");
    EXPECT_FALSE(fs::exists(path("abc.url")));
    EXPECT_NE(readFile(item.ItemPath).find("IconIndex=1"), std::string::npos);
    EXPECT_EQ(load("new/deep/abc.url"), item);
}

TEST_F(DefineItemTest, RefusesToReplaceAnotherFileOrToSaveWithoutAName) {
    writeFile(path("mine.url"), "[InternetShortcut]\r\nURL=http://mine/\r\n");
    writeFile(path("other.url"), "[InternetShortcut]\r\nURL=http://other/\r\n");
    fs::create_directories(folder() / "sub");
    writeFile(path("sub/mine.url"), "[InternetShortcut]\r\nURL=http://sub/\r\n");
    auto snapshot = [&] {
        std::string all;
        for (const char* name : {"mine.url", "other.url", "sub/mine.url"})
            all += readFile(path(name));
        return all;
    };
    const std::string before = snapshot();

    struct Case {
        const char* what;
        std::string name, folder;
    };
    const Case cases[] = {
        {"rename onto another item", "other", ""},
        {"move onto another item", "mine", path("sub")},
        {"empty name", "???", ""},
    };
    for (const auto& c : cases) {
        TVDefineItem item = load("mine.url");
        item.TermName = c.name;
        EXPECT_THROW(files.SaveItem(item, c.folder), std::runtime_error) << c.what;
        EXPECT_EQ(item.ItemPath, path("mine.url")) << c.what;
        EXPECT_EQ(snapshot(), before) << c.what;
    }
    EXPECT_FALSE(fs::exists(path(".url")));
}

TEST_F(DefineItemTest, WriteFailureNamesTheFile) {
    // A folder in the item file's place cannot be written, even by root.
    fs::create_directories(path("blocked.url"));
    TVDefineItem item;
    item.TermName = "blocked";
    item.ItemPath = path("blocked.url");
    try {
        files.SaveItem(item);
        FAIL() << "a folder was written as an item file";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), path("blocked.url") + " に書き込めません");
    }
    EXPECT_TRUE(fs::is_directory(path("blocked.url")));
}

TEST_F(DefineItemTest, ConvertsTheOldDefineFile) {
    std::string old = (env.root() / "Renvane.udi").string();
    writeFile(old,
              "[Extentions]\r\nExt0=.lzh\r\n"
              "[A]\r\nTermName=Alpha\r\nPageURL=http://a/\r\nError=(\x83\x47\x83\x89\x81\x5b"
              "\x82\xc8\x82\xb5)\r\nUpdate=long=\r\ntext\r\nForeFile0=a.lzh\r\n"
              "[default]\r\nPageURL=http://d/\r\nOption=1\r\n"
              "[B]\r\nTermName=Alpha\r\nPageURL=http://b/\r\nChecked=0\r\n"
              "[C]\r\nTermName=:/\r\nPageURL=http://c/\r\n");
    std::vector<std::pair<int, int>> progress;
    files.OnConvertProgress = [&](TVKestrinDefineItem& sender, int index, int max) {
        EXPECT_EQ(&sender, &files);
        progress.emplace_back(index, max);
    };
    files.ConvertOldDefineFile(old, folder().string());

    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    // The old file is rewritten: continued lines joined, the old no-error spelling replaced.
    EXPECT_NE(readFile(old).find("Update=longtext\r\n"), std::string::npos);
    EXPECT_NE(readFile(old).find("Error=(\x83\x47\x83\x89\x81\x5b\x96\xb3\x82\xb5)"),
              std::string::npos);

    TVDefineItem alpha = load("Alpha.url");
    EXPECT_EQ(alpha.PageURL, "http://a/");
    EXPECT_EQ(alpha.Error, kNoError);
    EXPECT_EQ(alpha.Update, "longtext");
    EXPECT_EQ(alpha.Option, 2);
    EXPECT_TRUE(alpha.Checked);
    EXPECT_EQ(alpha.ForeFile, std::vector<std::string>{"a.lzh"});
    EXPECT_EQ(load("default.url").Option, 1);
    TVDefineItem second = load("Alpha (2).url");
    EXPECT_EQ(second.PageURL, "http://b/");
    EXPECT_FALSE(second.Checked);
    EXPECT_EQ(load("C.url").PageURL, "http://c/");
    EXPECT_FALSE(fs::exists(path("Extentions.url")));
}

// Sorted names and bytes of every file in `folder`.
std::vector<std::pair<std::string, std::string>> filesIn(const fs::path& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.emplace_back(entry.path().filename().string(), readFile(entry.path()));
    std::sort(files.begin(), files.end());
    return files;
}

TEST_F(DefineItemTest, ConvertingTwiceWritesTheSameFiles) {
    std::string old = (env.root() / "Renvane.udi").string();
    writeFile(old,
              "[A]\r\nTermName=Alpha\r\nPageURL=http://a/\r\n"
              "[B]\r\nTermName=Alpha\r\nPageURL=http://b/\r\n[C]\r\nPageURL=http://c/\r\n");
    files.ConvertOldDefineFile(old, folder().string());
    auto first = filesIn(folder());
    ASSERT_EQ(first.size(), 3u);
    // The user switched one item off meanwhile; the conversion writes its keys again.
    TVDefineItem c = load("C.url");
    c.Checked = false;
    files.SaveItem(c);

    files.ConvertOldDefineFile(old, folder().string());
    EXPECT_EQ(filesIn(folder()), first);
}

TEST_F(DefineItemTest, AnOldDefineFileThatCannotBeReadIsReportedByName) {
    const std::string missing = (env.root() / "missing.udi").string();
    const std::string aFolder = env.root().string();
    for (const std::string& oldFile : {missing, aFolder, std::string()}) {
        try {
            files.ConvertOldDefineFile(oldFile, folder().string());
            FAIL() << "converted " << oldFile;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), oldFile + " を読み込めません");
        }
    }
    EXPECT_TRUE(filesIn(folder()).empty());
}

}  // namespace
}  // namespace kestrin
