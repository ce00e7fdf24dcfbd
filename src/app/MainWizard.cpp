#include "app/MainWizard.h"

#include <utility>

#include "platform/Dialogs.h"

namespace kestrin {

namespace {

WizardState setUpState() {
    return WizardState{};
}

// Both progress pages: no way back or forward, Cancel asks the run to stop.
WizardState progressState(WizardPage page) {
    return WizardState{.page = page, .nextEnabled = false, .focus = WizardButton::Cancel};
}

WizardState resultsState(bool foundNothing) {
    return WizardState{.page = WizardPage::Results,
                       .backEnabled = true,
                       .nextEnabled = false,
                       .defaultButton = WizardButton::Cancel,
                       .cancelCaption = "終了(&X)",
                       .focus = foundNothing ? WizardButton::Cancel : WizardButton::None};
}

}  // namespace

void MainWizard::show(WizardState state) {
    state_ = std::move(state);
    state_.stopped = stop_->isSet();
    view_.showState(state_);
}

void MainWizard::shown() {
    commandLineDone_ = false;
    show(state_);
}

void MainWizard::painted(const CommandLine& commandLine, const Settings& settings,
                         std::vector<AuthorRow>& authors) {
    if (commandLineDone_) return;
    commandLineDone_ = true;
    if (commandLine.option == CheckOption::None) return;
    if (!confirmCommandLineRun(settings.confirmAutoCheck)) return;
    if (savesNoCheckMarks(commandLine)) noSaveChecked_ = true;
    applyCommandLine(commandLine, authors);
    view_.showAuthorChecks(authors);
    next(settings, authors);
}

void MainWizard::next(const Settings& settings, const std::vector<AuthorRow>& authors) {
    tellIfNoAuthors(authors);
    if (state_.page != WizardPage::SetUp) return;
    CheckRunSettings runSettings;
    try {
        runSettings = checkRunSettings(settings);
    } catch (const EProxyPortError& error) {
        dialogs().messageBox(std::string(error.what()) + "\r\n正しく設定してください",
                             "プロキシポートエラー", DialogIcon::Error, DialogButtons::Ok);
        return;
    }

    run_ = std::make_unique<CheckRun>(std::move(runSettings), stop_);
    run_->authorObserver = &view_;
    run_->defineObserver = &view_;
    run_->clock = &view_;
    run_->begin();
    show(progressState(WizardPage::AuthorProgress));
    run_->runAuthorPhase(authors, noSaveChecked_);
    show(progressState(WizardPage::DefineProgress));
    run_->runDefinePhase(view_.listSelectedDefineRows());
    results_ = run_->finish();
    run_.reset();

    const ResultsPage page = resultsPage(results_, settings.ringSound);
    view_.showResults(page, results_);
    show(resultsState(!page.pages));
    if (results_.newerFormatSeen) tellNewerFormat();
}

void MainWizard::back() {
    if (state_.page != WizardPage::Results) return;
    results_.notices.clear();
    view_.resetPages();
    WizardState state = setUpState();
    state.focus = WizardButton::Next;
    show(state);
}

void MainWizard::cancel() {
    if (stop_->isSet()) {
        view_.closeWindow();
        return;
    }
    if (run_ && run_->cancel()) show(state_);
}

}  // namespace kestrin
