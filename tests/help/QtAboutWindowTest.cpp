#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "help/frmAbout.h"
#include "platform/Dialogs.h"
#include "support/QtFakeOpener.h"
#include "support/QtWindowTest.h"

namespace kestrin {
namespace {

using test::control;

class QtAboutWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void showsTheVersionInformation() {
        test::WindowTestEnvironment environment;
        TfrmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("バージョン情報"));
        QCOMPARE(control<QLabel>(&about, "ProductName")->text(), QStringLiteral("Kestrin 2001"));
        QVERIFY(control<QLabel>(&about, "ProductName")->font().bold());
        QCOMPARE(control<QLabel>(&about, "Version")->text(),
                 QStringLiteral("Version 3.00 オンラインソフトアップデートチェックユーティリティ "
                                "(Build 1)"));
        QVERIFY(control<QLabel>(&about, "lblLegalCopyright")->text().startsWith("Copyright"));
        about.show();
        QTest::mouseClick(control<QPushButton>(&about, "cmdOK"), Qt::LeftButton);
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void theLinksOpenTheSiteTheSupportSiteAndAMailAfterTheWarning() {
        test::WindowTestEnvironment environment;
        test::FakeOpener opener;
        ScriptedDialogs& dialogs = environment.dialogs();
        TfrmAbout about;
        QTest::mouseClick(control<QLabel>(&about, "lblSite"), Qt::LeftButton);
        QTRY_COMPARE(opener.opened().size(), 1);
        QTest::mouseClick(control<QLabel>(&about, "lblSupportSite"), Qt::LeftButton);
        QTRY_COMPARE(opener.opened().size(), 2);
        QVERIFY(dialogs.shown().empty());

        QTest::mouseClick(control<QLabel>(&about, "lblSupportMail"), Qt::LeftButton);
        QCOMPARE(dialogs.shown().size(), size_t(1));
        QCOMPARE(QString::fromStdString(dialogs.shown()[0].caption),
                 QStringLiteral("ヘルプ参照のお願い"));
        QTRY_COMPARE(opener.opened().size(), 3);
        QCOMPARE(opener.opened(), (QStringList{"https://kestrin.example.org/",
                                               "https://kestrin.example.org/support/",
                                               "mailto:support@kestrin.example.org"}));
    }
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtAboutWindowTest)
#include "QtAboutWindowTest.moc"
