#include "catalogue/SoftwareDetail.h"

#include <algorithm>
#include <filesystem>

#include "catalogue/Catalogue.h"
#include "platform/Dialogs.h"

namespace kestrin {

namespace {

bool confirmed(const std::string& text, const char* caption) {
    return dialogs().messageBox(text, caption, DialogIcon::Question, DialogButtons::YesNo) ==
           DialogAnswer::Yes;
}

// Whether a key name names a key below the one it is added to: the store ignores backslashes at
// either end, so an empty name or one of backslashes alone would name that key itself (for the
// author key: the root, with every setting and every author).
bool namesSubkey(const std::string& name) {
    return name.find_first_not_of('\\') != std::string::npos;
}

}  // namespace

const std::vector<DetailSoftware>& SoftwareDetail::LoadSoftwareList() {
    software_.clear();
    TVRegEx reg;
    if (!namesSubkey(authorKey_) || !reg.OpenKey(authorPath(), false)) return software_;
    for (const std::string& key : reg.GetKeyNames()) {
        if (!reg.OpenKey(authorPath() + "\\" + key, false)) continue;
        DetailSoftware software;
        software.caption = readCatalogueString(reg, "DisplayName")
                               .value_or(readCatalogueString(reg, "DistinctName").value_or(""));
        software.key = key;
        software.filePath = readCatalogueString(reg, "FilePath").value_or("");
        software.iconIndex = readCatalogueInteger(reg, "IconIndex").value_or(0);
        std::error_code error;
        software.fileExists =
            !software.filePath.empty() && std::filesystem::exists(software.filePath, error);
        software_.push_back(std::move(software));
    }
    return software_;
}

void SoftwareDetail::rdbDeleteSoftwareClick(int tag) {
    choice_ = tag == 0 ? DetailChoice::DeleteAuthor : DetailChoice::DeleteSoftware;
}

bool SoftwareDetail::btnOKClick(const std::vector<std::size_t>& selectedRows) {
    return choice_ == DetailChoice::DeleteAuthor ? deleteAuthor() : deleteSoftware(selectedRows);
}

std::string SoftwareDetail::authorPath() const {
    return std::string(kRenvaneKey) + authorKey_;
}

bool SoftwareDetail::deleteAuthor() {
    const std::string text =
        "作者 " + authorName_ + " の情報全てを消去します" + "\r\n" +
        "ただし同じ作者のソフトウエアを再度利用されると，自動的に再登録されます" + "\r\n\r\n" +
        "削除してよろしいですか？";
    if (!confirmed(text, "作者削除の確認")) return false;
    if (!namesSubkey(authorKey_)) return true;
    try {
        TVRegEx reg;
        reg.DeleteKey(authorPath());
    } catch (const ERegistryException&) {
        // Not reported: the author list shows what is left.
    }
    return true;
}

bool SoftwareDetail::deleteSoftware(std::vector<std::size_t> selectedRows) {
    std::sort(selectedRows.begin(), selectedRows.end());
    selectedRows.erase(std::unique(selectedRows.begin(), selectedRows.end()), selectedRows.end());
    std::erase_if(selectedRows, [this](std::size_t row) { return row >= software_.size(); });

    std::string lines;
    for (std::size_t row : selectedRows)
        lines += "・" + software_[row].caption + "\r\n";
    const std::string text = "作者 " + authorName_ + " の次のソフトウエアの情報を削除します" +
                             "\r\n" +
                             "ただし同じソフトウエアを再度利用されると，自動的に再登録されます" +
                             "\r\n\r\n" + lines + "\r\n" + "よろしいですか？";
    if (!confirmed(text, "ソフトウエアの情報削除の確認")) return false;
    if (!namesSubkey(authorKey_) || selectedRows.empty()) return true;
    try {
        TVRegEx reg;
        Registry::Transaction transaction(reg.Store());
        for (std::size_t row : selectedRows) {
            if (namesSubkey(software_[row].key))
                reg.DeleteKey(authorPath() + "\\" + software_[row].key);
        }
        transaction.commit();
    } catch (const ERegistryException&) {
        // Not reported: the author list shows what is left.
    }
    return true;
}

}  // namespace kestrin
