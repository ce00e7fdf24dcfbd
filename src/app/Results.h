#pragma once
// The results page's texts and decisions at the end of a run: the summary sentence, which tabs
// show, whether the sound plays, the newer-format notice, and how rows and notices read as
// running text. The window and kestrin-cli check word their results alike through it.

#include <array>
#include <string>

#include "app/CheckRun.h"

namespace kestrin {

// The sound played when updates are found, a file beside the program.
inline constexpr const char* kFoundSound = "kestrin.wav";

// The update list's column captions, the caption column first; columns 5 to 7 stay hidden.
const std::array<std::string, 8>& resultsColumnCaptions();

// The one-sentence summary. The window's asks the user to look at its tabs; a listing has none
// (`withTabs` false).
std::string summarySentence(const CheckResults& results, bool withTabs = true);

// What the results page shows once a run has ended.
struct ResultsPage {
    std::string summary;      // Label7
    bool pages = false;       // PageControl2: anything was found
    bool updatesTab = false;  // TabSheet4: rows were found
    bool noticesTab = false;  // TabSheet5: notices were sent
    bool playSound = false;   // rows were found and the sound is switched on

    bool operator==(const ResultsPage&) const = default;
};

ResultsPage resultsPage(const CheckResults& results, bool ringSound);

// Tells the user that an update information file of a newer format was seen.
void tellNewerFormat();

// A row's comment as running text (the list's hint, the comment box).
std::string rowHint(const ResultsRow& row);

// The label over the notice text while `author`'s notice is shown, with its access key.
std::string noticeLabel(const std::string& author);
// The heading of `author`'s notice in a listing.
std::string noticeHeading(const std::string& author);

}  // namespace kestrin
