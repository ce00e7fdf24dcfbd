#pragma once
// The archive extension list ("ExtList" of the settings): each extension followed by "/".

#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// The list of a fresh installation.
inline constexpr std::string_view kDefaultExtList =
    ".arj/.bz2/.cab/.exe/.gz/.ish/.lzh/.rar/.sit/.tar/.tgz/.yz1/.zip/";

// The entries of a list separated by `separator`, empty entries left out.
std::vector<std::string> splitExtList(std::string_view list, char separator = '/');
// The stored form of the entries: each followed by "/".
std::string joinExtList(const std::vector<std::string>& entries);

// The extension editor keeps its entries sorted without regard to ASCII case.
void sortExtensions(std::vector<std::string>& entries);
// A typed extension, its surrounding blanks trimmed, is accepted when it holds a "." and is not
// listed yet (without regard to case); it is added lower-cased at its sorted place. False, with
// the entries unchanged, when it is refused.
bool addExtension(std::vector<std::string>& entries, std::string_view typed);

}  // namespace kestrin
