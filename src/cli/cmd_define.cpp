// kestrin-cli define: the define items of the tree, and checking item files as a check run does.
//
//   define list [FOLDER]   one line per item of the root, or of FOLDER below the define root:
//                          checked (x or -), mark (error, updated or -), name, URL, error text,
//                          separated by tabs
//   define check FILE...   checks each item file, prints what the check found and writes the
//                          file as a check run does; exit status 1 when any check had an error

#include <filesystem>
#include <iostream>

#include "app/Settings.h"
#include "cli/Command.h"
#include "define/DefineEngine.h"
#include "define/KestrinTree.h"
#include "define/SearchFile.h"

namespace kestrin::cli {

namespace {

bool hasError(const TVDefineItem& item) {
    return !item.Error.empty() && item.Error != kNoError;
}

std::string markOf(const TVDefineItem& item) {
    if (hasError(item)) return "error";
    return item.Updated ? "updated" : "-";
}

// The tree node of `folder` (below the define root, or a full path inside it); "" is the root.
TreeNode* folderNode(TVKestrinTree& tree, const std::string& folder) {
    if (folder.empty()) return tree.NodeOfFolder(0);
    std::string relative = withTrailingSlash(folder);
    if (relative.rfind(tree.RootPath, 0) == 0) relative.erase(0, tree.RootPath.size());
    for (std::size_t i = 0; i < tree.FolderList.size(); ++i) {
        if (tree.FolderList[i] == relative) return tree.NodeOfFolder(std::int32_t(i));
    }
    throw std::runtime_error("no folder " + folder + " in " + tree.RootPath);
}

int listItems(const Arguments& arguments) {
    if (arguments.size() > 1) throw UsageError("at most one folder");
    TVKestrinTree tree(false);
    tree.Rebuild();
    TreeNode* node = folderNode(tree, arguments.empty() ? "" : arguments[0]);
    tree.OnDisplayItem = [](TVKestrinTree&, const TVDefineItem& item, int, bool last) {
        if (last) return;
        std::cout << (item.Checked ? "x" : "-") << '\t' << markOf(item) << '\t' << item.TermName
                  << '\t' << item.PageURL << '\t' << (hasError(item) ? item.Error : "") << '\n';
    };
    tree.Select(node);
    return 0;
}

int checkItems(const Arguments& files) {
    if (files.empty()) throw UsageError("no item file given");
    TVKestrinDefineEngine engine;
    configureDefineEngine(engine, loadCheckRunSettings());
    int status = 0;
    for (const auto& file : files) {
        // A check writes its findings: never into a file that was not an item file.
        if (!std::filesystem::is_regular_file(file))
            throw std::runtime_error("no item file " + file);
        engine.DefineFile = file;
        engine.PrepareTransfer();
        bool saved = engine.CheckItem();
        const TVDefineItem& item = engine.WorkItem;
        std::cout << item.TermName << ": ";
        if (!saved) {
            std::cout << "no news\n";
        } else if (hasError(item)) {
            std::cout << "error: " << item.Error << '\n';
            status = 1;
        } else {
            std::cout << "updated: " << item.Update << '\n';
        }
    }
    return status;
}

int run(const Arguments& arguments) {
    if (arguments.empty()) throw UsageError("list or check expected");
    Arguments rest(arguments.begin() + 1, arguments.end());
    if (arguments[0] == "list") return listItems(rest);
    if (arguments[0] == "check") return checkItems(rest);
    throw UsageError("unknown define command '" + arguments[0] + "'");
}

const CommandRegistration registration("define", "define list [FOLDER] | define check FILE...",
                                       run);

}  // namespace

}  // namespace kestrin::cli
