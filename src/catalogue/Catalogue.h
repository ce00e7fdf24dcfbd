#pragma once
// The software catalogue in the settings store: one key per author below the root, one subkey
// per piece of software. Supporting programs write it; the system reads it to know whose update
// information to fetch, writes back what it learns, and registers itself in it at every start.

#include <optional>
#include <string>
#include <vector>

#include "platform/VRegEx.h"

namespace kestrin {

// The system's own author entry, rewritten at every start.
inline constexpr const char* kOwnAuthorKey = "KestrinProject";
inline constexpr const char* kOwnAuthorName = "Kestrin 2001 Project";
inline constexpr const char* kOwnAuthorHost = "kestrin.example.org";
inline constexpr const char* kOwnInfoURL = "http://kestrin.example.org/update/kestrin.inf";
inline constexpr const char* kOwnSoftwareKey = "kestrin";
// The highest update information format read without the newer-format notice.
inline constexpr int kRequiredRDK = 6;
// The root values published for supporting programs, rewritten at every start.
inline constexpr const char* kKestrinBuildValue = "KestrinBuild";
inline constexpr const char* kRequiredRDKValue = "RequiredRDK";
inline constexpr const char* kKestrinPathValue = "KestrinPath";

// One row of the author list.
struct AuthorRow {
    std::string name;      // caption "作者名": the author's "Author" value
    std::string software;  // 1 "ソフト名": the software names joined with "/"
    std::string key;       // 2 "作者のキー": the author key
    std::string url;       // 3 "URL": "AuthorURL", or "(none)" when missing
    bool checked = true;   // the row's check mark: only checked authors are fetched

    bool operator==(const AuthorRow&) const = default;
};

// Writes the system's own author and software entry and the root values published for
// supporting programs.
void RegisterSelf();

// The author list from the catalogue, in the store's enumeration order. An author without a
// stored "Checked" starts checked; with `reflect` (the "CheckReflect" option) the others start
// with their stored mark, without it every author starts checked.
std::vector<AuthorRow> FillAuthorList(bool reflect);

// Reads of the catalogue: a value that is missing, or of another type, reads as nullopt
// (the catalogue is written by other programs; what cannot be read counts as missing).
std::optional<std::string> readCatalogueString(TVRegEx& reg, const std::string& name);
std::optional<int> readCatalogueInteger(TVRegEx& reg, const std::string& name);

// The author's stored "Checked" mark; nullopt when it was never through a run.
std::optional<bool> storedChecked(TVRegEx& reg, const std::string& authorKey);

// The selections of the author check menu, by Tag.
enum class AuthorCheckTag {
    LastChecked = 1,    // each author: its stored mark (checked when none)
    LastUnchecked = 2,  // each author: the opposite of its stored mark (checked when none)
    Invert = 3,         // each author: the opposite of its current mark
    All = 4,
    None = 5,
};

struct AuthorCheckMenuItem {
    std::string name;     // the menu item's control name
    std::string caption;  // "" for a separator
    int tag;              // 0: not a selection (mnuReflect, separators)
};

// The author check menu, in menu order.
const std::vector<AuthorCheckMenuItem>& authorCheckMenu();

// Sets the rows' check marks by a menu Tag; 0 and Tags above 5 change nothing.
void mnuAuthorCheck(std::vector<AuthorRow>& rows, int tag);

// The "/checkauto" selection: exactly the author whose key equals `authorKey` (without regard
// to case) is checked.
void checkOnlyAuthor(std::vector<AuthorRow>& rows, const std::string& authorKey);

}  // namespace kestrin
