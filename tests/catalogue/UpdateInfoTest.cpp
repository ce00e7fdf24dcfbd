#include "catalogue/UpdateInfo.h"

#include <gtest/gtest.h>

#include "catalogue/AuthorProgress.h"
#include "catalogue/CatalogueFixture.h"
#include "support/TempEnvironment.h"
#include "text/Cp932.h"

namespace kestrin {
namespace {

using test::addAuthor;
using test::addSoftware;
using test::integerAt;
using test::setInteger;
using test::stringAt;

// An update information file as the author's server sends it: CP932, CR LF.
std::filesystem::path writeInfo(const test::TempFolder& folder, const std::string& utf8Text) {
    std::string text;
    for (char c : utf8Text)
        text += (c == '\n') ? std::string("\r\n") : std::string(1, c);
    const std::filesystem::path file = folder / "Download.inf";
    test::writeFile(file, utf8ToCp932(text));
    return file;
}

struct Evaluation {
    UpdateInfoResult result;
    bool newerFormat = false;
};

Evaluation evaluate(const std::string& fileText, bool newerFormatBefore = false) {
    test::TempFolder folder;
    Evaluation evaluation;
    evaluation.newerFormat = newerFormatBefore;
    evaluation.result = EvaluateUpdateInfo(writeInfo(folder, fileText), "Sample", "Catalogue Name",
                                           evaluation.newerFormat);
    return evaluation;
}

// Software "tool" (DistinctName "Tool") installed at build 120, with an optional NextBuild.
struct BuildCase {
    const char* name;
    std::optional<int> nextBuild;
    std::string soft1;                   // the keys of section Soft1 (DistinctName=Tool is added)
    std::vector<std::string> newBuilds;  // of the rows found
    std::optional<int> nextBuildAfter;
};

TEST(EvaluateUpdateInfo, ComparesBuilds) {
    const std::vector<BuildCase> cases{
        {"equal build", {}, "Build=120", {}, {}},
        {"newer build", {}, "Build=121", {"121"}, {}},
        {"hexadecimal build", {}, "Build=0x79", {"121"}, {}},
        {"older build with DownGrade", {}, "Build=119\nDownGrade=1", {"119"}, {}},
        {"older build without DownGrade", {}, "Build=119", {}, {}},
        {"equal build with DownGrade", {}, "Build=120\nDownGrade=1", {}, {}},
        {"NextBuild above the offer", 125, "Build=123", {}, 125},
        {"NextBuild below the offer", 125, "Build=126", {"126"}, 125},
        {"NextBuild equal to the offer", 125, "Build=125", {}, 125},
        {"stale NextBuild is removed", 118, "Build=121", {"121"}, {}},
        {"NextBuild equal to Build is removed", 120, "Build=120", {}, {}},
        {"no Build key offers 0", {}, "Version=1.0", {}, {}},
        {"not a number offers 0", {}, "Build=12x", {}, {}},
        {"a section after a gap is never read",
         {},
         "Build=100\n[Soft3]\nDistinctName=Tool\nBuild=130",
         {},
         {}},
    };
    for (const BuildCase& c : cases) {
        test::TempEnvironment environment;
        addAuthor("Sample", "Sam");
        addSoftware("Sample", "tool", "Tool", 120);
        if (c.nextBuild) setInteger("Sample\\tool", "NextBuild", *c.nextBuild);

        const Evaluation evaluation = evaluate("[Soft1]\nDistinctName=Tool\n" + c.soft1 + "\n");
        std::vector<std::string> newBuilds;
        for (const ResultsRow& row : evaluation.result.rows)
            newBuilds.push_back(row.newBuild);
        EXPECT_EQ(newBuilds, c.newBuilds) << c.name;
        EXPECT_EQ(integerAt("Sample\\tool", "NextBuild"), c.nextBuildAfter) << c.name;
    }
}

TEST(EvaluateUpdateInfo, FillsTheRowColumns) {
    struct Case {
        const char* name;
        std::string file;
        ResultsRow row;
    };
    const std::string info = "[Info]\nAuthor=作者さん\nURL=http://author.example/\n";
    const std::vector<Case> cases{
        {"every key",
         info +
             "[Soft1]\nDistinctName=Tool\nBuild=121\nDisplayName=ツール\nVersion=1.21\n"
             "Update=2001/07/01\nGetAt=http://author.example/tool121.lzh\nNotice=一行目#r二行目\n",
         {"作者さん", "* ツール", "1.21", "2001/07/01", "http://author.example/tool121.lzh",
          "Sample\\tool", "121", "一行目#r二行目"}},
        {"defaults; GetAt from Info",
         info + "[Soft1]\nDistinctName=Tool\nBuild=121\n",
         {"作者さん", "(不明)", "(不明)", "(不明)", "http://author.example/", "Sample\\tool", "121",
          ""}},
        {"empty DisplayName shows DistinctName; no Info URL",
         "[Soft1]\nDistinctName=Tool\nBuild=121\nDisplayName=\nGetAt=\n",
         {"Catalogue Name", "Tool", "(不明)", "(不明)", "(不明)", "Sample\\tool", "121", ""}},
        {"notice for the installed build wins",
         "[Soft1]\nDistinctName=Tool\nBuild=121\nNotice=for everyone\nNotice120=for 120 only\n"
         "Notice121=for 121 only\n",
         {"Catalogue Name", "* (不明)", "(不明)", "(不明)", "(不明)", "Sample\\tool", "121",
          "for 120 only"}},
    };
    for (const Case& c : cases) {
        test::TempEnvironment environment;
        addAuthor("Sample", "Catalogue Name");
        addSoftware("Sample", "tool", "Tool", 120);
        const Evaluation evaluation = evaluate(c.file);
        ASSERT_EQ(evaluation.result.rows.size(), 1u) << c.name;
        EXPECT_EQ(evaluation.result.rows[0], c.row) << c.name;
    }
}

TEST(EvaluateUpdateInfo, MatchesSectionsAndSoftwareExactly) {
    test::TempEnvironment environment;
    addAuthor("Sample", "Sam");
    addSoftware("Sample", "a", "Tool", 100);
    addSoftware("Sample", "b", "tool", 100);    // case differs: its own software
    addSoftware("Sample", "c", "(不明)", 100);  // matches sections without DistinctName
    addSoftware("Sample", "d", "", 100);        // matches only an empty DistinctName
    addSoftware("Sample", "e", "Late", 100);    // offered only after a gap

    const Evaluation evaluation = evaluate(
        "[Soft1]\nDistinctName=Tool\nBuild=101\n"
        "[Soft2]\nDistinctName=Tool\nBuild=102\n"
        "[Soft3]\nBuild=103\n"
        "[Soft4]\nDistinctName=\nBuild=104\n"
        "[Soft5]\n"
        "[Soft6]\nDistinctName=Late\nBuild=106\n");

    std::vector<std::string> found;
    for (const ResultsRow& row : evaluation.result.rows)
        found.push_back(row.keyName + " " + row.newBuild);
    EXPECT_EQ(found, (std::vector<std::string>{"Sample\\a 101", "Sample\\a 102", "Sample\\c 103",
                                               "Sample\\d 104"}));
    // The last matching section's build; nothing for software the file does not offer.
    EXPECT_EQ(integerAt("Sample\\a", "LatestBuild"), 102);
    EXPECT_EQ(integerAt("Sample\\b", "LatestBuild"), std::nullopt);
    EXPECT_EQ(integerAt("Sample\\e", "LatestBuild"), std::nullopt);
}

TEST(EvaluateUpdateInfo, NoticeAuthorUrlAndFormat) {
    const std::string longNotice = "a" + [] {
        std::string text;
        for (int i = 0; i < 1500; ++i)
            text += "あ";
        return text;
    }();                                                               // 3001 CP932 bytes
    const std::string cutNotice = longNotice.substr(0, 1 + 1023 * 3);  // 2047 bytes

    struct Case {
        const char* name;
        std::string file;
        std::optional<AuthorNotice> notice;
        std::string authorURL;
        bool newerFormat;
    };
    const std::vector<Case> cases{
        {"notice under the file's author",
         "[Info]\nVersion=6\nAuthor=File Name\nURL=http://a.example/\nNotice=hello#rworld\n",
         AuthorNotice{"File Name", "hello#rworld"}, "http://a.example/", false},
        {"empty author: the catalogue's name", "[Info]\nAuthor=\nNotice=hello\n",
         AuthorNotice{"Catalogue Name", "hello"}, "", false},
        {"empty notice is none", "[Info]\nNotice=\nURL=x\n", std::nullopt, "x", false},
        {"version 7 is a newer format", "[Info]\nVersion=7\n", std::nullopt, "", true},
        {"an HTML error page",
         "<html><head><title>404 Not Found</title></head>\n<body>[Info] URL=x</body></html>\n",
         std::nullopt, "", false},
        {"empty file", "", std::nullopt, "", false},
        {"notice cut at 2047 CP932 bytes", "[Info]\nNotice=" + longNotice + "\n",
         AuthorNotice{"Catalogue Name", cutNotice}, "", false},
    };
    for (const Case& c : cases) {
        test::TempEnvironment environment;
        addAuthor("Sample", "Catalogue Name");
        test::setString("Sample", "AuthorURL", "http://old.example/");
        const Evaluation evaluation = evaluate(c.file);
        EXPECT_EQ(evaluation.result.notice, c.notice) << c.name;
        EXPECT_EQ(stringAt("Sample", "AuthorURL"), c.authorURL) << c.name;
        EXPECT_EQ(evaluation.newerFormat, c.newerFormat) << c.name;
        EXPECT_TRUE(evaluation.result.rows.empty()) << c.name;
    }

    // The flag is never cleared by a file of the current format.
    test::TempEnvironment environment;
    addAuthor("Sample", "Catalogue Name");
    EXPECT_TRUE(evaluate("[Info]\nVersion=6\n", true).newerFormat);
}

TEST(EvaluateUpdateInfo, MovesToTheCompareStep) {
    test::TempEnvironment environment;
    test::TempFolder folder;
    addAuthor("Sample", "Sam");
    AuthorProgress progress;
    progress.start(3);
    bool newerFormat = false;
    EvaluateUpdateInfo(writeInfo(folder, "[Info]\n"), "Sample", "Sam", newerFormat, &progress);
    EXPECT_EQ(progress.state().stepIndex, 2);
    EXPECT_EQ(progress.state().boldStep, 2);
    EXPECT_EQ(progress.state().position, 1);
}

}  // namespace
}  // namespace kestrin
