#include "Waveform/YStimulusAnalysis.h"

#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFft.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kNormalizeFrequency = 1000.0;

// 20·log10(x) limited to ±760 dB (-760 for a zero or a negative value).
double ClampedDb(double x)
{
    if (!(x >= 1e-38))
        return -760.0;
    if (x > 1e38)
        return 760.0;
    return 20.0 * std::log10(x);
}

}  // namespace

int YStimulusAnalysis::DualChannelOrder(int n)
{
    const long long even = (static_cast<long long>(std::max(n, 0)) + 1) & ~1LL;
    int k = 3;
    while ((1LL << k) < even)
        k += 2;
    return k;
}

bool YStimulusAnalysis::DualChannelTransfer(YDoubleVec& out, const YDoubleVec& measured,
                                            const YDoubleVec& reference, double sampleRate, bool advanceOne,
                                            const YComplexVec* compensation)
{
    const int n = std::min(measured.Size(), reference.Size());
    const int k = DualChannelOrder(n);
    if (k > 30)
        return false;
    const int N = 1 << k;
    if (compensation && compensation->Size() != N)
        return false;

    YDoubleVec m(N), r(N);
    if (m.Size() != N || r.Size() != N)
        return false;
    std::copy_n(measured.begin(), n, m.begin());
    std::copy_n(reference.begin(), n, r.begin());
    const YFft fft;
    YComplexVec M, R;
    if (!fft.TransformReal(m, M) || !fft.TransformReal(r, R))
        return false;
    if (!fft.NormalizeAt(R, sampleRate, kNormalizeFrequency))
        return false;

    YComplex* h = M.Data();
    for (int j = 0; j < N; ++j) {
        h[j] /= R.Data()[j];
        if (advanceOne)
            h[j] *= Polar(1.0, 2.0 * std::numbers::pi * j / N);
        if (compensation)
            h[j] /= compensation->Data()[j];
    }
    if (!fft.InverseTransform(M) || !out.Resize(n, false))
        return false;
    for (int i = 0; i < n; ++i)
        out.Data()[i] = h[i].re;
    return true;
}

void YStimulusAnalysis::ApplyCompensation(YDoubleVec& ir, const YComplexVec& compensation)
{
    const int N = compensation.Size();
    if (N < 4 || (N & (N - 1)) != 0 || N / 2 < ir.Size())
        return;
    YComplexVec x;
    if (!x.SetReal(ir) || !x.Resize(N, true))
        return;
    const YFft fft;
    if (!fft.Transform(x, false))
        return;
    x /= compensation;
    if (!fft.InverseTransform(x))
        return;
    for (int i = 0; i < ir.Size(); ++i)
        ir.Data()[i] = x.Data()[i].re;
}

bool YStimulusAnalysis::Hilbert(YDoubleVec& out, const YDoubleVec& in, int windowType)
{
    int N = 2;
    while (N < in.Size())
        N *= 2;
    YDoubleVec w(N);
    if (w.Size() != N)
        return false;
    w.Fill(1.0);
    const YFft fft;
    fft.ApplyWindowReal(w, 0, windowType, true, 0);

    YComplexVec x;
    if (!x.SetReal(in) || !x.Resize(2 * N, true))
        return false;
    if (!fft.Transform(x, false))
        return false;
    YComplex* X = x.Data();
    X[0] = YComplex();
    for (int j = 1; j < N; ++j)
        X[j] *= YComplex(0.0, w.Data()[j - 1]);
    X[N] *= YComplex(0.0, -w.Data()[N - 1]);
    for (int j = N + 1; j < 2 * N; ++j)
        X[j] *= YComplex(0.0, -w.Data()[2 * N - 1 - j]);
    if (!fft.InverseTransform(x) || !out.Resize(in.Size(), false))
        return false;
    for (int i = 0; i < in.Size(); ++i)
        out.Data()[i] = X[i].re;
    return true;
}

bool YStimulusAnalysis::EnvelopeDb(YDoubleVec& out, const YDoubleVec& in, int windowType)
{
    YDoubleVec h;
    if (!Hilbert(h, in, windowType))
        return false;
    const int n = std::min(in.Size(), h.Size());
    if (!out.Resize(n, false))
        return false;
    double top = -1e300;
    for (int i = 0; i < n; ++i) {
        const double a = in.Data()[i], b = h.Data()[i];
        const double env = (a == 0.0 && b == 0.0) ? 0.0 : std::sqrt(a * a + b * b);
        out.Data()[i] = ClampedDb(env);
        top = std::max(top, out.Data()[i]);
    }
    for (int i = 0; i < n; ++i)
        out.Data()[i] -= top;
    return true;
}
