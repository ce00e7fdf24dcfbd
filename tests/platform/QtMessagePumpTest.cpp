#include <unistd.h>

#include <QTest>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "platform/QtMessagePump.h"

namespace kestrin {
namespace {

using namespace std::chrono_literals;

// Turns the pump the way a network wait does (a short sleep between turns) until `done`.
bool pumpUntil(QtMessagePump& pump, const std::function<bool()>& done,
               std::chrono::milliseconds limit = 2000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        pump.processMessages();
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class QtMessagePumpTest : public QObject {
    Q_OBJECT

  private slots:
    void timersFireInOrderAndRepeatUntilStopped() {
        QtMessagePump pump;
        std::vector<int> fired;
        pump.startTimer(40ms, [&] { fired.push_back(2); });
        pump.startTimer(5ms, [&] { fired.push_back(1); });
        auto cancelled = pump.startTimer(10ms, [&] { fired.push_back(99); });
        pump.stopTimer(cancelled);
        int repeats = 0;
        MessagePump::Handle repeating = 0;
        repeating = pump.startTimer(
            3ms,
            [&] {
                if (++repeats == 3) pump.stopTimer(repeating);
            },
            true);
        QVERIFY(pumpUntil(pump, [&] { return fired.size() == 2 && repeats == 3; }));
        QCOMPARE(fired, (std::vector<int>{1, 2}));

        // Stopped timers are reused; a reused one must not run its former callback.
        int reused = 0;
        pump.startTimer(1ms, [&] { ++reused; });
        pumpUntil(
            pump, [] { return false; }, 60ms);
        QCOMPARE(reused, 1);
        QCOMPARE(repeats, 3);
        QCOMPARE(fired.size(), std::size_t(2));
    }

    void postRunsOnALaterTurn() {
        QtMessagePump pump;
        std::vector<int> order;
        pump.post([&] {
            order.push_back(2);
            pump.post([&] { order.push_back(3); });
        });
        order.push_back(1);
        QVERIFY(pumpUntil(pump, [&] { return order.size() == 3; }));
        QCOMPARE(order, (std::vector<int>{1, 2, 3}));
    }

    void readableDescriptorCallsItsWatchUntilUnwatched() {
        QtMessagePump pump;
        int fds[2];
        QCOMPARE(pipe(fds), 0);
        std::string got;
        MessagePump::Handle watch = pump.watchReadable(fds[0], [&] {
            char c;
            if (read(fds[0], &c, 1) == 1) got += c;
            if (got.size() == 2) pump.unwatch(watch);
        });
        pumpUntil(
            pump, [] { return false; }, 20ms);
        QCOMPARE(got, std::string());  // nothing written, nothing read

        QCOMPARE(write(fds[1], "ab", 2), 2);
        QVERIFY(pumpUntil(pump, [&] { return got.size() == 2; }));
        QCOMPARE(write(fds[1], "c", 1), 1);
        pumpUntil(
            pump, [] { return false; }, 40ms);
        QCOMPARE(got, std::string("ab"));  // unwatched: "c" stays unread

        // The notifier is reused for another descriptor.
        int other[2];
        QCOMPARE(pipe(other), 0);
        bool otherReady = false;
        pump.watchReadable(other[0], [&] { otherReady = true; });
        QCOMPARE(write(other[1], "x", 1), 1);
        QVERIFY(pumpUntil(pump, [&] { return otherReady; }));
        QCOMPARE(got, std::string("ab"));
        for (int fd : {fds[0], fds[1], other[0], other[1]})
            close(fd);
    }

    void postedCallsDieWithThePump() {
        bool ran = false;
        {
            QtMessagePump pump;
            pump.post([&] { ran = true; });
        }
        QCoreApplication::processEvents();
        QVERIFY(!ran);
    }
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtMessagePumpTest)
#include "QtMessagePumpTest.moc"
