// The radix-4 stages of YFftKernel with AVX2 and FMA: two complex doubles or
// four complex floats per register. This file alone is compiled for those
// instructions; it uses nothing from the standard library, so no inline
// function compiled here can stand in for one of the plain build, and its
// functions run only after the processor has been asked (see BestIsa).

#include "YLib/YFftKernelSimd.h"

#include <immintrin.h>

namespace fftkernel::detail {
namespace {

// ---------------------------------------------------------------- double

// y·w (y·conj(w) for the inverse) for two pairs, w two (re, im) pairs.
template <bool Inv>
inline __m256d TwiddleD(__m256d y, const double* w) {
    const __m256d wv = _mm256_loadu_pd(w);
    const __m256d re = _mm256_movedup_pd(wv), im = _mm256_permute_pd(wv, 0xF);
    const __m256d cross = _mm256_mul_pd(_mm256_permute_pd(y, 0x5), im);
    return Inv ? _mm256_fmsubadd_pd(y, re, cross) : _mm256_fmaddsub_pd(y, re, cross);
}

// t·(-i) = (t.im, -t.re) forward, t·i = (-t.im, t.re) inverse, for each pair.
template <bool Inv>
inline __m256d RotateD(__m256d t) {
    const __m256d sign = Inv ? _mm256_setr_pd(-0.0, 0.0, -0.0, 0.0) : _mm256_setr_pd(0.0, -0.0, 0.0, -0.0);
    return _mm256_xor_pd(_mm256_permute_pd(t, 0x5), sign);
}

template <bool Inv>
void StageD(double* x, std::size_t s, const double* tw) {
    const std::size_t q = s / 4;  // even: stages have at least 8 points
    double* x0 = x;
    double* x1 = x + 2 * q;
    double* x2 = x + 4 * q;
    double* x3 = x + 6 * q;
    for (std::size_t k = 0; k < q; k += 2) {
        const std::size_t at = 2 * k;
        const __m256d a = _mm256_loadu_pd(x0 + at), b = _mm256_loadu_pd(x1 + at);
        const __m256d c = _mm256_loadu_pd(x2 + at), d = _mm256_loadu_pd(x3 + at);
        const __m256d t0 = _mm256_add_pd(a, c), t1 = _mm256_sub_pd(a, c);
        const __m256d t2 = _mm256_add_pd(b, d), t3 = _mm256_sub_pd(b, d);
        const __m256d u = RotateD<Inv>(t3);
        const double* w = tw + StageTwiddle(k, 1);  // w^2k 8 and w^3k 16 values on
        _mm256_storeu_pd(x0 + at, _mm256_add_pd(t0, t2));
        _mm256_storeu_pd(x1 + at, TwiddleD<Inv>(_mm256_sub_pd(t0, t2), w + 8));
        _mm256_storeu_pd(x2 + at, TwiddleD<Inv>(_mm256_add_pd(t1, u), w));
        _mm256_storeu_pd(x3 + at, TwiddleD<Inv>(_mm256_sub_pd(t1, u), w + 16));
    }
}

// Radix-4 butterflies without twiddles over groups of four neighbouring pairs
// (a, b, c, d), outputs in the order 0, 2, 1, 3.
template <bool Inv>
void Last4D(double* x, std::size_t n) {
    for (std::size_t g = 0; g < n; g += 4) {
        double* p = x + 2 * g;
        const __m256d ab = _mm256_loadu_pd(p), cd = _mm256_loadu_pd(p + 4);
        const __m256d sum = _mm256_add_pd(ab, cd);                      // t0, t2
        const __m256d diff = _mm256_sub_pd(ab, cd);                     // t1, t3
        const __m256d rotated = RotateD<Inv>(diff);                     // -, u
        const __m256d lo = _mm256_permute2f128_pd(sum, diff, 0x20);     // t0, t1
        const __m256d hi = _mm256_permute2f128_pd(sum, rotated, 0x31);  // t2, u
        const __m256d plus = _mm256_add_pd(lo, hi);                     // y0, y2
        const __m256d minus = _mm256_sub_pd(lo, hi);                    // y1, y3
        _mm256_storeu_pd(p, _mm256_permute2f128_pd(plus, minus, 0x20));
        _mm256_storeu_pd(p + 4, _mm256_permute2f128_pd(plus, minus, 0x31));
    }
}

void Last2D(double* x, std::size_t n) {
    for (std::size_t g = 0; g < n; g += 2) {
        double* p = x + 2 * g;
        const __m256d ab = _mm256_loadu_pd(p);
        const __m256d ba = _mm256_permute2f128_pd(ab, ab, 0x01);
        _mm256_storeu_pd(p, _mm256_blend_pd(_mm256_add_pd(ab, ba), _mm256_sub_pd(ba, ab), 0xC));
    }
}

// One radix-4 butterfly of two neighbouring k at once, twiddled as in
// StageD: a..d become the outputs for positions 0, 1, 2, 3 quarters on.
template <bool Inv>
inline void Radix4D(__m256d& a, __m256d& b, __m256d& c, __m256d& d, const double* w) {
    const __m256d t0 = _mm256_add_pd(a, c), t1 = _mm256_sub_pd(a, c);
    const __m256d t2 = _mm256_add_pd(b, d), t3 = _mm256_sub_pd(b, d);
    const __m256d u = RotateD<Inv>(t3);
    a = _mm256_add_pd(t0, t2);
    b = TwiddleD<Inv>(_mm256_sub_pd(t0, t2), w + 8);
    c = TwiddleD<Inv>(_mm256_add_pd(t1, u), w);
    d = TwiddleD<Inv>(_mm256_sub_pd(t1, u), w + 16);
}

// Last4D on the two registers of four pairs.
template <bool Inv>
inline void Butterfly4D(__m256d& ab, __m256d& cd) {
    const __m256d sum = _mm256_add_pd(ab, cd), diff = _mm256_sub_pd(ab, cd);
    const __m256d rotated = RotateD<Inv>(diff);
    const __m256d lo = _mm256_permute2f128_pd(sum, diff, 0x20);
    const __m256d hi = _mm256_permute2f128_pd(sum, rotated, 0x31);
    const __m256d plus = _mm256_add_pd(lo, hi), minus = _mm256_sub_pd(lo, hi);
    ab = _mm256_permute2f128_pd(plus, minus, 0x20);
    cd = _mm256_permute2f128_pd(plus, minus, 0x31);
}

// The last two stages of an even order in registers: the stage of 16 points
// (table tw) and the butterflies of four, for each block of 16 pairs.
template <bool Inv>
void Last16D(double* x, std::size_t n, const double* tw) {
    for (std::size_t g = 0; g < n; g += 16) {
        double* p = x + 2 * g;
        // Written out: the compiler keeps named values in registers.
        __m256d r0 = _mm256_loadu_pd(p), r1 = _mm256_loadu_pd(p + 4), r2 = _mm256_loadu_pd(p + 8),
                r3 = _mm256_loadu_pd(p + 12);
        __m256d r4 = _mm256_loadu_pd(p + 16), r5 = _mm256_loadu_pd(p + 20), r6 = _mm256_loadu_pd(p + 24),
                r7 = _mm256_loadu_pd(p + 28);
        Radix4D<Inv>(r0, r2, r4, r6, tw);
        Radix4D<Inv>(r1, r3, r5, r7, tw + 4);
        Butterfly4D<Inv>(r0, r1);
        Butterfly4D<Inv>(r2, r3);
        Butterfly4D<Inv>(r4, r5);
        Butterfly4D<Inv>(r6, r7);
        _mm256_storeu_pd(p, r0);
        _mm256_storeu_pd(p + 4, r1);
        _mm256_storeu_pd(p + 8, r2);
        _mm256_storeu_pd(p + 12, r3);
        _mm256_storeu_pd(p + 16, r4);
        _mm256_storeu_pd(p + 20, r5);
        _mm256_storeu_pd(p + 24, r6);
        _mm256_storeu_pd(p + 28, r7);
    }
}

// The last two stages of an odd order: the stage of 8 points and the
// butterflies of two, for each block of 8 pairs.
template <bool Inv>
void Last8D(double* x, std::size_t n, const double* tw) {
    for (std::size_t g = 0; g < n; g += 8) {
        double* p = x + 2 * g;
        __m256d r0 = _mm256_loadu_pd(p), r1 = _mm256_loadu_pd(p + 4);
        __m256d r2 = _mm256_loadu_pd(p + 8), r3 = _mm256_loadu_pd(p + 12);
        Radix4D<Inv>(r0, r1, r2, r3, tw);
        const auto two = [](__m256d ab) {
            const __m256d ba = _mm256_permute2f128_pd(ab, ab, 0x01);
            return _mm256_blend_pd(_mm256_add_pd(ab, ba), _mm256_sub_pd(ba, ab), 0xC);
        };
        _mm256_storeu_pd(p, two(r0));
        _mm256_storeu_pd(p + 4, two(r1));
        _mm256_storeu_pd(p + 8, two(r2));
        _mm256_storeu_pd(p + 12, two(r3));
    }
}

// ---------------------------------------------------------------- float

inline __m256 SwapF(__m256 v) { return _mm256_permute_ps(v, 0xB1); }
inline __m128 SwapF(__m128 v) { return _mm_permute_ps(v, 0xB1); }

template <bool Inv>
inline __m256 TwiddleF(__m256 y, const float* w) {
    const __m256 wv = _mm256_loadu_ps(w);
    const __m256 cross = _mm256_mul_ps(SwapF(y), _mm256_movehdup_ps(wv));
    const __m256 re = _mm256_moveldup_ps(wv);
    return Inv ? _mm256_fmsubadd_ps(y, re, cross) : _mm256_fmaddsub_ps(y, re, cross);
}

template <bool Inv>
inline __m128 TwiddleF(__m128 y, const float* w) {
    const __m128 wv = _mm_loadu_ps(w);
    const __m128 cross = _mm_mul_ps(SwapF(y), _mm_movehdup_ps(wv));
    const __m128 re = _mm_moveldup_ps(wv);
    return Inv ? _mm_fmsubadd_ps(y, re, cross) : _mm_fmaddsub_ps(y, re, cross);
}

template <bool Inv>
inline __m256 RotateF(__m256 t) {
    const __m256 sign = Inv ? _mm256_setr_ps(-0.f, 0.f, -0.f, 0.f, -0.f, 0.f, -0.f, 0.f)
                            : _mm256_setr_ps(0.f, -0.f, 0.f, -0.f, 0.f, -0.f, 0.f, -0.f);
    return _mm256_xor_ps(SwapF(t), sign);
}

template <bool Inv>
inline __m128 RotateF(__m128 t) {
    const __m128 sign = Inv ? _mm_setr_ps(-0.f, 0.f, -0.f, 0.f) : _mm_setr_ps(0.f, -0.f, 0.f, -0.f);
    return _mm_xor_ps(SwapF(t), sign);
}

template <bool Inv>
void StageF(float* x, std::size_t s, const float* tw) {
    const std::size_t q = s / 4;
    float* x0 = x;
    float* x1 = x + 2 * q;
    float* x2 = x + 4 * q;
    float* x3 = x + 6 * q;
    if (q % 4 != 0) {  // the stage of 8 points: two k at a time
        for (std::size_t k = 0; k < q; k += 2) {
            const std::size_t at = 2 * k;
            const __m128 a = _mm_loadu_ps(x0 + at), b = _mm_loadu_ps(x1 + at);
            const __m128 c = _mm_loadu_ps(x2 + at), d = _mm_loadu_ps(x3 + at);
            const __m128 t0 = _mm_add_ps(a, c), t1 = _mm_sub_ps(a, c);
            const __m128 t2 = _mm_add_ps(b, d), t3 = _mm_sub_ps(b, d);
            const __m128 u = RotateF<Inv>(t3);
            const float* w = tw + StageTwiddle(k, 1);
            _mm_storeu_ps(x0 + at, _mm_add_ps(t0, t2));
            _mm_storeu_ps(x1 + at, TwiddleF<Inv>(_mm_sub_ps(t0, t2), w + 8));
            _mm_storeu_ps(x2 + at, TwiddleF<Inv>(_mm_add_ps(t1, u), w));
            _mm_storeu_ps(x3 + at, TwiddleF<Inv>(_mm_sub_ps(t1, u), w + 16));
        }
        return;
    }
    for (std::size_t k = 0; k < q; k += 4) {
        const std::size_t at = 2 * k;
        const __m256 a = _mm256_loadu_ps(x0 + at), b = _mm256_loadu_ps(x1 + at);
        const __m256 c = _mm256_loadu_ps(x2 + at), d = _mm256_loadu_ps(x3 + at);
        const __m256 t0 = _mm256_add_ps(a, c), t1 = _mm256_sub_ps(a, c);
        const __m256 t2 = _mm256_add_ps(b, d), t3 = _mm256_sub_ps(b, d);
        const __m256 u = RotateF<Inv>(t3);
        const float* w = tw + StageTwiddle(k, 1);
        _mm256_storeu_ps(x0 + at, _mm256_add_ps(t0, t2));
        _mm256_storeu_ps(x1 + at, TwiddleF<Inv>(_mm256_sub_ps(t0, t2), w + 8));
        _mm256_storeu_ps(x2 + at, TwiddleF<Inv>(_mm256_add_ps(t1, u), w));
        _mm256_storeu_ps(x3 + at, TwiddleF<Inv>(_mm256_sub_ps(t1, u), w + 16));
    }
}

template <bool Inv>
void Last4F(float* x, std::size_t n) {
    for (std::size_t g = 0; g < n; g += 4) {
        float* p = x + 2 * g;
        const __m128 ab = _mm_loadu_ps(p), cd = _mm_loadu_ps(p + 4);
        const __m128 sum = _mm_add_ps(ab, cd);   // t0, t2
        const __m128 diff = _mm_sub_ps(ab, cd);  // t1, t3
        const __m128 rotated = RotateF<Inv>(diff);
        const __m128 lo = _mm_movelh_ps(sum, diff);     // t0, t1
        const __m128 hi = _mm_movehl_ps(rotated, sum);  // t2, u
        const __m128 plus = _mm_add_ps(lo, hi);         // y0, y2
        const __m128 minus = _mm_sub_ps(lo, hi);        // y1, y3
        _mm_storeu_ps(p, _mm_movelh_ps(plus, minus));
        _mm_storeu_ps(p + 4, _mm_movehl_ps(minus, plus));
    }
}

void Last2F(float* x, std::size_t n) {
    for (std::size_t g = 0; g < n; g += 2) {
        float* p = x + 2 * g;
        const float ar = p[0], ai = p[1], br = p[2], bi = p[3];
        p[0] = ar + br;
        p[1] = ai + bi;
        p[2] = ar - br;
        p[3] = ai - bi;
    }
}

template <bool Inv>
inline void Radix4F(__m128& a, __m128& b, __m128& c, __m128& d, const float* w) {
    const __m128 t0 = _mm_add_ps(a, c), t1 = _mm_sub_ps(a, c);
    const __m128 t2 = _mm_add_ps(b, d), t3 = _mm_sub_ps(b, d);
    const __m128 u = RotateF<Inv>(t3);
    a = _mm_add_ps(t0, t2);
    b = TwiddleF<Inv>(_mm_sub_ps(t0, t2), w + 8);
    c = TwiddleF<Inv>(_mm_add_ps(t1, u), w);
    d = TwiddleF<Inv>(_mm_sub_ps(t1, u), w + 16);
}

template <bool Inv>
inline void Butterfly4F(__m128& ab, __m128& cd) {
    const __m128 sum = _mm_add_ps(ab, cd), diff = _mm_sub_ps(ab, cd);
    const __m128 rotated = RotateF<Inv>(diff);
    const __m128 lo = _mm_movelh_ps(sum, diff), hi = _mm_movehl_ps(rotated, sum);
    const __m128 plus = _mm_add_ps(lo, hi), minus = _mm_sub_ps(lo, hi);
    ab = _mm_movelh_ps(plus, minus);
    cd = _mm_movehl_ps(minus, plus);
}

template <bool Inv>
void Last16F(float* x, std::size_t n, const float* tw) {
    for (std::size_t g = 0; g < n; g += 16) {
        float* p = x + 2 * g;
        // Written out: the compiler keeps named values in registers.
        __m128 r0 = _mm_loadu_ps(p), r1 = _mm_loadu_ps(p + 4), r2 = _mm_loadu_ps(p + 8),
               r3 = _mm_loadu_ps(p + 12);
        __m128 r4 = _mm_loadu_ps(p + 16), r5 = _mm_loadu_ps(p + 20), r6 = _mm_loadu_ps(p + 24),
               r7 = _mm_loadu_ps(p + 28);
        Radix4F<Inv>(r0, r2, r4, r6, tw);
        Radix4F<Inv>(r1, r3, r5, r7, tw + 4);
        Butterfly4F<Inv>(r0, r1);
        Butterfly4F<Inv>(r2, r3);
        Butterfly4F<Inv>(r4, r5);
        Butterfly4F<Inv>(r6, r7);
        _mm_storeu_ps(p, r0);
        _mm_storeu_ps(p + 4, r1);
        _mm_storeu_ps(p + 8, r2);
        _mm_storeu_ps(p + 12, r3);
        _mm_storeu_ps(p + 16, r4);
        _mm_storeu_ps(p + 20, r5);
        _mm_storeu_ps(p + 24, r6);
        _mm_storeu_ps(p + 28, r7);
    }
}

template <bool Inv>
void Last8F(float* x, std::size_t n, const float* tw) {
    for (std::size_t g = 0; g < n; g += 8) {
        float* p = x + 2 * g;
        __m128 r0 = _mm_loadu_ps(p), r1 = _mm_loadu_ps(p + 4);
        __m128 r2 = _mm_loadu_ps(p + 8), r3 = _mm_loadu_ps(p + 12);
        Radix4F<Inv>(r0, r1, r2, r3, tw);
        const auto two = [](__m128 ab) {
            const __m128 ba = _mm_shuffle_ps(ab, ab, _MM_SHUFFLE(1, 0, 3, 2));
            const __m128 sum = _mm_add_ps(ab, ba), diff = _mm_sub_ps(ba, ab);
            return _mm_movelh_ps(sum, _mm_movehl_ps(diff, diff));
        };
        _mm_storeu_ps(p, two(r0));
        _mm_storeu_ps(p + 4, two(r1));
        _mm_storeu_ps(p + 8, two(r2));
        _mm_storeu_ps(p + 12, two(r3));
    }
}

// ---------------------------------------------------------------- driver

template <bool Inv>
void Stage(double* x, std::size_t s, const double* tw) {
    StageD<Inv>(x, s, tw);
}
template <bool Inv>
void Stage(float* x, std::size_t s, const float* tw) {
    StageF<Inv>(x, s, tw);
}
template <bool Inv>
void Last4(double* x, std::size_t n) {
    Last4D<Inv>(x, n);
}
template <bool Inv>
void Last4(float* x, std::size_t n) {
    Last4F<Inv>(x, n);
}
inline void Last2(double* x, std::size_t n) { Last2D(x, n); }
inline void Last2(float* x, std::size_t n) { Last2F(x, n); }
template <bool Inv>
void Last16(double* x, std::size_t n, const double* tw) {
    Last16D<Inv>(x, n, tw);
}
template <bool Inv>
void Last16(float* x, std::size_t n, const float* tw) {
    Last16F<Inv>(x, n, tw);
}
template <bool Inv>
void Last8(double* x, std::size_t n, const double* tw) {
    Last8D<Inv>(x, n, tw);
}
template <bool Inv>
void Last8(float* x, std::size_t n, const float* tw) {
    Last8F<Inv>(x, n, tw);
}

template <class T, bool Inv>
void Dif(T* x, int order, const T* const* tw) {
    const std::size_t n = std::size_t(1) << order;
    if (order > kLeafOrder) {
        Stage<Inv>(x, n, tw[order]);
        const std::size_t q = n / 4;
        for (std::size_t j = 0; j < 4; ++j) Dif<T, Inv>(x + 2 * j * q, order - 2, tw);
        return;
    }
    // The stages down to 16 or 8 points, then the last two in registers.
    int l = order;
    for (; l >= 5; l -= 2) {
        const std::size_t s = std::size_t(1) << l;
        for (std::size_t b = 0; b < n; b += s) Stage<Inv>(x + 2 * b, s, tw[l]);
    }
    if (l == 4)
        Last16<Inv>(x, n, tw[4]);
    else if (l == 3)
        Last8<Inv>(x, n, tw[3]);
    else
        Last4<Inv>(x, n);  // order 2
}

}  // namespace

void DifAvx2(double* x, int order, const double* const* tw, bool inverse) {
    if (inverse)
        Dif<double, true>(x, order, tw);
    else
        Dif<double, false>(x, order, tw);
}

void DifAvx2(float* x, int order, const float* const* tw, bool inverse) {
    if (inverse)
        Dif<float, true>(x, order, tw);
    else
        Dif<float, false>(x, order, tw);
}

}  // namespace fftkernel::detail
