#include "platform/Shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/Paths.h"
#include "support/TempEnvironment.h"

namespace fs = std::filesystem;

namespace kestrin {
namespace {

using test::readFile;
using test::TempEnvironment;
using test::writeFile;

TEST(Shell, HiddenFoldersAreListedInTheParentsHiddenFile) {
    struct Case {
        const char* before;  // the ".hidden" file; nullptr: none
        bool hide;
        const char* after;  // nullptr: none
    };
    const Case cases[] = {
        {nullptr, true, "Kestrin 2001\n"},
        {"other\r\nfoo\n#x", true, "other\r\nfoo\n#x\nKestrin 2001\n"},
        {"a\nKestrin 2001\n", true, "a\nKestrin 2001\n"},
        {"Kestrin 2001 old\n", true, "Kestrin 2001 old\nKestrin 2001\n"},
        {"a\nKestrin 2001\nb\nKestrin 2001\r\nc", false, "a\nb\nc"},
        {"Kestrin 2001\n", false, nullptr},
        {"a\n", false, "a\n"},
        {nullptr, false, nullptr},
    };
    TempEnvironment environment;
    const fs::path root = favoritesFolder() / "Kestrin 2001";
    ASSERT_EQ(root.parent_path(), environment.favorites());
    fs::create_directories(root);
    const fs::path list = environment.favorites() / ".hidden";
    for (const Case& c : cases) {
        fs::remove(list);
        if (c.before) writeFile(list, c.before);
        setHiddenFolder(root, c.hide);
        EXPECT_EQ(isHiddenFolder(root), c.hide) << (c.before ? c.before : "(none)");
        if (c.after) {
            EXPECT_EQ(readFile(list), c.after) << (c.before ? c.before : "(none)");
        } else {
            EXPECT_FALSE(fs::exists(list)) << (c.before ? c.before : "(none)");
        }
    }
}

TEST(Shell, HiddenFolderPathsAndMissingFolders) {
    TempEnvironment environment;
    const fs::path root = environment.favorites() / "Kestrin 2001";
    fs::create_directories(root / "Sub");
    setHiddenFolder(root.string() + "/", true);  // the tree keeps a trailing separator
    EXPECT_TRUE(isHiddenFolder(root));
    EXPECT_TRUE(isHiddenFolder(root.string() + "/"));
    EXPECT_FALSE(isHiddenFolder(root / "Sub"));  // the parent's list only names its own entries
    EXPECT_FALSE(isHiddenFolder(environment.favorites() / "Missing"));
    EXPECT_THROW(setHiddenFolder(environment.favorites() / "Missing", true), fs::filesystem_error);
    EXPECT_FALSE(fs::exists(environment.favorites() / "Missing"));
}

// Waits for a file the started program writes; it runs on its own, so the test cannot join it.
std::string waitForFile(const fs::path& path) {
    for (int i = 0; i < 500 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(path) ? readFile(path) : "(never written)";
}

TEST(Shell, StartsAProgramWithoutAShellAndWithoutWaiting) {
    test::TempFolder folder;
    const fs::path script = folder / "record";
    writeFile(script,
              "#!/bin/sh\nprintf '[%s]\\n' \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.out\"\n");
    fs::permissions(script, fs::perms::owner_all);
    const std::vector<std::string> arguments = {"http://example.com/?a=1&b=2", "$(touch pwned)",
                                                "two words; echo x", "*"};
    ASSERT_TRUE(startDetached(script.string(), arguments));
    EXPECT_EQ(waitForFile(folder / "record.out"),
              "[http://example.com/?a=1&b=2]\n[$(touch pwned)]\n[two words; echo x]\n[*]\n");
    EXPECT_FALSE(fs::exists(folder / "pwned"));
    EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));

    EXPECT_FALSE(startDetached((folder / "missing").string(), {}));
    EXPECT_FALSE(startDetached("kestrin-no-such-program", {}));
    writeFile(folder / "plain", "not a program");
    EXPECT_FALSE(startDetached((folder / "plain").string(), {}));
}

TEST(Shell, OpenAddressRefusesWhatWouldReadAsAnOption) {
    EXPECT_FALSE(openAddress(""));
    EXPECT_FALSE(openAddress("--help"));
}

}  // namespace
}  // namespace kestrin
