#include "app/Results.h"

#include "platform/Dialogs.h"

namespace kestrin {

const std::array<std::string, 8>& resultsColumnCaptions() {
    static const std::array<std::string, 8> captions{
        "作者",   "更新ソフト名", "バージョン", "更新日付",
        "入手先", "キーの名前",   "新ビルド",   "ソフトへのコメント",
    };
    return captions;
}

std::string summarySentence(const CheckResults& results, bool withTabs) {
    if (results.rows.empty() && results.notices.empty())
        return "更新ファイルや情報は見つかりませんでした。後日，再度実行してみて下さい。";
    return std::string("更新ファイルや情報が見つかりました。") +
           (withTabs ? "各タブを確認してください。" : "") +
           "* 印のついているソフトの情報は，必ずチェックするようにしてください。";
}

ResultsPage resultsPage(const CheckResults& results, bool ringSound) {
    ResultsPage page;
    page.summary = summarySentence(results);
    page.updatesTab = !results.rows.empty();
    page.noticesTab = !results.notices.empty();
    page.pages = page.updatesTab || page.noticesTab;
    page.playSound = page.updatesTab && ringSound;
    return page;
}

void tellNewerFormat() {
    dialogs().messageBox(
        "Kestrinの新バージョンを使った情報ファイルが見つかりました\r\nKestrinの新バージョンを入手"
        "して下さい(上位互換性はあります)\r\n旧バージョンのままご使用になると，作者からの情報が"
        "わかりにくくなることがあります",
        "Kestrin新バージョン検出", DialogIcon::Information, DialogButtons::Ok);
}

std::string rowHint(const ResultsRow& row) {
    return expandLineBreaks(row.comment);
}

std::string noticeLabel(const std::string& author) {
    return author + " さんからの情報(&I)：";
}

std::string noticeHeading(const std::string& author) {
    return author + " さんからの情報:";
}

}  // namespace kestrin
