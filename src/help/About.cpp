#include "help/About.h"

#include <vector>

#include "platform/Dialogs.h"
#include "platform/VersionInfo.h"

namespace kestrin {

namespace {

constexpr const char* kReadHelpFirst =
    "お問い合わせになる前に，必ずサポートについてのヘルプをご覧下さい\r\n"
    "ヘルプを無視したサポートにはお答えできません";
constexpr const char* kReadHelpFirstCaption = "ヘルプ参照のお願い";

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The four dot-separated fields of a file version, trimmed; missing ones empty.
std::vector<std::string> versionFields(std::string_view version) {
    std::vector<std::string> fields;
    while (fields.size() < 3) {
        auto dot = version.find('.');
        fields.emplace_back(trimmed(version.substr(0, dot)));
        version = dot == std::string_view::npos ? std::string_view() : version.substr(dot + 1);
    }
    fields.emplace_back(trimmed(version));
    return fields;
}

}  // namespace

std::string aboutVersionText(std::string_view fileVersion, std::string_view fileDescription) {
    auto field = versionFields(fileVersion);
    std::string text = "Version " + field[0] + "." + field[1] + field[2];
    if (!fileDescription.empty()) text += " " + std::string(fileDescription);
    return text + " (Build " + field[3] + ")";
}

std::string ownAboutVersionText() {
    return aboutVersionText(versionInfo().fileVersion, versionInfo().fileDescription);
}

bool openSupportMail(const std::string& address, const OpenAddress& open) {
    dialogs().messageBox(kReadHelpFirst, kReadHelpFirstCaption, DialogIcon::Warning,
                         DialogButtons::Ok);
    return open("mailto:" + address);
}

}  // namespace kestrin
