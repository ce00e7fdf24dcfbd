#pragma once
// The tag scanner under the page checksum and the link scan. It is not an HTML parser: it works
// on raw text with a few exact string rules, and those rules define the checksums stored in
// define items, so they are kept byte for byte.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// The first occurrence of a pattern at or after a position. Asked with positions that never go
// back, every search starts where the last one stopped, so a whole scan costs linear time.
class ForwardSearch {
  public:
    ForwardSearch(std::string_view text, std::string_view pattern)
        : text_(text), pattern_(pattern) {}
    // The index of the occurrence, or npos.
    std::size_t from(std::size_t position);

  private:
    std::string_view text_;
    std::string_view pattern_;
    std::size_t searchedFrom_ = std::string_view::npos;
    std::size_t found_ = 0;
};

// ForwardSearch for one byte ("<", ">"), which the tag scan asks for at every tag: kept small
// enough to be inlined.
class ByteSearch {
  public:
    ByteSearch(std::string_view text, char byte) : text_(text), byte_(byte) {}
    std::size_t from(std::size_t position) {
        if (position < searchedFrom_ || position > found_) {
            searchedFrom_ = position;
            found_ = text_.find(byte_, position);
        }
        return found_;
    }

  private:
    std::string_view text_;
    char byte_;
    // Nothing before found_ (npos: nothing at all) from searchedFrom_ on; npos: not asked yet.
    std::size_t searchedFrom_ = std::string_view::npos;
    std::size_t found_ = std::string_view::npos;
};

// Finds tags and comments one after another (0-based indexes).
class TagScanner {
  public:
    struct Tag {
        std::size_t start;      // the "<"
        std::size_t end;        // just past the tag or comment; before start after a stray ">"
        std::string_view text;  // after the "<" up to and including the ">"; empty for comments
    };

    explicit TagScanner(std::string_view text);
    // The first tag or comment in the text from `position`: the first "<"; when "<!--" starts
    // there, a comment ending after the first "-->" (else the first "--!>") from `position`;
    // otherwise a tag ending after the first ">" from `position`. None when there is no "<",
    // or for a comment that has no end.
    std::optional<Tag> next(std::size_t position);

  private:
    std::string_view text_;
    ByteSearch open_, close_;
    ForwardSearch commentEnd_, commentEndAlternative_;
};

struct TagAttribute {
    std::string name;
    std::string value;
};

// An attribute as views into the tag text it came from.
struct TagAttributeView {
    std::string_view name;
    std::string_view value;
};

// ParseTag's split without copies, for scans that look at every tag of a page; `attributes`
// keeps its capacity from tag to tag.
bool splitTag(std::string_view tag, std::string_view& name,
              std::vector<TagAttributeView>& attributes);

// Trimmed of leading and trailing spaces and control characters (bytes up to 0x20).
std::string_view trimControls(std::string_view text);

class TVHTMLParser {
  public:
    // From the 1-based `position`: the next tag or comment, with `position` set to its "<",
    // `endPosition` just past it and `tag` its text (empty for a comment, and when a stray ">"
    // makes the end fall before the "<"). False (position 0) when no "<" follows, or the
    // comment there never ends.
    bool NextTag(std::string_view text, std::size_t& position, std::string& tag,
                 std::size_t& endPosition) const;

    // Splits a tag text as NextTag returns it ("A HREF=x.lzh>") into its name and attributes.
    // False (and no name) when the tag has no space, i.e. no attributes.
    bool ParseTag(std::string_view tag, std::string& name,
                  std::vector<TagAttribute>& attributes) const;
};

}  // namespace kestrin
