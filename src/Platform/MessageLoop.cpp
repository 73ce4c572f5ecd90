#include "Platform/MessageLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <cerrno>
#include <limits>
#include <vector>

namespace sonbex::platform {

MessageLoop::MessageLoop(IClock& clock) : clock_(clock) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    virtualClock_ = dynamic_cast<VirtualClock*>(&clock);
    if (virtualClock_) clockListener_ = virtualClock_->Subscribe([this] { Wake(); });
}

MessageLoop::~MessageLoop() {
    if (virtualClock_) virtualClock_->Unsubscribe(clockListener_);
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void MessageLoop::Wake() {
    if (wakeFd_ < 0) return;
    const std::uint64_t one = 1;
    // A full counter (EAGAIN) already means "awake".
    while (::write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {}
}

HandlerId MessageLoop::AddHandler(MessageHandler handler) {
    if (!handler) return 0;
    std::lock_guard lock(mutex_);
    const HandlerId id = nextId_++;
    handlers_.emplace(id, std::move(handler));
    return id;
}

void MessageLoop::RemoveHandler(HandlerId id) {
    std::lock_guard lock(mutex_);
    handlers_.erase(id);
}

bool MessageLoop::Post(Message message) {
    {
        std::lock_guard lock(mutex_);
        if (message.target == 0 ? !message.payload : !handlers_.contains(message.target)) return false;
        queue_.push_back(std::move(message));
    }
    Wake();
    return true;
}

bool MessageLoop::Post(HandlerId target, std::uint32_t id, std::intptr_t wparam, std::intptr_t lparam,
                       std::function<void()> payload) {
    return Post(Message{target, id, wparam, lparam, std::move(payload), nullptr, 0});
}

bool MessageLoop::PostForRun(const RunGeneration& run, std::uint64_t generation, HandlerId target,
                             std::uint32_t id, std::intptr_t wparam, std::intptr_t lparam,
                             std::function<void()> payload) {
    if (!run.IsCurrent(generation)) return false;
    return Post(Message{target, id, wparam, lparam, std::move(payload), &run, generation});
}

bool MessageLoop::PostTask(std::function<void()> task) {
    if (!task) return false;
    return Post(Message{0, 0, 0, 0, std::move(task), nullptr, 0});
}

TimerId MessageLoop::StartTimer(ClockTime delay, std::function<void()> callback, bool periodic) {
    if (!callback || (periodic && delay <= ClockTime::zero())) return 0;
    if (delay < ClockTime::zero()) delay = ClockTime::zero();
    TimerId id;
    {
        std::lock_guard lock(mutex_);
        id = nextId_++;
        timers_.emplace(
            id, Timer{clock_.Now() + delay, periodic ? delay : ClockTime::zero(), std::move(callback)});
    }
    Wake();
    return id;
}

void MessageLoop::StopTimer(TimerId id) {
    std::lock_guard lock(mutex_);
    timers_.erase(id);
}

WatchId MessageLoop::WatchFd(int fd, unsigned events, FdCallback callback) {
    events &= kFdReadable | kFdWritable;
    if (fd < 0 || !callback) return 0;
    WatchId id;
    {
        std::lock_guard lock(mutex_);
        id = nextId_++;
        watches_.emplace(id, Watch{fd, events, std::move(callback)});
    }
    Wake();
    return id;
}

void MessageLoop::UnwatchFd(WatchId id) {
    std::lock_guard lock(mutex_);
    watches_.erase(id);
}

void MessageLoop::Quit() {
    quit_ = true;
    Wake();
}

void MessageLoop::Run() {
    while (!quit_) Round(true);
}

std::size_t MessageLoop::RunUntilIdle() {
    std::size_t total = 0;
    while (!quit_) {
        const std::size_t n = Round(false);
        if (n == 0) break;
        total += n;
    }
    return total;
}

std::size_t MessageLoop::AdvanceVirtualTime(VirtualClock& clock, ClockTime span) {
    const ClockTime end = clock.Now() + span;
    std::size_t total = RunUntilIdle();
    for (;;) {
        ClockTime next = end;
        {
            std::lock_guard lock(mutex_);
            for (const auto& [id, timer] : timers_) next = std::min(next, timer.due);
        }
        clock.SetNow(next);
        total += RunUntilIdle();
        if (next >= end || quit_) return total;
    }
}

std::size_t MessageLoop::Round(bool mayWait) {
    std::size_t n = DeliverMessages();
    n += FireDueTimers();
    if (quit_) return n;
    return n + PollDescriptors(mayWait && n == 0);
}

// Delivers the messages queued when it starts; those they post wait for the
// next round, so timers and descriptors are not starved.
std::size_t MessageLoop::DeliverMessages() {
    std::size_t pending;
    {
        std::lock_guard lock(mutex_);
        pending = queue_.size();
    }
    std::size_t delivered = 0;
    for (; pending > 0 && !quit_; --pending) {
        Message message;
        MessageHandler handler;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) break;
            message = std::move(queue_.front());
            queue_.pop_front();
            if (message.target != 0) {
                const auto it = handlers_.find(message.target);
                if (it == handlers_.end()) continue;
                handler = it->second;
            }
        }
        ++delivered;
        if (message.run && !message.run->IsCurrent(message.generation)) continue;
        if (handler)
            handler(message);
        else
            message.payload();
    }
    return delivered;
}

std::size_t MessageLoop::FireDueTimers() {
    std::size_t fired = 0;
    while (!quit_) {
        std::function<void()> callback;
        {
            std::lock_guard lock(mutex_);
            const ClockTime now = clock_.Now();
            auto due = timers_.end();
            for (auto it = timers_.begin(); it != timers_.end(); ++it)
                if (it->second.due <= now && (due == timers_.end() || it->second.due < due->second.due))
                    due = it;
            if (due == timers_.end()) break;
            Timer& timer = due->second;
            if (timer.period > ClockTime::zero()) {
                callback = timer.callback;
                timer.due += timer.period;
                // A real clock that fell far behind skips the missed ticks instead of
                // firing them in a burst; a virtual clock fires every one.
                if (!virtualClock_ && timer.due <= now) timer.due = now + timer.period;
            } else {
                callback = std::move(timer.callback);
                timers_.erase(due);
            }
        }
        callback();
        ++fired;
    }
    return fired;
}

std::size_t MessageLoop::PollDescriptors(bool mayWait) {
    std::vector<pollfd> fds;
    std::vector<WatchId> ids;
    int timeoutMs = 0;
    {
        std::lock_guard lock(mutex_);
        if (mayWait && queue_.empty()) {
            timeoutMs = -1;
            // Timers of a virtual clock become due only when it moves, which wakes us.
            if (!virtualClock_ && !timers_.empty()) {
                ClockTime next = ClockTime::max();
                for (const auto& [id, timer] : timers_) next = std::min(next, timer.due);
                const ClockTime wait = next - clock_.Now();
                const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
                timeoutMs =
                    ms <= 0 ? 0 : static_cast<int>(std::min<long long>(ms, std::numeric_limits<int>::max()));
            }
        }
        fds.push_back(pollfd{wakeFd_, POLLIN, 0});
        for (const auto& [id, watch] : watches_) {
            short events = 0;
            if (watch.events & kFdReadable) events |= POLLIN;
            if (watch.events & kFdWritable) events |= POLLOUT;
            fds.push_back(pollfd{watch.fd, events, 0});
            ids.push_back(id);
        }
    }
    if (quit_) return 0;
    const int ready = ::poll(fds.data(), fds.size(), timeoutMs);
    if (ready <= 0) return 0;
    if (fds[0].revents & POLLIN) {
        std::uint64_t count;
        while (::read(wakeFd_, &count, sizeof count) < 0 && errno == EINTR) {}
    }
    std::size_t called = 0;
    for (std::size_t i = 0; i < ids.size() && !quit_; ++i) {
        const short r = fds[i + 1].revents;
        if (r == 0) continue;
        unsigned events = 0;
        if (r & POLLIN) events |= kFdReadable;
        if (r & POLLOUT) events |= kFdWritable;
        if (r & (POLLERR | POLLHUP | POLLNVAL)) events |= kFdError;
        FdCallback callback;
        {
            std::lock_guard lock(mutex_);
            const auto it = watches_.find(ids[i]);
            if (it == watches_.end()) continue;  // unwatched by an earlier callback
            callback = it->second.callback;
            if (r & POLLNVAL) watches_.erase(it);
        }
        callback(fds[i + 1].fd, events);
        ++called;
    }
    return called;
}

}  // namespace sonbex::platform
