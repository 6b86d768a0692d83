// The cooperative scheduler behind the translation thread, driven by the
// real event loop: turns, killing, and parking while a sound plays.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "WidgetTestSupport.h"
#include "framework/Sound.h"
#include "framework/Thread.h"
#include "framework/Thread_p.h"

namespace {

class Scheduler : public ::testing::Test {
protected:
    void SetUp() override { ThreadTesting::UseManualScheduling(false); }
    void TearDown() override
    {
        pumpEvents(5);
        ASSERT_EQ(ThreadTesting::ReadyCount(), 0) << "a thread is left waiting";
    }
};

TEST_F(Scheduler, EachYieldOfTheMainThreadGivesEveryReadyThreadOneTurn)
{
    // Appends its letter to the log at each of three turns.
    struct Looper : Thread {
        Looper(std::string* out, char c) : log(out), letter(c) {}
        std::string* log;
        char letter;
        ThreadTask Event_Run() override
        {
            for (int i = 0; i < 3; ++i) {
                *log += letter;
                co_await ThreadYield();
            }
        }
    };
    std::string log;
    const auto a = std::make_shared<Looper>(&log, 'a');
    const auto b = std::make_shared<Looper>(&log, 'b');
    a->Run();
    b->Run();
    EXPECT_EQ(log, "") << "Run returns before the first turn";
    RuntimeBackgroundTask();
    EXPECT_EQ(log, "ab");
    RuntimeBackgroundTask();
    RuntimeBackgroundTask();
    EXPECT_EQ(log, "ababab");
    RuntimeBackgroundTask();
    EXPECT_FALSE(a->IsRunning() || b->IsRunning());
}

TEST_F(Scheduler, KillEndsTheRunAndReleasesItsLocals)
{
    struct Holder : Thread {
        std::weak_ptr<int> local;
        int turns = 0, killAt = 0;
        ThreadTask Event_Run() override
        {
            const auto held = std::make_shared<int>(1);
            local = held;
            for (;;) {
                if (++turns == killAt) Kill();
                co_await ThreadYield();
            }
        }
    };
    for (int killAt : {0, 2}) { // 0: killed from outside after its first turn
        SCOPED_TRACE(killAt ? "from inside" : "from outside");
        const auto h = std::make_shared<Holder>();
        h->killAt = killAt;
        h->Run();
        RuntimeBackgroundTask();
        EXPECT_FALSE(h->local.expired());
        if (killAt) RuntimeBackgroundTask();
        else h->Kill();
        EXPECT_FALSE(h->IsRunning());
        EXPECT_TRUE(h->local.expired());
        pumpEvents(5);
        EXPECT_EQ(h->turns, killAt ? 2 : 1);
    }
}

TEST_F(Scheduler, AParkedThreadWakesWhenTheDeviceSaysASoundEnded)
{
    struct Parker : Thread {
        int turns = 0;
        ThreadTask Event_Run() override
        {
            ++turns;
            ThreadMayParkFor(std::chrono::seconds(10)); // honoured up to 50 ms
            co_await ThreadYield();
            ++turns;
        }
    };
    const auto p = std::make_shared<Parker>();
    p->Run();
    RuntimeBackgroundTask();
    ASSERT_EQ(p->turns, 1);
    QCoreApplication::processEvents();
    RuntimeBackgroundTask();
    EXPECT_EQ(p->turns, 1) << "parked, not due yet";
    std::thread device([] { threads::wakeParkedFromAnyThread(); });
    device.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(p->turns, 2);
    EXPECT_FALSE(p->IsRunning());
}

// Polling a playing sound on the silent driver takes a handful of turns, not one per pass of the loop.
TEST_F(Scheduler, WaitingForASoundDoesNotSpin)
{
    struct Waiter : Thread {
        Ref<Sound> sound = std::make_shared<Sound>(std::vector<int16_t>(Sound::kSampleRate / 5, 1000));
        int polls = 0;
        ThreadTask Event_Run() override
        {
            sound->Play();
            co_await ThreadYield();
            while (sound->IsPlaying()) {
                ++polls;
                co_await ThreadYield();
            }
        }
    };
    AudioQuit();
    AudioInit();
    const auto w = std::make_shared<Waiter>();
    w->Run();
    ASSERT_TRUE(pumpUntil([&] { return !w->IsRunning(); }, 5000));
    EXPECT_FALSE(w->sound->IsPlaying());
    EXPECT_LT(w->polls, 40);
    AudioQuit();
}

} // namespace
