#pragma once
// One whole check run, shared by the main window and kestrin-cli: the author phase, the define
// phase over the checked items of a define folder, the clock synchronisation when asked, and
// the results as data. Runs on the calling thread; every network wait pumps messages, so a
// Cancel from the window reaches it through cancel().

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/AuthorCheckRun.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ResultsRow.h"
#include "define/DefineProgress.h"
#include "platform/StopFlag.h"

namespace kestrin {

class TVKestrinDefineEngine;

// The clock synchronisation after a run that was not stopped.
class ClockSynchronizer {
  public:
    virtual ~ClockSynchronizer() = default;
    virtual void synchronize() = 0;
};

// What a run takes from the settings (checkRunSettings of app/Settings derives it).
struct CheckRunSettings {
    AuthorCheckSettings author;           // proxy and error settings of both phases
    bool checkReflect = true;             // the author list starts with the last marks
    std::vector<std::string> extensions;  // archive extensions for the define engine
    bool ntpAutoSync = false;             // synchronise the clock after a run
    std::string ntpServer;
    int ntpTimeOut = 0;         // ms
    int ntpAllowableError = 0;  // ms
};

// Gives the define engine the run's proxy and archive extensions.
void configureDefineEngine(TVKestrinDefineEngine& engine, const CheckRunSettings& settings);

// Synchronises the clock through TVNetTimeSync with the run's server and limits; every status
// text goes to `onStatus`. With `waitForEnd` (no window to keep alive) synchronize() pumps
// messages until the synchronisation has ended.
class NetTimeSynchronizer : public ClockSynchronizer {
  public:
    NetTimeSynchronizer(const CheckRunSettings& settings,
                        std::function<void(const std::string&)> onStatus, bool waitForEnd);
    void synchronize() override;

    // The UDP ports of the exchange; nullopt keeps the client's own (123 at the server, 11922
    // here). Tests point them at a local server.
    std::optional<std::uint16_t> serverPort;
    std::optional<std::uint16_t> localPort;

  private:
    std::string server_;
    int timeOut_;
    int allowableError_;
    std::function<void(const std::string&)> onStatus_;
    bool waitForEnd_;
};

// One row of the define list the define phase walks.
struct DefineRow {
    std::string caption;   // the item's term name
    std::string itemPath;  // its file
    bool checked = false;
};

// The define list of a folder of the define tree, as listing its node gives it: `folder` is a
// path below the define root ("Tools/Editors"), or "" for every item of every folder (the
// "[全て表示]" node). An unknown folder raises.
std::vector<DefineRow> listDefineRows(const std::string& folder);

struct CheckResults {
    std::vector<ResultsRow> rows;  // in the order they were found
    std::vector<AuthorNotice> notices;
    bool newerFormatSeen = false;
    bool cancelled = false;  // the run was asked to stop
};

// Said before a run over an empty author list; the run goes on, the define phase has work of
// its own.
void tellIfNoAuthors(const std::vector<AuthorRow>& authors);

class CheckRun {
  public:
    // `stop` is the run's stop flag, shared with whoever handles Cancel; set whenever no run is
    // going.
    explicit CheckRun(CheckRunSettings settings,
                      SharedStopFlag stop = std::make_shared<StopFlag>(true));
    ~CheckRun();
    CheckRun(const CheckRun&) = delete;
    CheckRun& operator=(const CheckRun&) = delete;

    // Observers of the two progress pages and the clock; not owned, may stay null.
    AuthorProgressObserver* authorObserver = nullptr;
    DefineProgressObserver* defineObserver = nullptr;
    ClockSynchronizer* clock = nullptr;

    // The whole run: tells an empty author list, then the author phase over `authors` (their
    // check marks are stored unless `noSaveChecked`), the define phase over the checked rows of
    // `defineRows`, and the clock synchronisation when the settings ask for it and the run was
    // not stopped.
    CheckResults run(const std::vector<AuthorRow>& authors, bool noSaveChecked,
                     const std::vector<DefineRow>& defineRows);

    // The same in steps, for a caller that shows a page between them: begin() clears the stop
    // flag, each phase returns at once when it is set, finish() synchronises the clock unless
    // the run was stopped, sets the flag and hands over what was found.
    void begin();
    void runAuthorPhase(const std::vector<AuthorRow>& authors, bool noSaveChecked);
    void runDefinePhase(const std::vector<DefineRow>& rows);
    CheckResults finish();

    // The Cancel button during a run: aborts an open transfer, which stops the run before its
    // next author or item. Between transfers it does nothing. Returns whether it stopped.
    bool cancel();

    // False whenever no run is going.
    bool running() const { return !stop_->isSet(); }
    const CheckRunSettings& settings() const { return settings_; }

  private:
    void checkItem(const DefineRow& row, TVKestrinDefineEngine& engine, const std::string& today);
    void defineReport(int position, int maximum, const std::string& message, int phase);

    CheckRunSettings settings_;
    SharedStopFlag stop_;
    AuthorCheckRun authorRun_;
    TVKestrinDefineEngine* defineEngine_ = nullptr;  // only during the define phase
    DefineProgress* defineProgress_ = nullptr;       // only during the define phase
    CheckResults results_;
};

// "yyyy/mm/dd" of today in local time: the date of a define phase row.
std::string todayText();

}  // namespace kestrin
