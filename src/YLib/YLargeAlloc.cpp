#include "YLib/YLargeAlloc.h"

#include <cstdlib>

#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

}  // namespace

void* AllocateLarge(std::size_t bytes) noexcept {
    if (bytes < kHugePage) return std::malloc(bytes == 0 ? 1 : bytes);
    if (bytes > std::size_t(-1) - kHugePage) return nullptr;
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, rounded);
    // Only a hint: where the system refuses, the pages are small.
    if (p) madvise(p, rounded, MADV_HUGEPAGE);
    return p;
}

void FreeLarge(void* p) noexcept { std::free(p); }
