// Downloads a 100 MB file from a local nginx with TNMHTTP, into a file and into memory, and
// with curl in the same run for comparison. Throughput is the bytes_per_second column.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "net/Conventions.h"
#include "support/RealServers.h"

extern char** environ;

namespace kestrin {
namespace {

constexpr std::uint64_t kFileSize = 100'000'000;
const char* const kCurl = "/usr/bin/curl";

// One nginx and one scratch folder for the whole run.
struct Setup {
    test::NginxServer nginx;
    test::TempFolder scratch;
    std::string url = nginx.url("/big.bin");
    Setup() { nginx.addSparseFile("big.bin", kFileSize); }
};

Setup* setup(benchmark::State& state) {
    static std::unique_ptr<Setup> shared;
    if (!shared) {
        if (auto why = test::NginxServer::unavailable(); !why.empty()) {
            state.SkipWithError(why.c_str());
            return nullptr;
        }
        shared = std::make_unique<Setup>();
    }
    return shared.get();
}

void download(benchmark::State& state, bool intoFile) {
    Setup* local = setup(state);
    if (!local) return;
    TNMHTTP http;
    prepareClient(http);
    http.OnAboutToSend = [&] { setClosingHeaders(http.sendHeaders(), ProxySettings{}); };
    http.InputFileMode = intoFile;
    const std::string target = (local->scratch / "kestrin.bin").string();
    for (auto _ : state) {
        if (intoFile) http.Body = target;
        http.Get(local->url);
        if (static_cast<std::uint64_t>(http.bytesReceived()) != kFileSize)
            state.SkipWithError("short download");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}

void curl(benchmark::State& state, const std::string& output) {
    Setup* local = setup(state);
    if (!local) return;
    if (::access(kCurl, X_OK) != 0) {
        state.SkipWithError("curl is not installed");
        return;
    }
    for (auto _ : state) {
        const char* argv[] = {kCurl, "-s", "-f", "-o", output.c_str(), local->url.c_str(), nullptr};
        pid_t pid = -1;
        int status = 0;
        if (posix_spawn(&pid, kCurl, nullptr, nullptr, const_cast<char**>(argv), environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid || status != 0)
            state.SkipWithError("curl failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}

void BM_KestrinIntoFile(benchmark::State& state) {
    download(state, true);
}
void BM_CurlIntoFile(benchmark::State& state) {
    Setup* local = setup(state);
    if (local) curl(state, (local->scratch / "curl.bin").string());
}
void BM_KestrinIntoMemory(benchmark::State& state) {
    download(state, false);
}
void BM_CurlIntoDevNull(benchmark::State& state) {
    curl(state, "/dev/null");
}

BENCHMARK(BM_KestrinIntoFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_CurlIntoFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_KestrinIntoMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_CurlIntoDevNull)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace
}  // namespace kestrin
