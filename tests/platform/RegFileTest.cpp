#include "platform/RegFile.h"

#include <gtest/gtest.h>

#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::TempEnvironment;

constexpr const char* kRenvane = "Software\\Renvane";
constexpr const char* kSoftware = "Software\\Renvane\\KestrinAuthor\\kestrin";

// A catalogue with every kind of value worth carrying through a file.
void fillCatalogue(Registry& registry) {
    registry.createKey(kSoftware);
    registry.createKey("Software\\Renvane\\empty author");
    registry.write(kRenvane, "KestrinPath", std::string("/opt/kestrin/bin/kestrin"));
    registry.write(kRenvane, "Password",
                   std::string("\x1F"
                               "CR_"));  // scrambled bytes
    registry.write(kRenvane, "", std::string("quote \" and backslash \\ ; [x] = @"));
    registry.write("Software\\Renvane\\KestrinAuthor", "Author", std::string("ケストリン開発室"));
    registry.write(kSoftware, "DisplayName", std::string("Kestrin 2001"));
    registry.write(kSoftware, "Build", 360u);
    registry.write(kSoftware, "Max", 0xFFFFFFFFu);
    registry.write(kSoftware, "Icon", RegistryBytes{0x00, 0x7F, 0x80, 0xFF});
    registry.write(kSoftware, "None", RegistryBytes{});
}

TEST(RegFile, ExportWritesTheTextFormat) {
    TempEnvironment environment;
    Registry registry;
    registry.createKey("Software\\Renvane\\Author\\App");
    registry.write("Software\\Renvane\\Author", "Author", std::string("作者 \"A\" C:\\"));
    registry.write("Software\\Renvane\\Author\\App", "Build", 10u);
    registry.write("Software\\Renvane\\Author\\App", "Icon", RegistryBytes{1, 0xAB});
    registry.write("Software\\Renvane\\Author\\App", "", std::string());

    EXPECT_EQ(exportRegFile(registry, "software\\renvane\\AUTHOR"),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Renvane\\Author]\n"
              "\"Author\"=\"作者 \\\"A\\\" C:\\\\\"\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Renvane\\Author\\App]\n"
              "\"Build\"=dword:0000000a\n"
              "\"Icon\"=hex:01,ab\n"
              "@=\"\"\n"
              "\n");
    EXPECT_THROW(exportRegFile(registry, "Software\\Missing"), ERegistryException);
    registry.write("Software\\Renvane\\Author", "Notice", std::string("two\r\nlines"));
    EXPECT_THROW(exportRegFile(registry, "Software"), ERegistryException);
}

TEST(RegFile, ExportThenImportGivesTheSameTree) {
    TempEnvironment environment;
    Registry source;
    fillCatalogue(source);
    const std::string text = exportRegFile(source, "Software");

    Registry copy(environment.root() / "copy.db");
    applyRegFile(copy, parseRegFile(text));
    EXPECT_EQ(exportRegFile(copy, "Software"), text);
    EXPECT_EQ(copy.readString("Software\\Renvane\\KestrinAuthor", "Author"), "ケストリン開発室");
    EXPECT_EQ(copy.readString(kRenvane, "Password"),
              "\x1F"
              "CR_");
    EXPECT_EQ(copy.readInteger(kSoftware, "Max"), 0xFFFFFFFFu);
    EXPECT_EQ(copy.readBinary(kSoftware, "Icon"), (RegistryBytes{0x00, 0x7F, 0x80, 0xFF}));
    EXPECT_EQ(copy.readBinary(kSoftware, "None"), RegistryBytes{});
}

TEST(RegFile, ReadsWhatTheWindowsToolsWrite) {
    TempEnvironment environment;
    Registry registry;
    registry.createKey("Software\\Old\\Sub");
    registry.createKey(kRenvane);
    registry.write(kRenvane, "Gone", 1u);
    registry.write(kRenvane, "Kept", 2u);

    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; a comment\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
        "\r\n"
        "[hkcu\\software\\RENVANE]\r\n"
        "\"Gone\"=-\r\n"
        "\"Small\"=dword:A\r\n"
        "  \"Spaced\" = \"x\"  \r\n"
        "\"Long\"=hex:00,01,02,\\\r\n"
        "  03,04\r\n"
        "@=\"default\"\r\n"
        "[HKEY_CURRENT_USER\\Software\\Renvane\\New Key]";
    applyRegFile(registry, parseRegFile(text));

    EXPECT_FALSE(registry.keyExists("Software\\Old"));
    EXPECT_FALSE(registry.value(kRenvane, "Gone"));
    EXPECT_EQ(registry.readInteger(kRenvane, "Kept"), 2u);
    EXPECT_EQ(registry.readInteger(kRenvane, "Small"), 10u);
    EXPECT_EQ(registry.readString(kRenvane, "Spaced"), "x");
    EXPECT_EQ(registry.readBinary(kRenvane, "Long"), (RegistryBytes{0, 1, 2, 3, 4}));
    EXPECT_EQ(registry.readString(kRenvane, ""), "default");
    EXPECT_TRUE(registry.keyExists("Software\\Renvane\\New Key"));
}

TEST(RegFile, MalformedTextNamesItsLine) {
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string key = header + "[HKEY_CURRENT_USER\\Software]\n";
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"", "line 1: not a .reg file: it is empty"},
        {"REGEDIT4\n", "line 1: not a .reg file"},
        {header + "\"a\"=\"b\"\n", "line 3: a value before the first [key] line"},
        {header + "[HKEY_CURRENT_USER\\x\n", "line 3: a [key] line must end with \"]\""},
        {header + "[HKEY_LOCAL_MACHINE\\x]\n", "line 3: only HKEY_CURRENT_USER"},
        {header + "[Software\\x]\n", "line 3: a key must start with HKCU\\"},
        {key + "\"a\"=\"open\n", "line 4: the closing quote is missing"},
        {key + "\"a\"=\"C:\\dir\"\n", "line 4: a backslash inside quotes"},
        {key + "\"a\"=\"b\" c\n", "line 4: unexpected text after the closing quote"},
        {key + "\"a\"=dword:123456789\n", "line 4: dword: needs 1 to 8 hexadecimal digits"},
        {key + "\"a\"=dword:\n", "line 4: dword: needs"},
        {key + "\"a\"=hex:1,zz\n", "line 4: hex: needs bytes"},
        {key + "\"a\"=hex:01,\n", "line 4: hex: ends with a comma"},
        {key + "\"a\"=hex(2):00,00\n", "line 4: value type hex(2) is not supported"},
        {key + "\"a\"\"b\"\n", "line 4: \"=\" is missing"},
        {key + "\"a\"=text\n", "line 4: cannot read the value data"},
        {key + "\n\nname=1\n", "line 6: neither a [key] line"},
        {header + "[-HKCU\\x]\n\"a\"=\"b\"\n", "line 4: a value under a key that is being deleted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            parseRegFile(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const RegFileError& error) {
            EXPECT_EQ(std::string(error.what()).find(c.message), 0u) << error.what();
        }
    }
}

TEST(RegFile, AFailingImportChangesNothing) {
    TempEnvironment environment;
    Registry registry;
    fillCatalogue(registry);
    const std::string before = exportRegFile(registry, "");

    // The first sections are fine; deleting the root fails only while it is applied.
    auto sections = parseRegFile(
        "Windows Registry Editor Version 5.00\n"
        "[-HKCU\\Software\\Renvane\\KestrinAuthor]\n"
        "[HKCU\\Software\\Renvane]\n\"Build\"=dword:1\n\"Password\"=-\n"
        "[-HKEY_CURRENT_USER]\n");
    EXPECT_THROW(applyRegFile(registry, sections), ERegistryException);
    EXPECT_EQ(exportRegFile(registry, ""), before);
}

TEST(RegFile, HivePaths) {
    const std::pair<const char*, const char*> good[] = {
        {"HKCU", ""},
        {"hkcu\\Software\\Renvane", "Software\\Renvane"},
        {"HKEY_CURRENT_USER\\Software\\", "Software\\"},
    };
    for (const auto& [full, path] : good)
        EXPECT_EQ(pathBelowHive(full), path);
    for (const char* bad :
         {"HKLM\\Software", "HKEY_CLASSES_ROOT", "Software\\Renvane", "", "HKCUX"})
        EXPECT_THROW(pathBelowHive(bad), std::invalid_argument) << bad;
    EXPECT_EQ(withHive(""), "HKEY_CURRENT_USER");
    EXPECT_EQ(withHive("\\Software\\Renvane"), "HKEY_CURRENT_USER\\Software\\Renvane");
}

}  // namespace
}  // namespace kestrin
