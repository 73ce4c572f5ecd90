#pragma once
// What every stimulus module shares: the audio format, output amplitudes and
// levels, dither, polarity, the optional synchronisation block, the PCM
// renderer, the helpers that find the start of a recording and average its
// periods, the spectrum sampling helpers of the frequency-response modules and
// the parameter validation helpers.
//
// Threading: as IWaveform (one thread at a time). The prompt service and the
// sweep-table loader handed in must outlive the module and be callable from
// the thread that runs the analysis.

#include "Waveform/IWaveform.h"
#include "YLib/YComplex.h"
#include "YLib/YFreqVec.h"

#include <string>
#include <vector>

class ISweepTableLoader;
namespace sonbex::platform {
class IPrompt;
}

class YWaveformBase : public IWaveform {
public:
    // The message shown when a recording is too short for the averages asked.
    static constexpr const char* kNotEnoughData =
        "There where not enough sampled data, you could \ntry again or increase the wave buffer size ! ";

    int GetId() const override { return id_; }
    int GetKind() const override { return kind_; }
    std::string GetName() const override { return name_; }
    int GetCategory() const override;

    bool SetFormat(double sampleRate, int inChannels, int outChannels, int bits, int formatWord,
                   double ampLeft, double ampRight) override;
    bool SetLevelDb(double leftDb, double rightDb) override;
    bool GetSyncPulse() const override { return syncPulse_; }
    bool SetSyncPulse(bool on) override;
    void SetDither(int type) override { dither_ = type; }
    int GetDither() const override { return dither_; }
    void SetInvert(bool on) override { invert_ = on; }
    bool SetParams(WaveformParams&) override { return false; }
    bool GetParams(WaveformParams&) override { return false; }
    bool Generate() override { return false; }
    void SetOption(bool on) override { optionFlag_ = on; }
    bool SetStereo(bool on) override;
    bool SetAnalysisParams(WaveformParams&) override { return false; }
    bool GetAnalysisParams(WaveformParams&) override { return false; }
    bool SetMode(int word) override {
        mode_ = word;
        return true;
    }
    bool Analyze(RecordedChannels, ResponseList&, int, std::uint32_t) override { return false; }
    void ClearResponses(ResponseList& responses) override;
    bool SetFileName(const std::string& name) override;
    const YDoubleVec* GetSamples() const override { return &samples_; }
    const std::uint8_t* GetPcm() const override { return pcm_.empty() ? nullptr : pcm_.data(); }
    std::int32_t GetPcmBytes() const override { return std::int32_t(pcm_.size()); }
    std::int32_t GetFrameCount() const override { return GetPcmBytes() / blockAlign_; }
    void SetShared(ICalibration* shared) override { shared_ = shared; }
    bool GetResult(YComplexVec*) override { return false; }

    // Services handed down by the registry (either may be null: no message is
    // shown / the sweep table is read with YFileSweepTableLoader).
    void SetPrompt(sonbex::platform::IPrompt* prompt) { prompt_ = prompt; }
    void SetSweepTableLoader(ISweepTableLoader* loader) { sweepTables_ = loader; }

    bool IsValid() const { return valid_; }
    // The last SetFormat or SetSyncPulse changed something that needs a new
    // stimulus.
    bool IsChanged() const { return changed_; }
    double SampleRate() const { return sampleRate_; }
    int Bits() const { return bits_; }
    int OutChannels() const { return outChannels_; }
    int InChannels() const { return inChannels_; }
    bool Stereo() const { return stereo_; }
    int Mode() const { return mode_; }
    double LevelLeft() const { return levelLeft_; }
    const std::string& FileName() const { return fileName_; }

    // Parameter helpers, public for the settings dialogs and the tests.
    // Real/int value of record i forced into [min, max] (placeholders
    // resolved against the rate; a non-finite value becomes min); false when
    // it had to change the value or i is outside the array.
    bool ValidateReal(WaveformParams& records, int i) const;
    bool ValidateInt(WaveformParams& records, int i) const;
    // True when stop > start and stop <= max (of the stop record). Otherwise
    // both are moved into range: stop = max when it was above start, else
    // 1.05 × start; start is lowered to max / 1.05 where that would put stop
    // above max. False after a correction.
    bool ValidateRange(WaveformParams& records, int iStop, int iStart) const;
    // True when the file named in the record's text exists.
    bool ValidateFile(const WaveformParams& records, int i) const;
    static void PutReal(WaveformParams& records, int i, const char* name, const char* unit, double value,
                        double max, double min, double step, int role, bool dedicated);
    static void PutInt(WaveformParams& records, int i, const char* name, const char* unit, int value, int max,
                       int min, int step, int role, bool dedicated);
    static void PutText(WaveformParams& records, int i, const char* name, const char* unit,
                        const std::string& text, int role, bool dedicated);

    // Subtracts from every sample the mean of the last size/64 samples;
    // vectors of fewer than 64 samples have no tail to measure and stay as
    // they are.
    static void RemoveTailMean(YDoubleVec& v);
    // Removes the trailing run of samples with the sign of the last one (a
    // last sample of 0 removes nothing); with matchStart only when sample 1
    // has that sign too.
    static void TrimSignTail(YDoubleVec& v, bool matchStart);

protected:
    YWaveformBase(int id, const char* name, int syncPulseMode, bool syncPulse);

    // Renders samples_ into the PCM buffer (sync block, amplitudes, polarity,
    // dither, saturation at the code range). False when it cannot be
    // allocated or would exceed 2 GiB.
    bool Render();

    // The first sample of the response in channel: the envelope (of at most a
    // quarter second, on a 10-bit grid, half-band smoothed) first above
    // -20 dB of its maximum, moved back by round(sampleRate / 12000).
    int FindStart(std::span<const float> channel) const;
    // The average of `blocks` consecutive blocks of blockLength samples from
    // start (skipFirst: from the next block on). False, with the not-enough-data
    // message, when the channel does not hold them.
    bool AverageBlocks(YDoubleVec& out, std::span<const float> channel, int start, int blockLength,
                       int blocks, bool skipFirst) const;
    // One averaged period per channel needed (two with stereo or mode 1), each
    // without the sync block. Two channels keep the delay between them: the
    // later one's averaged loop is rotated so that both begin at the earlier
    // start.
    bool ExtractPeriods(YDoubleVec& out1, YDoubleVec& out2, RecordedChannels recording, int period, int count,
                        bool skipFirst) const;

    // The spectrum (N bins at sampleRate) at f: the nearest bin within
    // 1..N/2-1; with interpolate, real and imaginary parts are interpolated
    // logarithmically in frequency between the two bins around f.
    YComplex SpectrumAt(std::span<const YComplex> spectrum, double f, bool interpolate) const;
    // Fills the axis (from the sweep table named by the file name when one is
    // set, else f1..f2 with n points per octave or n linear points) and the
    // magnitude and phase (radians) at every axis frequency.
    bool ResponseOnAxis(std::span<const YComplex> spectrum, YDoubleVec& axis, YDoubleVec& magnitude,
                        YDoubleVec& phase, double f1, double f2, int n, bool linear, bool interpolate) const;
    // Bins j < M (M = N/2 with half, else N) keep their magnitude and get the
    // phase arg - c0·(1 - j/M) with c0 = π (half) or 2π. The full form is a
    // one-sample advance.
    static void PhaseRotate(std::span<YComplex> x, bool half);

    // Shows the not-enough-data message.
    void ReportNotEnoughData() const;
    // Asks the calibration source for a compensation spectrum; false when
    // there is none.
    bool Compensation(int order, int flags, YComplexVec& out) const;

    // The module's parameter array is exactly `count` records of the module's
    // own kind: otherwise rewrites it from the current values (getter) and
    // returns false. Each record takes the module's own description (name,
    // unit, limits) and keeps only its value, so that stored files cannot
    // widen the limits.
    template <class Getter>
    bool AdoptRecords(WaveformParams& records, std::size_t count, Getter getter);

    ICalibration* shared_ = nullptr;
    YDoubleVec samples_;
    std::vector<std::uint8_t> pcm_;
    double levelLeft_ = 1.0, levelRight_ = 1.0;
    int id_ = -1;
    int kind_ = 1;
    std::string name_;
    int syncPulseMode_ = 0;
    bool syncPulse_ = false;
    bool invert_ = false;
    bool optionFlag_ = false;
    bool stereo_ = true;
    int mode_ = 0;
    double sampleRate_ = 0.0;
    int inChannels_ = 0;
    int outChannels_ = 0;
    int bits_ = 0;
    int blockAlign_ = 1;
    int formatWord_ = 0;
    double ampLeft_ = 0.0, ampRight_ = 0.0;
    int dither_ = 0;
    bool valid_ = false;
    bool changed_ = false;
    std::string fileName_;

private:
    sonbex::platform::IPrompt* prompt_ = nullptr;
    ISweepTableLoader* sweepTables_ = nullptr;
};

template <class Getter>
bool YWaveformBase::AdoptRecords(WaveformParams& records, std::size_t count, Getter getter) {
    WaveformParams own;
    if (!getter(own) || own.size() != count) return false;
    bool fits = records.size() == count;
    for (std::size_t i = 0; fits && i < count; ++i) fits = records[i].isReal == own[i].isReal;
    if (!fits) {
        records = own;
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        WaveformParam p = own[i];
        p.value = records[i].value;
        p.intValue = records[i].intValue;
        p.text = records[i].text;
        records[i] = std::move(p);
    }
    return true;
}
