// The fast scanner against the plain implementation of the rules, on generated pages that mix
// every construct the rules treat specially.

#include <gtest/gtest.h>

#include <random>

#include "define/KestrinParser.h"
#include "define/PagePreparation.h"
#include "support/ReferenceScanner.h"

namespace kestrin {
namespace {

const char* const kFragments[] = {
    "text ",
    "Mixed Case ",
    "  ",
    "\r\n",
    "\r",
    "\n",
    "\n\r",
    "<P>",
    "</p>",
    "<br>",
    "<A HREF=\"dl/a.lzh\">",
    "<a href=b.zip target=_top>",
    "<A NAME=top>",
    "<A HREF=\"a b.zip\">",
    "<a href=\"open.lzh>",
    "<A HREF=c:\\dl.d\\e.lzh>",
    "<a\r\nhref=f.ZIP>",
    "</A>",
    "</a>",
    "<!-- comment -->",
    "<!--",
    "-->",
    "--!>",
    "<!-->",
    "<!-- x --!>",
    "<",
    ">",
    ">>",
    "<<",
    "<TITLE>",
    "</title>",
    "<title>Page</title>",
    "A HREF",
    "HREF",
    "=",
    "\"",
    "\x83\x5C",
    "\x82\xA0",
    "\x88\x9F",
    "\x83\x61",
    "\x83\x3C",
    "\xB1",
    "<b>\x83\x5C.lzh</b>",
    "<a href=\"\x83\x5C.lzh\">",
    "\x1B$B\x30\x21\x1B(B",  // JIS and EUC-JP: a page that holds one is converted first
    "\xB0\xA1\xB5\xFE",
};

std::string generatePage(std::mt19937& random) {
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kFragments) - 1);
    std::string page;
    for (int i = length(random); i > 0; --i)
        page += kFragments[pick(random)];
    return page;
}

TEST(ScannerDifferential, AgreesWithThePlainRulesOnGeneratedPages) {
    std::mt19937 random(20010501);
    const std::vector<std::string> extensions = {".lzh", ".zip"};
    TVKestrinParser parser;
    for (int i = 0; i < 4000; ++i) {
        const std::string page = generatePage(random);
        const std::string crc = test::referenceTagRemovedCRC(page);
        ASSERT_EQ(parser.TagRemovedCRC(page), crc) << page;
        ASSERT_EQ(parser.TagRemovedCRC(std::string(page)), crc) << page;  // prepared in place
        std::string title;
        std::vector<std::string> links;
        parser.ScanPage(page, title, extensions, links);
        const test::ReferenceScan expected = test::referenceScanPage(page, extensions);
        ASSERT_EQ(title, expected.title) << page;
        ASSERT_EQ(links, expected.links) << page;
    }
}

// Line breaks of every kind next to letters and double-byte characters, at every offset of
// the eight-byte steps: "\x83\x0D" has a CR as its second byte, "\x81\x81" leads a run.
const char* const kTextFragments[] = {
    "\r\n", "\r",       "\n",   "\n\r",       "\r\r\n",   "a",        "z",
    "Q",    "`",        "{",    "<a href=x>", "\x83\x61", "\x83\x0D", "\x83\x0A",
    "\x81", "\x81\x81", "\xE0", "\xA1",       "\x80",     "  ",
};

TEST(ScannerDifferential, PreparesTheTextAsThePlainRulesDo) {
    std::mt19937 random(20010502);
    std::uniform_int_distribution<int> length(0, 30);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kTextFragments) - 1);
    for (int i = 0; i < 20000; ++i) {
        std::string page;
        for (int n = length(random); n > 0; --n)
            page += kTextFragments[pick(random)];
        ASSERT_EQ(PrepareScanText(page, LetterCase::Upper), test::referenceScanText(page, true))
            << ::testing::PrintToString(page);
        ASSERT_EQ(PrepareScanText(page, LetterCase::Keep), test::referenceScanText(page, false))
            << ::testing::PrintToString(page);
    }
}

}  // namespace
}  // namespace kestrin
