#include "platform/QtMessagePump.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <type_traits>

namespace kestrin {

namespace {
// Takes an object from `idle`, or makes a new one.
template <typename Object, typename Make>
Object* reuse(std::vector<Object*>& idle, Make make) {
    if (idle.empty()) return make();
    Object* object = idle.back();
    idle.pop_back();
    return object;
}
}  // namespace

QtMessagePump::QtMessagePump() = default;

// The timers and notifiers are children of owner_ and end with it.
QtMessagePump::~QtMessagePump() = default;

void QtMessagePump::processMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

MessagePump::Handle QtMessagePump::startTimer(std::chrono::milliseconds delay, Callback callback,
                                              bool repeat) {
    Handle handle = nextHandle_++;
    QTimer* timer = reuse(idleTimers_, [this] { return new QTimer(&owner_); });
    timer->setSingleShot(!repeat);
    auto connection =
        QObject::connect(timer, &QTimer::timeout, &owner_, [this, handle] { timerFired(handle); });
    timers_[handle] = Use<QTimer>{timer, connection, std::move(callback)};
    timer->start(delay);
    return handle;
}

template <typename Object>
void QtMessagePump::release(Uses<Object>& uses, std::vector<Object*>& idle, Handle handle) {
    auto found = uses.find(handle);
    if (found == uses.end()) return;
    Object* object = found->second.object;
    if constexpr (std::is_same_v<Object, QTimer>) {
        object->stop();
    } else {
        object->setEnabled(false);
    }
    QObject::disconnect(found->second.connection);
    idle.push_back(object);
    uses.erase(found);
}

void QtMessagePump::stopTimer(Handle handle) {
    release(timers_, idleTimers_, handle);
}

void QtMessagePump::timerFired(Handle handle) {
    auto found = timers_.find(handle);
    if (found == timers_.end()) return;
    // The callback may stop this or any timer: keep our own copy while it runs.
    Callback callback = found->second.callback;
    if (found->second.object->isSingleShot()) stopTimer(handle);
    callback();
}

MessagePump::Handle QtMessagePump::watchReadable(int fd, Callback callback) {
    Handle handle = nextHandle_++;
    QSocketNotifier* notifier = reuse(
        idleNotifiers_, [this] { return new QSocketNotifier(QSocketNotifier::Read, &owner_); });
    notifier->setSocket(fd);
    auto connection = QObject::connect(notifier, &QSocketNotifier::activated, &owner_,
                                       [this, handle] { readable(handle); });
    watches_[handle] = Use<QSocketNotifier>{notifier, connection, std::move(callback)};
    notifier->setEnabled(true);
    return handle;
}

void QtMessagePump::unwatch(Handle handle) {
    release(watches_, idleNotifiers_, handle);
}

void QtMessagePump::readable(Handle handle) {
    auto found = watches_.find(handle);
    if (found == watches_.end()) return;
    Callback callback = found->second.callback;
    callback();
}

void QtMessagePump::post(Callback callback) {
    QMetaObject::invokeMethod(&owner_, std::move(callback), Qt::QueuedConnection);
}

}  // namespace kestrin
