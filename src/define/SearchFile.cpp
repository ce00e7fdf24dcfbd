#include "define/SearchFile.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>

#include "define/HTMLParser.h"

namespace fs = std::filesystem;

namespace kestrin {

namespace {

// The names of the entries of `folder`, sorted; `wantFolders` picks folders or the rest.
// A link counts as a file, so that nothing follows it out of the tree.
std::vector<std::string> entryNames(const std::string& folder, bool wantFolders) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        bool isFolder = it->symlink_status(error).type() == fs::file_type::directory;
        if (isFolder == wantFolders) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void listFoldersBelow(const std::string& folder, TVSearchFile::List& list) {
    for (const auto& name : entryNames(folder, true)) {
        std::string path = folder + name + "/";
        list.push_back(path);
        listFoldersBelow(path, list);
    }
}

bool matchesMask(const std::string& name, const std::string& mask) {
    if (mask == "*.*") return true;
    return fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

std::string trimmed(const std::string& text) {
    return std::string(trimControls(text));
}

}  // namespace

std::string withTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path != "/") path += '/';
    return path;
}

void TVSearchFile::ListFolders(const std::string& path, bool recursive, List& list) {
    std::string folder = withTrailingSlash(path);
    if (!recursive || list.empty()) list.push_back(folder);
    if (recursive) listFoldersBelow(folder, list);
}

void TVSearchFile::ListFiles(const std::string& folder, const std::string& masks, List& list) {
    List maskList;
    if (!SplitMasks(masks, maskList)) return;
    std::string base = withTrailingSlash(folder);
    if (base.find("/./") != std::string::npos) return;
    auto names = entryNames(base, false);
    for (const auto& mask : maskList) {
        for (const auto& name : names) {
            if (matchesMask(name, mask)) list.push_back(base + name);
        }
    }
}

bool TVSearchFile::SplitMasks(const std::string& masks, List& list) {
    if (masks.empty()) return false;
    std::string rest = masks;
    while (rest.find_first_of(" \"") != std::string::npos) {
        auto space = rest.find(' ');
        auto quote = rest.find('"');
        if (quote != std::string::npos && (space == std::string::npos || quote < space)) {
            rest.erase(0, quote + 1);
            // Without a closing quote the mask is empty and the rest stays.
            auto closing = rest.find('"');
            if (closing == std::string::npos) {
                list.push_back("");
            } else {
                list.push_back(rest.substr(0, closing));
                rest.erase(0, closing + 1);
            }
        } else {
            list.push_back(trimmed(rest.substr(0, space)));
            rest.erase(0, space + 1);
        }
        rest = trimmed(rest);
    }
    if (!rest.empty()) list.push_back(rest);
    return true;
}

}  // namespace kestrin
