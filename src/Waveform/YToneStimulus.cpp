#include "Waveform/YToneStimulus.h"

#include "Platform/IPrompt.h"
#include "YLib/YBiquad.h"
#include "YLib/YComplexVec.h"
#include "YLib/YFft.h"
#include "YLib/YFreqVec.h"
#include "YLib/YWeighting.h"

#include <algorithm>
#include <cmath>

namespace {

// Half the width of each window's main lobe, in bins of a transform as long
// as the window (rectangular, Bartlett, Hanning, Hamming, Blackman,
// Blackman-Harris, extended cosine bell).
constexpr double kMainLobeBins[kWindowTypeCount] = {1.0, 2.0, 2.0, 2.0, 3.0, 4.0, 2.0};

constexpr int kRoleStart = 2, kRoleStop = 3, kRoleTimeWindow = 16, kRoleWindow = 17, kRoleFftSize = 18;
constexpr int kRolePoints = 6, kRoleLinear = 10;

// Totals below this are silence (the square root of it is below 1e-43).
constexpr double kSilentPower = 1e-87;

// 100·sqrt(part / (part + fundamental)) in percent; 0 for silence.
double Percent(double part, double fundamental) {
    const double total = part + fundamental;
    if (!(total >= kSilentPower) || !std::isfinite(total)) return 0.0;
    return 100.0 * std::sqrt(part / total);
}

}  // namespace

YToneStimulus::YToneStimulus(int id, const char* name, int syncPulseMode, bool syncPulse,
                             sonbex::platform::IPrompt* prompt, const char* caption)
    : YWaveformBase(id, name, syncPulseMode, syncPulse), errorPrompt_(prompt), caption_(caption) {}

double YToneStimulus::DistortionFloor() const {
    return 100.0 / std::ldexp(1.0, std::clamp(bits_ - 1, 0, 23));
}

bool YToneStimulus::StimulusFrequencies(YFreqVec& out, double f1, double f2, int n, bool linear,
                                        bool descending, bool useTable) const {
    if (useTable && !FileName().empty()) {
        // The base reads the axis the way every analysis does (through the
        // registry's sweep-table loader); the spectrum only has to exist.
        YComplexVec probe(4);
        YDoubleVec axis, magnitude, phase;
        if (!ResponseOnAxis(probe, axis, magnitude, phase, f1, f2, n, linear, false) || axis.Empty())
            return false;
        if (!out.Resize(axis.Size(), false)) return false;
        std::copy(axis.begin(), axis.end(), out.begin());
        if (descending) out.Reverse();
        return true;
    }
    return out.Create(f1, f2, n, linear, descending) && !out.Empty();
}

bool YToneStimulus::PlayedTones(YFreqVec& out, double f1, double f2, int n, bool linear, bool descending,
                                const char* noun) const {
    if (!StimulusFrequencies(out, f1, f2, n, linear, descending, true)) return false;
    if (out.Size() > kMaxTones) {
        ShowError(std::string("The ") + noun + " would play " + std::to_string(out.Size()) +
                  " tones; at most " + std::to_string(kMaxTones) +
                  " are possible. Use fewer points per octave ! ");
        return false;
    }
    return true;
}

void YToneStimulus::PutFrequencyRange(WaveformParams& records, int i, double start, double stop,
                                      bool dedicated) {
    PutReal(records, i, "Start frequency", "Hz", start, WaveformParam::kNyquistPlaceholder, 1.0, -1.0,
            kRoleStart, dedicated);
    PutReal(records, i + 1, "Stop frequency", "Hz", stop, WaveformParam::kNyquistPlaceholder, 1.0, -1.0,
            kRoleStop, dedicated);
}

void YToneStimulus::PutTimeWindow(WaveformParams& records, int i, double seconds) {
    PutReal(records, i, "Time window", "s", seconds, 1.0, WaveformParam::kOneSamplePlaceholder, -1.0,
            kRoleTimeWindow, false);
}

void YToneStimulus::PutWindowAndFftSize(WaveformParams& records, int i, int windowType, int fftSize) {
    PutInt(records, i, "Window type", "", windowType, kWindowTypeCount - 1, 0, 1, kRoleWindow, false);
    PutInt(records, i + 1, "FFT size", "", fftSize, 21, -1, 1, kRoleFftSize, false);
}

void YToneStimulus::PutSpectrumAxis(WaveformParams& records, const SpectrumAxis& axis) {
    records.assign(7, WaveformParam());
    PutTimeWindow(records, 0, axis.timeWindow);
    PutWindowAndFftSize(records, 1, axis.windowType, axis.fftSize);
    PutFrequencyRange(records, 3, axis.start, axis.stop, false);
    PutInt(records, 5, "Points per octave", "", axis.points, 8192, 1, 1, kRolePoints, false);
    PutInt(records, 6, "Linear scale", "", axis.linear ? 1 : 0, 1, 0, 1, kRoleLinear, false);
}

bool YToneStimulus::TakeSpectrumAxis(WaveformParams& records, SpectrumAxis& axis) const {
    if (records.size() != 7 || !ValidateAll(records, {{4, 3}})) return false;
    axis = {records[0].value, records[1].intValue, records[2].intValue,     records[3].value,
            records[4].value, records[5].intValue, records[6].intValue != 0};
    return true;
}

bool YToneStimulus::ValidateAll(WaveformParams& records,
                                std::initializer_list<std::pair<int, int>> stopStart) const {
    // Every check runs (and corrects), even after one has failed.
    bool ok = true;
    for (int i = 0; i < int(records.size()); ++i)
        ok = (records[i].isReal ? ValidateReal(records, i) : ValidateInt(records, i)) && ok;
    for (const auto& [stop, start] : stopStart) ok = ValidateRange(records, stop, start) && ok;
    return ok;
}

void YToneStimulus::ShowError(const std::string& text) const {
    if (errorPrompt_)
        errorPrompt_->Show(text, sonbex::platform::PromptIcon::Error, sonbex::platform::PromptButtons::Ok,
                           caption_);
}

bool YToneStimulus::SizeResponses(ResponseList& responses, const YFreqVec& tones, int entries) {
    ClearResponses(responses);
    responses.resize(entries);
    for (int e = 0; e < entries; ++e) {
        responses[e].tag = ResponseEntry::kFrequency + e;
        if (!responses[e].data.Resize(tones.Size(), false)) {
            ClearResponses(responses);
            return false;
        }
    }
    std::copy(tones.begin(), tones.end(), responses[0].data.begin());
    return true;
}

void YToneStimulus::ChannelResponses(ResponseList& responses, const YComplexVec& measured,
                                     const YComplexVec& reference, int order) {
    const YComplexVec* channels[] = {&measured, &reference};
    for (int c = 0; c < 2; ++c) {
        ResponseEntry& magnitude = responses[1 + 2 * c];
        ResponseEntry& phase = responses[2 + 2 * c];
        magnitude.tag = ResponseEntry::kMagnitude;
        phase.tag = ResponseEntry::kPhase;
        for (int i = 0; i < magnitude.data.Size(); ++i) {
            const YComplex z = channels[c]->Data()[i];
            magnitude.data.Data()[i] = ScaledAbs(z.re, z.im, order);
            phase.data.Data()[i] = Arg(z);
        }
    }
}

int YToneStimulus::NormalisingTone(const YFreqVec& tones, double start, double stop) {
    const double middle = std::sqrt(start * stop);
    for (int i = 0; i < tones.Size(); ++i)
        if (tones.Data()[i] >= middle) return i;
    return tones.Size() - 1;
}

void YToneStimulus::AscendingAxis(ResponseList& responses) {
    const YDoubleVec& axis = responses[0].data;
    if (axis.Size() > 1 && axis.Data()[0] > axis.Data()[axis.Size() - 1])
        for (auto& e : responses) e.data.Reverse();
}

void YToneStimulus::LoopOffsets(RecordedChannels recording, long long& measured, long long& reference) const {
    measured = reference = 0;
    if ((stereo_ || mode_ == 1) && recording.size() >= 2) {
        const int s1 = FindStart(recording[0]), s2 = FindStart(recording[1]);
        measured = s1 - std::min(s1, s2);
        reference = stereo_ ? s2 - std::min(s1, s2) : 0;
    }
}

void YToneStimulus::FillTone(YDoubleVec& x, const YDoubleVec& v, long long from, long long count) {
    x.Fill(0.0);
    const long long first = std::max(from, 0LL);
    const long long last = std::min({from + count, (long long)v.Size(), from + (long long)x.Size()});
    std::copy(v.begin() + first, v.begin() + std::max(first, last), x.begin() + (first - from));
}

bool YToneStimulus::EvaluateTone(YDoubleVec& x, YDoubleVec& y, double f, const ToneRules& rules,
                                 bool measureOnly, ToneFigures& figures) const {
    const YFft fft;
    const int w = rules.windowLength;
    YDoubleVec r;
    if (!measureOnly && (!r.CopyFrom(x) || r.Size() != x.Size())) return false;
    fft.ApplyWindowReal(x, w, rules.windowType, false, 0);
    fft.ApplyWindowReal(y, w, rules.windowType, false, 0);
    YComplexVec X, Y;
    if (!fft.TransformReal(x, X) || !fft.TransformReal(y, Y)) return false;
    figures.measured = SpectrumAt(X, f, false);
    figures.reference = SpectrumAt(Y, f, false);
    if (measureOnly) return true;

    fft.ApplyWindowReal(r, w, rules.windowType, false, 0);
    YBiquad notch;
    notch.Setup(YBiquad::kNotch, sampleRate_, f, 0.0, rules.notchQ, false);
    notch.FilterBlock(r, true);
    YComplexVec R;
    if (!fft.TransformReal(r, R)) return false;

    // Each component is measured as the energy of its main lobe (limited to
    // half the tone's spacing when the window is short): unlike a single
    // bin it does not depend on where the frequency falls between bins.
    const int N = R.Size();
    const double binsPerHz = N / sampleRate_;
    const double lobe = std::min(kMainLobeBins[NormalizeWindowType(rules.windowType)] * N / std::max(w, 1),
                                 0.5 * f * binsPerHz);
    const auto lobeEnergy = [&](const YComplexVec& spectrum, double centre) {
        const int first = std::max(1, int(std::ceil(centre - lobe)));
        const int last = std::min(N / 2 - 1, int(std::floor(centre + lobe)));
        double sum = 0.0;
        for (int b = first; b <= last; ++b) sum += Norm(spectrum.Data()[b]);
        return sum;
    };
    const double fundamental = lobeEnergy(X, f * binsPerHz);
    YFreqVec snap;
    snap.SetPeriodSnap(true, sampleRate_);
    double harmonics = 0.0, p2 = 0.0, p3 = 0.0;
    int counted = 1;  // the highest harmonic taken into THD
    for (int h = 2; h <= rules.lastHarmonic; ++h) {
        const double fh = rules.snapHarmonics ? snap.Snap(h * f) : h * f;
        if (!(fh < sampleRate_ / 2.0)) break;
        // The notch takes a little off the harmonics too (0.35 % at 2f with
        // Q 8); its known response gives it back.
        const double gain = std::abs(notch.Response(fh, sampleRate_));
        const double power = lobeEnergy(R, fh * binsPerHz) / (gain > 0.5 ? gain * gain : 1.0);
        harmonics += power;
        if (h == 2)
            p2 = power;
        else if (h == 3)
            p3 = power;
        counted = h;
    }

    // The rest of the A-weighted spectrum is noise, except the lobes of DC,
    // the fundamental and the harmonics already counted.
    YWeighting().Apply(R, sampleRate_, YWeighting::kA);
    double noise = 0.0;
    const YComplex* bins = R.Data();
    for (int b = 1; b <= N / 2 - 2; ++b) {
        const double nearest = std::round(b / (f * binsPerHz));
        if (nearest <= counted && std::abs(b - nearest * f * binsPerHz) <= lobe) continue;
        noise += Norm(bins[b]);
    }

    const double floor = DistortionFloor();
    const double thd = Percent(harmonics, fundamental);
    figures.thd = std::max(thd, floor);
    figures.h2 = std::max(Percent(p2, fundamental), floor);
    figures.h3 = std::max(Percent(p3, fundamental), floor);
    figures.thdN = std::max(std::hypot(thd, Percent(noise, fundamental)), floor);
    return true;
}
