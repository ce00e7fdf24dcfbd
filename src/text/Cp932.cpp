#include "text/Cp932.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
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

// An iconv descriptor kept for the thread's lifetime: opening one costs more than converting
// the short texts (links, profile values) most calls convert.
class IconvDescriptor {
  public:
    IconvDescriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~IconvDescriptor() { iconv_close(cd_); }
    IconvDescriptor(const IconvDescriptor&) = delete;
    IconvDescriptor& operator=(const IconvDescriptor&) = delete;
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

// Converts with iconv; a sequence it cannot take is replaced by "?" and skipped by the
// length `skip` gives for it.
std::string convert(iconv_t cd, std::string_view input, std::size_t (*skip)(std::string_view)) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
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
    return output;
}

// Flips the case of the single-byte letters `first` to `first` + 25; the second byte of a
// double-byte character is left alone, whatever its value.
void flipSingleByteLetters(std::string& text, unsigned char first) {
    using namespace bytewords;
    const auto last = static_cast<unsigned char>(first + 25);
    const std::size_t n = text.size();
    Cp932Walk walk;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const Word word = load(text.data() + i);
        const Word letters = inRange(word, first, last) & ~walk.secondBytes(word);
        if (letters != 0) store(text.data() + i, word ^ letters >> 2);  // 0x80 >> 2: case bit
    }
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!walk.secondByte(c) && c >= first && c <= last) text[i] = static_cast<char>(c ^ 0x20);
    }
}

}  // namespace

std::string cp932ToUtf8(std::string_view cp932) {
    thread_local const IconvDescriptor toUtf8("UTF-8", "CP932");
    return convert(toUtf8.get(), cp932, brokenCp932Length);
}

std::string utf8ToCp932(std::string_view utf8) {
    thread_local const IconvDescriptor toCp932("CP932", "UTF-8");
    return convert(toCp932.get(), utf8, brokenUtf8Length);
}

void cp932UpperInPlace(std::string& cp932) {
    flipSingleByteLetters(cp932, 'a');
}

void cp932LowerInPlace(std::string& cp932) {
    flipSingleByteLetters(cp932, 'A');
}

std::string cp932Upper(std::string_view cp932) {
    std::string result(cp932);
    cp932UpperInPlace(result);
    return result;
}

std::string cp932Lower(std::string_view cp932) {
    std::string result(cp932);
    cp932LowerInPlace(result);
    return result;
}

}  // namespace kestrin
