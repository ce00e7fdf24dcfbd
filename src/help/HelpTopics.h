#pragma once
// The help topics: the numbers the windows open (their Help buttons and the main window's help
// menu), the context numbers the controls carry for F1, and the page of the help collection
// each number shows. Topic and context numbers are two tables: F1 on the options tab's
// chkRingSound (context 21) shows that check box, not the author list (topic 21).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// One page of the help collection and the anchor of a section in it ("" for its top).
struct HelpPage {
    std::string file;  // relative to the collection's folder, e.g. "main-authors.html"
    std::string anchor;

    bool operator==(const HelpPage&) const = default;
};

inline constexpr int kHelpContents = 1;
inline constexpr int kHelpWelcome = 10;
inline constexpr int kHelpDetail = 40;

// The page of a topic number; nullopt for a number that no window opens.
std::optional<HelpPage> pageOfTopic(int topic);
// The page section of a control's context number; nullopt for a number no control carries.
std::optional<HelpPage> pageOfContext(int context);
// Every number of each table, ascending.
std::vector<int> helpTopics();
std::vector<int> helpContexts();

// The topic of the main window's "現在のページのヘルプ(&P)...": its page and, on TabSheet1 and
// TabSheet3, the inner page, by control name; nullopt where the page has none.
std::optional<int> mainWindowPageTopic(std::string_view page, std::string_view innerPage);
// The topic of the define wizard's Help button on its active page.
int defineWizardPageTopic(std::string_view page);

}  // namespace kestrin
