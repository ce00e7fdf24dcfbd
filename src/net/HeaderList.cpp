#include "net/HeaderList.h"

#include <strings.h>
#include <algorithm>

namespace kestrin {

namespace {
bool hasName(const std::string& line, const std::string& name) {
    const auto colon = line.find(':');
    return colon != std::string::npos && colon == name.size() &&
           strncasecmp(line.data(), name.data(), colon) == 0;
}
}  // namespace

void HeaderList::setByName(const std::string& name, const std::string& value) {
    auto found = std::find_if(lines_.begin(), lines_.end(),
                              [&](const std::string& line) { return hasName(line, name); });
    if (value.empty()) {
        if (found != lines_.end()) lines_.erase(found);
        return;
    }
    std::string line = name + ": " + value;
    if (found != lines_.end())
        *found = std::move(line);
    else
        lines_.push_back(std::move(line));
}

std::string HeaderList::text() const {
    std::string bytes;
    for (const auto& line : lines_)
        bytes += line + "\r\n";
    return bytes + "\r\n";
}

}  // namespace kestrin
