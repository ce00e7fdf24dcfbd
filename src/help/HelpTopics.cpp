#include "help/HelpTopics.h"

#include <map>

namespace kestrin {

namespace {

using Table = std::map<int, HelpPage>;

const Table& topics() {
    static const Table table{
        {1, {"index.html", ""}},
        {10, {"welcome.html", ""}},
        {21, {"main-authors.html", ""}},
        {22, {"main-define.html", ""}},
        {23, {"main-options.html", ""}},
        {24, {"main-proxy.html", ""}},
        {25, {"main-clock.html", ""}},
        {26, {"progress-authors.html", ""}},
        {27, {"progress-define.html", ""}},
        {28, {"results-updates.html", ""}},
        {29, {"results-notices.html", ""}},
        {31, {"wizard-url.html", ""}},
        {32, {"wizard-files.html", ""}},
        {33, {"wizard-condition.html", ""}},
        {34, {"wizard-final.html", ""}},
        {40, {"detail.html", ""}},
    };
    return table;
}

const Table& contexts() {
    static const Table table{
        // The define list on the setting-up page.
        {11, {"main-define.html", "trvDefine"}},
        {12, {"main-define.html", "lsvDefine"}},
        {13, {"main-define.html", "btnAddItem"}},
        {14, {"main-define.html", "btnEditItem"}},
        {15, {"main-define.html", "btnDeleteItem"}},
        {16, {"main-define.html", "btnDefineAction"}},
        {17, {"main-define.html", "btnJumpSituation"}},
        // The options tab, with the archive extension list.
        {21, {"main-options.html", "chkRingSound"}},
        {22, {"main-options.html", "chkDisableInFavorites"}},
        {23, {"main-options.html", "chkNoAutoComplete"}},
        {24, {"main-options.html", "chkAVI"}},
        {25, {"main-options.html", "lsbExtention"}},
        {26, {"main-options.html", "lsbExtention"}},
        {27, {"main-options.html", "lsbExtention"}},
        {28, {"main-options.html", "chkDisplayWelcomeWizard"}},
        {29, {"main-options.html", "chkConfirmAutoCheck"}},
        {30, {"main-options.html", "chkDisableError"}},
        // The welcome wizard's conversion page.
        {101, {"welcome.html", "convert"}},
        {102, {"welcome.html", "convert"}},
        // The define wizard.
        {201, {"wizard-url.html", "edtBaseURL"}},
        {202, {"wizard-url.html", "rdbGet"}},
        {203, {"wizard-url.html", "prbAnalysis"}},
        {211, {"wizard-files.html", "lsbFileList"}},
        {212, {"wizard-files.html", "btnSite"}},
        {221, {"wizard-condition.html", "edtURL"}},
        {222, {"wizard-condition.html", "edtURL"}},
        {223, {"wizard-condition.html", "rdbForeSearch"}},
        {224, {"wizard-condition.html", "rdbForeSearch"}},
        {225, {"wizard-condition.html", "rdbCheckFile"}},
        {226, {"wizard-condition.html", "rdbCheckPage"}},
        {227, {"wizard-condition.html", "rdbCheckPage"}},
        {231, {"wizard-final.html", "edtTermName"}},
        {232, {"wizard-final.html", "trvDefine"}},
    };
    return table;
}

std::optional<HelpPage> lookUp(const Table& table, int number) {
    auto found = table.find(number);
    if (found == table.end()) return std::nullopt;
    return found->second;
}

std::vector<int> numbersOf(const Table& table) {
    std::vector<int> numbers;
    for (const auto& entry : table)
        numbers.push_back(entry.first);
    return numbers;
}

}  // namespace

std::optional<HelpPage> pageOfTopic(int topic) {
    return lookUp(topics(), topic);
}

std::optional<HelpPage> pageOfContext(int context) {
    return lookUp(contexts(), context);
}

std::vector<int> helpTopics() {
    return numbersOf(topics());
}

std::vector<int> helpContexts() {
    return numbersOf(contexts());
}

std::optional<int> mainWindowPageTopic(std::string_view page, std::string_view innerPage) {
    static const std::map<std::string_view, int> setupTabs{
        {"TabSheet6", 21}, {"TabSheet8", 22},  {"TabSheet7", 23},
        {"TabSheet9", 24}, {"TabSheet10", 25},
    };
    static const std::map<std::string_view, int> resultsTabs{{"TabSheet4", 28}, {"TabSheet5", 29}};
    auto inner = [&](const std::map<std::string_view, int>& tabs) -> std::optional<int> {
        auto found = tabs.find(innerPage);
        if (found == tabs.end()) return std::nullopt;
        return found->second;
    };
    if (page == "TabSheet1") return inner(setupTabs);
    if (page == "TabSheet2") return 26;
    if (page == "tbsDefine") return 27;
    if (page == "TabSheet3") return inner(resultsTabs);
    return std::nullopt;
}

int defineWizardPageTopic(std::string_view page) {
    if (page == "tbsSetURL") return 31;
    if (page == "tbsDoubleFiles") return 32;
    if (page == "tbsSetCondition") return 33;
    return 34;
}

}  // namespace kestrin
