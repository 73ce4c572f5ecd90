#pragma once
// A thread's message loop: posted messages, timers and file-descriptor watches,
// all delivered on the thread that runs the loop.
//
// Threads: Post*, Quit, the timer and watch functions and Add/RemoveHandler may
// be called from any thread. Run and RunUntilIdle are called by one thread,
// the loop's thread; every handler, task, timer and watch callback runs there,
// one at a time. A handler removed on the loop's thread is never called again;
// removed from another thread, a call already under way may still finish.
// Messages are delivered in the order they were posted; a message for a handler
// that no longer exists is dropped.

#include "Platform/IClock.h"
#include "Platform/RunGeneration.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace sonbex::platform {

using HandlerId = std::uint64_t;  // 0 is no handler
using TimerId = std::uint64_t;    // 0 is no timer
using WatchId = std::uint64_t;    // 0 is no watch

struct Message {
    HandlerId target = 0;  // 0: no handler, only the payload runs
    std::uint32_t id = 0;
    std::intptr_t wparam = 0;
    std::intptr_t lparam = 0;
    std::function<void()> payload;  // optional; the handler decides when it runs
    // When set, the message is dropped unless `generation` is still current at
    // delivery. The RunGeneration must outlive the message.
    const RunGeneration* run = nullptr;
    std::uint64_t generation = 0;
};

using MessageHandler = std::function<void(const Message&)>;

// Readiness of a watched descriptor.
enum FdEvents : unsigned { kFdReadable = 1, kFdWritable = 2, kFdError = 4 };
using FdCallback = std::function<void(int fd, unsigned events)>;

class MessageLoop {
public:
    // `clock` (default the real monotonic clock) must outlive the loop.
    explicit MessageLoop(IClock& clock = SteadyClock::Instance());
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    HandlerId AddHandler(MessageHandler handler);
    void RemoveHandler(HandlerId id);

    // False (nothing queued) when the target is not a handler of this loop, or a
    // message without target has no payload.
    bool Post(Message message);
    bool Post(HandlerId target, std::uint32_t id, std::intptr_t wparam = 0, std::intptr_t lparam = 0,
              std::function<void()> payload = {});
    // Posts a message that is delivered only if `generation` of `run` is still
    // current then (also false when it is already stale).
    bool PostForRun(const RunGeneration& run, std::uint64_t generation, HandlerId target, std::uint32_t id,
                    std::intptr_t wparam = 0, std::intptr_t lparam = 0, std::function<void()> payload = {});
    // Runs `task` on the loop's thread, in order with the messages.
    bool PostTask(std::function<void()> task);

    // Calls `callback` after `delay` (then every `delay` when periodic; a
    // periodic timer needs delay > 0). Returns 0 when refused.
    TimerId StartTimer(ClockTime delay, std::function<void()> callback, bool periodic = false);
    void StopTimer(TimerId id);

    // Calls `callback` whenever `fd` is ready for any of `events` (kFdReadable,
    // kFdWritable); errors and hang-ups are reported as kFdError. A descriptor
    // found closed (POLLNVAL) is reported once with kFdError and unwatched.
    // The caller keeps ownership of `fd` and unwatches before closing it.
    WatchId WatchFd(int fd, unsigned events, FdCallback callback);
    void UnwatchFd(WatchId id);

    // Delivers until Quit(). Waits in poll() when there is nothing to do.
    void Run();
    // Delivers everything that is ready now (messages, due timers, ready
    // descriptors, and what they post in turn) without waiting; returns the
    // number of deliveries. A descriptor that stays ready keeps it going.
    std::size_t RunUntilIdle();
    // For a loop on a VirtualClock: moves the clock forward by `span` in steps,
    // stopping at each timer's due time so timers see Now() as their due time,
    // and delivers everything at each step.
    std::size_t AdvanceVirtualTime(VirtualClock& clock, ClockTime span);

    // Makes Run() return after the current delivery. Sticky: a later Run()
    // returns at once. Messages still queued stay queued.
    void Quit();
    bool IsQuitting() const { return quit_.load(); }

    IClock& Clock() const { return clock_; }

private:
    struct Timer {
        ClockTime due;
        ClockTime period;  // 0: one-shot
        std::function<void()> callback;
    };
    struct Watch {
        int fd;
        unsigned events;
        FdCallback callback;
    };

    std::size_t Round(bool mayWait);
    std::size_t DeliverMessages();
    std::size_t FireDueTimers();
    std::size_t PollDescriptors(bool mayWait);
    void Wake();

    IClock& clock_;
    VirtualClock* virtualClock_ = nullptr;
    VirtualClock::ListenerId clockListener_ = 0;
    int wakeFd_ = -1;
    std::atomic<bool> quit_{false};

    mutable std::mutex mutex_;
    std::deque<Message> queue_;
    std::map<HandlerId, MessageHandler> handlers_;
    std::map<TimerId, Timer> timers_;
    std::map<WatchId, Watch> watches_;
    std::uint64_t nextId_ = 1;
};

}  // namespace sonbex::platform
