#include "define/DefineItem.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>

#include "define/HTMLParser.h"
#include "define/SearchFile.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFile.h"
#include "text/Ascii.h"
#include "text/Cp932.h"

namespace fs = std::filesystem;

namespace kestrin {

namespace {

constexpr const char* kShortcutSection = "InternetShortcut";
constexpr const char* kItemSection = "QZ7P";
constexpr const char* kOldExtensionSection = "Extentions";
constexpr const char* kNameTakenText =
    "指定された定義名と同じ名前の条件が，既に同じフォルダにあります\r\n"
    "異なる定義名に変更してください";
constexpr const char* kEmptyNameText = "定義名が空のため保存できません";

std::string foreFileKey(std::size_t index) {
    return "ForeFile" + std::to_string(index);
}

// "folder/name.ext" gives "folder/"; a path without a folder gives "".
std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The file name without folder and without its last extension (".url" gives "").
std::string baseNameOf(const std::string& path) {
    std::string name = path.substr(folderOf(path).size());
    auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool pathExists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// "ForeFile0", "ForeFile1" ... up to the first index whose key is missing.
std::vector<std::string> readForeFiles(const TProfileFile& file, std::string_view section) {
    std::vector<std::string> names;
    while (file.hasKey(section, foreFileKey(names.size())))
        names.push_back(file.readString(section, foreFileKey(names.size()), ""));
    return names;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Moves the item's file to its new path, never onto an existing file.
void moveItemFile(const std::string& from, const std::string& to, bool intoNewFolder) {
    if (!pathExists(from)) return;
    try {
        moveNoReplace(from, to);
    } catch (const fs::filesystem_error& error) {
        if (error.code() == std::errc::file_exists) throw std::runtime_error(kNameTakenText);
        // Any other failure is ignored: the item is written under its new path all the same.
        // An item leaving its folder does not stay behind in it.
        if (intoNewFolder) {
            try {
                deleteFile(from);
            } catch (const fs::filesystem_error&) {
            }
        }
    }
}

void writeItem(const TVDefineItem& item) {
    TProfileFile file(item.ItemPath);
    file.writeString(kShortcutSection, "URL", item.PageURL);
    file.writeString(kItemSection, "Checked", item.Checked ? "1" : "0");
    file.writeString(kItemSection, "Updated", item.Updated ? "1" : "0");
    file.writeString(kItemSection, "Error", item.Error);
    file.writeString(kItemSection, "Update", item.Update);
    file.writeString(kItemSection, "FileName", item.FileName);
    file.writeString(kItemSection, "FileTime", item.FileTime);
    file.writeString(kItemSection, "ForeString", item.ForeString);
    file.writeString(kItemSection, "Option", std::to_string(item.Option));
    file.writeString(kItemSection, "PageTime", item.PageTime);
    file.writeString(kItemSection, "PageSize", std::to_string(item.PageSize));
    file.writeString(kItemSection, "PageCRC", item.PageCRC);
    for (std::size_t i = 0; i < item.ForeFile.size(); ++i)
        file.writeString(kItemSection, foreFileKey(i), item.ForeFile[i]);
    // Stale names go up to the first missing index; a key after a gap stays.
    for (auto i = item.ForeFile.size(); file.hasKey(kItemSection, foreFileKey(i)); ++i)
        file.deleteKey(kItemSection, foreFileKey(i));
    file.save();
}

}  // namespace

void TVKestrinDefineItem::LoadItem(const std::string& fileName, TVDefineItem& item) {
    TProfileFile file(fileName);
    item = TVDefineItem{};
    item.TermName = baseNameOf(fileName);
    item.ItemPath = fileName;
    item.PageURL = file.readString(kShortcutSection, "URL", "");
    item.Checked = file.readBool(kItemSection, "Checked", true);
    item.Updated = file.readBool(kItemSection, "Updated", false);
    item.Error = file.readString(kItemSection, "Error", kNoError);
    if (item.Error.empty()) item.Error = kNoError;
    item.Update = file.readString(kItemSection, "Update", "");
    item.FileName = file.readString(kItemSection, "FileName", "");
    item.FileTime = file.readString(kItemSection, "FileTime", "");
    item.ForeString = file.readString(kItemSection, "ForeString", "");
    item.Option = file.readInteger(kItemSection, "Option", kMethodArchiveSearch);
    item.PageTime = file.readString(kItemSection, "PageTime", "");
    item.PageSize = file.readInteger(kItemSection, "PageSize", 0);
    item.PageCRC = file.readString(kItemSection, "PageCRC", "");
    item.ForeFile = readForeFiles(file, kItemSection);
}

void TVKestrinDefineItem::SaveItem(TVDefineItem& item, const std::string& newFolder) {
    std::string name = ValidTermName(item.TermName);
    if (name.empty()) throw std::runtime_error(kEmptyNameText);

    std::string oldPath = item.ItemPath;
    std::string newPath = oldPath;
    if (!newFolder.empty()) {
        newPath = withTrailingSlash(newFolder) + name + ".url";
    } else if (name != baseNameOf(oldPath)) {
        newPath = folderOf(oldPath) + name + ".url";
    }
    if (newPath != oldPath && pathExists(newPath)) throw std::runtime_error(kNameTakenText);

    try {
        std::string folder = folderOf(newPath);
        if (!folder.empty()) fs::create_directories(folder);
    } catch (const fs::filesystem_error&) {
        throw std::runtime_error(newPath + " に書き込めません");
    }
    if (newPath != oldPath) moveItemFile(oldPath, newPath, !newFolder.empty());

    item.TermName = name;
    item.ItemPath = newPath;
    try {
        writeItem(item);
    } catch (const std::exception&) {
        throw std::runtime_error(newPath + " に書き込めません");
    }
}

std::string TVKestrinDefineItem::ValidTermName(const std::string& name) {
    // UTF-8 never uses an ASCII byte inside a multi-byte character, so removing these bytes
    // cannot cut a Japanese character.
    const std::string_view forbidden = kForbiddenNameCharacters;
    std::string cleaned;
    for (char c : name) {
        // A zero byte cannot stand in a file name: it would cut the path short, so that every
        // numbered twin of a name seemed taken.
        if (c == '\0') continue;
        if (forbidden.find(c) == std::string::npos) cleaned += c;
    }
    return std::string(trimControls(cleaned));
}

void TVKestrinDefineItem::ConvertOldDefineFile(const std::string& oldFile,
                                               const std::string& destFolder) {
    std::optional<std::string> bytes;
    try {
        bytes = readFileIfExists(oldFile);
    } catch (const fs::filesystem_error&) {
        // A folder or a file without read permission: the same report as a missing file.
    }
    if (!bytes) throw std::runtime_error(oldFile + " を読み込めません");
    std::string text = replaceAll(*bytes, "=\r\n", "");
    text = replaceAll(text, utf8ToCp932("(エラーなし)"), utf8ToCp932(kNoError));
    writeFileAtomically(oldFile, text);

    TProfileFile old(oldFile);
    std::string folder = withTrailingSlash(destFolder);
    auto sections = old.sectionNames();
    std::set<std::string> taken;  // names given to earlier sections of this file
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (OnConvertProgress)
            OnConvertProgress(*this, std::int32_t(i), std::int32_t(sections.size()) - 1);
        const std::string& section = sections[i];
        if (equalIgnoringCase(section, kOldExtensionSection)) continue;

        TVDefineItem item;
        std::string name = ValidTermName(old.readString(section, "TermName", ""));
        if (name.empty()) name = ValidTermName(section);
        if (name.empty()) name = "default";
        // A name an earlier section of this file took gets a number, so that no section
        // replaces another. An item file left by an earlier conversion of the same file is
        // written again under its name: converting twice gives the same files, not twins.
        item.TermName = name;
        for (int n = 2; !taken.insert(item.TermName).second; ++n)
            item.TermName = name + " (" + std::to_string(n) + ")";
        item.ItemPath = folder + item.TermName + ".url";
        item.PageURL = old.readString(section, "PageURL", "");
        item.Checked = old.readBool(section, "Checked", true);
        item.Updated = old.readBool(section, "Updated", false);
        item.Error = old.readString(section, "Error", kNoError);
        item.Update = old.readString(section, "Update", "");
        item.FileName = old.readString(section, "FileName", "");
        item.ForeString = old.readString(section, "ForeString", "");
        item.PageTime = old.readString(section, "PageTime", "");
        item.FileTime = old.readString(section, "FileTime", "");
        item.Option = old.readInteger(section, "Option", kMethodPageCheck);
        item.ForeFile = readForeFiles(old, section);
        SaveItem(item);
    }
}

}  // namespace kestrin
