#pragma once
// The lines of a request header in the order they are sent: the request line first, then
// "Name: value" lines. Handlers set headers by name, so each header ends up once.

#include <string>
#include <vector>

namespace kestrin {

class HeaderList {
  public:
    void clear() { lines_.clear(); }
    void add(std::string line) { lines_.push_back(std::move(line)); }

    // The line whose name (the text before its first ":") equals `name`, ignoring ASCII case,
    // gets `value` in place; otherwise a new line is appended. An empty value removes the line.
    void setByName(const std::string& name, const std::string& value);

    const std::vector<std::string>& lines() const { return lines_; }

    // The bytes sent: every line ending in CR LF, then an empty line.
    std::string text() const;

  private:
    std::vector<std::string> lines_;
};

}  // namespace kestrin
