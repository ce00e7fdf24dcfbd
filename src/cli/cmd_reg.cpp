// kestrin-cli reg: the settings store with the verbs and switches of the Windows "reg" tool,
// so supporting programs can register themselves from scripts.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

#include "cli/Command.h"
#include "platform/RegFile.h"
#include "platform/Registry.h"
#include "text/Ascii.h"

namespace kestrin::cli {

namespace {

constexpr const char* kDone = "The operation completed successfully.";

// The switches after the verb. A switch takes the next argument when it has a value.
struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> switches;  // lower-case name ("/v") -> value or ""

    bool has(const std::string& name) const { return switches.count(name) > 0; }
    std::string get(const std::string& name) const {
        auto found = switches.find(name);
        return found == switches.end() ? "" : found->second;
    }
};

// `allowed` maps each switch the verb knows to whether it takes a value; `positionals` is
// how many other arguments the verb needs.
Options parseOptions(const Arguments& arguments, const std::map<std::string, bool>& allowed,
                     std::size_t positionals) {
    Options options;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string name = asciiLowered(arguments[i]);
        auto known = allowed.find(name);
        if (known == allowed.end()) {
            if (name.size() > 1 && name.size() <= 3 && name[0] == '/')
                throw UsageError("unknown switch " + arguments[i]);
            options.positional.push_back(arguments[i]);
            continue;
        }
        if (options.has(name)) throw UsageError(arguments[i] + " is given twice");
        if (known->second && i + 1 == arguments.size())
            throw UsageError(arguments[i] + " needs a value");
        options.switches[name] = known->second ? arguments[++i] : "";
    }
    if (options.positional.size() != positionals)
        throw UsageError("expected " + std::to_string(positionals) +
                         (positionals == 1 ? " argument" : " arguments") + " after " +
                         arguments[0]);
    return options;
}

// The value name given by /v NAME or /ve (the default value); nullopt for neither.
std::optional<std::string> valueName(const Options& options) {
    if (options.has("/v") && options.has("/ve")) throw UsageError("give either /v or /ve");
    if (options.has("/ve")) return std::string();
    if (options.has("/v")) return options.get("/v");
    return std::nullopt;
}

std::string keyPath(const std::string& fullPath) {
    try {
        return pathBelowHive(fullPath);
    } catch (const std::invalid_argument& error) {
        throw std::runtime_error(error.what());
    }
}

// Asks on standard error; anything but an answer starting with "y" (or no input) is No.
bool confirm(const std::string& question, const Options& options, const char* forceSwitch) {
    if (options.has(forceSwitch)) return true;
    std::cerr << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) std::cerr << '\n';
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

int cancelled() {
    std::cerr << "The operation was cancelled.\n";
    return 1;
}

std::string displayName(const std::string& name) {
    return name.empty() ? "(Default)" : name;
}

RegistryData parseData(const std::string& type, const std::string& data) {
    if (type == "REG_SZ") return data;
    if (type == "REG_DWORD") {
        std::size_t used = 0;
        unsigned long long number = 0;
        try {
            number = std::stoull(data.empty() ? "0" : data, &used, 0);
        } catch (const std::exception&) {
            used = 0;
        }
        if ((!data.empty() && used != data.size()) || data.starts_with('-') ||
            number > 0xFFFFFFFFull)
            throw std::runtime_error(
                "REG_DWORD data must be a number from 0 to 4294967295 (0x... for "
                "hexadecimal): \"" +
                data + "\"");
        return static_cast<std::uint32_t>(number);
    }
    if (type == "REG_BINARY") {
        RegistryBytes bytes;
        for (std::size_t i = 0; i < data.size(); i += 2) {
            std::size_t used = 0;
            std::string pair = data.substr(i, 2);
            try {
                bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, &used, 16)));
            } catch (const std::exception&) {
                used = 0;
            }
            if (pair.size() != 2 || used != 2 || pair[0] == '+' || pair[0] == '-')
                throw std::runtime_error("REG_BINARY data must be pairs of hexadecimal digits: \"" +
                                         data + "\"");
        }
        return bytes;
    }
    throw std::runtime_error("unsupported type " + type + " (REG_SZ, REG_DWORD or REG_BINARY)");
}

std::string formatData(const RegistryData& data) {
    if (auto* text = std::get_if<std::string>(&data)) return *text;
    char buffer[16];
    if (auto* number = std::get_if<std::uint32_t>(&data)) {
        std::snprintf(buffer, sizeof buffer, "0x%x", *number);
        return buffer;
    }
    std::string hex;
    for (std::uint8_t byte : std::get<RegistryBytes>(data)) {
        std::snprintf(buffer, sizeof buffer, "%02X", byte);
        hex += buffer;
    }
    return hex;
}

void printValue(const std::string& name, const RegistryData& data) {
    std::cout << "    " << displayName(name) << "    " << typeName(typeOf(data)) << "    "
              << formatData(data) << '\n';
}

void requireKey(Registry& registry, const std::string& path) {
    if (!registry.keyExists(path))
        throw std::runtime_error("key \"" + withHive(path) + "\" does not exist");
}

int add(const Arguments& arguments) {
    Options options = parseOptions(
        arguments, {{"/v", true}, {"/ve", false}, {"/t", true}, {"/d", true}, {"/f", false}}, 1);
    std::string path = keyPath(options.positional[0]);
    auto name = valueName(options);
    if (!name && (options.has("/t") || options.has("/d")))
        throw UsageError("/t and /d need /v NAME or /ve");
    std::optional<RegistryData> data;
    if (name) data = parseData(options.has("/t") ? options.get("/t") : "REG_SZ", options.get("/d"));

    Registry registry;
    // Ask before taking the write lock, so that no other process waits on the answer.
    if (data && registry.value(path, *name) &&
        !confirm("Value " + displayName(*name) + " exists, overwrite", options, "/f"))
        return cancelled();
    Registry::Transaction transaction(registry);
    registry.createKey(path);
    if (data) registry.write(path, *name, *data);
    transaction.commit();
    std::cout << kDone << '\n';
    return 0;
}

int query(const Arguments& arguments) {
    Options options = parseOptions(arguments, {{"/v", true}, {"/ve", false}, {"/s", false}}, 1);
    std::string path = keyPath(options.positional[0]);
    auto name = valueName(options);
    Registry registry;
    auto stored = registry.storedPath(path);
    if (!stored) throw std::runtime_error("key \"" + withHive(path) + "\" does not exist");

    int found = 0;
    std::function<void(const std::string&)> show = [&](const std::string& key) {
        auto subkeys = registry.subkeyNames(key);
        if (name) {
            for (const auto& value : registry.values(key)) {
                if (!equalIgnoringCase(value.name, *name)) continue;
                std::cout << '\n' << withHive(key) << '\n';
                printValue(value.name, value.data);
                ++found;
            }
        } else {
            std::cout << '\n' << withHive(key) << '\n';
            for (const auto& value : registry.values(key))
                printValue(value.name, value.data);
            if (!options.has("/s")) {
                if (!subkeys.empty()) std::cout << '\n';
                for (const auto& subkey : subkeys)
                    std::cout << withHive(key) << '\\' << subkey << '\n';
            }
        }
        if (options.has("/s")) {
            for (const auto& subkey : subkeys)
                show(key.empty() ? subkey : key + "\\" + subkey);
        }
    };
    show(*stored);
    if (name && found == 0)
        throw std::runtime_error("value " + displayName(*name) + " does not exist in \"" +
                                 withHive(*stored) + "\"");
    return 0;
}

int remove(const Arguments& arguments) {
    Options options =
        parseOptions(arguments, {{"/v", true}, {"/ve", false}, {"/va", false}, {"/f", false}}, 1);
    std::string path = keyPath(options.positional[0]);
    auto name = valueName(options);
    if (name && options.has("/va")) throw UsageError("give only one of /v, /ve and /va");
    Registry registry;
    requireKey(registry, path);
    if (name) {
        if (!registry.value(path, *name))
            throw std::runtime_error("value " + displayName(*name) + " does not exist in \"" +
                                     withHive(path) + "\"");
        if (!confirm("Delete the registry value " + displayName(*name), options, "/f"))
            return cancelled();
        registry.deleteValue(path, *name);
    } else if (options.has("/va")) {
        if (!confirm("Delete all values under the registry key " + withHive(path), options, "/f"))
            return cancelled();
        Registry::Transaction transaction(registry);
        for (const auto& value : registry.values(path))
            registry.deleteValue(path, value.name);
        transaction.commit();
    } else {
        if (!confirm("Permanently delete the registry key " + withHive(path), options, "/f"))
            return cancelled();
        registry.deleteKey(path);
    }
    std::cout << kDone << '\n';
    return 0;
}

int import(const Arguments& arguments) {
    Options options = parseOptions(arguments, {}, 1);
    const std::string& file = options.positional[0];
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file);
    std::ostringstream text;
    text << in.rdbuf();
    auto sections = parseRegFile(text.str());
    Registry registry;
    applyRegFile(registry, sections);
    std::cout << kDone << '\n';
    return 0;
}

int exportKey(const Arguments& arguments) {
    Options options = parseOptions(arguments, {{"/y", false}}, 2);
    std::string path = keyPath(options.positional[0]);
    const std::string& file = options.positional[1];
    Registry registry;
    std::string text = exportRegFile(registry, path);
    if (std::filesystem::exists(file) &&
        !confirm("File " + file + " already exists. Overwrite", options, "/y"))
        return cancelled();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!(out << text) || !out.flush()) throw std::runtime_error("cannot write " + file);
    std::cout << kDone << '\n';
    return 0;
}

int reg(const Arguments& arguments) {
    static const std::map<std::string, std::function<int(const Arguments&)>> verbs = {
        {"add", add},       {"query", query},      {"delete", remove},
        {"import", import}, {"export", exportKey},
    };
    if (arguments.empty()) throw UsageError("an operation is missing");
    auto verb = verbs.find(asciiLowered(arguments[0]));
    if (verb == verbs.end())
        throw UsageError("unknown operation \"" + arguments[0] +
                         "\" (add, query, delete, import or export)");
    return verb->second(arguments);
}

const CommandRegistration registration(
    "reg",
    "reg add|query|delete|import|export KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD|REG_BINARY] "
    "[/d DATA] [/f] [/s]; reg import FILE.reg; reg export KEY FILE.reg [/y]",
    reg);

}  // namespace

}  // namespace kestrin::cli
