#include "YLib/YFftKernel.h"

#include "YLib/YFftKernelSimd.h"
#include "YLib/YLargeAlloc.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <numbers>
#include <type_traits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

namespace fftkernel {
namespace {

using detail::kLeafOrder;
using detail::StageTwiddle;

// cos and sin of 2π·m/s for 0 <= m <= s/8 (the first octant), rounded to
// double, as (cos, sin) pairs. Each is the long double product of a coarse
// and a fine angle, e^(iπ·(a+b)) = e^(ia)·e^(ib), both taken from cosl/sinl
// in the first octant: every term of the product is non-negative there (or,
// for the cosine, at most half of a result of at least 1/√2), so the product
// is within a few long double units of the exact value and rounds to the
// same double as a direct cosl/sinl almost always (at most one unit apart).
// It needs about 2·√(s/8) calls of cosl and sinl instead of s/8.
// Large tables in huge pages where the system grants them (see YLargeAlloc.h).
struct FreeMemory {
    void operator()(void* p) const { FreeLarge(p); }
};
template <class T>
using Table = std::unique_ptr<T[], FreeMemory>;

template <class T>
Table<T> NewTable(std::size_t n) {
    return Table<T>(static_cast<T*>(AllocateLarge(n * sizeof(T))));
}

Table<double> BuildOctant(int order) {
    const std::size_t s = std::size_t(1) << order;
    const std::size_t eighth = s / 8;
    Table<double> t = NewTable<double>(2 * (eighth + 1));
    if (!t) return t;
    int fineBits = 0;
    while ((std::size_t(1) << (2 * fineBits)) < eighth) ++fineBits;
    const std::size_t fine = std::size_t(1) << fineBits;
    const std::size_t coarse = eighth / fine + 1;
    const long double twoPi = 2.0L * std::numbers::pi_v<long double>;
    const auto angle = [&](std::size_t m) { return twoPi * (long double)m / (long double)s; };
    std::unique_ptr<long double[]> f(new (std::nothrow) long double[2 * fine]);
    std::unique_ptr<long double[]> c(new (std::nothrow) long double[2 * coarse]);
    if (!f || !c) return nullptr;
    for (std::size_t i = 0; i < fine; ++i) f[2 * i] = cosl(angle(i)), f[2 * i + 1] = sinl(angle(i));
    for (std::size_t i = 0; i < coarse; ++i)
        c[2 * i] = cosl(angle(i * fine)), c[2 * i + 1] = sinl(angle(i * fine));
    for (std::size_t m = 0; m <= eighth; ++m) {
        const long double* a = &c[2 * (m >> fineBits)];
        const long double* b = &f[2 * (m & (fine - 1))];
        t[2 * m] = double(a[0] * b[0] - a[1] * b[1]);
        t[2 * m + 1] = double(a[1] * b[0] + a[0] * b[1]);
    }
    return t;
}

// cos and sin of 2π·m/s (s = 2^order, order >= 3, m < s) from the octant table
// of s by the symmetries of the circle, exactly as the angle reduced to the first
// octant gives them.
void UnitCircle(const double* octant, std::size_t m, int order, double& c, double& sn) {
    const std::size_t quarter = std::size_t(1) << (order - 2);
    const std::size_t quadrant = (m >> (order - 2)) & 3, r = m & (quarter - 1);
    const bool reflect = 2 * r > quarter;  // beyond π/4: use the complement
    const double* e = octant + 2 * (reflect ? quarter - r : r);
    double x = e[0], y = e[1];
    if (reflect) std::swap(x, y);
    switch (quadrant) {
        case 0:
            c = x, sn = y;
            break;
        case 1:
            c = -y, sn = x;
            break;
        case 2:
            c = -x, sn = -y;
            break;
        default:
            c = y, sn = -x;
            break;
    }
}

// Per order: the octant table, and the stage tables of double and float.
template <class T>
struct Tables {
    std::array<std::once_flag, kMaxOrder + 1> once;
    std::array<Table<T>, kMaxOrder + 1> table;
};

const double* Octant(int order) {
    static Tables<double> tables;
    std::call_once(tables.once[order], [order] { tables.table[order] = BuildOctant(order); });
    return tables.table[order].get();
}

// The stage table of order 3..kMaxOrder (s = 2^order, w = e^(-i2π/s)): for k
// < max(s/4, 4), in blocks of four k, the four values w^k, then the four w^2k,
// then the four w^3k, as (re, im) pairs: StageTwiddle gives the position.
std::size_t StageTableValues(int order) {
    return 6 * std::max<std::size_t>((std::size_t(1) << order) / 4, 4);
}

Table<double> BuildDoubleTable(int order) {
    const double* octant = Octant(order);
    if (!octant) return nullptr;
    const std::size_t s = std::size_t(1) << order;
    const std::size_t values = StageTableValues(order);
    Table<double> t = NewTable<double>(values);
    if (!t) return t;
    for (std::size_t k = 0; k < values / 6; ++k)
        for (std::size_t j = 1; j <= 3; ++j) {
            double c = 0, sn = 0;
            UnitCircle(octant, (j * k) & (s - 1), order, c, sn);
            double* w = t.get() + StageTwiddle(k, int(j));
            w[0] = c;
            w[1] = -sn;
        }
    return t;
}

template <class T>
const T* Twiddles(int order) {
    static Tables<T> tables;
    std::call_once(tables.once[order], [order] {
        if constexpr (std::is_same_v<T, double>) {
            tables.table[order] = BuildDoubleTable(order);
        } else {
            const double* source = Twiddles<double>(order);
            const std::size_t n = StageTableValues(order);
            if (source) {
                Table<T> t = NewTable<T>(n);
                if (t)
                    for (std::size_t i = 0; i < n; ++i) t[i] = T(source[i]);
                tables.table[order] = std::move(t);
            }
        }
    });
    return tables.table[order].get();
}

template <class T>
struct Cx {
    T re, im;
};

template <class T>
Cx<T> Load(const T* p) {
    return {p[0], p[1]};
}

template <class T>
void Store(T* p, Cx<T> z) {
    p[0] = z.re;
    p[1] = z.im;
}

// z·w, or z·conj(w) for the inverse; w = (wr, wi) as stored.
template <class T, bool Inv>
Cx<T> Twiddle(Cx<T> z, const T* w) {
    const T wr = w[0], wi = Inv ? -w[1] : w[1];
    return {z.re * wr - z.im * wi, z.re * wi + z.im * wr};
}

// The radix-4 butterfly of a, b, c, d (a quarter of the block apart), its
// outputs in the order they are stored: frequencies 0, 2, 1, 3 modulo 4.
template <class T, bool Inv>
std::array<Cx<T>, 4> Butterfly4(Cx<T> a, Cx<T> b, Cx<T> c, Cx<T> d) {
    const Cx<T> t0{a.re + c.re, a.im + c.im}, t1{a.re - c.re, a.im - c.im};
    const Cx<T> t2{b.re + d.re, b.im + d.im}, t3{b.re - d.re, b.im - d.im};
    // t3 rotated by -i (forward) or +i (inverse).
    const Cx<T> u = Inv ? Cx<T>{-t3.im, t3.re} : Cx<T>{t3.im, -t3.re};
    return {{{t0.re + t2.re, t0.im + t2.im},
             {t0.re - t2.re, t0.im - t2.im},
             {t1.re + u.re, t1.im + u.im},
             {t1.re - u.re, t1.im - u.im}}};
}

// One radix-4 decimation-in-frequency stage over a block of s pairs. The
// quarter outputs go to positions 0, 2, 1, 3 so that the whole transform ends
// in plain bit-reversed order.
template <class T, bool Inv>
void Radix4Stage(T* x, std::size_t s, const T* tw) {
    const std::size_t q = s / 4;
    T* x0 = x;
    T* x1 = x + 2 * q;
    T* x2 = x + 4 * q;
    T* x3 = x + 6 * q;
    for (std::size_t k = 0; k < q; ++k) {
        const std::size_t at = 2 * k;
        const auto y = Butterfly4<T, Inv>(Load(x0 + at), Load(x1 + at), Load(x2 + at), Load(x3 + at));
        Store(x0 + at, y[0]);
        Store(x1 + at, Twiddle<T, Inv>(y[1], tw + StageTwiddle(k, 2)));
        Store(x2 + at, Twiddle<T, Inv>(y[2], tw + StageTwiddle(k, 1)));
        Store(x3 + at, Twiddle<T, Inv>(y[3], tw + StageTwiddle(k, 3)));
    }
}

// The last stage when the order is even: radix-4 butterflies without twiddles.
template <class T, bool Inv>
void Last4(T* x, std::size_t n) {
    for (std::size_t b = 0; b < n; b += 4) {
        T* p = x + 2 * b;
        const auto y = Butterfly4<T, Inv>(Load(p), Load(p + 2), Load(p + 4), Load(p + 6));
        for (int j = 0; j < 4; ++j) Store(p + 2 * j, y[j]);
    }
}

#if defined(__SSE2__)
// The same for double with one complex value per SSE2 register; every lane
// computes exactly what the scalar code computes.
template <bool Inv>
struct Sse2 {
    static __m128d Swap(__m128d v) { return _mm_shuffle_pd(v, v, 1); }

    // y·w (y·conj(w) for the inverse) = y·w.re + swap(y)·w.im with the sign of
    // one lane flipped.
    static __m128d Twiddle(__m128d y, const double* w) {
        const __m128d sign = Inv ? _mm_set_pd(-0.0, 0.0) : _mm_set_pd(0.0, -0.0);
        const __m128d wv = _mm_loadu_pd(w);
        const __m128d re = _mm_unpacklo_pd(wv, wv), im = _mm_unpackhi_pd(wv, wv);
        return _mm_add_pd(_mm_mul_pd(y, re), _mm_xor_pd(_mm_mul_pd(Swap(y), im), sign));
    }

    // Butterfly4 on the pairs at p0..p3, leaving its outputs in y0..y3.
    static void Butterfly(const double* p0, const double* p1, const double* p2, const double* p3, __m128d& y0,
                          __m128d& y1, __m128d& y2, __m128d& y3) {
        // t·(-i) = (t.im, -t.re) forward, t·i = (-t.im, t.re) inverse.
        const __m128d rotate = Inv ? _mm_set_pd(0.0, -0.0) : _mm_set_pd(-0.0, 0.0);
        const __m128d a = _mm_loadu_pd(p0), b = _mm_loadu_pd(p1), c = _mm_loadu_pd(p2), d = _mm_loadu_pd(p3);
        const __m128d t0 = _mm_add_pd(a, c), t1 = _mm_sub_pd(a, c);
        const __m128d t2 = _mm_add_pd(b, d), t3 = _mm_sub_pd(b, d);
        const __m128d u = _mm_xor_pd(Swap(t3), rotate);
        y0 = _mm_add_pd(t0, t2);
        y1 = _mm_sub_pd(t0, t2);
        y2 = _mm_add_pd(t1, u);
        y3 = _mm_sub_pd(t1, u);
    }

    static void Stage(double* x, std::size_t s, const double* tw) {
        const std::size_t q = s / 4;
        double* x0 = x;
        double* x1 = x + 2 * q;
        double* x2 = x + 4 * q;
        double* x3 = x + 6 * q;
        for (std::size_t k = 0; k < q; ++k) {
            const std::size_t at = 2 * k;
            __m128d y0, y1, y2, y3;
            Butterfly(x0 + at, x1 + at, x2 + at, x3 + at, y0, y1, y2, y3);
            const double* w = tw + StageTwiddle(k, 1);  // w^2k 8 and w^3k 16 values on
            _mm_storeu_pd(x0 + at, y0);
            _mm_storeu_pd(x1 + at, Twiddle(y1, w + 8));
            _mm_storeu_pd(x2 + at, Twiddle(y2, w));
            _mm_storeu_pd(x3 + at, Twiddle(y3, w + 16));
        }
    }

    static void Last4(double* x, std::size_t n) {
        for (std::size_t b = 0; b < n; b += 4) {
            double* p = x + 2 * b;
            __m128d y0, y1, y2, y3;
            Butterfly(p, p + 2, p + 4, p + 6, y0, y1, y2, y3);
            _mm_storeu_pd(p, y0);
            _mm_storeu_pd(p + 2, y1);
            _mm_storeu_pd(p + 4, y2);
            _mm_storeu_pd(p + 6, y3);
        }
    }
};

// The stage for float, two neighbouring k (two complex values) per register.
template <bool Inv>
void Radix4StageSse2Float(float* x, std::size_t s, const float* tw) {
    const std::size_t q = s / 4;  // even: stages have at least 8 points
    float* x0 = x;
    float* x1 = x + 2 * q;
    float* x2 = x + 4 * q;
    float* x3 = x + 6 * q;
    const __m128 rotate = Inv ? _mm_setr_ps(-0.f, 0.f, -0.f, 0.f) : _mm_setr_ps(0.f, -0.f, 0.f, -0.f);
    const __m128 sign = Inv ? _mm_setr_ps(0.f, -0.f, 0.f, -0.f) : _mm_setr_ps(-0.f, 0.f, -0.f, 0.f);
    const auto swap = [](__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1)); };
    // w holds the twiddles of k and k + 1 side by side.
    const auto times = [&](__m128 y, const float* wp) {
        const __m128 w = _mm_loadu_ps(wp);
        const __m128 re = _mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 0, 0));
        const __m128 im = _mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 1, 1));
        return _mm_add_ps(_mm_mul_ps(y, re), _mm_xor_ps(_mm_mul_ps(swap(y), im), sign));
    };
    for (std::size_t k = 0; k < q; k += 2) {
        const std::size_t at = 2 * k;
        const __m128 a = _mm_loadu_ps(x0 + at), b = _mm_loadu_ps(x1 + at);
        const __m128 c = _mm_loadu_ps(x2 + at), d = _mm_loadu_ps(x3 + at);
        const __m128 t0 = _mm_add_ps(a, c), t1 = _mm_sub_ps(a, c);
        const __m128 t2 = _mm_add_ps(b, d), t3 = _mm_sub_ps(b, d);
        const __m128 u = _mm_xor_ps(swap(t3), rotate);
        const float* w = tw + StageTwiddle(k, 1);
        _mm_storeu_ps(x0 + at, _mm_add_ps(t0, t2));
        _mm_storeu_ps(x1 + at, times(_mm_sub_ps(t0, t2), w + 8));
        _mm_storeu_ps(x2 + at, times(_mm_add_ps(t1, u), w));
        _mm_storeu_ps(x3 + at, times(_mm_sub_ps(t1, u), w + 16));
    }
}

template <>
void Radix4Stage<float, false>(float* x, std::size_t s, const float* tw) {
    Radix4StageSse2Float<false>(x, s, tw);
}
template <>
void Radix4Stage<float, true>(float* x, std::size_t s, const float* tw) {
    Radix4StageSse2Float<true>(x, s, tw);
}
template <>
void Radix4Stage<double, false>(double* x, std::size_t s, const double* tw) {
    Sse2<false>::Stage(x, s, tw);
}
template <>
void Radix4Stage<double, true>(double* x, std::size_t s, const double* tw) {
    Sse2<true>::Stage(x, s, tw);
}
template <>
void Last4<double, false>(double* x, std::size_t n) {
    Sse2<false>::Last4(x, n);
}
template <>
void Last4<double, true>(double* x, std::size_t n) {
    Sse2<true>::Last4(x, n);
}
#endif

// The last stage when the order is odd: radix-2 butterflies.
template <class T>
void Last2(T* x, std::size_t n) {
    for (std::size_t b = 0; b < n; b += 2) {
        T* p = x + 2 * b;
        const T ar = p[0], ai = p[1], br = p[2], bi = p[3];
        p[0] = ar + br;
        p[1] = ai + bi;
        p[2] = ar - br;
        p[3] = ai - bi;
    }
}

template <class T, bool Inv>
void Dif(T* x, int order, const std::array<const T*, kMaxOrder + 1>& tw) {
    const std::size_t n = std::size_t(1) << order;
    if (order > kLeafOrder) {
        Radix4Stage<T, Inv>(x, n, tw[order]);
        const std::size_t q = n / 4;
        for (std::size_t j = 0; j < 4; ++j) Dif<T, Inv>(x + 2 * j * q, order - 2, tw);
        return;
    }
    int l = order;
    for (; l >= 3; l -= 2) {
        const std::size_t s = std::size_t(1) << l;
        for (std::size_t b = 0; b < n; b += s) Radix4Stage<T, Inv>(x + 2 * b, s, tw[l]);
    }
    if (l == 2)
        Last4<T, Inv>(x, n);
    else
        Last2(x, n);
}

std::uint32_t ReverseBits(std::uint32_t v, int bits) {
    v = ((v >> 1) & 0x55555555u) | ((v & 0x55555555u) << 1);
    v = ((v >> 2) & 0x33333333u) | ((v & 0x33333333u) << 2);
    v = ((v >> 4) & 0x0F0F0F0Fu) | ((v & 0x0F0F0F0Fu) << 4);
    v = ((v >> 8) & 0x00FF00FFu) | ((v & 0x00FF00FFu) << 8);
    v = (v >> 16) | (v << 16);
    return bits == 0 ? 0 : v >> (32 - bits);
}

template <class T>
void SwapPairs(T* x, std::size_t i, std::size_t j) {
    // Whole pairs at once (one 16-byte move each for double).
    T a[2], b[2];
    std::memcpy(a, x + 2 * i, sizeof a);
    std::memcpy(b, x + 2 * j, sizeof b);
    std::memcpy(x + 2 * i, b, sizeof b);
    std::memcpy(x + 2 * j, a, sizeof a);
}

// Bit-reversal permutation. Arrays of 2^8 pairs and more are split as (high,
// middle, low) index bits with high and low of kBlockBits each: the block of a
// middle value (its 2^kBlockBits rows of 2^kBlockBits pairs, a large power of
// two apart) trades places with the transposed block of the reversed middle
// value. Both blocks are copied out whole row by row first and written back
// row by row, so every cache line is read and written in one go: the rows
// share cache sets, and touching them a pair at a time would evict them
// again and again.
template <class T>
void BitReverse(T* x, int order) {
    constexpr int kBlockBits = 4;
    constexpr std::size_t kSide = std::size_t(1) << kBlockBits;
    if (order < 2 * kBlockBits) {
        const std::size_t n = std::size_t(1) << order;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = ReverseBits(std::uint32_t(i), order);
            if (i < j) SwapPairs(x, i, j);
        }
        return;
    }
    std::array<std::size_t, kSide> rev{};
    for (std::size_t i = 0; i < kSide; ++i) rev[i] = ReverseBits(std::uint32_t(i), kBlockBits);
    const int midBits = order - 2 * kBlockBits;
    const int highShift = order - kBlockBits;
    const std::size_t mids = std::size_t(1) << midBits;
    constexpr std::size_t kRowBytes = kSide * 2 * sizeof(T);
    alignas(64) T a[kSide][2 * kSide], b[kSide][2 * kSide];
    const auto row = [&](std::size_t hi, std::size_t m) {
        return x + 2 * ((hi << highShift) | (m << kBlockBits));
    };
    // Row r of block `to` receives column rev[r] of the rows rev[0..] of `from`.
    const auto put = [&](const T(*from)[2 * kSide], std::size_t to) {
        for (std::size_t r = 0; r < kSide; ++r) {
            T* out = row(r, to);
            const std::size_t lo = rev[r];
            for (std::size_t c = 0; c < kSide; ++c)
                std::memcpy(out + 2 * c, &from[rev[c]][2 * lo], 2 * sizeof(T));
        }
    };
    for (std::size_t m = 0; m < mids; ++m) {
        const std::size_t rm = midBits == 0 ? 0 : ReverseBits(std::uint32_t(m), midBits);
        if (rm < m) continue;
        for (std::size_t hi = 0; hi < kSide; ++hi) std::memcpy(a[hi], row(hi, m), kRowBytes);
        if (rm != m) {
            for (std::size_t hi = 0; hi < kSide; ++hi) std::memcpy(b[hi], row(hi, rm), kRowBytes);
            put(b, m);
        }
        put(a, rm);
    }
}

template <class T>
bool TablesFor(int order, std::array<const T*, kMaxOrder + 1>& tw) {
    tw.fill(nullptr);
    for (int l = order; l >= 3; l -= 2)
        if (!(tw[l] = Twiddles<T>(l))) return false;
    return true;
}

}  // namespace

int OrderOf(long long n) {
    if (n < 4 || n > (1LL << kMaxOrder) || (n & (n - 1)) != 0) return -1;
    int order = 0;
    while ((1LL << order) < n) ++order;
    return order;
}

namespace {

std::atomic<Isa> activeIsa{BestIsa()};

}  // namespace

Isa BestIsa() {
#if defined(SONBEX_FFT_AVX2)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return Isa::Avx2Fma;
#endif
    return Isa::Sse2;
}

Isa ActiveIsa() { return activeIsa.load(std::memory_order_relaxed); }

bool UseIsa(Isa isa) {
    if (isa == Isa::Avx2Fma && BestIsa() != Isa::Avx2Fma) return false;
    activeIsa.store(isa, std::memory_order_relaxed);
    return true;
}

template <class T>
bool Transform(T* data, int order, bool inverse) {
    if (order < 2 || order > kMaxOrder) return false;
    std::array<const T*, kMaxOrder + 1> tw;
    if (!TablesFor(order, tw)) return false;
    bool done = false;
#if defined(SONBEX_FFT_AVX2)
    if (ActiveIsa() == Isa::Avx2Fma) {
        detail::DifAvx2(data, order, tw.data(), inverse);
        done = true;
    }
#endif
    if (!done) {
        if (inverse)
            Dif<T, true>(data, order, tw);
        else
            Dif<T, false>(data, order, tw);
    }
    BitReverse(data, order);
    if (inverse) {
        const T scale = T(1) / T(std::size_t(1) << order);
        const std::size_t values = std::size_t(2) << order;
        for (std::size_t i = 0; i < values; ++i) data[i] *= scale;
    }
    return true;
}

template bool Transform<double>(double*, int, bool);
template bool Transform<float>(float*, int, bool);

namespace {

template <class T>
bool RealHalf(T* data, int order) {
    if (order < 3 || order > kMaxOrder) return false;
    const std::size_t n = std::size_t(1) << order;
    const std::size_t m = n / 2;
    const double* octant = Octant(order);  // e^(i2πk/N) for k <= N/8
    if (!octant || !Transform(data, order - 1, false)) return false;
    // Z = FFT of z[j] = x[2j] + i·x[2j+1]; with Fe = (Z[k] + conj Z[m-k])/2 and
    // Fo = -i/2·(Z[k] - conj Z[m-k]): X[k] = Fe + w^k·Fo, X[m-k] = conj(Fe - w^k·Fo)
    // with w^k = e^(-i2πk/N).
    T* x = data;
    const T z0r = x[0], z0i = x[1];
    x[0] = z0r + z0i;
    x[1] = T(0);
    x[2 * m] = z0r - z0i;
    x[2 * m + 1] = T(0);
    const std::size_t eighth = n / 8;
    for (std::size_t k = 1; k <= m / 2; ++k) {
        const std::size_t mk = m - k;
        const T ar = x[2 * k], ai = x[2 * k + 1], br = x[2 * mk], bi = x[2 * mk + 1];
        const T fer = T(0.5) * (ar + br), fei = T(0.5) * (ai - bi);
        const T dr = ar - br, di = ai + bi;  // Z[k] - conj Z[m-k]
        const T for_ = T(0.5) * di, foi = T(-0.5) * dr;
        // Beyond π/4 the cosine and sine of the complement, swapped; k = N/4
        // gives w = -i.
        const T wr = T(k <= eighth ? octant[2 * k] : octant[2 * (m / 2 - k) + 1]);
        const T wi = T(-(k <= eighth ? octant[2 * k + 1] : octant[2 * (m / 2 - k)]));
        const T tr = wr * for_ - wi * foi, ti = wr * foi + wi * for_;
        x[2 * k] = fer + tr;
        x[2 * k + 1] = fei + ti;
        x[2 * mk] = fer - tr;
        x[2 * mk + 1] = -(fei - ti);
    }
    return true;
}

}  // namespace

bool PrepareReal(int order) {
    if (order < 3 || order > kMaxOrder) return false;
    std::array<const double*, kMaxOrder + 1> tw;
    return Octant(order) && TablesFor(order - 1, tw);
}

bool TransformRealHalf(double* data, int order) { return RealHalf(data, order); }
bool TransformRealHalf(float* data, int order) { return RealHalf(data, order); }

bool TransformReal(double* data, int order) {
    if (!TransformRealHalf(data, order)) return false;
    // The upper half is the mirror image.
    const std::size_t n = std::size_t(1) << order;
    for (std::size_t k = 1; k < n / 2; ++k) {
        data[2 * (n - k)] = data[2 * k];
        data[2 * (n - k) + 1] = -data[2 * k + 1];
    }
    return true;
}

}  // namespace fftkernel
