#pragma once
// Waiting for "nothing more happens" without a fixed sleep: runs the event loop until a whole
// round delivers no event to the test thread (whatever was posted or queued to it has
// arrived, and nothing that set off is still waiting), within a bounded time. Timers that
// have not fired yet are not waited for: a case that checks a timer's outcome waits for its
// signal instead. Test thread only; header only.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>

namespace scriva::test {

// True when the queue became idle before `limitMs` passed.
inline bool processUntilIdle(int limitMs = 5000)
{
    struct Counter : QObject
    {
        int events = 0;
        bool eventFilter(QObject*, QEvent*) override
        {
            ++events;
            return false;
        }
    } counter;
    QCoreApplication::instance()->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    bool idle = false;
    while (!idle && clock.elapsed() < limitMs) {
        counter.events = 0;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        idle = counter.events == 0;
    }
    QCoreApplication::instance()->removeEventFilter(&counter);
    return idle;
}

} // namespace scriva::test
