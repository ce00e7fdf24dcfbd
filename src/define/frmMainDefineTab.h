#pragma once
// The tab "ユーザ定義リスト" of the main window's setting-up page: the define folder tree
// trvDefine beside the define list lsvDefine, their popup menus and the five buttons, laid out
// in frmMainDefineTab.ui. DefineList decides; the tab shows its rows and passes the user's
// actions on. The main window gets the rows of a run, the column widths and the state of Enter
// and Esc from it; adding and changing items it leaves to whoever opens the define wizard.

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "app/CheckRun.h"
#include "app/Settings.h"
#include "define/DefineList.h"

namespace Ui {
class TfrmMainDefineTab;
}

namespace kestrin {

class TfrmMainDefineTab : public QWidget, private DefineListView {
    Q_OBJECT

  public:
    explicit TfrmMainDefineTab(QWidget* parent = nullptr);
    ~TfrmMainDefineTab() override;

    // The list's column widths ("DefineColumn0" to "DefineColumn2").
    void loadFrom(const Settings& settings);
    void storeTo(Settings& settings) const;

    // The define phase of a run: the selected node's items listed anew from disk, every one
    // whatever a filter showed, as the list now shows them.
    std::vector<DefineRow> listSelectedDefineRows();
    // Reads the folders anew and lists the top node (Back, the define wizard after storing).
    void rebuildTree();

    // While true an in-place editor (or a refused rename) holds Enter and Esc: the window's
    // default button is not default and its cancel button does not answer Esc.
    bool dialogKeysHeld() const { return keysHeld_; }

  signals:
    // Add / Change: the define wizard for a new item, or for the selected row's item.
    void addItemRequested();
    void changeItemRequested(const kestrin::TVDefineItem& item);
    void dialogKeysHeldChanged(bool held);

  private:
    // DefineListView.
    void listingStarted() override;
    void listingEnded() override;
    void rowAppended(const DefineListRow& row) override;
    void rowChanged(std::size_t position, const DefineListRow& row) override;
    void rowRemoved(std::size_t position) override;
    void treeChanged() override;
    void openPage(const std::string& address) override;
    void dialogKeysHeld(bool held) override;

    void connectList();
    void connectMenus();
    void connectTree();
    std::optional<std::size_t> selectedRow() const;
    // ppmDefineMenu's states for the selected row: set as it opens and whenever the row
    // changes, so that its shortcuts act only where its items would.
    void showMenuState();
    void showSelectionHint();
    void changeItem();
    void focusChanged(QWidget* old, QWidget* now);

    std::unique_ptr<Ui::TfrmMainDefineTab> ui;
    DefineList list_{*this};
    bool busy_ = false;
    bool keysHeld_ = false;
};

}  // namespace kestrin
