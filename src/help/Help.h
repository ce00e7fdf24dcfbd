#pragma once
// Showing help. A topic or context number becomes a page of the help collection (Qt Help,
// "kestrin.qhc"), which the installed viewer shows: the desktop program installs its help
// window. Without a collection, or without a viewer (kestrin-cli), a help request does nothing.
//
// Every window's Help button calls showHelpTopic(n); F1 calls showHelpContext(n) with the
// focused control's context number.

#include <filesystem>

#include "help/HelpTopics.h"

namespace kestrin {

class HelpViewer {
  public:
    virtual ~HelpViewer() = default;
    virtual void showHelpPage(const std::filesystem::path& collection, const HelpPage& page) = 0;
};

// Installs `viewer` (not owned); nullptr removes it.
void installHelpViewer(HelpViewer* viewer);

// The help collection: $KESTRIN_HELP when set, else "kestrin.qhc" beside the program or in the
// data folder. Empty when there is none.
std::filesystem::path helpCollection();
bool helpAvailable();

// Shows the page of the number; false when nothing was shown (no collection, no viewer, or a
// number without a page).
bool showHelpTopic(int topic);
bool showHelpContext(int context);

}  // namespace kestrin
