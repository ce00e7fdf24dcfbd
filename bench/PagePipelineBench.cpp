// The way of a fetched page to its checksum, step by step, on a generated 20 MB Japanese page
// (mark-up, hiragana, katakana and kanji, CR LF lines): encoding detection, conversion, line
// breaks, upper-casing, the whole preparation, the checksum, and the whole `kestrin-cli crc`
// command on the page written to a file. The same page in EUC-JP and JIS shows the conversion
// and a detection that decides at once; an ASCII page, and one of half-width kana pairs that
// fit both EUC-JP and Shift_JIS, detections that read every byte.
// Set KESTRIN_BENCH_PAGE=FILE to keep the Shift_JIS page for timing the command by hand.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <random>
#include <string>

#include "define/CRC32Calc.h"
#include "define/KestrinParser.h"
#include "define/PagePreparation.h"
#include "support/TempEnvironment.h"
#include "text/Cp932.h"
#include "text/JapaneseConversion.h"
#include "text/LineBreaks.h"

extern char** environ;

namespace kestrin {
namespace {

constexpr std::size_t kPageSize = 20 << 20;

class JapaneseText {
  public:
    // `count` characters: half hiragana, a quarter each katakana and kanji.
    std::string characters(int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            const unsigned kind = random_() % 4;
            BytePair sjis;
            if (kind < 2) {
                sjis = {0x82, static_cast<unsigned char>(0x9F + random_() % 83)};
            } else if (kind == 2) {
                const unsigned cell = 0x40 + random_() % 0x56;  // 0x7F is no trail byte
                sjis = {0x83, static_cast<unsigned char>(cell < 0x7F ? cell : cell + 1)};
            } else {
                sjis = JisCharToSjis(static_cast<unsigned char>(0x30 + random_() % 0x20),
                                     static_cast<unsigned char>(0x21 + random_() % 94));
            }
            text += static_cast<char>(sjis[0]);
            text += static_cast<char>(sjis[1]);
        }
        return text;
    }
    unsigned number(unsigned below) { return random_() % below; }

  private:
    std::mt19937 random_{20010501};
};

std::string generateSjisPage() {
    JapaneseText japanese;
    std::string page = "<html><head><title>" + japanese.characters(8) + "</title></head><body>\r\n";
    page.reserve(kPageSize + 256);
    while (page.size() < kPageSize) {
        const std::string text = japanese.characters(5 + japanese.number(36));
        const std::string number = std::to_string(japanese.number(100));
        switch (japanese.number(10)) {
            case 0:
            case 1:
            case 2:
                page += "<p>" + text + " Version 1." + number + "</p>\r\n";
                break;
            case 3:
            case 4:
                page += "<a href=\"dl/soft" + number + ".lzh\">" + text + "</a><br>\r\n";
                break;
            case 5:
                page += "<!-- " + text + " -->\r\n";
                break;
            default:
                page += "<td>" + text + "</td><td>2001/05/" + number + "</td>\r\n";
                break;
        }
    }
    return page + "</body></html>\r\n";
}

struct Pages {
    std::string sjis = generateSjisPage();
    std::string euc = SjisToEuc(sjis);
    std::string jis = SjisToJis(sjis);
    std::string ascii = std::string(kPageSize, 'a') + "\xA4\xA2";
    std::string undecided = kanaPairs();  // fits EUC-JP and Shift_JIS to its last byte

    static std::string kanaPairs() {
        std::string text;
        for (std::size_t i = 0; text.size() < kPageSize; ++i)
            text += i % 16 == 15 ? "\r\n" : "\xB1\xB2";
        return text;
    }
};

const Pages& pages() {
    static const Pages shared;
    return shared;
}

// Each step over one page; throughput is of the step's input.
template <typename Step>
void run(benchmark::State& state, const std::string& page, Step step) {
    for (auto _ : state)
        step(page);
    state.SetBytesProcessed(state.iterations() * page.size());
}

void Detect(benchmark::State& state, const std::string Pages::*page) {
    run(state, pages().*page,
        [](const std::string& text) { benchmark::DoNotOptimize(DetectCode(text)); });
}
BENCHMARK_CAPTURE(Detect, sjis, &Pages::sjis)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, euc, &Pages::euc)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, ascii, &Pages::ascii)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Detect, undecided, &Pages::undecided)->Unit(benchmark::kMillisecond);

// Detection and, unless the page is Shift_JIS already, the conversion to Shift_JIS.
void ToShiftJis(benchmark::State& state, const std::string Pages::*page) {
    std::string out;
    run(state, pages().*page, [&out](const std::string& text) {
        benchmark::DoNotOptimize(ConvertCodeInto(text, JapaneseCode::SJIS, out));
    });
}
BENCHMARK_CAPTURE(ToShiftJis, sjis, &Pages::sjis)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ToShiftJis, euc, &Pages::euc)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ToShiftJis, jis, &Pages::jis)->Unit(benchmark::kMillisecond);

void LineBreaksToSpaces(benchmark::State& state) {
    std::string out;
    out.reserve(kPageSize * 2);
    run(state, pages().sjis, [&out](const std::string& text) {
        out.clear();
        appendReplacingLineBreaks(out, text, " ");
        benchmark::DoNotOptimize(out.data());
    });
}
BENCHMARK(LineBreaksToSpaces)->Unit(benchmark::kMillisecond);

void UpperCase(benchmark::State& state) {
    std::string text;
    run(state, pages().sjis, [&](const std::string& page) {
        state.PauseTiming();
        text = page;
        state.ResumeTiming();
        cp932UpperInPlace(text);
        benchmark::DoNotOptimize(text.data());
    });
}
BENCHMARK(UpperCase)->Unit(benchmark::kMillisecond);

// Everything before the tag scan: detection, conversion, line breaks, upper-casing, ">>".
void PrepareForChecksum(benchmark::State& state, const std::string Pages::*page) {
    ScanTextBuffer buffer;
    run(state, pages().*page, [&buffer](const std::string& text) {
        benchmark::DoNotOptimize(buffer.prepare(text, LetterCase::Upper).data());
    });
}
BENCHMARK_CAPTURE(PrepareForChecksum, sjis, &Pages::sjis)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PrepareForChecksum, euc, &Pages::euc)->Unit(benchmark::kMillisecond);

void Crc32(benchmark::State& state) {
    TCRC32Calc calc;
    run(state, pages().sjis,
        [&calc](const std::string& text) { benchmark::DoNotOptimize(calc.CalcBuffer(text)); });
}
BENCHMARK(Crc32)->Unit(benchmark::kMillisecond);

// The whole checksum with a parser that keeps its buffers (as the engine's does), and with a
// fresh parser for every page (as the command's is).
void TagRemovedCRC(benchmark::State& state) {
    TVKestrinParser parser;
    run(state, pages().sjis, [&parser](const std::string& text) {
        benchmark::DoNotOptimize(parser.TagRemovedCRC(text));
    });
}
BENCHMARK(TagRemovedCRC)->Unit(benchmark::kMillisecond);

void TagRemovedCRCFreshParser(benchmark::State& state) {
    run(state, pages().sjis, [](const std::string& text) {
        benchmark::DoNotOptimize(TVKestrinParser().TagRemovedCRC(text));
    });
}
BENCHMARK(TagRemovedCRCFreshParser)->Unit(benchmark::kMillisecond);

void ScanPage(benchmark::State& state) {
    TVKestrinParser parser;
    const std::vector<std::string> extensions = {".lzh", ".zip"};
    std::string title;
    std::vector<std::string> links;
    run(state, pages().sjis, [&](const std::string& text) {
        benchmark::DoNotOptimize(parser.ScanPage(text, title, extensions, links));
    });
}
BENCHMARK(ScanPage)->Unit(benchmark::kMillisecond);

// `kestrin-cli crc FILE` as a user runs it: process start, reading the file, the checksum.
void CrcCommand(benchmark::State& state) {
    static const test::TempFolder folder;
    const std::string path = (folder / "page.html").string();
    test::writeFile(path, pages().sjis);
    if (const char* keep = std::getenv("KESTRIN_BENCH_PAGE")) test::writeFile(keep, pages().sjis);
    const char* argv[] = {KESTRIN_CLI_PATH, "crc", path.c_str(), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = -1;
        int status = 0;
        if (posix_spawn(&pid, argv[0], &quiet, nullptr, const_cast<char**>(argv), environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid || status != 0)
            state.SkipWithError("kestrin-cli crc failed");
    }
    posix_spawn_file_actions_destroy(&quiet);
    state.SetBytesProcessed(state.iterations() * pages().sjis.size());
}
BENCHMARK(CrcCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace
}  // namespace kestrin
