#pragma once
// The evaluation of an author's update information file: a profile file with a section "Info"
// and sections "Soft1", "Soft2", ... that offer builds. It is compared with the author's
// installed software in the catalogue; what it learns is written back to the catalogue.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/ResultsRow.h"

namespace kestrin {

class AuthorProgress;

struct UpdateInfoResult {
    std::vector<ResultsRow> rows;        // one per update found
    std::optional<AuthorNotice> notice;  // the author's notice, when the file has one
};

// Evaluates `file` for the author `authorKey` (shown as `authorName` when the file names no
// author). Writes "AuthorURL", "LatestBuild" and removes "NextBuild" marks the installed build
// has caught up with. Sets `newerFormatSeen` when the file's format version is above
// kRequiredRDK and never clears it. `progress`, when given, moves to the compare step.
UpdateInfoResult EvaluateUpdateInfo(const std::filesystem::path& file, const std::string& authorKey,
                                    const std::string& authorName, bool& newerFormatSeen,
                                    AuthorProgress* progress = nullptr);

}  // namespace kestrin
