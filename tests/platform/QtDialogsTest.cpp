#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/QtDialogs.h"
#include "support/QtWindowTest.h"

namespace kestrin {
namespace {

QStringList buttonTexts(QMessageBox* box) {
    QStringList texts;
    for (QAbstractButton* button : box->buttons())
        texts << button->text();
    texts.sort();
    return texts;
}

class QtDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void messageBoxShowsTheSystemsButtonsAndAnswersThePressedOne_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("press");  // a button's text, or "Esc"
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("qtIcon");

        const QStringList ok{"OK"};
        const QStringList okCancel{"OK", "キャンセル"};
        const QStringList yesNo{"いいえ(&N)", "はい(&Y)"};
        auto row = [](const char* name, DialogButtons buttons, DialogIcon icon, QString press,
                      DialogAnswer answer, QStringList texts, QMessageBox::Icon qtIcon) {
            QTest::newRow(name) << int(buttons) << int(icon) << press << int(answer) << texts
                                << int(qtIcon);
        };
        row("error ok", DialogButtons::Ok, DialogIcon::Error, "OK", DialogAnswer::Ok, ok,
            QMessageBox::Critical);
        row("information esc", DialogButtons::Ok, DialogIcon::Information, "Esc", DialogAnswer::Ok,
            ok, QMessageBox::Information);
        row("ok of ok/cancel", DialogButtons::OkCancel, DialogIcon::Question, "OK",
            DialogAnswer::Ok, okCancel, QMessageBox::Question);
        row("cancel of ok/cancel", DialogButtons::OkCancel, DialogIcon::Question, "キャンセル",
            DialogAnswer::Cancel, okCancel, QMessageBox::Question);
        row("esc of ok/cancel", DialogButtons::OkCancel, DialogIcon::Question, "Esc",
            DialogAnswer::Cancel, okCancel, QMessageBox::Question);
        row("yes", DialogButtons::YesNo, DialogIcon::Question, "はい(&Y)", DialogAnswer::Yes, yesNo,
            QMessageBox::Question);
        row("no", DialogButtons::YesNo, DialogIcon::Warning, "いいえ(&N)", DialogAnswer::No, yesNo,
            QMessageBox::Warning);
        row("esc of yes/no", DialogButtons::YesNo, DialogIcon::None, "Esc", DialogAnswer::No, yesNo,
            QMessageBox::NoIcon);
    }

    void messageBoxShowsTheSystemsButtonsAndAnswersThePressedOne() {
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QFETCH(QString, press);
        QFETCH(int, answer);
        QFETCH(QStringList, texts);
        QFETCH(int, qtIcon);

        QString shownText, shownCaption;
        QStringList shownButtons;
        int shownIcon = -1;
        test::whenModalOpen<QMessageBox>([&](QMessageBox* box) {
            shownText = box->text();
            shownCaption = box->windowTitle();
            shownButtons = buttonTexts(box);
            shownIcon = box->icon();
            if (press == "Esc") {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == press) button->click();
            }
        });
        QtDialogs service;
        DialogAnswer got = service.messageBox("一行目\r\n<b>二行目</b>", "確認 - Kestrin 2001",
                                              DialogIcon(icon), DialogButtons(buttons));
        QCOMPARE(int(got), answer);
        QCOMPARE(shownText, QString("一行目\n<b>二行目</b>"));
        QCOMPARE(shownCaption, QString("確認 - Kestrin 2001"));
        QCOMPARE(shownButtons, texts);
        QCOMPARE(shownIcon, qtIcon);
    }

    void inputBoxReturnsTheTextOrNothingWhenCancelled() {
        QtDialogs service;
        QString prompt, initial;
        test::whenModalOpen<QInputDialog>([&](QInputDialog* dialog) {
            prompt = dialog->labelText();
            initial = dialog->textValue();
            dialog->setTextValue("ソフト");
            dialog->accept();
        });
        QCOMPARE(service.inputBox("フォルダの作成", "フォルダ名:", "新しいフォルダ"),
                 std::optional<std::string>("ソフト"));
        QCOMPARE(prompt, QString("フォルダ名:"));
        QCOMPARE(initial, QString("新しいフォルダ"));

        test::whenModalOpen<QInputDialog>([](QInputDialog* dialog) { dialog->reject(); });
        QCOMPARE(service.inputBox("フォルダの作成", "フォルダ名:", "x"), std::nullopt);
    }
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtDialogsTest)
#include "QtDialogsTest.moc"
