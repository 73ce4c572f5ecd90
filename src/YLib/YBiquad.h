#pragma once

#include "YLib/IProcess.h"

#include <array>
#include <complex>
#include <cstddef>
#include <span>

class YComplexVec;
class YDoubleVec;

// A second-order IIR section in Direct Form I, double precision, designed
// from the audio-equaliser cookbook formulas of R. Bristow-Johnson or set from
// raw coefficients. A constructed, cleared or failed section is the identity.
//
// Setup and SetCoefficients design once; Process and the block filters never
// allocate and do not branch on the type.
//
// Threading: one thread at a time per section.
class YBiquad : public IProcess {
public:
    // Types of Setup. Cleared and Direct are what Type() reports for the
    // identity and for a section set from raw coefficients.
    static constexpr int kCleared = -2;
    static constexpr int kDirect = -1;
    static constexpr int kLowPass1 = 0;   // first order, unity gain at DC
    static constexpr int kLowPass2 = 1;   // |H(f0)| = Q
    static constexpr int kHighPass1 = 2;  // first order, unity gain at Nyquist
    static constexpr int kHighPass2 = 3;  // |H(f0)| = Q
    static constexpr int kBandPass = 4;   // 0 dB peak at f0
    static constexpr int kNotch = 5;
    static constexpr int kPeaking = 6;    // gainDb at f0
    static constexpr int kLowShelf = 7;   // gainDb at DC, shelf slope 1
    static constexpr int kHighShelf = 8;  // gainDb at Nyquist, shelf slope 1
    static constexpr int kAllPass = 9;    // phase -pi at f0
    static constexpr int kPinking = 10;   // fixed pinking section, ignores the parameters

    // The raw coefficients as designed, before division by a0.
    struct Coefficients {
        double a0 = 1.0, a1 = 0.0, a2 = 0.0, b0 = 1.0, b1 = 0.0, b2 = 0.0;
    };

    YBiquad() = default;

    // Designs a section of `type` (kLowPass1 ... kPinking) at `frequency` (f0,
    // Hz) for `sampleRate` (Hz) and clears the state. qOrBandwidth is the
    // quality factor, or with bandwidthGiven the bandwidth in octaves (Q()
    // then reports QFromBandwidth of it). Settings may come from stored,
    // untrusted records, so they are checked: 0 < f0 < sampleRate / 2 (both
    // finite), Q or bandwidth finite and above 0 where the type uses it (not
    // the first-order types nor the shelves), gainDb finite where it is used
    // (peaking, shelves), and the designed coefficients finite. On any
    // failure, or for another type, the section becomes the identity and
    // false is returned. kPinking ignores every parameter.
    bool Setup(int type, double sampleRate, double frequency, double gainDb, double qOrBandwidth,
               bool bandwidthGiven);

    // Uses the given coefficients: y = (b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2) / a0.
    // Type() becomes kDirect, the design parameters 0, the state is cleared.
    // With a0 = 0 or a coefficient (or quotient) that is not finite the
    // section becomes the identity and false is returned.
    bool SetCoefficients(double a0, double a1, double a2, double b0, double b1, double b2);

    // The identity: type kCleared, parameters 0, state cleared.
    void Clear();

    // y = nb0 x + nb1 x1 + nb2 x2 - na1 y1 - na2 y2, with nbi = bi / a0, nai = ai / a0.
    double Process(double x) override { return Advance(norm_, state_, x); }
    void Reset() override { state_ = {}; }
    std::size_t ProcessBlock(std::span<const double> in, std::span<double> out) override;

    // In place, first sample to last, exactly as Process would; with
    // `reset` the state is cleared first. The state stays double precision
    // for float samples. The complex form filters the real parts and sets
    // every imaginary part to 0.
    void FilterBlock(std::span<double> samples, bool reset);
    void FilterBlock(YDoubleVec& samples, bool reset);
    void FilterBlock(YComplexVec& samples, bool reset);
    void FilterBlock(std::span<float> samples, bool reset);
    void FilterBlock(std::span<std::complex<double>> samples, bool reset);
    // Filters nothing when samples is null or count is not positive.
    void FilterBlock(float* samples, int count, bool reset);

    // Q of a band `octaves` wide: with p = 2^octaves, sqrt(p) / (p - 1).
    static double QFromBandwidth(double octaves);

    // The section's response H(e^jw) at `frequency` for `sampleRate` (Hz),
    // from the normalised coefficients.
    std::complex<double> Response(double frequency, double sampleRate) const;

    int Type() const { return type_; }
    double SampleRate() const { return sampleRate_; }
    double Gain() const { return gain_; }
    double Frequency() const { return frequency_; }
    double Q() const { return q_; }
    const Coefficients& Raw() const { return raw_; }
    // nb0, nb1, nb2, na1, na2.
    std::array<double, 5> Normalised() const { return {norm_.b0, norm_.b1, norm_.b2, norm_.a1, norm_.a2}; }

private:
    struct Taps {
        double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    };
    struct State {
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    };

    static double Advance(const Taps& c, State& s, double x) {
        const double y = c.b0 * x + c.b1 * s.x1 + c.b2 * s.x2 - c.a1 * s.y1 - c.a2 * s.y2;
        s.x2 = s.x1;
        s.x1 = x;
        s.y2 = s.y1;
        s.y1 = y;
        return y;
    }

    // Stores and normalises the coefficients, clears the state; false (and
    // the identity) when they are unusable.
    bool Use(const Coefficients& c);

    template <typename In, typename Out>
    void Run(const In* in, Out* out, std::size_t n);

    int type_ = kCleared;
    double sampleRate_ = 0.0;
    double gain_ = 0.0;
    double frequency_ = 0.0;
    double q_ = 0.0;
    Coefficients raw_;
    Taps norm_;
    State state_;
};

// The raw coefficients of YBiquad::kPinking: a pinking section, roughly
// -3 dB per octave over part of the audio band.
inline constexpr YBiquad::Coefficients kPinkingCoefficients{
    1.0, -1.80116083982126, 0.80257737639225, 0.04957526213389, -0.06305581334498, 0.0148322032074};
