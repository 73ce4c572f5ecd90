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

template <class T, bool Inv>
void Dif(T* x, int order, const T* const* tw) {
    const std::size_t n = std::size_t(1) << order;
    if (order > kLeafOrder) {
        Stage<Inv>(x, n, tw[order]);
        const std::size_t q = n / 4;
        for (std::size_t j = 0; j < 4; ++j) Dif<T, Inv>(x + 2 * j * q, order - 2, tw);
        return;
    }
    int l = order;
    for (; l >= 3; l -= 2) {
        const std::size_t s = std::size_t(1) << l;
        for (std::size_t b = 0; b < n; b += s) Stage<Inv>(x + 2 * b, s, tw[l]);
    }
    if (l == 2)
        Last4<Inv>(x, n);
    else
        Last2(x, n);
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
