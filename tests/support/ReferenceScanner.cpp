#include "support/ReferenceScanner.h"

#include <cstdio>

#include "text/Cp932.h"
#include "text/JapaneseConversion.h"

namespace kestrin::test {

namespace {

// Positions count from 1, as in the rules; 0 means "not found".
using Position = long;

Position pos(const std::string& pattern, const std::string& text, Position from = 1) {
    const std::size_t found = text.find(pattern, from - 1);
    return found == std::string::npos ? 0 : static_cast<Position>(found) + 1;
}

std::string copy(const std::string& text, Position index, Position count) {
    if (index < 1) index = 1;
    if (count <= 0 || index > static_cast<Position>(text.size())) return {};
    return text.substr(index - 1, count);
}

std::string trim(const std::string& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return text.substr(first, last - first);
}

// Single-byte letters from `first` to `first` + 25 case-flipped, walking the text character by
// character: a lead byte takes the byte after it along, whatever that is.
std::string flipCp932Letters(std::string_view cp932, char first) {
    std::string text(cp932);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isCp932LeadByte(static_cast<unsigned char>(text[i]))) {
            ++i;
        } else if (text[i] >= first && text[i] <= first + 25) {
            text[i] = static_cast<char>(text[i] ^ 0x20);
        }
    }
    return text;
}

std::string upperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string replaceAll(const std::string& text, const std::string& from, const std::string& to) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t found = text.find(from); found != std::string::npos;
         found = text.find(from, start)) {
        out += text.substr(start, found - start) + to;
        start = found + from.size();
    }
    return out + text.substr(start);
}

}  // namespace

std::string referenceCp932Upper(std::string_view cp932) {
    return flipCp932Letters(cp932, 'a');
}

std::string referenceCp932Lower(std::string_view cp932) {
    return flipCp932Letters(cp932, 'A');
}

std::string referenceScanText(std::string_view page, bool upperCase) {
    std::string text = ConvertCode(page, JapaneseCode::SJIS);
    std::string normalised;  // a lone CR or a lone LF becomes CR LF
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            normalised += "\r\n";
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            normalised += "\r\n";
        } else {
            normalised += text[i];
        }
    }
    text = replaceAll(normalised, "\r\n", " ");
    if (upperCase) text = referenceCp932Upper(text);
    return text + ">>";
}

namespace {

// The search from `p` looks at the text from p on; the position where it stands is b.
bool nextTag(const std::string& text, Position& p, std::string& tag, Position& end) {
    const Position b = p - 1;
    const Position lt = pos("<", text, p);
    if (lt == 0) {
        p = 0;
        return false;
    }
    if (pos("<!--", text, p) == lt) {
        if (const Position close = pos("-->", text, p); close > 0) {
            end = close + 3;
        } else if (const Position alternative = pos("--!>", text, p); alternative > 0) {
            end = alternative + 4;
        } else {
            p = 0;
            return false;
        }
        tag.clear();
    } else {
        const Position gt = pos(">", text, p);
        end = (gt == 0 ? b : gt) + 1;
        tag = copy(text, lt + 1, gt - lt);
    }
    p = lt;
    return true;
}

bool parseTag(const std::string& tagText, std::string& name, std::vector<std::string>& lines) {
    lines.clear();
    name.clear();
    std::string text = trim(tagText);
    const Position space = pos(" ", text);
    if (space == 0) return false;
    name = trim(copy(text, 1, space - 1));
    text = trim(text.substr(space));
    for (Position equals = pos("=", text); equals > 0; equals = pos("=", text)) {
        const std::string attribute = trim(copy(text, 1, equals - 1));
        text = trim(text.substr(equals));
        const bool quoted = !text.empty() && text[0] == '"';
        if (quoted) text.erase(0, 1);
        const Position delimiter = pos(quoted ? "\"" : " ", text);
        std::string value;
        if (delimiter > 0) {
            value = copy(text, 1, delimiter - 1);
            text.erase(0, delimiter);
        } else {
            value = copy(text, 1, static_cast<Position>(text.size()) - 1);
            text.clear();
        }
        text = trim(text);
        lines.push_back(attribute + "=" + value);
    }
    return !name.empty();
}

std::string extractFileExt(const std::string& name) {
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '.') dot = i;
        if (name[i] == '\\' || name[i] == ':') dot = std::string::npos;
        if (isCp932LeadByte(static_cast<unsigned char>(name[i]))) ++i;
    }
    return dot == std::string::npos ? "" : name.substr(dot);
}

}  // namespace

std::uint32_t referenceCrc32(std::string_view bytes) {
    std::uint32_t table[256];
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes)
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string referenceTagRemovedCRC(std::string_view page) {
    std::string text = referenceScanText(page, true);
    Position p = 1, end = 0;
    std::string tag;
    while (nextTag(text, p, tag, end)) {
        if (tag.starts_with("A ") && tag.find("HREF") != std::string::npos) {
            const Position closing = pos("</A>", text);
            if (closing > 0) end = closing + 4;  // else the anchor tag alone is deleted
        }
        if (end > p) text.erase(p - 1, end - p);
    }
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", referenceCrc32(trim(text)));
    return digits;
}

ReferenceScan referenceScanPage(std::string_view page, const std::vector<std::string>& extensions) {
    const std::string text = referenceScanText(page, false);
    const std::string upper = upperAscii(text);
    const Position open = pos("<TITLE>", upper), close = pos("</TITLE>", upper);
    ReferenceScan scan;
    scan.title = cp932ToUtf8(copy(text, open + 7, close - open - 7));

    std::vector<std::string> links;
    Position p = 1, end = 0;
    std::string tag, name;
    std::vector<std::string> lines;
    while (nextTag(text, p, tag, end)) {
        if (parseTag(tag, name, lines) && upperAscii(name) == "A") {
            for (const auto& line : lines) {
                const Position equals = pos("=", line);
                if (upperAscii(copy(line, 1, equals - 1)) == "HREF") {
                    links.push_back(line.substr(equals));
                }
            }
        }
        p = end;
    }
    for (const auto& link : links) {
        const std::string extension = upperAscii(extractFileExt(link));
        for (const auto& wanted : extensions) {
            if (upperAscii(utf8ToCp932(wanted)) == extension) {
                scan.links.push_back(cp932ToUtf8(link));
                break;
            }
        }
    }
    return scan;
}

}  // namespace kestrin::test
