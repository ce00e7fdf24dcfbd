#include "platform/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

namespace kestrin {

namespace {

QMessageBox::Icon qtIcon(DialogIcon icon) {
    switch (icon) {
        case DialogIcon::Information:
            return QMessageBox::Information;
        case DialogIcon::Question:
            return QMessageBox::Question;
        case DialogIcon::Warning:
            return QMessageBox::Warning;
        case DialogIcon::Error:
            return QMessageBox::Critical;
        case DialogIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonChoice {
    const char* text;
    QMessageBox::ButtonRole role;
    DialogAnswer answer;
};

// The buttons of a box, left to right; the first is the default, the last answers Esc and the
// window's close button.
std::vector<ButtonChoice> buttonsOf(DialogButtons buttons) {
    switch (buttons) {
        case DialogButtons::OkCancel:
            return {{"OK", QMessageBox::AcceptRole, DialogAnswer::Ok},
                    {"キャンセル", QMessageBox::RejectRole, DialogAnswer::Cancel}};
        case DialogButtons::YesNo:
            return {{"はい(&Y)", QMessageBox::YesRole, DialogAnswer::Yes},
                    {"いいえ(&N)", QMessageBox::NoRole, DialogAnswer::No}};
        case DialogButtons::Ok:
            break;
    }
    return {{"OK", QMessageBox::AcceptRole, DialogAnswer::Ok}};
}

// The system's texts break lines with "\r\n"; Qt wants "\n".
QString displayText(const std::string& text) {
    return QString::fromStdString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

}  // namespace

QWidget* QtDialogs::parentForBox() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (owner_) return owner_;
    return QApplication::activeWindow();
}

DialogAnswer QtDialogs::messageBox(const std::string& text, const std::string& caption,
                                   DialogIcon icon, DialogButtons buttons) {
    QMessageBox box(qtIcon(icon), displayText(caption), displayText(text), QMessageBox::NoButton,
                    parentForBox());
    box.setTextFormat(Qt::PlainText);  // a "<" in a server's message is text, not mark-up

    std::vector<std::pair<QPushButton*, DialogAnswer>> answers;
    for (const ButtonChoice& choice : buttonsOf(buttons))
        answers.emplace_back(box.addButton(QString::fromUtf8(choice.text), choice.role),
                             choice.answer);
    box.setDefaultButton(answers.front().first);
    box.setEscapeButton(answers.back().first);

    box.exec();
    for (const auto& [button, answer] : answers) {
        if (box.clickedButton() == button) return answer;
    }
    return answers.back().second;
}

std::optional<std::string> QtDialogs::inputBox(const std::string& caption,
                                               const std::string& prompt,
                                               const std::string& initial) {
    QInputDialog dialog(parentForBox());
    dialog.setWindowTitle(displayText(caption));
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(QString::fromStdString(initial));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

}  // namespace kestrin
