#pragma once
// Time-domain tools of the stimulus analyses: the dual-channel transfer of a
// measured channel over a reference channel, the division by a compensation
// spectrum, and the analytic envelope in dB the start detector uses.
//
// Threading: stateless; every operation may run from several threads at once
// on different vectors.

class YComplexVec;
class YDoubleVec;

class YStimulusAnalysis {
public:
    // The transform order DualChannelTransfer uses for responses of n
    // samples: the smallest odd k (at least 3) with 2^k >= n rounded up to
    // even. A compensation handed to it must have 2^k bins.
    static int DualChannelOrder(int n);

    // The impulse response of measured relative to reference over
    // n = min(lengths) samples: H = M / R in the frequency domain, with R
    // divided by the magnitude of its mean around 1000 Hz (±10 %), so the
    // result is the transfer scaled by the reference's level at 1 kHz and
    // keeps its polarity whatever the reference's phase there. advanceOne
    // moves the response one sample earlier (circularly). A compensation,
    // when given, must have 2^DualChannelOrder(n) bins; H is divided by it.
    // False when out cannot be sized, the compensation has another size or
    // the reference has no level around 1 kHz.
    static bool DualChannelTransfer(YDoubleVec& out, const YDoubleVec& measured, const YDoubleVec& reference,
                                    double sampleRate, bool advanceOne, const YComplexVec* compensation);

    // Divides the spectrum of ir by compensation (N bins) in place; nothing
    // happens when N/2 is less than the response length or N is not a power
    // of two of at least 4.
    static void ApplyCompensation(YDoubleVec& ir, const YComplexVec& compensation);

    // The band-limited Hilbert transform, sign-inverted (multiplier +i·sign(f)),
    // tapered towards the Nyquist frequency by the falling half of window
    // windowType.
    static bool Hilbert(YDoubleVec& out, const YDoubleVec& in, int windowType);
    // The analytic envelope 20·log10(sqrt(x² + h²)) (-760 dB for a zero,
    // +760 dB cap) relative to its own maximum, so the loudest point is 0 dB.
    static bool EnvelopeDb(YDoubleVec& out, const YDoubleVec& in, int windowType);
};
