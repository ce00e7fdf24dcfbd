#include "platform/VRegEx.h"

#include <gtest/gtest.h>

#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::TempEnvironment;

TEST(VRegEx, OpenKeyCreatesOnlyWhenAllowed) {
    TempEnvironment environment;
    TVRegEx reg;
    EXPECT_FALSE(reg.OpenKey("\\Software\\Renvane\\", false));
    EXPECT_EQ(reg.CurrentPath(), "");
    reg.OpenRenvaneKey();
    EXPECT_EQ(reg.CurrentPath(), "Software\\Renvane");

    // Relative to the open key, or from the root with a leading backslash.
    EXPECT_TRUE(reg.OpenKey("KestrinAuthor\\kestrin", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Renvane\\KestrinAuthor\\kestrin");
    EXPECT_TRUE(reg.OpenKey("\\software\\renvane", false));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Renvane");  // the stored spelling
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Renvane");
    EXPECT_EQ(reg.GetKeyNames(), std::vector<std::string>{"KestrinAuthor"});
    EXPECT_TRUE(reg.KeyExists("KestrinAuthor\\KESTRIN"));
    EXPECT_TRUE(reg.DeleteKey("KestrinAuthor"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Renvane\\KestrinAuthor\\kestrin"));
}

TEST(VRegEx, ReadsWithDefaultsOnMissingAndStoredValues) {
    TempEnvironment environment;
    TVRegEx reg;
    reg.OpenRenvaneKey();
    reg.WriteString("Text", "プロキシ");
    reg.WriteInteger("Negative", -5);
    reg.Store().write(reg.CurrentPath(), "Seven", 7u);  // a Boolean stored by someone else
    reg.WriteBool("False", false);
    const std::uint8_t bytes[] = {1, 0, 2};
    reg.WriteBinaryData("Bytes", bytes, 3);

    std::string text = "untouched";
    int number = -1;
    bool flag = false;
    EXPECT_EQ(reg.ReadStringEx("Text"), "プロキシ");
    EXPECT_EQ(reg.ReadStringEx("None"), "");
    reg.ReadStringEx("None", text);
    EXPECT_EQ(text, "");
    EXPECT_TRUE(reg.ReadStringDef("Text", text, "def"));
    EXPECT_EQ(text, "プロキシ");
    EXPECT_FALSE(reg.ReadStringDef("None", text, "def"));
    EXPECT_EQ(text, "def");

    EXPECT_EQ(reg.ReadIntegerEx("Negative"), -5);
    EXPECT_EQ(reg.ReadIntegerEx("None"), 0);
    EXPECT_TRUE(reg.ReadIntegerDef("Negative", number, 750));
    EXPECT_EQ(number, -5);
    EXPECT_FALSE(reg.ReadIntegerDef("None", number, 750));
    EXPECT_EQ(number, 750);

    EXPECT_TRUE(reg.ReadBoolEx("Seven"));  // any value but 0 reads as true
    EXPECT_FALSE(reg.ReadBoolEx("False"));
    EXPECT_FALSE(reg.ReadBoolEx("None"));
    EXPECT_TRUE(reg.ReadBoolDef("False", flag, true));
    EXPECT_FALSE(flag);
    EXPECT_FALSE(reg.ReadBoolDef("None", flag, true));
    EXPECT_TRUE(flag);

    std::uint8_t buffer[4] = {9, 9, 9, 9};
    EXPECT_EQ(reg.ReadBinaryDataEx("None", buffer, 4), 0);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(reg.ReadBinaryDataEx("Bytes", buffer, 4), 3);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 4),
              (std::vector<std::uint8_t>{1, 0, 2, 9}));
    EXPECT_THROW(reg.ReadBinaryData("Bytes", buffer, 2), ERegistryException);

    EXPECT_EQ(reg.GetValueNames(),
              (std::vector<std::string>{"Text", "Negative", "Seven", "False", "Bytes"}));
}

TEST(VRegEx, WrongTypesAndMissingValuesRaise) {
    TempEnvironment environment;
    TVRegEx reg;
    reg.OpenRenvaneKey();
    reg.WriteString("Text", "1");
    reg.WriteInteger("Number", 1);
    std::string text;
    int number = 0;
    bool flag = false;

    EXPECT_THROW(reg.ReadInteger("Text"), ERegistryException);
    EXPECT_THROW(reg.ReadBool("Text"), ERegistryException);
    EXPECT_THROW(reg.ReadString("Number"), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("Number"), ERegistryException);
    EXPECT_THROW(reg.ReadIntegerEx("Text"), ERegistryException);
    EXPECT_THROW(reg.ReadIntegerDef("Text", number, 0), ERegistryException);
    EXPECT_THROW(reg.ReadBoolDef("Text", flag, false), ERegistryException);
    EXPECT_THROW(reg.ReadStringDef("Number", text, ""), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("None"), ERegistryException);
    EXPECT_THROW(reg.ReadString("None"), ERegistryException);

    EXPECT_EQ(reg.GetDataType("Text"), TRegDataType::rdString);
    EXPECT_EQ(reg.GetDataType("number"), TRegDataType::rdInteger);
    EXPECT_EQ(reg.GetDataType("None"), TRegDataType::rdUnknown);
    EXPECT_TRUE(reg.DeleteValue("TEXT"));
    EXPECT_FALSE(reg.ValueExists("Text"));
}

}  // namespace
}  // namespace kestrin
