#include "Platform/IClock.h"

#include <time.h>

namespace sonbex::platform {

ClockTime SteadyClock::Now() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

SteadyClock& SteadyClock::Instance() {
    static SteadyClock clock;
    return clock;
}

ClockTime VirtualClock::Now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void VirtualClock::Advance(ClockTime by) {
    std::lock_guard lock(mutex_);
    if (by > ClockTime::zero()) now_ += by;
    Notify();
}

void VirtualClock::SetNow(ClockTime now) {
    std::lock_guard lock(mutex_);
    if (now > now_) now_ = now;
    Notify();
}

VirtualClock::ListenerId VirtualClock::Subscribe(std::function<void()> onAdvance) {
    std::lock_guard lock(mutex_);
    const ListenerId id = nextId_++;
    listeners_.emplace(id, std::move(onAdvance));
    return id;
}

void VirtualClock::Unsubscribe(ListenerId id) {
    std::lock_guard lock(mutex_);
    listeners_.erase(id);
}

// Called with the mutex held, so no listener is called after Unsubscribe returns.
void VirtualClock::Notify() {
    for (const auto& [id, listener] : listeners_) listener();
}

}  // namespace sonbex::platform
