#pragma once
// Memory for large numeric buffers: spectra of long recordings and the
// transform's twiddle tables. Blocks of 2 MiB and more are aligned to and
// advised as huge pages, so that filling them the first time costs a few page
// faults instead of one per 4 KiB (which on a virtual machine can cost more
// than the transform that fills them). Smaller blocks come from malloc.
//
// Threading: as malloc.

#include <cstddef>
#include <new>

// nullptr when the memory cannot be had. Free with FreeLarge.
void* AllocateLarge(std::size_t bytes) noexcept;
void FreeLarge(void* p) noexcept;

// For std::vector and its kind; throws std::bad_alloc like std::allocator.
template <class T>
struct YLargeAllocator {
    using value_type = T;
    YLargeAllocator() = default;
    template <class U>
    YLargeAllocator(const YLargeAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
        void* p = AllocateLarge(n * sizeof(T));
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) noexcept { FreeLarge(p); }
    template <class U>
    bool operator==(const YLargeAllocator<U>&) const noexcept {
        return true;
    }
};
