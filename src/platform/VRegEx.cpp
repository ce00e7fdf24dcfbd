#include "platform/VRegEx.h"

#include <cstring>

namespace kestrin {

namespace {
int copyBinary(const std::string& name, const RegistryBytes& bytes, void* buffer, int size) {
    if (static_cast<int>(bytes.size()) > size)
        throw ERegistryException("value \"" + name + "\" holds " + std::to_string(bytes.size()) +
                                 " bytes, more than the " + std::to_string(size) +
                                 " the buffer takes");
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
}
}  // namespace

TVRegEx::TVRegEx() = default;

TVRegEx::TVRegEx(const std::filesystem::path& file) : registry_(file) {}

std::string TVRegEx::resolve(const std::string& key) const {
    if (key.starts_with('\\') || current_.empty()) return key;
    return current_ + "\\" + key;
}

bool TVRegEx::OpenKey(const std::string& key, bool canCreate) {
    std::string path = resolve(key);
    if (canCreate) registry_.createKey(path);
    auto stored = registry_.storedPath(path);
    if (!stored) return false;
    current_ = *stored;
    return true;
}

void TVRegEx::OpenRenvaneKey(const std::string& subkey) {
    OpenKey(std::string(kRenvaneKey) + subkey, true);
}

void TVRegEx::CloseKey() {
    current_.clear();
}

bool TVRegEx::KeyExists(const std::string& key) {
    return registry_.keyExists(resolve(key));
}

bool TVRegEx::DeleteKey(const std::string& key) {
    return registry_.deleteKey(resolve(key));
}

std::vector<std::string> TVRegEx::GetKeyNames() {
    return registry_.subkeyNames(current_);
}

std::vector<std::string> TVRegEx::GetValueNames() {
    std::vector<std::string> names;
    for (auto& value : registry_.values(current_))
        names.push_back(std::move(value.name));
    return names;
}

bool TVRegEx::ValueExists(const std::string& name) {
    return registry_.value(current_, name).has_value();
}

TRegDataType TVRegEx::GetDataType(const std::string& name) {
    auto data = registry_.value(current_, name);
    if (!data) return TRegDataType::rdUnknown;
    switch (typeOf(*data)) {
        case RegistryType::Integer:
            return TRegDataType::rdInteger;
        case RegistryType::Binary:
            return TRegDataType::rdBinary;
        case RegistryType::String:
            break;
    }
    return TRegDataType::rdString;
}

bool TVRegEx::DeleteValue(const std::string& name) {
    return registry_.deleteValue(current_, name);
}

std::string TVRegEx::ReadString(const std::string& name) {
    return registry_.readString(current_, name);
}

int TVRegEx::ReadInteger(const std::string& name) {
    return static_cast<int>(registry_.readInteger(current_, name));
}

bool TVRegEx::ReadBool(const std::string& name) {
    return ReadInteger(name) != 0;
}

int TVRegEx::ReadBinaryData(const std::string& name, void* buffer, int size) {
    return copyBinary(name, ReadBinaryData(name), buffer, size);
}

RegistryBytes TVRegEx::ReadBinaryData(const std::string& name) {
    return registry_.readBinary(current_, name);
}

void TVRegEx::WriteString(const std::string& name, const std::string& value) {
    registry_.write(current_, name, value);
}

void TVRegEx::WriteInteger(const std::string& name, int value) {
    registry_.write(current_, name, static_cast<std::uint32_t>(value));
}

void TVRegEx::WriteBool(const std::string& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TVRegEx::WriteBinaryData(const std::string& name, const void* buffer, int size) {
    auto* bytes = static_cast<const std::uint8_t*>(buffer);
    registry_.write(current_, name, RegistryBytes(bytes, bytes + size));
}

// The Ex and Def reads look the value up once, so a value deleted by another process between
// a test and a read cannot turn into an error.
std::optional<RegistryData> TVRegEx::find(const std::string& name, RegistryType type) {
    return registry_.valueOfType(current_, name, type);
}

int TVRegEx::ReadBinaryDataEx(const std::string& name, void* buffer, int size) {
    auto data = find(name, RegistryType::Binary);
    return data ? copyBinary(name, std::get<RegistryBytes>(*data), buffer, size) : 0;
}

bool TVRegEx::ReadBoolEx(const std::string& name) {
    return ReadIntegerEx(name) != 0;
}

bool TVRegEx::ReadBoolDef(const std::string& name, bool& value, bool def) {
    int number = 0;
    bool exists = ReadIntegerDef(name, number, def ? 1 : 0);
    value = number != 0;
    return exists;
}

int TVRegEx::ReadIntegerEx(const std::string& name) {
    int value = 0;
    ReadIntegerDef(name, value, 0);
    return value;
}

bool TVRegEx::ReadIntegerDef(const std::string& name, int& value, int def) {
    auto data = find(name, RegistryType::Integer);
    value = data ? static_cast<int>(std::get<std::uint32_t>(*data)) : def;
    return data.has_value();
}

std::string TVRegEx::ReadStringEx(const std::string& name) {
    std::string value;
    ReadStringDef(name, value, "");
    return value;
}

void TVRegEx::ReadStringEx(const std::string& name, std::string& value) {
    value = ReadStringEx(name);
}

bool TVRegEx::ReadStringDef(const std::string& name, std::string& value, const std::string& def) {
    auto data = find(name, RegistryType::String);
    value = data ? std::get<std::string>(*data) : def;
    return data.has_value();
}

}  // namespace kestrin
