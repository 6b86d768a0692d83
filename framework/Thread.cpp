#include "framework/Thread.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "framework/Thread_p.h"
#include "framework/Window.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::microseconds kLongestPark{50000};

// Never closed: the audio thread may write to it until the process ends.
int wakeFd()
{
    static const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd;
}

struct Scheduler {
    std::vector<Thread*> ready;
    Thread* current = nullptr;
    bool manual = false;
    uint64_t round = 0;
    QTimer* timer = nullptr;
    QSocketNotifier* waker = nullptr;
    std::chrono::microseconds parkHint{0};

    Scheduler() { wakeFd(); }

    // The timer and the wake-up watch belong to the event loop, so they are
    // made once there is an application object, and again for a new one.
    bool ensureLoopHooks()
    {
        if (timer) return true;
        auto* app = QCoreApplication::instance();
        if (!app) return false;
        timer = new QTimer(app);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, [this] { runDue(); });
        if (wakeFd() >= 0) {
            waker = new QSocketNotifier(wakeFd(), QSocketNotifier::Read, app);
            QObject::connect(waker, &QSocketNotifier::activated, [this] {
                uint64_t count = 0;
                [[maybe_unused]] const auto n = ::read(wakeFd(), &count, sizeof count);
                wakeParked();
            });
        }
        QObject::connect(app, &QObject::destroyed, [this] {
            timer = nullptr;
            waker = nullptr;
        });
        return true;
    }

    void enqueue(Thread* t)
    {
        if (t->queued) return;
        t->queued = true;
        t->queuedInRound = round;
        ready.push_back(t);
        arm();
    }

    void remove(Thread* t)
    {
        std::erase(ready, t);
        t->queued = false;
        t->parked = false;
    }

    // Wakes the loop for the earliest due thread; a thread due now gets a zero timer.
    void arm()
    {
        if (manual || ready.empty() || !ensureLoopHooks()) return;
        auto earliest = ready.front()->wakeAt;
        for (auto* t : ready) earliest = std::min(earliest, t->wakeAt);
        const auto wait = earliest - Clock::now();
        // Rounded up: a timer that fired before the thread is due would find
        // nothing to run and spin until it is.
        const int ms = wait.count() <= 0 ? 0 : static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
        if (timer->isActive() && timer->remainingTime() <= ms) return;
        timer->start(ms);
    }

    // A sound has ended somewhere: parked threads look again now.
    void wakeParked()
    {
        const auto now = Clock::now();
        bool any = false;
        for (auto* t : ready) {
            if (!t->parked) continue;
            t->parked = false;
            t->wakeAt = now;
            any = true;
        }
        if (!any) return;
        if (current) arm();
        else runDue();
    }

    // A thread placed on a window ends with it: once the window has closed,
    // the thread is never resumed.
    static bool ownerClosed(const Thread& t, bool hadOwner)
    {
        if (!hadOwner) return false;
        const auto w = t.ownerWindow();
        return !w || !w->IsOpen();
    }

    // Gives each due thread one turn. Threads are taken one at a time, since
    // a turn may start, kill or re-queue others.
    int runDue(bool ignoreTime = false)
    {
        if (current) return 0; // never nested inside a running thread
        const auto now = Clock::now();
        const uint64_t thisRound = ++round;
        int ran = 0;
        for (;;) {
            const auto it = std::find_if(ready.begin(), ready.end(), [&](const Thread* t) {
                return t->queuedInRound < thisRound && (ignoreTime || t->wakeAt <= now);
            });
            if (it == ready.end()) break;
            Thread* t = *it;
            ready.erase(it);
            t->queued = false;
            t->parked = false;
            t->step();
            ++ran;
        }
        arm();
        return ran;
    }
};

// Never destroyed: a thread held in a static may still leave it at exit.
Scheduler& scheduler()
{
    static Scheduler* s = new Scheduler;
    return *s;
}

} // namespace

void threads::wakeParkedFromAnyThread() noexcept
{
    const int fd = wakeFd();
    if (fd < 0) return;
    const uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(fd, &one, sizeof one);
}

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
    m_killed = false;
    m_hadOwner = ownerWindow() != nullptr;
    m_task = Event_Run();
    wakeAt = std::chrono::steady_clock::now();
    scheduler().enqueue(this);
}

void Thread::Kill()
{
    if (scheduler().current == this) {
        // Its frame is in use until it yields.
        m_killed = true;
        return;
    }
    scheduler().remove(this);
    m_task = ThreadTask();
}

void Thread::step()
{
    auto h = m_task.handle();
    if (!h || h.done()) return;
    auto& s = scheduler();
    if (Scheduler::ownerClosed(*this, m_hadOwner)) {
        Kill();
        return;
    }
    Thread* previous = s.current;
    s.current = this;
    s.parkHint = std::chrono::microseconds(0);
    h.resume();
    s.current = previous;
    if (m_killed) {
        m_killed = false;
        Kill();
        return;
    }
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
                std::fputs("quib-zerevarove: a thread ended with an unknown exception\n", stderr);
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

bool ThreadYield::await_suspend(std::coroutine_handle<>) noexcept
{
    auto& s = scheduler();
    Thread* t = s.current;
    // Awaited outside a scheduled turn there is no one to resume it later.
    if (!t) return false;
    t->parked = s.parkHint.count() > 0;
    t->wakeAt = std::chrono::steady_clock::now() + s.parkHint;
    s.parkHint = std::chrono::microseconds(0);
    s.enqueue(t);
    return true;
}

void RuntimeBackgroundTask() { scheduler().runDue(); }

void ThreadMayParkFor(std::chrono::microseconds wait)
{
    auto& s = scheduler();
    if (s.current && !s.manual) s.parkHint = std::clamp(wait, std::chrono::microseconds(0), kLongestPark);
}

Thread* CurrentThread() { return scheduler().current; }

namespace ThreadTesting {
void UseManualScheduling(bool manual)
{
    auto& s = scheduler();
    s.manual = manual;
    if (manual && s.timer) s.timer->stop();
    if (!manual) s.arm();
}
int RunReadyOnce() { return scheduler().runDue(true); }
int ReadyCount() { return static_cast<int>(scheduler().ready.size()); }
} // namespace ThreadTesting
