// Program start: the application object and its title, the Qt message pump and dialog service,
// the main window, the message loop.

#include <QApplication>

#include "app/frmMain.h"
#include "platform/QtDialogs.h"
#include "platform/QtLook.h"
#include "platform/QtMessagePump.h"
#include "platform/VersionInfo.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kestrin::kApplicationTitle));
    QApplication::setWindowIcon(kestrin::applicationIcon());
    // Ties the windows to the desktop entry, whose name and icon the desktop shows for them.
    QGuiApplication::setDesktopFileName(
        QString::fromStdString(kestrin::versionInfo().applicationId));

    kestrin::QtMessagePump pump;
    kestrin::installMessagePump(&pump);
    int status = 0;
    {
        kestrin::TfrmMain frmMain;
        kestrin::QtDialogs dialogs(&frmMain);
        kestrin::ScopedDialogs useDialogs(dialogs);
        frmMain.show();
        status = QApplication::exec();
    }
    kestrin::installMessagePump(nullptr);
    return status;
}
