#pragma once
// Storage shared by the vector classes: an owned array that always holds at
// least one element, the count of valid elements and the capacity floor set by
// Reserve. Not used directly; see YDoubleVec and YComplexVec. The elements
// are plain values (trivially copyable and destructible); large arrays come
// from AllocateLarge, in huge pages where the system grants them.
//
// Threading: a vector is a plain value. Const operations may run on one vector
// from several threads at once; anything that changes it needs the caller's
// exclusive access.

#include "YLib/YBoundsError.h"
#include "YLib/YLargeAlloc.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

template <class T>
class YVecStorage {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

public:
    using value_type = T;

    int Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    int Reserved() const { return reserved_; }
    T* Data() { return data_.get(); }
    const T* Data() const { return data_.get(); }
    T* begin() { return data_.get(); }
    T* end() { return data_.get() + size_; }
    const T* begin() const { return data_.get(); }
    const T* end() const { return data_.get() + size_; }

    // Element i. An index outside 0..Size()-1 reports "Out of bounds error ! "
    // and yields a scratch element of this thread (zeroed on every such access),
    // never memory outside the vector.
    T& operator[](int i) {
        if (i >= 0 && i < size_) return data_[i];
        return OutOfBounds();
    }
    const T& operator[](int i) const {
        if (i >= 0 && i < size_) return data_[i];
        return OutOfBounds();
    }

    // n <= 0 empties the vector and keeps the storage. Below Reserved() the
    // storage is reused; otherwise exactly n elements are allocated and the old
    // ones copied. With zeroFill new elements are 0, else their value is
    // unspecified. False (vector unchanged) when the allocation fails.
    bool Resize(int n, bool zeroFill = true) {
        if (n <= 0) {
            size_ = 0;
            return true;
        }
        if (n == size_) return true;
        if (reserved_ > n && n <= capacity_) {
            if (n > size_ && zeroFill) std::fill(data_.get() + size_, data_.get() + n, T());
            size_ = n;
            return true;
        }
        return Reallocate(n, zeroFill);
    }

    // Makes later resizes below n reuse the storage. False, nothing changed,
    // when the storage cannot be allocated.
    bool Reserve(int n) {
        if (n == reserved_) return true;
        if (n > size_) {
            const int kept = size_;
            if (n > capacity_ && !Reallocate(n, true)) return false;
            size_ = kept;
            reserved_ = n;
        } else {
            reserved_ = size_;
        }
        return true;
    }

protected:
    explicit YVecStorage(int n, std::string_view caption)
        : data_(Allocate(std::max(n, 1), true)),
          size_(std::max(n, 0)),
          capacity_(std::max(n, 1)),
          caption_(caption) {}
    YVecStorage(const YVecStorage& other)
        : data_(Allocate(std::max(other.size_, 1), false)),
          size_(other.size_),
          capacity_(std::max(other.size_, 1)),
          caption_(other.caption_) {
        std::copy(other.begin(), other.end(), data_.get());
    }
    YVecStorage(YVecStorage&& other) : YVecStorage(0, other.caption_) { Swap(other); }
    ~YVecStorage() = default;

    // Copies all elements of other; on an allocation failure the vector is
    // emptied and false returned.
    bool Assign(const YVecStorage& other, bool zeroFill) {
        if (this == &other) return true;
        if (!Resize(other.size_, zeroFill)) {
            size_ = 0;
            return false;
        }
        std::copy(other.begin(), other.end(), data_.get());
        return true;
    }
    void Swap(YVecStorage& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(reserved_, other.reserved_);
        std::swap(capacity_, other.capacity_);
    }

    // Clamps an inclusive range (first, last) into the vector: a negative last
    // means the end. An empty vector gives the range 0..0 over its one stored
    // element.
    std::pair<int, int> NormalizeRange(int first, int last) const {
        const int top = std::max(size_ - 1, 0);
        first = std::clamp(first, 0, top);
        if (last < 0 || last > top) last = top;
        return {first, last};
    }

private:
    struct Free {
        void operator()(T* p) const { FreeLarge(p); }
    };
    using Array = std::unique_ptr<T[], Free>;

    // n elements, value-initialised when zeroFill; nullptr when the memory
    // cannot be had.
    static T* TryAllocate(int n, bool zeroFill) {
        void* p = AllocateLarge(std::size_t(n) * sizeof(T));
        if (!p) return nullptr;
        T* t = static_cast<T*>(p);
        if (zeroFill)
            std::uninitialized_value_construct_n(t, n);
        else
            std::uninitialized_default_construct_n(t, n);
        return t;
    }
    // The same for the constructors, which throw like new.
    static T* Allocate(int n, bool zeroFill) {
        T* t = TryAllocate(n, zeroFill);
        if (!t) throw std::bad_alloc();
        return t;
    }

    bool Reallocate(int n, bool zeroFill) {
        Array fresh(TryAllocate(n, false));
        if (!fresh) return false;
        const int kept = std::min(size_, n);
        std::copy(data_.get(), data_.get() + kept, fresh.get());
        if (zeroFill) std::fill(fresh.get() + kept, fresh.get() + n, T());
        data_ = std::move(fresh);
        size_ = n;
        capacity_ = n;
        return true;
    }

    T& OutOfBounds() const {
        ReportBoundsError(caption_);
        static thread_local T scratch;
        scratch = T();
        return scratch;
    }

    Array data_;
    int size_ = 0;
    int reserved_ = 1;
    int capacity_ = 1;  // elements allocated; never below reserved_ once Reserve succeeded
    std::string_view caption_;
};
