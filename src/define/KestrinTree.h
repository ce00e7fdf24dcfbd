#pragma once
// The define tree's logic without its widget: the folders below the define root as nodes, the
// item files of the selected node, and the file operations on items and folders that the
// define list and the define wizard use. A tree widget mirrors Nodes(), forwards its selection
// to Select() and its drops to DropItem() / DropFolder().

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "define/DefineItem.h"

namespace kestrin {

// Captions of the two pseudo-nodes; operations recognise them by these.
inline constexpr const char* kShowAllCaption = "[全て表示]";
inline constexpr const char* kShowByFolderCaption = "[階層表示]";
// The define root's name inside the Favorites folder.
inline constexpr const char* kDefineRootName = "Kestrin 2001";

struct TreeNode {
    std::string Caption;
    std::int32_t Data = 0;  // index into FolderList; 0 for the pseudo-nodes
    bool Expanded = false;
    TreeNode* Parent = nullptr;
    std::vector<std::unique_ptr<TreeNode>> Children;
};

class TVKestrinTree {
  public:
    using List = std::vector<std::string>;
    using Notify = std::function<void(TVKestrinTree& sender)>;
    using DisplayItem = std::function<void(TVKestrinTree& sender, const TVDefineItem& item,
                                           std::int32_t index, bool lastItem)>;

    // `showAllRoot`: whether the pseudo-node "[全て表示]" exists (main window: yes, wizard: no).
    explicit TVKestrinTree(bool showAllRoot = true);

    // The define root: the Favorites folder + "Kestrin 2001", with a trailing "/".
    std::string RootPath;
    bool ShowAllRoot;
    // Called before every rebuild and every listing, before anything is cleared.
    Notify OnInitialize;
    // Called once per listed item, and once more with lastItem true when a listing ends.
    DisplayItem OnDisplayItem;
    // The folders of the tree relative to RootPath with a trailing "/"; entry 0 is the root ("").
    List FolderList;
    // Full paths of the item files of the last listing; the index of every item operation.
    List FileList;

    // Reads the folders anew, rebuilds the nodes and selects (and lists) the top node.
    void Rebuild();
    // Selects `node` and lists its items into FileList.
    void Select(TreeNode* node);
    // Lists the selected node's items again.
    void ListSelected();

    const std::vector<std::unique_ptr<TreeNode>>& Nodes() const { return nodes_; }
    TreeNode* Selected() const { return selected_; }
    // The node of FolderList entry `index` (the "[階層表示]" node for 0); null when none.
    TreeNode* NodeOfFolder(std::int32_t index) const;

    void GetItem(std::int32_t index, TVDefineItem& item);
    // Saves a new or edited item, appends its path to FileList and displays it.
    void AddItem(TVDefineItem& item);
    // Saves a copy of `item`; a rename also renames its FileList entry. Returns the saved path.
    std::string StoreItem(const TVDefineItem& item);
    // Saves a copy of `item` into `folder`, taking its file along.
    void MoveItem(const TVDefineItem& item, const std::string& folder);
    // Deletes the file of FileList entry `index`; FileList stays as it is. False when the
    // file could not be deleted.
    bool DeleteItemFile(std::int32_t index);

    // RootPath + FolderList[index].
    std::string FolderPath(std::int32_t index) const;
    // Moves a folder (never onto an existing name) and follows it in FolderList, subfolders
    // included. False, with FolderList unchanged, when the move failed.
    bool RenameFolder(const std::string& oldPath, const std::string& newPath);
    // Deletes a folder with everything in it, read-only files included. True when every
    // deletion tried succeeded; the first failure stops.
    bool DeleteFolder(const std::string& path);

    // False while the root folder is hidden (listed in the Favorites folder's ".hidden"), which
    // keeps it out of the browser's Favorites. Hiding creates a missing root first.
    bool RootVisible() const;
    void SetRootVisible(bool visible);

    static bool IsPseudoNode(const TreeNode* node);
    // In-place editing of a caption is refused for the pseudo-nodes.
    static bool CanEdit(const TreeNode* node) { return node && !IsPseudoNode(node); }
    // Whether something dragged from the selected node or its list may be dropped on `target`.
    bool CanDrop(const TreeNode* target) const;
    // Moves the item of FileList entry `index` into the folder of `target`.
    void DropItem(TreeNode* target, std::int32_t index);
    // Moves the selected node's folder into the folder of `target`, keeping its name. Returns
    // whether it moved; a folder never moves onto an existing name or into itself.
    bool DropFolder(TreeNode* target);

  private:
    TreeNode* addChild(TreeNode* parent, const std::string& caption, std::int32_t data);
    void placeFolder(TreeNode* byFolder, const std::string& relative, std::int32_t index);
    void buildNodes();
    void endRebuild();
    void listNode(TreeNode* node);
    void listItems(TreeNode* node, TVDefineItem& last);
    std::string relativeToRoot(const std::string& path) const;
    const std::string& fileAt(std::int32_t index) const;

    std::vector<std::unique_ptr<TreeNode>> nodes_;
    TreeNode* selected_ = nullptr;
};

}  // namespace kestrin
