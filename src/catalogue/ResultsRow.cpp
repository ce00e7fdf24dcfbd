#include "catalogue/ResultsRow.h"

namespace kestrin {

std::string expandLineBreaks(const std::string& text, const std::string& lineEnd) {
    // A replacement cannot form a new "#r" with its neighbours as long as lineEnd holds
    // neither '#' nor 'r', so one forward pass leaves none behind.
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '#' && i + 1 < text.size() && text[i + 1] == 'r') {
            shown += lineEnd;
            ++i;
        } else {
            shown += text[i];
        }
    }
    return shown;
}

}  // namespace kestrin
