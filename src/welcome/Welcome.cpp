#include "welcome/Welcome.h"

#include <exception>
#include <filesystem>

#include "define/DefineItem.h"
#include "platform/Dialogs.h"

namespace fs = std::filesystem;

namespace kestrin {

namespace {

constexpr const char* kOldDefineFileName = "Renvane.udi";
constexpr const char* kConvertedText = "コンバートと再読込を完了しました";
constexpr const char* kConvertedCaption = "完了";
constexpr const char* kFailedCaption = "コンバートエラー";
constexpr const char* kNoFileText = "コンバート元の Renvane.udi ファイルを指定してください";
constexpr const char* kStoppedText = "コンバートを中止しました";
constexpr const char* kHelpMissingText =
    "ヘルプファイルが見つかりません。インストール時にオプションをオフにしていた場合は，"
    "再度上書きしてセットアップを行ってください。";

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool fails(ConversionView& view, const std::string& reason) {
    view.setAnimationPlaying(false);
    view.clearProgress();
    dialogs().messageBox(reason + "\r\n" + kStoppedText, kFailedCaption, DialogIcon::Error,
                         DialogButtons::Ok);
    return false;
}

}  // namespace

bool WelcomeWizard::next() {
    if (page_ == kWelcomeLastPage) return true;
    ++page_;
    return false;
}

void WelcomeWizard::back() {
    page_ = page_ == 0 ? kWelcomeLastPage : page_ - 1;
}

const std::vector<WelcomeLink>& welcomeProductPages(int tag) {
    static const std::vector<WelcomeLink> cli{
        {"kestrin-cli の紹介", "https://kestrin.example.org/cli/"},
        {"kestrin-cli で定期チェック", "https://kestrin.example.org/cli/schedule.html"},
        {"kestrin-cli の診断コマンド", "https://kestrin.example.org/cli/diagnostics.html"},
    };
    static const std::vector<WelcomeLink> kit{
        {"対応ソフト作成キットの紹介", "https://kestrin.example.org/kit/"},
        {"アップデート情報ファイルの書式", "https://kestrin.example.org/kit/update-info.html"},
        {"対応ソフトの登録 (kestrin-cli reg)", "https://kestrin.example.org/kit/register.html"},
    };
    static const std::vector<WelcomeLink> none;
    return tag == 0 ? cli : tag == 1 ? kit : none;
}

bool convertOldDefineData(const std::string& oldFile, const std::string& rootPath,
                          ConversionView& view) {
    if (oldFile.empty()) return fails(view, kNoFileText);
    std::error_code error;
    if (!fs::exists(oldFile, error)) return fails(view, oldFile + " が見つかりません");
    view.setAnimationPlaying(true);
    try {
        TVKestrinDefineItem files;
        files.OnConvertProgress = [&](TVKestrinDefineItem&, std::int32_t index,
                                      std::int32_t maxIndex) {
            view.showProgress(index, maxIndex);
        };
        files.ConvertOldDefineFile(oldFile, rootPath);
    } catch (const std::exception& error) {
        // The items converted so far stay; the tree shows them.
        view.rebuildDefineTree();
        return fails(view, error.what());
    }
    view.rebuildDefineTree();
    dialogs().messageBox(kConvertedText, kConvertedCaption, DialogIcon::Information,
                         DialogButtons::Ok);
    view.setAnimationPlaying(false);
    view.clearProgress();
    return true;
}

std::string defaultOldDefineFile(const std::string& kestrinPath) {
    if (kestrinPath.empty()) return "";
    fs::path candidate = fs::path(kestrinPath).parent_path() / kOldDefineFileName;
    return isFile(candidate) ? candidate.string() : "";
}

std::string oldDefineDialogFile(const std::string& fieldText) {
    return !fieldText.empty() && isFile(fieldText) ? fieldText : "";
}

HelpCheck checkHelp(bool helpFound) {
    if (helpFound) return {true, true, ""};
    return {false, false, kHelpMissingText};
}

}  // namespace kestrin
