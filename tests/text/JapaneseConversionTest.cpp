#include "text/JapaneseConversion.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <vector>

#include "support/Iconv.h"
#include "support/ReferenceDetection.h"

namespace kestrin {
namespace {

using enum JapaneseCode;
using namespace std::string_literals;
using test::Iconv;

std::string hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
        out += ' ';
    }
    return out;
}

std::string letters(std::size_t count) {
    return std::string(count, 'a');
}

TEST(DetectCode, ClassifiesByTheFirstDecisiveByte) {
    std::string binaryAt600 = letters(700);
    binaryAt600[599] = '\x01';
    const struct {
        std::string text;
        JapaneseCode code;
    } cases[] = {
        {"", ASCII},
        {"a", ASCII},
        {"plain\x01", ASCII},  // the last byte is never examined
        {"\xFF", ASCII},
        {"ab\xFF"
         "cd",
         BINARY},
        {binaryAt600, BINARY},  // past the binary test's 512 bytes, found by the scan
        {"\x1B$B\x30\x21", JIS_NEW},
        {"\x1B$@\x30\x21", JIS_OLD},
        {"\x1B$(D", ASCII},
        {"\x82\xA0", SJIS},
        {"\xA4\xA2", EUC_OR_SJIS},
        {"\xA4\xA2\xB5\xFE", EUC},
        {"\xB5\xFE", EUC},
        {"\xF0\xA1", EUC},
        {"\x8E\xB1", EUC_OR_SJIS},
        {"\x8E\x41", SJIS},
        {"\xB1\x41", SJIS},  // half-width kana then ASCII
        {"\xE0\xA1", EUC_OR_SJIS},
        {"\xE0\x41", SJIS},
        {"\xE0\xFD", EUC},
        {"ab\x82", ASCII},  // a lead byte as the last byte is not examined
        {"\xB1\xE0\x41\x8A"
         "a",
         SJIS},  // the run of a pair 0xA1-0xDF, 0xE0-0xEF
        {"\xB1\xE0\x41\x9D"
         "a",
         EUC_OR_SJIS},  // 0x9D does not decide inside the run
        {"\xB1\xE0\xFD"
         "a",
         EUC},
        {"\xB1\xE0\x1B$B\x30", EUC_OR_SJIS},  // the ESC that ends the run is consumed with it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DetectCode(c.text), c.code) << hex(c.text);
    }
}

// Runs that the detection skips eight bytes at a time (plain bytes, pairs of 0xA1-0xDF) of
// every length, between the bytes that decide or start a rule, so that runs end at every
// offset, next to the last byte, and cut a pair or an escape sequence.
std::string generateDetectable(std::mt19937& random) {
    static const char* const kDeciders[] = {
        "\x1B$B", "\x1B$@",   "\x1B$",    "\x1B", "\x1B(",    "\x82\xA0", "\x8E", "\x8E\xB1",
        "\xE0",   "\xE0\xA1", "\xE0\xFD", "\xF0", "\xB5\xFE", "\xB1\xE0", "\xFD", "\x80",
        "\xA0",   "\xFF",     "\x01",     "\x07", "\x08",     "\x9D",
    };
    std::uniform_int_distribution<int> pieces(0, 8), run(0, 20), kind(0, 2);
    std::uniform_int_distribution<std::size_t> decider(0, std::size(kDeciders) - 1);
    std::string text;
    // Now and then past the 512 bytes of the binary test.
    if (kind(random) == 0) text.assign(500 + run(random), 'x');
    for (int i = pieces(random); i > 0; --i) {
        switch (kind(random)) {
            case 0:
                text.append(run(random), 'a');
                break;
            case 1:
                for (int n = run(random); n > 0; --n)
                    text += static_cast<char>(0xA1 + random() % 0x3F);
                break;
            default:
                text += kDeciders[decider(random)];
                break;
        }
    }
    return text;
}

TEST(DetectCode, AgreesWithThePlainRulesOnGeneratedTexts) {
    std::mt19937 random(2001);
    for (int i = 0; i < 50000; ++i) {
        const std::string text = generateDetectable(random);
        ASSERT_EQ(DetectCode(text), test::referenceDetectCode(text)) << hex(text);
    }
}

TEST(ConvertCode, ConvertsOnlyWhatItIsSureOf) {
    const std::string oldJis = "\x1B$@\x30\x21\x1B(Jx";
    const struct {
        std::string text;
        JapaneseCode target;
        std::string expected;
    } cases[] = {
        {"", SJIS, ""},
        {"a", SJIS, "a"},
        {"\xA4\xA2", SJIS, "\xA4\xA2"},                  // EUC_OR_SJIS stays as it is
        {"\xB0\xA1\xB5\xFE", SJIS, "\x88\x9F\x8B\x9E"},  // EUC
        {oldJis, JIS_NEW, oldJis},                       // old JIS is not renewed
        {oldJis, SJIS, "\x88\x9Fx"},                     // but converts like new JIS
        {"\x1B$B\x30\x21\x1B(Bx", EUC, "\xB0\xA1x"},
        {"\x88\x9F"
         "a",
         EUC,
         "\xB0\xA1"
         "a"},
        {"\x88\x9F"
         "a",
         JIS_NEW, "\x1B$B\x30\x21\x1B(Ja"},
        {"\xB0\xA1\xB5\xFE", JIS_NEW, "\x1B$B\x30\x21\x35\x7E"},
        {"\x88\x9F"
         "a",
         JIS_OLD,
         "\x88\x9F"
         "a"},  // no converter for that target
        {"\x88\x9F"
         "a",
         SJIS,
         "\x88\x9F"
         "a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hex(ConvertCode(c.text, c.target)), hex(c.expected)) << hex(c.text);
    }
}

TEST(JapaneseConverters, FollowTheByteRules) {
    using Converter = std::string (*)(std::string_view);
    const struct {
        Converter convert;
        std::string text;
        std::string expected;
    } cases[] = {
        // The terminating zero after a final escape sequence is handled (and copied).
        {JisToSjis, "\x1B$B\x30\x21\x1B(B", "\x88\x9F\0"s},
        {JisToSjis, "\x1B$B\x30\x21\x1B(Bx", "\x88\x9Fx"},
        {JisToSjis, "\x1B$B\x30\x21\x1B(B\x1B$B\x30\x21", "\x88\x9F\x1B$B\x30\x21"},
        {JisToSjis, "\x1B$B\x30", "\x88\x7E"},  // a lone last byte pairs with the zero
        // Cut-off escape sequences write nothing and end the text.
        {JisToSjis, "a\x1B", "a"},
        {JisToSjis, "a\x1B$", "a"},
        {JisToSjis, "a\x1B$B", "a"},
        {JisToSjis, "\x1B$B\x30\x21\x1B(", "\x88\x9F"},
        {JisToEuc, "\x1B$B\x30\x21\x1B(Bx", "\xB0\xA1x"},
        {JisToEuc, "\x1B$B\x30\x21\x1B(B", "\xB0\xA1\0"s},
        {JisToEuc, "a\x1B$", "a"},
        {EucToSjis, "\xB0\xA1", "\x88\x9F"},
        {EucToSjis, "\x8E\xB1", "\xB1"},
        {EucToSjis, "a\x80\xFFz", "a\x80\xFFz"},
        {SjisToEuc, "\x88\x9F\xB1z", "\xB0\xA1\x8E\xB1z"},
        {SjisToJis, "\xB6\xDE", "\x1B$B\x25\x2C"},  // ｶﾞ -> ガ, no escape back at the end
        {SjisToJis, "\xCA\xDF\xB3\xDE\xB1\xDE", "\x1B$B\x25\x51\x25\x74\x25\x22\x21\x2B"},
        {SjisToJis, "a\x88\x9F\r\nb", "a\x1B$B\x30\x21\x1B(J\r\nb"},
        {EucToJis, "\x8E\xB6\x8E\xDE", "\x1B$B\x25\x2C"},
        {EucToJis, "\x8E\xCA\x8E\xDF\x8E\xB1", "\x1B$B\x25\x51\x25\x22"},
        {EucToJis, "\xB0\xA1\nx", "\x1B$B\x30\x21\x1B(J\nx"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hex(c.convert(c.text)), hex(c.expected)) << hex(c.text);
    }
}

std::string pair(unsigned char a, unsigned char b) {
    return {static_cast<char>(a), static_cast<char>(b)};
}

// Every JIS X 0208 character, converted both ways by our arithmetic and by the C library.
TEST(JapaneseConverters, AgreeWithTheCLibraryForEveryJisX0208Character) {
    Iconv eucToUtf8("UTF-8", "EUC-JP");
    Iconv eucToSjis("SHIFT_JIS", "EUC-JP");
    Iconv jisToSjis("SHIFT_JIS", "ISO-2022-JP");
    Iconv jisToEuc("EUC-JP", "ISO-2022-JP");
    Iconv sjisToEuc("EUC-JP", "SHIFT_JIS");
    Iconv sjisToJis("ISO-2022-JP", "SHIFT_JIS");
    Iconv eucToJis("ISO-2022-JP", "EUC-JP");
    const std::string shiftIn = "\x1B$B", shiftOut = "\x1B(B";
    int characters = 0;
    std::vector<std::string> mismatches;
    for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
            const std::string euc = pair(j1 | 0x80, j2 | 0x80);
            if (eucToUtf8(euc).empty()) continue;  // not a character of JIS X 0208
            ++characters;
            const std::string jis = shiftIn + pair(j1, j2) + shiftOut;
            const std::string sjis = eucToSjis(euc);
            const auto arithmetic = JisCharToSjis(j1, j2);
            const bool agree =
                sjis == pair(arithmetic[0], arithmetic[1]) && EucToSjis(euc) == sjis &&
                JisToSjis(jis) == sjis + '\0' &&  // the zero after ESC ( B
                JisToSjis(jis) == jisToSjis(jis) + '\0' && JisToEuc(jis) == jisToEuc(jis) + '\0' &&
                SjisToEuc(sjis) == sjisToEuc(sjis) &&
                SjisToJis(sjis) + shiftOut == sjisToJis(sjis) &&
                EucToJis(euc) + shiftOut == eucToJis(euc);
            if (!agree) mismatches.push_back(hex(pair(j1, j2)));
        }
    }
    EXPECT_GT(characters, 6800);  // JIS X 0208 has 6879 characters
    EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " differ, first " << mismatches[0];
}

// Runs of plain bytes, which the page converters copy eight at a time, of every length before,
// between and after double-byte characters and half-width kana.
TEST(JapaneseConverters, ConvertPagesAroundPlainRunsOfEveryLength) {
    Iconv utf8ToEuc("EUC-JP", "UTF-8"), utf8ToSjis("SHIFT_JIS", "UTF-8");
    Iconv utf8ToJis("ISO-2022-JP", "UTF-8");
    const auto plain = [](std::size_t n) { return std::string("0123456789abcdefghij", n); };
    for (std::size_t a = 0; a <= 17; ++a) {
        for (std::size_t b = 0; b <= 17; ++b) {
            const std::string utf8 = plain(a) + "漢字" + plain(b) + "かな" + plain(b % 9);
            const std::string kana = plain(a) + "\x8E\xB1" + plain(b) + "\x8E\xB2";
            const std::string sjis = utf8ToSjis(utf8), jis = utf8ToJis(utf8);
            ASSERT_EQ(hex(EucToSjis(utf8ToEuc(utf8))), hex(sjis)) << a << ' ' << b;
            ASSERT_EQ(hex(EucToSjis(kana)), hex(plain(a) + "\xB1" + plain(b) + "\xB2"));
            // A JIS text that ends in ESC ( B hands on its terminating zero.
            const std::string zero = jis.ends_with("\x1B(B") ? "\0"s : "";
            ASSERT_EQ(hex(JisToSjis(jis)), hex(sjis + zero)) << a << ' ' << b;
        }
    }
}

// Half-width katakana become the full-width characters of the same sound and mark.
TEST(JapaneseConverters, WidenHalfWidthKana) {
    const std::string fullWidth =
        "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
        "ハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
    Iconv eucToUtf8("UTF-8", "EUC-JP");
    std::string widened;
    for (unsigned kana = 0xA1; kana <= 0xDF; ++kana) {
        const std::string jis = SjisToJis(std::string(1, static_cast<char>(kana)));
        ASSERT_EQ(jis.size(), 5u);
        widened += eucToUtf8(pair(jis[3] | 0x80, jis[4] | 0x80));
    }
    EXPECT_EQ(widened, fullWidth);
}

}  // namespace
}  // namespace kestrin
