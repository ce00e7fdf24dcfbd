#include "app/MainWizard.h"

#include <gtest/gtest.h>

#include <functional>

#include "catalogue/CatalogueFixture.h"
#include "define/DefineFixture.h"
#include "platform/Dialogs.h"
#include "platform/MessagePump.h"
#include "support/HttpTestServer.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::HttpReply;
using test::HttpTestServer;

// Records what the wizard shows; hooks let a test act from inside a run.
class RecordingView : public MainWizardView {
  public:
    void showState(const WizardState& state) override { states.push_back(state); }
    void showAuthorChecks(const std::vector<AuthorRow>& authors) override {
        authorChecks.push_back(authors);
    }
    std::vector<DefineRow> listSelectedDefineRows() override { return listDefineRows(""); }
    void showResults(const ResultsPage& page, const CheckResults& results) override {
        pages.push_back(page);
        shownResults.push_back(results);
    }
    void resetPages() override { ++resets; }
    void closeWindow() override { ++closes; }
    void authorProgressChanged(const AuthorProgressState&) override { ++authorReports; }
    void defineProgressChanged(const DefineProgressState& state) override {
        ++defineReports;
        if (onDefineProgress) onDefineProgress(state);
    }
    void synchronize() override { ++clockSyncs; }

    std::vector<WizardPage> pagesShown() const {
        std::vector<WizardPage> shown;
        for (const WizardState& state : states)
            if (shown.empty() || shown.back() != state.page) shown.push_back(state.page);
        return shown;
    }

    std::vector<WizardState> states;
    std::vector<std::vector<AuthorRow>> authorChecks;
    std::vector<ResultsPage> pages;
    std::vector<CheckResults> shownResults;
    int resets = 0, closes = 0, authorReports = 0, defineReports = 0, clockSyncs = 0;
    std::function<void(const DefineProgressState&)> onDefineProgress;
};

struct Wizard {
    test::TempEnvironment environment;
    HttpTestServer server;
    ScriptedDialogs dialogs;
    ScopedDialogs scoped{dialogs};
    RecordingView view;
    MainWizard wizard{view};
};

HttpReply modifiedPage() {
    return HttpReply::ok("<html>new</html>")
        .header("Last-Modified", "Sun, 01 Jul 2001 12:00:00 GMT");
}

HttpReply stalled() {
    HttpReply reply = HttpReply::ok("");
    reply.stall = true;
    return reply;
}

// One author with one update and a notice, one changed page.
void addSample(Wizard& w) {
    w.server.serve(
        "/info.inf",
        HttpReply::ok("[Info]\r\nNotice=hi\r\n[Soft1]\r\nDistinctName=T\r\nBuild=2\r\n"));
    w.server.serve("/a.html", modifiedPage());
    test::addAuthor("Sample", "Sam", w.server.url("/info.inf"));
    test::addSoftware("Sample", "tool", "T", 1);
    test::addPageItem(w.environment, "", "A page", w.server.url("/a.html"), true);
}

const WizardState kSetUp{};
const WizardState kAuthorProgress{.page = WizardPage::AuthorProgress,
                                  .nextEnabled = false,
                                  .stopped = false,
                                  .focus = WizardButton::Cancel};
const WizardState kDefineProgress{.page = WizardPage::DefineProgress,
                                  .nextEnabled = false,
                                  .stopped = false,
                                  .focus = WizardButton::Cancel};
const WizardState kResults{.page = WizardPage::Results,
                           .backEnabled = true,
                           .nextEnabled = false,
                           .defaultButton = WizardButton::Cancel,
                           .cancelCaption = "終了(&X)"};

TEST(MainWizard, ARunGoesThroughTheStateTableRowByRow) {
    Wizard w;
    addSample(w);
    w.wizard.shown();
    EXPECT_EQ(w.view.states, std::vector<WizardState>{kSetUp});

    Settings settings;
    settings.ntpAutoSync = true;
    w.wizard.next(settings, FillAuthorList(true));
    EXPECT_EQ(w.view.states,
              (std::vector<WizardState>{kSetUp, kAuthorProgress, kDefineProgress, kResults}));
    EXPECT_GT(w.view.authorReports, 0);
    EXPECT_GT(w.view.defineReports, 0);
    EXPECT_EQ(w.view.clockSyncs, 1);
    ASSERT_EQ(w.view.shownResults.size(), 1u);
    EXPECT_EQ(w.view.shownResults[0].rows.size(), 2u);
    EXPECT_EQ(w.view.shownResults[0].notices, (std::vector<AuthorNotice>{{"Sam", "hi"}}));
    EXPECT_EQ(w.view.pages[0], resultsPage(w.view.shownResults[0], true));
    EXPECT_EQ(w.wizard.runSettings(), nullptr);
    EXPECT_TRUE(w.dialogs.shown().empty());

    // Next does nothing off the setting-up page.
    w.wizard.next(settings, FillAuthorList(true));
    EXPECT_EQ(w.view.states.size(), 4u);

    // Back: the setting-up page with Next focused, the notices cleared; Cancel closes.
    w.wizard.back();
    WizardState backAgain = kSetUp;
    backAgain.focus = WizardButton::Next;
    EXPECT_EQ(w.view.states.back(), backAgain);
    EXPECT_EQ(w.view.resets, 1);
    EXPECT_TRUE(w.wizard.results().notices.empty());
    w.wizard.cancel();
    EXPECT_EQ(w.view.closes, 1);

    // A second run starts empty (the page is known by now: only the author's row comes back).
    w.wizard.next(settings, FillAuthorList(true));
    ASSERT_EQ(w.view.shownResults.size(), 2u);
    EXPECT_EQ(w.view.shownResults[1].rows.size(), 1u);
    EXPECT_EQ(w.view.shownResults[1].notices.size(), 1u);
    EXPECT_EQ(w.view.states.back(), kResults);
    w.wizard.cancel();  // "終了(&X)"
    EXPECT_EQ(w.view.closes, 2);
}

TEST(MainWizard, ARunThatFindsNothingFocusesTheEndButton) {
    Wizard w;
    w.server.serve(
        "/a.html",
        HttpReply::ok("<html>old</html>").header("Last-Modified", "Mon, 01 Jan 2001 00:00:00 GMT"));
    test::addPageItem(w.environment, "", "A page", w.server.url("/a.html"), true);
    w.wizard.next(Settings{}, {});
    WizardState nothing = kResults;
    nothing.focus = WizardButton::Cancel;
    EXPECT_EQ(w.view.states.back(), nothing);
    EXPECT_FALSE(w.view.pages.back().pages);
    // The empty author list was told, and the define phase ran all the same.
    ASSERT_EQ(w.dialogs.shown().size(), 1u);
    EXPECT_EQ(w.dialogs.shown()[0].caption, "作者不在");
    EXPECT_EQ(w.server.requests().size(), 1u);
}

TEST(MainWizard, AStopDuringEitherPhaseEndsOnTheResultsPage) {
    for (const WizardPage phase : {WizardPage::AuthorProgress, WizardPage::DefineProgress}) {
        Wizard w;
        const bool inAuthors = phase == WizardPage::AuthorProgress;
        w.server.serve("/slow.inf", stalled());
        w.server.serve("/slow.html", stalled());
        w.server.serve("/b.html", modifiedPage());
        if (inAuthors) test::addAuthor("Slow", "Sue", w.server.url("/slow.inf"));
        test::addPageItem(w.environment, "", inAuthors ? "B page" : "A slow page",
                          w.server.url(inAuthors ? "/b.html" : "/slow.html"), true);
        test::addPageItem(w.environment, "", "C page", w.server.url("/b.html"), true);

        // Cancel pressed again and again: it works once a transfer is open.
        const auto timer = messagePump().startTimer(
            std::chrono::milliseconds(20),
            [&] {
                if (!w.wizard.state().stopped) w.wizard.cancel();
            },
            true);
        Settings settings;
        settings.ntpAutoSync = true;
        w.wizard.next(settings, FillAuthorList(true));
        messagePump().stopTimer(timer);

        const char* name = inAuthors ? "author phase" : "define phase";
        EXPECT_EQ(w.view.pagesShown(),
                  (std::vector<WizardPage>{WizardPage::AuthorProgress, WizardPage::DefineProgress,
                                           WizardPage::Results}))
            << name;
        // The stop shows on the page where it happened: Cancel now closes.
        const auto stoppedOn = std::find_if(w.view.states.begin(), w.view.states.end(),
                                            [](const WizardState& s) { return s.stopped; });
        ASSERT_NE(stoppedOn, w.view.states.end()) << name;
        EXPECT_EQ(stoppedOn->page, phase) << name;
        EXPECT_TRUE(w.view.shownResults[0].cancelled) << name;
        // The stopped author gives nothing; the stopped item reports its failed transfer.
        const std::vector<ResultsRow>& rows = w.view.shownResults[0].rows;
        WizardState results = kResults;
        if (inAuthors) {
            EXPECT_TRUE(rows.empty());
            results.focus = WizardButton::Cancel;
        } else {
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(rows[0].displayName, "A slow page");
            EXPECT_EQ(rows[0].comment.rfind("【エラー】#r", 0), 0u) << rows[0].comment;
        }
        EXPECT_EQ(w.view.states.back(), results) << name;
        EXPECT_EQ(w.view.clockSyncs, 0) << name;
        // Nothing after the stalled one. A stop can come once the connection is open, before
        // the server has read the request, so the stalled request itself may be missing.
        EXPECT_LE(w.server.requests().size(), 1u) << name;
        EXPECT_EQ(w.view.closes, 0) << name;
    }
}

TEST(MainWizard, CancelBetweenTransfersDoesNothing) {
    Wizard w;
    addSample(w);
    w.view.onDefineProgress = [&](const DefineProgressState& state) {
        // An item begins: no connection is open yet.
        if (!state.itemMessage.empty() && state.analysisMaximum == 0) w.wizard.cancel();
    };
    w.wizard.next(Settings{}, FillAuthorList(true));
    EXPECT_FALSE(w.view.shownResults[0].cancelled);
    EXPECT_EQ(w.view.shownResults[0].rows.size(), 2u);
    EXPECT_EQ(w.view.closes, 0);
}

TEST(MainWizard, AProxyPortThatIsNoNumberKeepsTheSettingUpPage) {
    for (const char* port : {"", "80a"}) {
        Wizard w;
        addSample(w);
        Settings settings;
        settings.useProxy = true;
        settings.proxyAddress = "proxy.example";
        settings.proxyPort = port;
        w.wizard.next(settings, FillAuthorList(true));
        EXPECT_TRUE(w.view.states.empty()) << port;
        EXPECT_EQ(w.wizard.state(), kSetUp) << port;
        ASSERT_EQ(w.dialogs.shown().size(), 1u) << port;
        EXPECT_EQ(w.dialogs.shown()[0].text,
                  "プロキシポートの設定が不正です\r\n正しく設定してください");
        EXPECT_EQ(w.dialogs.shown()[0].caption, "プロキシポートエラー");
        EXPECT_TRUE(w.server.requests().empty()) << port;
    }
}

TEST(MainWizard, TheCommandLineSetsTheCheckMarksAndRuns) {
    struct Case {
        std::vector<std::string> arguments;
        std::string checked;  // the authors checked for the run, by key
        bool runs;
        std::string storedAfter;  // "Checked" of A, B, C afterwards ("-" for none)
    };
    // Stored before: A checked, B unchecked, C never through a run.
    const Case cases[] = {
        {{"/check"}, "AC", true, "101"},
        {{"/check", "B"}, "AC", true, "101"},
        {{"/CHECKALL"}, "ABC", true, "111"},
        {{"/checkauto", "b"}, "B", true, "10-"},
        {{"/checkauto"}, "", true, "10-"},
        {{"/preset"}, "AC", true, "101"},
        {{"/revset"}, "BC", true, "011"},
        {{"/checkevery"}, "", false, "10-"},
        {{}, "", false, "10-"},
    };
    for (const Case& c : cases) {
        Wizard w;
        std::string row;
        for (const std::string& argument : c.arguments)
            row += argument + " ";
        for (const char* key : {"A", "B", "C"}) {
            const std::string path = std::string("/") + key + ".inf";
            w.server.serve(path, HttpReply::ok("[Info]\r\n"));
            test::addAuthor(key, std::string("Author ") + key, w.server.url(path));
        }
        test::setInteger("A", "Checked", 1);
        test::setInteger("B", "Checked", 0);

        Settings settings;
        settings.confirmAutoCheck = false;
        std::vector<AuthorRow> authors = FillAuthorList(true);
        w.wizard.shown();
        w.wizard.painted(parseCommandLine(c.arguments), settings, authors);

        std::string checked, fetched, stored;
        for (const AuthorRow& author : authors)
            if (author.checked && c.runs) checked += author.key;
        for (const std::string& request : w.server.requests())
            fetched += request.substr(5, 1);
        for (const char* key : {"A", "B", "C"}) {
            const std::optional<int> mark = test::integerAt(key, "Checked");
            stored += mark ? std::to_string(*mark) : "-";
        }
        EXPECT_EQ(checked, c.checked) << row;
        EXPECT_EQ(fetched, c.checked) << row;
        EXPECT_EQ(stored, c.storedAfter) << row;
        EXPECT_EQ(w.view.states.back().page, c.runs ? WizardPage::Results : WizardPage::SetUp)
            << row;
        EXPECT_EQ(w.view.authorChecks.size(), c.runs ? 1u : 0u) << row;
        EXPECT_EQ(w.wizard.noSaveChecked(), c.arguments.size() && c.arguments[0] == "/checkauto")
            << row;
    }
}

TEST(MainWizard, TheCommandLineAsksFirstAndOnlyOncePerShowing) {
    Wizard w;
    addSample(w);
    Settings settings;  // asks before a command-line run
    std::vector<AuthorRow> authors = FillAuthorList(true);
    const CommandLine commandLine = parseCommandLine({"/checkall"});

    w.wizard.shown();
    w.dialogs.queueAnswer(DialogAnswer::Cancel);
    w.wizard.painted(commandLine, settings, authors);
    ASSERT_EQ(w.dialogs.shown().size(), 1u);
    EXPECT_EQ(w.dialogs.shown()[0].caption, "自動実行の確認 - Kestrin 2001");
    EXPECT_EQ(w.dialogs.shown()[0].buttons, DialogButtons::OkCancel);
    EXPECT_EQ(w.dialogs.shown()[0].icon, DialogIcon::Question);
    w.wizard.painted(commandLine, settings, authors);  // a later paint asks no more
    EXPECT_EQ(w.dialogs.shown().size(), 1u);
    EXPECT_EQ(w.wizard.state(), kSetUp);
    EXPECT_TRUE(w.server.requests().empty());

    w.wizard.shown();  // shown anew: asked again, and OK runs
    w.wizard.painted(commandLine, settings, authors);
    EXPECT_EQ(w.dialogs.shown().size(), 2u);
    EXPECT_EQ(w.wizard.state().page, WizardPage::Results);
}

}  // namespace
}  // namespace kestrin
