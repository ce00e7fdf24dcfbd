#pragma once
// TVRegEx: the registry class of every user of the settings store. One object lives for one
// operation: create it, open "\Software\Renvane\" (or a key below it) with creation allowed,
// read or write, and let it go; nothing keeps a key open.
//
// Key names: a name starting with "\" is taken from the root (HKEY_CURRENT_USER), any other
// is relative to the open key. Booleans are REG_DWORD 0/1 and read as "not 0"; integers are
// REG_DWORD taken as signed 32-bit; strings are REG_SZ (UTF-8).
//
// The plain reads raise ERegistryException when the value is missing or of another type;
// the ...Ex and ...Def reads first test whether the value exists and give their default
// when it does not (a value of another type still raises).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace kestrin {

// The key of the system's settings and of the catalogue of authors and their software.
inline constexpr std::string_view kRenvaneKey = "\\Software\\Renvane\\";

enum class TRegDataType { rdUnknown, rdString, rdInteger, rdBinary };

class TVRegEx {
  public:
    // Works on the user's settings store (registryPath()).
    TVRegEx();
    // Works on the store in `file` (tests, tools).
    explicit TVRegEx(const std::filesystem::path& file);

    // Opens `key`; with canCreate, creates it and every missing key above it. False (and the
    // open key unchanged) when it does not exist and may not be created.
    bool OpenKey(const std::string& key, bool canCreate);
    // Opens kRenvaneKey + `subkey`, creating what is missing.
    void OpenRenvaneKey(const std::string& subkey = "");
    // Back to the root.
    void CloseKey();
    // The open key's path from the root, without a leading "\" ("" for the root).
    const std::string& CurrentPath() const { return current_; }

    bool KeyExists(const std::string& key);
    // Deletes the key with its subkeys and values; false when it did not exist.
    bool DeleteKey(const std::string& key);
    // The open key's subkeys, sorted without regard to case.
    std::vector<std::string> GetKeyNames();
    // The open key's value names, in creation order.
    std::vector<std::string> GetValueNames();

    bool ValueExists(const std::string& name);
    // rdUnknown when the value is missing.
    TRegDataType GetDataType(const std::string& name);
    // False when the value did not exist.
    bool DeleteValue(const std::string& name);

    std::string ReadString(const std::string& name);
    int ReadInteger(const std::string& name);
    bool ReadBool(const std::string& name);
    // Copies the value into `buffer` and returns its length; raises when it is longer than
    // `size`.
    int ReadBinaryData(const std::string& name, void* buffer, int size);
    RegistryBytes ReadBinaryData(const std::string& name);

    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int value);
    void WriteBool(const std::string& name, bool value);
    void WriteBinaryData(const std::string& name, const void* buffer, int size);

    // Bytes read; 0 and the buffer untouched when the value is missing.
    int ReadBinaryDataEx(const std::string& name, void* buffer, int size);
    // The stored value; false when missing.
    bool ReadBoolEx(const std::string& name);
    // value := the stored value and true; value := def and false when missing.
    bool ReadBoolDef(const std::string& name, bool& value, bool def);
    // The stored value; 0 when missing.
    int ReadIntegerEx(const std::string& name);
    bool ReadIntegerDef(const std::string& name, int& value, int def);
    // The stored text; "" when missing (also given in `value` by the second form).
    std::string ReadStringEx(const std::string& name);
    void ReadStringEx(const std::string& name, std::string& value);
    bool ReadStringDef(const std::string& name, std::string& value, const std::string& def);

    // The store underneath, e.g. for a Registry::Transaction around several writes.
    Registry& Store() { return registry_; }

  private:
    std::string resolve(const std::string& key) const;
    std::optional<RegistryData> find(const std::string& name, RegistryType type);

    Registry registry_;
    std::string current_;
};

}  // namespace kestrin
