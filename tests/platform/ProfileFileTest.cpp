#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <optional>

#include "support/TempEnvironment.h"
#include "text/Cp932.h"

namespace kestrin {
namespace {

using test::readFile;
using test::TempFolder;
using test::writeFile;

// Fixture texts are written here in UTF-8 and stored as CP932, as profile files are on disk.
// ゾ is 83 5D (trail byte "]"), ソ 83 5C and 表 95 5C (trail byte "\"), ー 81 5B ("[").
TEST(ProfileFile, TrailBytesOfTheFixturesAreTheAsciiMarks) {
    EXPECT_EQ(utf8ToCp932("ゾソ表ー"), "\x83\x5D\x83\x5C\x95\x5C\x81\x5B");
}

TEST(ProfileFile, ReadsValuesWithWindowsRules) {
    struct Case {
        const char* file;
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"[S]\r\nKey =  value  \r\n", "S", "Key", "value"},
        {"[S]\r\nK=\"  a b  \"\r\n", "S", "K", "  a b  "},
        {"[S]\r\nK='x'\r\n", "S", "K", "x"},
        {"[S]\r\nK=\"x'\r\n", "S", "K", "\"x'"},
        {"[S]\r\nK=\"\r\n", "S", "K", "\""},
        {"[S]\r\nK=\"\"x\"\"\r\n", "S", "K", "\"x\""},
        {"[S]\r\nK=a=b\r\n", "S", "K", "a=b"},
        {"[S]\r\nK=\r\n", "S", "K", ""},
        {"[Sec]\r\nkey=1\r\n", "sEC", "KEY", "1"},
        {"[S]\nK=lf only\nL=2\n", "S", "K", "lf only"},
        {"[S]\r\nK=last", "S", "K", "last"},
        {"  [ S ] trailing text\r\n  K  =  v\r\n", "S", "K", "v"},
        {"[A]\r\nK=1\r\n[B]\r\n[a]\r\nK=2\r\nL=3\r\n", "A", "K", "1"},
        {"[A]\r\nK=1\r\n[B]\r\n[a]\r\nK=2\r\nL=3\r\n", "A", "L", std::nullopt},
        {"[S]\r\nK=first\r\nk=second\r\n", "S", "K", "first"},
        {"[S]\r\n;K=comment\r\n", "S", "K", std::nullopt},
        {"[S]\r\nK\r\n", "S", "K", std::nullopt},
        {"[S]\r\n=orphan\r\n", "S", "", std::nullopt},
        {"K=before any section\r\n[S]\r\n", "S", "K", std::nullopt},
        {"[S]\r\n[T\r\nK=1\r\n", "S", "K", "1"},  // "[T" without "]" opens nothing
        {"[ゾ]\r\nK=1\r\n", "ゾ", "K", "1"},
        {"[S]\r\nソ=表\r\n", "S", "ソ", "表"},
        {"[S]\r\n表示=ソ\\\r\nNext=2\r\n", "S", "表示", "ソ\\"},
        {"[ー]\r\nK=ー\r\n", "ー", "k", "ー"},
        {"[S]\r\nK=更新情報\r\n", "S", "K", "更新情報"},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        writeFile(folder / "a.ini", utf8ToCp932(c.file));
        TProfileFile profile(folder / "a.ini");
        EXPECT_EQ(profile.value(c.section, c.key), c.expected) << c.file;
        EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "(none)", folder / "a.ini"),
                  c.expected.value_or("(none)"))
            << c.file;
    }
}

TEST(ProfileFile, CutsValuesAt2047BytesWithoutSplittingACharacter) {
    const std::string a2046(2046, 'a');
    struct Case {
        std::string value;     // CP932 bytes as stored
        std::string expected;  // UTF-8 as read
    };
    const Case cases[] = {
        {std::string(2047, 'a'), std::string(2047, 'a')},
        {std::string(2048, 'a'), std::string(2047, 'a')},
        {a2046 + "\x95\x5C", a2046},                              // 表 would need byte 2048
        {a2046.substr(1) + "\x95\x5Cx", a2046.substr(1) + "表"},  // 2047 bytes of whole characters
        {"\"" + std::string(2047, 'q') + "\"", std::string(2047, 'q')},  // quotes go first
    };
    TempFolder folder;
    for (const Case& c : cases) {
        writeFile(folder / "long.ini", "[S]\r\nK=" + c.value + "\r\n");
        EXPECT_EQ(TProfileFile(folder / "long.ini").readString("S", "K", ""), c.expected)
            << c.value.size();
    }
    std::string hyo;
    for (int i = 0; i < 1024; ++i)
        hyo += "表";
    writeFile(folder / "long.ini", "[S]\r\nK=" + utf8ToCp932(hyo) + "\r\n");
    EXPECT_EQ(TProfileFile(folder / "long.ini").readString("S", "K", ""),
              hyo.substr(0, hyo.size() - std::string("表").size()));
}

TEST(ProfileFile, ReadsIntegersAndBooleans) {
    const std::pair<const char*, std::int32_t> integers[] = {
        {"12", 12},
        {"-5", -5},
        {"+7", 7},
        {" 8 ", 8},
        {"\"3\"", 3},
        {"0x1F", 31},
        {"0XfF", 255},
        {"0xFFFFFFFF", -1},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"2147483648", 99},
        {"0x100000000", 99},
        {"12abc", 99},
        {"", 99},
        {"0x", 99},
        {"1 2", 99},
        {"--1", 99},
        {"abc", 99},
    };
    TempFolder folder;
    for (auto [text, expected] : integers) {
        writeFile(folder / "n.ini", std::string("[S]\r\nN=") + text + "\r\n");
        EXPECT_EQ(TProfileFile(folder / "n.ini").readInteger("S", "N", 99), expected) << text;
    }
    writeFile(folder / "n.ini", "[S]\r\nZero=0\r\nTwo=2\r\nWord=yes\r\n");
    TProfileFile profile(folder / "n.ini");
    EXPECT_FALSE(profile.readBool("S", "Zero", true));
    EXPECT_TRUE(profile.readBool("S", "Two", false));
    EXPECT_TRUE(profile.readBool("S", "Word", true));
    EXPECT_FALSE(profile.readBool("S", "Missing", false));
    EXPECT_EQ(profile.readInteger("Nowhere", "N", -3), -3);
}

TEST(ProfileFile, ListsSectionsAndKeysInFileOrderOnce) {
    TempFolder folder;
    writeFile(folder / "l.ini",
              utf8ToCp932("junk=1\r\n[Soft2]\r\nB=1\r\nA=2\r\nb=3\r\n; c=4\r\n"
                          "[Empty]\r\n[ゾ]\r\n[soft2]\r\nC=5\r\n[Info]\r\nX=1\r\n"));
    TProfileFile profile(folder / "l.ini");
    EXPECT_EQ(profile.sectionNames(), (std::vector<std::string>{"Soft2", "Empty", "ゾ", "Info"}));
    EXPECT_EQ(profile.keyNames("SOFT2"), (std::vector<std::string>{"B", "A"}));
    EXPECT_TRUE(profile.keyNames("Empty").empty());
    EXPECT_TRUE(profile.hasKeys("info"));
    EXPECT_FALSE(profile.hasKeys("Empty"));
    EXPECT_FALSE(profile.hasKeys("Missing"));
    EXPECT_TRUE(profile.hasKey("soft2", "b"));
    EXPECT_FALSE(profile.hasKey("soft2", "C"));  // only in the second copy of the section
    EXPECT_EQ(GetPrivateProfileSectionNames(folder / "l.ini"), profile.sectionNames());
    EXPECT_EQ(GetPrivateProfileKeyNames("Soft2", folder / "l.ini"), profile.keyNames("Soft2"));
}

TEST(ProfileFile, WritesOnlyWhatChangesInCrLfLines) {
    struct Case {
        const char* before;  // nullptr: no file
        const char* section;
        const char* key;    // nullptr: delete the section
        const char* value;  // nullptr: delete the key
        const char* after;
    };
    const Case cases[] = {
        {nullptr, "S", "K", "v", "[S]\r\nK=v\r\n"},
        {"", "S", "K", "v", "[S]\r\nK=v\r\n"},
        {"; c\r\n[S]\r\n  A = 1 \r\nB=2\n\r\n[T]\r\nX=y", "s", "a", "9",
         "; c\r\n[S]\r\nA=9\r\nB=2\n\r\n[T]\r\nX=y"},
        {"[S]\r\nA = 1 \n", "S", "A", "1", "[S]\r\nA = 1 \n"},  // same value: untouched
        {"[S]\r\nA=1\r\n\r\n[T]\r\n", "S", "B", "2", "[S]\r\nA=1\r\nB=2\r\n\r\n[T]\r\n"},
        {"[S]\r\n; note\r\n\r\n[T]\r\n", "S", "B", "2", "[S]\r\nB=2\r\n; note\r\n\r\n[T]\r\n"},
        {"[S]\r\nA=1", "S", "B", "2", "[S]\r\nA=1\r\nB=2\r\n"},
        {"[S]\r\nA=1", "T", "K", "v", "[S]\r\nA=1\r\n[T]\r\nK=v\r\n"},
        {"[S]\nA=1\n", "S", "B", "2", "[S]\nA=1\nB=2\r\n"},
        {"[S]\r\nA=1\r\n[s]\r\nB=1\r\n", "S", "B", "2", "[S]\r\nA=1\r\nB=2\r\n[s]\r\nB=1\r\n"},
        {"[ゾ]\r\nソ=1\r\n", "ゾ", "ソ", "表ー", "[ゾ]\r\nソ=表ー\r\n"},
        {"[S]\r\n", "S", "K", "a\U0001F600b", "[S]\r\nK=a?b\r\n"},
        {"[S]\r\n", "S", "K", "line1\r\nline2\nline3", "[S]\r\nK=line1 line2 line3\r\n"},
        {"[S]\r\nA=1\r\nB=2\r\na=3\r\n", "S", "A", nullptr, "[S]\r\nB=2\r\n"},
        {"[S]\r\nA=1\r\n", "T", "A", nullptr, "[S]\r\nA=1\r\n"},
        {"[S]\r\nA=1\r\n; c\r\n[T]\r\nB=2\r\n[s]\r\nC=3\r\n", "S", nullptr, nullptr,
         "[T]\r\nB=2\r\n"},
        {"x\r\n[S]\r\nA=1", "S", nullptr, nullptr, "x\r\n"},
    };
    TempFolder folder;
    const auto file = folder / "w.ini";
    for (const Case& c : cases) {
        std::filesystem::remove(file);
        if (c.before) writeFile(file, utf8ToCp932(c.before));
        auto optional = [](const char* text) {
            return text ? std::optional<std::string_view>(text) : std::nullopt;
        };
        EXPECT_TRUE(WritePrivateProfileString(c.section, optional(c.key), optional(c.value), file))
            << c.before;
        EXPECT_EQ(readFile(file), utf8ToCp932(c.after)) << (c.before ? c.before : "(no file)");
    }
}

TEST(ProfileFile, WrittenValuesReadBack) {
    TempFolder folder;
    TProfileFile profile(folder / "item.url");
    profile.writeString("InternetShortcut", "URL", "http://example.com/ソフト/");
    profile.writeString("QZ7P", "Error", "(エラー無し)");
    profile.writeString("QZ7P", "ForeString", "  spaced  ");
    EXPECT_TRUE(profile.modified());
    profile.save();
    EXPECT_FALSE(profile.modified());

    TProfileFile again(folder / "item.url");
    EXPECT_EQ(again.readString("internetshortcut", "url", ""), "http://example.com/ソフト/");
    EXPECT_EQ(again.readString("QZ7P", "Error", ""), "(エラー無し)");
    EXPECT_EQ(again.readString("QZ7P", "ForeString", ""), "spaced");  // trimmed on read
    EXPECT_EQ(readFile(folder / "item.url"),
              utf8ToCp932("[InternetShortcut]\r\nURL=http://example.com/ソフト/\r\n[QZ7P]\r\n"
                          "Error=(エラー無し)\r\nForeString=  spaced  \r\n"));
}

TEST(ProfileFile, MissingFileReadsEmptyAndMissingFolderFailsTheWrite) {
    TempFolder folder;
    const auto missing = folder / "none.ini";
    EXPECT_EQ(GetPrivateProfileString("S", "K", "(不明)", missing), "(不明)");
    EXPECT_TRUE(GetPrivateProfileSectionNames(missing).empty());
    EXPECT_TRUE(WritePrivateProfileString("S", "K", std::nullopt, missing));  // nothing to delete
    EXPECT_FALSE(std::filesystem::exists(missing));

    const auto inMissingFolder = folder / "no-such-folder" / "a.ini";
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", inMissingFolder));
    EXPECT_FALSE(std::filesystem::exists(inMissingFolder.parent_path()));
    TProfileFile profile(inMissingFolder);
    profile.writeString("S", "K", "v");
    EXPECT_THROW(profile.save(), std::filesystem::filesystem_error);
}

TEST(ProfileFile, FlushCallAndBadArguments) {
    TempFolder folder;
    const auto file = folder / "f.ini";
    writeFile(file, "[S]\r\nK=1\r\n");
    EXPECT_TRUE(WritePrivateProfileString(std::nullopt, std::nullopt, std::nullopt, file));
    EXPECT_FALSE(WritePrivateProfileString(std::nullopt, "K", "1", file));
    for (const char* key : {"", "  ", "a=b", "[x", ";x", "a\nb"})
        EXPECT_FALSE(WritePrivateProfileString("S", key, "v", file)) << key;
    for (const char* section : {"a]b", "a\r\nb"})
        EXPECT_FALSE(WritePrivateProfileString(section, "K", "v", file)) << section;
    EXPECT_EQ(readFile(file), "[S]\r\nK=1\r\n");
}

TEST(ProfileFile, ReloadForgetsUnsavedChanges) {
    TempFolder folder;
    writeFile(folder / "r.ini", "[S]\r\nK=1\r\n");
    TProfileFile profile(folder / "r.ini");
    profile.writeString("S", "K", "2");
    writeFile(folder / "r.ini", "[S]\r\nK=3\r\n");  // changed by someone else meanwhile
    profile.reload();
    EXPECT_FALSE(profile.modified());
    EXPECT_EQ(profile.readString("S", "K", ""), "3");
}

}  // namespace
}  // namespace kestrin
