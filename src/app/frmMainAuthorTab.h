#pragma once
// The author tab of the setting-up page (TabSheet6, "対応作者リスト"): the authors registered in
// the catalogue with their check marks (only checked authors are fetched in a run), the menu
// ppmCheck that sets the marks, and the author's web page; laid out in frmMainAuthorTab.ui.

#include <QWidget>
#include <memory>
#include <vector>

#include "app/Settings.h"
#include "catalogue/Catalogue.h"

class QMenu;
class QAction;

namespace Ui {
class TfrmMainAuthorTab;
}

namespace kestrin {

class TfrmMainAuthorTab : public QWidget {
    Q_OBJECT

  public:
    explicit TfrmMainAuthorTab(QWidget* parent = nullptr);
    ~TfrmMainAuthorTab() override;

    // The column widths and mnuReflect, which decides the marks of the next FillAuthorList.
    void load(const Settings& settings);
    void store(Settings& settings) const;

    // Lists the authors of the catalogue anew.
    void FillAuthorList();
    // The authors in list order with their check marks as the user left them.
    std::vector<AuthorRow> authors() const;
    // Shows these authors and marks (the command line sets them before its run).
    void showAuthors(const std::vector<AuthorRow>& authors);
    // Sets the marks by a ppmCheck Tag (1 to 5; any other does nothing).
    void mnuAuthorCheck(int tag);

    QMenu* checkMenu() const { return ppmCheck_; }

  private:
    void buildCheckMenu();
    int selectedRow() const;
    void btnAuthorCheckClick();
    // The detail dialog of the selected author; after OK the list is filled again.
    void btnDeleteAuthorClick();
    void btnSiteClick();

    std::unique_ptr<Ui::TfrmMainAuthorTab> ui;
    QMenu* ppmCheck_ = nullptr;
    QAction* mnuReflect_ = nullptr;
    std::vector<AuthorRow> rows_;  // the check marks live in the list's items
};

}  // namespace kestrin
