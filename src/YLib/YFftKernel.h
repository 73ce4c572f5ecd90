#pragma once
// The transform kernel behind YFft and YFft32: an in-place radix-4
// decimation-in-frequency transform over interleaved (re, im) pairs, depth
// first so that the inner stages run in cache, followed by a cache-blocked
// bit-reversal permutation. The twiddle factors come from tables computed once
// per stage size in long double and rounded to double (to float for the
// single-precision kernel); the long double values come from an eighth of the
// circle, the rest by its symmetries, so that building the tables costs a few
// milliseconds even for 2^22 points.
//
// Instructions: SSE2 everywhere; AVX2 with FMA where the processor has both,
// chosen at run time (the build itself targets plain x86-64).
//
// Threading: the kernels may run from any number of threads at once, on
// different arrays. The tables are built on first use under std::call_once and
// never change afterwards.

#include <cstddef>

namespace fftkernel {

enum class Isa { Sse2, Avx2Fma };

// The best kernel this processor runs; the one in use (the best unless UseIsa
// chose another); UseIsa chooses one for the whole program (for comparisons
// and tests; false, nothing changed, when the processor lacks it).
Isa BestIsa();
Isa ActiveIsa();
bool UseIsa(Isa isa);

// Largest order (log2 of the size) the kernel accepts.
inline constexpr int kMaxOrder = 30;

// The order of n when n is a power of two of at least 4 and at most
// 2^kMaxOrder, else -1.
int OrderOf(long long n);

// X[k] = Σ x[n]·e^(∓i2πnk/N) over N = 2^order pairs at data, in place; the
// inverse (e^(+i…)) is scaled by 1/N. order is 2..kMaxOrder. False when the
// twiddle tables cannot be allocated (data unchanged).
template <class T>
bool Transform(T* data, int order, bool inverse);

// The forward transform of N = 2^order real samples (order 3..kMaxOrder): the
// N/2-pair transform of the samples packed as pairs, unpacked into the full
// conjugate-symmetric spectrum of N pairs. data holds the N samples in its
// first N values and receives the 2N values of the spectrum.
bool TransformReal(double* data, int order);

// Builds the tables TransformReal and TransformRealHalf of this order use;
// once it has returned true they cannot fail at this order.
bool PrepareReal(int order);

// The same without the mirror image: data holds the N samples and receives
// bins 0..N/2 (N + 2 values). The float variant computes in float.
bool TransformRealHalf(double* data, int order);
bool TransformRealHalf(float* data, int order);

}  // namespace fftkernel
