#pragma once
// The define list of the main window: the items of the node selected in the define tree, one
// row each, and the commands on them. Every change the user makes is written to the item's
// file at once; filling the list never writes. The window is the view: it shows the rows the
// list hands it and passes the user's actions on. Rows are addressed by their position in the
// list as shown; each row reaches its item's file through its index into the tree's FileList.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "define/KestrinTree.h"

namespace kestrin {

// The row's icon: the last check's error wins over its update mark.
enum class DefineIcon : int { Plain = 0, Updated = 1, Error = 2 };
DefineIcon iconOf(const TVDefineItem& item);

struct DefineListRow {
    std::int32_t index = 0;  // into the tree's FileList
    std::string caption;     // TermName
    std::string url;         // PageURL
    std::string error;       // Error
    bool checked = false;
    DefineIcon icon = DefineIcon::Plain;

    bool operator==(const DefineListRow&) const = default;
};

class DefineListView {
  public:
    virtual ~DefineListView() = default;
    // A listing starts (the busy cursor, every row removed) and ends.
    virtual void listingStarted() = 0;
    virtual void listingEnded() = 0;
    virtual void rowAppended(const DefineListRow& row) = 0;
    virtual void rowChanged(std::size_t position, const DefineListRow& row) = 0;
    virtual void rowRemoved(std::size_t position) = 0;
    // The tree's nodes were built anew or moved.
    virtual void treeChanged() = 0;
    // Shows `address` in the user's browser.
    virtual void openPage(const std::string& address) = 0;
    // While held, Enter and Esc belong to an in-place editor: the window's default button
    // is not default and its cancel button does not answer Esc.
    virtual void dialogKeysHeld(bool held) = 0;
};

enum class CheckCommand { CheckAll, UncheckAll, Invert };
enum class ViewFilter { UpdatedOnly, ActiveOnly, ErrorOnly };

// ppmDefineMenu as it opens for the selected row.
struct ItemMenuState {
    bool markShown = false;    // mnuUpdated, drawn checked when shown
    std::string markCaption;   // "更新済み(&U)" or "エラー発生(&U)"
    bool rowCommands = false;  // change, delete, URL, rename
    bool operator==(const ItemMenuState&) const = default;
};

class DefineList {
  public:
    explicit DefineList(DefineListView& view);
    DefineList(const DefineList&) = delete;
    DefineList& operator=(const DefineList&) = delete;

    // The main window's define tree, with "[全て表示]".
    TVKestrinTree& tree() { return tree_; }
    const std::vector<DefineListRow>& rows() const { return rows_; }
    bool listing() const { return listing_; }

    // Reads the folders anew and lists the top node.
    void rebuild();
    // Lists `node`'s items: a new selection in the tree.
    void select(TreeNode* node);
    // "デフォルトに戻す", and the check run: the selected node's items listed anew, every one
    // whatever filter showed. Nothing when no node is selected.
    void listAgain();

    // A row's check box switched: the item's file takes the new state at once. Ignored while
    // listing or when the row already records that state.
    void setChecked(std::size_t position, bool checked);
    // "表示中の全定義を選択 / 非選択 / 反転": every shown row through setChecked.
    void checkShown(CheckCommand command);
    // mnuUpdated: clears the mark of the selected row, its error included.
    void clearMark(std::optional<std::size_t> selected);
    // "表示中の全定義を非更新にする": clears every shown updated mark; error marks stay.
    void clearUpdatedMarks();
    // Removes the rows the filter does not keep; item files and FileList stay.
    void filter(ViewFilter filter);

    ItemMenuState menuState(std::optional<std::size_t> selected) const;
    // The list's hint once `position` is selected: its last error.
    std::string selectionHint(std::size_t position) const;

    // In-place editors of row and node captions. While one is open the commands on rows and
    // folders do nothing; Enter and Esc stay with it until a rename is stored or the focus
    // leaves the list and the tree.
    void editorOpened();
    void editorClosed();
    void focusLeft();
    bool editing() const { return editing_; }

    // The row's editor closed with `text`: the item takes it as its name and its file moves
    // to that name. False, with the row as it was, when the name is refused or taken.
    bool renameItem(std::size_t position, const std::string& text);
    // The tree's editor closed with `text` on `node`: the folder takes the name.
    bool renameFolder(TreeNode* node, const std::string& text);

    // Asks, then deletes the row's item file and removes the row.
    bool deleteItem(std::optional<std::size_t> selected);
    // Opens the row's address when it holds "http://"; other schemes are left alone.
    void openPage(std::optional<std::size_t> selected);
    // The item of the selected row as the define wizard changes it; nullopt without a row.
    std::optional<TVDefineItem> itemToChange(std::optional<std::size_t> selected);

    // Drops onto a node of the tree: the item of FileList entry `index` (a dragged row), or
    // the selected node's folder. A refused drop moves nothing.
    bool dropItem(std::int32_t index, TreeNode* target);
    bool dropFolder(TreeNode* target);
    // The tree's folder commands on its selected node.
    bool addFolder();
    bool deleteFolder();

  private:
    void listingStart();
    void displayItem(const TVDefineItem& item, std::int32_t index, bool lastItem);
    void changeRow(std::size_t position, DefineListRow row);
    void removeRow(std::size_t position);
    // Loads the item of FileList entry `index`, changes it and stores it; false after telling
    // a failure.
    bool rewriteItem(std::int32_t index, const std::function<void(TVDefineItem&)>& change);
    void releaseDialogKeys();
    const DefineListRow* rowAt(std::optional<std::size_t> position) const;

    DefineListView& view_;
    TVKestrinTree tree_{true};
    std::vector<DefineListRow> rows_;
    bool listing_ = false;
    bool editing_ = false;
    bool keysHeld_ = false;
};

}  // namespace kestrin
