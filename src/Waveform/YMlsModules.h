#pragma once
// The three maximum-length-sequence stimuli. Each plays one period of an MLS
// of order n (L = 2^n - 1 samples, looped by the engine) and turns the
// recorded periods into an impulse response of L/2 samples by circular
// cross-correlation with the unfiltered sequence (YFastHadamard).
//
//   YWhiteMLS   2001 "White MLS"    the plain ±1 sequence
//   YPinkMLS    2002 "Pink MLS"     the sequence through a pinking filter
//   YShelvedMLS 2006 "Shelved MLS"  the sequence through a -15 dB high shelf
//                                   at 1 kHz
//
// The filtered sequences are de-emphasised in the analysis: in two-channel
// work by the reference channel, in one-channel work by the played period
// itself, so a flat device comes back flat and with the same polarity from
// every module. The sync pulse is always off.
//
// Parameters: one integer record "MLS length" (the order, 8..22, role 22).
// There are no analysis parameters.
//
// Threading: as IWaveform.

#include "Waveform/YFastHadamard.h"
#include "Waveform/YWaveformBase.h"
#include "YLib/YComplexVec.h"

class YMlsBase : public YWaveformBase {
public:
    static constexpr int kMinOrder = 8;
    static constexpr int kMaxOrder = 22;
    static constexpr int kDefaultOrder = 15;

    bool GetParams(WaveformParams& records) override;
    // Clamps the order into 8..22 and stores it; false when it had to clamp
    // or the array is not one integer record.
    bool SetParams(WaveformParams& records) override;
    bool GetAnalysisParams(WaveformParams& records) override;
    bool SetAnalysisParams(WaveformParams& records) override;
    bool Generate() override;
    // Works on the order last generated (the one that was played).
    bool Analyze(RecordedChannels recording, ResponseList& responses, int count,
                 std::uint32_t flags) override;

    int Order() const { return order_; }
    // The order the sequence and correlator are prepared for; -1 for none.
    int CachedOrder() const { return cachedOrder_; }

protected:
    YMlsBase(int id, const char* name, bool syncPulse);

    // The tap-set variant for an order.
    virtual int Variant(int order) const = 0;
    // Shapes the spectrum of the sequence in place (nothing for white).
    virtual bool Emphasise(YDoubleVec&) const { return true; }
    virtual bool Emphasised() const { return false; }
    // The level constant in dB by the sample rate rounded to an integer.
    virtual double LevelConstantDb(long rate) const = 0;
    // Keeps the response just produced (before the level scaling).
    virtual void KeepResponse(const YDoubleVec&) {}

    YFastHadamard correlator_;
    int order_ = kDefaultOrder;
    int cachedOrder_ = -1;
    double cachedRate_ = 0.0;
    // The correlation of the played period with the sequence, L/2 samples:
    // the stimulus as the analysis sees it, for de-emphasis.
    YDoubleVec reference_;
};

class YWhiteMLS : public YMlsBase {
public:
    static constexpr int kId = 2001;
    YWhiteMLS();
    // The spectrum of the last response: zero padded to 2·len + 2 points, the
    // falling half of an "Ext. Cosine Bell" over the response, forward
    // transform. False when out is null or no response is kept.
    bool GetResult(YComplexVec* out) override;

protected:
    int Variant(int) const override { return 0; }
    double LevelConstantDb(long rate) const override;
    void KeepResponse(const YDoubleVec& response) override;

private:
    YComplexVec spectrum_;
    bool spectrumStale_ = true;
};

class YPinkMLS : public YMlsBase {
public:
    static constexpr int kId = 2002;
    YPinkMLS();

protected:
    int Variant(int order) const override { return order == 15 ? 1 : 0; }
    // The refined pinking filter of P. Kellet, once over the period from zero
    // state.
    bool Emphasise(YDoubleVec& v) const override;
    bool Emphasised() const override { return true; }
    double LevelConstantDb(long rate) const override;
};

class YShelvedMLS : public YMlsBase {
public:
    static constexpr int kId = 2006;
    YShelvedMLS();

protected:
    int Variant(int order) const override { return order == 15 ? 1 : 0; }
    // A high shelf of -15 dB at 1000 Hz (shelf slope 1), once over the period
    // from zero state.
    bool Emphasise(YDoubleVec& v) const override;
    bool Emphasised() const override { return true; }
    double LevelConstantDb(long rate) const override;
};
