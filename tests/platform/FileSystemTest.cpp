#include "platform/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempEnvironment.h"

namespace fs = std::filesystem;

namespace kestrin {
namespace {

using test::readFile;
using test::TempFolder;
using test::writeFile;

TEST(FileSystem, AtomicWriteReplacesTheFileAndLeavesNothingBeside) {
    TempFolder folder;
    const auto file = folder / "data.inf";
    writeFileAtomically(file, "first");
    EXPECT_EQ(readFileIfExists(file), "first");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    writeFileAtomically(file, std::string("second\0with a zero", 18));
    EXPECT_EQ(readFile(file), std::string("second\0with a zero", 18));
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(readFileIfExists(folder / "missing"), std::nullopt);
    EXPECT_THROW(readFileIfExists(folder.path()), fs::filesystem_error);  // a folder
}

TEST(FileSystem, AtomicWriteGoesThroughASymbolicLink) {
    TempFolder folder;
    fs::create_directory(folder / "real");
    writeFile(folder / "real" / "target.url", "old");
    fs::create_symlink(folder / "real" / "target.url", folder / "link.url");
    writeFileAtomically(folder / "link.url", "new");
    EXPECT_TRUE(fs::is_symlink(folder / "link.url"));
    EXPECT_EQ(readFile(folder / "real" / "target.url"), "new");
}

TEST(FileSystem, AtomicWriteNeedsTheFolder) {
    TempFolder folder;
    EXPECT_THROW(writeFileAtomically(folder / "none" / "a.txt", "x"), fs::filesystem_error);
    EXPECT_FALSE(fs::exists(folder / "none"));
}

using Move = void (*)(const fs::path&, const fs::path&);

class MoveNoReplace : public testing::TestWithParam<Move> {};

TEST_P(MoveNoReplace, MovesFilesAndFoldersButNeverReplacesATarget) {
    const Move move = GetParam();
    TempFolder folder;
    writeFile(folder / "a.url", "A");
    writeFile(folder / "b.url", "B");
    fs::create_directories(folder / "F" / "inner");
    writeFile(folder / "F" / "inner" / "x.url", "X");
    fs::create_directory(folder / "G");

    move(folder / "a.url", folder / "c.url");
    EXPECT_EQ(readFile(folder / "c.url"), "A");
    EXPECT_FALSE(fs::exists(folder / "a.url"));
    move(folder / "F", folder / "G" / "F");
    EXPECT_EQ(readFile(folder / "G" / "F" / "inner" / "x.url"), "X");
    EXPECT_FALSE(fs::exists(folder / "F"));

    struct Refused {
        fs::path from, to;
    };
    fs::create_directory(folder / "Empty");
    const Refused refused[] = {
        {folder / "c.url", folder / "b.url"},      // onto a file
        {folder / "G", folder / "Empty"},          // a folder onto an empty folder
        {folder / "c.url", folder / "Empty"},      // a file onto a folder
        {folder / "G", folder / "G" / "F" / "G"},  // a folder into itself
        {folder / "missing", folder / "d.url"},
    };
    for (const Refused& r : refused) {
        EXPECT_THROW(move(r.from, r.to), fs::filesystem_error) << r.from << " -> " << r.to;
    }
    EXPECT_EQ(readFile(folder / "c.url"), "A");
    EXPECT_EQ(readFile(folder / "b.url"), "B");
    EXPECT_TRUE(fs::is_directory(folder / "Empty"));
    EXPECT_EQ(readFile(folder / "G" / "F" / "inner" / "x.url"), "X");
    EXPECT_FALSE(fs::exists(folder / "d.url"));
}

TEST(FileSystem, MoveOntoAnExistingTargetSaysSo) {
    TempFolder folder;
    writeFile(folder / "a", "A");
    writeFile(folder / "b", "B");
    try {
        moveNoReplace(folder / "a", folder / "b");
        ADD_FAILURE() << "the move replaced its target";
    } catch (const fs::filesystem_error& error) {
        EXPECT_EQ(error.code(), std::errc::file_exists);
        EXPECT_EQ(error.path1(), folder / "a");
        EXPECT_EQ(error.path2(), folder / "b");
    }
}

INSTANTIATE_TEST_SUITE_P(FileSystem, MoveNoReplace,
                         testing::Values(&moveNoReplace, &detail::moveNoReplaceFallback));

TEST(FileSystem, ReadOnlyIsTheAbsenceOfWritePermission) {
    TempFolder folder;
    writeFile(folder / "f", "x");
    fs::permissions(folder / "f", fs::perms::owner_read | fs::perms::owner_write |
                                      fs::perms::group_write | fs::perms::others_read);
    EXPECT_FALSE(isReadOnly(folder / "f"));
    setReadOnly(folder / "f", true);
    EXPECT_TRUE(isReadOnly(folder / "f"));
    EXPECT_EQ(fs::status(folder / "f").permissions(),
              fs::perms::owner_read | fs::perms::others_read);
    setReadOnly(folder / "f", false);
    EXPECT_FALSE(isReadOnly(folder / "f"));
    EXPECT_EQ(fs::status(folder / "f").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    EXPECT_THROW(isReadOnly(folder / "missing"), fs::filesystem_error);
}

TEST(FileSystem, DeletesATreeWithReadOnlyFilesAndFoldersButNotWhatLinksPointTo) {
    TempFolder folder;
    const auto tree = folder / "Kestrin 2001";
    fs::create_directories(tree / "A" / "B");
    writeFile(tree / "top.url", "1");
    writeFile(tree / "A" / "B" / "deep.url", "2");
    writeFile(folder / "outside.txt", "keep");
    fs::create_directory(folder / "outside");
    writeFile(folder / "outside" / "kept.url", "keep");
    fs::create_symlink(folder / "outside.txt", tree / "A" / "file-link");
    fs::create_directory_symlink(folder / "outside", tree / "A" / "B" / "folder-link");
    setReadOnly(tree / "top.url", true);
    setReadOnly(tree / "A" / "B" / "deep.url", true);
    setReadOnly(tree / "A" / "B", true);
    setReadOnly(tree / "A", true);

    deleteTree(tree);
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_EQ(readFile(folder / "outside.txt"), "keep");
    EXPECT_EQ(readFile(folder / "outside" / "kept.url"), "keep");
    EXPECT_THROW(deleteTree(tree), fs::filesystem_error);
}

TEST(FileSystem, DeletesAReadOnlyFile) {
    TempFolder folder;
    writeFile(folder / "r.url", "x");
    setReadOnly(folder / "r.url", true);
    deleteFile(folder / "r.url");
    EXPECT_FALSE(fs::exists(folder / "r.url"));
    EXPECT_THROW(deleteFile(folder / "r.url"), fs::filesystem_error);
}

}  // namespace
}  // namespace kestrin
