#pragma once
// The detail dialog's decisions: removing an author from the catalogue, or only some of its
// software. The dialog lists the author's software with each program's icon; OK asks for
// confirmation through the dialog service and deletes after Yes, while No keeps the dialog open
// for another choice.

#include <cstddef>
#include <string>
#include <vector>

namespace kestrin {

// One piece of the author's software as the dialog lists it.
struct DetailSoftware {
    std::string caption;      // "DisplayName", or "DistinctName" when it has none
    std::string key;          // the software key
    std::string filePath;     // "FilePath": the file whose icon stands for the software
    int iconIndex = 0;        // "IconIndex": which of the file's icons (0 when missing)
    bool fileExists = false;  // whether FilePath names an existing file; else "NOICON"

    bool operator==(const DetailSoftware&) const = default;
};

// The choice of the two radio buttons, by their Tag.
enum class DetailChoice { DeleteAuthor = 0, DeleteSoftware = 1 };

class SoftwareDetail {
  public:
    void SetAuthorName(const std::string& name) { authorName_ = name; }
    void SetAuthorKey(const std::string& key) { authorKey_ = key; }
    const std::string& AuthorName() const { return authorName_; }
    const std::string& AuthorKey() const { return authorKey_; }

    // Reads the author's software from the catalogue, in the store's enumeration order.
    const std::vector<DetailSoftware>& LoadSoftwareList();
    const std::vector<DetailSoftware>& SoftwareList() const { return software_; }

    // The click of either radio button: Tag 0 removes the whole author, any other Tag only the
    // software selected in the list, which is enabled exactly then.
    void rdbDeleteSoftwareClick(int tag);
    DetailChoice Choice() const { return choice_; }
    bool SoftwareListEnabled() const { return choice_ == DetailChoice::DeleteSoftware; }

    // OK, with the rows of the list that are selected (in any order): asks for confirmation
    // and after Yes deletes the author key, or the selected software keys. True when the dialog
    // closes with OK (after Yes, also when the store failed); false after No.
    bool btnOKClick(const std::vector<std::size_t>& selectedRows);

  private:
    // The author key from the root.
    std::string authorPath() const;
    bool deleteAuthor();
    bool deleteSoftware(std::vector<std::size_t> selectedRows);

    std::string authorName_;
    std::string authorKey_;
    std::vector<DetailSoftware> software_;
    DetailChoice choice_ = DetailChoice::DeleteAuthor;
};

}  // namespace kestrin
