#include "help/Help.h"

#include <cstdlib>
#include <optional>

#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace kestrin {

namespace {

constexpr const char* kCollectionName = "kestrin.qhc";

HelpViewer* installedViewer = nullptr;

bool show(const std::optional<HelpPage>& page) {
    if (!page || !installedViewer) return false;
    fs::path collection = helpCollection();
    if (collection.empty()) return false;
    installedViewer->showHelpPage(collection, *page);
    return true;
}

}  // namespace

void installHelpViewer(HelpViewer* viewer) {
    installedViewer = viewer;
}

fs::path helpCollection() {
    if (const char* chosen = std::getenv("KESTRIN_HELP"); chosen && *chosen) {
        std::error_code error;
        return fs::is_regular_file(chosen, error) ? fs::path(chosen) : fs::path();
    }
    return findDataFile(kCollectionName);
}

bool helpAvailable() {
    return !helpCollection().empty();
}

bool showHelpTopic(int topic) {
    return show(pageOfTopic(topic));
}

bool showHelpContext(int context) {
    return show(pageOfContext(context));
}

}  // namespace kestrin
