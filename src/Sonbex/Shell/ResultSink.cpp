#include "Sonbex/Shell/ResultSink.h"

namespace sonbex::shell {

bool CollectingResultSink::Deliver(const ResultDelivery& delivery) {
    std::lock_guard lock(mutex_);
    const int kind = WindowKindFor(delivery.kind);
    int top = -1;
    for (int i = static_cast<int>(windows_.size()) - 1; i >= 0 && top < 0; --i)
        if (windows_[static_cast<std::size_t>(i)].kind == kind) top = i;
    const Route route = RouteResult(delivery.kind, delivery.routingFlags, top >= 0);
    Entry entry{delivery, route, -1};
    switch (route.action) {
        case RouteAction::Drop:
            break;
        case RouteAction::NewWindow:
            windows_.push_back({kind, {}, {}});
            top = static_cast<int>(windows_.size()) - 1;
            [[fallthrough]];
        case RouteAction::Append: {
            Window& w = windows_[static_cast<std::size_t>(top)];
            w.titles.push_back(delivery.title);
            w.data.push_back(delivery.data);
            entry.window = top;
            break;
        }
        case RouteAction::Replace: {
            Window& w = windows_[static_cast<std::size_t>(top)];
            w.titles.assign(1, delivery.title);
            w.data.assign(1, delivery.data);
            entry.window = top;
            break;
        }
    }
    entries_.push_back(std::move(entry));
    return route.action != RouteAction::Drop;
}

std::vector<CollectingResultSink::Entry> CollectingResultSink::Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<CollectingResultSink::Window> CollectingResultSink::Windows() const {
    std::lock_guard lock(mutex_);
    return windows_;
}

}  // namespace sonbex::shell
