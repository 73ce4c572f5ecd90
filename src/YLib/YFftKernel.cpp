#include "YLib/YFftKernel.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <numbers>
#include <type_traits>
#include <utility>

namespace fftkernel {
namespace {

// Stage tables: for a radix-4 stage of size s = 2^order and k < s/4 the
// values w^k, w^2k, w^3k with w = e^(-i2π/s), six T per k.
template <class T>
struct StageTables {
    std::array<std::once_flag, kMaxOrder + 1> once;
    std::array<std::unique_ptr<T[]>, kMaxOrder + 1> table;
};

std::unique_ptr<double[]> BuildDoubleTable(int order)
{
    const std::size_t s = std::size_t(1) << order;
    const std::size_t q = s / 4;
    std::unique_ptr<double[]> t(new (std::nothrow) double[6 * q]);
    if (!t)
        return t;
    const long double step = 2.0L * std::numbers::pi_v<long double> / (long double)s;
    for (std::size_t k = 0; k < q; ++k)
        for (std::size_t j = 1; j <= 3; ++j) {
            // The exact integer angle index keeps the argument error at one
            // rounding of step times an integer below s.
            const std::size_t m = (j * k) % s;
            const long double a = step * (long double)m;
            t[6 * k + 2 * (j - 1)] = double(cosl(a));
            t[6 * k + 2 * (j - 1) + 1] = double(-sinl(a));
        }
    return t;
}

template <class T>
const T* Twiddles(int order)
{
    static StageTables<T> tables;
    std::call_once(tables.once[order], [order] {
        if constexpr (std::is_same_v<T, double>) {
            tables.table[order] = BuildDoubleTable(order);
        } else {
            const double* source = Twiddles<double>(order);
            const std::size_t n = 6 * ((std::size_t(1) << order) / 4);
            if (source) {
                std::unique_ptr<T[]> t(new (std::nothrow) T[n]);
                if (t)
                    for (std::size_t i = 0; i < n; ++i)
                        t[i] = T(source[i]);
                tables.table[order] = std::move(t);
            }
        }
    });
    return tables.table[order].get();
}

// One radix-4 decimation-in-frequency stage over a block of s pairs. The
// quarter outputs go to positions 0, 2, 1, 3 so that the whole transform ends
// in plain bit-reversed order.
template <class T, bool Inv>
void Radix4Stage(T* x, std::size_t s, const T* tw)
{
    const std::size_t q = s / 4;
    T* x0 = x;
    T* x1 = x + 2 * q;
    T* x2 = x + 4 * q;
    T* x3 = x + 6 * q;
    for (std::size_t k = 0; k < q; ++k) {
        const std::size_t r = 2 * k, i = 2 * k + 1;
        const T ar = x0[r], ai = x0[i], br = x1[r], bi = x1[i];
        const T cr = x2[r], ci = x2[i], dr = x3[r], di = x3[i];
        const T t0r = ar + cr, t0i = ai + ci, t1r = ar - cr, t1i = ai - ci;
        const T t2r = br + dr, t2i = bi + di, t3r = br - dr, t3i = bi - di;
        // t3 rotated by -i (forward) or +i (inverse).
        const T ur = Inv ? -t3i : t3i, ui = Inv ? t3r : -t3r;
        const T y0r = t0r + t2r, y0i = t0i + t2i, y2r = t0r - t2r, y2i = t0i - t2i;
        const T y1r = t1r + ur, y1i = t1i + ui, y3r = t1r - ur, y3i = t1i - ui;
        const T* w = tw + 6 * k;
        const T w1r = w[0], w1i = Inv ? -w[1] : w[1];
        const T w2r = w[2], w2i = Inv ? -w[3] : w[3];
        const T w3r = w[4], w3i = Inv ? -w[5] : w[5];
        x0[r] = y0r;
        x0[i] = y0i;
        x1[r] = y2r * w2r - y2i * w2i;
        x1[i] = y2r * w2i + y2i * w2r;
        x2[r] = y1r * w1r - y1i * w1i;
        x2[i] = y1r * w1i + y1i * w1r;
        x3[r] = y3r * w3r - y3i * w3i;
        x3[i] = y3r * w3i + y3i * w3r;
    }
}

// The last stage when the order is even: radix-4 butterflies without twiddles.
template <class T, bool Inv>
void Last4(T* x, std::size_t n)
{
    for (std::size_t b = 0; b < n; b += 4) {
        T* p = x + 2 * b;
        const T ar = p[0], ai = p[1], br = p[2], bi = p[3], cr = p[4], ci = p[5], dr = p[6], di = p[7];
        const T t0r = ar + cr, t0i = ai + ci, t1r = ar - cr, t1i = ai - ci;
        const T t2r = br + dr, t2i = bi + di, t3r = br - dr, t3i = bi - di;
        const T ur = Inv ? -t3i : t3i, ui = Inv ? t3r : -t3r;
        p[0] = t0r + t2r;
        p[1] = t0i + t2i;
        p[2] = t0r - t2r;
        p[3] = t0i - t2i;
        p[4] = t1r + ur;
        p[5] = t1i + ui;
        p[6] = t1r - ur;
        p[7] = t1i - ui;
    }
}

// The last stage when the order is odd: radix-2 butterflies.
template <class T>
void Last2(T* x, std::size_t n)
{
    for (std::size_t b = 0; b < n; b += 2) {
        T* p = x + 2 * b;
        const T ar = p[0], ai = p[1], br = p[2], bi = p[3];
        p[0] = ar + br;
        p[1] = ai + bi;
        p[2] = ar - br;
        p[3] = ai - bi;
    }
}

// Blocks up to this order are transformed stage by stage (they fit in cache);
// larger ones one stage, then their quarters depth first.
constexpr int kLeafOrder = 11;

template <class T, bool Inv>
void Dif(T* x, int order, const std::array<const T*, kMaxOrder + 1>& tw)
{
    const std::size_t n = std::size_t(1) << order;
    if (order > kLeafOrder) {
        Radix4Stage<T, Inv>(x, n, tw[order]);
        const std::size_t q = n / 4;
        for (std::size_t j = 0; j < 4; ++j)
            Dif<T, Inv>(x + 2 * j * q, order - 2, tw);
        return;
    }
    int l = order;
    for (; l >= 3; l -= 2) {
        const std::size_t s = std::size_t(1) << l;
        for (std::size_t b = 0; b < n; b += s)
            Radix4Stage<T, Inv>(x + 2 * b, s, tw[l]);
    }
    if (l == 2)
        Last4<T, Inv>(x, n);
    else
        Last2(x, n);
}

std::uint32_t ReverseBits(std::uint32_t v, int bits)
{
    v = ((v >> 1) & 0x55555555u) | ((v & 0x55555555u) << 1);
    v = ((v >> 2) & 0x33333333u) | ((v & 0x33333333u) << 2);
    v = ((v >> 4) & 0x0F0F0F0Fu) | ((v & 0x0F0F0F0Fu) << 4);
    v = ((v >> 8) & 0x00FF00FFu) | ((v & 0x00FF00FFu) << 8);
    v = (v >> 16) | (v << 16);
    return bits == 0 ? 0 : v >> (32 - bits);
}

template <class T>
void SwapPairs(T* x, std::size_t i, std::size_t j)
{
    std::swap(x[2 * i], x[2 * j]);
    std::swap(x[2 * i + 1], x[2 * j + 1]);
}

// Bit-reversal permutation. Large arrays are split as (high, middle, low)
// index bits with high and low of kBlockBits each: the 2^kBlockBits rows of a
// middle value swap with the transposed rows of the reversed middle value,
// both of which stay in cache while they are exchanged.
template <class T>
void BitReverse(T* x, int order)
{
    constexpr int kBlockBits = 5;
    if (order < 2 * kBlockBits + 2) {
        const std::size_t n = std::size_t(1) << order;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t j = ReverseBits(std::uint32_t(i), order);
            if (i < j)
                SwapPairs(x, i, j);
        }
        return;
    }
    constexpr std::size_t kSide = std::size_t(1) << kBlockBits;
    std::array<std::size_t, kSide> rev{};
    for (std::size_t i = 0; i < kSide; ++i)
        rev[i] = ReverseBits(std::uint32_t(i), kBlockBits);
    const int midBits = order - 2 * kBlockBits;
    const int highShift = order - kBlockBits;
    const std::size_t mids = std::size_t(1) << midBits;
    for (std::size_t m = 0; m < mids; ++m) {
        const std::size_t rm = ReverseBits(std::uint32_t(m), midBits);
        if (rm < m)
            continue;
        for (std::size_t hi = 0; hi < kSide; ++hi) {
            const std::size_t rowI = (hi << highShift) | (m << kBlockBits);
            const std::size_t colJ = (rm << kBlockBits) | rev[hi];
            for (std::size_t lo = 0; lo < kSide; ++lo) {
                const std::size_t i = rowI | lo;
                const std::size_t j = (rev[lo] << highShift) | colJ;
                if (m != rm || i < j)
                    SwapPairs(x, i, j);
            }
        }
    }
}

template <class T>
bool TablesFor(int order, std::array<const T*, kMaxOrder + 1>& tw)
{
    tw.fill(nullptr);
    for (int l = order; l >= 3; l -= 2)
        if (!(tw[l] = Twiddles<T>(l)))
            return false;
    return true;
}

}  // namespace

int OrderOf(long long n)
{
    if (n < 4 || n > (1LL << kMaxOrder) || (n & (n - 1)) != 0)
        return -1;
    int order = 0;
    while ((1LL << order) < n)
        ++order;
    return order;
}

template <class T>
bool Transform(T* data, int order, bool inverse)
{
    if (order < 2 || order > kMaxOrder)
        return false;
    std::array<const T*, kMaxOrder + 1> tw;
    if (!TablesFor(order, tw))
        return false;
    if (inverse)
        Dif<T, true>(data, order, tw);
    else
        Dif<T, false>(data, order, tw);
    BitReverse(data, order);
    if (inverse) {
        const T scale = T(1) / T(std::size_t(1) << order);
        const std::size_t values = std::size_t(2) << order;
        for (std::size_t i = 0; i < values; ++i)
            data[i] *= scale;
    }
    return true;
}

template bool Transform<double>(double*, int, bool);
template bool Transform<float>(float*, int, bool);

bool TransformReal(double* data, int order)
{
    if (order < 3 || order > kMaxOrder)
        return false;
    const std::size_t n = std::size_t(1) << order;
    const std::size_t m = n / 2;
    const double* tw = Twiddles<double>(order);  // w^k = e^(-i2πk/N) for k < N/4
    if (!tw || !Transform(data, order - 1, false))
        return false;
    // Z = FFT of z[j] = x[2j] + i·x[2j+1]; with Fe = (Z[k] + conj Z[m-k])/2 and
    // Fo = -i/2·(Z[k] - conj Z[m-k]): X[k] = Fe + w^k·Fo, X[m-k] = conj(Fe - w^k·Fo).
    double* x = data;
    const double z0r = x[0], z0i = x[1];
    x[0] = z0r + z0i;
    x[1] = 0.0;
    x[2 * m] = z0r - z0i;
    x[2 * m + 1] = 0.0;
    for (std::size_t k = 1; k <= m / 2; ++k) {
        const std::size_t mk = m - k;
        const double ar = x[2 * k], ai = x[2 * k + 1], br = x[2 * mk], bi = x[2 * mk + 1];
        const double fer = 0.5 * (ar + br), fei = 0.5 * (ai - bi);
        const double dr = ar - br, di = ai + bi;  // Z[k] - conj Z[m-k]
        const double for_ = 0.5 * di, foi = -0.5 * dr;
        double wr, wi;
        if (k < m / 2) {
            wr = tw[6 * k];
            wi = tw[6 * k + 1];
        } else {  // k = N/4: w = -i
            wr = 0.0;
            wi = -1.0;
        }
        const double tr = wr * for_ - wi * foi, ti = wr * foi + wi * for_;
        const double xkr = fer + tr, xki = fei + ti;
        const double xmr = fer - tr, xmi = -(fei - ti);
        x[2 * k] = xkr;
        x[2 * k + 1] = xki;
        x[2 * mk] = xmr;
        x[2 * mk + 1] = xmi;
        // The upper half is the mirror image.
        x[2 * (n - k)] = xkr;
        x[2 * (n - k) + 1] = -xki;
        x[2 * (n - mk)] = xmr;
        x[2 * (n - mk) + 1] = -xmi;
    }
    return true;
}

}  // namespace fftkernel
