#pragma once
// Case handling of the ASCII letters alone: "A" to "Z" and "a" to "z" change and match, every
// other byte stays as it is. Names of values, keys, sections, headers, tags, options and file
// extensions compare this way; bytes of UTF-8 sequences are never letters, so UTF-8 text passes
// through unchanged.

#include <algorithm>
#include <string>
#include <string_view>

namespace kestrin {

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLowered(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), asciiLower);
    return lowered;
}

inline bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

inline bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Where `pattern` first occurs in `text` at or after `from`; npos when it does not.
inline std::size_t findIgnoringCase(std::string_view text, std::string_view pattern,
                                    std::size_t from = 0) {
    for (std::size_t at = from; at <= text.size() && pattern.size() <= text.size() - at; ++at) {
        if (startsWithIgnoringCase(text.substr(at), pattern)) return at;
    }
    return std::string_view::npos;
}

}  // namespace kestrin
