#pragma once
// Define items in a test's temporary Favorites folder (use inside a TempEnvironment).

#include <string>

#include "define/DefineItem.h"
#include "support/TempEnvironment.h"

namespace kestrin::test {

// A page-check item (headers mode, last modified in 2001) in `folder` below the define root.
inline void addPageItem(const TempEnvironment& environment, const std::string& folder,
                        const std::string& name, const std::string& url, bool checked) {
    TVDefineItem item;
    item.TermName = name;
    item.PageURL = url;
    item.Checked = checked;
    item.Option = kMethodPageCheck;
    item.PageTime = "Mon, 01 Jan 2001 00:00:00 GMT";
    item.ItemPath = (environment.favorites() / "Kestrin 2001" / folder / (name + ".url")).string();
    TVKestrinDefineItem().SaveItem(item);
}

}  // namespace kestrin::test
