#include "framework/Thread.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <iostream>

namespace {

using Clock = std::chrono::steady_clock;

struct Scheduler {
    std::deque<Thread*> ready;
    Thread* current = nullptr;
    bool manual = false;
    QTimer* timer = nullptr;
    std::chrono::microseconds parkHint{0};

    void ensureTimer()
    {
        if (timer || !QCoreApplication::instance()) return;
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, [this] { runDue(); });
        QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [this] { timer = nullptr; });
    }

    void enqueue(Thread* t)
    {
        if (t->queued) return;
        t->queued = true;
        ready.push_back(t);
        arm();
    }

    void remove(Thread* t)
    {
        ready.erase(std::remove(ready.begin(), ready.end(), t), ready.end());
        t->queued = false;
    }

    // Wakes the loop for the earliest due thread; a thread due now gets a zero timer.
    void arm()
    {
        if (manual || ready.empty()) return;
        ensureTimer();
        if (!timer) return;
        auto earliest = ready.front()->wakeAt;
        for (auto* t : ready) earliest = std::min(earliest, t->wakeAt);
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(earliest - Clock::now());
        const int ms = static_cast<int>(std::max<long long>(0, wait.count()));
        if (timer->isActive() && timer->remainingTime() <= ms) return;
        timer->start(ms);
    }

    int runDue(bool ignoreTime = false)
    {
        if (current) return 0; // never nested inside a running thread
        const auto now = Clock::now();
        std::vector<Thread*> due;
        for (auto* t : ready)
            if (ignoreTime || t->wakeAt <= now) due.push_back(t);
        for (auto* t : due) remove(t);
        for (auto* t : due) t->step();
        arm();
        return static_cast<int>(due.size());
    }
};

Scheduler& scheduler()
{
    static Scheduler s;
    return s;
}

} // namespace

ThreadTask& ThreadTask::operator=(ThreadTask&& o) noexcept
{
    if (this != &o) {
        if (m_handle) m_handle.destroy();
        m_handle = std::exchange(o.m_handle, {});
    }
    return *this;
}

ThreadTask::~ThreadTask()
{
    if (m_handle) m_handle.destroy();
}

Thread::Thread() = default;

Thread::~Thread()
{
    scheduler().remove(this);
}

void Thread::Run()
{
    if (IsRunning()) return;
    m_task = Event_Run();
    wakeAt = Clock::now();
    scheduler().enqueue(this);
}

void Thread::Kill()
{
    scheduler().remove(this);
    m_task = ThreadTask();
}

void Thread::step()
{
    auto h = m_task.handle();
    if (!h || h.done()) return;
    auto& s = scheduler();
    Thread* previous = s.current;
    s.current = this;
    s.parkHint = std::chrono::microseconds(0);
    h.resume();
    s.current = previous;
    if (h.done()) {
        auto error = h.promise().error;
        m_task = ThreadTask();
        // An exception ends this thread only; it is reported like any other.
        if (error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                _UnhandledException(e);
            } catch (...) {
                std::cerr << "quib-zerevarove: a thread ended with an unknown exception\n";
            }
        }
    }
}

const PropertyTable& Thread::ThreadProperties()
{
    static const PropertyTable table = [] {
        PropertyTable t(&Control::ControlProperties());
        t.Add<Thread, int32_t>("Priority", [](Thread& th, int32_t v) { th.Priority = v; });
        t.Add<Thread, int32_t>("StackSize", [](Thread& th, int32_t v) { th.StackSize = v; });
        return t;
    }();
    return table;
}

const PropertyTable& Thread::Properties() const { return ThreadProperties(); }

void ThreadYield::await_suspend(std::coroutine_handle<>) noexcept
{
    auto& s = scheduler();
    Thread* t = s.current;
    if (!t) return;
    t->wakeAt = Clock::now() + s.parkHint;
    s.parkHint = std::chrono::microseconds(0);
    s.enqueue(t);
}

void RuntimeBackgroundTask() { scheduler().runDue(); }

void ThreadMayParkFor(std::chrono::microseconds wait)
{
    auto& s = scheduler();
    if (s.current && !s.manual) s.parkHint = std::clamp(wait, std::chrono::microseconds(0), std::chrono::microseconds(50000));
}

Thread* CurrentThread() { return scheduler().current; }

namespace ThreadTesting {
void UseManualScheduling(bool manual) { scheduler().manual = manual; }
int RunReadyOnce() { return scheduler().runDue(true); }
} // namespace ThreadTesting
