// The build tree installed into a temporary prefix, as "cmake --install" and the Debian package
// lay it out, checked with the desktop's own validators.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "platform/Paths.h"
#include "platform/Shell.h"
#include "support/CliRunner.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::runProgram;

const std::string kAppId = KESTRIN_APP_ID;

class InstalledTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = new test::TempFolder;
        const CliResult install = runProgram(
            KESTRIN_CMAKE, {"--install", KESTRIN_BUILD_DIR, "--prefix", prefix_->path().string()});
        ASSERT_EQ(install.status, 0) << install.out << install.err;
    }
    static void TearDownTestSuite() {
        delete prefix_;
        prefix_ = nullptr;
    }
    static fs::path at(const std::string& relative) { return prefix_->path() / relative; }

    // The subcommands kestrin-cli lists in its help.
    static std::vector<std::string> commands() {
        std::istringstream help(runProgram(at("bin/kestrin-cli").string(), {"--help"}).out);
        std::vector<std::string> names;
        for (std::string line; std::getline(help, line);) {
            std::istringstream words(line);
            std::string program, name;
            if (words >> program >> name && program == "kestrin-cli") names.push_back(name);
        }
        return names;
    }

    // Runs a tool of the desktop when it is installed; nullopt when it is not.
    static std::optional<CliResult> tool(const std::string& name,
                                         const std::vector<std::string>& arguments) {
        const std::string file = findInPath(name);
        if (file.empty()) return std::nullopt;
        return runProgram(file, arguments);
    }

    static test::TempFolder* prefix_;
};

test::TempFolder* InstalledTree::prefix_ = nullptr;

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

TEST_F(InstalledTree, HoldsEveryFileInItsPlace) {
    std::vector<std::string> files{
        "bin/kestrin-cli",
        "share/kestrin/kestrin.wav",
        "share/man/man1/kestrin-cli.1.gz",
        "share/man/man1/kestrin.1.gz",
        "share/bash-completion/completions/kestrin-cli",
        "share/doc/kestrin/copyright",
        "share/doc/kestrin/changelog.gz",
    };
    if (KESTRIN_GUI_BUILT) {
        for (const std::string& file :
             std::vector<std::string>{"bin/kestrin", "share/applications/" + kAppId + ".desktop",
                                      "share/metainfo/" + kAppId + ".metainfo.xml",
                                      "share/icons/hicolor/scalable/apps/" + kAppId + ".svg"})
            files.push_back(file);
    }
    for (const std::string& file : files)
        EXPECT_TRUE(fs::is_regular_file(at(file))) << file;
    EXPECT_EQ(runProgram(at("bin/kestrin-cli").string(), {"--help"}).status, 0);

    // The installed programs find the data folder from where they are.
    EXPECT_EQ(dataFolders(at("bin")).at(1), at("share/kestrin"));
}

TEST_F(InstalledTree, IconsAreThePngsOfEachSize) {
    if (!KESTRIN_GUI_BUILT) GTEST_SKIP() << "built without the desktop program";
    for (const int size : {16, 32, 48, 64}) {
        const std::string side = std::to_string(size);
        const std::string png = test::readFile(
            at("share/icons/hicolor/" + side + "x" + side + "/apps/" + kAppId + ".png"));
        ASSERT_GT(png.size(), 24u) << size;
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << size;
        EXPECT_EQ(png.substr(12, 4), "IHDR") << size;
        EXPECT_EQ(bigEndian(png, 16), std::uint32_t(size));
        EXPECT_EQ(bigEndian(png, 20), std::uint32_t(size));
    }
}

TEST_F(InstalledTree, DesktopEntryIsValidAndOffersTheChecks) {
    if (!KESTRIN_GUI_BUILT) GTEST_SKIP() << "built without the desktop program";
    const fs::path entry = at("share/applications/" + kAppId + ".desktop");
    const std::string text = test::readFile(entry);
    for (const std::string& line : std::vector<std::string>{
             "\nExec=kestrin\n", "\nIcon=" + kAppId + "\n", "\nActions=check;checkall;\n",
             "\n[Desktop Action check]\nName=Check now\nName[ja]=今すぐチェック\nExec=kestrin "
             "/check\n",
             "\n[Desktop Action checkall]\nName=Check all\nName[ja]=全てチェック\n"
             "Exec=kestrin /checkall\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    const auto validate = tool("desktop-file-validate", {entry.string()});
    if (!validate) GTEST_SKIP() << "desktop-file-validate is not installed";
    EXPECT_EQ(validate->status, 0);
    EXPECT_EQ(validate->out + validate->err, "");  // not even a hint
}

TEST_F(InstalledTree, AppStreamMetadataIsValid) {
    if (!KESTRIN_GUI_BUILT) GTEST_SKIP() << "built without the desktop program";
    const auto validate =
        tool("appstreamcli",
             {"validate", "--no-net", at("share/metainfo/" + kAppId + ".metainfo.xml").string()});
    if (!validate) GTEST_SKIP() << "appstreamcli is not installed";
    EXPECT_EQ(validate->status, 0) << validate->out << validate->err;
    EXPECT_NE(validate->out.find("Validation was successful"), std::string::npos) << validate->out;
    EXPECT_EQ(validate->out.find("W:"), std::string::npos) << validate->out;
}

TEST_F(InstalledTree, ManualPagesFormatCleanlyAndNameEveryCommand) {
    for (const std::string page : {"kestrin-cli.1.gz", "kestrin.1.gz"}) {
        const fs::path file = at("share/man/man1/" + page);
        const auto groff =
            tool("sh", {"-c", "gzip -dc \"$1\" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z", "sh",
                        file.string()});
        ASSERT_TRUE(groff.has_value());
        EXPECT_EQ(groff->status, 0) << page;
        EXPECT_EQ(groff->out + groff->err, "") << page;
    }
    const std::string page =
        runProgram(findInPath("gzip"), {"-dc", at("share/man/man1/kestrin-cli.1.gz").string()}).out;
    for (const std::string& command : commands()) {
        EXPECT_TRUE(page.find("\n.B " + command) != std::string::npos ||
                    page.find("\n.BR " + command) != std::string::npos)
            << command;
    }
    for (const char* section : {"\n.SH EXIT STATUS\n", "\n.SH FILES\n", "\n.SH ENVIRONMENT\n"})
        EXPECT_NE(page.find(section), std::string::npos) << section;
}

TEST_F(InstalledTree, BashCompletionOffersEveryCommandAndTheAuthorKeys) {
    test::TempEnvironment environment;
    const std::string cli = at("bin/kestrin-cli").string();
    ASSERT_EQ(runProgram(cli, {"reg", "add", "HKCU\\Software\\Renvane\\My Works", "/v", "Author",
                               "/d", "Me", "/f"})
                  .status,
              0);
    const auto complete = [&](const std::string& words) {
        const auto result =
            tool("bash", {"-c",
                          "PATH=\"$2/bin:$PATH\"; source \"$1\"; COMP_WORDS=(" + words +
                              "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _kestrin_cli; "
                              "printf '%s\\n' \"${COMPREPLY[@]}\"",
                          "bash", at("share/bash-completion/completions/kestrin-cli").string(),
                          prefix_->path().string()});
        std::set<std::string> offered;
        std::istringstream lines(result ? result->out : "");
        for (std::string line; std::getline(lines, line);)
            if (!line.empty()) offered.insert(line);
        return offered;
    };
    std::set<std::string> expected{"--help"};
    for (const std::string& command : commands())
        expected.insert(command);
    EXPECT_EQ(complete("kestrin-cli ''"), expected);
    EXPECT_EQ(complete("kestrin-cli check /checkauto ''"), std::set<std::string>{"My Works"});
    EXPECT_EQ(complete("kestrin-cli schedule ''"),
              (std::set<std::string>{"daily", "hourly", "off", "--options"}));
}

}  // namespace
}  // namespace kestrin
