#pragma once
// The main window's page machine: which of its four pages shows, what Back, Next and Cancel do
// on each, which buttons are enabled and which is the default, and one whole check run from
// Next (or from the command line) to the results page. It owns the run's stop flag. The window
// is its view: it shows the states and progress the wizard hands it and passes its clicks on.

#include <memory>
#include <string>
#include <vector>

#include "app/CheckRun.h"
#include "app/CommandLine.h"
#include "app/Results.h"
#include "app/Settings.h"
#include "platform/StopFlag.h"

namespace kestrin {

enum class WizardPage { SetUp, AuthorProgress, DefineProgress, Results };
enum class WizardButton { None, Back, Next, Cancel };

// The page with the bottom row's buttons: one row of the window's state table.
struct WizardState {
    WizardPage page = WizardPage::SetUp;
    bool backEnabled = false;
    bool nextEnabled = true;
    WizardButton defaultButton = WizardButton::Next;
    std::string cancelCaption = "キャンセル";
    // The stop flag: no run is going, or it was asked to stop. Cancel closes the window then.
    bool stopped = true;
    WizardButton focus = WizardButton::None;  // the button to focus; None leaves the focus

    bool operator==(const WizardState&) const = default;
};

class MainWizardView : public AuthorProgressObserver,
                       public DefineProgressObserver,
                       public ClockSynchronizer {
  public:
    virtual void showState(const WizardState& state) = 0;
    // The authors' check marks as the command line set them.
    virtual void showAuthorChecks(const std::vector<AuthorRow>& authors) = 0;
    // The define list of the folder selected in the define tree, listed anew from disk.
    virtual std::vector<DefineRow> listSelectedDefineRows() = 0;
    virtual void showResults(const ResultsPage& page, const CheckResults& results) = 0;
    // Back: the pages as before a run (progress at 0, the step labels plain, the results'
    // tabs visible) and the define tree read anew from disk.
    virtual void resetPages() = 0;
    virtual void closeWindow() = 0;
};

class MainWizard {
  public:
    explicit MainWizard(MainWizardView& view) : view_(view) {}
    MainWizard(const MainWizard&) = delete;
    MainWizard& operator=(const MainWizard&) = delete;

    const WizardState& state() const { return state_; }
    // What the last run found; Back clears its notices.
    const CheckResults& results() const { return results_; }
    // The running run's settings; null between runs.
    const CheckRunSettings* runSettings() const { return run_ ? &run_->settings() : nullptr; }
    // Set by a "/checkauto" run for as long as the window lives: runs store no check marks.
    bool noSaveChecked() const { return noSaveChecked_; }

    // The window is shown: the command line may be handled once more.
    void shown();
    // The window is painted: the first paint after shown() handles `commandLine`. An option
    // asks first when `settings` say so, sets the authors' check marks and runs as Next does.
    void painted(const CommandLine& commandLine, const Settings& settings,
                 std::vector<AuthorRow>& authors);
    // Next on the setting-up page: one whole run over `authors` with `settings` (the
    // controls' values); it ends on the results page, also when it was stopped.
    void next(const Settings& settings, const std::vector<AuthorRow>& authors);
    // Back on the results page: to the setting-up page.
    void back();
    // Cancel: closes the window unless a run is going; during a run it asks it to stop, which
    // works while a transfer is open and does nothing between transfers.
    void cancel();

  private:
    void show(WizardState state);

    MainWizardView& view_;
    WizardState state_;
    SharedStopFlag stop_ = std::make_shared<StopFlag>(true);
    std::unique_ptr<CheckRun> run_;  // only during a run
    CheckResults results_;
    bool commandLineDone_ = false;
    bool noSaveChecked_ = false;
};

}  // namespace kestrin
