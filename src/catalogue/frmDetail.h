#pragma once
// The detail dialog: removes an author from the catalogue, or only some of its software, which
// it shows as large icons. The main window gives it the author's name and key and shows it
// modally; after OK the main window fills its author list again.

#include <QDialog>
#include <memory>
#include <string>

#include "catalogue/SoftwareDetail.h"

namespace Ui {
class TfrmDetail;
}

namespace kestrin {

class TfrmDetail : public QDialog {
    Q_OBJECT

  public:
    explicit TfrmDetail(QWidget* parent = nullptr);
    ~TfrmDetail() override;

    void SetAuthorName(const std::string& name);
    void SetAuthorKey(const std::string& key);

    // What the main window's "リストから削除" does: shows the dialog for one author, modally
    // over `owner`; true when it closed with OK (the author list is then filled again).
    static bool Execute(QWidget* owner, const std::string& authorName,
                        const std::string& authorKey);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    void LoadSoftwareList();
    void rdbDeleteSoftwareClick(bool checked);
    void btnOKClick();

    std::unique_ptr<Ui::TfrmDetail> ui;
    SoftwareDetail detail_;
};

}  // namespace kestrin
