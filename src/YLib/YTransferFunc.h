#pragma once

#include <complex>
#include <cstddef>
#include <span>

class YComplexVec;
class YDoubleVec;

// Complex frequency responses of analog high-pass and low-pass filters made of
// second-order sections (and one first-order section for odd orders), for the
// crossover design. The caller supplies the alignment (Butterworth,
// Linkwitz-Riley, ...) as tables of section frequency factors k and quality
// factors q, and the corner fc (Hz): section j has its natural frequency at
// fc * k[j] and quality q[j]; an odd order ends with a first-order section at
// fc * k[order / 2]. k and q must hold at least (order + 1) / 2 values (at most
// 5 are read). Orders outside 1 ... 10 give 1 at every frequency.
//
// Frequencies are in Hz and at least 0: at 0 Hz a low-pass gives 1 and a
// high-pass 0. Stateless; safe to call from several threads.
class YTransferFunc {
public:
    virtual ~YTransferFunc() = default;

    static std::complex<double> HighPass(double frequency, double fc, int order, const double k[5],
                                         const double q[5]);
    static std::complex<double> LowPass(double frequency, double fc, int order, const double k[5],
                                        const double q[5]);

    // The value at frequencies[i] into out[i] for the first
    // min(out.size(), frequencies.size()) frequencies; returns that count.
    static std::size_t HighPassResponse(std::span<std::complex<double>> out,
                                        std::span<const double> frequencies, double fc, int order,
                                        const double k[5], const double q[5]);
    static std::size_t LowPassResponse(std::span<std::complex<double>> out,
                                       std::span<const double> frequencies, double fc, int order,
                                       const double k[5], const double q[5]);

    // The same into out, resized to the number of frequencies; returns that
    // number, or 0 (out unchanged) when out cannot be resized.
    static int HighPassResponse(YComplexVec& out, const YDoubleVec& frequencies, double fc, int order,
                                const double k[5], const double q[5]);
    static int LowPassResponse(YComplexVec& out, const YDoubleVec& frequencies, double fc, int order,
                               const double k[5], const double q[5]);
};
