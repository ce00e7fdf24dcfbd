#include "app/PasswordScramble.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "platform/VolumeSerial.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

const std::int32_t kKeys[] = {0, 1, -1, 72, 100, -1000, 0x5EED1234, INT_MAX, INT_MIN};

// Every printable character at every position of every length up to 22, the other positions
// filled with characters that vary with length and position.
std::vector<std::string> printableTexts() {
    std::vector<std::string> texts{""};
    for (std::size_t length = 1; length <= kMaxPasswordLength; ++length) {
        for (std::size_t position = 0; position < length; ++position) {
            for (char c = 32; c <= 126; ++c) {
                std::string text(length, ' ');
                for (std::size_t i = 0; i < length; ++i)
                    text[i] = static_cast<char>(32 + (i * 37 + length * 11 + c) % 95);
                text[position] = c;
                texts.push_back(text);
            }
        }
    }
    return texts;
}

TEST(PasswordScramble, EveryPrintableTextSurvivesTheRoundTrip) {
    const auto texts = printableTexts();
    for (std::int32_t key : kKeys) {
        SCOPED_TRACE(key);
        for (const auto& text : texts) {
            std::string scrambled = scramblePassword(text, key);
            ASSERT_EQ(scrambled.size(), text.size());
            for (unsigned char c : scrambled)
                ASSERT_TRUE(c >= 30 && c <= 124) << "byte " << int(c) << " from " << text;
            ASSERT_EQ(unscramblePassword(scrambled, key), text);
        }
    }
}

TEST(PasswordScramble, KnownScrambledBytes) {
    // Worked out by hand. Key -1000: base |-1000 rem 73| = 51 (a floored remainder would give
    // 22); position shifts |-1000 rem 22| = 10, rem 21 -> 13, rem 20 -> 0, rem 19 -> 12.
    // 'A' 65+51+10 = 126 wraps to 31; 'b' 98+51+13 = 162 -> 67; '~' 126+51+0 = 177 -> 82;
    // ' ' 32+51+12 = 95.
    struct Case {
        std::int32_t key;
        std::string plain;
        std::string scrambled;
    };
    const Case cases[] = {
        {-1000, "Ab~ ",
         "\x1F"
         "CR_"},
        {100, "a1", ")\\"},   // base 27; 97+27+12 = 136 -> 41; 49+27+16 = 92
        {INT_MIN, "~", "1"},  // base 16, shift 2: 126+16+2 = 144 -> 49
        {0, "abc", "abc"},
        {12345, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(scramblePassword(c.plain, c.key), c.scrambled);
        EXPECT_EQ(unscramblePassword(c.scrambled, c.key), c.plain);
    }
    // Another machine's key reads another password.
    EXPECT_NE(unscramblePassword("\x1F"
                                 "CR_",
                                 100),
              "Ab~ ");
}

TEST(PasswordScramble, RefusesWhatCannotSurvive) {
    const std::string tooLong(23, 'x');
    struct Case {
        std::string password;
        std::string message;
    };
    const Case cases[] = {
        {"", ""},
        {std::string(22, '~'), ""},
        {tooLong, "パスワードは22文字以内で指定して下さい"},
        {"パスワード", "パスワードには半角の英数字と記号(空白を含む)だけが使えます"},
        {"tab\there", "パスワードには半角の英数字と記号(空白を含む)だけが使えます"},
        {"del\x7F", "パスワードには半角の英数字と記号(空白を含む)だけが使えます"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        EXPECT_EQ(passwordProblem(c.password), c.message);
        if (!c.message.empty()) {
            EXPECT_THROW(scramblePassword(c.password, 5), std::invalid_argument);
        }
    }
    // Stored texts no scrambling gives read as no password.
    for (const std::string& stored :
         {tooLong, std::string("\x1D"), std::string("}"), std::string("é")})
        EXPECT_EQ(unscramblePassword(stored, 5), "");
}

TEST(VolumeSerial, FoldsTheMachineId) {
    struct Case {
        std::string text;
        std::optional<std::uint32_t> serial;
    };
    const Case cases[] = {
        {"00000001000000020000000400000008\n", 15u},
        {"FFFFFFFF00000000000000000000abcd", 0xFFFF5432u},
        {"a", 0xE40C292Cu},  // not an id: FNV-1a
        {"  \n", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(foldMachineId(c.text), c.serial) << c.text;

    test::TempFolder folder;
    test::writeFile(folder / "empty", "\n");
    test::writeFile(folder / "machine-id", "00000001000000020000000400000008\n");
    EXPECT_EQ(readVolumeSerial({folder / "missing", folder / "empty", folder / "machine-id"}), 15u);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_EQ(readVolumeSerial({folder / "missing"}), foldMachineId(host));
}

TEST(VolumeSerial, InstalledSerialKeysTheScrambling) {
    installVolumeSerial(0xFFFFFC18u);  // -1000 as signed
    EXPECT_EQ(volumeSerial(), 0xFFFFFC18u);
    EXPECT_EQ(scramblePassword("Ab~ "),
              "\x1F"
              "CR_");
    EXPECT_EQ(unscramblePassword("\x1F"
                                 "CR_"),
              "Ab~ ");
    installVolumeSerial(std::nullopt);
    EXPECT_EQ(volumeSerial(), volumeSerial());
}

}  // namespace
}  // namespace kestrin
