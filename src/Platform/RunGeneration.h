#pragma once
// The generation of a run: it moves on when a run starts or stops, so messages
// posted for an earlier run can be recognised as stale and dropped.
// Safe from any thread.

#include <atomic>
#include <cstdint>

namespace sonbex::platform {

class RunGeneration {
public:
    std::uint64_t Current() const { return value_.load(std::memory_order_acquire); }
    // Makes every message posted for an earlier generation stale; returns the new one.
    std::uint64_t Advance() { return value_.fetch_add(1, std::memory_order_acq_rel) + 1; }
    bool IsCurrent(std::uint64_t generation) const { return generation == Current(); }

private:
    std::atomic<std::uint64_t> value_{1};
};

}  // namespace sonbex::platform
