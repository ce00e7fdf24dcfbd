#include "define/ArchiveExtensions.h"

#include <algorithm>

#include "text/Ascii.h"

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

namespace {
bool sortsBefore(const std::string& a, const std::string& b) {
    return asciiLowered(a) < asciiLowered(b);
}
}  // namespace

void sortExtensions(std::vector<std::string>& entries) {
    std::stable_sort(entries.begin(), entries.end(), sortsBefore);
}

bool addExtension(std::vector<std::string>& entries, std::string_view typed) {
    const auto first = typed.find_first_not_of(" \t");
    if (first == std::string_view::npos) return false;
    const std::string entry =
        asciiLowered(typed.substr(first, typed.find_last_not_of(" \t") + 1 - first));
    if (entry.find('.') == std::string::npos) return false;
    for (const std::string& listed : entries) {
        if (equalIgnoringCase(listed, entry)) return false;
    }
    entries.insert(std::upper_bound(entries.begin(), entries.end(), entry, sortsBefore), entry);
    return true;
}

}  // namespace kestrin
