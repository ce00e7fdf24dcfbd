#include "platform/RegFile.h"

#include <cstdio>

#include "text/Ascii.h"

namespace kestrin {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHive = "HKEY_CURRENT_USER";
constexpr std::string_view kHiveShort = "HKCU";

std::string_view trim(std::string_view text) {
    const char* space = " \t\r";
    std::size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

[[noreturn]] void fail(int line, const std::string& problem) {
    throw RegFileError("line " + std::to_string(line) + ": " + problem);
}

// Takes the quoted text at the start of `text` off it and returns it without its escapes.
std::string takeQuoted(std::string_view& text, int line) {
    std::string result;
    for (std::size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return result;
        }
        if (c == '\\') {
            if (i + 1 == text.size() || (text[i + 1] != '\\' && text[i + 1] != '"'))
                fail(line, "a backslash inside quotes must be written \\\\ (or \\\" for a quote)");
            c = text[++i];
        }
        result += c;
    }
    fail(line, "the closing quote is missing");
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to `maxDigits` hexadecimal digits; -1 when `text` is not that.
long long parseHex(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return -1;
    long long value = 0;
    for (char c : text) {
        if (hexDigit(c) < 0) return -1;
        value = value * 16 + hexDigit(c);
    }
    return value;
}

RegistryBytes parseBytes(std::string_view list, int line) {
    RegistryBytes bytes;
    list = trim(list);
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        long long byte = parseHex(trim(list.substr(0, comma)), 2);
        if (byte < 0) fail(line, "hex: needs bytes of two hexadecimal digits separated by commas");
        bytes.push_back(static_cast<std::uint8_t>(byte));
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
        if (trim(list).empty()) fail(line, "hex: ends with a comma");
    }
    return bytes;
}

std::optional<RegistryData> parseData(std::string_view data, int line) {
    if (data == "-") return std::nullopt;
    if (data.starts_with('"')) {
        std::string text = takeQuoted(data, line);
        if (!trim(data).empty()) fail(line, "unexpected text after the closing quote");
        return text;
    }
    if (startsWithIgnoringCase(data, "dword:")) {
        long long number = parseHex(trim(data.substr(6)), 8);
        if (number < 0) fail(line, "dword: needs 1 to 8 hexadecimal digits");
        return static_cast<std::uint32_t>(number);
    }
    if (startsWithIgnoringCase(data, "hex:")) return parseBytes(data.substr(4), line);
    if (startsWithIgnoringCase(data, "hex("))
        fail(line, "value type " + std::string(data.substr(0, data.find(':'))) +
                       " is not supported (only strings, dword: and hex:)");
    fail(line, "cannot read the value data " + std::string(data));
}

// A "[key]" or "[-key]" line.
RegFileSection parseSection(std::string_view line, int number) {
    if (!line.ends_with(']')) fail(number, "a [key] line must end with \"]\"");
    std::string_view inside = line.substr(1, line.size() - 2);
    RegFileSection section;
    section.remove = inside.starts_with('-');
    if (section.remove) inside.remove_prefix(1);
    try {
        section.path = pathBelowHive(inside);
    } catch (const std::invalid_argument& error) {
        fail(number, error.what());
    }
    return section;
}

std::string quote(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

std::string formatData(const RegistryData& data) {
    if (auto* text = std::get_if<std::string>(&data)) return quote(*text);
    char buffer[16];
    if (auto* number = std::get_if<std::uint32_t>(&data)) {
        std::snprintf(buffer, sizeof buffer, "dword:%08x", *number);
        return buffer;
    }
    std::string hex = "hex:";
    for (std::uint8_t byte : std::get<RegistryBytes>(data)) {
        std::snprintf(buffer, sizeof buffer, "%02x,", byte);
        hex += buffer;
    }
    if (hex.ends_with(',')) hex.pop_back();
    return hex;
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

void exportKey(Registry& registry, const std::string& path, std::string& out) {
    out += "[" + withHive(path) + "]\n";
    for (const auto& value : registry.values(path)) {
        auto* text = std::get_if<std::string>(&value.data);
        if (hasLineBreak(value.name) || (text && hasLineBreak(*text)))
            throw ERegistryException("value " + quote(value.name) + " of " + withHive(path) +
                                     " holds a line break, which a .reg file cannot carry");
        out += (value.name.empty() ? "@" : quote(value.name)) + "=" + formatData(value.data) + "\n";
    }
    out += "\n";
    for (const auto& name : registry.subkeyNames(path))
        exportKey(registry, path.empty() ? name : path + "\\" + name, out);
}

}  // namespace

std::string pathBelowHive(std::string_view fullPath) {
    std::size_t slash = fullPath.find('\\');
    std::string_view hive = fullPath.substr(0, slash);
    std::string_view rest = slash == std::string_view::npos ? "" : fullPath.substr(slash + 1);
    if (equalIgnoringCase(hive, kHive) || equalIgnoringCase(hive, kHiveShort))
        return std::string(rest);
    if (startsWithIgnoringCase(hive, "HK"))
        throw std::invalid_argument(
            "only HKEY_CURRENT_USER (HKCU) is kept in the settings store, not " +
            std::string(hive));
    throw std::invalid_argument("a key must start with HKCU\\ or HKEY_CURRENT_USER\\: \"" +
                                std::string(fullPath) + "\"");
}

std::string withHive(std::string_view path) {
    while (path.starts_with('\\'))
        path.remove_prefix(1);
    return path.empty() ? std::string(kHive) : std::string(kHive) + "\\" + std::string(path);
}

std::vector<RegFileSection> parseRegFile(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    std::vector<RegFileSection> sections;
    bool headerSeen = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int number = static_cast<int>(i + 1);
        std::string_view line = trim(lines[i]);
        if (line.empty() || line.starts_with(';')) continue;
        if (!headerSeen) {
            if (line != kHeader)
                fail(number,
                     "not a .reg file: it must begin with \"" + std::string(kHeader) + "\"");
            headerSeen = true;
        } else if (line.starts_with('[')) {
            sections.push_back(parseSection(line, number));
        } else if (line.starts_with('"') || line.starts_with('@')) {
            if (sections.empty()) fail(number, "a value before the first [key] line");
            if (sections.back().remove) fail(number, "a value under a key that is being deleted");
            RegFileEntry entry;
            if (line.starts_with('"')) {
                entry.name = takeQuoted(line, number);
            } else {
                line.remove_prefix(1);
            }
            line = trim(line);
            if (!line.starts_with('=')) fail(number, "\"=\" is missing after the value name");
            std::string data(trim(line.substr(1)));
            // Long hex: lines continue on the next line after a trailing backslash.
            while (startsWithIgnoringCase(data, "hex") && data.ends_with('\\') &&
                   i + 1 < lines.size()) {
                data.pop_back();
                data += trim(lines[++i]);
            }
            entry.data = parseData(data, number);
            sections.back().entries.push_back(std::move(entry));
        } else {
            fail(number, "neither a [key] line, a value line nor a comment");
        }
    }
    if (!headerSeen) fail(1, "not a .reg file: it is empty");
    return sections;
}

void applyRegFile(Registry& registry, const std::vector<RegFileSection>& sections) {
    Registry::Transaction transaction(registry);
    for (const auto& section : sections) {
        if (section.remove) {
            registry.deleteKey(section.path);
            continue;
        }
        registry.createKey(section.path);
        for (const auto& entry : section.entries) {
            if (entry.data) {
                registry.write(section.path, entry.name, *entry.data);
            } else {
                registry.deleteValue(section.path, entry.name);
            }
        }
    }
    transaction.commit();
}

std::string exportRegFile(Registry& registry, std::string_view path) {
    // One consistent view of the subtree; nothing is written, so it is never committed.
    Registry::Transaction snapshot(registry);
    auto stored = registry.storedPath(path);
    if (!stored) throw ERegistryException("key \"" + withHive(path) + "\" does not exist");
    std::string out = std::string(kHeader) + "\n\n";
    exportKey(registry, *stored, out);
    return out;
}

}  // namespace kestrin
