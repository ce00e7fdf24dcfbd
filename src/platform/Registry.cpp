#include "platform/Registry.h"

#include <sqlite3.h>

#include "platform/Paths.h"

namespace kestrin {

namespace {

constexpr std::int64_t kRootKey = 1;
constexpr int kBusyTimeoutMs = 10000;
constexpr int kSchemaVersion = 1;

// Names compare with SQLite's NOCASE collation, which folds ASCII letters only.
constexpr const char* kSchema = R"(
CREATE TABLE keys(
    id INTEGER PRIMARY KEY,
    parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL COLLATE NOCASE,
    UNIQUE(parent, name));
CREATE TABLE vals(
    id INTEGER PRIMARY KEY,
    key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL COLLATE NOCASE,
    type INTEGER NOT NULL,
    data,
    UNIQUE(key, name));
INSERT INTO keys(id, parent, name) VALUES (1, NULL, '');
PRAGMA user_version = 1;
)";

// The non-empty names of a backslash-separated path.
std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> names;
    while (!path.empty()) {
        std::size_t cut = path.find('\\');
        std::string_view name = path.substr(0, cut);
        if (!name.empty()) names.push_back(name);
        if (cut == std::string_view::npos) break;
        path.remove_prefix(cut + 1);
    }
    return names;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string describeValue(std::string_view path, std::string_view name) {
    return "value " + (name.empty() ? std::string("(default)") : quoted(name)) + " of key " +
           quoted(path);
}

// One prepared SQL statement.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) fail();
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t number) {
        check(sqlite3_bind_int64(statement_, index, number));
        return *this;
    }
    Statement& bind(int index, std::string_view text) {
        // An empty view may have no data pointer, which SQLite would take for NULL.
        check(sqlite3_bind_text(statement_, index, text.empty() ? "" : text.data(),
                                static_cast<int>(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bindBlob(int index, const RegistryBytes& bytes) {
        check(bytes.empty() ? sqlite3_bind_zeroblob(statement_, index, 0)
                            : sqlite3_bind_blob(statement_, index, bytes.data(),
                                                static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
        return *this;
    }

    // True while there is a row to read.
    bool step() {
        int result = sqlite3_step(statement_);
        if (result == SQLITE_ROW) return true;
        if (result != SQLITE_DONE) fail();
        return false;
    }

    std::int64_t integer(int column) { return sqlite3_column_int64(statement_, column); }
    std::string text(int column) {
        auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return data ? std::string(data, sqlite3_column_bytes(statement_, column)) : std::string();
    }
    RegistryBytes blob(int column) {
        auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
        return data ? RegistryBytes(data, data + sqlite3_column_bytes(statement_, column))
                    : RegistryBytes();
    }

  private:
    void check(int result) {
        if (result != SQLITE_OK) fail();
    }
    [[noreturn]] void fail() {
        throw ERegistryException(std::string("settings store: ") + sqlite3_errmsg(db_));
    }

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// Reads the value columns (type, data) starting at `column`.
RegistryData readData(Statement& statement, int column) {
    switch (static_cast<RegistryType>(statement.integer(column))) {
        case RegistryType::Integer:
            return static_cast<std::uint32_t>(statement.integer(column + 1));
        case RegistryType::Binary:
            return statement.blob(column + 1);
        case RegistryType::String:
            break;
    }
    return statement.text(column + 1);
}

}  // namespace

RegistryType typeOf(const RegistryData& data) {
    switch (data.index()) {
        case 1:
            return RegistryType::Integer;
        case 2:
            return RegistryType::Binary;
        default:
            return RegistryType::String;
    }
}

const char* typeName(RegistryType type) {
    switch (type) {
        case RegistryType::Integer:
            return "REG_DWORD";
        case RegistryType::Binary:
            return "REG_BINARY";
        case RegistryType::String:
            break;
    }
    return "REG_SZ";
}

// A read or write scope: the outermost one is a transaction (writes take the write lock at
// once, so two processes never interleave a read-modify-write), inner ones are savepoints.
class Registry::Scope {
  public:
    Scope(Registry& registry, Access access) : registry_(registry) {
        const bool outermost = registry.depth_ == 0;
        registry.execute(!outermost                ? "SAVEPOINT scope"
                         : access == Access::Write ? "BEGIN IMMEDIATE"
                                                   : "BEGIN");
        ++registry.depth_;
    }
    ~Scope() {
        if (done_) return;
        --registry_.depth_;
        // Undo quietly: this runs while an error is on its way up.
        sqlite3_exec(registry_.db_,
                     registry_.depth_ == 0 ? "ROLLBACK" : "ROLLBACK TO scope; RELEASE scope",
                     nullptr, nullptr, nullptr);
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    void commit() {
        done_ = true;
        --registry_.depth_;
        try {
            registry_.execute(registry_.depth_ == 0 ? "COMMIT" : "RELEASE scope");
        } catch (...) {
            // A failed commit leaves the transaction open; end it so the next one can start.
            if (registry_.depth_ == 0)
                sqlite3_exec(registry_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

  private:
    Registry& registry_;
    bool done_ = false;
};

Registry::Registry() : Registry(registryPath()) {}

Registry::Registry(const std::filesystem::path& file) : file_(file) {
    std::error_code error;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw ERegistryException("cannot open the settings store " + file.string() + ": " +
                                 message);
    }
    try {
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        execute("PRAGMA journal_mode = WAL");
        execute("PRAGMA foreign_keys = ON");
        createSchema();
    } catch (...) {
        sqlite3_close(db_);
        throw;
    }
}

Registry::~Registry() {
    sqlite3_close(db_);
}

void Registry::execute(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        throw ERegistryException("settings store " + file_.string() + ": " + text);
    }
}

void Registry::createSchema() {
    auto version = [this] {
        Statement statement(db_, "PRAGMA user_version");
        return statement.step() ? statement.integer(0) : 0;
    };
    if (version() == kSchemaVersion) return;
    Scope scope(*this, Access::Write);
    // Another process may have created it while this one waited for the lock.
    if (version() == 0) execute(kSchema);
    if (version() != kSchemaVersion)
        throw ERegistryException("settings store " + file_.string() + ": unknown database layout");
    scope.commit();
}

std::optional<std::int64_t> Registry::findChild(std::int64_t parent, std::string_view name) {
    Statement statement(db_, "SELECT id FROM keys WHERE parent = ? AND name = ?");
    statement.bind(1, parent).bind(2, name);
    if (!statement.step()) return std::nullopt;
    return statement.integer(0);
}

std::optional<std::int64_t> Registry::findKey(std::string_view path) {
    std::int64_t id = kRootKey;
    for (std::string_view name : splitPath(path)) {
        auto child = findChild(id, name);
        if (!child) return std::nullopt;
        id = *child;
    }
    return id;
}

std::int64_t Registry::requireKey(std::string_view path) {
    auto id = findKey(path);
    if (!id) throw ERegistryException("key " + quoted(path) + " does not exist");
    return *id;
}

bool Registry::keyExists(std::string_view path) {
    Scope scope(*this, Access::Read);
    bool exists = findKey(path).has_value();
    scope.commit();
    return exists;
}

std::optional<std::string> Registry::storedPath(std::string_view path) {
    Scope scope(*this, Access::Read);
    std::string stored;
    std::int64_t id = kRootKey;
    for (std::string_view name : splitPath(path)) {
        Statement statement(db_, "SELECT id, name FROM keys WHERE parent = ? AND name = ?");
        statement.bind(1, id).bind(2, name);
        if (!statement.step()) return std::nullopt;
        id = statement.integer(0);
        stored += (stored.empty() ? "" : "\\") + statement.text(1);
    }
    scope.commit();
    return stored;
}

bool Registry::createKey(std::string_view path) {
    Scope scope(*this, Access::Write);
    std::int64_t id = kRootKey;
    bool created = false;
    for (std::string_view name : splitPath(path)) {
        if (auto child = findChild(id, name)) {
            id = *child;
            created = false;
            continue;
        }
        Statement insert(db_, "INSERT INTO keys(parent, name) VALUES (?, ?)");
        insert.bind(1, id).bind(2, name).step();
        id = sqlite3_last_insert_rowid(db_);
        created = true;
    }
    scope.commit();
    return created;
}

bool Registry::deleteKey(std::string_view path) {
    Scope scope(*this, Access::Write);
    auto id = findKey(path);
    if (!id) return false;
    if (*id == kRootKey) throw ERegistryException("the root key cannot be deleted");
    // Subkeys and values go with it (ON DELETE CASCADE).
    Statement(db_, "DELETE FROM keys WHERE id = ?").bind(1, *id).step();
    scope.commit();
    return true;
}

std::vector<std::string> Registry::subkeyNames(std::string_view path) {
    Scope scope(*this, Access::Read);
    Statement statement(db_, "SELECT name FROM keys WHERE parent = ? ORDER BY name");
    statement.bind(1, requireKey(path));
    std::vector<std::string> names;
    while (statement.step())
        names.push_back(statement.text(0));
    scope.commit();
    return names;
}

std::vector<RegistryValue> Registry::values(std::string_view path) {
    Scope scope(*this, Access::Read);
    Statement statement(db_, "SELECT name, type, data FROM vals WHERE key = ? ORDER BY id");
    statement.bind(1, requireKey(path));
    std::vector<RegistryValue> all;
    while (statement.step())
        all.push_back(RegistryValue{statement.text(0), readData(statement, 1)});
    scope.commit();
    return all;
}

std::optional<RegistryData> Registry::value(std::string_view path, std::string_view name) {
    Scope scope(*this, Access::Read);
    auto key = findKey(path);
    if (!key) return std::nullopt;
    Statement statement(db_, "SELECT type, data FROM vals WHERE key = ? AND name = ?");
    statement.bind(1, *key).bind(2, name);
    if (!statement.step()) return std::nullopt;
    RegistryData data = readData(statement, 0);
    scope.commit();
    return data;
}

std::optional<RegistryData> Registry::valueOfType(std::string_view path, std::string_view name,
                                                  RegistryType type) {
    auto data = value(path, name);
    if (data && typeOf(*data) != type)
        throw ERegistryException(describeValue(path, name) + " is " + typeName(typeOf(*data)) +
                                 ", not " + typeName(type));
    return data;
}

RegistryData Registry::readTyped(std::string_view path, std::string_view name, RegistryType type) {
    auto data = valueOfType(path, name, type);
    if (!data) throw ERegistryException(describeValue(path, name) + " does not exist");
    return std::move(*data);
}

std::string Registry::readString(std::string_view path, std::string_view name) {
    return std::get<std::string>(readTyped(path, name, RegistryType::String));
}

std::uint32_t Registry::readInteger(std::string_view path, std::string_view name) {
    return std::get<std::uint32_t>(readTyped(path, name, RegistryType::Integer));
}

RegistryBytes Registry::readBinary(std::string_view path, std::string_view name) {
    return std::get<RegistryBytes>(readTyped(path, name, RegistryType::Binary));
}

void Registry::write(std::string_view path, std::string_view name, const RegistryData& data) {
    Scope scope(*this, Access::Write);
    Statement statement(db_,
                        "INSERT INTO vals(key, name, type, data) VALUES (?, ?, ?, ?) "
                        "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, "
                        "data = excluded.data");
    statement.bind(1, requireKey(path)).bind(2, name).bind(3, static_cast<int>(typeOf(data)));
    if (auto* text = std::get_if<std::string>(&data)) statement.bind(4, *text);
    if (auto* number = std::get_if<std::uint32_t>(&data))
        statement.bind(4, static_cast<std::int64_t>(*number));
    if (auto* bytes = std::get_if<RegistryBytes>(&data)) statement.bindBlob(4, *bytes);
    statement.step();
    scope.commit();
}

bool Registry::deleteValue(std::string_view path, std::string_view name) {
    Scope scope(*this, Access::Write);
    Statement(db_, "DELETE FROM vals WHERE key = ? AND name = ?")
        .bind(1, requireKey(path))
        .bind(2, name)
        .step();
    bool deleted = sqlite3_changes(db_) > 0;
    scope.commit();
    return deleted;
}

Registry::Transaction::Transaction(Registry& registry)
    : scope_(std::make_unique<Scope>(registry, Access::Write)) {}

Registry::Transaction::~Transaction() = default;

void Registry::Transaction::commit() {
    scope_->commit();
}

}  // namespace kestrin
