// A writer process killed at any moment leaves every file it was rewriting whole: an item file
// and a profile file hold either their old or their new content, and the settings store opens
// and holds every write the writer had reported done.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "define/DefineItem.h"
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "support/TempEnvironment.h"

namespace fs = std::filesystem;

namespace kestrin {
namespace {

using test::readFile;
using test::TempEnvironment;

constexpr const char* kStoreKey = "Software\\Renvane\\Crash";

// Generation n of each file: every value names n, and the values are long enough that a torn
// write would show.
std::string filler(std::uint32_t generation, int index) {
    return std::to_string(generation) + "-" + std::to_string(index) + std::string(200, 'x');
}

void writeItem(const std::string& path, std::uint32_t generation) {
    TVKestrinDefineItem items;
    TVDefineItem item;
    items.LoadItem(path, item);
    item.PageURL = "http://127.0.0.1/" + std::to_string(generation);
    item.Update = filler(generation, 0);
    item.ForeString = filler(generation, 1);
    item.PageSize = std::int32_t(generation);
    item.ForeFile = {filler(generation, 2), filler(generation, 3)};
    items.SaveItem(item);
}

void writeProfile(const fs::path& path, std::uint32_t generation) {
    TProfileFile file(path);
    for (int key = 0; key < 20; ++key)
        file.writeString("Crash", "Key" + std::to_string(key), filler(generation, key));
    file.save();
}

// What the writer reports through its pipe after each write has returned.
enum class Done : std::uint8_t { Item, Profile, Store };
struct Report {
    Done what;
    std::uint32_t generation;
};

// Rewrites the three files, generation after generation from `first`, until it is killed.
[[noreturn]] void runWriter(const TempEnvironment& environment, int reportFd, std::uint32_t first) {
    auto report = [&](Done what, std::uint32_t generation) {
        Report record{what, generation};
        if (::write(reportFd, &record, sizeof record) != sizeof record) _exit(2);
    };
    try {
        Registry store(environment.registry());
        store.createKey(kStoreKey);
        for (std::uint32_t generation = first;; ++generation) {
            writeItem((environment.favorites() / "item.url").string(), generation);
            report(Done::Item, generation);
            writeProfile(environment.root() / "file.ini", generation);
            report(Done::Profile, generation);
            store.write(kStoreKey, "Value" + std::to_string(generation), generation);
            report(Done::Store, generation);
        }
    } catch (...) {
        _exit(1);
    }
}

void writeItemAt(const fs::path& path, std::uint32_t generation) {
    writeItem(path.string(), generation);
}

// One file the writer rewrites, and the generation it was last seen to hold (0: none yet).
struct WatchedFile {
    fs::path path;
    void (*write)(const fs::path&, std::uint32_t);
    std::uint32_t holds = 0;

    // The bytes the file holds after generation `generation` was written, made aside.
    std::string bytesOf(std::uint32_t generation) const {
        test::TempFolder aside;
        write(aside / path.filename(), generation);
        return readFile(aside / path.filename());
    }

    // After a kill: the file holds its old content (the last generation reported, or what it
    // held before the round) or the generation that was being written.
    void expectOldOrNew(std::optional<std::uint32_t> lastReported, std::uint32_t firstOfRound) {
        std::uint32_t old = lastReported.value_or(holds);
        std::uint32_t inFlight = lastReported ? *lastReported + 1 : firstOfRound;
        std::string bytes = fs::exists(path) ? readFile(path) : "";
        if (old == 0 && bytes.empty()) return;  // not written yet
        if (old != 0 && bytes == bytesOf(old)) {
            holds = old;
        } else if (bytes == bytesOf(inFlight)) {
            holds = inFlight;
        } else {
            ADD_FAILURE() << path.filename() << " holds neither generation " << old << " nor "
                          << inFlight;
        }
    }
};

TEST(CrashSafety, AKilledWriterLeavesOldOrNewContentAndEveryReportedStoreWrite) {
    TempEnvironment environment;
    fs::create_directories(environment.favorites());
    WatchedFile item{environment.favorites() / "item.url", writeItemAt};
    WatchedFile profile{environment.root() / "file.ini", writeProfile};
    std::mt19937 random(std::random_device{}());
    // The kill comes a random number of reported writes into the round, and a random moment
    // after the last of them, so that it lands anywhere in a write however fast the writer is.
    std::uniform_int_distribution<int> reportsBeforeKill(0, 6);
    std::uniform_int_distribution<int> thenMicroseconds(0, 5000);

    std::vector<std::uint32_t> storeDone;
    std::uint32_t first = 1;
    for (int round = 0; round < 25; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            ::close(pipeFds[0]);
            runWriter(environment, pipeFds[1], first);
        }
        ::close(pipeFds[1]);

        std::optional<std::uint32_t> itemReported, profileReported;
        auto take = [&](const Report& record) {
            if (record.what == Done::Item) itemReported = record.generation;
            if (record.what == Done::Profile) profileReported = record.generation;
            if (record.what == Done::Store) storeDone.push_back(record.generation);
        };
        Report record;
        const int reports = reportsBeforeKill(random);
        for (int i = 0; i < reports; ++i) {
            ASSERT_EQ(::read(pipeFds[0], &record, sizeof record), ssize_t(sizeof record))
                << "the writer stopped reporting";
            take(record);
        }
        const int delay = thenMicroseconds(random);
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        ::kill(writer, SIGKILL);
        int status = 0;
        ::waitpid(writer, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself, status " << status;
        while (::read(pipeFds[0], &record, sizeof record) == sizeof record)
            take(record);
        ::close(pipeFds[0]);

        SCOPED_TRACE("round " + std::to_string(round) + ", killed " + std::to_string(delay) +
                     " us after report " + std::to_string(reports));
        item.expectOldOrNew(itemReported, first);
        profile.expectOldOrNew(profileReported, first);
        first = std::max({first, item.holds, profile.holds}) + 2;
    }

    Registry store(environment.registry());
    for (std::uint32_t generation : storeDone) {
        auto value = store.value(kStoreKey, "Value" + std::to_string(generation));
        ASSERT_TRUE(value) << "reported write " << generation << " is missing";
        EXPECT_EQ(std::get<std::uint32_t>(*value), generation);
    }
    EXPECT_FALSE(storeDone.empty()) << "no store write was reported in any round";
}

}  // namespace
}  // namespace kestrin
