#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "catalogue/CatalogueFixture.h"
#include "catalogue/QtVGetAppIcon.h"
#include "catalogue/frmDetail.h"
#include "support/IconFixtures.h"
#include "support/QtWindowTest.h"

namespace kestrin {
namespace {

using test::addAuthor;
using test::addSoftware;
using test::control;
using test::setInteger;
using test::setString;

constexpr std::uint32_t kEditorColour = 0xFFC03000;

bool keyExists(const std::string& key) {
    TVRegEx reg;
    return reg.KeyExists(std::string(kRenvaneKey) + key);
}

class QtDetailDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::WindowTestEnvironment> environment_;
    std::unique_ptr<TfrmDetail> dialog_;

    template <typename Widget = QWidget>
    Widget* control(const char* name) {
        return test::control<Widget>(dialog_.get(), name);
    }
    QListWidget* list() { return control<QListWidget>("lsvSoftwareList"); }
    // Clicks a control; a radio button on its indicator, since only the indicator and the text
    // take clicks, not the rest of its row.
    void click(const char* name) {
        QWidget* widget = control(name);
        const QPoint at = qobject_cast<QRadioButton*>(widget) ? QPoint(6, widget->height() / 2)
                                                              : widget->rect().center();
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    }
    // Clicks an item of the list, with Ctrl to add it to the selection.
    void clickItem(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect rect = list()->visualItemRect(list()->item(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    ScriptedDialogs& dialogs() { return environment_->dialogs(); }

  private slots:
    // Alice ("Alpha") with an editor whose icon file exists, a viewer whose file is gone and
    // a tool known only by its DistinctName; Bob, who stays.
    void init() {
        environment_ = std::make_unique<test::WindowTestEnvironment>();
        const std::filesystem::path icon = environment_->files().root() / "editor.ico";
        test::writeFile(icon, test::iconFileBytes({test::FixtureImage(32, 8, kEditorColour)}));
        addAuthor("Alpha", "Alice");
        addSoftware("Alpha", "editor", "AliceEdit", 3);
        setString("Alpha\\editor", "DisplayName", "Alice Editor");
        setString("Alpha\\editor", "FilePath", icon.string());
        addSoftware("Alpha", "tool", "AliceTool", 2);
        setString("Alpha\\tool", "FilePath", icon.string());
        setInteger("Alpha\\tool", "IconIndex", 2);
        addSoftware("Alpha", "viewer", "AliceView", 1);
        setString("Alpha\\viewer", "DisplayName", "Alice Viewer");
        setString("Alpha\\viewer", "FilePath", "/nonexistent/viewer.exe");
        addAuthor("Beta", "Bob");

        dialog_ = std::make_unique<TfrmDetail>();
        dialog_->SetAuthorName("Alice");
        dialog_->SetAuthorKey("Alpha");
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    }
    void cleanup() {
        dialog_.reset();
        environment_.reset();
    }

    void showsTheAuthorWithTheFirstChoiceAndTheListDisabled() {
        QCOMPARE(dialog_->windowTitle(), QString("対応ソフトの検知リストからの削除"));
        const Qt::WindowFlags flags = dialog_->windowFlags();
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowContextHelpButtonHint);
        QCOMPARE(QFontInfo(dialog_->font()).pixelSize(), 12);

        auto* name = control<QLineEdit>("edtAuthorName");
        QCOMPARE(name->text(), QString("Alice"));
        QVERIFY(name->isReadOnly());
        QCOMPARE(name->palette().color(QPalette::Base), dialog_->palette().color(QPalette::Button));
        QCOMPARE(control<QLabel>("Label1")->text(), QString("作者名(&L):"));
        QCOMPARE(name->toolTip(), QString("アイコンファイルの所在地を入力"));

        struct Radio {
            const char* name;
            const char* text;
            const char* hint;
            bool checked;
        };
        for (const Radio& radio : {
                 Radio{"rdbDeleteAuthor", "この作者自体を削除する(&D)",
                       "全てのソフトウエア情報並びに作者の情報を削除します", true},
                 Radio{"rdbDeleteSoftware", "特定のソフトウエアだけを削除する(S)",
                       "選択したソフトウエアについての情報のみ削除します", false},
             }) {
            auto* button = control<QRadioButton>(radio.name);
            QCOMPARE(button->text(), QString(radio.text));
            QCOMPARE(button->toolTip(), QString(radio.hint));
            QCOMPARE(button->isChecked(), radio.checked);
        }
        QCOMPARE(control<QLabel>("lblSoftwareList")->text(),
                 QString("ソフトウエア一覧(&I): ※削除したいアイテムを全て選択してください"));
        QVERIFY(!control("lblSoftwareList")->isEnabled());
        QVERIFY(!list()->isEnabled());
        QCOMPARE(list()->toolTip(),
                 QString("登録を削除したいソフトウエアのアイコンを選択してください"));
        QCOMPARE(list()->viewMode(), QListView::IconMode);
        QCOMPARE(list()->selectionMode(), QAbstractItemView::ExtendedSelection);

        QCOMPARE(control<QPushButton>("btnOK")->text(), QString("OK"));
        QVERIFY(control<QPushButton>("btnOK")->isDefault());
        QCOMPARE(control<QPushButton>("btnCancel")->text(), QString("キャンセル"));
        QCOMPARE(control<QPushButton>("btnHelp")->text(), QString("ヘルプ(&H)"));
    }

    void listsEachProgramWithItsIconOrThePlaceholder() {
        QCOMPARE(list()->count(), 3);
        const QStringList captions{"Alice Editor", "AliceTool", "Alice Viewer"};
        const QStringList keys{"editor", "tool", "viewer"};
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(list()->item(row)->text(), captions[row]);
            QCOMPARE(list()->item(row)->data(Qt::UserRole).toString(), keys[row]);
        }
        auto image = [this](int row) { return list()->item(row)->icon().pixmap(32, 32).toImage(); };
        // The editor's own icon; the tool's index 2 is beyond the file's one icon: only the
        // window colour; the viewer's file is missing: the placeholder.
        QCOMPARE(image(0).pixelColor(16, 16), QColor::fromRgba(kEditorColour));
        QCOMPARE(image(1).pixelColor(16, 16), dialog_->palette().color(QPalette::Window));
        QCOMPARE(image(2), TVGetAppIcon::NoIcon().toImage());
    }

    void okDeletesTheWholeAuthorAfterYes() {
        dialogs().queueAnswer(DialogAnswer::Yes);
        click("btnOK");
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialogs().shown().size(), std::size_t(1));
        QCOMPARE(dialogs().shown()[0].caption, std::string("作者削除の確認"));
        QVERIFY(!keyExists("Alpha"));
        QVERIFY(keyExists("Beta"));
    }

    void noKeepsTheDialogOpenAndCancelChangesNothing() {
        dialogs().queueAnswer(DialogAnswer::No);
        click("btnOK");
        QVERIFY(dialog_->isVisible());
        QCOMPARE(dialog_->result(), 0);
        QVERIFY(keyExists("Alpha\\editor"));

        click("btnCancel");
        QCOMPARE(dialog_->result(), int(QDialog::Rejected));
        QCOMPARE(dialogs().shown().size(), std::size_t(1));
        QVERIFY(keyExists("Alpha\\editor"));
    }

    void deletesTheSelectedProgramsOnly() {
        click("rdbDeleteSoftware");
        QVERIFY(list()->isEnabled());
        QVERIFY(control("lblSoftwareList")->isEnabled());
        clickItem(2);
        clickItem(0, Qt::ControlModifier);
        dialogs().queueAnswer(DialogAnswer::Yes);
        click("btnOK");

        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QCOMPARE(dialogs().shown().size(), std::size_t(1));
        QCOMPARE(dialogs().shown()[0].caption, std::string("ソフトウエアの情報削除の確認"));
        QVERIFY(dialogs().shown()[0].text.find("・Alice Editor\r\n・Alice Viewer\r\n\r\n") !=
                std::string::npos);
        QVERIFY(!keyExists("Alpha\\editor"));
        QVERIFY(!keyExists("Alpha\\viewer"));
        QVERIFY(keyExists("Alpha\\tool"));
    }

    void nothingSelectedDeletesNothingAndClosesWithOk() {
        click("rdbDeleteSoftware");
        dialogs().queueAnswer(DialogAnswer::Yes);
        click("btnOK");
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        for (const char* key : {"Alpha\\editor", "Alpha\\tool", "Alpha\\viewer"})
            QVERIFY2(keyExists(key), key);
    }

    void backToTheAuthorChoiceKeepsTheSelectionButDisablesTheList() {
        click("rdbDeleteSoftware");
        clickItem(1);
        click("rdbDeleteAuthor");
        QVERIFY(!list()->isEnabled());
        QVERIFY(!control("lblSoftwareList")->isEnabled());
        QVERIFY(list()->item(1)->isSelected());

        dialogs().queueAnswer(DialogAnswer::Yes);
        click("btnOK");
        QCOMPARE(dialogs().shown()[0].caption, std::string("作者削除の確認"));
        QVERIFY(!keyExists("Alpha"));
    }

    void enterIsOkAndEscapeIsCancel() {
        dialogs().queueAnswer(DialogAnswer::No);
        QTest::keyClick(dialog_.get(), Qt::Key_Return);
        QCOMPARE(dialogs().shown().size(), std::size_t(1));
        QVERIFY(dialog_->isVisible());
        QTest::keyClick(dialog_.get(), Qt::Key_Escape);
        QCOMPARE(dialog_->result(), int(QDialog::Rejected));
        QVERIFY(keyExists("Alpha"));
    }

    void executeTellsWhetherTheDialogClosedWithOk() {
        dialog_.reset();
        test::whenModalOpen<TfrmDetail>([](TfrmDetail* open) {
            QCOMPARE(test::control<QLineEdit>(open, "edtAuthorName")->text(), QString("Bob"));
            QTest::mouseClick(test::control(open, "btnOK"), Qt::LeftButton);
        });
        QVERIFY(TfrmDetail::Execute(nullptr, "Bob", "Beta"));
        QVERIFY(!keyExists("Beta"));

        test::whenModalOpen<TfrmDetail>([](TfrmDetail* open) {
            QTest::mouseClick(test::control(open, "btnCancel"), Qt::LeftButton);
        });
        QVERIFY(!TfrmDetail::Execute(nullptr, "Alice", "Alpha"));
        QVERIFY(keyExists("Alpha"));
    }
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtDetailDialogTest)
#include "QtDetailDialogTest.moc"
