#include "platform/ProfileFile.h"

#include <charconv>
#include <stdexcept>
#include <utility>

#include "platform/FileSystem.h"
#include "text/Cp932.h"

namespace fs = std::filesystem;

namespace kestrin {

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
// A read goes through a 2048-byte buffer that also holds the terminating zero.
constexpr std::size_t kValueLimit = 2047;

std::string_view trim(std::string_view text) {
    std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Position of the first `wanted` that stands as a character of its own, never the second byte
// of a double-byte character. `from` must be a character boundary.
std::size_t findCp932(std::string_view text, char wanted, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == wanted) return i;
        if (isCp932LeadByte(static_cast<unsigned char>(text[i]))) ++i;
    }
    return std::string_view::npos;
}

std::string_view withoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The longest run of whole characters that fits the read buffer.
std::string_view cutToBuffer(std::string_view value) {
    if (value.size() <= kValueLimit) return value;
    std::size_t end = 0;
    for (;;) {
        std::size_t next = end + (isCp932LeadByte(static_cast<unsigned char>(value[end])) ? 2 : 1);
        if (next > kValueLimit) return value.substr(0, end);
        end = next;
    }
}

std::string foldName(std::string_view utf8Name) {
    return cp932Lower(utf8ToCp932(trim(utf8Name)));
}

// A value always stays on its own line: line breaks become spaces (CR LF one space).
std::string singleLine(std::string_view value) {
    std::string result;
    result.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
        result += (value[i] == '\r' || value[i] == '\n') ? ' ' : value[i];
    }
    return result;
}

// Names that could not be read back as written (they would split the line, end the header
// early, or read as another kind of line) are refused. UTF-8 keeps ASCII bytes unambiguous.
void requireUsableName(std::string_view name, bool isKey) {
    std::string_view trimmed = trim(name);
    bool usable = name.find_first_of("\r\n") == std::string_view::npos;
    if (isKey) {
        usable = usable && !trimmed.empty() && trimmed.front() != '[' && trimmed.front() != ';' &&
                 name.find('=') == std::string_view::npos;
    } else {
        usable = usable && name.find(']') == std::string_view::npos;
    }
    if (!usable) {
        throw std::invalid_argument("not a usable profile name: \"" + std::string(name) + "\"");
    }
}

std::optional<std::int32_t> parseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    // Hexadecimal spells the 32 bits (0xFFFFFFFF is -1); decimal must fit the signed range.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
    if (number > limit) return std::nullopt;
    auto bits = static_cast<std::uint32_t>(number);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

}  // namespace

TProfileFile::TProfileFile(fs::path path) : path_(std::move(path)) {
    reload();
}

void TProfileFile::reload() {
    lines_.clear();
    modified_ = false;
    const std::string bytes = readFileIfExists(path_).value_or("");
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t newline = bytes.find('\n', start);
        if (newline == std::string::npos) {
            lines_.push_back(parseLine(bytes.substr(start), ""));
            break;
        }
        const bool crlf = newline > start && bytes[newline - 1] == '\r';
        std::size_t end = crlf ? newline - 1 : newline;
        lines_.push_back(parseLine(bytes.substr(start, end - start), crlf ? "\r\n" : "\n"));
        start = newline + 1;
    }
}

TProfileFile::Line TProfileFile::parseLine(std::string text, std::string ending) {
    Line line;
    line.text = std::move(text);
    line.ending = std::move(ending);
    std::string_view view = line.text;
    std::size_t start = view.find_first_not_of(kBlanks);
    if (start == std::string_view::npos || view[start] == ';') return line;
    if (view[start] == '[') {
        std::size_t close = findCp932(view, ']', start + 1);
        if (close == std::string_view::npos) return line;
        line.kind = Kind::Section;
        line.name = trim(view.substr(start + 1, close - start - 1));
    } else {
        std::size_t equals = findCp932(view, '=', start);
        if (equals == std::string_view::npos) return line;
        line.name = trim(view.substr(start, equals - start));
        if (line.name.empty()) return line;
        line.kind = Kind::Key;
        line.valueStart = equals + 1;
    }
    line.foldedName = cp932Lower(line.name);
    return line;
}

std::optional<TProfileFile::Range> TProfileFile::findSection(std::string_view foldedSection) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Section || lines_[i].foldedName != foldedSection) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && lines_[end].kind != Kind::Section)
            ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> TProfileFile::findKey(const Range& range,
                                                 std::string_view foldedKey) const {
    for (std::size_t i = range.begin + 1; i < range.end; ++i) {
        if (lines_[i].kind == Kind::Key && lines_[i].foldedName == foldedKey) return i;
    }
    return std::nullopt;
}

std::optional<std::string> TProfileFile::rawValue(std::string_view section,
                                                  std::string_view key) const {
    auto range = findSection(foldName(section));
    if (!range) return std::nullopt;
    auto line = findKey(*range, foldName(key));
    if (!line) return std::nullopt;
    const Line& found = lines_[*line];
    return std::string(trim(std::string_view(found.text).substr(found.valueStart)));
}

std::optional<std::string> TProfileFile::value(std::string_view section,
                                               std::string_view key) const {
    auto raw = rawValue(section, key);
    if (!raw) return std::nullopt;
    return cp932ToUtf8(cutToBuffer(withoutQuotes(*raw)));
}

std::string TProfileFile::readString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    auto found = value(section, key);
    return found ? *found : std::string(defaultValue);
}

std::int32_t TProfileFile::readInteger(std::string_view section, std::string_view key,
                                       std::int32_t defaultValue) const {
    auto found = value(section, key);
    return found ? parseInteger(*found).value_or(defaultValue) : defaultValue;
}

bool TProfileFile::readBool(std::string_view section, std::string_view key,
                            bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TProfileFile::hasKey(std::string_view section, std::string_view key) const {
    return rawValue(section, key).has_value();
}

bool TProfileFile::hasKeys(std::string_view section) const {
    auto range = findSection(foldName(section));
    if (!range) return false;
    for (std::size_t i = range->begin + 1; i < range->end; ++i) {
        if (lines_[i].kind == Kind::Key) return true;
    }
    return false;
}

std::vector<std::string> TProfileFile::sectionNames() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        // Only the first of several sections with one name counts.
        if (lines_[i].kind == Kind::Section && findSection(lines_[i].foldedName)->begin == i) {
            names.push_back(cp932ToUtf8(lines_[i].name));
        }
    }
    return names;
}

std::vector<std::string> TProfileFile::keyNames(std::string_view section) const {
    std::vector<std::string> names;
    auto range = findSection(foldName(section));
    if (!range) return names;
    for (std::size_t i = range->begin + 1; i < range->end; ++i) {
        if (lines_[i].kind == Kind::Key && findKey(*range, lines_[i].foldedName) == i) {
            names.push_back(cp932ToUtf8(lines_[i].name));
        }
    }
    return names;
}

void TProfileFile::insertLine(std::size_t position, const std::string& text) {
    // The line before may be the file's last one, written without a line end.
    if (position > 0 && lines_[position - 1].ending.empty()) lines_[position - 1].ending = "\r\n";
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position), parseLine(text, "\r\n"));
    modified_ = true;
}

void TProfileFile::writeString(std::string_view section, std::string_view key,
                               std::string_view value) {
    requireUsableName(section, false);
    requireUsableName(key, true);
    const std::string valueBytes = utf8ToCp932(singleLine(value));

    auto range = findSection(foldName(section));
    if (!range) {
        insertLine(lines_.size(), "[" + utf8ToCp932(trim(section)) + "]");
        insertLine(lines_.size(), utf8ToCp932(trim(key)) + "=" + valueBytes);
        return;
    }
    if (auto line = findKey(*range, foldName(key))) {
        Line& found = lines_[*line];
        if (trim(std::string_view(found.text).substr(found.valueStart)) == valueBytes) return;
        found = parseLine(found.name + "=" + valueBytes, "\r\n");
        modified_ = true;
        return;
    }
    std::size_t position = range->begin + 1;
    for (std::size_t i = range->begin + 1; i < range->end; ++i) {
        if (lines_[i].kind == Kind::Key) position = i + 1;
    }
    insertLine(position, utf8ToCp932(trim(key)) + "=" + valueBytes);
}

void TProfileFile::deleteKey(std::string_view section, std::string_view key) {
    auto range = findSection(foldName(section));
    if (!range) return;
    const std::string folded = foldName(key);
    // Every copy of the key in the section goes, so that a deleted key reads as missing.
    for (std::size_t i = range->end; i-- > range->begin + 1;) {
        if (lines_[i].kind == Kind::Key && lines_[i].foldedName == folded) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
            modified_ = true;
        }
    }
}

void TProfileFile::deleteSection(std::string_view section) {
    const std::string folded = foldName(section);
    // Every section of the name goes, lest a later copy come to light.
    while (auto range = findSection(folded)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->begin),
                     lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
        modified_ = true;
    }
}

std::string TProfileFile::bytes() const {
    std::string result;
    for (const Line& line : lines_)
        result += line.text + line.ending;
    return result;
}

void TProfileFile::save() {
    writeFileAtomically(path_, bytes());
    modified_ = false;
}

namespace {
template <typename Read, typename Result>
Result readQuietly(const fs::path& file, Read read, Result fallback) {
    try {
        return read(TProfileFile(file));
    } catch (const std::exception&) {
        return fallback;
    }
}
}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const fs::path& file) {
    return readQuietly(
        file,
        [&](const TProfileFile& profile) { return profile.readString(section, key, defaultValue); },
        std::string(defaultValue));
}

std::vector<std::string> GetPrivateProfileSectionNames(const fs::path& file) {
    return readQuietly(
        file, [](const TProfileFile& profile) { return profile.sectionNames(); },
        std::vector<std::string>());
}

std::vector<std::string> GetPrivateProfileKeyNames(std::string_view section, const fs::path& file) {
    return readQuietly(
        file, [&](const TProfileFile& profile) { return profile.keyNames(section); },
        std::vector<std::string>());
}

bool WritePrivateProfileString(std::optional<std::string_view> section,
                               std::optional<std::string_view> key,
                               std::optional<std::string_view> value, const fs::path& file) {
    // The flush call: these functions keep nothing between calls, so there is nothing to drop.
    if (!section) return !key && !value;
    try {
        TProfileFile profile(file);
        if (!key) {
            profile.deleteSection(*section);
        } else if (!value) {
            profile.deleteKey(*section, *key);
        } else {
            profile.writeString(*section, *key, *value);
        }
        if (profile.modified()) profile.save();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace kestrin
