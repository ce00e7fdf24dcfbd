#pragma once
// The harness of the window tests (Qt Test, run offscreen). Every window test creates a
// WindowTestEnvironment before its window, finds controls by their control names with
// control<T>(), and reaches modal child windows with whenModalOpen<W>(). A run started inside a
// click is driven with a zero-time timer.
//
//   test::WindowTestEnvironment environment;
//   TfrmMain window;
//   test::whenModalOpen<QMessageBox>([](QMessageBox* box) { box->accept(); });
//   QTest::mouseClick(test::control<QPushButton>(&window, "btnNext"), Qt::LeftButton);

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "platform/Dialogs.h"
#include "platform/QtMessagePump.h"
#include "support/TempEnvironment.h"

namespace kestrin::test {

// The control called `name` inside `window`. A missing control, or one of another type, ends
// the test program with a message that names it.
template <typename T = QWidget>
T* control(const QObject* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("%s has no control %s of the type the test wants", qPrintable(window->objectName()),
               name);
    return found;
}

// Runs `act` on the modal window of type W as soon as one is open (its exec() blocks the
// caller). Gives up after ten seconds; the test's own checks then see that nothing was done.
template <typename W>
void whenModalOpen(std::function<void(W*)> act) {
    auto* poll = new QTimer(qApp);
    auto* giveUp = new QTimer(poll);
    giveUp->setSingleShot(true);
    QObject::connect(giveUp, &QTimer::timeout, poll, &QObject::deleteLater);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!window) return;
        poll->stop();
        poll->deleteLater();
        act(window);
    });
    poll->start(5);
    giveUp->start(10000);
}

// A private world for a window: a temporary settings store, Favorites and XDG folders and home
// folder (TempEnvironment), the scripted dialog service in place of real message boxes, and the
// Qt message pump the program installs. No window test reads or writes a real settings store.
class WindowTestEnvironment {
  public:
    WindowTestEnvironment() { installMessagePump(&pump_); }
    ~WindowTestEnvironment() { installMessagePump(nullptr); }
    WindowTestEnvironment(const WindowTestEnvironment&) = delete;
    WindowTestEnvironment& operator=(const WindowTestEnvironment&) = delete;

    const TempEnvironment& files() const { return files_; }
    ScriptedDialogs& dialogs() { return dialogs_; }

  private:
    TempEnvironment files_;  // first: the environment is private before anything reads it
    ScriptedDialogs dialogs_;
    ScopedDialogs useDialogs_{dialogs_};
    QtMessagePump pump_;
};

}  // namespace kestrin::test
