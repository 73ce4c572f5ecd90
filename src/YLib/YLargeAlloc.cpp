#include "YLib/YLargeAlloc.h"

#include <cstdlib>

#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

}  // namespace

void* AllocateLarge(std::size_t bytes) noexcept {
    if (bytes < kHugePage) return std::malloc(bytes == 0 ? 1 : bytes);
    void* p = nullptr;
    if (posix_memalign(&p, kHugePage, bytes) != 0) return nullptr;
    // Only the whole huge pages, so that a block just beyond a multiple of
    // 2 MiB does not occupy another one; only a hint: where the system
    // refuses, the pages are small.
    madvise(p, bytes / kHugePage * kHugePage, MADV_HUGEPAGE);
    return p;
}

void FreeLarge(void* p) noexcept { std::free(p); }
