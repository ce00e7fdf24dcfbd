#include "define/DefineEngine.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>

#include "define/KestrinParser.h"
#include "net/Conventions.h"
#include "text/Ascii.h"

namespace kestrin {

namespace {

constexpr const char* kNotFetchedText = "取得に失敗，もしくは途中でキャンセルしました";
constexpr const char* kNotHtmlText = "HTML ドキュメントでないか，取得に失敗しました";
constexpr const char* kNoFileTimeText =
    "ヘッダに更新時刻が含まれていないか，ヘッダ取得エラーが発生しました";
constexpr const char* kServerChangedText =
    "Web ページのサーバ構成が，定義した段階と異なっています。再度このアイテムをインターネット"
    "から最新のドキュメントを取得して，設定してください";

// A failure of one check: its text goes into the item.
struct CheckError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string failureTextOf(HttpCommand command) {
    static const char* const texts[] = {"ファイルがサーバに存在しませんでした",
                                        "オプションに失敗しました",
                                        "ヘッダの取得が失敗しました",
                                        "Post Failed",
                                        "Put Failed",
                                        "Patch Failed",
                                        "Copy Failed",
                                        "Move Failed",
                                        "Delete Failed",
                                        "Link Failed",
                                        "UnLink Failed",
                                        "Trace Failed",
                                        "Wrapped Failed"};
    auto index = static_cast<std::size_t>(command);
    return index < std::size(texts) ? texts[index] : "";
}

// The body is a page the scanner can work on.
bool looksLikeHtml(const std::string& body) {
    return findIgnoringCase(body, "<HTML") != std::string::npos ||
           findIgnoringCase(body, "<TITLE") != std::string::npos;
}

// A decimal number of 32 bits, else 0.
std::int32_t decimalOrZero(const std::string& text) {
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

std::int32_t clamped(std::int64_t value) {
    return std::int32_t(
        std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
}

// Archive names compared and sorted without regard to ASCII case.
bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return asciiLowered(a) < asciiLowered(b);
}

}  // namespace

TVKestrinDefineEngine::TVKestrinDefineEngine() {
    prepareClient(http_);
}

void TVKestrinDefineEngine::report(std::int64_t position, std::int64_t max,
                                   const std::string& message, std::int32_t phase) {
    if (OnProgress) OnProgress(*this, clamped(position), clamped(max), message, phase);
}

void TVKestrinDefineEngine::failure(const std::string& text) {
    http_.Abort();
    WorkItem.Error = text;
    report(0, 0, text, kPhaseReport);
}

// The users fill the proxy fields only while a proxy is switched on; an empty host means none.
ProxySettings TVKestrinDefineEngine::proxySettings() const {
    ProxySettings proxy;
    proxy.UseProxy = !ProxyHost.empty();
    proxy.ProxyAddress = ProxyHost;
    proxy.ProxyPort = ProxyPort;
    proxy.UseAuthenticate = UseAuthenticate;
    proxy.UserID = ProxyUserID;
    proxy.Password = ProxyPassword;
    proxy.DisableProxyCache = DisableProxyCache;
    return proxy;
}

void TVKestrinDefineEngine::attachHandlers() {
    http_.OnAboutToSend = [this] { setClosingHeaders(http_.sendHeaders(), proxySettings()); };
    http_.OnConnectionFailed = [this] { failure("接続に失敗しました"); };
    http_.OnInvalidHost = [this](bool&) {
        failure("存在しないホストのため，接続できませんでした");
    };
    http_.OnFailure = [this](HttpCommand command) {
        http_.Body.clear();
        failure(failureTextOf(command));
    };
    http_.OnPacketRecvd = [this] {
        report(http_.bytesReceived(), http_.bytesTotal(), "", kPhaseTransfer);
    };
}

void TVKestrinDefineEngine::PrepareTransfer() {
    State = DefineFile.empty() ? kStateAnalysePage : kStateCheckItem;
    attachHandlers();
    http_.InputFileMode = false;
    useProxy(http_, proxySettings());
    http_.TimeOut = kTransferTimeOut;
    if (State == kStateCheckItem) TVKestrinDefineItem().LoadItem(DefineFile, StoredItem);
}

bool TVKestrinDefineEngine::transfer(void (TNMHTTP::*method)(const std::string&),
                                     const std::string& url) {
    bool done = true;
    try {
        (http_.*method)(url);
    } catch (const std::exception&) {
        done = false;  // a handler has told the user why, where there was one to tell
    }
    report(http_.bytesTotal(), http_.bytesTotal(), "", kPhaseTransfer);
    return done;
}

bool TVKestrinDefineEngine::HeadURL(const std::string& url) {
    return transfer(&TNMHTTP::Head, url);
}

bool TVKestrinDefineEngine::GetURL(const std::string& url) {
    return transfer(&TNMHTTP::Get, url);
}

bool TVKestrinDefineEngine::GetLastModified(const std::string& url, std::string& value) {
    value.clear();
    return HeadURL(url) && TVKestrinParser().FindHeader(http_.Header, "Last-Modified:", value);
}

bool TVKestrinDefineEngine::CancelTransfer() {
    if (!http_.connected()) return false;
    http_.Abort();
    return true;
}

bool TVKestrinDefineEngine::CheckItem() {
    if (State != kStateCheckItem) throw std::logic_error("このメソッドは状態a系以外では使えません");

    WorkItem = StoredItem;
    WorkItem.Update.clear();
    WorkItem.Error = kNoError;
    TVKestrinParser parser;
    parser.OnProgress = [this](TVKestrinParser&, std::int64_t position, std::int64_t total) {
        report(position, total, "", kPhaseReport);
    };

    bool news = false;
    try {
        switch (StoredItem.Option) {
            case kMethodArchiveSearch:
                news = checkNewArchive(parser);
                break;
            case kMethodArchiveDate:
                news = checkArchiveDate(parser);
                break;
            case kMethodPageCheck:
                news = StoredItem.PageCRC.empty() ? checkPageByHeaders(parser)
                                                  : checkPageByChecksum(parser);
                break;
            default:
                break;
        }
    } catch (const std::exception& error) {
        news = true;
        WorkItem.Error = error.what();
        report(0, 0, error.what(), kPhaseReport);
    }
    return news && saveWorkItem();
}

// Writes the checked item back. A file that cannot be written is one more error of this item
// (it shows in the results), not a reason to stop the run.
bool TVKestrinDefineEngine::saveWorkItem() {
    WorkItem.Updated = true;
    try {
        TVKestrinDefineItem().SaveItem(WorkItem);
    } catch (const std::exception& error) {
        WorkItem.Error = error.what();
        report(0, 0, error.what(), kPhaseReport);
    }
    return true;
}

bool TVKestrinDefineEngine::checkNewArchive(TVKestrinParser& parser) {
    if (!GetURL(StoredItem.PageURL)) throw CheckError(kNotFetchedText);
    if (!looksLikeHtml(http_.Body)) throw CheckError(kNotHtmlText);
    std::vector<std::string> links;
    parser.ScanPage(http_.Body, PageTitle, ExtList, links);
    if (StoredItem.ForeString.empty()) return false;

    // The matching names, sorted, each once (names compare without regard to case).
    std::string wanted = asciiLowered(StoredItem.ForeString);
    std::vector<std::string> found;
    for (const auto& link : links) {
        std::string name = parser.LinkFileName(link);
        if (asciiLowered(name).find(wanted) == std::string::npos) continue;
        auto at = std::lower_bound(found.begin(), found.end(), name, lessIgnoringCase);
        if (at == found.end() || lessIgnoringCase(name, *at)) found.insert(at, name);
    }
    WorkItem.ForeFile = found;

    bool news = false;
    for (const auto& name : found) {
        bool known = std::any_of(
            StoredItem.ForeFile.begin(), StoredItem.ForeFile.end(),
            [&](const std::string& old) { return asciiLowered(old) == asciiLowered(name); });
        if (known) continue;
        news = true;
        WorkItem.Update = "書庫 " + name + " が新着";  // the last new name in sorted order
    }
    return news;
}

bool TVKestrinDefineEngine::checkArchiveDate(TVKestrinParser& parser) {
    std::string url = parser.ResolveURL(StoredItem.PageURL, StoredItem.FileName);
    if (!HeadURL(url)) throw CheckError(kNotFetchedText);
    std::string modified;
    if (!parser.FindHeader(http_.Header, "Last-Modified:", modified))
        throw CheckError(kNoFileTimeText);
    if (modified == StoredItem.FileTime) return false;
    WorkItem.Update =
        "タイムスタンプが " + StoredItem.FileTime + " から " + modified + " に変更されたことを検知";
    WorkItem.FileTime = modified;
    return true;
}

bool TVKestrinDefineEngine::checkPageByChecksum(TVKestrinParser& parser) {
    if (!GetURL(StoredItem.PageURL)) throw CheckError(kNotFetchedText);
    const std::string& body = http_.Body;
    if (!looksLikeHtml(body)) throw CheckError(kNotHtmlText);
    report(0, 0, "", kPhaseChecksum);
    std::string crc = parser.TagRemovedCRC(body);

    // Both the first criterion (time, or size without a time) and the checksum must differ.
    std::string modified;
    if (parser.FindHeader(http_.Header, "Last-Modified:", modified)) {
        if (modified == StoredItem.PageTime || crc == StoredItem.PageCRC) return false;
        WorkItem.Update = "タイムスタンプが " + StoredItem.PageTime + " から " + modified +
                          " に変更され，CRC が変化したことを検知";
        WorkItem.PageTime = modified;
    } else {
        if (std::int64_t(body.size()) == StoredItem.PageSize) return false;
        if (crc == StoredItem.PageCRC) return false;
        WorkItem.Update = "CRC が変化したことを検知";
        WorkItem.PageTime.clear();
    }
    WorkItem.PageCRC = crc;
    return true;
}

bool TVKestrinDefineEngine::checkPageByHeaders(TVKestrinParser& parser) {
    if (!HeadURL(StoredItem.PageURL)) throw CheckError(kNotFetchedText);
    std::string modified;
    std::string length;
    bool hasTime = parser.FindHeader(http_.Header, "Last-Modified:", modified);
    bool hasLength = parser.FindHeader(http_.Header, "Content-length:", length);

    if (!hasTime) {
        if (std::int64_t(http_.Body.size()) == StoredItem.PageSize) return false;
        throw CheckError(kServerChangedText);
    }
    if (modified == StoredItem.PageTime) return false;
    if (hasLength) {
        std::int32_t size = decimalOrZero(length);
        if (size == StoredItem.PageSize) return false;
        WorkItem.Update = "タイムスタンプが " + StoredItem.PageTime + " から " + modified +
                          " に変更され，サイズが" + std::to_string(StoredItem.PageSize) + " から " +
                          length + " に変化したことを検知";
        WorkItem.PageSize = size;
    } else {
        WorkItem.Update = "タイムスタンプが " + StoredItem.PageTime + " から " + modified +
                          " に変更されたことを検知";
    }
    WorkItem.PageTime = modified;
    return true;
}

bool TVKestrinDefineEngine::AnalysePage(const std::string& url) {
    if (State != kStateAnalysePage)
        throw std::logic_error("このメソッドは状態b系以外では使えません");

    TVKestrinParser parser;
    parser.OnProgress = [this](TVKestrinParser&, std::int64_t position, std::int64_t total) {
        report(position, total, "", kPhaseReport);
    };
    bool scanned = false;
    try {
        if (!GetURL(url)) throw CheckError("取得に失敗，もしくはキャンセルしました");
        PageLinks.clear();
        const std::string& body = http_.Body;
        if (!looksLikeHtml(body))
            throw CheckError(std::string(kNotHtmlText) + "\r\n再度 URL を設定して下さい");
        report(0, 0, "", kPhaseLinkScan);
        parser.ScanPage(body, PageTitle, ExtList, PageLinks);
        scanned = true;
        parser.FindHeader(http_.Header, "Last-Modified:", PageLastModified);
        std::string length;
        parser.FindHeader(http_.Header, "Content-length:", length);
        PageContentLength = decimalOrZero(length);
        report(0, 0, "", kPhaseChecksum);
        PageTagCRC = parser.TagRemovedCRC(body);
        return true;
    } catch (const std::exception& error) {
        http_.Abort();
        WorkItem.Error = error.what();
        report(0, 0, error.what(), kPhaseReport);
        return scanned;
    }
}

}  // namespace kestrin
