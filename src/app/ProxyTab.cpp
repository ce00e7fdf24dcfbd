#include "app/ProxyTab.h"

#include "app/PasswordScramble.h"
#include "platform/Dialogs.h"

namespace kestrin {

ProxyEnabling proxyEnabling(bool useProxy, bool authenticate) {
    return {.server = useProxy, .authentication = useProxy && authenticate};
}

void tellProxyFromBrowser() {
    dialogs().messageBox("プロキシの設定が Internet Explorer から自動的に取得されました",
                         "プロキシの自動設定", DialogIcon::Information, DialogButtons::Ok);
}

bool passwordAccepted(const std::string& password) {
    const std::string problem = passwordProblem(password);
    if (problem.empty()) return true;
    dialogs().messageBox(problem, kPasswordErrorCaption, DialogIcon::Error, DialogButtons::Ok);
    return false;
}

}  // namespace kestrin
