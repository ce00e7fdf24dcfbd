#pragma once
// A converter of the C library, opened once and reused for many short texts: the independent
// reference our own Japanese converters are compared with.

#include <iconv.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrin::test {

class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // The converted text; empty when the text holds something the conversion does not know.
    std::string operator()(std::string_view text) {
        std::string in(text), out(text.size() * 4 + 16, '\0');
        char* inPtr = in.data();
        char* outPtr = out.data();
        std::size_t inLeft = in.size(), outLeft = out.size();
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
        // The shift back of stateful encodings.
        if (result != std::size_t(-1)) result = iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        if (result == std::size_t(-1)) return {};
        out.resize(out.size() - outLeft);
        return out;
    }

  private:
    iconv_t cd_;
};

}  // namespace kestrin::test
