#include "platform/VolumeSerial.h"

#include <unistd.h>

#include <cctype>
#include <fstream>
#include <string>

namespace kestrin {

namespace {

std::optional<std::uint32_t>& installed() {
    static std::optional<std::uint32_t> serial;
    return serial;
}

std::uint32_t fnv1a(std::string_view text) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::uint32_t hostNameSerial() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return fnv1a(name);
}

}  // namespace

std::optional<std::uint32_t> foldMachineId(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) return std::nullopt;
    bool hex = text.size() == 32;
    for (unsigned char c : text)
        hex = hex && std::isxdigit(c);
    if (!hex) return fnv1a(text);
    std::uint32_t folded = 0;
    for (std::size_t word = 0; word < 4; ++word)
        folded ^= static_cast<std::uint32_t>(
            std::stoul(std::string(text.substr(word * 8, 8)), nullptr, 16));
    return folded;
}

std::uint32_t readVolumeSerial(const std::initializer_list<std::filesystem::path>& files) {
    for (const auto& file : files) {
        std::ifstream in(file);
        std::string line;
        if (!std::getline(in, line)) continue;
        if (auto serial = foldMachineId(line)) return *serial;
    }
    return hostNameSerial();
}

std::uint32_t volumeSerial() {
    if (installed()) return *installed();
    static const std::uint32_t machine =
        readVolumeSerial({"/etc/machine-id", "/var/lib/dbus/machine-id"});
    return machine;
}

void installVolumeSerial(std::optional<std::uint32_t> serial) {
    installed() = serial;
}

}  // namespace kestrin
