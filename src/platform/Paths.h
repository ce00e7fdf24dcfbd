#pragma once
// Where the system's files live on Linux (the stand-ins for the Windows locations).

#include <filesystem>
#include <string>
#include <vector>

namespace kestrin {

// The per-user configuration folder: $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path configFolder();
// The settings store: $KESTRIN_REGISTRY, else $XDG_CONFIG_HOME/kestrin/registry.db.
std::filesystem::path registryPath();
// The Favorites folder: $KESTRIN_FAVORITES, else $XDG_DATA_HOME/kestrin/Favorites.
std::filesystem::path favoritesFolder();
// Per-user state (files the system once wrote beside its program, e.g. "Download.inf"):
// $XDG_STATE_HOME/kestrin. Created on demand by the caller.
std::filesystem::path stateFolder();
// The XDG data folders, most important first: $XDG_DATA_HOME (else ~/.local/share), then
// those of $XDG_DATA_DIRS (else /usr/local/share and /usr/share); relative ones are skipped.
std::vector<std::filesystem::path> dataFolders();
// Per-user files that can be made again (the help window's copy of the help collection and its
// search index): $XDG_CACHE_HOME/kestrin, XDG default ~/.cache.
std::filesystem::path cacheFolder();
// The running program's file.
std::filesystem::path programPath();
// Where read-only files of the system are looked for, in order: beside the program (a build
// tree), the data folder as seen from the program's folder (an installed tree, wherever it
// was put), the data folder of the configured prefix.
std::vector<std::filesystem::path> dataFolders(const std::filesystem::path& programFolder);
// A read-only file of the system ("kestrin.wav", the help folder): the first of dataFolders()
// of the running program that has it. Empty when none has it.
std::filesystem::path findDataFile(const std::string& name);

}  // namespace kestrin
