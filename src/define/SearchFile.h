#pragma once
// Listing folders and files of the define tree. Folders are listed depth first, parents before
// children; entries of one folder come sorted by name (bytes of their UTF-8 names), because the
// file system's own order is arbitrary on Linux. Folder paths carry a trailing "/".

#include <string>
#include <vector>

namespace kestrin {

class TVSearchFile {
  public:
    using List = std::vector<std::string>;

    // Not recursive: appends `path` (with a trailing "/"). Recursive: appends `path` first when
    // `list` is empty, then every folder below it. A link to a folder is not descended into.
    void ListFolders(const std::string& path, bool recursive, List& list);
    // Appends the full path of every non-folder entry of `folder` that matches one of the masks
    // of `masks` (see SplitMasks), mask by mask. Matching ignores ASCII case and "*.*" matches
    // every name, as Windows masks do. A missing folder lists nothing.
    void ListFiles(const std::string& folder, const std::string& masks, List& list);
    // Splits a mask string at spaces; a mask in double quotes may hold spaces. False for an
    // empty string.
    bool SplitMasks(const std::string& masks, List& list);
};

// `path` with exactly one trailing "/".
std::string withTrailingSlash(std::string path);

}  // namespace kestrin
