#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

#include "help/QtHelpViewer.h"
#include "platform/Dialogs.h"
#include "support/QtFakeOpener.h"
#include "support/QtWindowTest.h"
#include "welcome/QtCopyAnimation.h"
#include "welcome/QtEllipsisEdit.h"
#include "welcome/frmWelcome.h"

namespace kestrin {
namespace {

using test::control;
using test::whenModalOpen;

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class QtWelcomeWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        environment_ = std::make_unique<test::WindowTestEnvironment>();
        home_ = QString::fromStdString(environment_->files().root().string());
        qputenv("KESTRIN_HELP", KESTRIN_BUILT_HELP);
        root_ =
            QString::fromStdString((environment_->files().favorites() / "Kestrin 2001").string()) +
            "/";
        QDir().mkpath(root_);
        rebuilds_ = 0;
    }
    void cleanup() {
        environment_.reset();
        qunsetenv("KESTRIN_HELP");
    }

    void nextAndBackWalkThePagesAndTheLastNextFinishes() {
        TfrmWelcome wizard = makeWizard();
        auto* pages = control<QStackedWidget>(&wizard, "pgcWelcome");
        auto* next = control<QPushButton>(&wizard, "btnNext");
        auto* back = control<QPushButton>(&wizard, "btnBack");
        QCOMPARE(wizard.windowTitle(), QStringLiteral("ウェルカムウィザード - Kestrin 2001"));
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TabSheet1"));
        QVERIFY(!back->isEnabled());
        QVERIFY(next->isDefault());

        const QStringList order{"TabSheet3", "TabSheet4", "TabSheet2", "TabSheet5"};
        for (const QString& page : order) {
            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(pages->currentWidget()->objectName(), page);
            QVERIFY(back->isEnabled());
        }
        QCOMPARE(next->text(), QStringLiteral("完了(&F)"));
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TabSheet2"));
        QCOMPARE(next->text(), QStringLiteral("次へ(&N) >"));

        QTest::mouseClick(next, Qt::LeftButton);
        control<QCheckBox>(&wizard, "chkDontShowWelcome")->setChecked(true);
        QTest::mouseClick(next, Qt::LeftButton);
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QVERIFY(wizard.dontShowAgain());
    }

    void convertWritesTheItemsRebuildsTheTreeAndReports() {
        const QString old = filePath("Renvane.udi");
        writeBytes(old,
                   "[Extentions]\r\nExt0=.lzh\r\n[A]\r\nPageURL=http://a/\r\n"
                   "[B]\r\nPageURL=http://b/\r\n");
        TfrmWelcome wizard = makeWizard();
        wizard.setOldDefineFile(old.toStdString());
        auto* bar = control<QProgressBar>(&wizard, "prbConvert");
        int highest = 0;
        connect(bar, &QProgressBar::valueChanged, this,
                [&](int value) { highest = std::max(highest, value); });
        QTest::mouseClick(control<QPushButton>(&wizard, "btnConvert"), Qt::LeftButton);

        QCOMPARE(QDir(root_).entryList(QDir::Files), (QStringList{"A.url", "B.url"}));
        QCOMPARE(rebuilds_, 1);
        QCOMPARE(highest, 2);
        QCOMPARE(bar->maximum(), 2);
        QCOMPARE(bar->value(), 0);
        QVERIFY(!control<TCopyAnimation>(&wizard, "Animate1")->isActive());
        QCOMPARE(dialogs().shown().size(), size_t(1));
        QCOMPARE(QString::fromStdString(dialogs().shown()[0].text),
                 QStringLiteral("コンバートと再読込を完了しました"));
    }

    void convertWithAnEmptyFieldReportsAndWritesNothing() {
        TfrmWelcome wizard = makeWizard();
        QTest::mouseClick(control<QPushButton>(&wizard, "btnConvert"), Qt::LeftButton);
        QCOMPARE(dialogs().shown().size(), size_t(1));
        QCOMPARE(QString::fromStdString(dialogs().shown()[0].caption),
                 QStringLiteral("コンバートエラー"));
        QVERIFY(QDir(root_).entryList(QDir::Files).isEmpty());
        QCOMPARE(control<QProgressBar>(&wizard, "prbConvert")->value(), 0);
    }

    void theFieldsButtonOpensTheFileDialog() {
        const QString chosen = filePath("Renvane.udi");
        writeBytes(chosen, "[A]\r\n");
        TfrmWelcome wizard = makeWizard();
        wizard.show();
        QTest::mouseClick(control<QPushButton>(&wizard, "btnNext"), Qt::LeftButton);
        auto* field = control<TEllipsisEdit>(&wizard, "edtUDIPath");
        field->setText(filePath("nowhere/Renvane.udi"));
        QString presetName = QStringLiteral("not looked at");
        QStringList filters;
        whenModalOpen<QFileDialog>([&](QFileDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            presetName = name->text();
            filters = dialog->nameFilters();
            // Typed as a user would: selectFile() waits for the file system model, which the
            // dialog fills in another thread.
            name->setText(chosen);
            static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
        });
        QTest::mouseClick(field->ellipsisButton(), Qt::LeftButton);
        QCOMPARE(presetName, QString());
        QCOMPARE(filters, QStringList{"Kestrin 2 定義ファイル(*.udi)"});
        QCOMPARE(field->text(), chosen);
        QCOMPARE(wizard.focusWidget(), field);
        QCOMPARE(field->ellipsisButton()->toolTip(), field->ellipsisHint());
    }

    void theHelpCheckOpensTheContentsOrSaysTheHelpIsMissing() {
        {
            QtHelpViewer viewer;
            TfrmWelcome wizard = makeWizard();
            QTest::mouseClick(control<QPushButton>(&wizard, "btnDisplayHTMLHelp"), Qt::LeftButton);
            QVERIFY(viewer.window());
            QCOMPARE(viewer.window()->currentPage(),
                     QUrl("qthelp://org.example.kestrin/doc/index.html"));
            QVERIFY(!control<QPushButton>(&wizard, "btnDisplayHTMLHelp")->isEnabled());
            QVERIFY(!control<QLabel>(&wizard, "Label31")->isEnabled());
            QVERIFY(control<QLabel>(&wizard, "Label32")->isHidden() == false);
            QVERIFY(control<QLabel>(&wizard, "Label36")->isHidden() == false);

            // The Help button and F1 on the data file field.
            QTest::mouseClick(control<QPushButton>(&wizard, "btnHelp"), Qt::LeftButton);
            QCOMPARE(viewer.window()->currentPage(),
                     QUrl("qthelp://org.example.kestrin/doc/welcome.html"));
            QTest::keyClick(control<TEllipsisEdit>(&wizard, "edtUDIPath"), Qt::Key_F1);
            QCOMPARE(viewer.window()->currentPage(),
                     QUrl("qthelp://org.example.kestrin/doc/welcome.html#convert"));
        }
        qputenv("KESTRIN_HELP", QFile::encodeName(filePath("missing.qhc")));
        QtHelpViewer viewer;
        TfrmWelcome wizard = makeWizard();
        QTest::mouseClick(control<QPushButton>(&wizard, "btnDisplayHTMLHelp"), Qt::LeftButton);
        QVERIFY(!viewer.window());
        auto* label32 = control<QLabel>(&wizard, "Label32");
        QVERIFY(label32->isHidden() == false);
        QVERIFY(label32->text().startsWith(QStringLiteral("ヘルプファイルが見つかりません。")));
        QVERIFY(control<QLabel>(&wizard, "Label36")->isHidden());
    }

    void linksAndPageButtonsOpenTheirAddresses() {
        test::FakeOpener opener;
        TfrmWelcome wizard = makeWizard();
        QCOMPARE(control<QComboBox>(&wizard, "cmbProduct1")->currentIndex(), 0);
        control<QComboBox>(&wizard, "cmbProduct2")->setCurrentIndex(1);
        QTest::mouseClick(control<QPushButton>(&wizard, "btnJump1"), Qt::LeftButton);
        QTRY_COMPARE(opener.opened().size(), 1);
        QTest::mouseClick(control<QPushButton>(&wizard, "btnJump2"), Qt::LeftButton);
        QTRY_COMPARE(opener.opened().size(), 2);
        auto* link = control<QLabel>(&wizard, "lblSupportLink");
        QCOMPARE(link->toolTip(), QStringLiteral("Web サイトへジャンプします"));
        QTest::mouseClick(link, Qt::LeftButton);
        QTRY_COMPARE(opener.opened().size(), 3);
        QCOMPARE(opener.opened(),
                 (QStringList{"https://kestrin.example.org/cli/",
                              "https://kestrin.example.org/kit/update-info.html", link->text()}));
    }

  private:
    TfrmWelcome makeWizard() {
        return TfrmWelcome(root_.toStdString(), [this] { ++rebuilds_; });
    }

    QString filePath(const QString& name) const { return home_ + "/" + name; }
    ScriptedDialogs& dialogs() { return environment_->dialogs(); }

    std::unique_ptr<test::WindowTestEnvironment> environment_;
    QString home_;
    QString root_;
    int rebuilds_ = 0;
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtWelcomeWindowTest)
#include "QtWelcomeWindowTest.moc"
