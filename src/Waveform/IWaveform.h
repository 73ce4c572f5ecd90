#pragma once
// The interface of every measurement stimulus. A module knows its parameters,
// generates its stimulus as samples at unit scale (full scale ±1.0), renders
// them as interleaved PCM for the sound card and, after the recording,
// analyses what came back into an impulse response or a transfer function.
//
// The measurement engine drives a module in this order: SetFormat,
// SetParams / SetAnalysisParams, Generate, GetPcm / GetPcmBytes /
// GetFrameCount, play and record (looping the PCM as often as it needs
// periods), Analyze, then GetResult when a transfer spectrum is wanted.
//
// Threading: a module is used by one thread at a time (the measurement thread
// during a run, the GUI thread between runs). Modules are owned by the
// registry (YWaveformModules).

#include "Waveform/WaveformParam.h"
#include "YLib/YDoubleVec.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class YComplexVec;
class ICalibration;

// One entry of an analysis result.
struct ResponseEntry {
    static constexpr int kImpulse = 0;      // an impulse response
    static constexpr int kFrequency = 100;  // a frequency axis in Hz
    static constexpr int kMagnitude = 101;  // magnitudes at the preceding axis
    static constexpr int kPhase = 102;      // phases (radians) at the preceding axis
    // Distortion at the preceding axis, in percent of the whole signal.
    static constexpr int kThd = 103;
    static constexpr int kThdN = 104;
    static constexpr int kH2 = 105;
    static constexpr int kH3 = 106;
    static constexpr int kH4 = 107;
    static constexpr int kH5 = 108;

    int tag = kImpulse;
    YDoubleVec data;
};
using ResponseList = std::vector<ResponseEntry>;

// The recorded channels, 32-bit floats at full scale ±1.0: the measured
// channel first, then the reference channel.
using RecordedChannels = std::span<const std::span<const float>>;

// Flags of Analyze.
inline constexpr std::uint32_t kAnalyzeSkipFirst = 1;  // the first recorded period is not averaged

// Module categories.
inline constexpr int kCategoryFrequency = 1000;  // modules that give a transfer function
inline constexpr int kCategoryImpulse = 2000;    // modules that give impulse responses

class IWaveform {
public:
    virtual ~IWaveform() = default;

    virtual int GetId() const = 0;
    virtual int GetKind() const = 0;
    virtual std::string GetName() const = 0;
    // -1 for an unset id, 0 below 1000, 1000 for 1000-1999, 2000 from 2000 on.
    virtual int GetCategory() const = 0;

    // Accepts bits 8, 16, 24 or 32 only (false, nothing stored, otherwise).
    // True (and the module valid) when the rate, both channel counts and both
    // amplitudes are above 0 and formatWord is not 0.
    virtual bool SetFormat(double sampleRate, int inChannels, int outChannels, int bits, int formatWord,
                           double ampLeft, double ampRight) = 0;
    // Output levels in dB, used by the analyses to scale their results.
    virtual bool SetLevelDb(double leftDb, double rightDb) = 0;
    virtual bool GetSyncPulse() const = 0;
    // Refused (false) by modules whose sync pulse setting is fixed.
    virtual bool SetSyncPulse(bool on) = 0;
    // 0 none, 1 triangular, 2 noise shaped.
    virtual void SetDither(int type) = 0;
    virtual int GetDither() const = 0;
    virtual void SetInvert(bool on) = 0;

    // Parameters: GetParams fails while the format is not valid; SetParams
    // refuses an array of another length (rewriting it with the current
    // values), validates, and returns false when it had to correct a value.
    virtual bool SetParams(WaveformParams& records) = 0;
    virtual bool GetParams(WaveformParams& records) = 0;
    // Builds the stimulus and renders the PCM buffer.
    virtual bool Generate() = 0;
    virtual void SetOption(bool on) = 0;
    // Two-channel (reference) analysis; only possible with two or more
    // recorded channels. Returns whether the request was met.
    virtual bool SetStereo(bool on) = 0;
    virtual bool SetAnalysisParams(WaveformParams& records) = 0;
    virtual bool GetAnalysisParams(WaveformParams& records) = 0;
    // Mode 1: both recorded channels as separate, unprocessed responses.
    virtual bool SetMode(int word) = 0;
    // Turns `count` recorded periods into responses (see ResponseList).
    virtual bool Analyze(RecordedChannels recording, ResponseList& responses, int count,
                         std::uint32_t flags) = 0;
    virtual void ClearResponses(ResponseList& responses) = 0;
    // Returns whether the name is not empty.
    virtual bool SetFileName(const std::string& name) = 0;

    virtual const YDoubleVec* GetSamples() const = 0;
    virtual const std::uint8_t* GetPcm() const = 0;
    virtual std::int32_t GetPcmBytes() const = 0;
    virtual std::int32_t GetFrameCount() const = 0;
    // The calibration correction source; may be null. Not owned.
    virtual void SetShared(ICalibration* shared) = 0;
    // The transfer spectrum of the last analysis.
    virtual bool GetResult(YComplexVec* out) = 0;
};
