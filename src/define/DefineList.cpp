#include "define/DefineList.h"

#include <algorithm>
#include <filesystem>

#include "define/FolderCommands.h"
#include "platform/Dialogs.h"

namespace kestrin {

namespace {

// Runs `action`; a failure (an item file that cannot be read or written) goes to the general
// error display and the command stops there.
template <typename Action>
bool attempt(Action&& action) {
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        showError(error);
        return false;
    }
}

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace

DefineIcon iconOf(const TVDefineItem& item) {
    if (!item.Error.empty() && item.Error != kNoError) return DefineIcon::Error;
    return item.Updated ? DefineIcon::Updated : DefineIcon::Plain;
}

DefineList::DefineList(DefineListView& view) : view_(view) {
    tree_.OnInitialize = [this](TVKestrinTree&) { listingStart(); };
    tree_.OnDisplayItem = [this](TVKestrinTree&, const TVDefineItem& item, std::int32_t index,
                                 bool lastItem) { displayItem(item, index, lastItem); };
}

void DefineList::listingStart() {
    listing_ = true;
    rows_.clear();
    view_.listingStarted();
}

void DefineList::displayItem(const TVDefineItem& item, std::int32_t index, bool lastItem) {
    if (lastItem) {
        // A rebuild ends twice: once for the listing of its top node, once for itself.
        if (listing_) view_.listingEnded();
        listing_ = false;
        return;
    }
    rows_.push_back({index, item.TermName, item.PageURL, item.Error, item.Checked, iconOf(item)});
    view_.rowAppended(rows_.back());
}

void DefineList::changeRow(std::size_t position, DefineListRow row) {
    rows_[position] = std::move(row);
    view_.rowChanged(position, rows_[position]);
}

void DefineList::removeRow(std::size_t position) {
    rows_.erase(rows_.begin() + std::ptrdiff_t(position));
    view_.rowRemoved(position);
}

const DefineListRow* DefineList::rowAt(std::optional<std::size_t> position) const {
    return position && *position < rows_.size() ? &rows_[*position] : nullptr;
}

void DefineList::rebuild() {
    attempt([&] { tree_.Rebuild(); });
    view_.treeChanged();
}

void DefineList::select(TreeNode* node) {
    attempt([&] { tree_.Select(node); });
}

void DefineList::listAgain() {
    if (tree_.Selected()) attempt([&] { tree_.ListSelected(); });
}

bool DefineList::rewriteItem(std::int32_t index, const std::function<void(TVDefineItem&)>& change) {
    return attempt([&] {
        TVDefineItem item;
        tree_.GetItem(index, item);
        change(item);
        tree_.StoreItem(item);
    });
}

void DefineList::setChecked(std::size_t position, bool checked) {
    if (listing_ || !rowAt(position) || rows_[position].checked == checked) return;
    DefineListRow row = rows_[position];
    // A state that could not be stored is not shown either.
    if (rewriteItem(row.index, [&](TVDefineItem& item) { item.Checked = checked; }))
        row.checked = checked;
    changeRow(position, row);
}

void DefineList::checkShown(CheckCommand command) {
    for (std::size_t position = 0; position < rows_.size(); ++position) {
        const bool checked = command == CheckCommand::CheckAll     ? true
                             : command == CheckCommand::UncheckAll ? false
                                                                   : !rows_[position].checked;
        setChecked(position, checked);
        if (rows_[position].checked != checked) return;  // told already; no box for each row
    }
}

void DefineList::clearMark(std::optional<std::size_t> selected) {
    const DefineListRow* shown = rowAt(selected);
    if (editing_ || !shown || shown->icon == DefineIcon::Plain) return;
    DefineListRow row = *shown;
    const bool stored = rewriteItem(row.index, [&](TVDefineItem& item) {
        if (row.icon != DefineIcon::Updated) item.Error.clear();  // reads back as no error
        item.Updated = false;
    });
    if (!stored) return;
    if (row.icon != DefineIcon::Updated) row.error = kNoError;
    row.icon = DefineIcon::Plain;
    changeRow(*selected, row);
}

void DefineList::clearUpdatedMarks() {
    for (std::size_t position = 0; position < rows_.size(); ++position) {
        if (rows_[position].icon != DefineIcon::Updated) continue;
        DefineListRow row = rows_[position];
        if (!rewriteItem(row.index, [](TVDefineItem& item) { item.Updated = false; })) return;
        row.icon = DefineIcon::Plain;
        changeRow(position, row);
    }
}

void DefineList::filter(ViewFilter filter) {
    for (std::size_t position = rows_.size(); position-- > 0;) {
        const DefineListRow& row = rows_[position];
        const bool keep = filter == ViewFilter::UpdatedOnly  ? row.icon == DefineIcon::Updated
                          : filter == ViewFilter::ActiveOnly ? row.checked
                                                             : row.error != kNoError;
        if (!keep) removeRow(position);
    }
}

ItemMenuState DefineList::menuState(std::optional<std::size_t> selected) const {
    const DefineListRow* row = rowAt(selected);
    if (!row) return {};
    if (row->icon == DefineIcon::Plain) return {false, "", true};
    return {true, row->icon == DefineIcon::Updated ? "更新済み(&U)" : "エラー発生(&U)", true};
}

std::string DefineList::selectionHint(std::size_t position) const {
    return "【選択アイテムのエラー】\r\n" + rows_.at(position).error;
}

void DefineList::editorOpened() {
    editing_ = true;
    if (keysHeld_) return;
    keysHeld_ = true;
    view_.dialogKeysHeld(true);
}

void DefineList::editorClosed() {
    editing_ = false;
}

void DefineList::focusLeft() {
    releaseDialogKeys();
}

void DefineList::releaseDialogKeys() {
    if (!keysHeld_) return;
    keysHeld_ = false;
    view_.dialogKeysHeld(false);
}

bool DefineList::renameItem(std::size_t position, const std::string& text) {
    if (!rowAt(position) || !acceptName(text, NameOf::Item)) return false;
    DefineListRow row = rows_[position];
    if (text == row.caption) {  // the name it has: nothing to write
        releaseDialogKeys();
        return true;
    }
    TVDefineItem item;
    // A name another item of the folder has is refused by the store (SaveItem never replaces
    // a file); FileList follows the file to its new name, and so does the row.
    const bool stored = attempt([&] {
        tree_.GetItem(row.index, item);
        item.TermName = text;
        tree_.StoreItem(item);
        tree_.GetItem(row.index, item);
    });
    if (!stored) return false;
    row.caption = item.TermName;
    changeRow(position, row);
    releaseDialogKeys();
    return true;
}

bool DefineList::renameFolder(TreeNode* node, const std::string& text) {
    bool renamed = false;
    attempt([&] { renamed = renameFolderNode(tree_, node, text); });
    if (!renamed) return false;
    releaseDialogKeys();
    view_.treeChanged();
    listAgain();  // the rows' files may lie below the renamed folder
    return true;
}

bool DefineList::deleteItem(std::optional<std::size_t> selected) {
    const DefineListRow* row = rowAt(selected);
    if (editing_ || !row) return false;
    if (dialogs().messageBox("選択中の定義を削除してよろしいですか？", "定義削除の確認",
                             DialogIcon::Question, DialogButtons::YesNo) != DialogAnswer::Yes)
        return false;
    const std::string path = tree_.FileList[std::size_t(row->index)];
    tree_.DeleteItemFile(row->index);
    if (exists(path)) return false;  // the row stays while its file does
    removeRow(*selected);
    return true;
}

void DefineList::openPage(std::optional<std::size_t> selected) {
    const DefineListRow* row = rowAt(selected);
    if (row && row->url.find("http://") != std::string::npos) view_.openPage(row->url);
}

std::optional<TVDefineItem> DefineList::itemToChange(std::optional<std::size_t> selected) {
    const DefineListRow* row = rowAt(selected);
    if (!row) return std::nullopt;
    TVDefineItem item;
    if (!attempt([&] { tree_.GetItem(row->index, item); })) return std::nullopt;
    return item;
}

bool DefineList::dropItem(std::int32_t index, TreeNode* target) {
    if (!tree_.CanDrop(target)) return false;
    if (!attempt([&] { tree_.DropItem(target, index); })) return false;
    const auto row = std::find_if(rows_.begin(), rows_.end(),
                                  [&](const DefineListRow& shown) { return shown.index == index; });
    if (row != rows_.end()) removeRow(std::size_t(row - rows_.begin()));
    return true;
}

bool DefineList::dropFolder(TreeNode* target) {
    bool moved = false;
    attempt([&] { moved = tree_.DropFolder(target); });
    view_.treeChanged();
    // A moved folder without subfolders keeps its node and its listing, whose files now lie
    // elsewhere: they are listed again, so that no row writes to the old place.
    if (moved) listAgain();
    return moved;
}

bool DefineList::addFolder() {
    if (editing_) return false;
    bool added = false;
    attempt([&] { added = addSubfolder(tree_); });
    view_.treeChanged();  // also after a rebuild that failed half-way
    return added;
}

bool DefineList::deleteFolder() {
    if (editing_) return false;
    bool deleted = false;
    attempt([&] { deleted = deleteSelectedFolder(tree_); });
    view_.treeChanged();
    return deleted;
}

}  // namespace kestrin
