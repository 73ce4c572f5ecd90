#include "YLib/YBoundsError.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <utility>

namespace {

void WriteToStderr(std::string_view caption, std::string_view message) {
    std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(message.size()),
                 message.data());
}

// The sink is swapped whole under a mutex and called outside it, so a report
// racing with SetBoundsErrorSink calls either the old or the new sink.
struct SinkSlot {
    std::mutex mutex;
    std::shared_ptr<const BoundsErrorSink> sink;
};

SinkSlot& Slot() {
    static SinkSlot slot;
    return slot;
}

}  // namespace

BoundsErrorSink SetBoundsErrorSink(BoundsErrorSink sink) {
    auto next = sink ? std::make_shared<const BoundsErrorSink>(std::move(sink)) : nullptr;
    SinkSlot& slot = Slot();
    std::shared_ptr<const BoundsErrorSink> previous;
    {
        std::lock_guard lock(slot.mutex);
        previous = std::exchange(slot.sink, std::move(next));
    }
    return previous ? *previous : BoundsErrorSink();
}

void ReportBoundsError(std::string_view caption) {
    SinkSlot& slot = Slot();
    std::shared_ptr<const BoundsErrorSink> sink;
    {
        std::lock_guard lock(slot.mutex);
        sink = slot.sink;
    }
    if (sink)
        (*sink)(caption, kBoundsErrorText);
    else
        WriteToStderr(caption, kBoundsErrorText);
}
