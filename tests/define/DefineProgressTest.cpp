#include "define/DefineProgress.h"

#include <gtest/gtest.h>

#include "define/DefineEngine.h"

namespace kestrin {
namespace {

struct Recorder : DefineProgressObserver {
    void defineProgressChanged(const DefineProgressState& state) override { seen.push_back(state); }
    std::vector<DefineProgressState> seen;
};

TEST(DefineProgress, TheWorkLineNamesThePhaseAndEveryReportMovesTheItemsBar) {
    Recorder recorder;
    DefineProgress progress(&recorder);
    progress.start(4);
    EXPECT_EQ(progress.state().workText, "待機しています...");
    EXPECT_EQ(progress.state().maximum, 4);
    progress.beginItem("ページ");
    EXPECT_EQ(
        progress.state().itemMessage,
        "ページ の情報を取得して解析をしています。条件によっては，時間がかかることがあります。"
        "しばらくお待ち下さい...");

    struct Case {
        int position, maximum, phase;
        const char* workText;
    };
    using Engine = TVKestrinDefineEngine;
    for (const Case& c :
         {Case{512, 0, Engine::kPhaseTransfer, "進行状況: 512 バイト受信"},
          Case{512, 2048, Engine::kPhaseTransfer, "進行状況: 512/2048 バイト受信"},
          Case{0, 0, Engine::kPhaseLinkScan, "HTML を解析しています... (キャンセル不可)"},
          Case{30, 60, Engine::kPhaseReport,  // a scan step: the bar alone
               "HTML を解析しています... (キャンセル不可)"},
          Case{0, 0, Engine::kPhaseChecksum, "タグ除去 CRC を求めています... (キャンセル不可)"}}) {
        progress.report(c.position, c.maximum, c.phase);
        EXPECT_EQ(progress.state().workText, c.workText) << c.phase;
        EXPECT_EQ(progress.state().analysisPosition, c.position) << c.phase;
        EXPECT_EQ(progress.state().analysisMaximum, c.maximum) << c.phase;
    }
    progress.endItem(3);
    EXPECT_EQ(progress.state().position, 3);
    EXPECT_EQ(recorder.seen.size(), 8u);  // every change is told
    EXPECT_EQ(recorder.seen.back().position, 3);
}

}  // namespace
}  // namespace kestrin
