#include <stdlib.h>

#include <QDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/frmMain.h"
#include "platform/MessagePump.h"
#include "platform/Paths.h"
#include "platform/QtMessagePump.h"
#include "support/QtWindowTest.h"

namespace kestrin {
namespace {

std::optional<std::string> environmentValue(const char* name) {
    const char* value = getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// `path` lies inside `folder`.
bool inside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const std::string relative = path.lexically_normal().lexically_relative(folder).string();
    return !relative.empty() && relative != "." && !relative.starts_with("..");
}

class QtWindowHarnessTest : public QObject {
    Q_OBJECT

  private slots:
    void everyPlaceAWindowMayWriteIsPrivateWhileItExists() {
        const char* names[] = {
            "HOME",           "XDG_CONFIG_HOME",  "XDG_DATA_HOME",    "XDG_STATE_HOME",
            "XDG_CACHE_HOME", "KESTRIN_REGISTRY", "KESTRIN_FAVORITES"};
        std::vector<std::optional<std::string>> before;
        for (const char* name : names)
            before.push_back(environmentValue(name));
        {
            test::WindowTestEnvironment environment;
            TfrmMain window;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));

            const std::filesystem::path root = environment.files().root();
            QVERIFY(inside(root, std::filesystem::temp_directory_path()));
            for (const char* name : names) {
                const std::optional<std::string> value = environmentValue(name);
                QVERIFY2(value && inside(*value, root), name);
            }
            QVERIFY(inside(registryPath(), root));
            QVERIFY(inside(favoritesFolder(), root));
            QVERIFY(inside(stateFolder(), root));
            for (const auto location :
                 {QStandardPaths::HomeLocation, QStandardPaths::ConfigLocation,
                  QStandardPaths::AppDataLocation, QStandardPaths::CacheLocation}) {
                const QString path = QStandardPaths::writableLocation(location);
                QVERIFY2(inside(path.toStdString(), root), qPrintable(path));
            }

            // Message boxes are scripted, and network waits turn the Qt loop.
            QCOMPARE(dialogs().messageBox("本文", "見出し", DialogIcon::Error, DialogButtons::Ok),
                     DialogAnswer::Ok);
            QCOMPARE(environment.dialogs().shown().size(), std::size_t{1});
            QVERIFY(dynamic_cast<QtMessagePump*>(&messagePump()));
        }
        for (std::size_t i = 0; i < std::size(names); ++i)
            QVERIFY2(environmentValue(names[i]) == before[i], names[i]);
        QVERIFY(!dynamic_cast<QtMessagePump*>(&messagePump()));
    }

    void controlsAreFoundByNameAndModalWindowsReached() {
        test::WindowTestEnvironment environment;
        TfrmMain window;
        QCOMPARE(test::control<QPushButton>(&window, "btnNext")->text(), QString("次へ(&N) >"));

        QDialog child(&window);
        child.setObjectName("child");
        QString reached;
        test::whenModalOpen<QDialog>([&](QDialog* dialog) {
            reached = dialog->objectName();
            dialog->accept();
        });
        QCOMPARE(child.exec(), int(QDialog::Accepted));
        QCOMPARE(reached, QString("child"));
    }
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtWindowHarnessTest)
#include "QtWindowHarnessTest.moc"
