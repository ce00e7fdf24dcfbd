#pragma once
// The machine's "volume serial": a stable 32-bit number of this machine, the key of the stored
// proxy password's scrambling. Taken from the systemd/D-Bus machine id; tests install their own.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace kestrin {

// Folds a machine id text: 32 hexadecimal digits (128 bits) give the XOR of their four 32-bit
// words; any other non-empty text gives its FNV-1a hash. nullopt for an empty text.
std::optional<std::uint32_t> foldMachineId(std::string_view text);

// The serial from the first readable id file of `files`; when none has an id, the FNV-1a hash
// of the host name, so that the number stays stable on a machine without a machine id.
std::uint32_t readVolumeSerial(const std::initializer_list<std::filesystem::path>& files);

// The serial in use: the installed one, else read once from /etc/machine-id
// (then /var/lib/dbus/machine-id).
std::uint32_t volumeSerial();
// Installs a fixed serial for tests; nullopt goes back to the machine's own.
void installVolumeSerial(std::optional<std::uint32_t> serial);

}  // namespace kestrin
