#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <memory>

#include "app/frmMain.h"
#include "define/QtDefineViews.h"
#include "define/frmMainDefineTab.h"
#include "support/QtWindowTest.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;

class QtDefineTabTest : public QObject {
    Q_OBJECT

    fs::path root() const { return environment_->files().favorites() / "Kestrin 2001"; }
    void addItem(const std::string& path, bool checked = true, const char* error = "") {
        fs::create_directories((root() / path).parent_path());
        test::writeFile(root() / (path + ".url"),
                        "[InternetShortcut]\r\nURL=http://www.example.jp/\r\n[QZ7P]\r\nChecked=" +
                            std::string(checked ? "1" : "0") + "\r\nError=" + error + "\r\n");
    }
    std::string fileOf(const std::string& path) const {
        return test::readFile(root() / (path + ".url"));
    }

    // The example: items in the root, in Tools (with Old inside) and in Games.
    void openTab() {
        addItem("top");
        addItem("Tools/editor");
        addItem("Tools/viewer", false, "404 Not Found");
        addItem("Tools/Old/archiver");
        fs::create_directories(root() / "Games");
        tab_ = std::make_unique<TfrmMainDefineTab>();
        tab_->resize(520, 260);
        tab_->show();
        QVERIFY(QTest::qWaitForWindowActive(tab_.get()));
        tree_ = test::control<TDefineTreeWidget>(tab_.get(), "trvDefine");
        list_ = test::control<TDefineListWidget>(tab_.get(), "lsvDefine");
    }
    QTreeWidgetItem* node(const char* caption) const {
        const auto found = tree_->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        if (found.size() != 1) qFatal("no single node %s", caption);
        return found.front();
    }
    QPoint centreOf(QTreeWidgetItem* item) const { return tree_->visualItemRect(item).center(); }
    void selectNode(const char* caption) {
        QTest::mouseClick(tree_->viewport(), Qt::LeftButton, {}, centreOf(node(caption)));
    }
    QStringList rows() const {
        QStringList captions;
        for (int i = 0; i < list_->topLevelItemCount(); ++i)
            captions << list_->topLevelItem(i)->text(0);
        return captions;
    }
    void selectRow(int row) {
        list_->setFocus();
        list_->setCurrentItem(list_->topLevelItem(row));
    }
    // A drag of `data` from the define tab dropped onto the node `caption`.
    bool drop(QMimeData* data, const char* caption) {
        std::unique_ptr<QMimeData> owned(data);
        const QPoint at = centreOf(node(caption));
        QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(tree_->viewport(), &enter);
        QDragMoveEvent move(at, Qt::MoveAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(tree_->viewport(), &move);
        if (!move.isAccepted()) return false;
        QDropEvent dropped(at, Qt::MoveAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(tree_->viewport(), &dropped);
        return dropped.isAccepted();
    }

    std::unique_ptr<test::WindowTestEnvironment> environment_;
    std::unique_ptr<TfrmMainDefineTab> tab_;
    TDefineTreeWidget* tree_ = nullptr;
    TDefineListWidget* list_ = nullptr;

  private slots:
    void init() { environment_ = std::make_unique<test::WindowTestEnvironment>(); }
    void cleanup() {
        tab_.reset();
        environment_.reset();
    }

    void controlsCarryTheirCaptionsHintsAndHelpNumbers() {
        openTab();
        QCOMPARE(test::control<QLabel>(tab_.get(), "Label16")->text(),
                 QString("以下の右ペインに表示されていて，チェックが付いたページのソフトウエアを"
                         "チェックします。"));
        struct Expected {
            const char* name;
            const char* caption;
            const char* hint;
            int help;
        };
        for (const Expected& e :
             {Expected{"btnAddItem", "追加(&A)", "ユーザ定義を追加したいときに選択します", 13},
              Expected{"btnEditItem", "変更(&E)", "選択した定義を変更したいときに選択します", 14},
              Expected{"btnDeleteItem", "削除(&D)", "選択した定義を削除したいときに選択します", 15},
              Expected{"btnDefineAction", "アクション(&C)",
                       "定義のチェック状態の設定やビューの設定を行います", 16},
              Expected{"btnJumpSituation", "URL へ(&J)...",
                       "選択した定義アイテムの URL へジャンプします", 17}}) {
            auto* button = test::control<QPushButton>(tab_.get(), e.name);
            QCOMPARE(button->text(), QString(e.caption));
            QCOMPARE(button->toolTip(), QString(e.hint));
            QCOMPARE(button->property("helpContext").toInt(), e.help);
        }
        QCOMPARE(tree_->toolTip(), QString("ユーザ定義の階層を示します"));
        QCOMPARE(tree_->property("helpContext").toInt(), 11);
        QCOMPARE(list_->toolTip(), QString("左ペインで選択したユーザ定義リストです"));
        QCOMPARE(list_->property("helpContext").toInt(), 12);
        QCOMPARE(list_->headerItem()->text(0), QString("条件名"));
        QCOMPARE(list_->headerItem()->text(1), QString("URL"));
        QCOMPARE(list_->headerItem()->text(2), QString("前回エラー"));

        // "DefineColumn0" to 2: the design widths until the settings give others.
        Settings settings;
        settings.defineColumns = {0, 0, 0};
        tab_->storeTo(settings);
        QCOMPARE(settings.defineColumns, (std::array<int, 3>{140, 110, 80}));
        settings.defineColumns = {200, 90, 60};
        tab_->loadFrom(settings);
        QCOMPARE(list_->columnWidth(0), 200);
        Settings stored;
        tab_->storeTo(stored);
        QCOMPARE(stored.defineColumns, settings.defineColumns);
    }

    void selectingANodeListsItsItems() {
        openTab();
        // At start "[全て表示]": the root first, then the folders depth first.
        QCOMPARE(tree_->currentItem()->text(0), QString("[全て表示]"));
        QCOMPARE(rows(), QStringList({"top", "editor", "viewer", "archiver"}));
        QCOMPARE(list_->topLevelItem(2)->checkState(0), Qt::Unchecked);
        QCOMPARE(list_->topLevelItem(2)->text(2), QString("404 Not Found"));

        selectNode("Tools");
        QTRY_COMPARE(rows(), QStringList({"editor", "viewer"}));
        // A right click selects the node under the mouse.
        QTest::mousePress(tree_->viewport(), Qt::RightButton, {}, centreOf(node("Old")));
        QTRY_COMPARE(rows(), QStringList({"archiver"}));
        QCOMPARE(tree_->currentItem()->text(0), QString("Old"));

        // The run's rows: listed anew from disk, whatever a filter shows.
        selectNode("Tools");
        QTRY_COMPARE(rows().size(), 2);
        addItem("Tools/added");
        list_->takeTopLevelItem(0);
        const std::vector<DefineRow> run = tab_->listSelectedDefineRows();
        QCOMPARE(run.size(), std::size_t(3));
        QCOMPARE(run[0].caption, std::string("added"));
        QCOMPARE(run[0].itemPath, (root() / "Tools/added.url").string());
        QVERIFY(!run[2].checked);
        QCOMPARE(rows(), QStringList({"added", "editor", "viewer"}));
    }

    void checkBoxesAndMarksWriteTheFileAtOnce() {
        openTab();
        const std::string editor = fileOf("Tools/editor");
        selectNode("Tools");
        QTRY_COMPARE(rows().size(), 2);
        QCOMPARE(fileOf("Tools/editor"), editor);  // listing wrote nothing

        // Space on a plain row switches its check box; the file follows at once.
        selectRow(0);
        QTest::keyClick(list_, Qt::Key_Space);
        QCOMPARE(list_->topLevelItem(0)->checkState(0), Qt::Unchecked);
        QVERIFY(fileOf("Tools/editor").find("Checked=0\r\n") != std::string::npos);

        // On a marked row Space is "エラー発生": the mark goes, the box stays.
        selectRow(1);
        auto* mark = test::control<QAction>(tab_.get(), "mnuUpdated");
        QVERIFY(mark->isVisible());
        QCOMPARE(mark->text(), QString("エラー発生(&U)"));
        QTest::keyClick(list_, Qt::Key_Space);
        QCOMPARE(list_->topLevelItem(1)->text(2), QString("(エラー無し)"));
        QCOMPARE(list_->topLevelItem(1)->checkState(0), Qt::Unchecked);
        QVERIFY(fileOf("Tools/viewer").find("Error=\r\n") != std::string::npos);
        QVERIFY(!mark->isVisible());
        QCOMPARE(list_->toolTip(), QString("【選択アイテムのエラー】\n(エラー無し)"));
    }

    void f2RenamesTheSelectedRowInPlace() {
        openTab();
        selectNode("Tools");
        QTRY_COMPARE(rows().size(), 2);
        selectRow(0);
        QTest::keyClick(list_, Qt::Key_F2);
        auto* editor = list_->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, "renamed");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(fs::exists(root() / "Tools/renamed.url"));
        QVERIFY(!fs::exists(root() / "Tools/editor.url"));
        QCOMPARE(rows(), QStringList({"renamed", "viewer"}));

        // A refused name leaves the row and the file as they were.
        environment_->dialogs().clear();
        selectRow(1);
        QTest::keyClick(list_, Qt::Key_F2);
        editor = list_->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText("bad?name");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(environment_->dialogs().shown().size(), std::size_t(1));
        QCOMPARE(environment_->dialogs().shown()[0].caption, std::string("使用不能な文字"));
        QCOMPARE(rows(), QStringList({"renamed", "viewer"}));
        QVERIFY(fs::exists(root() / "Tools/viewer.url"));
    }

    void droppingARowOnAFolderNodeMovesTheFile() {
        openTab();
        selectNode("Tools");
        QTRY_COMPARE(rows().size(), 2);
        selectRow(0);
        QVERIFY(!drop(list_->dragData(), "[全て表示]"));
        QVERIFY(!drop(list_->dragData(), "Tools"));
        QVERIFY(drop(list_->dragData(), "Games"));
        QTRY_COMPARE(rows(), QStringList({"viewer"}));
        QVERIFY(fs::exists(root() / "Games/editor.url"));
        QVERIFY(!fs::exists(root() / "Tools/editor.url"));

        // A folder node dragged onto another moves with its items.
        selectNode("Old");
        QTRY_COMPARE(rows(), QStringList({"archiver"}));
        QVERIFY(drop(tree_->dragData(), "Games"));
        QTRY_VERIFY(fs::exists(root() / "Games/Old/archiver.url"));
        QCOMPARE(node("Old")->parent(), node("Games"));
        QVERIFY(tree_->dragData() != nullptr);

        // Nothing may be dropped while "[全て表示]" is selected.
        selectNode("[全て表示]");
        QTRY_COMPARE(rows().size(), 4);
        selectRow(0);
        QVERIFY(!drop(list_->dragData(), "Games"));
        QVERIFY(!tree_->dragData());
    }

    void insertAndDeleteKeysOnTheTree() {
        openTab();
        selectNode("Games");
        tree_->setFocus();
        QTRY_COMPARE(rows().size(), 0);
        environment_->dialogs().queueInput("New");
        QTest::keyClick(tree_, Qt::Key_Insert);
        QVERIFY(fs::is_directory(root() / "Games/New"));
        QCOMPARE(node("New")->parent(), node("Games"));

        selectNode("Tools");
        tree_->setFocus();
        environment_->dialogs().queueAnswer(DialogAnswer::No);
        QTest::keyClick(tree_, Qt::Key_Delete);
        QVERIFY(fs::exists(root() / "Tools/editor.url"));
        environment_->dialogs().queueAnswer(DialogAnswer::Yes);
        QTest::keyClick(tree_, Qt::Key_Delete);
        QVERIFY(!fs::exists(root() / "Tools"));
        QCOMPARE(tree_->findItems("Tools", Qt::MatchExactly | Qt::MatchRecursive).size(), 0);
        QCOMPARE(rows(), QStringList({"top"}));
        QCOMPARE(environment_->dialogs().shown().back().caption, std::string("フォルダ削除"));

        // F2 renames a folder node; the pseudo-nodes keep their captions.
        selectNode("Games");
        tree_->setFocus();
        QTest::keyClick(tree_, Qt::Key_F2);
        auto* editor = tree_->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText("Play");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(fs::is_directory(root() / "Play/New"));
        QCOMPARE(tree_->currentItem()->text(0), QString("Play"));
        selectNode("[階層表示]");
        tree_->setFocus();
        QTest::keyClick(tree_, Qt::Key_F2);
        QVERIFY(!tree_->editing());
    }

    // In the main window: while a caption is edited, Enter and Esc belong to the editor.
    void enterAndEscBelongToTheEditorInTheMainWindow() {
        addItem("item");
        TfrmMain window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        test::control<QTabWidget>(&window, "PageControl3")->setCurrentIndex(1);
        list_ = test::control<TDefineListWidget>(&window, "lsvDefine");
        auto* next = test::control<QPushButton>(&window, "btnNext");
        auto* cancel = test::control<QPushButton>(&window, "btnCancel");
        QSignalSpy nextClicks(next, &QPushButton::clicked);
        QSignalSpy cancelClicks(cancel, &QPushButton::clicked);
        QVERIFY(next->isDefault());

        selectRow(0);
        QTest::keyClick(list_, Qt::Key_F2);
        auto* editor = list_->findChild<QLineEdit*>();
        QVERIFY(editor);
        QVERIFY(!next->isDefault());
        editor->setText("stored");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(fs::exists(root() / "stored.url"));
        QVERIFY(next->isDefault());

        // Esc closes the editor; until the focus leaves the list it still closes no window.
        QTest::keyClick(list_, Qt::Key_F2);
        editor = list_->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(!list_->editing());
        QTest::keyClick(list_, Qt::Key_Escape);
        QVERIFY(window.isVisible());
        QVERIFY(!next->isDefault());
        test::control<QPushButton>(&window, "btnAddItem")->setFocus();
        QVERIFY(next->isDefault());
        QCOMPARE(nextClicks.count(), 0);
        QCOMPARE(cancelClicks.count(), 0);
    }
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtDefineTabTest)
#include "QtDefineTabTest.moc"
