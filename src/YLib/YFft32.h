#pragma once
// The single-precision transform and its window and normalisation routines,
// on plain arrays of 2^k pairs of float (real, imaginary). The same kernel as
// YFft with the twiddle table rounded to float.
//
// Threading: stateless; safe from several threads at once on different arrays.

class YFft32 {
public:
    // In place over N = 2^k pairs, k from 2 to 30 (false, data unchanged,
    // otherwise). The inverse is scaled by 1/N.
    bool Transform32(float* data, int k, bool inverse) const;
    // The forward transform of N = 2^k real samples, k from 3 to 30, through
    // a transform of N/2 pairs: data holds the samples in its first N floats
    // and receives bins 0..N/2 as pairs (N + 2 floats; the upper bins are the
    // conjugates of the lower). False, data unchanged, for another k.
    bool TransformReal32(float* data, int k) const;
    // The window rules of IFft::ApplyWindow on the real parts (imaginary parts
    // untouched), in float; a length of 0 or less, or beyond 2^k, means 2^k.
    void ApplyWindow32(float* data, int k, int length, int type, bool halfMode, int offset) const;
    // Divides every element by the complex mean of the bins around frequency
    // (the bins of IFft::NormalizeAt), so that mean becomes 1 + 0i. False, data
    // unchanged, when the mean is zero or not finite.
    bool NormalizeAt32(float* data, int k, double sampleRate, double frequency) const;
};
