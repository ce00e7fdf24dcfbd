#pragma once
// A fetched page as the scanner sees it. The check engine, the define wizard and the
// diagnostics all prepare pages through here, so they see the same bytes.

#include <string>
#include <string_view>

namespace kestrin {

// The page converted to Shift_JIS when its Japanese encoding is recognised, else unchanged.
std::string PageToShiftJis(std::string_view page);

enum class LetterCase { Keep, Upper };

// The text the tag scan runs over: the page in Shift_JIS, every line break as one space,
// single-byte letters upper-cased when asked (never the second byte of a double-byte
// character), and the sentinel ">>" appended, so that every "<" has a ">" after it.
std::string PrepareScanText(std::string_view page, LetterCase letterCase);

// Prepares pages as PrepareScanText does into a buffer it keeps: pages are megabytes, and a
// fresh buffer for each costs more in page faults than the scan itself. Scanning one page
// twice, or page after page, allocates nothing once the buffer has grown.
class ScanTextBuffer {
  public:
    // The prepared text, valid until the next call; the caller may change it in place.
    std::string& prepare(std::string_view page, LetterCase letterCase);
    // The same for a page the caller hands over: a page already in Shift_JIS is prepared in
    // its own buffer, with no copy.
    std::string& prepare(std::string&& page, LetterCase letterCase);

  private:
    std::string& finish(LetterCase letterCase);

    std::string text_;
};

}  // namespace kestrin
