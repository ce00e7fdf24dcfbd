#pragma once
// The settings store: a per-user tree of keys holding string, 32-bit integer and binary
// values, kept in one SQLite database so that several processes (the program, kestrin-cli,
// supporting programs) may read and write at once without losing a write.
//
// Key paths are backslash-separated and relative to the user's root (HKEY_CURRENT_USER):
// "Software\Renvane\KestrinAuthor"; leading, trailing and doubled backslashes are ignored, so
// "\Software\Renvane\" names the same key. Key and value names compare without regard to
// ASCII case and keep the case they were created with. The empty value name is the key's
// default value.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;

namespace kestrin {

// A failure of the store: a missing key or value, a value of the wrong type, a database error.
class ERegistryException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The value types, numbered as the Windows registry numbers them.
enum class RegistryType { String = 1, Binary = 3, Integer = 4 };

using RegistryBytes = std::vector<std::uint8_t>;
// String (UTF-8), Integer or Binary, in the order of the variant.
using RegistryData = std::variant<std::string, std::uint32_t, RegistryBytes>;

RegistryType typeOf(const RegistryData& data);
// "REG_SZ", "REG_DWORD", "REG_BINARY".
const char* typeName(RegistryType type);

struct RegistryValue {
    std::string name;
    RegistryData data;
};

class Registry {
  public:
    // Opens (creating it and its folder when missing) the store at `file`.
    explicit Registry(const std::filesystem::path& file);
    // Opens the user's store, registryPath().
    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    bool keyExists(std::string_view path);
    // The path with every name in the case it was created with; nullopt when the key is missing.
    std::optional<std::string> storedPath(std::string_view path);
    // Creates the key and any missing key above it; true when it was created.
    bool createKey(std::string_view path);
    // Deletes the key with all its subkeys and values; false when it did not exist.
    // The root cannot be deleted.
    bool deleteKey(std::string_view path);

    // Names of the direct subkeys, sorted without regard to ASCII case. Missing key: error.
    std::vector<std::string> subkeyNames(std::string_view path);
    // The key's values in the order they were created. Missing key: error.
    std::vector<RegistryValue> values(std::string_view path);

    // A value; nullopt when the key or the value is missing.
    std::optional<RegistryData> value(std::string_view path, std::string_view name);
    // A value of the given type; nullopt when the key or the value is missing, an error when
    // the value has another type.
    std::optional<RegistryData> valueOfType(std::string_view path, std::string_view name,
                                            RegistryType type);
    // Typed reads: a missing key or value, or a value of another type, raises an error.
    std::string readString(std::string_view path, std::string_view name);
    std::uint32_t readInteger(std::string_view path, std::string_view name);
    RegistryBytes readBinary(std::string_view path, std::string_view name);

    // Writes a value into an existing key (error when the key is missing). A value that
    // exists is replaced in place (keeping its name's case and its place in the order).
    void write(std::string_view path, std::string_view name, const RegistryData& data);
    // False when the value did not exist.
    bool deleteValue(std::string_view path, std::string_view name);

  private:
    enum class Access { Read, Write };
    class Scope;

  public:
    // All or nothing: the changes made while a Transaction is alive are kept only when
    // commit() is called; it holds the store's write lock from the start, so a
    // read-modify-write inside it cannot lose another process's write. Scopes may nest.
    class Transaction {
      public:
        explicit Transaction(Registry& registry);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void commit();

      private:
        std::unique_ptr<Scope> scope_;
    };

  private:
    void execute(const char* sql);
    void createSchema();
    std::optional<std::int64_t> findKey(std::string_view path);
    std::int64_t requireKey(std::string_view path);
    std::optional<std::int64_t> findChild(std::int64_t parent, std::string_view name);
    RegistryData readTyped(std::string_view path, std::string_view name, RegistryType type);

    sqlite3* db_ = nullptr;
    std::filesystem::path file_;
    int depth_ = 0;  // open transaction scopes
};

}  // namespace kestrin
