#pragma once
// The decisions of the options tab: its archive extension editor, whose list is saved at once
// on every change.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestrin {

// btnAddExt: asks for an extension; an accepted one (see addExtension) is added and the list
// saved; a refused one is dropped without a word. Returns whether the list changed.
bool askAndAddExtension(std::vector<std::string>& extensions);

// btnDelExt: removes the selected entry and saves the list; nothing without a selection.
bool deleteExtension(std::vector<std::string>& extensions, std::optional<std::size_t> selected);

}  // namespace kestrin
