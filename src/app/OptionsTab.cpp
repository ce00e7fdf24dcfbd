#include "app/OptionsTab.h"

#include "app/Settings.h"
#include "define/ArchiveExtensions.h"
#include "platform/Dialogs.h"

namespace kestrin {

bool askAndAddExtension(std::vector<std::string>& extensions) {
    const std::optional<std::string> typed =
        dialogs().inputBox("拡張子追加", "新規拡張子を入力して下さい(.xxx 形式)", "");
    if (!typed || !addExtension(extensions, *typed)) return false;
    saveExtensions(extensions);
    return true;
}

bool deleteExtension(std::vector<std::string>& extensions, std::optional<std::size_t> selected) {
    if (!selected || *selected >= extensions.size()) return false;
    extensions.erase(extensions.begin() + static_cast<std::ptrdiff_t>(*selected));
    saveExtensions(extensions);
    return true;
}

}  // namespace kestrin
