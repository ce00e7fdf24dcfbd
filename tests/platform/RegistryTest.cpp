#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::TempEnvironment;

constexpr const char* kAuthor = "Software\\Renvane\\KestrinAuthor";

std::vector<std::string> valueNames(Registry& registry, std::string_view path) {
    std::vector<std::string> names;
    for (const auto& value : registry.values(path))
        names.push_back(value.name);
    return names;
}

TEST(Registry, OpensTheUserStoreAndCreatesItsFolder) {
    TempEnvironment environment;
    {
        Registry registry;
        registry.createKey(kAuthor);
    }
    EXPECT_TRUE(std::filesystem::exists(environment.registry()));

    auto nested = environment.root() / "a" / "b" / "registry.db";
    Registry registry(nested);
    EXPECT_TRUE(std::filesystem::exists(nested));
    EXPECT_FALSE(registry.keyExists(kAuthor));
}

TEST(Registry, KeyPathsIgnoreAsciiCaseAndExtraBackslashes) {
    TempEnvironment environment;
    Registry registry;
    EXPECT_TRUE(registry.createKey(kAuthor));
    EXPECT_FALSE(registry.createKey("SOFTWARE\\renvane\\kestrinauthor"));

    for (const char* path :
         {"software\\renvane\\kestrinauthor", "\\Software\\Renvane\\KestrinAuthor\\",
          "SOFTWARE\\\\RENVANE\\KESTRINAUTHOR"}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(registry.keyExists(path));
        EXPECT_EQ(registry.storedPath(path), kAuthor);
    }
    EXPECT_FALSE(registry.keyExists("Software\\Renvane\\KestrinAutho"));
    EXPECT_EQ(registry.subkeyNames("software\\RENVANE"), std::vector<std::string>{"KestrinAuthor"});
    // Only ASCII letters fold: full-width letters are different names.
    EXPECT_FALSE(registry.keyExists("Software\\Renvane\\ＫestrinAuthor"));
}

TEST(Registry, ValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
    TempEnvironment environment;
    Registry registry;
    registry.createKey(kAuthor);
    registry.write(kAuthor, "DisplayName", std::string("first"));
    registry.write(kAuthor, "Build", 7u);
    registry.write(kAuthor, "DISPLAYNAME", std::string("second"));

    EXPECT_EQ(registry.readString(kAuthor, "displayname"), "second");
    EXPECT_EQ(valueNames(registry, kAuthor), (std::vector<std::string>{"DisplayName", "Build"}));
}

TEST(Registry, TypedReadsRefuseOtherTypes) {
    TempEnvironment environment;
    Registry registry;
    registry.createKey(kAuthor);
    registry.write(kAuthor, "Text", std::string("作者"));
    registry.write(kAuthor, "Number", 0xFFFFFFFFu);
    registry.write(kAuthor, "Bytes", RegistryBytes{0, 1, 0xFF});

    EXPECT_EQ(registry.readString(kAuthor, "Text"), "作者");
    EXPECT_EQ(registry.readInteger(kAuthor, "Number"), 0xFFFFFFFFu);
    EXPECT_EQ(registry.readBinary(kAuthor, "Bytes"), (RegistryBytes{0, 1, 0xFF}));

    struct Case {
        const char* name;
        std::function<void()> read;
        const char* message;
    };
    const Case cases[] = {
        {"string as integer", [&] { registry.readInteger(kAuthor, "Text"); },
         "is REG_SZ, not REG_DWORD"},
        {"integer as string", [&] { registry.readString(kAuthor, "Number"); },
         "is REG_DWORD, not REG_SZ"},
        {"binary as string", [&] { registry.readString(kAuthor, "Bytes"); },
         "is REG_BINARY, not REG_SZ"},
        {"string as binary", [&] { registry.readBinary(kAuthor, "Text"); },
         "is REG_SZ, not REG_BINARY"},
        {"missing value", [&] { registry.readString(kAuthor, "Nothing"); }, "does not exist"},
        {"missing key", [&] { registry.readInteger("Software\\None", "Build"); }, "does not exist"},
        {"write into a missing key", [&] { registry.write("Software\\None", "A", 1u); },
         "does not exist"},
        {"values of a missing key", [&] { registry.values("Software\\None"); }, "does not exist"},
        {"delete the root", [&] { registry.deleteKey("\\"); }, "cannot be deleted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.read();
            ADD_FAILURE() << "no error raised";
        } catch (const ERegistryException& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
    // A value may change its type by being written again.
    registry.write(kAuthor, "Text", 5u);
    EXPECT_EQ(registry.readInteger(kAuthor, "Text"), 5u);
}

TEST(Registry, EmptyNamesAndEmptyData) {
    TempEnvironment environment;
    Registry registry;
    registry.write("", "AtRoot", std::string());
    registry.createKey(kAuthor);
    registry.write(kAuthor, "", std::string("default"));
    registry.write(kAuthor, "Empty", RegistryBytes{});

    EXPECT_EQ(registry.readString("\\", "AtRoot"), "");
    EXPECT_EQ(registry.readString(kAuthor, ""), "default");
    EXPECT_EQ(registry.readBinary(kAuthor, "Empty"), RegistryBytes{});
}

TEST(Registry, SubkeysSortWithoutCaseAndValuesKeepCreationOrder) {
    TempEnvironment environment;
    Registry registry;
    for (const char* name : {"beta", "Delta", "alpha", "Gamma", "ALPHA2", "作者"})
        registry.createKey(std::string("Root\\") + name);
    EXPECT_EQ(registry.subkeyNames("Root"),
              (std::vector<std::string>{"alpha", "ALPHA2", "beta", "Delta", "Gamma", "作者"}));

    for (const char* name : {"z", "a", "M", "b"})
        registry.write("Root", name, std::string(name));
    registry.write("Root", "A", 1u);  // rewriting keeps the place
    registry.deleteValue("Root", "z");
    registry.write("Root", "Z", 2u);  // a deleted name comes back at the end
    EXPECT_EQ(valueNames(registry, "Root"), (std::vector<std::string>{"a", "M", "b", "Z"}));
}

TEST(Registry, DeletingAKeyDeletesEverythingBelowIt) {
    TempEnvironment environment;
    Registry registry;
    registry.createKey("A\\B\\C");
    registry.createKey("A2");
    registry.write("A\\B", "Build", 3u);
    registry.write("A\\B\\C", "Build", 4u);

    EXPECT_TRUE(registry.deleteKey("a\\b"));
    EXPECT_FALSE(registry.deleteKey("A\\B"));
    EXPECT_FALSE(registry.keyExists("A\\B\\C"));
    EXPECT_TRUE(registry.keyExists("A2"));
    registry.createKey("A\\B\\C");
    EXPECT_TRUE(registry.values("A\\B").empty());
    EXPECT_TRUE(registry.values("A\\B\\C").empty());
    EXPECT_TRUE(registry.deleteValue("A\\B\\C", "x") == false);
}

TEST(Registry, TransactionsAreAllOrNothing) {
    TempEnvironment environment;
    Registry registry;
    registry.createKey("Kept");
    {
        Registry::Transaction transaction(registry);
        registry.createKey("Dropped\\Sub");
        registry.write("Kept", "Dropped", 1u);
    }
    EXPECT_FALSE(registry.keyExists("Dropped"));
    EXPECT_FALSE(registry.value("Kept", "Dropped"));

    {
        Registry::Transaction outer(registry);
        registry.write("Kept", "Outer", 1u);
        {
            Registry::Transaction inner(registry);
            registry.write("Kept", "Inner", 1u);
        }
        outer.commit();
    }
    EXPECT_TRUE(registry.value("Kept", "Outer"));
    EXPECT_FALSE(registry.value("Kept", "Inner"));
    // Another connection sees only what was committed.
    Registry other(environment.registry());
    EXPECT_EQ(valueNames(other, "Kept"), std::vector<std::string>{"Outer"});
}

// Runs `work` in a child process with its own connection; returns its exit status.
pid_t startChild(const std::function<void()>& work) {
    pid_t pid = fork();
    if (pid == 0) {
        try {
            work();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    return pid;
}

TEST(Registry, TwoProcessesWritingAtOnceLoseNoWrite) {
    TempEnvironment environment;
    constexpr int kRounds = 500;  // two value writes a round: a thousand writes per process
    Registry(environment.registry()).createKey("Shared");

    // Each round: a read-modify-write of one counter inside a transaction, and a value of its
    // own written on its own.
    auto writer = [&](const std::string& who) {
        Registry registry(environment.registry());
        for (int i = 0; i < kRounds; ++i) {
            {
                Registry::Transaction transaction(registry);
                auto count = registry.value("Shared", "Count");
                registry.write("Shared", "Count", count ? std::get<std::uint32_t>(*count) + 1 : 1u);
                transaction.commit();
            }
            registry.createKey("Shared\\" + who + std::to_string(i % 10));
            registry.write("Shared", who + std::to_string(i), static_cast<std::uint32_t>(i));
            registry.values("Shared");
        }
    };
    pid_t child = startChild([&] { writer("child"); });
    writer("parent");
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    Registry registry(environment.registry());
    EXPECT_EQ(registry.readInteger("Shared", "Count"), 2u * kRounds);
    EXPECT_EQ(registry.values("Shared").size(), 2u * kRounds + 1);
    EXPECT_EQ(registry.subkeyNames("Shared").size(), 20u);
}

}  // namespace
}  // namespace kestrin
