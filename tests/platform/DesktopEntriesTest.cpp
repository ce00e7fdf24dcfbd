#include "platform/DesktopEntries.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Paths.h"
#include "support/IconFixtures.h"
#include "support/TempEnvironment.h"

namespace fs = std::filesystem;

namespace kestrin {
namespace {

using test::TempFolder;
using test::writeFile;

void writeProgram(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    writeFile(file, bytes);
    fs::permissions(file, fs::perms::owner_all);
}

void writeEntry(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    writeFile(file, text);
}

TEST(DesktopEntries, ElfFilesAndScriptsCarryNoIconOfTheirOwn) {
    TempFolder folder;
    struct Case {
        const char* name;
        std::string bytes;
        bool executable;
        bool plain;
    };
    const Case cases[] = {
        {"elf", test::elfBytes(), true, true},
        {"script", "#!/bin/sh\necho\n", true, true},
        {"not executable", "#!/bin/sh\n", false, false},
        {"windows program", "MZ\x90", true, false},
        {"text", "hello", true, false},
    };
    for (const Case& c : cases) {
        writeFile(folder / c.name, c.bytes);
        fs::permissions(folder / c.name,
                        c.executable ? fs::perms::owner_all : fs::perms::owner_read);
        EXPECT_EQ(isPlainExecutable(folder / c.name), c.plain) << c.name;
    }
    EXPECT_FALSE(isPlainExecutable(folder / "missing"));
    EXPECT_FALSE(isPlainExecutable(folder.path()));
}

TEST(DesktopEntries, ExecNamesItsProgramInTheFirstWord) {
    const std::pair<const char*, const char*> cases[] = {
        {"tool %U", "tool"},
        {"  /usr/bin/tool --new-window %f", "/usr/bin/tool"},
        {"\"/opt/My Tool/run\" %F", "/opt/My Tool/run"},
        {"\"/opt/a\\\"b\\\\c\" x", "/opt/a\"b\\c"},
        {"\"/opt/unclosed", "/opt/unclosed"},
        {"tool\targ", "tool"},
        {"", ""},
    };
    for (const auto& [exec, program] : cases)
        EXPECT_EQ(execProgram(exec), program) << exec;
}

TEST(DesktopEntries, FindsTheIconOfTheEntryThatRunsTheProgram) {
    TempFolder root;
    const fs::path bin = root / "bin";
    const fs::path program = root / "opt/My Tool/tool";
    writeProgram(program, test::elfBytes());
    writeProgram(root / "opt/other", test::elfBytes());
    fs::create_directories(bin);
    fs::create_symlink(program, bin / "mytool");
    test::ScopedVariable path("PATH", bin.string());

    const fs::path first = root / "first";
    const fs::path second = root / "second";
    const std::string opt = (root / "opt").string();
    struct Case {
        const char* name;
        fs::path file;
        std::string text;
        std::optional<std::string> icon;  // what the lookup gives with this entry alone
    };
    const Case cases[] = {
        {"a path in quotes", first / "applications/tool.desktop",
         "[Desktop Entry]\nName=Tool\nExec=\"" + opt + "/My Tool/tool\" %f\nIcon=tool-icon\n",
         "tool-icon"},
        {"a name found in PATH, through a link", first / "applications/sub/kde-tool.desktop",
         "[Desktop Entry]\r\nExec = mytool --new\r\nIcon = /icons/tool.png\r\n", "/icons/tool.png"},
        {"TryExec names it", second / "applications/wrapper.desktop",
         "[Desktop Entry]\nExec=sh -c mytool\nTryExec=mytool\nIcon=wrapped\n", "wrapped"},
        {"escapes undone", first / "applications/escaped.desktop",
         "[Desktop Entry]\nExec=" + opt + "/My\\sTool/tool\nTryExec=" + opt +
             "/My\\sTool/tool\nIcon=sp\\\\aced\n",
         "sp\\aced"},
        {"another program", first / "applications/other.desktop",
         "[Desktop Entry]\nExec=" + opt + "/other\nIcon=other\n", std::nullopt},
        {"hidden", first / "applications/hidden.desktop",
         "[Desktop Entry]\nExec=mytool\nIcon=hidden\nHidden=true\n", std::nullopt},
        {"no icon", first / "applications/bare.desktop", "[Desktop Entry]\nExec=mytool\n",
         std::nullopt},
        {"in another group", first / "applications/action.desktop",
         "[Desktop Entry]\nExec=other\nIcon=main\n[Desktop Action new]\nExec=mytool\n",
         std::nullopt},
        {"not an applications folder", first / "icons/tool.desktop",
         "[Desktop Entry]\nExec=mytool\nIcon=elsewhere\n", std::nullopt},
        {"not a .desktop file", first / "applications/tool.txt",
         "[Desktop Entry]\nExec=mytool\nIcon=text\n", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(first);
        fs::remove_all(second);
        writeEntry(c.file, c.text);
        EXPECT_EQ(desktopIconOf(program, {first, second}), c.icon);
    }

    // Folders in order, and files by name within a folder.
    for (const Case& c : cases)
        writeEntry(c.file, c.text);
    EXPECT_EQ(desktopIconOf(program, {first, second}), "sp\\aced");  // escaped.desktop
    EXPECT_EQ(desktopIconOf(program, {second, first}), "wrapped");
    EXPECT_EQ(desktopIconOf(root / "opt/missing", {first, second}), std::nullopt);
}

TEST(DesktopEntries, DataFoldersFollowTheXdgVariables) {
    test::TempEnvironment environment;
    test::ScopedVariable home("HOME", "/home/someone");
    const fs::path dataHome = environment.root() / "data";
    {
        test::ScopedVariable dirs("XDG_DATA_DIRS", "/one:relative::/two/");
        EXPECT_EQ(dataFolders(), (std::vector<fs::path>{dataHome, "/one", "/two/"}));
    }
    test::ScopedVariable dirs("XDG_DATA_DIRS", "");
    test::ScopedVariable data("XDG_DATA_HOME", "");
    EXPECT_EQ(dataFolders(), (std::vector<fs::path>{"/home/someone/.local/share",
                                                    "/usr/local/share", "/usr/share"}));
}

}  // namespace
}  // namespace kestrin
