#include "catalogue/AuthorCheckRun.h"

#include "catalogue/UpdateInfo.h"
#include "net/Conventions.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace kestrin {

std::filesystem::path downloadFilePath() {
    return stateFolder() / "Download.inf";
}

AuthorCheckRun::AuthorCheckRun(SharedStopFlag stop) : stop_(std::move(stop)) {
    prepareClient(http_);
    http_.InputFileMode = true;
    // An update information file is a few kilobytes; a server that sends without end must
    // not fill the disk.
    http_.MaxFileBody = kMaxUpdateInfoBytes;
    attachHandlers();
}

void AuthorCheckRun::attachHandlers() {
    http_.OnConnect = [this] {
        if (progress_) progress_->connected();
    };
    http_.OnInvalidHost = [this](bool& handled) {
        std::optional<std::string> host =
            dialogs().inputBox("存在しないホスト", "ホスト名を入力して下さい:", "");
        if (host) {
            http_.Host = *host;
            handled = true;
        } else {
            stop_->set();
        }
    };
    http_.OnConnectionFailed = [this] { error("接続エラーが発生しました", "接続エラー"); };
    http_.OnFailure = [this](HttpCommand command) {
        error("HTTP プロトコルエラー: " + failureText(command) + "\r\nエラーコード：" +
                  std::to_string(http_.lastErrorNumber()),
              "接続エラー");
    };
    http_.OnAboutToSend = [this] { setClosingHeaders(http_.sendHeaders(), settings.proxy); };
}

void AuthorCheckRun::error(const std::string& text, const std::string& caption) {
    if (!settings.restrainError)
        dialogs().messageBox(text, caption, DialogIcon::Error, DialogButtons::Ok);
}

AuthorCheckResults AuthorCheckRun::RunAuthorChecks(const std::vector<AuthorRow>& authors,
                                                   bool& newerFormatSeen,
                                                   AuthorProgress& progress) {
    AuthorCheckResults results;
    newerFormatSeen = false;
    progress_ = &progress;
    useProxy(http_, settings.proxy);
    progress.start(3 * static_cast<int>(authors.size()));

    const fs::path localFile = downloadFilePath();
    std::error_code ignored;
    fs::create_directories(localFile.parent_path(), ignored);

    for (const AuthorRow& author : authors) {
        if (stop_->isSet()) {
            progress_ = nullptr;
            return results;
        }
        progress.beginAuthor();
        if (!noSaveChecked) storeCheckMark(author);
        if (author.checked) {
            std::string host, url;
            readAddress(author.key, host, url);
            progress.fetching(author.name, host);
            bool evaluable = download(url);
            if (!fs::exists(localFile)) {
                // Told even when error boxes are suppressed: nothing at all came of the author.
                dialogs().messageBox("アップデートファイルがありません", "情報ファイルエラー",
                                     DialogIcon::Error, DialogButtons::Ok);
                evaluable = false;
            }
            if (evaluable) {
                UpdateInfoResult found = EvaluateUpdateInfo(localFile, author.key, author.name,
                                                            newerFormatSeen, &progress);
                results.rows.insert(results.rows.end(), found.rows.begin(), found.rows.end());
                if (found.notice) results.notices.push_back(*found.notice);
            }
        }
        progress.endAuthor();
    }
    fs::remove(localFile, ignored);
    progress_ = nullptr;
    return results;
}

void AuthorCheckRun::storeCheckMark(const AuthorRow& author) {
    TVRegEx reg;
    reg.OpenRenvaneKey(author.key);
    reg.WriteBool("Checked", author.checked);
}

void AuthorCheckRun::readAddress(const std::string& authorKey, std::string& host,
                                 std::string& url) {
    TVRegEx reg;
    reg.OpenRenvaneKey(authorKey);
    host = readCatalogueString(reg, "DisplayHost").value_or("");
    url = readCatalogueString(reg, "InfoURL").value_or("");
    // The highest of an unbroken run "InfoURL2", "InfoURL3", ... replaces "InfoURL".
    for (int n = 2;; ++n) {
        std::optional<std::string> newer = readCatalogueString(reg, "InfoURL" + std::to_string(n));
        if (!newer) break;
        url = *newer;
    }
}

bool AuthorCheckRun::download(const std::string& url) {
    try {
        http_.Body = downloadFilePath().string();
        http_.Get(url);
        return true;
    } catch (const std::exception&) {
        if (stop_->isSet()) {
            dialogs().messageBox("キャンセルしました", "キャンセル", DialogIcon::Information,
                                 DialogButtons::Ok);
            http_.Abort();
        } else {
            error(
                "ホストに接続できませんでした\r\n0 "
                "以外のエラーが頻繁に起こるようでしたらご連絡下さい"
                "\r\n\r\nエラーコード: " +
                    std::to_string(http_.lastErrorNumber()) +
                    "\r\n\r\n※プロキシに問題がある場合が多いので，確認してください",
                "接続エラー");
            progress_->transferFailed();
        }
        return false;
    }
}

bool AuthorCheckRun::abortTransfer() {
    if (!http_.connected()) return false;
    stop_->set();
    http_.Abort();
    return true;
}

}  // namespace kestrin
