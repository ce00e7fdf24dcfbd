#include "text/Ascii.h"

#include <gtest/gtest.h>

namespace kestrin {
namespace {

TEST(Ascii, OnlyTheAsciiLettersChangeCase) {
    // "@", "[", "`" and "{" stand next to the letters; UTF-8 and CP932 bytes are above 0x7F.
    EXPECT_EQ(asciiLowered("@AZ[`az{ /CHECKALL 日本語"), "@az[`az{ /checkall 日本語");
    EXPECT_TRUE(equalIgnoringCase("InfoURL", "INFOurl"));
    EXPECT_FALSE(equalIgnoringCase("Info", "InfoURL"));
    EXPECT_FALSE(equalIgnoringCase("[", "{"));  // 0x5B and 0x7B are no letters
    EXPECT_TRUE(startsWithIgnoringCase("HEX(2):41", "hex("));
    EXPECT_FALSE(startsWithIgnoringCase("he", "hex"));
}

TEST(Ascii, FindLooksFromTheGivenPlaceToTheVeryEnd) {
    struct Case {
        std::string_view text, pattern;
        std::size_t from, found;
    };
    constexpr auto npos = std::string_view::npos;
    for (const Case& c :
         {Case{"<html><TITLE>", "<title>", 0, 6}, Case{"ab<TiTlE>", "<title>", 0, 2},
          Case{"<title", "<title>", 0, npos}, Case{"aXa", "x", 2, npos}, Case{"aXaX", "x", 2, 3},
          Case{"abc", "", 3, 3}, Case{"abc", "", 4, npos}, Case{"", "a", 0, npos}})
        EXPECT_EQ(findIgnoringCase(c.text, c.pattern, c.from), c.found)
            << c.text << " / " << c.pattern << " from " << c.from;
}

}  // namespace
}  // namespace kestrin
