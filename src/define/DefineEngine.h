#pragma once
// The define check engine: decides whether a watched page has been updated. It works in one of
// two states: state a checks a stored item file (CheckItem, used by the check run); state b
// analyses a page that is not yet an item (AnalysePage, used by the define wizard). Transfers
// go through the engine's own TNMHTTP; everything the engine has to say reaches its user
// through OnProgress.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "define/DefineItem.h"
#include "net/NMHTTP.h"
#include "net/ProxySettings.h"

namespace kestrin {

class TVKestrinParser;

class TVKestrinDefineEngine {
  public:
    // Phases of OnProgress.
    static constexpr std::int32_t kPhaseTransfer = 0;  // bytes received, bytes announced
    static constexpr std::int32_t kPhaseLinkScan = 1;  // the page's links are being scanned
    static constexpr std::int32_t kPhaseChecksum = 2;  // the tag-stripped checksum is computed
    static constexpr std::int32_t kPhaseReport = 2147483647;  // scan progress, or a failure text
    // States.
    static constexpr std::int32_t kStateCheckItem = 1;    // "状態a系"
    static constexpr std::int32_t kStateAnalysePage = 2;  // "状態b系"

    using ProgressEvent =
        std::function<void(TVKestrinDefineEngine& sender, std::int32_t position, std::int32_t max,
                           const std::string& message, std::int32_t phase)>;

    TVKestrinDefineEngine();
    TVKestrinDefineEngine(const TVKestrinDefineEngine&) = delete;
    TVKestrinDefineEngine& operator=(const TVKestrinDefineEngine&) = delete;

    std::int32_t State = 0;
    std::string DefineFile;  // the item file to check; empty selects state b
    ProgressEvent OnProgress;
    bool DisableProxyCache = false;
    bool UseAuthenticate = false;
    std::string ProxyPassword;
    std::string ProxyUserID;
    std::int32_t ProxyPort = 0;
    std::string ProxyHost;    // empty: direct connection
    TVDefineItem StoredItem;  // as loaded from DefineFile; a check never changes it
    TVDefineItem WorkItem;    // what a check changes and saves; Error holds the last failure
    std::vector<std::string> PageLinks;  // state b: the page's archive links
    std::string PageLastModified;        // state b: empty when the server sent none
    std::string PageTagCRC;              // state b: 8 hex digits
    std::vector<std::string> ExtList;    // archive extensions with their dot (".lzh")
    std::int32_t PageContentLength = 0;  // state b: 0 when absent or not a number
    std::string PageTitle;               // the title found by the last scan

    // Sets the state from DefineFile, prepares the client (proxy, time-out, handlers) and, in
    // state a, loads DefineFile into StoredItem.
    void PrepareTransfer();
    // One HEAD or GET; false when the transfer failed or was cancelled. An HTTP error status
    // still returns true (its handler has reported it).
    bool HeadURL(const std::string& url);
    bool GetURL(const std::string& url);
    // The Last-Modified value of `url`; false when the transfer failed or the header is absent.
    bool GetLastModified(const std::string& url, std::string& value);
    // Aborts an open connection; false when none was open.
    bool CancelTransfer();

    // State a: checks the stored item by its method. True when the item was saved with news
    // or with an error. Only a call in the wrong state raises.
    bool CheckItem();
    // State b: fetches and analyses `url`. True when the page was fetched and scanned.
    bool AnalysePage(const std::string& url);

    // The last response, for users that show or test it.
    const std::string& Body() const { return http_.Body; }
    const std::string& Header() const { return http_.Header; }

  private:
    bool transfer(void (TNMHTTP::*method)(const std::string&), const std::string& url);
    ProxySettings proxySettings() const;
    void attachHandlers();
    void failure(const std::string& text);
    void report(std::int64_t position, std::int64_t max, const std::string& message,
                std::int32_t phase);

    bool checkNewArchive(TVKestrinParser& parser);
    bool checkArchiveDate(TVKestrinParser& parser);
    bool checkPageByChecksum(TVKestrinParser& parser);
    bool checkPageByHeaders(TVKestrinParser& parser);
    bool saveWorkItem();

    TNMHTTP http_;
};

}  // namespace kestrin
