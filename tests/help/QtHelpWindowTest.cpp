#include <QApplication>
#include <QDialog>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpEngineCore>
#include <QHelpSearchEngine>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <memory>

#include "help/Help.h"
#include "help/QtHelpViewer.h"
#include "help/frmHelp.h"
#include "support/QtWindowTest.h"

namespace kestrin {
namespace {

class QtHelpWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        environment_ = std::make_unique<test::WindowTestEnvironment>();
        qputenv("KESTRIN_HELP", KESTRIN_BUILT_HELP);
    }
    void cleanup() {
        environment_.reset();
        qunsetenv("KESTRIN_HELP");
    }

    void theBuiltCollectionHoldsThePageOfEveryNumber() {
        QHelpEngineCore engine(QStringLiteral(KESTRIN_BUILT_HELP));
        engine.setReadOnly(true);
        QVERIFY2(engine.setupData(), qPrintable(engine.error()));
        QCOMPARE(engine.registeredDocumentations(), QStringList{"org.example.kestrin"});

        auto check = [&](const char* table, int number, const std::optional<HelpPage>& page) {
            const QString what = QStringLiteral("%1 %2").arg(table).arg(number);
            QVERIFY2(page, qPrintable(what + " has no page"));
            const QByteArray html = engine.fileData(helpPageUrl({page->file, ""}));
            QVERIFY2(!html.isEmpty(),
                     qPrintable(what + ": no " + QString::fromStdString(page->file)));
            if (!page->anchor.empty()) {
                const QByteArray anchor = "name=\"" + QByteArray(page->anchor.c_str()) + "\"";
                QVERIFY2(html.contains(anchor), qPrintable(what + ": no anchor " + anchor));
            }
        };
        for (int topic : helpTopics())
            check("topic", topic, pageOfTopic(topic));
        for (int context : helpContexts())
            check("context", context, pageOfContext(context));
    }

    void aTopicOpensTheHelpWindowAtItsPage() {
        QtHelpViewer viewer;
        QVERIFY(showHelpTopic(22));
        TfrmHelp* window = viewer.window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->currentPage(), QUrl("qthelp://org.example.kestrin/doc/main-define.html"));
        auto* page = window->findChild<QTextBrowser*>("brwTopic");
        QVERIFY(page);
        QVERIFY(page->toPlainText().contains(QStringLiteral("ユーザ定義リスト")));

        // The same window shows the next request, at the control's section.
        QVERIFY(showHelpContext(21));
        QCOMPARE(viewer.window(), window);
        QCOMPARE(window->currentPage(),
                 QUrl("qthelp://org.example.kestrin/doc/main-options.html#chkRingSound"));

        // The contents list the topics.
        QTRY_VERIFY(window->helpEngine()->contentModel()->rowCount() > 0);
    }

    void theSearchFindsTheTopicsOfAWord() {
        QtHelpViewer viewer;
        QVERIFY(showHelpTopic(kHelpContents));
        QHelpSearchEngine* search = viewer.window()->helpEngine()->searchEngine();
        QSignalSpy indexed(search, &QHelpSearchEngine::indexingFinished);
        QVERIFY(indexed.wait(20000));
        QSignalSpy searched(search, &QHelpSearchEngine::searchingFinished);
        search->search(QStringLiteral("chrony"));
        QVERIFY(searched.wait(20000));
        QStringList found;
        for (const QHelpSearchResult& result :
             search->searchResults(0, search->searchResultCount()))
            found << result.url().fileName();
        QCOMPARE(found, QStringList{"main-clock.html"});
    }

    void f1OnAControlOpensItsContextOrItsPagesTopic() {
        QtHelpViewer viewer;
        QWidget form;
        auto* field = new QLineEdit(&form);
        field->setProperty("helpContext", 101);
        auto* page = new QWidget(&form);
        page->setProperty("helpTopic", 28);
        auto* plain = new QLineEdit(page);
        form.show();

        QTest::keyClick(field, Qt::Key_F1);
        QVERIFY(viewer.window());
        QCOMPARE(viewer.window()->currentPage(),
                 QUrl("qthelp://org.example.kestrin/doc/welcome.html#convert"));
        QTest::keyClick(plain, Qt::Key_F1);
        QCOMPARE(viewer.window()->currentPage(),
                 QUrl("qthelp://org.example.kestrin/doc/results-updates.html"));
    }

    void helpFromAModalWindowIsNotBlockedByIt() {
        QtHelpViewer viewer;
        QDialog wizard;
        QWidget* helpParent = nullptr;
        QTimer::singleShot(0, &wizard, [&] {
            showHelpTopic(kHelpWelcome);
            if (viewer.window()) helpParent = viewer.window()->parentWidget();
            wizard.reject();
        });
        wizard.exec();
        QCOMPARE(helpParent, &wizard);
    }

    void withoutACollectionHelpDoesNothing() {
        qputenv("KESTRIN_HELP", (environment_->files().root() / "missing.qhc").c_str());
        QtHelpViewer viewer;
        QVERIFY(!showHelpTopic(kHelpContents));
        QVERIFY(!viewer.window());
        QWidget form;
        auto* field = new QLineEdit(&form);
        field->setProperty("helpContext", 101);
        form.show();
        QTest::keyClick(field, Qt::Key_F1);
        QVERIFY(!viewer.window());
    }

  private:
    std::unique_ptr<test::WindowTestEnvironment> environment_;
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtHelpWindowTest)
#include "QtHelpWindowTest.moc"
