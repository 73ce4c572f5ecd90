#pragma once
// A ring of equal-capacity blocks between one producer thread and one
// consumer thread, without locks: the producer fills the slot WriteSlot()
// returns and commits it; the consumer reads the slot ReadSlot() returns and
// releases it. Allocated once; no allocation per block.
//
// Threads: Write*/Commit from the producer only, Read*/Release from the
// consumer only; Reset only while neither runs.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class YBlockRing {
public:
    YBlockRing(std::size_t blocks, std::size_t blockBytes);

    // The next free slot (blockBytes long), or null when the ring is full.
    std::uint8_t* WriteSlot();
    void Commit(std::size_t bytes);

    // The oldest committed slot and its length, or null when empty.
    const std::uint8_t* ReadSlot(std::size_t& bytes) const;
    void Release();

    std::size_t Filled() const {
        return tail_.load(std::memory_order_acquire) - head_.load(std::memory_order_acquire);
    }
    std::size_t Blocks() const { return lengths_.size(); }
    std::size_t BlockBytes() const { return blockBytes_; }
    void Reset();

private:
    std::size_t blockBytes_;
    std::vector<std::uint8_t> data_;
    std::vector<std::size_t> lengths_;
    std::atomic<std::size_t> head_{0};  // blocks released
    std::atomic<std::size_t> tail_{0};  // blocks committed
};
