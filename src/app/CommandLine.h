#pragma once
// The options that start a check at once, without the user pressing Next: "/check",
// "/checkall", "/checkauto KEY", "/preset" and "/revset". The window handles its command line
// once per showing; kestrin-cli check takes the same options.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Catalogue.h"

namespace kestrin {

enum class CheckOption { None, Check, CheckAll, CheckAuto, Preset, Revset };

struct CommandLine {
    CheckOption option = CheckOption::None;
    std::string autoKey;  // "/checkauto": the one author to check

    bool operator==(const CommandLine&) const = default;
};

// The option `argument` names, compared after lower-casing; nullopt for any other text.
std::optional<CheckOption> checkOptionNamed(std::string_view argument);

// The program's arguments (without its name): the first names the option, anything else or no
// argument gives None; "/checkauto" takes the second as the author key, any other option
// ignores a second argument.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// Sets the authors' check marks as the option asks before its run: as loaded ("/check"), all
// ("/checkall"), exactly the author of the key ("/checkauto", without regard to case), the
// stored marks ("/preset") or their reverse ("/revset").
void applyCommandLine(const CommandLine& commandLine, std::vector<AuthorRow>& authors);

// A "/checkauto" run leaves the stored check marks alone.
inline bool savesNoCheckMarks(const CommandLine& commandLine) {
    return commandLine.option == CheckOption::CheckAuto;
}

// Before a run the command line starts: true at once unless `confirmAutoCheck`, else whether
// the user answered OK.
bool confirmCommandLineRun(bool confirmAutoCheck);

}  // namespace kestrin
