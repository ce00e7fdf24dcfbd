#include "catalogue/AuthorProgress.h"

#include "platform/MessagePump.h"

namespace kestrin {

void AuthorProgress::start(int maximum) {
    state_.maximum = maximum;
    state_.position = 0;
    changed();
}

void AuthorProgress::beginAuthor() {
    state_.stepIndex = 0;
    ++state_.position;
    changed();
}

void AuthorProgress::fetching(const std::string& authorName, const std::string& host) {
    state_.authorMessage = authorName +
                           " さんのアップデート情報をインターネットから入手しています。"
                           "しばらくお待ち下さい...";
    state_.connectingText = "ホスト " + host + " に接続中です...";
    state_.boldStep = 0;
    changed();
}

void AuthorProgress::connected() {
    state_.stepIndex = 1;
    state_.boldStep = 1;
    ++state_.position;
    changed();
}

void AuthorProgress::transferFailed() {
    ++state_.position;
    if (state_.boldStep == 0) state_.boldStep = -1;
    changed();
}

void AuthorProgress::comparing() {
    state_.stepIndex = 2;
    state_.boldStep = 2;
    ++state_.position;
    changed();
}

void AuthorProgress::endAuthor() {
    if (state_.boldStep != 0) state_.boldStep = -1;
    changed();
}

void AuthorProgress::changed() {
    if (observer_) observer_->authorProgressChanged(state_);
    messagePump().processMessages();
}

}  // namespace kestrin
