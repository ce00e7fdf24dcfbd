#include "text/Cp932.h"

#include <gtest/gtest.h>

#include <random>

#include "support/ReferenceScanner.h"
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

// Texts made of letters, bytes next to the letters' ranges, and runs of lead bytes of every
// length (a run's parity decides whether the byte after it is a second byte), so that
// characters cross the boundaries of the eight-byte steps at every offset.
std::string generateCp932(std::mt19937& random) {
    static const std::string kBytes = "azmAZM@[`{ \r\n\x80\xA0\xA1\xDF\xFD\xFF\x40\x7E";
    static const std::string kLeads = "\x81\x9F\xE0\xFC\x83";
    std::uniform_int_distribution<int> length(0, 40), run(1, 17), kind(0, 3);
    std::string text;
    for (int i = length(random); i > 0; --i) {
        if (kind(random) == 0) {
            for (int n = run(random); n > 0; --n)
                text += kLeads[random() % kLeads.size()];
        } else {
            text += kBytes[random() % kBytes.size()];
        }
    }
    return text;
}

TEST(Cp932, CaseMappingAgreesWithTheCharacterWalkOnGeneratedTexts) {
    std::mt19937 random(932);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = generateCp932(random);
        ASSERT_EQ(cp932Upper(text), test::referenceCp932Upper(text))
            << ::testing::PrintToString(text);
        ASSERT_EQ(cp932Lower(text), test::referenceCp932Lower(text))
            << ::testing::PrintToString(text);
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
