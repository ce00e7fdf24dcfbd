#pragma once
// The message pump over Qt's event loop, installed by the desktop program: network waits turn
// the Qt loop, timers are QTimers, watched descriptors are QSocketNotifiers and posted calls
// are queued calls. Timers and notifiers are kept for reuse rather than deleted when stopped,
// because a stop often comes from inside the object's own signal.

#include <QObject>
#include <map>
#include <vector>

#include "platform/MessagePump.h"

class QSocketNotifier;
class QTimer;

namespace kestrin {

class QtMessagePump : public MessagePump {
  public:
    QtMessagePump();
    ~QtMessagePump() override;
    QtMessagePump(const QtMessagePump&) = delete;
    QtMessagePump& operator=(const QtMessagePump&) = delete;

    void processMessages() override;
    Handle startTimer(std::chrono::milliseconds delay, Callback callback,
                      bool repeat = false) override;
    void stopTimer(Handle timer) override;
    Handle watchReadable(int fd, Callback callback) override;
    void unwatch(Handle watch) override;
    void post(Callback callback) override;

  private:
    template <typename Object>
    struct Use {
        Object* object;
        QMetaObject::Connection connection;
        Callback callback;
    };

    template <typename Object>
    using Uses = std::map<Handle, Use<Object>>;

    // Ends a use of a timer or notifier and keeps the object for the next one.
    template <typename Object>
    static void release(Uses<Object>& uses, std::vector<Object*>& idle, Handle handle);
    void timerFired(Handle handle);
    void readable(Handle handle);

    // Parent of every timer and notifier; posted calls die with it when the pump ends.
    QObject owner_;
    Handle nextHandle_ = 1;
    Uses<QTimer> timers_;
    Uses<QSocketNotifier> watches_;
    std::vector<QTimer*> idleTimers_;
    std::vector<QSocketNotifier*> idleNotifiers_;
};

}  // namespace kestrin
