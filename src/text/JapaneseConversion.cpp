#include "text/JapaneseConversion.h"

#include <algorithm>
#include <cstring>

#include "text/ByteWords.h"

namespace kestrin {

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr std::size_t kEnd = std::string_view::npos;

// The byte at `index`, or the terminating zero (and only that) past the end.
unsigned char byteAt(std::string_view text, std::size_t index) {
    return index < text.size() ? static_cast<unsigned char>(text[index]) : 0;
}

bool inRange(unsigned char c, unsigned char low, unsigned char high) {
    return c >= low && c <= high;
}

bool isBinaryByte(unsigned char c) {
    return c < 0x08 || c == 0xFF;
}

void append(std::string& out, BytePair pair) {
    out += static_cast<char>(pair[0]);
    out += static_cast<char>(pair[1]);
}

// A byte pair 0xA1-0xDF, 0xE0-0xEF fits both EUC-JP and Shift_JIS; the bytes from `start` on
// decide. Returns the position after the byte that ended the run (it is consumed with it).
std::size_t detectInRun(std::string_view text, std::size_t start, JapaneseCode& code) {
    std::size_t i = start;
    while (i < text.size() && byteAt(text, i) >= 0x40 && code == JapaneseCode::EUC_OR_SJIS) {
        const unsigned char c = byteAt(text, i);
        if (inRange(c, 0x81, 0x8D) || inRange(c, 0x8F, 0x9C)) {
            code = JapaneseCode::SJIS;
        } else if (c == 0xFD || c == 0xFE) {
            code = JapaneseCode::EUC;
        }
        ++i;
    }
    return i + 1;
}

// Classifies the byte at `i` (not the last one); returns the position after the bytes the rule
// looked at.
std::size_t classify(std::string_view text, std::size_t i, JapaneseCode& code) {
    using enum JapaneseCode;
    const unsigned char c = byteAt(text, i);
    const unsigned char c2 = byteAt(text, i + 1);
    if (c == kEsc) {
        if (c2 != 0x24) return i + 2;
        const unsigned char c3 = byteAt(text, i + 2);
        if (c3 == 0x42) code = JIS_NEW;
        if (c3 == 0x40) code = JIS_OLD;
        return i + 3;
    }
    if (isBinaryByte(c)) {
        code = BINARY;
    } else if (inRange(c, 0x81, 0x8D) || inRange(c, 0x8F, 0x9F)) {
        code = SJIS;
    } else if (c == 0x8E) {
        if (inRange(c2, 0x40, 0x7E) || inRange(c2, 0x80, 0xA0) || inRange(c2, 0xE0, 0xFC)) {
            code = SJIS;
        } else if (inRange(c2, 0xA1, 0xDF)) {
            code = EUC_OR_SJIS;
        }
        return i + 2;
    } else if (inRange(c, 0xA1, 0xDF)) {
        if (inRange(c2, 0xF0, 0xFE)) {
            code = EUC;
        } else if (inRange(c2, 0xA1, 0xDF)) {
            code = EUC_OR_SJIS;
        } else if (inRange(c2, 0xE0, 0xEF)) {
            code = EUC_OR_SJIS;
            return detectInRun(text, i + 1, code);
        } else if (c2 <= 0x9F) {
            code = SJIS;
        }
        return i + 2;
    } else if (inRange(c, 0xE0, 0xEF)) {
        if (inRange(c2, 0x40, 0x7E) || inRange(c2, 0x80, 0xA0)) {
            code = SJIS;
        } else if (inRange(c2, 0xFD, 0xFE)) {
            code = EUC;
        } else if (inRange(c2, 0xA1, 0xFC)) {
            code = EUC_OR_SJIS;
        }
        return i + 2;
    } else if (inRange(c, 0xF0, 0xFE)) {
        code = EUC;
    }
    return i + 1;  // 0x08-0x7F, 0x80, 0xA0: no decision
}

bool isUndecisiveByte(unsigned char c) {
    return c >= 0x08 && c < 0x80 && c != kEsc;
}

// Bytes 0x08-0x7F other than ESC decide nothing, and most pages are made of them: skips them,
// eight at a time where it can. Returns the first position before `last` that needs a look.
std::size_t skipUndecisiveBytes(std::string_view text, std::size_t i, std::size_t last) {
    using namespace bytewords;
    for (; i + 8 <= last; i += 8) {
        const Word word = load(text.data() + i);
        if (((word & kHighBits) | someBelow(word, 0x08) | equalTo(word, kEsc)) != 0) break;
    }
    while (i < last && isUndecisiveByte(byteAt(text, i)))
        ++i;
    return i;
}

// Once the code is EUC_OR_SJIS, a pair of bytes 0xA1-0xDF (EUC-JP kana and kanji, Shift_JIS
// half-width kana) decides nothing either: skips eight such bytes, four pairs, at a time.
std::size_t skipUndecisivePairs(std::string_view text, std::size_t i) {
    using namespace bytewords;
    while (i + 8 <= text.size() &&
           bytewords::inRange(load(text.data() + i), 0xA1, 0xDF) == kHighBits)
        i += 8;
    return i;
}

// Walks a JIS text the way both JIS converters do: ESC and the two bytes after it switch the
// two-byte mode ("$" on, "(" off), and the byte after them is handled at once, whatever it is.
// So after an escape sequence that ends the text the terminating zero is handled; an escape
// sequence cut off by the end of the text ends the walk.
class JisWalker {
  public:
    explicit JisWalker(std::string_view text) : text_(text) {}

    // The position of the next byte to handle (text.size() for the terminating zero), or kEnd.
    std::size_t next() {
        if (position_ >= text_.size()) return kEnd;
        if (byteAt(text_, position_) == kEsc) {
            const unsigned char mode = byteAt(text_, position_ + 1);
            if (mode == 0x24) twoByte_ = true;
            if (mode == 0x28) twoByte_ = false;
            position_ += 3;
            if (position_ > text_.size()) return kEnd;
        }
        return position_;
    }
    void consume(std::size_t count) { position_ += count; }
    bool twoByte() const { return twoByte_; }

  private:
    std::string_view text_;
    std::size_t position_ = 0;
    bool twoByte_ = false;
};

// JIS X 0208 of the half-width katakana 0xA1-0xDF (JIS X 0201), as row << 8 | cell.
constexpr unsigned short kFullWidthKana[] = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521, 0x2523,  // ｡｢｣､･ｦｧｨ
    0x2525, 0x2527, 0x2529, 0x2563, 0x2565, 0x2567, 0x2543, 0x213C,  // ｩｪｫｬｭｮｯｰ
    0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, 0x252D, 0x252F,  // ｱｲｳｴｵｶｷｸ
    0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D, 0x253F,  // ｹｺｻｼｽｾｿﾀ
    0x2541, 0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C, 0x254D,  // ﾁﾂﾃﾄﾅﾆﾇﾈ
    0x254E, 0x254F, 0x2552, 0x2555, 0x2558, 0x255B, 0x255E, 0x255F,  // ﾉﾊﾋﾌﾍﾎﾏﾐ
    0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569, 0x256A,  // ﾑﾒﾓﾔﾕﾖﾗﾘ
    0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C,          // ﾙﾚﾛﾜﾝﾞﾟ
};

constexpr unsigned char kVoicedMark = 0xDE;
constexpr unsigned char kSemiVoicedMark = 0xDF;

bool isHalfWidthKana(unsigned char c) {
    return inRange(c, 0xA1, 0xDF);
}

// The full-width character of the half-width kana `kana`; `mark` is the kana byte that follows
// (0 when none). `merged` tells whether the mark became part of the character.
BytePair fullWidthKana(unsigned char kana, unsigned char mark, bool& merged) {
    unsigned short jis = kFullWidthKana[kana - 0xA1];
    const bool voicable = inRange(kana, 0xB6, 0xC4) || inRange(kana, 0xCA, 0xCE);
    const bool semiVoicable = inRange(kana, 0xCA, 0xCE);
    merged = true;
    if (mark == kVoicedMark && voicable) {
        jis += 1;
    } else if (mark == kVoicedMark && kana == 0xB3) {
        jis = 0x2574;  // ヴ
    } else if (mark == kSemiVoicedMark && semiVoicable) {
        jis += 2;
    } else {
        merged = false;
    }
    return {static_cast<unsigned char>(jis >> 8), static_cast<unsigned char>(jis & 0xFF)};
}

// Writes JIS: ESC $ B before the first byte pair of a run, ESC ( J before a single byte that
// follows a pair. Nothing is added at the end.
class JisWriter {
  public:
    explicit JisWriter(std::string& out) : out_(out) {}
    void single(unsigned char c) {
        if (twoByte_) out_ += "\x1B(J";
        twoByte_ = false;
        out_ += static_cast<char>(c);
    }
    void pair(BytePair pair) {
        if (!twoByte_) out_ += "\x1B$B";
        twoByte_ = true;
        append(out_, pair);
    }

  private:
    std::string& out_;
    bool twoByte_ = false;
};

BytePair clearHighBits(unsigned char a, unsigned char b) {
    return {static_cast<unsigned char>(a & 0x7F), static_cast<unsigned char>(b & 0x7F)};
}

BytePair setHighBits(BytePair pair) {
    return {static_cast<unsigned char>(pair[0] | 0x80), static_cast<unsigned char>(pair[1] | 0x80)};
}

}  // namespace

std::string_view JapaneseCodeName(JapaneseCode code) {
    static constexpr std::string_view kNames[] = {"ASCII", "BINARY", "JIS_NEW",    "JIS_OLD",
                                                  "EUC",   "SJIS",   "EUC_OR_SJIS"};
    const auto index = static_cast<int>(code);
    return index >= 0 && index < 7 ? kNames[index] : "?";
}

JapaneseCode DetectCode(std::string_view text) {
    const std::size_t n = text.size();
    // The last byte is never looked at by the binary test.
    const std::size_t tested = n == 0 ? 0 : std::min<std::size_t>(512, n - 1);
    for (std::size_t i = 0; i < tested; ++i) {
        if (isBinaryByte(byteAt(text, i))) return JapaneseCode::BINARY;
    }
    JapaneseCode code = JapaneseCode::ASCII;
    std::size_t i = 0;
    while ((code == JapaneseCode::ASCII || code == JapaneseCode::EUC_OR_SJIS) && i + 1 < n) {
        i = skipUndecisiveBytes(text, i, n - 1);
        if (code == JapaneseCode::EUC_OR_SJIS) i = skipUndecisivePairs(text, i);
        if (i + 1 < n) i = classify(text, i, code);
    }
    return code;
}

BytePair JisCharToSjis(unsigned char j1, unsigned char j2) {
    const auto s1 = static_cast<unsigned char>((j1 + 1) / 2 + (j1 < 0x5F ? 0x70 : 0xB0));
    unsigned char s2;
    if (j1 % 2 == 1) {
        s2 = static_cast<unsigned char>(j2 + (j2 < 0x60 ? 0x1F : 0x20));
    } else {
        s2 = static_cast<unsigned char>(j2 + 0x7E);
    }
    return {s1, s2};
}

BytePair SjisCharToJis(unsigned char s1, unsigned char s2) {
    auto j1 = static_cast<unsigned char>(2 * (s1 < 0xA0 ? s1 - 0x70 : s1 - 0xB0));
    if (s2 < 0x9F) --j1;
    unsigned char j2;
    if (s2 < 0x80) {
        j2 = static_cast<unsigned char>(s2 - 0x1F);
    } else if (s2 < 0x9F) {
        j2 = static_cast<unsigned char>(s2 - 0x20);
    } else {
        j2 = static_cast<unsigned char>(s2 - 0x7E);
    }
    return {j1, j2};
}

namespace {

// Each converter appends to `out`, which the caller has emptied.

// Writes the two converters pages go through: they never write more than one byte more than
// they read, so the output is sized once and written through a pointer; runs of plain bytes
// are copied eight at a time. The string takes its final length when the writer ends.
class PageWriter {
  public:
    PageWriter(std::string& out, std::size_t inputSize) : out_(out), start_(out.size()) {
        out_.resize(start_ + inputSize + 1);
        next_ = out_.data() + start_;
    }
    ~PageWriter() { out_.resize(next_ - out_.data()); }
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    void byte(unsigned char c) { *next_++ = static_cast<char>(c); }
    void pair(BytePair pair) {
        next_[0] = static_cast<char>(pair[0]);
        next_[1] = static_cast<char>(pair[1]);
        next_ += 2;
    }
    // Copies the eight bytes at `from` when `copyable` finds nothing to convert among them.
    template <typename Copyable>
    bool copyWord(std::string_view text, std::size_t from, Copyable copyable) {
        if (from + 8 > text.size() || !copyable(bytewords::load(text.data() + from))) return false;
        std::memcpy(next_, text.data() + from, 8);
        next_ += 8;
        return true;
    }

  private:
    std::string& out_;
    std::size_t start_;
    char* next_;
};

bool noHighBit(bytewords::Word word) {
    return (word & bytewords::kHighBits) == 0;
}

bool noEscape(bytewords::Word word) {
    return bytewords::equalTo(word, kEsc) == 0;
}

// A text ending in ESC $ B or ESC $ @ has no character after the escape: nothing is written
// for it (the pair would start at the terminating zero and run past it).
void jisToSjisInto(std::string_view text, std::string& out) {
    PageWriter writer(out, text.size());
    JisWalker walker(text);
    for (std::size_t i = walker.next(); i != kEnd; i = walker.next()) {
        if (!walker.twoByte()) {
            if (writer.copyWord(text, i, noEscape)) {
                walker.consume(8);
                continue;
            }
            writer.byte(byteAt(text, i));
            walker.consume(1);
        } else if (i < text.size()) {
            writer.pair(JisCharToSjis(byteAt(text, i), byteAt(text, i + 1)));
            walker.consume(2);
        } else {
            break;
        }
    }
}

void jisToEucInto(std::string_view text, std::string& out) {
    out.reserve(text.size());
    JisWalker walker(text);
    for (std::size_t i = walker.next(); i != kEnd; i = walker.next()) {
        unsigned char c = byteAt(text, i);
        if (walker.twoByte() && inRange(c, 0x21, 0x7E)) c |= 0x80;
        out += static_cast<char>(c);
        walker.consume(1);
    }
}

void eucToSjisInto(std::string_view text, std::string& out) {
    PageWriter writer(out, text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (writer.copyWord(text, i, noHighBit)) {
            i += 8;
            continue;
        }
        const unsigned char c = byteAt(text, i);
        if (c <= 0x80 || c == 0xFF) {
            writer.byte(c);
            i += 1;
        } else if (c == 0x8E) {  // single shift 2: the half-width kana byte is the same
            writer.byte(byteAt(text, i + 1));
            i += 2;
        } else {
            const BytePair jis = clearHighBits(c, byteAt(text, i + 1));
            writer.pair(JisCharToSjis(jis[0], jis[1]));
            i += 2;
        }
    }
}

void sjisToEucInto(std::string_view text, std::string& out) {
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = byteAt(text, i);
        if (c < 0x80) {
            out += static_cast<char>(c);
            i += 1;
        } else if (isHalfWidthKana(c)) {
            out += '\x8E';
            out += static_cast<char>(c);
            i += 1;
        } else {
            append(out, setHighBits(SjisCharToJis(c, byteAt(text, i + 1))));
            i += 2;
        }
    }
}

// 0x8E followed by a byte that is no half-width kana is written like any other byte pair.
void eucToJisInto(std::string_view text, std::string& out) {
    JisWriter writer(out);
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = byteAt(text, i);
        const unsigned char c2 = byteAt(text, i + 1);
        if (c < 0x80) {
            writer.single(c);
            i += 1;
        } else if (c == 0x8E && isHalfWidthKana(c2)) {
            const unsigned char mark = byteAt(text, i + 2) == 0x8E ? byteAt(text, i + 3) : 0;
            bool merged = false;
            writer.pair(fullWidthKana(c2, mark, merged));
            i += merged ? 4 : 2;
        } else {
            writer.pair(clearHighBits(c, c2));
            i += 2;
        }
    }
}

void sjisToJisInto(std::string_view text, std::string& out) {
    JisWriter writer(out);
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = byteAt(text, i);
        if (c < 0x80) {
            writer.single(c);
            i += 1;
        } else if (isHalfWidthKana(c)) {
            bool merged = false;
            writer.pair(fullWidthKana(c, byteAt(text, i + 1), merged));
            i += merged ? 2 : 1;
        } else {
            writer.pair(SjisCharToJis(c, byteAt(text, i + 1)));
            i += 2;
        }
    }
}

// The converter from the detected code to the target, or none when the text stays as it is.
using Converter = void (*)(std::string_view, std::string&);
Converter converterFor(JapaneseCode code, JapaneseCode target) {
    using enum JapaneseCode;
    const bool jis = code == JIS_NEW || code == JIS_OLD;
    switch (target) {
        case JIS_NEW:
            if (code == EUC) return eucToJisInto;
            if (code == SJIS) return sjisToJisInto;
            break;
        case EUC:
            if (jis) return jisToEucInto;
            if (code == SJIS) return sjisToEucInto;
            break;
        case SJIS:
            if (jis) return jisToSjisInto;
            if (code == EUC) return eucToSjisInto;
            break;
        default:
            break;
    }
    return nullptr;
}

std::string converted(std::string_view text, Converter convert) {
    std::string out;
    convert(text, out);
    return out;
}

}  // namespace

bool ConvertCodeInto(std::string_view text, JapaneseCode target, std::string& out) {
    const Converter convert = converterFor(DetectCode(text), target);
    if (!convert) return false;
    out.clear();
    convert(text, out);
    return true;
}

std::string ConvertCode(std::string_view text, JapaneseCode target) {
    std::string out;
    return ConvertCodeInto(text, target, out) ? out : std::string(text);
}

std::string JisToSjis(std::string_view text) {
    return converted(text, jisToSjisInto);
}

std::string JisToEuc(std::string_view text) {
    return converted(text, jisToEucInto);
}

std::string EucToSjis(std::string_view text) {
    return converted(text, eucToSjisInto);
}

std::string SjisToEuc(std::string_view text) {
    return converted(text, sjisToEucInto);
}

std::string EucToJis(std::string_view text) {
    return converted(text, eucToJisInto);
}

std::string SjisToJis(std::string_view text) {
    return converted(text, sjisToJisInto);
}

}  // namespace kestrin
