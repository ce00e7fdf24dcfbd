#include "define/HTMLParser.h"

namespace kestrin {

namespace {
constexpr auto npos = std::string_view::npos;
constexpr std::string_view kCommentStart = "<!--";

// Everything but the last character: an unquoted value that runs to the end of the tag text
// loses the tag's closing ">".
std::string_view allButLast(std::string_view text) {
    return text.empty() ? text : text.substr(0, text.size() - 1);
}

// The value at the start of `rest` (after "="); `rest` is left after the value and its
// delimiter. A quoted value runs to the closing quote, or like an unquoted value at the end
// of the tag when the quote is never closed.
std::string_view takeValue(std::string_view& rest) {
    const bool quoted = !rest.empty() && rest.front() == '"';
    if (quoted) rest.remove_prefix(1);
    const std::size_t delimiter = rest.find(quoted ? '"' : ' ');
    if (delimiter == npos) {
        const std::string_view value = allButLast(rest);
        rest = {};
        return value;
    }
    const std::string_view value = rest.substr(0, delimiter);
    rest.remove_prefix(delimiter + 1);
    return value;
}
}  // namespace

std::size_t ForwardSearch::from(std::size_t position) {
    const bool cached = searchedFrom_ != npos && searchedFrom_ <= position &&
                        (found_ == npos || position <= found_);
    if (!cached) {
        searchedFrom_ = position;
        found_ = text_.find(pattern_, position);
    }
    return found_;
}

TagScanner::TagScanner(std::string_view text)
    : text_(text),
      open_(text, '<'),
      close_(text, '>'),
      commentEnd_(text, "-->"),
      commentEndAlternative_(text, "--!>") {}

std::optional<TagScanner::Tag> TagScanner::next(std::size_t position) {
    const std::size_t open = open_.from(position);
    if (open == npos) return std::nullopt;
    if (text_.substr(open, kCommentStart.size()) == kCommentStart) {
        // The end is searched from `position`, so an earlier "-->" ends the comment before
        // its start; the next search, from the "<", then finds the real end.
        if (const std::size_t end = commentEnd_.from(position); end != npos) {
            return Tag{open, end + 3, {}};
        }
        if (const std::size_t end = commentEndAlternative_.from(position); end != npos) {
            return Tag{open, end + 4, {}};
        }
        return std::nullopt;
    }
    const std::size_t close = close_.from(position);
    if (close == npos) return Tag{open, position, {}};
    const std::string_view tag = close > open ? text_.substr(open + 1, close - open) : "";
    return Tag{open, close + 1, tag};
}

std::string_view trimControls(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

bool TVHTMLParser::NextTag(std::string_view text, std::size_t& position, std::string& tag,
                           std::size_t& endPosition) const {
    TagScanner scanner(text);
    const auto found = scanner.next(position > 0 ? position - 1 : 0);
    tag.clear();
    if (!found) {
        position = 0;
        return false;
    }
    position = found->start + 1;
    endPosition = found->end + 1;
    tag = found->text;
    return true;
}

bool splitTag(std::string_view tag, std::string_view& name,
              std::vector<TagAttributeView>& attributes) {
    attributes.clear();
    name = {};
    const std::string_view text = trimControls(tag);
    const std::size_t space = text.find(' ');
    if (space == npos) return false;
    name = trimControls(text.substr(0, space));
    std::string_view rest = trimControls(text.substr(space + 1));
    for (std::size_t equals = rest.find('='); equals != npos; equals = rest.find('=')) {
        TagAttributeView attribute;
        attribute.name = trimControls(rest.substr(0, equals));
        rest = trimControls(rest.substr(equals + 1));
        attribute.value = takeValue(rest);
        rest = trimControls(rest);
        attributes.push_back(attribute);
    }
    return !name.empty();
}

bool TVHTMLParser::ParseTag(std::string_view tag, std::string& name,
                            std::vector<TagAttribute>& attributes) const {
    std::string_view nameView;
    std::vector<TagAttributeView> views;
    const bool parsed = splitTag(tag, nameView, views);
    name = nameView;
    attributes.clear();
    for (const auto& view : views)
        attributes.push_back({std::string(view.name), std::string(view.value)});
    return parsed;
}

}  // namespace kestrin
