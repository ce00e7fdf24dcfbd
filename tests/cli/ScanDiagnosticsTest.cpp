// kestrin-cli crc, scan, detect and sjis: what the define engine sees of a page.

#include <gtest/gtest.h>

#include "support/CliRunner.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

TEST(ScanDiagnostics, ReportWhatTheEngineSees) {
    test::TempFolder folder;
    const auto page = [&](const std::string& name, const std::string& bytes) {
        test::writeFile(folder / name, bytes);
        return (folder / name).string();
    };
    const std::string links = page("links.html",
                                   "<title>Soft \x83\x5C\x83\x74\x83\x67</title>\r\n"
                                   "<a href=dl/a.lzh>a</a><a href=b.html>b</a><a href=c.YZ1>c</a>");
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        std::string out;
    } cases[] = {
        {{"crc", page("p.html", "<P>abc</P>")}, "", "60D4231D\n"},
        {{"crc", "-"}, "<p>ABC</p>", "60D4231D\n"},
        {{"scan", links}, "", "Soft ソフト\ndl/a.lzh\nc.YZ1\n"},
        {{"scan", links, "--ext", ".html,.zip"}, "", "Soft ソフト\nb.html\n"},
        {{"scan", "--ext", ".lzh", "-"}, "<a href=x.lzh>", "\nx.lzh\n"},
        {{"detect", links}, "", "5 SJIS\n"},
        {{"detect", "-"}, "\xA4\xA2", "6 EUC_OR_SJIS\n"},
        {{"detect", page("empty", "")}, "", "0 ASCII\n"},
        {{"sjis", page("euc.html", "\xB0\xA1\xB5\xFE!")}, "", "\x88\x9F\x8B\x9E!"},
        {{"sjis", "-"}, "plain", "plain"},
    };
    for (const auto& c : cases) {
        const auto result = test::runCli(c.arguments, c.input);
        EXPECT_EQ(result.status, 0) << c.arguments[0] << ": " << result.err;
        EXPECT_EQ(result.out, c.out) << c.arguments[0];
    }
}

TEST(ScanDiagnostics, RefuseMissingFilesAndBadArguments) {
    test::TempFolder folder;
    const std::string missing = (folder / "missing.html").string();
    const std::vector<std::string> cases[] = {
        {"crc", missing},
        {"scan", missing},
        {"detect", missing},
        {"sjis", missing},
        {"crc", folder.path().string()},
        {"crc"},
        {"scan", "--ext"},
        {"detect", "a", "b"},
    };
    for (const auto& arguments : cases) {
        const auto result = test::runCli(arguments);
        EXPECT_NE(result.status, 0) << arguments.back();
        EXPECT_TRUE(result.out.empty()) << arguments.back();
        EXPECT_FALSE(result.err.empty()) << arguments.back();
    }
    const auto result = test::runCli({"crc", missing});
    EXPECT_EQ(result.err,
              "kestrin-cli crc: cannot read " + missing + ": No such file or directory\n");
}

}  // namespace
}  // namespace kestrin
