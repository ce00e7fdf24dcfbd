#include "hardening/FuzzEntries.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <tuple>

#include "catalogue/UpdateInfo.h"
#include "clock/NetTimeSync.h"
#include "define/CRC32Calc.h"
#include "define/DefineItem.h"
#include "define/KestrinParser.h"
#include "define/PagePreparation.h"
#include "net/NMHTTP.h"
#include "platform/PollPump.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramIcons.h"
#include "platform/RegFile.h"
#include "platform/Registry.h"
#include "support/FakeClock.h"
#include "support/HttpTestServer.h"
#include "support/Iconv.h"
#include "support/ReferenceDetection.h"
#include "support/ReferenceScanner.h"
#include "support/TempEnvironment.h"
#include "text/JapaneseConversion.h"

namespace fs = std::filesystem;
using namespace std::chrono;

namespace kestrin::test {

namespace {

[[noreturn]] void finding(const std::string& what) {
    throw FuzzFinding{what};
}

// Takes fixed-size numbers off the front of an input; past its end every byte reads as 0.
class InputReader {
  public:
    explicit InputReader(std::string_view input) : rest_(input) {}
    std::uint8_t byte() {
        if (rest_.empty()) return 0;
        auto value = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return value;
    }
    std::uint32_t u32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | byte();
        return value;
    }
    bool empty() const { return rest_.empty(); }
    std::string_view rest() const { return rest_; }

  private:
    std::string_view rest_;
};

// One scratch folder per process, emptied anew for each input.
fs::path freshScratch(const std::string& name) {
    static TempFolder scratch;
    fs::path folder = scratch / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

PollPump& pump() {
    static PollPump pollPump;
    installMessagePump(&pollPump);
    return pollPump;
}

// --- profile files ----------------------------------------------------------------------------

void fuzzProfile(std::string_view input) {
    fs::path path = freshScratch("profile") / "file.ini";
    writeFile(path, std::string(input));
    try {
        TProfileFile file(path);
        if (file.bytes() != input) finding("an unchanged profile file does not keep its bytes");
        for (const auto& section : file.sectionNames()) {
            file.hasKeys(section);
            for (const auto& key : file.keyNames(section)) {
                file.readString(section, key, "");
                file.readInteger(section, key, 0);
            }
        }
        file.writeString("Fuzz", "Key", "Value");
        file.save();
        if (GetPrivateProfileString("Fuzz", "Key", "", path) != "Value")
            finding("a value written into a profile file reads back differently");
        auto sections = GetPrivateProfileSectionNames(path);
        if (!sections.empty()) {
            file.deleteSection(sections.front());
            file.save();
        }
    } catch (const std::exception&) {
        // Refusals (an unreadable file, a name that cannot be written) are normal answers.
    }
}

// --- Japanese conversion ----------------------------------------------------------------------

void fuzzJapanese(std::string_view input) {
    JapaneseCode detected = DetectCode(input);
    if (JapaneseCodeName(detected) == "?") finding("DetectCode gave a code outside its set");
    if (detected != referenceDetectCode(input)) finding("DetectCode differs from the plain rules");
    for (auto target : {JapaneseCode::JIS_NEW, JapaneseCode::EUC, JapaneseCode::SJIS}) {
        std::string converted = ConvertCode(input, target);
        if (detected == target && converted != input)
            finding("ConvertCode changed a text already in its target code");
    }
    for (auto convert : {JisToSjis, EucToSjis, JisToEuc, SjisToEuc, EucToJis, SjisToJis})
        convert(input);
}

// --- JIS / EUC-JP / Shift_JIS arithmetic against iconv ------------------------------------------

struct Jis0208Char {
    std::string euc, sjis;
};

// Every character JIS X 0208 assigns, with its Shift_JIS bytes as iconv gives them.
const std::vector<Jis0208Char>& jis0208Chars() {
    static const std::vector<Jis0208Char> chars = [] {
        std::vector<Jis0208Char> all;
        Iconv eucToSjis("SHIFT_JIS", "EUC-JP");
        for (int row = 0x21; row <= 0x7E; ++row) {
            for (int cell = 0x21; cell <= 0x7E; ++cell) {
                std::string euc{char(row | 0x80), char(cell | 0x80)};
                // Characters JIS X 0208 does not assign convert to nothing.
                if (auto sjis = eucToSjis(euc); !sjis.empty()) all.push_back({euc, sjis});
            }
        }
        return all;
    }();
    return chars;
}

// The same text in the three codes, built from the input: a byte below 0x80 stands for itself
// when printable ASCII, any other byte picks a JIS X 0208 character with the byte after it.
struct SameText {
    std::string euc, sjis, jis;
};

SameText sameTextFrom(std::string_view input, bool oldJisEscape) {
    const auto& chars = jis0208Chars();
    SameText text;
    bool inKanji = false;
    auto leaveKanji = [&] {
        if (inKanji) text.jis += "\x1b(B";
        inKanji = false;
    };
    InputReader reader(input);
    while (!reader.empty()) {
        std::uint8_t b = reader.byte();
        if (b < 0x80) {
            char c = (b >= 0x20 && b < 0x7F) || b == '\n' || b == '\r' ? char(b) : 'a';
            leaveKanji();
            text.euc += c;
            text.sjis += c;
            text.jis += c;
            continue;
        }
        const auto& chosen = chars[((b & 0x7F) << 8 | reader.byte()) % chars.size()];
        if (!inKanji) text.jis += oldJisEscape ? "\x1b$@" : "\x1b$B";
        inKanji = true;
        text.euc += chosen.euc;
        text.sjis += chosen.sjis;
        text.jis += {char(chosen.euc[0] & 0x7F), char(chosen.euc[1] & 0x7F)};
    }
    leaveKanji();
    return text;
}

std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes)
        text += {digits[c >> 4], digits[c & 15], ' '};
    return text;
}

void expectSame(const char* what, const std::string& ours, const std::string& expected) {
    if (ours != expected)
        finding(std::string(what) + " differs from iconv: " + hex(ours) + "instead of " +
                hex(expected));
}

void fuzzJisIconv(std::string_view input) {
    if (input.empty()) return;
    SameText text = sameTextFrom(input.substr(1), input[0] & 1);
    expectSame("EucToSjis", EucToSjis(text.euc), text.sjis);
    // A JIS text that ends with an escape sequence hands on its terminating zero, which the
    // page checksum covers.
    const std::string zero = text.jis.ends_with("\x1b(B") ? std::string(1, '\0') : "";
    expectSame("JisToSjis", JisToSjis(text.jis), text.sjis + zero);
    expectSame("SjisToEuc", SjisToEuc(text.sjis), text.euc);
    expectSame("JisToEuc", JisToEuc(text.jis), text.euc + zero);
    // Escape placement is ours to choose: JIS output is judged by what iconv reads from it.
    static Iconv jisToEuc("EUC-JP", "ISO-2022-JP");
    expectSame("EucToJis", jisToEuc(EucToJis(text.euc)), text.euc);
    expectSame("SjisToJis", jisToEuc(SjisToJis(text.sjis)), text.euc);
}

// --- define item files and the old define file
// ----------------------------------------------------

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

void fuzzDefineItem(std::string_view input) {
    fs::path folder = freshScratch("define");
    TVKestrinDefineItem items;

    std::string itemPath = (folder / "item.url").string();
    writeFile(itemPath, std::string(input));
    try {
        TVDefineItem item;
        items.LoadItem(itemPath, item);
        items.SaveItem(item);
        TVDefineItem again;
        items.LoadItem(item.ItemPath, again);
    } catch (const std::exception&) {
    }

    std::string oldPath = (folder / "old.dat").string();
    fs::path converted = folder / "converted";
    writeFile(oldPath, std::string(input));
    try {
        items.ConvertOldDefineFile(oldPath, converted.string());
    } catch (const std::exception&) {
        return;  // a refusal; what was converted before it stays
    }
    // Every section but the extension list became an item of its own: none replaced another.
    std::size_t expected = 0;
    for (const auto& section : GetPrivateProfileSectionNames(oldPath))
        expected += !equalsIgnoringAsciiCase(section, "Extentions");
    std::size_t files = 0;
    if (fs::exists(converted)) {
        for (const auto& entry : fs::directory_iterator(converted)) {
            TVDefineItem item;
            items.LoadItem(entry.path().string(), item);
            ++files;
        }
    }
    if (files != expected) finding("the old define file conversion lost or merged items");
}

// --- SNTP replies
// -----------------------------------------------------------------------------------

// A UDP socket on 127.0.0.1 that answers the next request with the bytes it is given.
class ScriptedTimeServer {
  public:
    ScriptedTimeServer() {
        socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot open the scripted time server");
        port_ = ntohs(address.sin_port);
    }
    ~ScriptedTimeServer() { ::close(socket_); }
    int socket() const { return socket_; }
    std::uint16_t port() const { return port_; }

    void answer(std::string_view reply) {
        std::array<char, 512> request;
        sockaddr_in client{};
        socklen_t length = sizeof client;
        if (::recvfrom(socket_, request.data(), request.size(), 0,
                       reinterpret_cast<sockaddr*>(&client), &length) < 0)
            return;
        ::sendto(socket_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&client),
                 length);
    }

  private:
    int socket_ = -1;
    std::uint16_t port_ = 0;
};

void fuzzSntpReply(std::string_view input) {
    static ScriptedTimeServer server;
    InputReader reader(input);
    FakeClock clock;
    // Our clock somewhere between 1970 and 2106, to the millisecond.
    clock.freeze(SystemClock::TimePoint(seconds(reader.u32()) + milliseconds(reader.byte() * 4)));
    std::uint8_t flags = reader.byte();
    clock.grantPrivilege(flags & 1);
    clock.allowSetting(flags & 2);
    std::string_view reply = reader.rest().substr(0, 512);

    PollPump& loop = pump();
    auto watch = loop.watchReadable(server.socket(), [&] { server.answer(reply); });
    std::optional<std::string> report;
    auto sync = std::make_unique<TVNetTimeSync>();
    sync->Server = "127.0.0.1";
    sync->ServerPort = server.port();
    sync->LocalPort = 0;
    sync->TimeOut = 2000;
    sync->OnStatus = [&](TVNetTimeSync&, const std::string& message) { report = message; };
    TVNetTimeSync::Sync(std::move(sync));
    loop.runUntil([&] { return TVNetTimeSync::pendingCount() == 0; }, seconds(10));
    loop.unwatch(watch);

    static const std::set<std::string> texts = {
        ntpstatus::kInvalidServer,       ntpstatus::kTimeOut,
        ntpstatus::kAllowableErrorRange, ntpstatus::kClockSynchronized,
        ntpstatus::kSetTimeApiError,     ntpstatus::kPrivilegeNotAvailable,
        ntpstatus::kInvalidHost,         ntpstatus::kPortInUse,
        ntpstatus::kSocketError,
    };
    if (!report) finding("the time synchronisation never reported");
    if (!texts.count(*report)) finding("the time synchronisation reported an unknown text");
    if (TVNetTimeSync::pendingCount() != 0) finding("the time synchronisation was never freed");
}

// --- .reg import ---------------------------------------------------------------------------------

void fuzzRegImport(std::string_view input) {
    static TempFolder folder;
    static Registry store(folder / "registry.db");
    std::vector<RegFileSection> sections;
    try {
        sections = parseRegFile(input);
    } catch (const std::exception&) {
        return;  // a text that cannot be read is refused as a whole
    }
    // Applied inside a transaction that is never committed, so every input meets an empty store.
    Registry::Transaction scratch(store);
    try {
        applyRegFile(store, sections);
    } catch (const std::exception&) {
        return;
    }
    // What the store holds now exports to a text that imports again.
    for (const auto& section : sections) {
        if (section.remove || !store.keyExists(section.path)) continue;
        std::string exported;
        try {
            exported = exportRegFile(store, section.path);
        } catch (const ERegistryException&) {
            continue;  // a string with a line break, which the text format cannot carry
        }
        try {
            parseRegFile(exported);
        } catch (const std::exception& error) {
            finding(std::string("an exported key does not import again: ") + error.what());
        }
    }
}

// --- HTML scanner and checksum against the plain implementation
// ----------------------------------------

void compareScans(std::string_view page) {
    static const std::vector<std::string> extensions = {".lzh", ".zip", ".exe"};
    // The prepared text itself: a difference inside a tag would not show in the checksum.
    if (PrepareScanText(page, LetterCase::Upper) != referenceScanText(page, true) ||
        PrepareScanText(page, LetterCase::Keep) != referenceScanText(page, false))
        finding("the prepared page text differs from the plain rules");
    TVKestrinParser parser;
    const std::string checksum = referenceTagRemovedCRC(page);
    if (parser.TagRemovedCRC(page) != checksum ||
        parser.TagRemovedCRC(std::string(page)) != checksum)
        finding("the tag-stripped checksum differs from the plain rules");
    std::string title;
    std::vector<std::string> links;
    parser.ScanPage(page, title, extensions, links);
    ReferenceScan expected = referenceScanPage(page, extensions);
    if (title != expected.title) finding("the page title differs from the plain rules");
    if (links != expected.links) finding("the archive links differ from the plain rules");
    TCRC32Calc crc;
    if (crc.CalcBuffer(page) != referenceCrc32(page)) finding("CRC-32 differs from the plain one");
}

void fuzzScanner(std::string_view input) {
    compareScans(input);
    compareScans(PageToShiftJis(input));
    // The helpers the engine runs on headers and links found in a page.
    TVKestrinParser parser;
    std::string value, letters;
    parser.FindHeader(input, "Last-Modified:", value);
    const auto split = input.find('\n');
    const std::string_view first = input.substr(0, split);
    const std::string_view second = split == std::string_view::npos ? "" : input.substr(split + 1);
    parser.ResolveURL(first, second);
    parser.LeadingLetters(parser.LinkFileName(second), letters);
}

// --- HTTP response reading
// --------------------------------------------------------------------------

void fuzzHttpResponse(std::string_view input) {
    pump();
    // A server of its own for each input: it joins its connection threads when it ends.
    HttpTestServer server;
    server.enqueue(HttpReply::rawBytes(std::string(input)));
    TNMHTTP http;
    http.TimeOut = 5000;
    http.MaxMemoryBody = 1 << 20;
    // Never follow a redirect: its target could lie beyond this machine.
    http.OnRedirect = [](bool& handled) { handled = true; };
    http.OnInvalidHost = [](bool& handled) { handled = false; };
    try {
        http.Get(server.url("/"));
    } catch (const ESockError&) {
        return;  // a clear error is a fine end for a broken reply
    }
    if (http.timedOut()) finding("the transfer timed out against a server that closed");
    if (http.Body.size() > http.MaxMemoryBody) finding("the body grew past its limit");
}

// --- update information files
// --------------------------------------------------------------------------

// Runs inside a TempEnvironment: it writes the catalogue of the store the environment names.
void fuzzUpdateInfo(std::string_view input) {
    const std::string author = "Software\\Renvane\\FuzzAuthor";
    {
        // One author with two pieces of software, afresh for every input.
        Registry store;
        store.deleteKey(author);
        for (const auto& [key, name, build] :
             {std::tuple{"tool", "Tool", 120u}, std::tuple{"kit", "Kit", 0x7FFFFFFFu}}) {
            const std::string software = author + "\\" + key;
            store.createKey(software);
            store.write(software, "DistinctName", std::string(name));
            store.write(software, "Build", build);
        }
        store.write(author + "\\kit", "NextBuild", 5u);
    }
    fs::path file = freshScratch("updateinfo") / "Download.inf";
    writeFile(file, std::string(input));
    bool newerFormat = false;
    try {
        EvaluateUpdateInfo(file, "FuzzAuthor", "Fuzz Author", newerFormat);
    } catch (const std::exception&) {
        // A store error is reported to the run, which goes on with the next author.
    }
}

// --- program icons (PE resources and .ico files)
// ------------------------------------------------------------

void expectWellFormed(const std::optional<IconImage>& image) {
    if (!image) return;
    if (image->width < 1 || image->width > 256 || image->height < 1 || image->height > 256)
        finding("an icon image of a size no icon directory can describe");
    const bool png = !image->png.empty();
    if (png != image->pixels.empty()) finding("an icon image with both or neither pixels and PNG");
    if (!png && image->pixels.size() != std::size_t(image->width) * std::size_t(image->height))
        finding("an icon image whose pixels do not fill its size");
}

void fuzzIcons(std::string_view input) {
    const int count = iconCountFromBytes(input);
    for (int index : {0, 1, 2, -1, -2}) {
        const std::optional<ExtractedIcon> icon = extractIconFromBytes(input, index);
        if (!icon) {
            if (count != 0) finding("a file that counts icons was not taken for a file of icons");
            continue;
        }
        expectWellFormed(icon->large);
        expectWellFormed(icon->small);
        if (index >= count && (icon->large || icon->small))
            finding("an icon beyond the number of the file's icons");
    }
    // Read from a file, piece by piece, the same icon comes out.
    const fs::path file = freshScratch("icons") / "program.exe";
    writeFile(file, std::string(input));
    if (extractIcon(file, 0) != extractIconFromBytes(input, 0))
        finding("the file reader and the byte reader give different icons");
}

}  // namespace

const std::vector<FuzzTarget>& fuzzTargets() {
    static const std::vector<FuzzTarget> targets = {
        {"profile", fuzzProfile},   {"japanese", fuzzJapanese}, {"jis_iconv", fuzzJisIconv},
        {"define", fuzzDefineItem}, {"sntp", fuzzSntpReply},    {"reg", fuzzRegImport},
        {"scanner", fuzzScanner},   {"http", fuzzHttpResponse}, {"updateinfo", fuzzUpdateInfo},
        {"icons", fuzzIcons},
    };
    return targets;
}

const FuzzTarget* findFuzzTarget(std::string_view name) {
    for (const auto& target : fuzzTargets()) {
        if (name == target.name) return &target;
    }
    return nullptr;
}

}  // namespace kestrin::test
