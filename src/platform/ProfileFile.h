#pragma once
// Profile ("INI") files: update information files, define item files and the old define file.
//
// The bytes on disk are CP932; names and values reach callers as UTF-8. Section and key names
// compare without regard to ASCII case (a second byte of a double-byte character is never
// folded, nor taken for "[", "]" or "="). Reading trims a value, removes one pair of matching
// surrounding quotes and cuts it at 2047 CP932 bytes, as a read through a 2048-byte buffer
// does (never in the middle of a double-byte character). Writing changes only the lines it
// must: a changed key line is rewritten as "name=value", a new key goes after the last key of
// its section, a new section to the end of the file; lines written end in CR LF and every other
// byte of the file stays as it was. Where a name occurs twice, the first section and the first
// key are the ones read and written.
//
// Line forms: "[name]" opens a section (text after "]" is ignored); "name=value" is a key; a
// line whose first non-blank character is ";" is a comment; blank lines, lines before the first
// section and any other line (no "=", empty name, "[" without "]") are kept but mean nothing.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// One profile file, read once and saved once: a caller reading many keys does not re-read the
// file for each of them.
class TProfileFile {
  public:
    // Reads the file; one that does not exist reads as empty. An unreadable file raises.
    explicit TProfileFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }
    // Forgets unsaved changes and reads the file again: the flush call for one open file.
    void reload();

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal, or hexadecimal after "0x" / "0X", with an optional sign; anything else, or a
    // number outside 32 bits, reads as the default.
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    // An integer; any value other than 0 is true.
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    bool hasKey(std::string_view section, std::string_view key) const;
    // A section counts as present only when it holds at least one key.
    bool hasKeys(std::string_view section) const;
    // Every section name once, in file order.
    std::vector<std::string> sectionNames() const;
    // The key names of a section once each, in file order.
    std::vector<std::string> keyNames(std::string_view section) const;

    // Changes in memory; save() writes them. A line break inside a value is written as a space
    // so that a value can never split its line. A key name must not be empty and no name may
    // hold a line break, a key no "=" and a section no "]" (std::invalid_argument).
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void deleteKey(std::string_view section, std::string_view key);
    void deleteSection(std::string_view section);

    // True when the file in memory differs from what was read.
    bool modified() const { return modified_; }
    // Replaces the file atomically with the content in memory. The folder must exist.
    void save();
    // The file's bytes as save() would write them.
    std::string bytes() const;

  private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string text;    // CP932, without the line end
        std::string ending;  // "\r\n", "\n", or empty on a last line without one
        Kind kind = Kind::Other;
        std::string name;        // section or key name as written
        std::string foldedName;  // the name lower-cased, for comparing
        std::size_t valueStart = 0;
    };
    struct Range {
        std::size_t begin, end;  // lines of a section: its header, then up to the next header
    };

    static Line parseLine(std::string text, std::string ending);
    std::optional<Range> findSection(std::string_view foldedSection) const;
    std::optional<std::size_t> findKey(const Range& range, std::string_view foldedKey) const;
    std::optional<std::string> rawValue(std::string_view section, std::string_view key) const;
    void insertLine(std::size_t position, const std::string& text);

    std::filesystem::path path_;
    std::vector<Line> lines_;
    bool modified_ = false;
};

// The private-profile functions. Each call reads the file afresh, so there is no cache to flush.
// Reading never fails: a missing or unreadable file reads as empty.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue,
                                    const std::filesystem::path& file);
std::vector<std::string> GetPrivateProfileSectionNames(const std::filesystem::path& file);
std::vector<std::string> GetPrivateProfileKeyNames(std::string_view section,
                                                   const std::filesystem::path& file);
// Writes a value; with no value deletes the key, with no key deletes the section; with nothing
// at all it is the flush call. Returns false when the file could not be written (or the
// arguments make no sense); the file is never half written.
bool WritePrivateProfileString(std::optional<std::string_view> section,
                               std::optional<std::string_view> key,
                               std::optional<std::string_view> value,
                               const std::filesystem::path& file);

}  // namespace kestrin
