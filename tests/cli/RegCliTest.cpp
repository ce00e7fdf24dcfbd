#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "support/CliRunner.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::runCli;
using test::TempEnvironment;

constexpr const char* kAuthor = "HKCU\\Software\\Renvane\\KestrinAuthor";
constexpr const char* kProgram = "HKCU\\Software\\Renvane\\KestrinAuthor\\kestrin";

void expectOk(const std::vector<std::string>& arguments, const std::string& input = "") {
    auto result = runCli(arguments, input);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "The operation completed successfully.\n");
}

void registerProgram() {
    expectOk({"reg", "add", kAuthor, "/v", "Author", "/d", "ケストリン開発室"});
    expectOk({"reg", "add", kAuthor, "/v", "InfoURL", "/d", "http://127.0.0.1/kestrin.inf"});
    expectOk({"reg", "add", kProgram, "/v", "DistinctName", "/d", "Kestrin"});
    expectOk({"reg", "add", kProgram, "/v", "Build", "/t", "REG_DWORD", "/d", "360"});
    expectOk({"reg", "add", kProgram, "/v", "Mask", "/t", "REG_DWORD", "/d", "0xFFFFFFFF"});
    expectOk({"reg", "add", kProgram, "/v", "Icon", "/t", "REG_BINARY", "/d", "00ff10"});
    expectOk({"reg", "add", kProgram, "/ve", "/d", "a \"quoted\" C:\\path"});
}

TEST(RegCli, AddAndQuery) {
    TempEnvironment environment;
    registerProgram();
    Registry registry;
    EXPECT_EQ(registry.readString("Software\\Renvane\\KestrinAuthor", "Author"),
              "ケストリン開発室");
    EXPECT_EQ(registry.readInteger("Software\\Renvane\\KestrinAuthor\\kestrin", "Build"), 360u);

    auto result = runCli({"reg", "query", "hkey_current_user\\software\\renvane\\kestrinauthor"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "\nHKEY_CURRENT_USER\\Software\\Renvane\\KestrinAuthor\n"
              "    Author    REG_SZ    ケストリン開発室\n"
              "    InfoURL    REG_SZ    http://127.0.0.1/kestrin.inf\n"
              "\nHKEY_CURRENT_USER\\Software\\Renvane\\KestrinAuthor\\kestrin\n");

    result = runCli({"reg", "query", "HKCU\\Software\\Renvane", "/s", "/v", "BUILD"});
    EXPECT_EQ(result.out,
              "\nHKEY_CURRENT_USER\\Software\\Renvane\\KestrinAuthor\\kestrin\n"
              "    Build    REG_DWORD    0x168\n");

    result = runCli({"reg", "query", kProgram, "/s"});
    EXPECT_EQ(result.out,
              "\nHKEY_CURRENT_USER\\Software\\Renvane\\KestrinAuthor\\kestrin\n"
              "    DistinctName    REG_SZ    Kestrin\n"
              "    Build    REG_DWORD    0x168\n"
              "    Mask    REG_DWORD    0xffffffff\n"
              "    Icon    REG_BINARY    00FF10\n"
              "    (Default)    REG_SZ    a \"quoted\" C:\\path\n");
}

TEST(RegCli, ExportDeleteImportRoundTrip) {
    TempEnvironment environment;
    registerProgram();
    const auto file = environment.root() / "catalogue.reg";
    expectOk({"reg", "export", "HKCU\\Software", file.string()});
    const std::string exported = test::readFile(file);
    const std::string before = runCli({"reg", "query", "HKCU", "/s"}).out;

    expectOk({"reg", "delete", "HKCU\\Software\\Renvane", "/f"});
    EXPECT_NE(runCli({"reg", "query", kAuthor}).status, 0);
    expectOk({"reg", "import", file.string()});

    EXPECT_EQ(runCli({"reg", "query", "HKCU", "/s"}).out, before);
    // Overwriting the file needs /y (or a yes); the second export is the same text.
    auto refused = runCli({"reg", "export", "HKCU\\Software", file.string()}, "no\n");
    EXPECT_EQ(refused.status, 1);
    expectOk({"reg", "export", "HKCU\\Software", file.string(), "/y"});
    EXPECT_EQ(test::readFile(file), exported);
}

TEST(RegCli, DeleteAndOverwriteAskUnlessForced) {
    TempEnvironment environment;
    registerProgram();
    Registry registry;
    const std::string program = "Software\\Renvane\\KestrinAuthor\\kestrin";

    auto result = runCli({"reg", "add", kProgram, "/v", "Build", "/t", "REG_DWORD", "/d", "1"});
    EXPECT_EQ(result.status, 1);  // no answer is no
    EXPECT_EQ(registry.readInteger(program, "Build"), 360u);
    expectOk({"reg", "add", kProgram, "/v", "Build", "/t", "REG_DWORD", "/d", "361"}, "yes\n");
    EXPECT_EQ(registry.readInteger(program, "Build"), 361u);

    EXPECT_EQ(runCli({"reg", "delete", kProgram, "/v", "Icon"}, "n\n").status, 1);
    EXPECT_TRUE(registry.value(program, "Icon"));
    expectOk({"reg", "delete", kProgram, "/v", "Icon"}, "y\n");
    expectOk({"reg", "delete", kProgram, "/ve", "/f"});
    EXPECT_FALSE(registry.value(program, "Icon"));
    EXPECT_FALSE(registry.value(program, ""));

    expectOk({"reg", "delete", kProgram, "/va", "/f"});
    EXPECT_TRUE(registry.values(program).empty());
    expectOk({"reg", "delete", kAuthor, "/f"});
    EXPECT_FALSE(registry.keyExists(program));
}

TEST(RegCli, BadInputGetsAOneLineErrorAndChangesNothing) {
    TempEnvironment environment;
    registerProgram();
    const auto bad = environment.root() / "bad.reg";
    test::writeFile(bad,
                    "Windows Registry Editor Version 5.00\n\n"
                    "[-HKEY_CURRENT_USER\\Software\\Renvane]\n"
                    "[HKEY_CURRENT_USER\\Software\\New]\n"
                    "\"Build\"=dword:zz\n");
    const std::string before = runCli({"reg", "query", "HKCU", "/s"}).out;

    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"reg"}, "an operation is missing"},
        {{"reg", "copy", kAuthor}, "unknown operation \"copy\""},
        {{"reg", "add", kAuthor, "/x"}, "unknown switch /x"},
        {{"reg", "add", kAuthor, "/v"}, "/v needs a value"},
        {{"reg", "add", kAuthor, "/d", "1"}, "/t and /d need /v NAME or /ve"},
        {{"reg", "add", kAuthor, "/v", "a", "/ve"}, "give either /v or /ve"},
        {{"reg", "query"}, "expected 1 argument after query"},
        {{"reg", "add", "HKLM\\Software\\x", "/f"}, "only HKEY_CURRENT_USER (HKCU)"},
        {{"reg", "add", "Software\\x", "/f"}, "a key must start with HKCU\\"},
        {{"reg", "add", kAuthor, "/v", "a", "/t", "REG_EXPAND_SZ"},
         "unsupported type REG_EXPAND_SZ"},
        {{"reg", "add", kAuthor, "/v", "a", "/t", "REG_DWORD", "/d", "12x"},
         "REG_DWORD data must be"},
        {{"reg", "add", kAuthor, "/v", "a", "/t", "REG_DWORD", "/d", "-1"},
         "REG_DWORD data must be"},
        {{"reg", "add", kAuthor, "/v", "a", "/t", "REG_DWORD", "/d", "4294967296"},
         "REG_DWORD data must be"},
        {{"reg", "add", kAuthor, "/v", "a", "/t", "REG_BINARY", "/d", "0g"},
         "REG_BINARY data must be"},
        {{"reg", "add", kAuthor, "/v", "a", "/t", "REG_BINARY", "/d", "123"},
         "REG_BINARY data must be"},
        {{"reg", "query", "HKCU\\Software\\Missing"},
         "key \"HKEY_CURRENT_USER\\Software\\Missing\" does not exist"},
        {{"reg", "query", kAuthor, "/v", "Missing"}, "value Missing does not exist"},
        {{"reg", "delete", "HKCU\\Software\\Missing", "/f"}, "does not exist"},
        {{"reg", "delete", kAuthor, "/v", "Missing", "/f"}, "value Missing does not exist"},
        {{"reg", "delete", "HKCU", "/f"}, "the root key cannot be deleted"},
        {{"reg", "import", (environment.root() / "none.reg").string()}, "cannot read"},
        {{"reg", "import", bad.string()}, "line 5: dword: needs 1 to 8 hexadecimal digits"},
        {{"reg", "export", "HKCU\\Software\\Missing", (environment.root() / "x.reg").string()},
         "does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        auto result = runCli(c.arguments);
        EXPECT_NE(result.status, 0);
        std::string first = result.err.substr(0, result.err.find('\n'));
        EXPECT_EQ(first.find("kestrin-cli reg: "), 0u) << result.err;
        EXPECT_NE(first.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_EQ(runCli({"reg", "query", "HKCU", "/s"}).out, before);
    EXPECT_FALSE(std::filesystem::exists(environment.root() / "x.reg"));
}

}  // namespace
}  // namespace kestrin
