#include "help/Help.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <vector>

#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::writeFile;

TEST(HelpTopicsTest, EveryPageOfEveryWindowOpensItsTopic) {
    struct Case {
        const char* window;
        const char* page;
        const char* innerPage;
        std::optional<int> topic;
    };
    const Case cases[] = {
        {"TfrmMain", "TabSheet1", "TabSheet6", 21},
        {"TfrmMain", "TabSheet1", "TabSheet8", 22},
        {"TfrmMain", "TabSheet1", "TabSheet7", 23},
        {"TfrmMain", "TabSheet1", "TabSheet9", 24},
        {"TfrmMain", "TabSheet1", "TabSheet10", 25},
        {"TfrmMain", "TabSheet2", "", 26},
        {"TfrmMain", "tbsDefine", "", 27},
        {"TfrmMain", "TabSheet3", "TabSheet4", 28},
        {"TfrmMain", "TabSheet3", "TabSheet5", 29},
        {"TfrmMain", "TabSheet3", "TabSheet6", std::nullopt},  // not an inner page of results
        {"TfrmMain", "TabSheet4", "", std::nullopt},           // any other page: nothing
        {"TfrmUserDefine", "tbsSetURL", "", 31},
        {"TfrmUserDefine", "tbsDoubleFiles", "", 32},
        {"TfrmUserDefine", "tbsSetCondition", "", 33},
        {"TfrmUserDefine", "tbsFinal", "", 34},
        {"TfrmUserDefine", "", "", 34},
        {"TfrmWelcome", "", "", kHelpWelcome},
        {"TfrmDetail", "", "", kHelpDetail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.window) + " " + c.page + " " + c.innerPage);
        std::optional<int> topic;
        if (std::string(c.window) == "TfrmMain") {
            topic = mainWindowPageTopic(c.page, c.innerPage);
        } else if (std::string(c.window) == "TfrmUserDefine") {
            topic = defineWizardPageTopic(c.page);
        } else {
            topic = std::string(c.window) == "TfrmWelcome" ? kHelpWelcome : kHelpDetail;
        }
        EXPECT_EQ(topic, c.topic);
        if (topic) {
            EXPECT_TRUE(pageOfTopic(*topic)) << "topic " << *topic << " has no page";
        }
    }
    EXPECT_EQ(pageOfTopic(kHelpContents), (HelpPage{"index.html", ""}));
}

TEST(HelpTopicsTest, ControlContextsAreTheirOwnTable) {
    // 21 is the author list as a topic and chkRingSound on the options tab as a context.
    EXPECT_EQ(pageOfTopic(21), (HelpPage{"main-authors.html", ""}));
    EXPECT_EQ(pageOfContext(21), (HelpPage{"main-options.html", "chkRingSound"}));
    // Every context number the windows give their controls has a section.
    for (int context :
         {11,  12,  13,  14,  15,  16,  17,  21,  22,  23,  24,  25,  26,  27,  28,  29, 30,
          101, 102, 201, 202, 203, 211, 212, 221, 222, 223, 224, 225, 226, 227, 231, 232}) {
        auto page = pageOfContext(context);
        ASSERT_TRUE(page) << "context " << context;
        EXPECT_FALSE(page->anchor.empty()) << "context " << context;
    }
    EXPECT_FALSE(pageOfContext(0));
    EXPECT_FALSE(pageOfContext(303));
    EXPECT_FALSE(pageOfTopic(2));
}

// Records the pages it was asked to show.
class RecordingViewer : public HelpViewer {
  public:
    void showHelpPage(const fs::path& collection, const HelpPage& page) override {
        shown.emplace_back(collection, page);
    }
    std::vector<std::pair<fs::path, HelpPage>> shown;
};

// Points $KESTRIN_HELP somewhere for one test, and installs a viewer.
class HelpServiceTest : public ::testing::Test {
  protected:
    HelpServiceTest() {
        if (const char* old = getenv("KESTRIN_HELP")) saved = old;
        installHelpViewer(&viewer);
    }
    ~HelpServiceTest() override {
        installHelpViewer(nullptr);
        if (saved) {
            setenv("KESTRIN_HELP", saved->c_str(), 1);
        } else {
            unsetenv("KESTRIN_HELP");
        }
    }
    void useCollection(const fs::path& path) { setenv("KESTRIN_HELP", path.c_str(), 1); }

    TempFolder folder;
    RecordingViewer viewer;
    std::optional<std::string> saved;
};

TEST_F(HelpServiceTest, ShowsTheTopicsPageInTheCollection) {
    const fs::path collection = folder / "kestrin.qhc";
    writeFile(collection, "collection");
    useCollection(collection);

    EXPECT_TRUE(helpAvailable());
    EXPECT_TRUE(showHelpTopic(22));
    EXPECT_TRUE(showHelpContext(101));
    ASSERT_EQ(viewer.shown.size(), 2u);
    EXPECT_EQ(viewer.shown[0].first, collection);
    EXPECT_EQ(viewer.shown[0].second, (HelpPage{"main-define.html", ""}));
    EXPECT_EQ(viewer.shown[1].second, (HelpPage{"welcome.html", "convert"}));

    EXPECT_FALSE(showHelpTopic(99));
    EXPECT_EQ(viewer.shown.size(), 2u);
}

TEST_F(HelpServiceTest, WithoutACollectionOrAViewerHelpDoesNothing) {
    useCollection(folder / "missing.qhc");
    EXPECT_FALSE(helpAvailable());
    EXPECT_TRUE(helpCollection().empty());
    EXPECT_FALSE(showHelpTopic(kHelpContents));
    EXPECT_FALSE(showHelpContext(21));
    EXPECT_TRUE(viewer.shown.empty());

    const fs::path collection = folder / "kestrin.qhc";
    writeFile(collection, "collection");
    useCollection(collection);
    installHelpViewer(nullptr);
    EXPECT_FALSE(showHelpTopic(kHelpContents));
}

}  // namespace
}  // namespace kestrin
