#include "define/KestrinTree.h"

#include <stdexcept>

#include "define/SearchFile.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Shell.h"

namespace kestrin {

namespace {

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The last component of a folder path ("a/b/" gives "b").
std::string folderName(const std::string& folder) {
    std::string path = withoutTrailingSlash(folder);
    return path.substr(path.find_last_of('/') + 1);
}

void expandAll(TreeNode& node) {
    node.Expanded = true;
    for (auto& child : node.Children)
        expandAll(*child);
}

}  // namespace

TVKestrinTree::TVKestrinTree(bool showAllRoot)
    : RootPath(withTrailingSlash((favoritesFolder() / kDefineRootName).string())),
      ShowAllRoot(showAllRoot) {}

TreeNode* TVKestrinTree::addChild(TreeNode* parent, const std::string& caption, std::int32_t data) {
    auto node = std::make_unique<TreeNode>();
    node->Caption = caption;
    node->Data = data;
    node->Parent = parent;
    auto& siblings = parent ? parent->Children : nodes_;
    siblings.push_back(std::move(node));
    return siblings.back().get();
}

// Places the folder `relative` ("A/B/") below "[階層表示]", creating missing parents.
void TVKestrinTree::placeFolder(TreeNode* byFolder, const std::string& relative,
                                std::int32_t index) {
    TreeNode* node = byFolder;
    std::size_t start = 0;
    for (auto end = relative.find('/'); end != std::string::npos;
         start = end + 1, end = relative.find('/', start)) {
        std::string caption = relative.substr(start, end - start);
        TreeNode* child = nullptr;
        for (auto& candidate : node->Children) {
            if (candidate->Caption == caption) child = candidate.get();
        }
        node = child ? child : addChild(node, caption, 0);
    }
    node->Data = index;
}

void TVKestrinTree::Rebuild() {
    // The end-of-rebuild call happens also when the listing of the top node failed.
    try {
        buildNodes();
    } catch (...) {
        endRebuild();
        throw;
    }
    endRebuild();
}

void TVKestrinTree::buildNodes() {
    if (OnInitialize) OnInitialize(*this);
    selected_ = nullptr;
    nodes_.clear();
    FolderList.clear();
    TVSearchFile().ListFolders(RootPath, true, FolderList);

    TreeNode* top = ShowAllRoot ? addChild(nullptr, kShowAllCaption, 0) : nullptr;
    TreeNode* byFolder = addChild(top, kShowByFolderCaption, 0);
    for (std::size_t i = 0; i < FolderList.size(); ++i) {
        FolderList[i] = relativeToRoot(FolderList[i]);
        if (!FolderList[i].empty()) placeFolder(byFolder, FolderList[i], std::int32_t(i));
    }
    Select(nodes_.front().get());
}

void TVKestrinTree::endRebuild() {
    if (ShowAllRoot) {
        for (auto& node : nodes_)
            expandAll(*node);
    }
    if (OnDisplayItem) OnDisplayItem(*this, TVDefineItem{}, 0, true);
}

void TVKestrinTree::Select(TreeNode* node) {
    selected_ = node;
    listNode(node);
}

void TVKestrinTree::ListSelected() {
    listNode(selected_);
}

void TVKestrinTree::listNode(TreeNode* node) {
    // The end-of-listing call happens also when loading an item failed; its receiver ignores
    // the item and index.
    TVDefineItem last;
    try {
        listItems(node, last);
    } catch (...) {
        if (OnDisplayItem) OnDisplayItem(*this, last, 0, true);
        throw;
    }
    if (OnDisplayItem) OnDisplayItem(*this, last, 0, true);
}

void TVKestrinTree::listItems(TreeNode* node, TVDefineItem& last) {
    if (OnInitialize) OnInitialize(*this);
    FileList.clear();
    if (!node) return;

    TVSearchFile search;
    List folders;
    if (node->Caption == kShowAllCaption) {
        search.ListFolders(FolderPath(node->Data), true, folders);
    } else {
        folders.push_back(FolderPath(node->Data));
    }
    for (const auto& folder : folders)
        search.ListFiles(folder, "*.url", FileList);

    TVKestrinDefineItem files;
    for (std::size_t i = 0; i < FileList.size(); ++i) {
        files.LoadItem(FileList[i], last);
        if (OnDisplayItem) OnDisplayItem(*this, last, std::int32_t(i), false);
    }
}

TreeNode* TVKestrinTree::NodeOfFolder(std::int32_t index) const {
    std::function<TreeNode*(const std::vector<std::unique_ptr<TreeNode>>&)> find =
        [&](const auto& nodes) -> TreeNode* {
        for (const auto& node : nodes) {
            bool isFolderNode = index == 0 ? node->Caption == kShowByFolderCaption
                                           : !IsPseudoNode(node.get()) && node->Data == index;
            if (isFolderNode) return node.get();
            if (TreeNode* found = find(node->Children)) return found;
        }
        return nullptr;
    };
    return find(nodes_);
}

const std::string& TVKestrinTree::fileAt(std::int32_t index) const {
    if (index < 0 || std::size_t(index) >= FileList.size())
        throw std::out_of_range("no item at index " + std::to_string(index));
    return FileList[index];
}

void TVKestrinTree::GetItem(std::int32_t index, TVDefineItem& item) {
    TVKestrinDefineItem().LoadItem(fileAt(index), item);
}

void TVKestrinTree::AddItem(TVDefineItem& item) {
    TVKestrinDefineItem().SaveItem(item);
    FileList.push_back(item.ItemPath);
    if (OnDisplayItem) OnDisplayItem(*this, item, std::int32_t(FileList.size() - 1), false);
}

std::string TVKestrinTree::StoreItem(const TVDefineItem& item) {
    TVDefineItem copy = item;
    TVKestrinDefineItem().SaveItem(copy);
    if (copy.ItemPath != item.ItemPath) {
        for (auto& path : FileList) {
            if (path == item.ItemPath) path = copy.ItemPath;
        }
    }
    return copy.ItemPath;
}

void TVKestrinTree::MoveItem(const TVDefineItem& item, const std::string& folder) {
    TVDefineItem copy = item;
    TVKestrinDefineItem().SaveItem(copy, folder);
}

bool TVKestrinTree::DeleteItemFile(std::int32_t index) {
    try {
        deleteFile(fileAt(index));
        return true;
    } catch (const std::filesystem::filesystem_error&) {
        return false;  // the next listing shows the real state
    }
}

std::string TVKestrinTree::FolderPath(std::int32_t index) const {
    if (index < 0 || std::size_t(index) >= FolderList.size()) return RootPath;
    return RootPath + FolderList[index];
}

std::string TVKestrinTree::relativeToRoot(const std::string& path) const {
    std::string folder = withTrailingSlash(path);
    if (folder.compare(0, RootPath.size(), RootPath) == 0) return folder.substr(RootPath.size());
    return folder;
}

bool TVKestrinTree::RenameFolder(const std::string& oldPath, const std::string& newPath) {
    try {
        moveNoReplace(withoutTrailingSlash(oldPath), withoutTrailingSlash(newPath));
    } catch (const std::filesystem::filesystem_error&) {
        return false;  // nothing moved; the next rebuild shows the real state
    }
    std::string oldRelative = relativeToRoot(oldPath);
    std::string newRelative = relativeToRoot(newPath);
    if (oldRelative.empty()) return true;
    // Folders below the moved one follow it at once, so their nodes stay valid.
    for (auto& entry : FolderList) {
        if (entry.compare(0, oldRelative.size(), oldRelative) == 0)
            entry = newRelative + entry.substr(oldRelative.size());
    }
    return true;
}

bool TVKestrinTree::DeleteFolder(const std::string& path) {
    try {
        deleteTree(withoutTrailingSlash(path));
        return true;
    } catch (const std::filesystem::filesystem_error&) {
        return false;
    }
}

bool TVKestrinTree::RootVisible() const {
    return !isHiddenFolder(RootPath);
}

void TVKestrinTree::SetRootVisible(bool visible) {
    if (visible == RootVisible()) return;
    std::error_code error;
    std::filesystem::create_directories(RootPath, error);
    setHiddenFolder(RootPath, !visible);
}

bool TVKestrinTree::IsPseudoNode(const TreeNode* node) {
    return node && (node->Caption == kShowAllCaption || node->Caption == kShowByFolderCaption);
}

bool TVKestrinTree::CanDrop(const TreeNode* target) const {
    return target && selected_ && target != selected_ && target->Caption != kShowAllCaption &&
           selected_->Caption != kShowAllCaption;
}

void TVKestrinTree::DropItem(TreeNode* target, std::int32_t index) {
    if (!CanDrop(target)) return;
    TVDefineItem item;
    GetItem(index, item);
    MoveItem(item, FolderPath(target->Data));
}

bool TVKestrinTree::DropFolder(TreeNode* target) {
    if (!CanDrop(target) || IsPseudoNode(selected_)) return false;
    TreeNode* source = selected_;
    std::string oldPath = FolderPath(source->Data);
    std::string newPath = FolderPath(target->Data) + folderName(oldPath) + "/";
    bool moved = RenameFolder(oldPath, newPath);
    if (!moved || !source->Children.empty()) {
        Rebuild();
        return moved;
    }
    // A leaf folder: its node moves along as the target's first child.
    auto& siblings = source->Parent ? source->Parent->Children : nodes_;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (it->get() != source) continue;
        std::unique_ptr<TreeNode> node = std::move(*it);
        siblings.erase(it);
        node->Parent = target;
        target->Children.insert(target->Children.begin(), std::move(node));
        break;
    }
    expandAll(*target);
    return true;
}

}  // namespace kestrin
