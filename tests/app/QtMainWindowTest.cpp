#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/frmMain.h"
#include "catalogue/CatalogueFixture.h"
#include "support/QtWindowTest.h"

namespace kestrin {
namespace {

class QtMainWindowTest : public QObject {
    Q_OBJECT

    template <typename Widget = QWidget>
    Widget* control(const char* name) {
        return test::control<Widget>(window_.get(), name);
    }

    std::unique_ptr<test::WindowTestEnvironment> environment_;
    std::unique_ptr<TfrmMain> window_;

  private slots:
    void init() {
        environment_ = std::make_unique<test::WindowTestEnvironment>();
        // Next runs a check: the program's own author is never fetched by a test.
        RegisterSelf();
        test::setInteger(kOwnAuthorKey, "Checked", 0);
        window_ = std::make_unique<TfrmMain>();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void cleanup() {
        window_.reset();
        environment_.reset();
    }

    void windowHasItsCaptionFixedClientSizeBorderAndJapaneseFont() {
        QCOMPARE(window_->windowTitle(),
                 QString("Kestrin 2001 - オンラインソフトアップデートチェックユーティリティ"));
        QCOMPARE(window_->size(), QSize(545, 369));
        QCOMPARE(window_->minimumSize(), QSize(545, 369));
        QCOMPARE(window_->maximumSize(), QSize(545, 369));
        const Qt::WindowFlags flags = window_->windowFlags();
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

        QFontInfo font(window_->font());
        QCOMPARE(font.pixelSize(), 12);
        QVERIFY2(QFontDatabase::writingSystems(font.family()).contains(QFontDatabase::Japanese),
                 qPrintable(font.family()));
        QCOMPARE(QFontInfo(control("lblWork")->font()).family(), font.family());
        // Page headings are bold in the same font; other texts are not.
        for (const char* heading : {"Label5", "Label9", "Label25", "Label8"}) {
            QVERIFY2(control(heading)->font().bold(), heading);
            QCOMPARE(QFontInfo(control(heading)->font()).family(), font.family());
        }
        QVERIFY(!control("Label1")->font().bold());
    }

    void fourPagesWithTheirHeadingsAndTexts_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        auto row = [](const char* page, const char* label, const char* text) {
            QTest::newRow(label) << QString(page) << QString(label) << QString(text);
        };
        row("TabSheet1", "Label5", "検索条件を設定してください (Page 1 of 4)");
        row("TabSheet1", "Label1",
            "アップデートをチェックするには，インターネットに接続した状態にする必要があります。"
            "まず，インターネットに接続して下さい。接続と設定が完了しましたら，[次へ] "
            "を押して下さい。");
        row("TabSheet2", "Label9", "対応ソフトの情報ファイルの取得 (Page 2 of 4)");
        row("TabSheet2", "lblStatusConnecting", "ホスト情報を読み込んでいます...");
        row("TabSheet2", "lblStatusDownload", "アップデート情報ファイルをダウンロード中です...");
        row("TabSheet2", "lblStatusCompare",
            "既にセットアップされているソフトウエアとバージョンを比較しています...");
        row("TabSheet2", "Label3", "対応ソフト全体の進行状況:");
        row("tbsDefine", "Label25", "ユーザ定義の更新情報の取得 (Page 3 of 4)");
        row("tbsDefine", "lblWorkTitle", "ドキュメントの取得と解析");
        row("tbsDefine", "lblWork", "待機しています...");
        row("tbsDefine", "Label20", "ユーザ定義全体の進行状況:");
        row("TabSheet3", "Label8", "更新ソフト情報 (Page 4 of 4)");
    }

    void fourPagesWithTheirHeadingsAndTexts() {
        QFETCH(QString, page);
        QFETCH(QString, label);
        QFETCH(QString, text);
        auto* pages = control<QStackedWidget>("PageControl1");
        QStringList names;
        for (int i = 0; i < pages->count(); ++i)
            names << pages->widget(i)->objectName();
        QCOMPARE(names, QStringList({"TabSheet1", "TabSheet2", "tbsDefine", "TabSheet3"}));
        QCOMPARE(pages->currentWidget()->objectName(), QString("TabSheet1"));

        auto* shown = pages->findChild<QWidget*>(page)->findChild<QLabel*>(label);
        QVERIFY(shown);
        QCOMPARE(shown->text(), text);
    }

    void settingUpPageHasFiveTabsInOrder() {
        auto* tabs = control<QTabWidget>("PageControl3");
        QVERIFY(control("TabSheet1")->isAncestorOf(tabs));
        QVERIFY(tabs->tabBar()->isVisible());
        const QList<QPair<QString, QString>> expected = {{"TabSheet6", "対応作者リスト"},
                                                         {"TabSheet8", "ユーザ定義リスト"},
                                                         {"TabSheet7", "Kestrinの設定"},
                                                         {"TabSheet9", "プロキシ設定"},
                                                         {"TabSheet10", "NTP 同期の設定"}};
        QCOMPARE(tabs->count(), expected.size());
        for (int i = 0; i < tabs->count(); ++i) {
            QCOMPARE(tabs->widget(i)->objectName(), expected[i].first);
            QCOMPARE(tabs->tabText(i), expected[i].second);
        }
    }

    void buttonsHaveTheirCaptionsAndStartStates() {
        struct Expected {
            const char* name;
            const char* caption;
            bool enabled;
            bool isDefault;
        };
        for (const Expected& e : {Expected{"btnHelp", "ヘルプ(&H)", true, false},
                                  Expected{"btnBack", "< 戻る(&B)", false, false},
                                  Expected{"btnNext", "次へ(&N) >", true, true},
                                  Expected{"btnCancel", "キャンセル", true, false}}) {
            auto* button = control<QPushButton>(e.name);
            QCOMPARE(button->text(), QString(e.caption));
            QCOMPARE(button->isEnabled(), e.enabled);
            QCOMPARE(button->isDefault(), e.isDefault);
            QVERIFY(button->isVisible());
        }
        QVERIFY(control<QLabel>("lblNTPStatus")->isVisible());
    }

    void enterPressesNextAndKeepsTheWindowOpen() {
        QSignalSpy next(control<QPushButton>("btnNext"), &QPushButton::clicked);
        QTest::keyClick(control("PageControl3"), Qt::Key_Return);
        QTRY_COMPARE(next.count(), 1);
        QVERIFY(window_->isVisible());
    }

    void cancelAndEscEndTheProgram_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << "click";
        QTest::newRow("Esc key") << "esc";
    }

    // Runs the application's loop: it must end by itself once the window is closed. Esc does
    // it by pressing btnCancel.
    void cancelAndEscEndTheProgram() {
        QFETCH(QString, how);
        QSignalSpy cancel(control<QPushButton>("btnCancel"), &QPushButton::clicked);
        QTimer::singleShot(0, this, [&] {
            if (how == "click")
                QTest::mouseClick(control("btnCancel"), Qt::LeftButton);
            else
                QTest::keyClick(control("PageControl3"), Qt::Key_Escape);
        });
        QTimer giveUp;
        giveUp.setSingleShot(true);
        connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        giveUp.start(5000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!window_->isVisible());
        QCOMPARE(cancel.count(), 1);
    }

    void ctrlTabCyclesTheSettingUpTabsOnlyOnTheSettingUpPage() {
        auto* tabs = control<QTabWidget>("PageControl3");
        auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
            QTest::keyClick(tabs->tabBar(), key, modifiers);
            return tabs->currentWidget()->objectName();
        };
        QCOMPARE(tabs->currentWidget()->objectName(), QString("TabSheet6"));
        QCOMPARE(press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier),
                 QString("TabSheet10"));
        QCOMPARE(press(Qt::Key_Tab, Qt::ControlModifier), QString("TabSheet6"));
        QCOMPARE(press(Qt::Key_Tab, Qt::ControlModifier), QString("TabSheet8"));
        QCOMPARE(press(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier), QString("TabSheet6"));

        control<QStackedWidget>("PageControl1")->setCurrentIndex(1);
        QTest::keyClick(control("prbGetInfo"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentWidget()->objectName(), QString("TabSheet6"));
    }
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtMainWindowTest)
#include "QtMainWindowTest.moc"
