// The libFuzzer entry of one fuzz target; KESTRIN_FUZZ_TARGET names the entry it calls.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "hardening/FuzzEntries.h"
#include "support/TempEnvironment.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The settings store, Favorites and state folder of a fuzzer are temporary ones.
    static kestrin::test::TempEnvironment environment;
    static const kestrin::test::FuzzTarget* target =
        kestrin::test::findFuzzTarget(KESTRIN_FUZZ_TARGET);
    if (!target) {
        std::fprintf(stderr, "no fuzz entry called %s\n", KESTRIN_FUZZ_TARGET);
        std::abort();
    }
    try {
        target->run({reinterpret_cast<const char*>(data), size});
    } catch (const kestrin::test::FuzzFinding& found) {
        std::fprintf(stderr, "fuzz finding: %s\n", found.what.c_str());
        std::abort();
    }
    return 0;
}
