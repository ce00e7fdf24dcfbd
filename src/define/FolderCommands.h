#pragma once
// The folder commands of a define tree's popup menu, shared by the main window's define tab and
// the define wizard: add a subfolder, delete a folder, rename a folder in place. Each works on
// the tree's selected node (or the node being edited) and asks or tells the user through the
// dialog service; file-system failures are not reported, the next rebuild shows the real state.

#include <optional>
#include <string>
#include <string_view>

#include "define/KestrinTree.h"

namespace kestrin {

// What a new name is for; the messages call it "条件名" (an item) or "名前" (a folder).
enum class NameOf { Item, Folder };

// Why `name` cannot become the new name of an item or folder, as the message box words it;
// nullopt when it can. Refused are the eleven forbidden characters (single-byte ones only: the
// bytes of a multi-byte character are never taken for one) and a name left empty by trimming.
std::optional<std::string> nameProblem(std::string_view name, NameOf what);
// nameProblem, told in the error box "使用不能な文字". True when the name can be used.
bool acceptName(std::string_view name, NameOf what);

// "サブフォルダの追加": asks for a name and creates that folder in the selected node's folder,
// then rebuilds the tree. False when nothing was asked or the user gave no usable name.
bool addSubfolder(TVKestrinTree& tree);

// "フォルダの削除": asks, then deletes the selected node's folder with everything in it and
// rebuilds the tree. The pseudo-nodes stand for the define root, which is never deleted this way.
bool deleteSelectedFolder(TVKestrinTree& tree);

// The in-place editor of `node` closed with `text`: the folder moves to that name and the node
// takes it as its caption. False, with the node as it was, when the name was refused or the
// folder could not move.
bool renameFolderNode(TVKestrinTree& tree, TreeNode* node, const std::string& text);

}  // namespace kestrin
