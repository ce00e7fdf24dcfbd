#include "define/ArchiveExtensions.h"

#include <gtest/gtest.h>

namespace kestrin {
namespace {

using List = std::vector<std::string>;

TEST(ArchiveExtensions, StoredListSplitsAndJoinsWithATrailingSlash) {
    EXPECT_EQ(splitExtList(".lzh/.zip/"), (List{".lzh", ".zip"}));
    EXPECT_EQ(joinExtList({".lzh", ".zip"}), ".lzh/.zip/");
    EXPECT_EQ(splitExtList(""), List{});
    EXPECT_EQ(joinExtList({}), "");
    EXPECT_EQ(splitExtList(".lzh//.zip"), (List{".lzh", ".zip"}));  // no empty entry
    // An entry typed with a slash inside is stored as one and read back as two.
    EXPECT_EQ(splitExtList(joinExtList({".a/.b"})), (List{".a", ".b"}));
    EXPECT_EQ(splitExtList(std::string(kDefaultExtList)).size(), 13u);
}

TEST(ArchiveExtensions, TypedEntriesAreCheckedLowerCasedAndSorted) {
    struct Case {
        const char* typed;
        bool added;
        List after;
    } cases[] = {
        {".LZH", false, {".cab", ".lzh", ".zip"}},  // listed already, whatever the case
        {".Txt", true, {".cab", ".lzh", ".txt", ".zip"}},
        {"txt", false, {".cab", ".lzh", ".zip"}},  // no dot
        {".A", true, {".a", ".cab", ".lzh", ".zip"}},
        {"  .Gz\t", true, {".cab", ".gz", ".lzh", ".zip"}},
        {"   ", false, {".cab", ".lzh", ".zip"}},
        {"", false, {".cab", ".lzh", ".zip"}},
        {".tar.gz", true, {".cab", ".lzh", ".tar.gz", ".zip"}},
        {".日本", true, {".cab", ".lzh", ".zip", ".日本"}},
    };
    for (const Case& c : cases) {
        List entries{".cab", ".lzh", ".zip"};
        EXPECT_EQ(addExtension(entries, c.typed), c.added) << c.typed;
        EXPECT_EQ(entries, c.after) << c.typed;
    }
}

TEST(ArchiveExtensions, SortingIgnoresCaseAndKeepsTheOrderOfEquals) {
    List entries{".zip", ".LZH", ".arj", ".Lzh"};
    sortExtensions(entries);
    EXPECT_EQ(entries, (List{".arj", ".LZH", ".Lzh", ".zip"}));
}

}  // namespace
}  // namespace kestrin
