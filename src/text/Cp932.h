#pragma once
// Code page 932 (Shift_JIS) at the boundaries: profile files, HTML scanning and the stored
// password are CP932 bytes; everything else in the program is UTF-8.

#include <string>
#include <string_view>

namespace kestrin {

// True for a byte that starts a double-byte CP932 character (0x81-0x9F, 0xE0-0xFC).
constexpr bool isCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// CP932 bytes to UTF-8; a byte sequence that is not CP932 becomes "?".
std::string cp932ToUtf8(std::string_view cp932);
// UTF-8 to CP932 bytes; a character CP932 lacks (or a broken UTF-8 sequence) becomes "?".
std::string utf8ToCp932(std::string_view utf8);

// ASCII letters upper- / lower-cased; the second byte of a double-byte character is left alone.
std::string cp932Upper(std::string_view cp932);
std::string cp932Lower(std::string_view cp932);
void cp932UpperInPlace(std::string& cp932);
void cp932LowerInPlace(std::string& cp932);

}  // namespace kestrin
