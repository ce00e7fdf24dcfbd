#include "define/FolderCommands.h"

#include <filesystem>

#include "define/DefineItem.h"
#include "define/HTMLParser.h"
#include "platform/Dialogs.h"

namespace kestrin {

namespace {

constexpr const char* kNameCaption = "使用不能な文字";

std::string label(NameOf what) {
    return what == NameOf::Item ? "条件名" : "名前";
}

// "a/b/" gives "a/": the folder that holds a folder path.
std::string parentFolder(const std::string& folder) {
    std::string path = folder;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path.substr(0, path.find_last_of('/') + 1);
}

}  // namespace

std::optional<std::string> nameProblem(std::string_view name, NameOf what) {
    // UTF-8 never uses an ASCII byte inside a multi-byte character, so a byte search cannot
    // take part of a Japanese character for one of these.
    if (name.find_first_of(kForbiddenNameCharacters) != std::string_view::npos)
        return label(what) + "に「" + kForbiddenNameCharacters + "」は使えません";
    // An empty name would make an item file named only ".url", or a folder path equal to its
    // parent's.
    if (trimControls(name).empty()) return label(what) + "を空にすることはできません";
    return std::nullopt;
}

bool acceptName(std::string_view name, NameOf what) {
    const auto problem = nameProblem(name, what);
    if (problem) dialogs().messageBox(*problem, kNameCaption, DialogIcon::Error, DialogButtons::Ok);
    return !problem;
}

bool addSubfolder(TVKestrinTree& tree) {
    const TreeNode* node = tree.Selected();
    if (!node) return false;
    const auto name = dialogs().inputBox("サブフォルダ作成", "サブフォルダ名を入れてください", "");
    // The name is checked as a rename checks it: with a "/" it could reach folders outside the
    // selected one ("../.."), even outside the define root.
    if (!name || !acceptName(*name, NameOf::Folder)) return false;
    std::error_code ignored;  // a folder that cannot be created is not reported
    std::filesystem::create_directories(tree.FolderPath(node->Data) + *name + "/", ignored);
    tree.Rebuild();
    return true;
}

bool deleteSelectedFolder(TVKestrinTree& tree) {
    const TreeNode* node = tree.Selected();
    if (!node || TVKestrinTree::IsPseudoNode(node)) return false;
    const auto answer = dialogs().messageBox(
        "選択中のフォルダを削除してよろしいですか？\r\n(サブフォルダを含めて，全て削除されます)",
        "フォルダ削除", DialogIcon::Question, DialogButtons::YesNo);
    if (answer != DialogAnswer::Yes) return false;
    tree.DeleteFolder(tree.FolderPath(node->Data));
    tree.Rebuild();
    return true;
}

bool renameFolderNode(TVKestrinTree& tree, TreeNode* node, const std::string& text) {
    if (!TVKestrinTree::CanEdit(node) || !acceptName(text, NameOf::Folder)) return false;
    if (text == node->Caption) return true;
    const std::string oldPath = tree.FolderPath(node->Data);
    if (!tree.RenameFolder(oldPath, parentFolder(oldPath) + text + "/")) return false;
    node->Caption = text;
    return true;
}

}  // namespace kestrin
