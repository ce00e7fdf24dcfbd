#include "define/ArchiveExtensions.h"

#include <algorithm>

namespace kestrin {

std::vector<std::string> splitExtList(std::string_view list, char separator) {
    std::vector<std::string> entries;
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(separator), list.size());
        if (end > 0) entries.emplace_back(list.substr(0, end));
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return entries;
}

std::string joinExtList(const std::vector<std::string>& entries) {
    std::string list;
    for (const std::string& entry : entries)
        list += entry + "/";
    return list;
}

}  // namespace kestrin
