#include <gtest/gtest.h>

#include <cstdio>

#include "define/KestrinParser.h"
#include "support/ReferenceScanner.h"

namespace kestrin {
namespace {

using namespace std::string_literals;

std::string checksumOf(std::string_view text) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", test::referenceCrc32(text));
    return digits;
}

// Each page's checksum is the checksum of the text that is left of it.
TEST(TagRemovedCRC, ChecksumsTheTextBetweenTags) {
    const struct {
        std::string page;
        std::string left;
    } cases[] = {
        {"<P>abc</P>", "ABC>>"},
        {"<p>ABC</p>", "ABC>>"},
        {"<P CLASS=\"x\">abc</P>", "ABC>>"},  // attributes do not count
        {"<!-- a --> x", "X>>"},              // leading space trimmed
        {"no tags here", "NO TAGS HERE>>"},
        {"a\r\nb\rc\nd\n\re", "A B C D  E>>"},     // line breaks as spaces
        {"a<A HREF=\"x.lzh\">text</A>b", "AB>>"},  // a link goes with its text
        {"a<a href=y.zip target=_top>other <b>text</b></a>b", "AB>>"},
        {"a<A NAME=x>t</A>b", "ATB>>"},            // an anchor without HREF is a tag
        {"a<A HREF=x.lzh>link b", "ALINK B>>"},    // no </A>: the anchor tag alone goes
        {"a<!-- open <b>c", "A<!-- OPEN <B>C>>"},  // a comment without end stops the scan
        {"a<!-- x --!>b", "AB>>"},
        {"a<!-->b", "AB>>"},
        {"a --> b <!-- c -->d", "A --> B D>>"},  // an earlier "-->" ends nothing
        {"a > b <i>c", "A > B C>>"},             // a stray ">" stays
        {"x<y", "X>"},  // a stray "<" swallows text up to the first ">" of the sentinel
        {"\x83\x61z", "\x83\x61Z>>"},                       // the trail byte 'a' is not upper-cased
        {"\x1B$B\x30\x21\x1B(B", "\x88\x9F\0>>"s},          // JIS, ending in the terminating zero
        {"<b>\xB0\xA1\xB5\xFE</b>", "\x88\x9F\x8B\x9E>>"},  // EUC
    };
    TVKestrinParser parser;
    for (const auto& c : cases)
        EXPECT_EQ(parser.TagRemovedCRC(c.page), checksumOf(c.left)) << c.page;
    EXPECT_EQ(parser.TagRemovedCRC("<P>abc</P>"), "60D4231D");
}

TEST(HTMLParser, NextTagFindsTagsAndComments) {
    const struct {
        std::string text;
        std::size_t from;
        bool found;
        std::size_t position, end;
        std::string tag;
    } cases[] = {
        {"ab<x y>cd", 1, true, 3, 8, "x y>"},
        {"ab<x>cd<z>", 6, true, 8, 11, "z>"},
        {"ab<x>cd<z>", 4, true, 8, 6, ""},
        {"a>b<x>", 1, true, 4, 3, ""},  // the stray ">" ends the tag before its "<"
        {"a>b<x>", 4, true, 4, 7, "x>"},
        {"a<!--c-->d", 1, true, 2, 10, ""},
        {"a<!--c--!>d", 1, true, 2, 11, ""},
        {"a<!--c", 1, false, 0, 0, ""},
        {"abc", 1, false, 0, 0, ""},
        {"ab<x>", 4, false, 0, 0, ""},
    };
    TVHTMLParser parser;
    for (const auto& c : cases) {
        std::size_t position = c.from, end = 0;
        std::string tag = "old";
        EXPECT_EQ(parser.NextTag(c.text, position, tag, end), c.found) << c.text;
        EXPECT_EQ(position, c.position) << c.text;
        if (c.found) {
            EXPECT_EQ(end, c.end) << c.text;
        }
        EXPECT_EQ(tag, c.tag) << c.text;
    }
}

TEST(HTMLParser, ParseTagSplitsNameAndAttributes) {
    const struct {
        std::string tag;
        bool parsed;
        std::string name;
        std::vector<std::pair<std::string, std::string>> attributes;
    } cases[] = {
        {"A HREF=x.lzh>", true, "A", {{"HREF", "x.lzh"}}},
        {"A HREF=\"a b.lzh\" TARGET=_top>", true, "A", {{"HREF", "a b.lzh"}, {"TARGET", "_top"}}},
        {"TITLE>", false, "", {}},
        {"A B>", true, "A", {}},
        {"  a  href = \"x\" >", true, "a", {{"href", "x"}}},
        {"A HREF=\"x.lzh>", true, "A", {{"HREF", "x.lzh"}}},  // a quote never closed
        {"A HREF=a=b c=d>", true, "A", {{"HREF", "a=b"}, {"c", "d"}}},
    };
    TVHTMLParser parser;
    for (const auto& c : cases) {
        std::string name = "old";
        std::vector<TagAttribute> attributes(2);
        EXPECT_EQ(parser.ParseTag(c.tag, name, attributes), c.parsed) << c.tag;
        EXPECT_EQ(name, c.name) << c.tag;
        std::vector<std::pair<std::string, std::string>> found;
        for (const auto& attribute : attributes)
            found.emplace_back(attribute.name, attribute.value);
        EXPECT_EQ(found, c.attributes) << c.tag;
    }
}

TEST(ScanPage, FindsTheTitleAndTheArchiveLinks) {
    const struct {
        std::string page;
        std::string title;
        std::vector<std::string> links;
    } cases[] = {
        {"<title>Soft</title><A HREF=\"dl/a.LZH\">a</A><a href=index.html>i</a>"
         "<a href=b.zip>b</a><A HREF=c.lzh.html>c</A>",
         "Soft",
         {"dl/a.LZH", "b.zip"}},
        {"<TITLE> Spaced </TITLE>", " Spaced ", {}},
        {"</title>x<title>", "", {}},
        {"0123456789</TITLE>", "6789", {}},  // no <TITLE>: from the 7th character
        {"<title>\x83\x5C\x83\x74\x83\x67</title>", "ソフト", {}},
        {"<A\r\nHREF=\"x.zip\">", "", {"x.zip"}},
        {"<a href=y.zip><a href=y.zip>", "", {"y.zip", "y.zip"}},  // duplicates stay
        {"<!-- <a href=c.zip> --><a href=d.zip>", "", {"d.zip"}},
        {"<a href=e.zip><!-- open <a href=f.zip>", "", {"e.zip"}},
        {"<a href=\"c:\\dl.d\\g.lzh\"><a href=\"dl.lzh\\readme\">", "", {"c:\\dl.d\\g.lzh"}},
        {"<a href=\"\x83\x5C.lzh\">", "", {"ソ.lzh"}},  // ソ ends in the byte of "\"
        {"<p href=h.zip><a name=i.zip>", "", {}},
    };
    TVKestrinParser parser;
    for (const auto& c : cases) {
        std::string title;
        std::vector<std::string> links = {"old"};
        EXPECT_TRUE(parser.ScanPage(c.page, title, {".lzh", ".zip"}, links));
        EXPECT_EQ(title, c.title) << c.page;
        EXPECT_EQ(links, c.links) << c.page;
    }
}

TEST(FindHeader, FindsTheValueWithoutRegardToCase) {
    const struct {
        std::string header, name;
        bool found;
        std::string value;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nContent-Length: 12\r\n\r\n", "Content-length:", true, "12"},
        {"Server: x\nLast-Modified:  Tue, 01 May 2001 \n", "Last-Modified:", true,
         "Tue, 01 May 2001"},
        {"Date: x\r\nLast-Modified: Tue", "Last-Modified:", true, ""},  // no line break after it
        {"Date: x\r\n", "Last-Modified:", false, ""},
    };
    TVKestrinParser parser;
    for (const auto& c : cases) {
        std::string value = "old";
        EXPECT_EQ(parser.FindHeader(c.header, c.name, value), c.found) << c.header;
        EXPECT_EQ(value, c.value) << c.header;
    }
}

TEST(ResolveURL, ResolvesLinksAgainstThePageAddress) {
    const std::string page = "http://h/soft/index.html";
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {page, "dl/a.lzh", "http://h/soft/dl/a.lzh"},
        {page, "./a.lzh", "http://h/soft/a.lzh"},
        {page, "../a.lzh", "http://h/a.lzh"},
        {page, "ftp://x/a.lzh", "ftp://x/a.lzh"},
        {"http://h/a/b/c/d.html", "../../x.lzh", "http://h/a/x.lzh"},
        {"http://h/soft/", "a.lzh", "http://h/soft/a.lzh"},  // a folder address keeps it
        {"http://h/soft/", "../a.lzh", "http://h/a.lzh"},
        {"http://h/index.html", "../../a.lzh", "http://h/a.lzh"},  // never above the root
        {"http://h", "a.lzh", "http://h/a.lzh"},
        {page, "/a.lzh", "http://h/a.lzh"},  // from the root
        {page, "//mirror/a.lzh", "http://mirror/a.lzh"},
        {page, "dl.cgi?a=1&b=2", "http://h/soft/dl.cgi?a=1&b=2"},  // "&" is kept
        {"index.html", "../a.lzh", "/a.lzh"},                      // no server: stops at the start
    };
    TVKestrinParser parser;
    for (const auto& [pageUrl, link, url] : cases) {
        EXPECT_EQ(parser.ResolveURL(pageUrl, link), url) << pageUrl << " + " << link;
    }
}

TEST(LinkNames, FileNameAndLeadingLetters) {
    TVKestrinParser parser;
    const std::pair<std::string, std::string> names[] = {
        {"dl/a.lzh", "a.lzh"}, {"a.lzh", "a.lzh"}, {"http://h/x/", ""}};
    for (const auto& [link, name] : names)
        EXPECT_EQ(parser.LinkFileName(link), name) << link;

    const std::tuple<std::string, bool, std::string> letters[] = {{"abc123.lzh", true, "abc"},
                                                                  {"123abc.lzh", false, ""},
                                                                  {"Soft.zip", true, "Soft"},
                                                                  {"tool", true, "tool"},
                                                                  {".lzh", false, ""}};
    for (const auto& [name, found, expected] : letters) {
        std::string result = "old";
        EXPECT_EQ(parser.LeadingLetters(name, result), found) << name;
        EXPECT_EQ(result, expected) << name;
    }
}

// Progress comes at most once per 64 KiB of scanned text and once at the end.
TEST(KestrinParser, ThrottlesProgress) {
    std::string page;
    while (page.size() < 300 * 1024)
        page += "<p>some text <a href=x.lzh>x</a>\r\n";
    TVKestrinParser parser;
    std::vector<std::pair<std::int64_t, std::int64_t>> reports;
    parser.OnProgress = [&](TVKestrinParser& sender, std::int64_t position, std::int64_t total) {
        EXPECT_EQ(&sender, &parser);
        reports.emplace_back(position, total);
    };
    const auto check = [&](const char* scan) {
        ASSERT_GE(reports.size(), 4u) << scan;
        EXPECT_LE(reports.size(), 300u / 64 + 1) << scan;
        EXPECT_EQ(reports.back().first, reports.back().second) << scan;
        for (std::size_t i = 1; i < reports.size(); ++i) {
            EXPECT_LE(reports[i - 1].first, reports[i].first) << scan;
            EXPECT_LE(reports[i].first, reports[i].second) << scan;
        }
        reports.clear();
    };
    parser.TagRemovedCRC(page);
    check("checksum");
    std::string title;
    std::vector<std::string> links;
    parser.ScanPage(page, title, {".lzh"}, links);
    check("scan");
}

// The parser keeps its page buffer between scans; a scan that a progress handler starts on the
// same parser must not disturb the one in progress.
TEST(KestrinParser, ScanStartedFromProgressLeavesTheRunningScanIntact) {
    std::string page = "<title>Outer</title>";
    while (page.size() < 200 * 1024)
        page += "<p>outer text <a href=o.lzh>o</a>\r\n";
    const std::string inner = "<title>Inner</title><P>other words<a href=i.zip>i</a>";
    TVKestrinParser parser;
    int nested = 0;
    parser.OnProgress = [&](TVKestrinParser& sender, std::int64_t, std::int64_t) {
        if (nested++ > 0) return;
        EXPECT_EQ(sender.TagRemovedCRC(inner), test::referenceTagRemovedCRC(inner));
        std::string title;
        std::vector<std::string> links;
        sender.ScanPage(inner, title, {".zip"}, links);
        EXPECT_EQ(title, "Inner");
    };
    // A parser of its own scans the page undisturbed.
    TVKestrinParser alone;
    EXPECT_EQ(parser.TagRemovedCRC(page), alone.TagRemovedCRC(page));
    nested = 0;
    std::string title, expectedTitle;
    std::vector<std::string> links, expectedLinks;
    parser.ScanPage(page, title, {".lzh"}, links);
    alone.ScanPage(page, expectedTitle, {".lzh"}, expectedLinks);
    EXPECT_EQ(title, expectedTitle);
    EXPECT_EQ(links, expectedLinks);
}

}  // namespace
}  // namespace kestrin
