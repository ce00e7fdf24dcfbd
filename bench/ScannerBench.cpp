// The tag-stripped checksum and the page scan on generated pages with a tag every 20 bytes:
// throughput, and how the time grows from a 1 MB to a 10 MB page. The plain implementation of
// the rules runs on the 1 MB page for comparison.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "define/KestrinParser.h"
#include "support/ReferenceScanner.h"

namespace kestrin {
namespace {

// Units of 20 bytes: text and one tag, now and then a link with its text or a comment.
std::string generatePage(std::size_t size) {
    static const char* const kUnits[] = {
        "News of the day.<p>",    "Version 1.2 out<br>", "Download here: <b>",
        "<a href=dl/a.lzh>x</a>", "Line\r\nbreaks</b> ", "<!-- c -->Notes <i>",
        "</i>Text in it.</p>",
    };
    std::string page;
    page.reserve(size + 32);
    for (std::size_t i = 0; page.size() < size; ++i)
        page += kUnits[i % std::size(kUnits)];
    page.resize(size);
    return page;
}

const std::string& page(std::size_t megabytes) {
    static const std::string small = generatePage(1 << 20);
    static const std::string large = generatePage(10 << 20);
    return megabytes == 1 ? small : large;
}

void TagRemovedCRC(benchmark::State& state) {
    const std::string& text = page(state.range(0));
    TVKestrinParser parser;
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.TagRemovedCRC(text));
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(TagRemovedCRC)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void ScanPage(benchmark::State& state) {
    const std::string& text = page(state.range(0));
    const std::vector<std::string> extensions = {".lzh", ".zip"};
    TVKestrinParser parser;
    std::string title;
    std::vector<std::string> links;
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.ScanPage(text, title, extensions, links));
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(ScanPage)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void ReferenceTagRemovedCRC(benchmark::State& state) {
    const std::string& text = page(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(test::referenceTagRemovedCRC(text));
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(ReferenceTagRemovedCRC)->Iterations(1)->Unit(benchmark::kMillisecond);

void ReferenceScanPage(benchmark::State& state) {
    const std::string& text = page(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(test::referenceScanPage(text, {".lzh", ".zip"}));
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(ReferenceScanPage)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrin
