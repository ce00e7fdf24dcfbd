// Replays every seed input and every input a fuzzer once broke on through the fuzz entries,
// under the normal build: a fixed fault stays fixed without a fuzzer.

#include <gtest/gtest.h>

#include <filesystem>

#include "hardening/FuzzEntries.h"
#include "support/TempEnvironment.h"

namespace fs = std::filesystem;

namespace kestrin {
namespace test {
void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}
}  // namespace test

namespace {

const fs::path kCrashers = fs::path(KESTRIN_TEST_DATA) / "fuzz";
const fs::path kSeeds = fs::path(KESTRIN_TEST_DATA).parent_path().parent_path() / "fuzz" / "corpus";

std::vector<fs::path> inputsIn(const fs::path& folder) {
    std::vector<fs::path> files;
    if (fs::is_directory(folder)) {
        for (const auto& entry : fs::directory_iterator(folder))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

class FuzzRegression : public testing::TestWithParam<test::FuzzTarget> {};

TEST_P(FuzzRegression, EveryKeptInputPasses) {
    test::TempEnvironment environment;
    const test::FuzzTarget& target = GetParam();
    auto inputs = inputsIn(kSeeds / target.name);
    auto crashers = inputsIn(kCrashers / target.name);
    inputs.insert(inputs.end(), crashers.begin(), crashers.end());
    EXPECT_FALSE(inputs.empty()) << "no seed corpus for " << target.name;
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.string());
        try {
            target.run(test::readFile(input));
        } catch (const test::FuzzFinding& found) {
            ADD_FAILURE() << found.what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegression, testing::ValuesIn(test::fuzzTargets()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrin
