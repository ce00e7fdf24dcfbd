#include "platform/Sound.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "platform/MessagePump.h"
#include "platform/Shell.h"

extern char** environ;

namespace fs = std::filesystem;

namespace kestrin {

namespace {

// Children still to be reaped, and the pump timer that polls them.
struct Reaper {
    std::vector<pid_t> children;
    MessagePump* pump = nullptr;
    MessagePump::Handle timer = 0;
};

Reaper& reaper() {
    static Reaper state;
    return state;
}

void reapFinished() {
    auto& children = reaper().children;
    std::erase_if(children, [](pid_t child) {
        int status = 0;
        pid_t result = ::waitpid(child, &status, WNOHANG);
        return result == child || (result < 0 && errno == ECHILD);
    });
}

void pollChildren() {
    Reaper& state = reaper();
    reapFinished();
    if (state.children.empty() && state.pump) {
        state.pump->stopTimer(state.timer);
        state.pump = nullptr;
    }
}

void watchChild(pid_t child) {
    Reaper& state = reaper();
    state.children.push_back(child);
    if (state.pump) return;
    state.pump = &messagePump();
    state.timer = state.pump->startTimer(std::chrono::milliseconds(100), pollChildren, true);
}

// Runs `player file` with standard input, output and error on /dev/null and no other
// descriptors inherited; the child's pid, or -1 when it could not be started.
pid_t spawnPlayer(const fs::path& player, const fs::path& file) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    std::string program = player.string();
    std::string argument = file.string();
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = -1;
    int error = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? child : -1;
}

}  // namespace

fs::path findSoundPlayer() {
    for (const char* name : {"pw-play", "paplay", "aplay"}) {
        if (std::string player = findInPath(name); !player.empty()) return player;
    }
    return {};
}

bool playSound(const fs::path& file) {
    reapFinished();
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return false;
    fs::path player = findSoundPlayer();
    if (player.empty()) return false;
    // An absolute name never starts with '-', so the player cannot take it for an option.
    pid_t child = spawnPlayer(player, fs::absolute(file, error));
    if (child < 0) return false;
    watchChild(child);
    return true;
}

std::size_t soundPlayersRunning() {
    return reaper().children.size();
}

}  // namespace kestrin
