// kestrin-cli check: one whole check run without a window, printing the results list and the
// authors' notices as an aligned table or as one JSON document.

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/CheckRun.h"
#include "app/CommandLine.h"
#include "app/Results.h"
#include "app/Settings.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ResultsRow.h"
#include "cli/CheckNotify.h"
#include "cli/Command.h"
#include "text/Ascii.h"

namespace kestrin::cli {

namespace {

// ---- JSON ------------------------------------------------------------------------------------

// Length of the valid UTF-8 sequence starting at text[i], or 0 when the bytes there are not
// one (a stray continuation byte, an overlong form, a surrogate, a cut-off sequence).
std::size_t utf8SequenceLength(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07;
    else
        return 0;
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (overlong || surrogate || code > 0x10FFFF) return 0;
    return length;
}

// A JSON string literal: quotes, backslashes and control characters escaped, other characters
// passed through as UTF-8; bytes that are not UTF-8 become U+FFFD so the document stays valid.
std::string jsonString(const std::string& text) {
    static const char* hex = "0123456789abcdef";
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text, i, length);
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20) {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        } else {
            out += static_cast<char>(c);
        }
        i += length;
    }
    return out + "\"";
}

void writeJson(std::ostream& out, const CheckResults& results) {
    out << "{\n  \"rows\": [";
    for (std::size_t i = 0; i < results.rows.size(); ++i) {
        const ResultsRow& row = results.rows[i];
        out << (i ? ",\n" : "\n") << "    {\"author\": " << jsonString(row.author)
            << ", \"displayName\": " << jsonString(row.displayName)
            << ", \"version\": " << jsonString(row.version)
            << ", \"date\": " << jsonString(row.date) << ", \"source\": " << jsonString(row.source)
            << ", \"keyName\": " << jsonString(row.keyName)
            << ", \"newBuild\": " << jsonString(row.newBuild)
            << ", \"comment\": " << jsonString(row.comment) << "}";
    }
    out << (results.rows.empty() ? "" : "\n  ") << "],\n  \"notices\": [";
    for (std::size_t i = 0; i < results.notices.size(); ++i) {
        const AuthorNotice& notice = results.notices[i];
        out << (i ? ",\n" : "\n") << "    {\"author\": " << jsonString(notice.author)
            << ", \"text\": " << jsonString(notice.text) << "}";
    }
    out << (results.notices.empty() ? "" : "\n  ") << "],\n"
        << "  \"newerFormat\": " << (results.newerFormatSeen ? "true" : "false") << ",\n"
        << "  \"cancelled\": " << (results.cancelled ? "true" : "false") << "\n}\n";
}

// ---- Table -----------------------------------------------------------------------------------

// Terminal columns taken by a UTF-8 text: East Asian wide and full-width characters take two.
std::size_t displayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = std::max<std::size_t>(utf8SequenceLength(text, i), 1);
        std::uint32_t code = static_cast<unsigned char>(text[i]);
        if (length > 1) {
            code &= 0xFF >> (length + 1);
            for (std::size_t k = 1; k < length; ++k)
                code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        const bool wide =
            (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
            (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
            (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
            (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
        width += wide ? 2 : 1;
        i += length;
    }
    return width;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(expandLineBreaks(text, "\n"));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (lines.empty()) lines.emplace_back();
    return lines;
}

// The visible columns of the results list, then the comment, whose "#r" become line breaks
// (its further lines stand under the comment column).
void writeTable(std::ostream& out, const std::vector<ResultsRow>& rows) {
    using Cells = std::vector<std::string>;
    const auto& captions = resultsColumnCaptions();
    // The comment column under a shorter caption than the window's, as the last of the table.
    std::vector<Cells> table{Cells(captions.begin(), captions.begin() + 5)};
    table.front().push_back("コメント");
    for (const ResultsRow& row : rows)
        table.push_back(
            {row.author, row.displayName, row.version, row.date, row.source, row.comment});

    const std::size_t aligned = table.front().size() - 1;
    std::vector<std::size_t> widths(aligned, 0);
    for (const Cells& cells : table)
        for (std::size_t c = 0; c < aligned; ++c)
            widths[c] = std::max(widths[c], displayWidth(cells[c]));

    const auto pad = [](std::size_t n) { return std::string(n, ' '); };
    for (const Cells& cells : table) {
        std::size_t indent = 0;
        for (std::size_t c = 0; c < aligned; ++c) {
            out << cells[c] << pad(widths[c] - displayWidth(cells[c]) + 2);
            indent += widths[c] + 2;
        }
        const std::vector<std::string> comment = splitLines(cells[aligned]);
        out << comment.front() << '\n';
        for (std::size_t k = 1; k < comment.size(); ++k)
            out << pad(indent) << comment[k] << '\n';
    }
}

void writeText(std::ostream& out, const CheckResults& results) {
    out << summarySentence(results, false) << '\n';
    if (results.rows.empty() && results.notices.empty()) return;
    if (!results.rows.empty()) {
        out << '\n';
        writeTable(out, results.rows);
    }
    for (const AuthorNotice& notice : results.notices)
        out << '\n'
            << noticeHeading(notice.author) << '\n'
            << expandLineBreaks(notice.text, "\n") << '\n';
}

struct CheckOptions {
    CommandLine commandLine{CheckOption::Check, ""};
    std::string folder;  // "" for every folder
    bool json = false;
    bool quietErrors = false;
    bool notify = false;
};

CheckOptions parseOptions(const Arguments& arguments) {
    CheckOptions options;
    bool optionSeen = false;
    std::vector<std::string> operands;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--json") {
            options.json = true;
        } else if (argument == "--quiet-errors") {
            options.quietErrors = true;
        } else if (argument == "--notify") {
            options.notify = true;
        } else if (argument == "--folder") {
            if (i + 1 == arguments.size()) throw UsageError("--folder needs a PATH");
            options.folder = arguments[++i];
        } else if (argument.rfind("--", 0) == 0) {
            throw UsageError("unknown option '" + argument + "'");
        } else if (!optionSeen && argument.rfind("/", 0) == 0) {
            const std::optional<CheckOption> option = checkOptionNamed(argument);
            if (!option) throw UsageError("unknown check option '" + asciiLowered(argument) + "'");
            options.commandLine.option = *option;
            optionSeen = true;
        } else {
            operands.push_back(argument);
        }
    }
    // As on the program's command line: "/checkauto" takes the author key as its second
    // argument; after any other option a second argument is ignored.
    if (operands.size() > 1 || (operands.size() == 1 && !optionSeen))
        throw UsageError("unexpected argument '" + operands.back() + "'");
    if (options.commandLine.option == CheckOption::CheckAuto && !operands.empty())
        options.commandLine.autoKey = operands.front();
    return options;
}

int runCheck(const Arguments& arguments) {
    const CheckOptions options = parseOptions(arguments);
    CheckRunSettings settings = loadCheckRunSettings();
    if (options.quietErrors) settings.author.restrainError = true;

    std::vector<AuthorRow> authors = FillAuthorList(settings.checkReflect);
    applyCommandLine(options.commandLine, authors);
    const std::vector<DefineRow> defineRows = listDefineRows(options.folder);

    // Message boxes become lines on standard error (the console dialog service).
    NetTimeSynchronizer clock(
        settings, [](const std::string& status) { std::cerr << status << '\n'; }, true);
    CheckRun run(settings);
    run.clock = &clock;
    const CheckResults results =
        run.run(authors, savesNoCheckMarks(options.commandLine), defineRows);
    if (results.newerFormatSeen) tellNewerFormat();
    if (options.json) {
        writeJson(std::cout, results);
    } else {
        writeText(std::cout, results);
    }
    if (options.notify) notifyDesktop(results);
    return 0;
}

const CommandRegistration registration(
    "check",
    "check [/check | /checkall | /checkauto KEY | /preset | /revset] [--folder PATH] [--json] "
    "[--quiet-errors] [--notify]",
    runCheck);

}  // namespace

}  // namespace kestrin::cli
