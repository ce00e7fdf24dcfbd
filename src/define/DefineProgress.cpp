#include "define/DefineProgress.h"

#include "define/DefineEngine.h"
#include "platform/MessagePump.h"

namespace kestrin {

void DefineProgress::start(int maximum) {
    state_ = DefineProgressState{};
    state_.workText = "待機しています...";
    state_.maximum = maximum;
    changed();
}

void DefineProgress::beginItem(const std::string& caption) {
    state_.itemMessage = caption +
                         " の情報を取得して解析をしています。条件によっては，時間がかかる"
                         "ことがあります。しばらくお待ち下さい...";
    changed();
}

void DefineProgress::report(int position, int maximum, int phase) {
    state_.analysisPosition = position;
    state_.analysisMaximum = maximum;
    if (phase == TVKestrinDefineEngine::kPhaseTransfer) {
        state_.workText = "進行状況: " + std::to_string(position) +
                          (maximum ? "/" + std::to_string(maximum) : "") + " バイト受信";
    } else if (phase == TVKestrinDefineEngine::kPhaseLinkScan) {
        state_.workText = "HTML を解析しています... (キャンセル不可)";
    } else if (phase == TVKestrinDefineEngine::kPhaseChecksum) {
        state_.workText = "タグ除去 CRC を求めています... (キャンセル不可)";
    }
    changed();
}

void DefineProgress::endItem(int position) {
    state_.position = position;
    changed();
}

void DefineProgress::changed() {
    if (observer_) observer_->defineProgressChanged(state_);
    messagePump().processMessages();
}

}  // namespace kestrin
