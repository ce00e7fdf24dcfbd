// The four setting-up tabs of the main window: their controls, the wiring of their decisions,
// and their settings through a close and the next start.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

#include "app/PasswordScramble.h"
#include "app/frmMain.h"
#include "app/frmMainAuthorTab.h"
#include "app/frmMainClockTab.h"
#include "app/frmMainOptionsTab.h"
#include "app/frmMainProxyTab.h"
#include "catalogue/CatalogueFixture.h"
#include "catalogue/frmDetail.h"
#include "clock/NtpServers.h"
#include "define/KestrinTree.h"
#include "net/ProxySettings.h"
#include "platform/BuildNumber.h"
#include "platform/Shell.h"
#include "support/FakeClock.h"
#include "support/QtWindowTest.h"
#include "support/SntpResponder.h"

namespace kestrin {
namespace {

using test::control;

// The browser's proxy values in the store; an empty server writes none.
void setBrowserProxy(const std::string& server, std::optional<int> enable) {
    TVRegEx registry;
    registry.OpenKey(kInternetSettingsKey, true);
    if (!server.empty()) registry.WriteString("ProxyServer", server);
    if (enable) registry.WriteInteger("ProxyEnable", *enable);
}

// The named controls of `tab` in the order Tab visits them.
QStringList tabOrder(QWidget* tab, const QStringList& controls) {
    QStringList order;
    QWidget* widget = control(tab, controls.front().toLatin1().constData());
    for (int step = 0; step < 200 && order.size() < controls.size(); ++step) {
        if (controls.contains(widget->objectName()) && !order.contains(widget->objectName()))
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    }
    return order;
}

// A control that does not get the room its contents need, or that reaches outside its tab.
QString clippedIn(QWidget* tab) {
    for (QWidget* widget : tab->findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->objectName().isEmpty() ||
            widget->objectName().startsWith("qt_"))
            continue;  // the inner parts of a control
        if (!qobject_cast<QAbstractButton*>(widget) && !qobject_cast<QLabel*>(widget) &&
            !qobject_cast<QLineEdit*>(widget) && !qobject_cast<QComboBox*>(widget))
            continue;
        const QSize need = widget->hasHeightForWidth()
                               ? QSize(0, widget->heightForWidth(widget->width()))
                               : widget->minimumSizeHint();
        const QRect inTab(widget->mapTo(tab, QPoint(0, 0)), widget->size());
        if (widget->width() < need.width() || widget->height() < need.height() ||
            !tab->rect().contains(inTab))
            return QString("%1 %2x%3 needs %4x%5 at %6,%7 in %8x%9")
                .arg(widget->objectName())
                .arg(widget->width())
                .arg(widget->height())
                .arg(need.width())
                .arg(need.height())
                .arg(inTab.x())
                .arg(inTab.y())
                .arg(tab->width())
                .arg(tab->height());
    }
    return {};
}

class QtSetupTabsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::WindowTestEnvironment> environment_;

    ScriptedDialogs& dialogs() { return environment_->dialogs(); }
    QStringList captionsShown() {
        QStringList captions;
        for (const auto& shown : dialogs().shown())
            captions << QString::fromStdString(shown.caption);
        return captions;
    }

    template <typename Tab>
    std::unique_ptr<Tab> shownTab() {
        auto tab = std::make_unique<Tab>();
        tab->resize(523, 220);
        tab->show();
        tab->activateWindow();
        if (!QTest::qWaitForWindowActive(tab.get())) qWarning("the tab's window is not active");
        return tab;
    }

    std::unique_ptr<TfrmMain> shownWindow() {
        auto window = std::make_unique<TfrmMain>();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) qWarning("the window is not shown");
        return window;
    }

  private slots:
    void init() {
        environment_ = std::make_unique<test::WindowTestEnvironment>();
        // The program's own author is never fetched by a test.
        RegisterSelf();
        test::setInteger(kOwnAuthorKey, "Checked", 0);
    }
    void cleanup() { environment_.reset(); }

    void theTabsAreTheSetUpPagesAndFitTheWindow() {
        auto window = shownWindow();
        auto* tabs = control<QTabWidget>(window.get(), "PageControl3");
        QVERIFY(qobject_cast<TfrmMainAuthorTab*>(control(window.get(), "TabSheet6")));
        QVERIFY(qobject_cast<TfrmMainOptionsTab*>(control(window.get(), "TabSheet7")));
        QVERIFY(qobject_cast<TfrmMainProxyTab*>(control(window.get(), "TabSheet9")));
        QVERIFY(qobject_cast<TfrmMainClockTab*>(control(window.get(), "TabSheet10")));
        QCOMPARE(window->size(), QSize(545, 369));
        for (const char* page : {"TabSheet6", "TabSheet7", "TabSheet9", "TabSheet10"}) {
            tabs->setCurrentWidget(control(window.get(), page));
            QTest::qWait(0);
            QCOMPARE(clippedIn(tabs->currentWidget()), QString());
        }
    }

    void controlsHaveTheirCaptionsHintsStartStatesAndHelp_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<int>("help");
        auto row = [](const char* name, const char* caption, const char* hint, bool enabled,
                      bool checked, int help) {
            QTest::newRow(name) << QString(name) << QString(caption) << QString(hint) << enabled
                                << checked << help;
        };
        row("Label2", "以下の作者の方の内，チェックが付いた方のソフトウエアをチェックします。", "",
            true, false, 0);
        row("lsvAuthor", "", "あなたのPCに登録されている作者リストです", true, false, 0);
        row("btnAuthorCheck", "チェック(&C)...", "作者のチェック状態を設定します", true, false, 0);
        row("btnDeleteAuthor", "リストから削除(&D)", "選択した作者の情報を全て消去します", true,
            false, 0);
        row("btnSite", "作者のサイトへ(&A)...", "選択した作者のページへジャンプします", true, false,
            0);

        row("Label11", "Kestrin及び周辺環境を設定するオプションです。", "", true, false, 0);
        row("chkRingSound", "更新ファイル発見時に音を鳴らす(&S)",
            "更新ファイル発見時に風鈴の音を再生するかどうかを指定", true, true, 21);
        row("chkDisableInFavorites", "「お気に入り」の定義フォルダを非表示(&O)",
            "お気に入りに表示される [Kestrin 2001] フォルダを見えなくします", true, false, 22);
        row("chkDisplayWelcomeWizard", "起動時にウェルカムウィザードを表示(&I)",
            "起動時にウェルカムウィザードを表示するかどうかを選択します", true, false, 28);
        row("chkConfirmAutoCheck", "実行時オプション指定時に確認をとる(&C)",
            "自動実行を開始するかどうか，確認をとるかどうかを指定します", true, false, 29);
        row("chkNoAutoComplete", "定義 URL 自動補完機能の未使用(&F)",
            "ユーザ定義登録ウィザードで URL 自動補完機能を使わないようにします", true, false, 23);
        row("chkAVI", "アニメーション非表示(&V)",
            "進行状況に表示される AVI アニメーションを表示しないようにします", true, false, 24);
        row("chkDisableError", "エラー抑制(&R)",
            "更新チェック中の全ての接続/解析エラーを表示しないようにします", true, false, 30);
        row("lblExtentionNote",
            "書庫と見なす拡張子を指定します。通常は変更されなくても問題ありません。", "", true,
            false, 0);
        row("lblExtention", "拡張子一覧(&X):", "", true, false, 0);
        row("lsbExtention", "", "書庫と見なす拡張子リスト", true, false, 25);
        row("btnAddExt", "追加(&E)", "拡張子を追加", true, false, 26);
        row("btnDelExt", "削除(&D)", "選択した拡張子を削除", true, false, 27);

        row("lblProxyNote", "プロキシ経由で接続する際に設定します。", "", true, false, 0);
        row("chkUseProxy", "プロキシサーバを使う(&P)", "", true, false, 0);
        row("lblProxy", "アドレス(&A):", "", false, false, 0);
        row("edtProxy", "", "サーバのアドレスを入力します", false, false, 0);
        row("Label12", "ポート(&O):", "", false, false, 0);
        row("edtProxyPort", "", "サーバのポート番号を記入します", false, false, 0);
        row("btnGetProxyFromIE", "IE から再取り込み(&E)", "", false, false, 0);
        row("chkAuthenticate", "プロキシ認証を使う(&T)", "", false, false, 0);
        row("Label19", "認証ID(&I):", "", false, false, 0);
        row("edtIdentify", "", "認証のためのユーザ ID を入力します", false, false, 0);
        row("Label22", "パスワード(&W):", "", false, false, 0);
        row("edtPassword", "", "", false, false, 0);
        row("chkDisableProxyCache", "プロキシサーバのキャッシュをスルーする(&R)", "", false, false,
            0);

        row("lblNTPServer", "NTP サーバ(&S):", "", true, false, 0);
        row("btnNTPServerRandom", "ランダム(&R)", "", true, false, 0);
        row("lblNTPTimeOut", "タイムアウト(&T):", "", true, false, 0);
        row("lblNTPTimeOutUnit", "ms", "", true, false, 0);
        row("lblNTPAllowableError", "無視する誤差(&E):", "", true, false, 0);
        row("lblNTPAllowableErrorUnit", "ms", "", true, false, 0);
        row("btnNTPDefault", "デフォルト(&D)", "", true, false, 0);
        row("chkNTPAutoSync", "チェックを行うたびに自動的に NTP 同期を行う(&A)", "", true, false,
            0);
        row("btnNTPSynchronize", "今すぐ同期する(&C)", "", true, false, 0);
    }

    // The design states, before any settings are loaded.
    void controlsHaveTheirCaptionsHintsStartStatesAndHelp() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(bool, enabled);
        QFETCH(bool, checked);
        QFETCH(int, help);
        TfrmMainAuthorTab authors;
        TfrmMainOptionsTab options;
        TfrmMainProxyTab proxy;
        TfrmMainClockTab clock;
        QWidget* found = nullptr;
        for (QWidget* tab : {static_cast<QWidget*>(&authors), static_cast<QWidget*>(&options),
                             static_cast<QWidget*>(&proxy), static_cast<QWidget*>(&clock)})
            if (!found) found = tab->findChild<QWidget*>(name);
        QVERIFY(found);
        if (auto* label = qobject_cast<QLabel*>(found)) QCOMPARE(label->text(), caption);
        if (auto* button = qobject_cast<QAbstractButton*>(found)) {
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->isChecked(), checked);
        }
        QCOMPARE(found->toolTip(), hint);
        QCOMPARE(found->isEnabled(), enabled);
        QCOMPARE(found->property("helpContext").toInt(), help);
    }

    void controlsAreVisitedInTheirTabOrder() {
        TfrmMainAuthorTab authors;
        TfrmMainOptionsTab options;
        TfrmMainProxyTab proxy;
        TfrmMainClockTab clock;
        const QList<QPair<QWidget*, QStringList>> orders{
            {&authors, {"lsvAuthor", "btnAuthorCheck", "btnDeleteAuthor", "btnSite"}},
            {&options,
             {"chkRingSound", "chkDisableInFavorites", "chkDisplayWelcomeWizard",
              "chkConfirmAutoCheck", "chkNoAutoComplete", "chkAVI", "chkDisableError",
              "lsbExtention", "btnAddExt", "btnDelExt"}},
            {&proxy,
             {"chkUseProxy", "edtProxy", "edtProxyPort", "btnGetProxyFromIE", "chkAuthenticate",
              "edtIdentify", "edtPassword", "chkDisableProxyCache"}},
            {&clock,
             {"cmbNTPServer", "btnNTPServerRandom", "edtNTPTimeOut", "edtNTPAllowableError",
              "btnNTPDefault", "chkNTPAutoSync", "btnNTPSynchronize"}}};
        for (const auto& [tab, order] : orders)
            QCOMPARE(tabOrder(tab, order), order);
    }

    void proxyControlsFollowTheirSwitches() {
        TfrmMainProxyTab tab;
        auto* useProxy = control<QCheckBox>(&tab, "chkUseProxy");
        auto* authenticate = control<QCheckBox>(&tab, "chkAuthenticate");
        const QStringList server{"lblProxy",
                                 "edtProxy",
                                 "Label12",
                                 "edtProxyPort",
                                 "btnGetProxyFromIE",
                                 "chkAuthenticate",
                                 "chkDisableProxyCache"};
        const QStringList authentication{"Label19", "edtIdentify", "Label22", "edtPassword"};
        auto enabled = [&](const QStringList& controls) {
            QStringList on;
            for (const QString& name : controls)
                if (control(&tab, name.toLatin1().constData())->isEnabled()) on << name;
            return on;
        };
        struct Row {
            bool useProxy, authenticate, serverOn, authenticationOn;
        };
        // Authentication on while the proxy is off keeps its edits off; so does loading it.
        for (const Row& row : {Row{false, false, false, false}, Row{true, false, true, false},
                               Row{true, true, true, true}, Row{false, true, false, false}}) {
            useProxy->setChecked(row.useProxy);
            authenticate->setChecked(row.authenticate);
            QCOMPARE(enabled(server), row.serverOn ? server : QStringList());
            QCOMPARE(enabled(authentication),
                     row.authenticationOn ? authentication : QStringList());

            Settings loaded;
            loaded.useProxy = row.useProxy;
            loaded.useAuthenticate = row.authenticate;
            TfrmMainProxyTab fresh;
            fresh.load(loaded);
            QCOMPARE(control(&fresh, "edtIdentify")->isEnabled(), row.authenticationOn);
            QCOMPARE(control(&fresh, "edtProxy")->isEnabled(), row.serverOn);
        }
    }

    void leavingANumericEditChecksIt_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("refused");
        for (const char* edit : {"edtProxyPort", "edtNTPTimeOut", "edtNTPAllowableError"}) {
            QTest::addRow("%s letter", edit) << QString(edit) << "80a" << true;
            QTest::addRow("%s empty", edit) << QString(edit) << "" << false;
            QTest::addRow("%s digits", edit) << QString(edit) << "8080" << false;
        }
    }

    void leavingANumericEditChecksIt() {
        QFETCH(QString, edit);
        QFETCH(QString, text);
        QFETCH(bool, refused);
        auto window = shownWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        control<QCheckBox>(window.get(), "chkUseProxy")->setChecked(true);
        auto* tabs = control<QTabWidget>(window.get(), "PageControl3");
        auto* field = control<QLineEdit>(window.get(), edit.toLatin1().constData());
        tabs->setCurrentWidget(field->parentWidget());
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        field->setText(text);
        dialogs().clear();

        QTest::keyClick(field, Qt::Key_Tab);  // on to the next control
        QTest::qWait(20);
        if (refused) {
            QCOMPARE(captionsShown(), QStringList{"不正な文字"});
            QCOMPARE(dialogs().shown()[0].text, std::string("整数を指定して下さい"));
            QCOMPARE(dialogs().shown()[0].icon, DialogIcon::Error);
            QTRY_VERIFY(field->hasFocus());
        } else {
            QVERIFY(dialogs().shown().empty());
            QVERIFY(!field->hasFocus());
        }
    }

    void twoRefusedEditsDoNotPullTheFocusBackAndForth() {
        auto tab = shownTab<TfrmMainClockTab>();
        auto* timeOut = control<QLineEdit>(tab.get(), "edtNTPTimeOut");
        auto* allowable = control<QLineEdit>(tab.get(), "edtNTPAllowableError");
        timeOut->setText("x");
        allowable->setText("y");
        timeOut->setFocus();
        QTRY_VERIFY(timeOut->hasFocus());
        QTest::keyClick(timeOut, Qt::Key_Tab);
        QTest::qWait(50);
        QCOMPARE(dialogs().shown().size(), std::size_t(1));
        QVERIFY(timeOut->hasFocus());
    }

    void aPasswordTheStoreCannotKeepIsRefusedAndNotStored() {
        auto tab = shownTab<TfrmMainProxyTab>();
        Settings loaded;
        loaded.useProxy = loaded.useAuthenticate = true;
        loaded.password = "old";
        tab->load(loaded);
        auto* password = control<QLineEdit>(tab.get(), "edtPassword");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(password->maxLength(), int(kMaxPasswordLength));
        password->setFocus();
        QTRY_VERIFY(password->hasFocus());
        password->setText("日本語");
        QTest::keyClick(password, Qt::Key_Tab);
        QTRY_COMPARE(captionsShown(), QStringList{"パスワードエラー"});
        QTRY_VERIFY(password->hasFocus());
        Settings stored;
        tab->store(stored);
        QCOMPARE(stored.password, std::string("old"));
        password->setText("new one");
        tab->store(stored);
        QCOMPARE(stored.password, std::string("new one"));
    }

    void theBrowserButtonTakesServerAndSwitch_data() {
        QTest::addColumn<QString>("server");  // "" writes none
        QTest::addColumn<int>("enable");      // -1 writes none
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("useProxy");
        QTest::addColumn<bool>("told");
        QTest::newRow("host:port") << "proxy.example:8080" << 1 << "proxy.example"
                                   << "8080" << true << true;
        QTest::newRow("per-protocol list") << "http=hp:3128;ftp=fp:21" << -1 << "hp"
                                           << "3128" << true << true;
        QTest::newRow("switched off") << "proxy.example:8080" << 0 << "proxy.example"
                                      << "8080" << false << true;
        QTest::newRow("no port") << "hostonly" << 1 << "hostonly"
                                 << "80" << true << true;
        QTest::newRow("switch alone") << "" << 0 << "mine.example"
                                      << "1080" << false << false;
        QTest::newRow("nothing") << "" << -1 << "mine.example"
                                 << "1080" << true << false;
    }

    // Starts from the user's own proxy, switched on, with authentication.
    void theBrowserButtonTakesServerAndSwitch() {
        QFETCH(QString, server);
        QFETCH(int, enable);
        QFETCH(QString, address);
        QFETCH(QString, port);
        QFETCH(bool, useProxy);
        QFETCH(bool, told);
        setBrowserProxy(server.toStdString(), enable < 0 ? std::nullopt : std::optional(enable));
        TfrmMainProxyTab tab;
        Settings own;
        own.useProxy = true;
        own.proxyAddress = "mine.example";
        own.proxyPort = "1080";
        own.useAuthenticate = true;
        own.userID = "me";
        tab.load(own);
        QTest::mouseClick(control(&tab, "btnGetProxyFromIE"), Qt::LeftButton);

        QCOMPARE(control<QLineEdit>(&tab, "edtProxy")->text(), address);
        QCOMPARE(control<QLineEdit>(&tab, "edtProxyPort")->text(), port);
        QCOMPARE(control<QCheckBox>(&tab, "chkUseProxy")->isChecked(), useProxy);
        QCOMPARE(control<QLineEdit>(&tab, "edtIdentify")->text(), QString("me"));
        QCOMPARE(control<QCheckBox>(&tab, "chkAuthenticate")->isChecked(), true);
        QCOMPARE(captionsShown(), told ? QStringList{"プロキシの自動設定"} : QStringList());
        if (told) {
            QCOMPARE(dialogs().shown()[0].text,
                     std::string("プロキシの設定が Internet Explorer から自動的に取得されました"));
            QCOMPARE(dialogs().shown()[0].icon, DialogIcon::Information);
        }
        Settings stored;
        tab.store(stored);
        QCOMPARE(QString::fromStdString(stored.proxyAddress), address);
    }

    void aStartWithoutAProxyAddressTakesTheBrowsersAndSaysSo() {
        setBrowserProxy("cache.example:3128", 1);
        auto window = shownWindow();
        QCOMPARE(captionsShown(), QStringList{"プロキシの自動設定"});
        QCOMPARE(control<QLineEdit>(window.get(), "edtProxy")->text(), QString("cache.example"));
        QCOMPARE(control<QLineEdit>(window.get(), "edtProxyPort")->text(), QString("3128"));
        QVERIFY(control<QCheckBox>(window.get(), "chkUseProxy")->isChecked());
    }

    void everyValueOfTheTabsIsSavedAtCloseAndLoadedAtTheNextStart() {
        test::setInteger("", "Welcome", 0);  // the welcome check box is enabled
        test::addAuthor("Author1", "First author");
        const int build = GetOwnBuild();
        {
            auto window = shownWindow();
            auto* w = window.get();
            QVERIFY(control(w, "chkDisplayWelcomeWizard")->isEnabled());
            auto* list = control<QTreeWidget>(w, "lsvAuthor");
            list->setColumnWidth(0, 300);
            list->setColumnWidth(1, 120);
            control<TfrmMainAuthorTab>(w, "TabSheet6")
                ->checkMenu()
                ->findChild<QAction*>("mnuReflect")
                ->trigger();
            for (const char* flip :
                 {"chkRingSound", "chkDisableInFavorites", "chkDisplayWelcomeWizard",
                  "chkConfirmAutoCheck", "chkNoAutoComplete", "chkAVI", "chkDisableError",
                  "chkUseProxy", "chkAuthenticate", "chkDisableProxyCache", "chkNTPAutoSync"})
                control<QCheckBox>(w, flip)->toggle();
            control<QLineEdit>(w, "edtProxy")->setText("proxy.example");
            control<QLineEdit>(w, "edtProxyPort")->setText("");
            control<QLineEdit>(w, "edtIdentify")->setText("ユーザ");
            control<QLineEdit>(w, "edtPassword")->setText("p@ss word~");
            control<QComboBox>(w, "cmbNTPServer")->setCurrentText("ntp.example");
            control<QLineEdit>(w, "edtNTPTimeOut")->setText("1500");
            control<QLineEdit>(w, "edtNTPAllowableError")->setText("0");
            QVERIFY(window->close());
        }

        QCOMPARE(test::integerAt("", "RingSound"), 0);
        QCOMPARE(test::integerAt("", "AuthorColumn0"), 300);
        QCOMPARE(test::integerAt("", "AuthorColumn1"), 120);
        QCOMPARE(test::integerAt("", "CheckReflect"), 0);
        QCOMPARE(test::integerAt("", "Welcome"), build);
        QCOMPARE(test::integerAt("", "ConfirmAutoCheck"), 0);
        QCOMPARE(test::integerAt("", "AutoComplete"), 0);
        QCOMPARE(test::integerAt("", "NoAVI"), 1);
        QCOMPARE(test::integerAt("", "RestrainError"), 1);
        QCOMPARE(test::integerAt("", "UseProxy"), 1);
        QCOMPARE(test::stringAt("", "ProxyAddress"), std::string("proxy.example"));
        QCOMPARE(test::integerAt("", "ProxyPort"), 0);  // the empty port
        QCOMPARE(test::integerAt("", "UseAuthenticate"), 1);
        QCOMPARE(test::stringAt("", "UserID"), std::string("ユーザ"));
        const std::string scrambled = test::stringAt("", "Password").value_or("");
        QVERIFY(scrambled != "p@ss word~");
        QCOMPARE(unscramblePassword(scrambled), std::string("p@ss word~"));
        QCOMPARE(test::integerAt("", "DisableProxyCache"), 1);
        QCOMPARE(test::stringAt("", "NTPServer"), std::string("ntp.example"));
        QCOMPARE(test::integerAt("", "NTPTimeOut"), 1500);
        QCOMPARE(test::integerAt("", "NTPIgnoreError"), 0);
        QCOMPARE(test::integerAt("", "NTPAutoSync"), 1);
        QVERIFY(isHiddenFolder(environment_->files().favorites() / kDefineRootName));

        auto window = shownWindow();
        auto* w = window.get();
        QCOMPARE(control<QTreeWidget>(w, "lsvAuthor")->columnWidth(0), 300);
        QCOMPARE(control<QTreeWidget>(w, "lsvAuthor")->columnWidth(1), 120);
        QVERIFY(!control<TfrmMainAuthorTab>(w, "TabSheet6")
                     ->checkMenu()
                     ->findChild<QAction*>("mnuReflect")
                     ->isChecked());
        for (const char* unchecked :
             {"chkRingSound", "chkDisplayWelcomeWizard", "chkConfirmAutoCheck"})
            QVERIFY2(!control<QCheckBox>(w, unchecked)->isChecked(), unchecked);
        for (const char* checked :
             {"chkDisableInFavorites", "chkNoAutoComplete", "chkAVI", "chkDisableError",
              "chkUseProxy", "chkAuthenticate", "chkDisableProxyCache", "chkNTPAutoSync"})
            QVERIFY2(control<QCheckBox>(w, checked)->isChecked(), checked);
        QVERIFY(control(w, "chkDisplayWelcomeWizard")->isEnabled());
        QCOMPARE(control<QLineEdit>(w, "edtProxy")->text(), QString("proxy.example"));
        QCOMPARE(control<QLineEdit>(w, "edtProxyPort")->text(), QString("0"));
        QCOMPARE(control<QLineEdit>(w, "edtIdentify")->text(), QString("ユーザ"));
        QCOMPARE(control<QLineEdit>(w, "edtPassword")->text(), QString("p@ss word~"));
        QCOMPARE(control<QComboBox>(w, "cmbNTPServer")->currentText(), QString("ntp.example"));
        QCOMPARE(control<QLineEdit>(w, "edtNTPTimeOut")->text(), QString("1500"));
        QCOMPARE(control<QLineEdit>(w, "edtNTPAllowableError")->text(), QString("0"));
        QVERIFY(dialogs().shown().empty());
    }

    void aFirstStartShowsTheDefaults() {
        auto window = shownWindow();
        auto* w = window.get();
        QVERIFY(!control(w, "chkDisplayWelcomeWizard")->isEnabled());  // no "Welcome" yet
        QVERIFY(control<QCheckBox>(w, "chkRingSound")->isChecked());
        QVERIFY(control<QCheckBox>(w, "chkConfirmAutoCheck")->isChecked());
        QVERIFY(!control<QCheckBox>(w, "chkNoAutoComplete")->isChecked());
        QCOMPARE(control<QLineEdit>(w, "edtNTPTimeOut")->text(), QString("750"));
        QCOMPARE(control<QLineEdit>(w, "edtNTPAllowableError")->text(), QString("200"));
        const QString server = control<QComboBox>(w, "cmbNTPServer")->currentText();
        QVERIFY(control<QComboBox>(w, "cmbNTPServer")->findText(server) >= 0);
        QCOMPARE(control<QLineEdit>(w, "edtProxyPort")->text(), QString("0"));
        auto* list = control<QTreeWidget>(w, "lsvAuthor");
        QCOMPARE(list->columnWidth(0), 360);
        QCOMPARE(list->columnWidth(1), 100);
        QVERIFY(list->header()->isSectionHidden(2));
        QVERIFY(list->header()->isSectionHidden(3));
        QVERIFY(!list->header()->sectionsClickable());
    }

    void aProxyPortThatIsNoNumberKeepsTheSettingUpPage() {
        auto window = shownWindow();
        control<QCheckBox>(window.get(), "chkUseProxy")->setChecked(true);
        control<QLineEdit>(window.get(), "edtProxyPort")->setText("80a");
        dialogs().clear();
        QTest::mouseClick(control(window.get(), "btnNext"), Qt::LeftButton);
        QCOMPARE(captionsShown(), QStringList{"プロキシポートエラー"});
        QCOMPARE(dialogs().shown()[0].text,
                 std::string("プロキシポートの設定が不正です\r\n正しく設定してください"));
        QCOMPARE(control<QStackedWidget>(window.get(), "PageControl1")->currentWidget(),
                 control(window.get(), "TabSheet1"));
    }

    void theCheckMenuHoldsItsItemsAndSetsTheMarks() {
        test::addAuthor("A", "Checked last time");
        test::setInteger("A", "Checked", 1);
        test::addAuthor("B", "Unchecked last time");
        test::setInteger("B", "Checked", 0);
        test::addAuthor("C", "Never checked");
        auto tab = shownTab<TfrmMainAuthorTab>();
        tab->FillAuthorList();
        auto marks = [&] {
            QString text;
            for (const AuthorRow& row : tab->authors())
                if (row.key != kOwnAuthorKey) text += row.checked ? 'x' : '-';
            return text;
        };
        QCOMPARE(marks(), QString("x-x"));  // reflecting the last run by default

        QMenu* menu = tab->checkMenu();
        QCOMPARE(menu->objectName(), QString("ppmCheck"));
        QStringList items;
        for (QAction* action : menu->actions())
            items << QString("%1 %2 %3")
                         .arg(action->objectName(), action->text())
                         .arg(action->property("tag").toInt());
        QCOMPARE(items, QStringList({"mnuReflect いつも前回選択した作者を自動選択(&A) 0", "N2  0",
                                     "N3 前回選択した作者を選択(&M) 1",
                                     "D1 前回非選択であった作者を選択(&D) 2", "N4  0",
                                     "R1 作者の選択を反転(&R) 3", "N5  0",
                                     "O1 全ての作者を選択(&N) 4", "F1 全ての作者を非選択(&F) 5"}));
        for (int separator : {1, 4, 6})
            QVERIFY(menu->actions()[separator]->isSeparator());

        auto* button = control<QPushButton>(tab.get(), "btnAuthorCheck");
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), button->mapToGlobal(QPoint(0, button->height())));
        menu->hide();

        auto pick = [&](const char* item) {
            menu->findChild<QAction*>(item)->trigger();
            return marks();
        };
        QCOMPARE(pick("R1"), QString("-x-"));
        QCOMPARE(pick("O1"), QString("xxx"));
        QCOMPARE(pick("F1"), QString("---"));
        QCOMPARE(pick("N3"), QString("x-x"));
        QCOMPARE(pick("D1"), QString("-xx"));  // never checked counts as checked

        // mnuReflect decides the marks of the next filling: without it every author is checked.
        QAction* reflect = menu->findChild<QAction*>("mnuReflect");
        QVERIFY(reflect->isChecked());
        reflect->trigger();
        QVERIFY(!reflect->isChecked());
        QCOMPARE(marks(), QString("-xx"));
        tab->FillAuthorList();
        QCOMPARE(marks(), QString("xxx"));
        Settings stored;
        tab->store(stored);
        QVERIFY(!stored.checkReflect);
    }

    void theAuthorListShowsItsColumnsAndTheMarksItIsGiven() {
        test::addAuthor("Key1", "First");
        test::addSoftware("Key1", "one", "One", 1);
        test::addSoftware("Key1", "two", "Two", 1);
        test::setString("Key1", "AuthorURL", "http://first.example/");
        auto tab = shownTab<TfrmMainAuthorTab>();
        tab->FillAuthorList();
        auto* list = control<QTreeWidget>(tab.get(), "lsvAuthor");
        QTreeWidgetItem* first = list->findItems("First", Qt::MatchExactly).value(0);
        QVERIFY(first);
        QCOMPARE(first->text(1), QString("One/Two"));
        QCOMPARE(first->text(2), QString("Key1"));
        QCOMPARE(first->text(3), QString("http://first.example/"));
        QVERIFY(!(first->flags() & Qt::ItemIsEditable));

        // The user's mark counts; the command line sets marks of its own.
        first->setCheckState(0, Qt::Unchecked);
        std::vector<AuthorRow> rows = tab->authors();
        const auto key1 = std::find_if(rows.begin(), rows.end(),
                                       [](const AuthorRow& row) { return row.key == "Key1"; });
        QVERIFY(!key1->checked);
        for (AuthorRow& row : rows)
            row.checked = row.key == kOwnAuthorKey;
        tab->showAuthors(rows);
        QCOMPARE(tab->authors(), rows);
    }

    void theSiteButtonNeedsAnAuthorWithAKnownPage() {
        test::addAuthor("Key1", "First");
        auto tab = shownTab<TfrmMainAuthorTab>();
        tab->FillAuthorList();
        QTest::mouseClick(control(tab.get(), "btnSite"), Qt::LeftButton);
        QVERIFY(dialogs().shown().empty());  // nothing selected
        auto* list = control<QTreeWidget>(tab.get(), "lsvAuthor");
        list->setCurrentItem(list->findItems("First", Qt::MatchExactly).value(0));
        QTest::mouseClick(control(tab.get(), "btnSite"), Qt::LeftButton);
        QCOMPARE(captionsShown(), QStringList{"URL 未取得の作者"});
    }

    void theDeleteButtonOpensTheDetailDialogAndRefillsAfterOk() {
        test::addAuthor("Beta", "Bob");
        test::addSoftware("Beta", "tool", "Tool", 1);
        auto tab = shownTab<TfrmMainAuthorTab>();
        tab->FillAuthorList();
        auto* list = control<QTreeWidget>(tab.get(), "lsvAuthor");
        auto* button = control<QPushButton>(tab.get(), "btnDeleteAuthor");
        auto listed = [&] { return !list->findItems("Bob", Qt::MatchExactly).isEmpty(); };

        QTest::mouseClick(button, Qt::LeftButton);  // nothing selected: no dialog
        QVERIFY(!QApplication::activeModalWidget());

        list->setCurrentItem(list->findItems("Bob", Qt::MatchExactly).value(0));
        QString shownName;
        test::whenModalOpen<TfrmDetail>([&](TfrmDetail* open) {
            shownName = control<QLineEdit>(open, "edtAuthorName")->text();
            QTest::mouseClick(control(open, "btnCancel"), Qt::LeftButton);
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(shownName, QString("Bob"));
        QVERIFY(listed());

        test::whenModalOpen<TfrmDetail>(
            [](TfrmDetail* open) { QTest::mouseClick(control(open, "btnOK"), Qt::LeftButton); });
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!listed());
        QCOMPARE(test::stringAt("Beta", "Author"), std::nullopt);
    }

    void theExtensionEditorWritesTheListOnEachChange() {
        auto tab = shownTab<TfrmMainOptionsTab>();
        Settings loaded;
        loaded.extensions = {".zip", ".lzh"};
        tab->load(loaded);
        auto* list = control<QListWidget>(tab.get(), "lsbExtention");
        auto shown = [&] {
            QStringList entries;
            for (int row = 0; row < list->count(); ++row)
                entries << list->item(row)->text();
            return entries;
        };
        QCOMPARE(shown(), QStringList({".lzh", ".zip"}));  // the list is sorted

        dialogs().queueInput(".Txt");
        QTest::mouseClick(control(tab.get(), "btnAddExt"), Qt::LeftButton);
        QCOMPARE(shown(), QStringList({".lzh", ".txt", ".zip"}));
        QCOMPARE(test::stringAt("", "ExtList"), std::string(".lzh/.txt/.zip/"));
        QCOMPARE(captionsShown(), QStringList{"拡張子追加"});

        dialogs().queueInput(".ZIP");
        QTest::mouseClick(control(tab.get(), "btnAddExt"), Qt::LeftButton);
        QCOMPARE(shown(), QStringList({".lzh", ".txt", ".zip"}));

        QTest::mouseClick(control(tab.get(), "btnDelExt"), Qt::LeftButton);  // none selected
        QCOMPARE(shown().size(), 3);
        list->setCurrentRow(0);
        QTest::mouseClick(control(tab.get(), "btnDelExt"), Qt::LeftButton);
        QCOMPARE(shown(), QStringList({".txt", ".zip"}));
        QCOMPARE(test::stringAt("", "ExtList"), std::string(".txt/.zip/"));
        Settings stored;
        tab->store(stored);
        QCOMPARE(stored.extensions, (std::vector<std::string>{".txt", ".zip"}));
    }

    void theClockButtonsSetTheirFields() {
        auto tab = shownTab<TfrmMainClockTab>();
        auto* timeOut = control<QLineEdit>(tab.get(), "edtNTPTimeOut");
        auto* allowable = control<QLineEdit>(tab.get(), "edtNTPAllowableError");
        timeOut->setText("1");
        allowable->setText("2");
        QTest::mouseClick(control(tab.get(), "btnNTPDefault"), Qt::LeftButton);
        QCOMPARE(timeOut->text(), QString("750"));
        QCOMPARE(allowable->text(), QString("200"));

        auto* servers = control<QComboBox>(tab.get(), "cmbNTPServer");
        QCOMPARE(servers->count(), int(ntpServerList().size()));
        QVERIFY(servers->isEditable());
        servers->setCurrentText("my.own.server");
        QTest::mouseClick(control(tab.get(), "btnNTPServerRandom"), Qt::LeftButton);
        QVERIFY(servers->currentIndex() >= 0);
        QCOMPARE(servers->currentText(), servers->itemText(servers->currentIndex()));
    }

    void synchronisingShowsItsProgressOnTheStatusLine() {
        test::FakeClock clock;  // the real clock is never set
        test::SntpResponder server({}, [&] { return clock.now(); });
        auto window = shownWindow();
        auto* tab = control<TfrmMainClockTab>(window.get(), "TabSheet10");
        tab->setNtpPorts({.server = server.port(), .local = 0});
        control<QComboBox>(window.get(), "cmbNTPServer")->setCurrentText("127.0.0.1");
        auto* status = control<QLabel>(window.get(), "lblNTPStatus");
        QSignalSpy lines(tab, &TfrmMainClockTab::ntpStatusChanged);

        QTest::mouseClick(control(window.get(), "btnNTPSynchronize"), Qt::LeftButton);
        QCOMPARE(status->text(), QString("Connect to NTP server..."));
        QTRY_COMPARE(status->text(), QString("NTP: Allowable Error Range"));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0][1].toBool(), false);
        QCOMPARE(lines[1][1].toBool(), true);  // cleared later
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString(), 7000);
        QVERIFY(clock.settings().empty());

        // A limit that is no number: the user is told, nothing goes out.
        auto* timeOut = control<QLineEdit>(window.get(), "edtNTPTimeOut");
        timeOut->setText("");
        QTest::mouseClick(control(window.get(), "btnNTPSynchronize"), Qt::LeftButton);
        QCOMPARE(captionsShown(), QStringList{"不正な文字"});
        QCOMPARE(lines.size(), 2);
        QCOMPARE(server.requests().size(), std::size_t(1));
    }
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtSetupTabsTest)
#include "QtSetupTabsTest.moc"
