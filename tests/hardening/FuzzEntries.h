#pragma once
// One entry point per parser that reads bytes written by someone else. The libFuzzer targets
// in fuzz/ call them with generated inputs; the hardening tests replay the seed corpora and
// every input a fuzzer once broke on through the same functions under the normal build.
//
// An entry returns normally whatever the input is, as long as the code under test behaves:
// errors the parser reports by design (exceptions, error texts) are part of normal behaviour.
// A broken promise (a differential mismatch, a lost value, a missing report) throws
// FuzzFinding, which is no std::exception so that no handler of the parser can swallow it; in
// a fuzzer it ends the run as a crash with the message printed.

#include <string>
#include <string_view>
#include <vector>

namespace kestrin::test {

struct FuzzFinding {
    std::string what;
};

struct FuzzTarget {
    const char* name;  // also the folder name of its corpus and of its regression inputs
    void (*run)(std::string_view input);
};

// Every target, in a fixed order.
const std::vector<FuzzTarget>& fuzzTargets();
// The target called `name`; nullptr when there is none.
const FuzzTarget* findFuzzTarget(std::string_view name);

}  // namespace kestrin::test
