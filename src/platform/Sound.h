#pragma once
// Playing a wave file without waiting for it: the sound is handed to the first desktop sound
// player found on PATH, which runs as a child process with its output thrown away. The child
// is reaped from a pump timer, so no zombie is left behind and no SIGCHLD handler is needed.

#include <cstddef>
#include <filesystem>

namespace kestrin {

// Starts playing `file` and returns at once. Silence (false) when the file is missing or no
// player is found; true when a player was started.
bool playSound(const std::filesystem::path& file);

// The player that playSound uses: the first of "pw-play", "paplay", "aplay" found on PATH;
// empty when there is none.
std::filesystem::path findSoundPlayer();

// Players started and not yet reaped.
std::size_t soundPlayersRunning();

}  // namespace kestrin
