// The define phase's two costs: listing a folder of 1,000 item files (each loaded and handed
// to OnDisplayItem), and checking 200 page-check items in header mode against a local nginx,
// with 200 `curl -I` calls in the same run for comparison. Items per second is the
// items_per_second column.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "define/DefineEngine.h"
#include "define/KestrinTree.h"
#include "support/RealServers.h"

extern char** environ;

namespace kestrin {
namespace {

constexpr int kListed = 1000;
constexpr int kChecked = 200;
const char* const kCurl = "/usr/bin/curl";

// One private Favorites folder with the listed items, and one nginx, for the whole run.
struct Setup {
    test::TempEnvironment env;
    std::string folder = (env.favorites() / "Kestrin 2001" / "Many").string() + "/";
    std::vector<std::string> checkedFiles;
    std::unique_ptr<test::NginxServer> nginx;

    Setup() {
        for (int i = 0; i < kListed; ++i) {
            TVDefineItem item;
            item.TermName = "Item " + std::to_string(i);
            item.ItemPath = folder + item.TermName + ".url";
            item.PageURL = "http://www.example.com/soft/" + std::to_string(i) + "/index.html";
            item.Checked = true;
            item.Error = kNoError;
            item.Option = kMethodPageCheck;
            item.PageTime = "Wed, 01 May 2002 10:00:00 GMT";
            item.PageSize = 4096;
            TVKestrinDefineItem().SaveItem(item);
        }
    }

    // Items whose stored time is the page's, so every check is a HEAD and no news.
    void startServer() {
        nginx = std::make_unique<test::NginxServer>();
        nginx->addFile("page.html", "<html><title>Page</title><p>text</p></html>");
        TVKestrinDefineEngine probe;
        probe.PrepareTransfer();
        std::string modified;
        probe.GetLastModified(nginx->url("/page.html"), modified);
        std::string checkFolder = (env.favorites() / "Kestrin 2001" / "Checked").string() + "/";
        for (int i = 0; i < kChecked; ++i) {
            TVDefineItem item;
            item.TermName = "Page " + std::to_string(i);
            item.ItemPath = checkFolder + item.TermName + ".url";
            item.PageURL = nginx->url("/page.html");
            item.Checked = true;
            item.Option = kMethodPageCheck;
            item.PageTime = modified;
            TVKestrinDefineItem().SaveItem(item);
            checkedFiles.push_back(item.ItemPath);
        }
    }
};

Setup& setup() {
    static Setup shared;
    return shared;
}

void BM_ListFolderOf1000Items(benchmark::State& state) {
    Setup& local = setup();
    TVKestrinTree tree(false);
    tree.Rebuild();
    auto many = std::find(tree.FolderList.begin(), tree.FolderList.end(), "Many/");
    TreeNode* node = tree.NodeOfFolder(std::int32_t(many - tree.FolderList.begin()));
    int displayed = 0;
    tree.OnDisplayItem = [&](TVKestrinTree&, const TVDefineItem& item, int, bool last) {
        if (!last && item.Checked) ++displayed;
    };
    for (auto _ : state) {
        displayed = 0;
        tree.Select(node);
        if (displayed != kListed) state.SkipWithError("not every item was listed");
    }
    benchmark::DoNotOptimize(local.folder);
    state.SetItemsProcessed(state.iterations() * kListed);
}

Setup* serverSetup(benchmark::State& state) {
    if (auto why = test::NginxServer::unavailable(); !why.empty()) {
        state.SkipWithError(why.c_str());
        return nullptr;
    }
    Setup& local = setup();
    if (!local.nginx) local.startServer();
    return &local;
}

void BM_Check200ItemsByHeaders(benchmark::State& state) {
    Setup* local = serverSetup(state);
    if (!local) return;
    TVKestrinDefineEngine engine;
    for (auto _ : state) {
        for (const auto& file : local->checkedFiles) {
            engine.DefineFile = file;
            engine.PrepareTransfer();
            if (engine.CheckItem()) state.SkipWithError("a check found news or an error");
        }
    }
    state.SetItemsProcessed(state.iterations() * kChecked);
}

void BM_Curl200HeadRequests(benchmark::State& state) {
    Setup* local = serverSetup(state);
    if (!local) return;
    if (::access(kCurl, X_OK) != 0) {
        state.SkipWithError("curl is not installed");
        return;
    }
    const std::string url = local->nginx->url("/page.html");
    for (auto _ : state) {
        for (int i = 0; i < kChecked; ++i) {
            const char* argv[] = {kCurl, "-s", "-f", "-I", "-o", "/dev/null", url.c_str(), nullptr};
            pid_t pid = -1;
            int status = 0;
            if (posix_spawn(&pid, kCurl, nullptr, nullptr, const_cast<char**>(argv), environ) !=
                    0 ||
                ::waitpid(pid, &status, 0) != pid || status != 0)
                state.SkipWithError("curl failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * kChecked);
}

BENCHMARK(BM_ListFolderOf1000Items)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_Check200ItemsByHeaders)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_Curl200HeadRequests)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace
}  // namespace kestrin
