#include "app/CheckRun.h"

#include <ctime>

#include <stdexcept>
#include <thread>

#include "clock/NetTimeSync.h"
#include "define/DefineEngine.h"
#include "define/KestrinTree.h"
#include "platform/Dialogs.h"
#include "platform/MessagePump.h"
#include "platform/SystemClock.h"

namespace kestrin {

NetTimeSynchronizer::NetTimeSynchronizer(const CheckRunSettings& settings,
                                         std::function<void(const std::string&)> onStatus,
                                         bool waitForEnd)
    : server_(settings.ntpServer),
      timeOut_(settings.ntpTimeOut),
      allowableError_(settings.ntpAllowableError),
      onStatus_(std::move(onStatus)),
      waitForEnd_(waitForEnd) {}

void NetTimeSynchronizer::synchronize() {
    auto sync = std::make_unique<TVNetTimeSync>();
    sync->Server = server_;
    sync->TimeOut = timeOut_;
    sync->AllowableError = allowableError_;
    if (serverPort) sync->ServerPort = *serverPort;
    if (localPort) sync->LocalPort = *localPort;
    sync->OnStatus = [report = onStatus_](TVNetTimeSync&, const std::string& message) {
        if (report) report("NTP: " + message);
    };
    TVNetTimeSync::Sync(std::move(sync));
    // The synchronisation's own give-up timer bounds this wait.
    while (waitForEnd_ && TVNetTimeSync::pendingCount() > 0) {
        messagePump().processMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::vector<DefineRow> listDefineRows(const std::string& folder) {
    std::vector<DefineRow> rows;
    TVKestrinTree tree(true);
    tree.OnInitialize = [&](TVKestrinTree&) { rows.clear(); };
    tree.OnDisplayItem = [&](TVKestrinTree&, const TVDefineItem& item, std::int32_t,
                             bool lastItem) {
        if (!lastItem) rows.push_back({item.TermName, item.ItemPath, item.Checked});
    };
    tree.Rebuild();  // lists the top node: every item of every folder
    if (folder.empty()) return rows;

    std::string wanted = folder;
    while (!wanted.empty() && wanted.back() == '/')
        wanted.pop_back();
    wanted += "/";
    for (std::size_t index = 1; index < tree.FolderList.size(); ++index) {
        if (tree.FolderList[index] != wanted) continue;
        tree.Select(tree.NodeOfFolder(static_cast<std::int32_t>(index)));
        return rows;
    }
    throw std::runtime_error("no define folder '" + folder + "' in " + tree.RootPath);
}

std::string todayText() {
    const std::time_t now = std::chrono::system_clock::to_time_t(systemClock().now());
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y/%m/%d", &local);
    return text;
}

void tellIfNoAuthors(const std::vector<AuthorRow>& authors) {
    if (authors.empty())
        dialogs().messageBox("対応している作者が一人もいません\r\n実行できません", "作者不在",
                             DialogIcon::Error, DialogButtons::Ok);
}

CheckRun::CheckRun(CheckRunSettings settings, SharedStopFlag stop)
    : settings_(std::move(settings)), stop_(std::move(stop)), authorRun_(stop_) {}

CheckRun::~CheckRun() = default;

CheckResults CheckRun::run(const std::vector<AuthorRow>& authors, bool noSaveChecked,
                           const std::vector<DefineRow>& defineRows) {
    tellIfNoAuthors(authors);
    begin();
    runAuthorPhase(authors, noSaveChecked);
    runDefinePhase(defineRows);
    return finish();
}

void CheckRun::begin() {
    results_ = CheckResults{};
    stop_->clear();
}

void CheckRun::runAuthorPhase(const std::vector<AuthorRow>& authors, bool noSaveChecked) {
    AuthorProgress progress(authorObserver);
    authorRun_.settings = settings_.author;
    authorRun_.noSaveChecked = noSaveChecked;
    AuthorCheckResults found =
        authorRun_.RunAuthorChecks(authors, results_.newerFormatSeen, progress);
    results_.rows = std::move(found.rows);
    results_.notices = std::move(found.notices);
}

CheckResults CheckRun::finish() {
    results_.cancelled = stop_->isSet();
    if (!results_.cancelled && settings_.ntpAutoSync && clock) clock->synchronize();
    stop_->set();
    return std::move(results_);
}

bool CheckRun::cancel() {
    if (stop_->isSet()) return false;
    bool stopped = authorRun_.abortTransfer();
    if (defineEngine_ && defineEngine_->CancelTransfer()) {
        stop_->set();
        stopped = true;
    }
    return stopped;
}

void configureDefineEngine(TVKestrinDefineEngine& engine, const CheckRunSettings& settings) {
    const ProxySettings& proxy = settings.author.proxy;
    if (proxy.UseProxy) {
        engine.ProxyHost = proxy.ProxyAddress;
        engine.ProxyPort = proxy.ProxyPort;
        engine.DisableProxyCache = proxy.DisableProxyCache;
        engine.UseAuthenticate = proxy.UseAuthenticate;
        engine.ProxyUserID = proxy.UserID;
        engine.ProxyPassword = proxy.Password;
    }
    engine.ExtList = settings.extensions;
}

void CheckRun::runDefinePhase(const std::vector<DefineRow>& rows) {
    DefineProgress progress(defineObserver);
    progress.start(static_cast<int>(rows.size()));
    if (stop_->isSet()) return;

    TVKestrinDefineEngine engine;
    engine.OnProgress = [this](TVKestrinDefineEngine&, int position, int maximum,
                               const std::string& message,
                               int phase) { defineReport(position, maximum, message, phase); };
    configureDefineEngine(engine, settings_);
    defineEngine_ = &engine;
    defineProgress_ = &progress;

    const std::string today = todayText();
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const DefineRow& row = rows[index];
        if (!row.checked) continue;
        if (stop_->isSet()) break;
        progress.beginItem(row.caption);
        checkItem(row, engine, today);
        progress.endItem(static_cast<int>(index) + 1);
    }
    defineEngine_ = nullptr;
    defineProgress_ = nullptr;
}

void CheckRun::checkItem(const DefineRow& row, TVKestrinDefineEngine& engine,
                         const std::string& today) {
    try {
        engine.DefineFile = row.itemPath;
        engine.PrepareTransfer();
        if (!engine.CheckItem()) return;
        const TVDefineItem& item = engine.WorkItem;
        const bool noError = item.Error.empty() || item.Error == kNoError;
        results_.rows.push_back(
            ResultsRow{kDefineRowCaption, item.TermName, "?", today, item.PageURL, "", "",
                       noError ? "【更新判定理由】#r" + item.Update : "【エラー】#r" + item.Error});
    } catch (const std::exception&) {
        stop_->set();
        dialogs().messageBox("検索は途中でキャンセルされました", "キャンセル", DialogIcon::Error,
                             DialogButtons::Ok);
    }
}

// The engine's status reports: a failure text becomes an error box (unless suppressed), the
// rest moves the define page's bar and work line.
void CheckRun::defineReport(int position, int maximum, const std::string& message, int phase) {
    if (!message.empty()) {
        if (!settings_.author.restrainError)
            dialogs().messageBox(message, "HTTP エラー", DialogIcon::Error, DialogButtons::Ok);
        return;
    }
    if (defineProgress_) defineProgress_->report(position, maximum, phase);
}

}  // namespace kestrin
