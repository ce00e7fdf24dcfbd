#pragma once
// A plain implementation of the page scanner's rules, written the way the rules describe
// them: each tag is deleted from the text and the scan goes on from where it stood. It costs
// page length times tags, and is the yardstick the fast scanner is compared with.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin::test {

// Single-byte letters upper- or lower-cased, character by character.
std::string referenceCp932Upper(std::string_view cp932);
std::string referenceCp932Lower(std::string_view cp932);

// The text the tag scan runs over: the page in Shift_JIS, line breaks normalised to CR LF and
// each CR LF replaced by a space, upper-cased when asked, and ">>" appended.
std::string referenceScanText(std::string_view page, bool upperCase);

// The CRC-32 byte by byte through the one 256-entry table.
std::uint32_t referenceCrc32(std::string_view bytes);

// The tag-stripped checksum as 8 upper-case hexadecimal digits.
std::string referenceTagRemovedCRC(std::string_view page);

struct ReferenceScan {
    std::string title;               // UTF-8
    std::vector<std::string> links;  // UTF-8
};
ReferenceScan referenceScanPage(std::string_view page, const std::vector<std::string>& extensions);

}  // namespace kestrin::test
