#include "app/ResultsNotification.h"

#include <string>
#include <vector>

#include "platform/VersionInfo.h"

namespace kestrin {

namespace {

// "A、B、C ほか 2 件": the first names and how many more there are.
std::string firstNames(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kNotifiedNames; ++i)
        text += (i ? "、" : "") + names[i];
    if (names.size() > kNotifiedNames)
        text += " ほか " + std::to_string(names.size() - kNotifiedNames) + " 件";
    return text;
}

// The results list marks a row with a comment by "* " in front of its name.
std::string plainName(const ResultsRow& row) {
    const std::string& name = row.displayName;
    return name.rfind("* ", 0) == 0 ? name.substr(2) : name;
}

}  // namespace

std::optional<DesktopNotification> resultsNotification(const CheckResults& results) {
    if (results.rows.empty() && results.notices.empty()) return std::nullopt;
    std::vector<std::string> lines;
    if (!results.rows.empty()) {
        std::vector<std::string> names;
        for (const ResultsRow& row : results.rows)
            names.push_back(plainName(row));
        lines.push_back("更新が " + std::to_string(names.size()) +
                        " 件見つかりました: " + firstNames(names));
    }
    if (!results.notices.empty()) {
        std::vector<std::string> authors;
        for (const AuthorNotice& notice : results.notices)
            authors.push_back(notice.author);
        lines.push_back("作者からの情報が " + std::to_string(authors.size()) +
                        " 件あります: " + firstNames(authors));
    }

    DesktopNotification notification;
    notification.appName = versionInfo().productName;
    notification.summary = versionInfo().productName;
    notification.icon = versionInfo().applicationId;
    notification.desktopEntry = versionInfo().applicationId;
    for (const std::string& line : lines)
        notification.body += (notification.body.empty() ? "" : "\n") + line;
    return notification;
}

}  // namespace kestrin
