// Program start: the application object, its title, the main window, the message loop.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestrin 2001 for Windows 98/2000");
    QMainWindow window;
    window.show();
    return QApplication::exec();
}
