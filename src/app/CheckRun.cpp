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

CheckRun::CheckRun(CheckRunSettings settings)
    : settings_(std::move(settings)), authorRun_(cancelled_) {}

CheckRun::~CheckRun() = default;

CheckResults CheckRun::run(const std::vector<AuthorRow>& authors, bool noSaveChecked,
                           const std::vector<DefineRow>& defineRows) {
    CheckResults results;
    if (authors.empty()) {
        // Said, and the run goes on: the define phase has work of its own.
        dialogs().messageBox("対応している作者が一人もいません\r\n実行できません", "作者不在",
                             DialogIcon::Error, DialogButtons::Ok);
    }
    cancelled_ = false;

    AuthorProgress progress(authorObserver);
    authorRun_.settings = settings_.author;
    authorRun_.noSaveChecked = noSaveChecked;
    AuthorCheckResults found =
        authorRun_.RunAuthorChecks(authors, results.newerFormatSeen, progress);
    results.rows = std::move(found.rows);
    results.notices = std::move(found.notices);

    runDefineChecks(defineRows, results.rows);

    results.cancelled = cancelled_;
    if (!cancelled_ && settings_.ntpAutoSync && clock) clock->synchronize();
    cancelled_ = true;
    return results;
}

bool CheckRun::cancel() {
    if (cancelled_) return false;
    bool stopped = authorRun_.abortTransfer();
    if (defineEngine_ && defineEngine_->CancelTransfer()) {
        cancelled_ = true;
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

void CheckRun::runDefineChecks(const std::vector<DefineRow>& rows, std::vector<ResultsRow>& found) {
    defineState_ = DefineProgressState{};
    defineState_.workText = "待機しています...";
    defineState_.maximum = static_cast<int>(rows.size());
    if (defineObserver) defineObserver->defineProgressChanged(defineState_);
    if (cancelled_) return;

    TVKestrinDefineEngine engine;
    defineEngine_ = &engine;
    engine.OnProgress = [this](TVKestrinDefineEngine&, int position, int maximum,
                               const std::string& message,
                               int phase) { defineProgress(position, maximum, message, phase); };
    configureDefineEngine(engine, settings_);

    const std::string today = todayText();
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const DefineRow& row = rows[index];
        if (!row.checked) continue;
        if (cancelled_) break;
        defineState_.itemMessage = row.caption +
                                   " の情報を取得して解析をしています。条件によっては，時間がかかる"
                                   "ことがあります。しばらくお待ち下さい...";
        if (defineObserver) defineObserver->defineProgressChanged(defineState_);
        try {
            engine.DefineFile = row.itemPath;
            engine.PrepareTransfer();
            if (engine.CheckItem()) {
                const TVDefineItem& item = engine.WorkItem;
                const bool noError = item.Error.empty() || item.Error == kNoError;
                found.push_back(ResultsRow{
                    kDefineRowCaption, item.TermName, "?", today, item.PageURL, "", "",
                    noError ? "【更新判定理由】#r" + item.Update : "【エラー】#r" + item.Error});
            }
        } catch (const std::exception&) {
            cancelled_ = true;
            dialogs().messageBox("検索は途中でキャンセルされました", "キャンセル",
                                 DialogIcon::Error, DialogButtons::Ok);
        }
        defineState_.position = static_cast<int>(index) + 1;
        if (defineObserver) defineObserver->defineProgressChanged(defineState_);
    }
    defineEngine_ = nullptr;
}

// The engine's status reports: a failure text becomes an error box (unless suppressed), the
// rest moves the define page's transfer bar and work line.
void CheckRun::defineProgress(int position, int maximum, const std::string& message, int phase) {
    if (!message.empty()) {
        if (!settings_.author.restrainError)
            dialogs().messageBox(message, "HTTP エラー", DialogIcon::Error, DialogButtons::Ok);
        return;
    }
    if (phase == 0) {
        defineState_.analysisPosition = position;
        defineState_.analysisMaximum = maximum;
        defineState_.workText = "進行状況: " + std::to_string(position) +
                                (maximum ? "/" + std::to_string(maximum) : "") + " バイト受信";
    } else if (phase == 1) {
        defineState_.workText = "HTML を解析しています... (キャンセル不可)";
    } else if (phase == 2) {
        defineState_.workText = "タグ除去 CRC を求めています... (キャンセル不可)";
    }
    if (defineObserver) defineObserver->defineProgressChanged(defineState_);
    messagePump().processMessages();
}

}  // namespace kestrin
