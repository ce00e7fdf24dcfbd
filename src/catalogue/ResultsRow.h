#pragma once
// What a check run finds: rows of the results list and the authors' notices. Filled by the
// update information evaluation (author rows) and by the define phase ("[定義]" rows).

#include <string>

namespace kestrin {

struct ResultsRow {
    std::string author;       // caption "作者": the author's name, or "[定義]"
    std::string displayName;  // 1 "更新ソフト名" ("* " in front when there is a comment)
    std::string version;      // 2 "バージョン"
    std::string date;         // 3 "更新日付"
    std::string source;       // 4 "入手先": where to get it
    std::string keyName;      // 5 "キーの名前": author key + "\" + software key
    std::string newBuild;     // 6 "新ビルド": the offered build in decimal
    std::string comment;      // 7 "ソフトへのコメント": "#r" marks line breaks

    bool operator==(const ResultsRow&) const = default;
};

// One author's notice to all users; "#r" marks line breaks.
struct AuthorNotice {
    std::string author;
    std::string text;

    bool operator==(const AuthorNotice&) const = default;
};

// The caption of a define phase row.
inline constexpr const char* kDefineRowCaption = "[定義]";

// A text of an update information file or a results comment as running text: every "#r"
// becomes `lineEnd`.
std::string expandLineBreaks(const std::string& text, const std::string& lineEnd = "\r\n");

}  // namespace kestrin
