// CRC-32 alone: the sixteen-table calculation against the plain one-table loop.

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "define/CRC32Calc.h"
#include "support/ReferenceScanner.h"

namespace kestrin {
namespace {

std::string randomBytes(std::size_t size) {
    std::mt19937 random(1);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

void CalcBuffer(benchmark::State& state) {
    const std::string bytes = randomBytes(state.range(0));
    TCRC32Calc calc;
    for (auto _ : state)
        benchmark::DoNotOptimize(calc.CalcBuffer(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(CalcBuffer)->Arg(4 << 10)->Arg(1 << 20)->Arg(64 << 20);

void PlainTableCrc(benchmark::State& state) {
    const std::string bytes = randomBytes(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(test::referenceCrc32(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(PlainTableCrc)->Arg(1 << 20);

}  // namespace
}  // namespace kestrin
