#pragma once
// Cooperative threads. They all run on the GUI thread as C++ coroutines; a
// thread gives way only where its run event yields (co_await ThreadYield()).
#include <chrono>
#include <coroutine>
#include <cstdint>
#include <exception>
#include <utility>

#include "framework/Control.h"

// The coroutine type of a thread's run event.
class ThreadTask {
public:
    struct promise_type {
        ThreadTask get_return_object() { return ThreadTask(std::coroutine_handle<promise_type>::from_promise(*this)); }
        std::suspend_always initial_suspend() noexcept { return {}; }
        std::suspend_always final_suspend() noexcept { return {}; }
        void return_void() {}
        void unhandled_exception() { error = std::current_exception(); }
        std::exception_ptr error;
    };

    ThreadTask() = default;
    explicit ThreadTask(std::coroutine_handle<promise_type> h) : m_handle(h) {}
    ThreadTask(ThreadTask&& o) noexcept : m_handle(std::exchange(o.m_handle, {})) {}
    ThreadTask& operator=(ThreadTask&& o) noexcept;
    ThreadTask(const ThreadTask&) = delete;
    ThreadTask& operator=(const ThreadTask&) = delete;
    ~ThreadTask();

    std::coroutine_handle<promise_type> handle() const { return m_handle; }

private:
    std::coroutine_handle<promise_type> m_handle;
};

class Thread : public Control {
public:
    Thread();
    ~Thread() override;
    void Constructor() {}

    // Starts the run event and returns at once; its first turn comes on the
    // next pass of the event loop. A thread that is already running goes on
    // undisturbed and the request is dropped.
    void Run();
    // Ends the run at once, without the rest of its run event. Called from its
    // own run event, the thread ends at its next yield.
    void Kill();
    bool IsRunning() const { return m_task.handle() != nullptr; }

    int32_t Priority = 5;
    int32_t StackSize = 0; // coroutines need no stack of their own

    std::string ClassName() const override { return "Thread"; }
    const PropertyTable& Properties() const override;
    static const PropertyTable& ThreadProperties();

    // The thread's run event.
    virtual ThreadTask Event_Run() = 0;

    // Scheduler internals.
    void step();
    std::chrono::steady_clock::time_point wakeAt{};
    bool queued = false;
    bool parked = false;
    uint64_t queuedInRound = 0;

private:
    ThreadTask m_task;
    bool m_killed = false;
    bool m_hadOwner = false;
};

// Awaited in a run event: gives the other threads and the event loop a turn.
struct ThreadYield {
    bool await_ready() const noexcept { return false; }
    bool await_suspend(std::coroutine_handle<>) noexcept;
    void await_resume() const noexcept {}
};

// A yield on the main thread: ready cooperative threads get a turn.
void RuntimeBackgroundTask();

// Called by code that polls something with a known end (a playing sound):
// the current thread's next yield may sleep until then, or until the audio
// device finishes a sound, instead of spinning. Up to 50 ms are honoured.
void ThreadMayParkFor(std::chrono::microseconds wait);

// The cooperative thread running now, or nil on the main thread.
Thread* CurrentThread();

namespace ThreadTesting {
// Tests step threads by hand: no timers, every yield is a plain turn.
void UseManualScheduling(bool manual);
// Gives every ready thread one turn; returns how many ran.
int RunReadyOnce();
// Threads waiting for their turn, parked ones included.
int ReadyCount();
} // namespace ThreadTesting
