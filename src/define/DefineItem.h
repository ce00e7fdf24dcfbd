#pragma once
// A define item: one watched page, kept in an Internet shortcut file (".url") of the define
// tree. Besides the shortcut's own "URL" key the file carries the section "QZ7P" with the
// item's check settings and the state of its last check. Files are CP932 profile files on
// disk; every text here is UTF-8.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrin {

// The Error text of an item whose last check had no error.
inline constexpr const char* kNoError = "(エラー無し)";
// The eleven characters an item or folder name of the tree may not hold, in the order the
// messages list them.
inline constexpr const char* kForbiddenNameCharacters = "\\/:,;*?\"<>|";

// Check methods (the item's Option).
enum DefineMethod : std::int32_t {
    kMethodArchiveSearch = 0,  // a new archive whose name holds ForeString shows up on the page
    kMethodArchiveDate = 1,    // the Last-Modified of one archive file changes
    kMethodPageCheck = 2,      // the page's Last-Modified, size or tag-stripped checksum changes
};

// The value record of one item, copied whole between tree, engine and wizard.
struct TVDefineItem {
    bool Checked = false;
    bool Updated = false;
    std::string TermName;  // the file name without folder and ".url"
    std::string PageURL;
    std::string ItemPath;  // full path of the file; never written into it
    std::string Error;
    std::string Update;
    std::string FileName;  // method 1: the archive as linked on the page
    std::string FileTime;  // method 1: its last Last-Modified, as sent
    std::string ForeString;
    std::int32_t Option = kMethodArchiveSearch;
    std::string PageTime;  // method 2: the page's last Last-Modified, as sent
    std::int32_t PageSize = 0;
    std::string PageCRC;  // method 2: 8 hex digits; empty means no checksum comparison
    std::vector<std::string> ForeFile;

    bool operator==(const TVDefineItem&) const = default;
};

// Reads, writes, names and converts item files. Holds no item state.
class TVKestrinDefineItem {
  public:
    using ConvertProgress =
        std::function<void(TVKestrinDefineItem& sender, std::int32_t index, std::int32_t maxIndex)>;

    // Called once per section of an old define file (index, number of sections - 1).
    ConvertProgress OnConvertProgress;

    // Fills `item` from `fileName`; a missing file or key gives the defaults.
    void LoadItem(const std::string& fileName, TVDefineItem& item);

    // Writes `item`, renaming its file when TermName changed and moving it into `newFolder`
    // when that is not empty; other sections and keys of the file stay. Never replaces another
    // file: a rename or move onto an existing name, and an empty name, are refused with an
    // error before anything on disk changes.
    void SaveItem(TVDefineItem& item, const std::string& newFolder = "");

    // `name` without the characters a file name of the tree may not hold, and trimmed.
    std::string ValidTermName(const std::string& name);

    // Converts the previous version's define file (one profile section per item) into item
    // files in `destFolder`. The old file is rewritten in place first (joined lines, the old
    // spelling of the no-error text). Sections whose names collide get " (2)", " (3)" ...
    // appended; an item file of the same name in `destFolder` is written again, so converting
    // the same file twice writes the same files.
    void ConvertOldDefineFile(const std::string& oldFile, const std::string& destFolder);
};

}  // namespace kestrin
