#include "net/ResponseHeader.h"

#include <strings.h>
#include <cctype>

namespace kestrin {

namespace {
std::string withoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

// The value after "name:" when the line starts with that name (ASCII case ignored), without
// the blanks that follow the colon; false when the line has another name.
bool valueAfter(const std::string& line, const char* name, std::string& value) {
    const std::size_t length = std::char_traits<char>::length(name);
    if (line.size() < length || strncasecmp(line.data(), name, length) != 0) return false;
    const auto start = line.find_first_not_of(" \t", length);
    value = start == std::string::npos ? std::string() : line.substr(start);
    return true;
}

int statusNumber(const std::string& statusLine) {
    const auto space = statusLine.find(' ');
    if (space == std::string::npos) return 0;
    const auto start = statusLine.find_first_not_of(' ', space);
    if (start == std::string::npos) return 0;
    const auto end = statusLine.find(' ', start);
    const std::string word = statusLine.substr(start, end - start);
    if (word.empty() || word.size() > 4) return 0;
    for (unsigned char c : word)
        if (!std::isdigit(c)) return 0;
    return std::stoi(word);
}

std::int64_t firstDigits(const std::string& text) {
    const auto start = text.find_first_of("0123456789");
    if (start == std::string::npos) return 0;
    std::int64_t number = 0;
    for (auto i = start; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
         ++i) {
        if (number > (INT64_MAX - 9) / 10) return 0;  // absurd lengths count as none
        number = number * 10 + (text[i] - '0');
    }
    return number;
}
}  // namespace

void ResponseHeader::takeLine(const std::string& rawLine) {
    const std::string line = withoutLineEnd(rawLine);
    if (!hasStatusLine_) {
        hasStatusLine_ = true;
        replyNumber_ = statusNumber(line);
        return;
    }
    std::string value;
    if (valueAfter(line, "SET-COOKIE:", value)) {
        cookie_ = value;
        hasCookie_ = true;
    } else if (valueAfter(line, "LOCATION:", value)) {
        location_ = value;
    } else if (valueAfter(line, "CONTENT-LENGTH:", value)) {
        contentLength_ = firstDigits(value);
    }
}

}  // namespace kestrin
