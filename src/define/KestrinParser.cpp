#include "define/KestrinParser.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "define/CRC32Calc.h"
#include "define/PagePreparation.h"
#include "text/Ascii.h"
#include "text/Cp932.h"
#include "text/LineBreaks.h"

namespace kestrin {

namespace {

constexpr auto npos = std::string_view::npos;

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// From the last "." after the last "\" or ":", dot included; the second byte of a double-byte
// character is never taken for one of them.
std::string_view fileExtension(std::string_view name) {
    std::size_t dot = npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '.') dot = i;
        if (c == '\\' || c == ':') dot = npos;
        if (isCp932LeadByte(static_cast<unsigned char>(c))) ++i;
    }
    return dot == npos ? std::string_view{} : name.substr(dot);
}

// The title: between the first "<TITLE>" and the first "</TITLE>"; from the 7th character
// when there is no "<TITLE>"; empty when "</TITLE>" is missing or comes first. Both are looked
// for in one pass over the "<"s of the page.
std::string_view findTitle(std::string_view text) {
    constexpr std::string_view kOpen = "<TITLE>", kClose = "</TITLE>";
    std::size_t open = npos;
    std::size_t close = npos;
    for (std::size_t at = text.find('<'); at != npos && (open == npos || close == npos);
         at = text.find('<', at + 1)) {
        const std::string_view here = text.substr(at);
        if (open == npos && startsWithIgnoringCase(here, kOpen)) open = at;
        if (close == npos && startsWithIgnoringCase(here, kClose)) close = at;
    }
    const std::size_t start = open == npos ? 6 : open + 7;
    if (close == npos || close <= start) return {};
    return text.substr(start, close - start);
}

// Only a tag whose text starts with "A" or "a" can have the name "A": the others need no
// parsing.
bool mayBeAnchor(std::string_view tag) {
    const std::string_view trimmed = trimControls(tag);
    return !trimmed.empty() && asciiLower(trimmed.front()) == 'a';
}

// An anchor with a link goes with its link text and its closing tag.
bool isLinkAnchor(std::string_view tag) {
    return tag.starts_with("A ") && tag.find("HREF") != npos;
}

// Passes progress on at most once per kProgressStep bytes of scanned text, and at the end.
class ProgressThrottle {
  public:
    explicit ProgressThrottle(TVKestrinParser& parser) : parser_(parser) {}
    void report(std::size_t scanned, std::int64_t position, std::int64_t total) {
        if (scanned - lastReported_ < TVKestrinParser::kProgressStep) return;
        lastReported_ = scanned;
        if (parser_.OnProgress) parser_.OnProgress(parser_, position, total);
    }
    void finish(std::int64_t total) {
        if (parser_.OnProgress) parser_.OnProgress(parser_, total, total);
    }

  private:
    TVKestrinParser& parser_;
    std::size_t lastReported_ = 0;
};

// The levels a relative link climbs ("./" one, each "../" one more) and the link without
// them: the rule marks every "./" and drops every "." just before a mark, counting it.
struct RelativeLink {
    std::size_t levels = 1;
    std::string path;
};

RelativeLink relativeLink(std::string_view link) {
    RelativeLink result;
    bool dotPending = false;  // a "." kept back: it may stand before a mark
    for (std::size_t i = 0; i < link.size();) {
        const bool mark = link.compare(i, 2, "./") == 0;
        if (mark && dotPending) {
            ++result.levels;
            dotPending = false;
        } else if (mark) {
            // a mark alone is dropped
        } else {
            if (dotPending) result.path += '.';
            dotPending = link[i] == '.';
            if (!dotPending) result.path += link[i];
        }
        i += mark ? 2 : 1;
    }
    if (dotPending) result.path += '.';
    return result;
}

// The index of the "/" that starts the path of an absolute address ("http://host/..."), the
// length when the address has no path, and 0 when it has no "://".
std::size_t serverRootEnd(std::string_view url) {
    const std::size_t scheme = url.find("://");
    if (scheme == npos) return 0;
    return std::min(url.find('/', scheme + 3), url.size());
}

}  // namespace

class TVKestrinParser::ScanBuffer {
  public:
    explicit ScanBuffer(TVKestrinParser& parser) : parser_(parser), wasScanning_(parser.scanning_) {
        parser_.scanning_ = true;
    }
    ~ScanBuffer() { parser_.scanning_ = wasScanning_; }
    ScanBuffer(const ScanBuffer&) = delete;
    ScanBuffer& operator=(const ScanBuffer&) = delete;

    template <typename Page>
    std::string& prepare(Page&& page, LetterCase letterCase) {
        return (wasScanning_ ? own_ : parser_.scanText_)
            .prepare(std::forward<Page>(page), letterCase);
    }

  private:
    TVKestrinParser& parser_;
    bool wasScanning_;
    ScanTextBuffer own_;
};

bool TVKestrinParser::ScanPage(std::string_view page, std::string& title,
                               const std::vector<std::string>& extensions,
                               std::vector<std::string>& links) {
    links.clear();
    ScanBuffer buffer(*this);
    const std::string_view text = buffer.prepare(page, LetterCase::Keep);
    title = cp932ToUtf8(findTitle(text));

    std::vector<std::string> wanted;
    for (const auto& extension : extensions)
        wanted.push_back(cp932Lower(utf8ToCp932(extension)));
    std::string extension;  // one buffer for every link's extension
    const auto isArchive = [&](std::string_view link) {
        extension = fileExtension(link);
        cp932LowerInPlace(extension);
        return std::find(wanted.begin(), wanted.end(), extension) != wanted.end();
    };

    TagScanner tags(text);
    ProgressThrottle progress(*this);
    std::string_view name;
    std::vector<TagAttributeView> attributes;
    std::size_t position = 0;
    while (const auto tag = tags.next(position)) {
        if (mayBeAnchor(tag->text) && splitTag(tag->text, name, attributes) &&
            equalIgnoringCase(name, "A")) {
            for (const auto& attribute : attributes) {
                if (equalIgnoringCase(attribute.name, "HREF") && isArchive(attribute.value)) {
                    links.push_back(cp932ToUtf8(attribute.value));
                }
            }
        }
        // A tag ends past the position it was searched from, so the scan always moves on.
        position = tag->end;
        progress.report(position, position, text.size());
    }
    progress.finish(text.size());
    return true;
}

// The checksum's rules delete each tag from the text and scan on from where it stood. All
// searches look only at the text from that place on, which is always a suffix of the
// prepared text, and the kept text before it holds no "<" (so the first "</A>" of the whole
// text lies in that suffix, too). So one forward pass that keeps the text between tags gives
// the same bytes in linear time. The kept text moves down in place: it is written only below
// the tag just found, where no later search looks.
std::string TVKestrinParser::TagRemovedCRC(std::string_view page) {
    return tagRemovedCRC(page);
}

std::string TVKestrinParser::TagRemovedCRC(std::string&& page) {
    return tagRemovedCRC(std::move(page));
}

template <typename Page>
std::string TVKestrinParser::tagRemovedCRC(Page&& page) {
    ScanBuffer buffer(*this);
    std::string& text = buffer.prepare(std::forward<Page>(page), LetterCase::Upper);
    const auto keep = [&text](std::size_t kept, std::size_t from, std::size_t length) {
        std::memmove(text.data() + kept, text.data() + from, length);
        return kept + length;
    };
    TagScanner tags(text);
    ForwardSearch anchorEnd(text, "</A>");
    ProgressThrottle progress(*this);
    std::size_t kept = 0;  // the length of the kept text
    std::size_t rest = 0;  // where the unscanned text starts
    while (const auto tag = tags.next(rest)) {
        std::size_t end = tag->end;
        if (isLinkAnchor(tag->text)) {
            // Without a "</A>" after it, only the anchor tag itself goes.
            const std::size_t closing = anchorEnd.from(rest);
            if (closing != npos) end = closing + 4;
        }
        kept = keep(kept, rest, tag->start - rest);
        // Nothing is deleted when the end falls before the "<"; the scan stays at the "<".
        rest = std::max(end, tag->start);
        progress.report(rest, kept, kept + text.size() - rest);
    }
    kept = keep(kept, rest, text.size() - rest);
    progress.finish(kept);

    const std::string_view trimmed = trimControls(std::string_view(text).substr(0, kept));
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", TCRC32Calc().CalcBuffer(trimmed));
    return digits;
}

bool TVKestrinParser::FindHeader(std::string_view header, std::string_view name,
                                 std::string& value) const {
    value.clear();
    const std::string text = replaceLineBreaks(header, "\r\n");
    const std::size_t found = findIgnoringCase(text, name);
    if (found == npos) return false;
    const std::size_t start = found + name.size();
    const std::size_t lineEnd = text.find("\r\n", start);
    if (lineEnd != npos)
        value = trimControls(std::string_view(text).substr(start, lineEnd - start));
    return true;
}

// Page addresses that end in "/" name a folder, which is kept; a root-relative link ("/x")
// starts at the server's root; no link climbs above the server's root; a "&" is kept.
std::string TVKestrinParser::ResolveURL(std::string_view pageUrl, std::string_view link) const {
    if (link.find("://") != npos) return std::string(link);
    const std::size_t root = serverRootEnd(pageUrl);
    if (link.starts_with("//")) {
        const std::size_t scheme = pageUrl.find("://");
        return std::string(pageUrl.substr(0, scheme == npos ? 0 : scheme + 1)) + std::string(link);
    }
    if (link.starts_with('/')) return std::string(pageUrl.substr(0, root)) + std::string(link);

    const RelativeLink relative = relativeLink(link);
    // Scanning backwards from the next-to-last character (the last one of a folder address),
    // the n-th "/" met is the cut.
    std::size_t cut = root;
    std::size_t met = 0;
    const std::size_t last = pageUrl.ends_with('/') ? pageUrl.size() : pageUrl.size() - 1;
    for (std::size_t i = std::min(last, pageUrl.size()); i-- > root;) {
        if (pageUrl[i] == '/' && ++met == relative.levels) {
            cut = i;
            break;
        }
    }
    return std::string(pageUrl.substr(0, cut)) + "/" + relative.path;
}

std::string TVKestrinParser::LinkFileName(std::string_view link) const {
    const std::size_t slash = link.rfind('/');
    return std::string(slash == npos ? link : link.substr(slash + 1));
}

bool TVKestrinParser::LeadingLetters(std::string_view fileName, std::string& letters) const {
    const std::string_view base =
        fileName.substr(0, fileName.size() - fileExtension(fileName).size());
    letters.assign(base.begin(), std::find_if_not(base.begin(), base.end(), isAsciiLetter));
    return !letters.empty();
}

}  // namespace kestrin
