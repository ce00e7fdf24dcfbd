#include "text/Cp932.h"

#include <gtest/gtest.h>

#include "text/Base64.h"

namespace kestrin {
namespace {

TEST(Cp932, RoundTripsJapaneseAndReplacesWhatItLacks) {
    const std::string utf8 = "ソフト更新 abc";
    const std::string cp932 = utf8ToCp932(utf8);
    EXPECT_EQ(cp932, "\x83\x5c\x83\x74\x83\x67\x8d\x58\x90\x56 abc");
    EXPECT_EQ(cp932ToUtf8(cp932), utf8);
    EXPECT_EQ(utf8ToCp932("a\xF0\x9F\x98\x80z"), "a?z");  // an emoji CP932 lacks
    EXPECT_EQ(utf8ToCp932("a\xE3\x82z"), "a?z");          // a cut UTF-8 sequence
    EXPECT_EQ(cp932ToUtf8("a\x83"), "a?");                // a lead byte cut at the end
}

TEST(Cp932, CaseMappingLeavesTrailBytesAlone) {
    // ソ is 83 5C and ア is 83 41 ('A' as trail byte): neither trail byte changes.
    EXPECT_EQ(cp932Lower("AB\x83\x41z"), "ab\x83\x41z");
    EXPECT_EQ(cp932Upper("ab\x83\x61Z"), "AB\x83\x61Z");
}

// Every ASCII byte, with a double-byte character whose trail byte is a letter at each offset,
// so that runs of plain bytes and the characters between them both get mapped.
TEST(Cp932, CaseMappingCoversEveryByteAtEveryOffset) {
    std::string ascii;
    for (int c = 0; c < 0x80; ++c)
        ascii += static_cast<char>(c);
    const auto mapped = [](std::string text, char from, char to) {
        for (char& c : text) {
            if (c >= from && c <= from + 25) c = static_cast<char>(c - from + to);
        }
        return text;
    };
    for (std::size_t offset = 0; offset <= 16; ++offset) {
        const std::string head = ascii.substr(0, offset), tail = ascii.substr(offset);
        const std::string text = head + "\x83\x61\x83\x41" + tail;
        EXPECT_EQ(cp932Upper(text),
                  mapped(head, 'a', 'A') + "\x83\x61\x83\x41" + mapped(tail, 'a', 'A'));
        EXPECT_EQ(cp932Lower(text),
                  mapped(head, 'A', 'a') + "\x83\x61\x83\x41" + mapped(tail, 'A', 'a'));
    }
}

TEST(Base64, EncodesWithPadding) {
    const std::pair<const char*, const char*> cases[] = {{"", ""},
                                                         {"f", "Zg=="},
                                                         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},
                                                         {"user:pass", "dXNlcjpwYXNz"},
                                                         {"\xff\xfe", "//4="}};
    for (auto [in, out] : cases)
        EXPECT_EQ(EncodeBase64(in), out) << in;
}

}  // namespace
}  // namespace kestrin
