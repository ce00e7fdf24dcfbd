#include "app/AuthorTab.h"

#include "platform/Dialogs.h"
#include "platform/Shell.h"

namespace kestrin {

bool openAuthorSite(const AuthorRow& author) {
    if (author.url.find("http://") != std::string::npos) return openAddress(author.url);
    dialogs().messageBox(
        "まだ一度も作者の情報を調べていないか，URL が不正です\r\n"
        "選択している作者の方をチェックして，一度更新情報を取得して下さい",
        "URL 未取得の作者", DialogIcon::Information, DialogButtons::Ok);
    return false;
}

}  // namespace kestrin
