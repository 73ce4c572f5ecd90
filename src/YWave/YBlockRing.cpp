#include "YWave/YBlockRing.h"

YBlockRing::YBlockRing(std::size_t blocks, std::size_t blockBytes)
    : blockBytes_(blockBytes), data_(blocks * blockBytes), lengths_(blocks, 0) {}

std::uint8_t* YBlockRing::WriteSlot() {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) >= lengths_.size()) return nullptr;
    return data_.data() + (tail % lengths_.size()) * blockBytes_;
}

void YBlockRing::Commit(std::size_t bytes) {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    lengths_[tail % lengths_.size()] = bytes;
    tail_.store(tail + 1, std::memory_order_release);
}

const std::uint8_t* YBlockRing::ReadSlot(std::size_t& bytes) const {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    if (tail_.load(std::memory_order_acquire) == head) return nullptr;
    const std::size_t slot = head % lengths_.size();
    bytes = lengths_[slot];
    return data_.data() + slot * blockBytes_;
}

void YBlockRing::Release() {
    head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

void YBlockRing::Reset() {
    head_.store(0);
    tail_.store(0);
}
