#pragma once
// Time-domain views of impulse responses and the combination of recorded
// channels: the dual-channel transfer of a measured channel over a reference
// channel, division by a compensation spectrum, the step response, the
// backward-integrated energy decay and the analytic envelope in dB with the
// band-limited Hilbert transformer behind it.
//
// Compensation spectra are full transforms of real signals (bin N-i the
// conjugate of bin i, see YComplexDomain). Divisions by a spectrum are
// regularised: X·conj(C) / max(|C|², 1e-10·max|C|²), exact wherever C is
// within 100 dB of its peak, fading out instead of blowing up below.
//
// Threading: the class holds no state; every operation may run on any thread,
// also on one object from several threads at once (with different outputs).
// out may be the input vector itself.

class YComplexVec;
class YDoubleVec;

class YAnaTimeDomain {
public:
    virtual ~YAnaTimeDomain() = default;

    // Impulse response of measured relative to reference, scaled by the
    // reference's level: the mean of |R| over the bins from 900 to 1100 Hz
    // (at least one bin either side of 1 kHz). So equal channels give an
    // impulse of that level at sample 0, whatever the signal or its latency.
    // out gets min(len(measured), len(reference)) samples. The transform has
    // N = 2^k points, k the smallest odd number of at least 3 with 2^k at or
    // above the length rounded up to even. With advanceOne the response
    // moves one sample earlier (circularly). compensation, when given, must
    // have N bins and divides the transfer. False (out untouched) on empty
    // channels, a sample rate not above 0, a reference that is silent (at
    // 1 kHz or everywhere), a compensation of another size or silent, a
    // non-finite result, or an allocation failure.
    bool DualChannelResponse(YDoubleVec& out, const YDoubleVec& measured, const YDoubleVec& reference,
                             double sampleRate, bool advanceOne, const YComplexVec* compensation) const;

    // Divides the spectrum of ir (zero-padded to the compensation's N bins)
    // by the compensation spectrum, in place. False (ir untouched) when N is
    // not a power of two of at least 4, ir is longer than N/2, the
    // compensation is silent, or the result is not finite.
    bool ApplyCompensation(YDoubleVec& ir, const YComplexVec& compensation) const;

    // Step response: out[i] = sum of (in[j] - o) for j <= i, over the first
    // count samples (all when count is below 1 or beyond the input); o is
    // TailMean(in) with removeOffset, else 0. A unit impulse gives 1, 1, 1, ...
    // False on an empty input.
    bool RunningSum(YDoubleVec& out, const YDoubleVec& in, int count, bool removeOffset) const;

    // Schroeder decay in dB: out[i] = 10·log10(S[i] / S[0]) with S[i] the
    // energy of (in - o) from sample i to count-1 (count and o as in
    // RunningSum); out[0] = 0, values below 1e-38 read -380 dB. False on an
    // empty or silent input.
    bool DecayDb(YDoubleVec& out, const YDoubleVec& in, int count, bool removeOffset) const;

    // DecayDb of the samples from the first largest |in| on, offset removed,
    // followed by -1000 dB up to the length of in.
    bool DecayFromPeak(YDoubleVec& out, const YDoubleVec& in) const;

    // Analytic envelope in dB relative to its maximum (the energy-time
    // curve): 20·log10 sqrt(in² + Hilbert(in)²), values below 1e-38 reading
    // -760 dB before the maximum is subtracted. windowType tapers the Hilbert
    // transformer towards the Nyquist frequency. False (out untouched) for a
    // silent or empty input or a window type outside 0 .. 6.
    bool EnvelopeDb(YDoubleVec& out, const YDoubleVec& in, int windowType) const;

    // Band-limited Hilbert transform with the sign inverted (multiplier
    // +i·sign(f), tapered towards Nyquist by the falling half of the window),
    // computed over twice the next power of two so it does not wrap around.
    // False for an empty input or a window type outside 0 .. 6.
    bool Hilbert(YDoubleVec& out, const YDoubleVec& in, int windowType) const;

    // Multiplies the spectrum of in (zero-padded to the multiplier's size)
    // by multiplier; out gets the real part of the first len(in) samples.
    // False when the multiplier's size is not a power of two of at least 4 or
    // is below len(in).
    bool FilterByMultiplier(YDoubleVec& out, const YDoubleVec& in, const YComplexVec& multiplier) const;

    // Mean of the last size/256 samples (at least the last one); 0 for an
    // empty vector.
    double TailMean(const YDoubleVec& in) const;
};
