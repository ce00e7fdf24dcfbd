#pragma once
// The author check run, the first phase of every check: for each author of the author list it
// stores the check mark, and for every checked author downloads the update information file
// into the state folder and evaluates it. Failures are told through the dialog service.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/AuthorProgress.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ResultsRow.h"
#include "net/NMHTTP.h"
#include "net/ProxySettings.h"
#include "platform/StopFlag.h"

namespace kestrin {

struct AuthorCheckSettings {
    ProxySettings proxy;
    bool restrainError = false;  // no error boxes during checks
};

struct AuthorCheckResults {
    std::vector<ResultsRow> rows;
    std::vector<AuthorNotice> notices;
};

// The largest update information file a run downloads.
inline constexpr std::size_t kMaxUpdateInfoBytes = std::size_t{16} << 20;

// Where every author's update information file is downloaded to, one after the other.
std::filesystem::path downloadFilePath();

class AuthorCheckRun {
  public:
    // `stop` is the run's stop flag, shared with whoever handles Cancel.
    explicit AuthorCheckRun(SharedStopFlag stop = std::make_shared<StopFlag>());

    AuthorCheckSettings settings;
    // Set for a "/checkauto" run: the authors' check marks are not stored.
    bool noSaveChecked = false;

    // Walks `authors` top to bottom; sets `newerFormatSeen` when a file of a newer format was
    // seen. Leaves at once, keeping the downloaded file, when the stop flag is set between
    // authors; otherwise deletes it at the end.
    AuthorCheckResults RunAuthorChecks(const std::vector<AuthorRow>& authors, bool& newerFormatSeen,
                                       AuthorProgress& progress);

    // Cancel during the run: when a transfer is open, sets the stop flag and aborts it.
    // Returns whether it did.
    bool abortTransfer();
    bool stopped() const { return stop_->isSet(); }

    // The client of the run (its events are the run's).
    TNMHTTP& http() { return http_; }

  private:
    void attachHandlers();
    void storeCheckMark(const AuthorRow& author);
    // The address of the author's file and the host shown while connecting.
    void readAddress(const std::string& authorKey, std::string& host, std::string& url);
    // Downloads into the local file; false when the transfer raised.
    bool download(const std::string& url);
    void error(const std::string& text, const std::string& caption);

    SharedStopFlag stop_;
    TNMHTTP http_;
    AuthorProgress* progress_ = nullptr;
};

}  // namespace kestrin
