#include "app/CommandLine.h"

#include <utility>

#include "platform/Dialogs.h"
#include "text/Ascii.h"

namespace kestrin {

std::optional<CheckOption> checkOptionNamed(std::string_view argument) {
    static const std::pair<const char*, CheckOption> options[] = {
        {"/check", CheckOption::Check},         {"/checkall", CheckOption::CheckAll},
        {"/checkauto", CheckOption::CheckAuto}, {"/preset", CheckOption::Preset},
        {"/revset", CheckOption::Revset},
    };
    const std::string lowered = asciiLowered(argument);
    for (const auto& [name, option] : options)
        if (lowered == name) return option;
    return std::nullopt;
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine commandLine;
    if (arguments.empty()) return commandLine;
    commandLine.option = checkOptionNamed(arguments[0]).value_or(CheckOption::None);
    if (commandLine.option == CheckOption::CheckAuto && arguments.size() > 1)
        commandLine.autoKey = arguments[1];
    return commandLine;
}

void applyCommandLine(const CommandLine& commandLine, std::vector<AuthorRow>& authors) {
    switch (commandLine.option) {
        case CheckOption::CheckAll:
            mnuAuthorCheck(authors, static_cast<int>(AuthorCheckTag::All));
            break;
        case CheckOption::CheckAuto:
            checkOnlyAuthor(authors, commandLine.autoKey);
            break;
        case CheckOption::Preset:
            mnuAuthorCheck(authors, static_cast<int>(AuthorCheckTag::LastChecked));
            break;
        case CheckOption::Revset:
            mnuAuthorCheck(authors, static_cast<int>(AuthorCheckTag::LastUnchecked));
            break;
        case CheckOption::None:
        case CheckOption::Check:
            break;
    }
}

bool confirmCommandLineRun(bool confirmAutoCheck) {
    if (!confirmAutoCheck) return true;
    return dialogs().messageBox(
               "自動的に更新検知を開始するオプションが指定されました\r\nこのまま開始する場合は "
               "[OK] を，今すぐ開始したくない場合は[キャンセル] を押してください",
               "自動実行の確認 - Kestrin 2001", DialogIcon::Question,
               DialogButtons::OkCancel) == DialogAnswer::Ok;
}

}  // namespace kestrin
