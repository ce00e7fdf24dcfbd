#include "define/SearchFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using List = TVSearchFile::List;

TEST(SearchFile, SplitMasks) {
    struct Case {
        std::string masks;
        bool result;
        List expected;
    };
    const Case cases[] = {
        {"", false, {}},
        {"*.url", true, {"*.url"}},
        {"*.url *.txt", true, {"*.url", "*.txt"}},
        {"  *.url   *.txt  ", true, {"", "*.url", "*.txt"}},  // a leading space gives an empty mask
        {"\"my file*.url\" *.txt", true, {"my file*.url", "*.txt"}},
        {"*.a \"b c\"", true, {"*.a", "b c"}},
        {"\"open", true, {"", "open"}},  // no closing quote: an empty mask, the rest stays
    };
    for (const auto& c : cases) {
        List list;
        EXPECT_EQ(TVSearchFile().SplitMasks(c.masks, list), c.result) << c.masks;
        EXPECT_EQ(list, c.expected) << c.masks;
    }
}

TEST(SearchFile, ListsFoldersDepthFirstSortedAndSkipsLinks) {
    TempFolder root;
    for (const char* folder : {"C", "A/B", "A/A2", "B"})
        fs::create_directories(root / folder);
    fs::create_directory_symlink(root / "A", root / "C" / "link");
    test::writeFile(root / "A" / "file.url", "");

    std::string top = root.path().string() + "/";
    List recursive;
    TVSearchFile().ListFolders(root.path().string(), true, recursive);
    EXPECT_EQ(recursive,
              (List{top, top + "A/", top + "A/A2/", top + "A/B/", top + "B/", top + "C/"}));

    List flat;
    TVSearchFile().ListFolders(top, false, flat);
    EXPECT_EQ(flat, List{top});

    List missing;
    TVSearchFile().ListFolders(top + "none", true, missing);
    EXPECT_EQ(missing, List{top + "none/"});
}

TEST(SearchFile, ListsFilesMaskByMask) {
    TempFolder root;
    for (const char* name : {"b.url", "a.URL", "c.txt", "my file.txt", ".hidden", "noext"})
        test::writeFile(root / name, "");
    fs::create_directory(root / "folder.url");
    std::string top = root.path().string() + "/";

    struct Case {
        std::string masks;
        List expected;
    };
    const Case cases[] = {
        {"*.url", {top + "a.URL", top + "b.url"}},
        {"*.txt *.url", {top + "c.txt", top + "my file.txt", top + "a.URL", top + "b.url"}},
        {"\"my file.txt\"", {top + "my file.txt"}},
        {"*.*",
         {top + ".hidden", top + "a.URL", top + "b.url", top + "c.txt", top + "my file.txt",
          top + "noext"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        List list;
        TVSearchFile().ListFiles(top, c.masks, list);
        EXPECT_EQ(list, c.expected) << c.masks;
    }

    List none;
    TVSearchFile().ListFiles(top + "missing", "*.url", none);
    TVSearchFile().ListFiles(top + "./", "*.url", none);
    EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace kestrin
