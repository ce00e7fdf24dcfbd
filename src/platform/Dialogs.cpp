#include "platform/Dialogs.h"

#include <iostream>

#include "platform/VersionInfo.h"

namespace kestrin {

namespace {
DialogService* installedService = nullptr;

DialogAnswer affirmative(DialogButtons buttons) {
    return buttons == DialogButtons::YesNo ? DialogAnswer::Yes : DialogAnswer::Ok;
}

// Message texts break lines with "\r\n"; a console line shows them as spaces.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        line += (c == '\n') ? ' ' : c;
    }
    return line;
}
}  // namespace

DialogService& dialogs() {
    static ConsoleDialogs console;
    return installedService ? *installedService : console;
}

void installDialogs(DialogService* service) {
    installedService = service;
}

void showError(const std::exception& error) {
    dialogs().messageBox(error.what(), kApplicationTitle, DialogIcon::Error, DialogButtons::Ok);
}

DialogAnswer ConsoleDialogs::messageBox(const std::string& text, const std::string& caption,
                                        DialogIcon, DialogButtons buttons) {
    std::cerr << oneLine(caption) << ": " << oneLine(text) << '\n';
    return affirmative(buttons);
}

std::optional<std::string> ConsoleDialogs::inputBox(const std::string&, const std::string&,
                                                    const std::string& initial) {
    return initial;
}

DialogAnswer ScriptedDialogs::messageBox(const std::string& text, const std::string& caption,
                                         DialogIcon icon, DialogButtons buttons) {
    shown_.push_back(Shown{text, caption, icon, buttons});
    if (answers_.empty()) return affirmative(buttons);
    DialogAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedDialogs::inputBox(const std::string& caption,
                                                     const std::string& prompt,
                                                     const std::string&) {
    shown_.push_back(Shown{prompt, caption, DialogIcon::None, DialogButtons::OkCancel});
    if (inputs_.empty()) return std::nullopt;
    auto input = inputs_.front();
    inputs_.pop_front();
    return input;
}

}  // namespace kestrin
