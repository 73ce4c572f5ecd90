#include "Platform/MessageLoop.h"
#include "Platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <atomic>
#include <future>
#include <thread>
#include <vector>

namespace sonbex::platform {
namespace {

using namespace std::chrono_literals;

TEST(MessageLoop, DeliversInPostingOrderWithParameters) {
    VirtualClock clock;
    MessageLoop loop(clock);
    std::vector<std::string> seen;
    const HandlerId a = loop.AddHandler([&](const Message& m) {
        seen.push_back("a" + std::to_string(m.id) + ":" + std::to_string(m.wparam) + "," +
                       std::to_string(m.lparam));
        if (m.payload) m.payload();
    });
    const HandlerId b =
        loop.AddHandler([&](const Message& m) { seen.push_back("b" + std::to_string(m.id)); });
    EXPECT_TRUE(loop.Post(a, 1134, 7, -8));
    EXPECT_TRUE(loop.Post(b, 1135));
    EXPECT_TRUE(loop.PostTask([&] { seen.push_back("task"); }));
    EXPECT_TRUE(loop.Post(a, 1136, 0, 0, [&] { seen.push_back("payload"); }));
    EXPECT_FALSE(loop.Post(999, 1));  // no such handler
    EXPECT_FALSE(loop.PostTask({}));  // nothing to run
    EXPECT_TRUE(seen.empty()) << "nothing runs before the loop does";
    EXPECT_EQ(loop.RunUntilIdle(), 4u);
    EXPECT_EQ(seen, (std::vector<std::string>{"a1134:7,-8", "b1135", "task", "a1136:0,0", "payload"}));

    loop.Post(b, 1);
    loop.RemoveHandler(b);  // its queued message is dropped
    seen.clear();
    loop.RunUntilIdle();
    EXPECT_TRUE(seen.empty());
}

TEST(MessageLoop, PostsFromOtherThreadsArriveInEachThreadsOrder) {
    MessageLoop loop;
    constexpr int kThreads = 4, kEach = 500;
    std::vector<std::vector<int>> received(kThreads);
    int total = 0;
    const HandlerId h = loop.AddHandler([&](const Message& m) {
        received[m.wparam].push_back(static_cast<int>(m.lparam));
        if (++total == kThreads * kEach) loop.Quit();
    });
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) loop.Post(h, 1, t, i);
        });
    loop.Run();  // returns once the last message has arrived
    for (auto& p : posters) p.join();
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(received[t].size(), static_cast<std::size_t>(kEach)) << "thread " << t;
        for (int i = 0; i < kEach; ++i) ASSERT_EQ(received[t][i], i) << "thread " << t;
    }
}

TEST(MessageLoop, TimersFollowTheVirtualClock) {
    VirtualClock clock;
    MessageLoop loop(clock);
    std::vector<std::pair<std::string, long long>> fired;  // name, virtual ms
    auto at = [&](std::string name) {
        return [&, name] {
            fired.emplace_back(name,
                               std::chrono::duration_cast<std::chrono::milliseconds>(clock.Now()).count());
        };
    };
    loop.StartTimer(30ms, at("once"));
    const TimerId tick = loop.StartTimer(20ms, at("tick"), true);
    const TimerId never = loop.StartTimer(10ms, at("never"));
    loop.StopTimer(never);
    EXPECT_EQ(loop.StartTimer(0ms, at("bad"), true), 0u) << "a periodic timer needs a period";

    loop.RunUntilIdle();
    EXPECT_TRUE(fired.empty()) << "no virtual time has passed";
    loop.AdvanceVirtualTime(clock, 70ms);
    EXPECT_EQ(fired, (std::vector<std::pair<std::string, long long>>{
                         {"tick", 20}, {"once", 30}, {"tick", 40}, {"tick", 60}}));
    EXPECT_EQ(clock.Now(), ClockTime(70ms));

    // Advancing by hand fires every missed tick, each once.
    fired.clear();
    clock.Advance(50ms);
    loop.RunUntilIdle();
    EXPECT_EQ(fired.size(), 3u);  // due at 80, 100, 120
    loop.StopTimer(tick);
    clock.Advance(1h);
    fired.clear();
    loop.RunUntilIdle();
    EXPECT_TRUE(fired.empty());
}

TEST(MessageLoop, RunWakesWhenTheVirtualClockMoves) {
    VirtualClock clock;
    MessageLoop loop(clock);
    loop.StartTimer(5s, [&] { loop.Quit(); });
    std::thread mover([&] { clock.Advance(5s); });  // before or while Run waits
    loop.Run();  // would wait for ever in real time if the clock did not wake it
    mover.join();
    EXPECT_TRUE(loop.IsQuitting());
}

TEST(MessageLoop, WatchesAPipe) {
    VirtualClock clock;
    MessageLoop loop(clock);
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    std::string got;
    std::vector<unsigned> events;
    WatchId reader = 0;
    reader = loop.WatchFd(fds[0], kFdReadable, [&](int fd, unsigned e) {
        events.push_back(e);
        char buffer[16];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
        if (n == 0) loop.UnwatchFd(reader);  // the writer has gone
    });
    ASSERT_NE(reader, 0u);
    EXPECT_EQ(loop.RunUntilIdle(), 0u) << "an empty pipe is not readable";

    ASSERT_EQ(::write(fds[1], "hi", 2), 2);
    EXPECT_EQ(loop.RunUntilIdle(), 1u);
    EXPECT_EQ(got, "hi");
    EXPECT_EQ(events, (std::vector<unsigned>{kFdReadable}));

    int writable = 0;
    WatchId writer = 0;
    writer = loop.WatchFd(fds[1], kFdWritable, [&](int, unsigned e) {
        if (e & kFdWritable) ++writable;
        loop.UnwatchFd(writer);
    });
    loop.RunUntilIdle();
    EXPECT_EQ(writable, 1);

    events.clear();
    ::close(fds[1]);
    loop.RunUntilIdle();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0] & kFdError) << "a hang-up is reported";
    ::close(fds[0]);
}

TEST(MessageLoop, AClosedDescriptorIsReportedOnceAndUnwatched) {
    VirtualClock clock;
    MessageLoop loop(clock);
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    ::close(fds[0]);
    ::close(fds[1]);
    int calls = 0;
    loop.WatchFd(fds[0], kFdReadable, [&](int, unsigned e) {
        ++calls;
        EXPECT_EQ(e, kFdError);
    });
    loop.RunUntilIdle();
    loop.RunUntilIdle();
    EXPECT_EQ(calls, 1);
}

TEST(MessageLoop, RunWakesForADescriptorReadyOnAnotherThread) {
    MessageLoop loop;
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    loop.WatchFd(fds[0], kFdReadable, [&](int, unsigned) { loop.Quit(); });
    std::thread writer([&] { ASSERT_EQ(::write(fds[1], "x", 1), 1); });
    loop.Run();
    writer.join();
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(MessageLoop, StaleGenerationsAreDropped) {
    VirtualClock clock;
    MessageLoop loop(clock);
    RunGeneration run;
    std::vector<std::intptr_t> seen;
    const HandlerId h = loop.AddHandler([&](const Message& m) { seen.push_back(m.wparam); });
    const std::uint64_t first = run.Current();
    EXPECT_TRUE(loop.PostForRun(run, first, h, 1138, 1));
    const std::uint64_t second = run.Advance();  // the first run is over: its queued progress is stale
    EXPECT_FALSE(loop.PostForRun(run, first, h, 1138, 2));
    EXPECT_TRUE(loop.PostForRun(run, second, h, 1138, 3));
    loop.RunUntilIdle();
    EXPECT_EQ(seen, (std::vector<std::intptr_t>{3}));
}

TEST(WorkerThread, RunsItsLoopOnItsOwnThreadAndStops) {
    WorkerThread worker("sx-test", 512 * 1024);
    ASSERT_TRUE(worker.Start());
    EXPECT_FALSE(worker.Start()) << "started once only";
    EXPECT_TRUE(worker.IsRunning());
    std::promise<std::thread::id> ran;
    std::atomic<int> count{0};
    worker.Loop().PostTask([&] { ran.set_value(std::this_thread::get_id()); });
    for (int i = 0; i < 100; ++i) worker.Loop().PostTask([&] { ++count; });
    EXPECT_NE(ran.get_future().get(), std::this_thread::get_id());
    worker.Stop();  // runs what was posted before it
    EXPECT_EQ(count.load(), 100);
    EXPECT_FALSE(worker.IsRunning());
    worker.Stop();  // harmless
}

TEST(WorkerThread, ReportsAFailedStart) {
    WorkerThread tiny("sx-tiny", 1);  // below the smallest stack a thread can have
    EXPECT_FALSE(tiny.Start());
    EXPECT_FALSE(tiny.IsRunning());
}

}  // namespace
}  // namespace sonbex::platform
