#include "text/Cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace kestrin {

namespace {

// How much of `input` a broken UTF-8 sequence takes: its first byte and the continuation
// bytes that follow it, at most as many as the first byte announces.
std::size_t brokenUtf8Length(std::string_view input) {
    auto c = static_cast<unsigned char>(input[0]);
    std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    std::size_t taken = 1;
    while (taken < length && taken < input.size() &&
           (static_cast<unsigned char>(input[taken]) & 0xC0) == 0x80) {
        ++taken;
    }
    return taken;
}

std::size_t brokenCp932Length(std::string_view input) {
    return isCp932LeadByte(static_cast<unsigned char>(input[0]))
               ? std::min<std::size_t>(2, input.size())
               : 1;
}

// Converts with iconv; a sequence it cannot take is replaced by "?" and skipped by the
// length `skip` gives for it.
std::string convert(const char* to, const char* from, std::string_view input,
                    std::size_t (*skip)(std::string_view)) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    std::string output;
    output.reserve(input.size() * 3 / 2 + 4);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, out - buffer);
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // EILSEQ or EINVAL (cut off at the end): one replacement character, then go on.
        output += '?';
        std::size_t step = skip(std::string_view(in, inLeft));
        in += step;
        inLeft -= step;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return output;
}

template <typename Map>
std::string mapSingleByteLetters(std::string_view text, Map map) {
    std::string result(text);
    for (std::size_t i = 0; i < result.size(); ++i) {
        auto c = static_cast<unsigned char>(result[i]);
        if (isCp932LeadByte(c)) {
            ++i;  // the trail byte is not a letter, whatever its value
        } else {
            result[i] = static_cast<char>(map(c));
        }
    }
    return result;
}

}  // namespace

std::string cp932ToUtf8(std::string_view cp932) {
    return convert("UTF-8", "CP932", cp932, brokenCp932Length);
}

std::string utf8ToCp932(std::string_view utf8) {
    return convert("CP932", "UTF-8", utf8, brokenUtf8Length);
}

std::string cp932Upper(std::string_view cp932) {
    return mapSingleByteLetters(cp932, [](unsigned char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
    });
}

std::string cp932Lower(std::string_view cp932) {
    return mapSingleByteLetters(cp932, [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
    });
}

}  // namespace kestrin
