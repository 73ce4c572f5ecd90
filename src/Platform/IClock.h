#pragma once
// The time source of message loops: the real monotonic clock, or a virtual
// clock that a test advances by hand (a loop on a virtual clock never waits in
// real time for a timer).

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace sonbex::platform {

using ClockTime = std::chrono::nanoseconds;  // since the clock's own epoch

class IClock {
public:
    virtual ~IClock() = default;
    virtual ClockTime Now() const = 0;  // safe from any thread
};

// CLOCK_MONOTONIC. Stateless; SteadyClock::Instance() serves everyone.
class SteadyClock : public IClock {
public:
    ClockTime Now() const override;
    static SteadyClock& Instance();
};

// Starts at 0 and moves only when told. Safe from any thread. Message loops on
// this clock subscribe to be woken when it moves.
class VirtualClock : public IClock {
public:
    ClockTime Now() const override;
    void Advance(ClockTime by);  // by >= 0
    void SetNow(ClockTime now);  // never moves backwards

    using ListenerId = std::uint64_t;
    ListenerId Subscribe(std::function<void()> onAdvance);
    void Unsubscribe(ListenerId id);

private:
    void Notify();

    mutable std::mutex mutex_;
    ClockTime now_{0};
    ListenerId nextId_ = 1;
    std::map<ListenerId, std::function<void()>> listeners_;
};

}  // namespace sonbex::platform
