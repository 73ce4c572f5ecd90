#pragma once
// One mixer line as the level control sees it: a volume control with its
// bounds and the law by which its value sets the amplitude, plus the
// identifiers the mixer backend needs to find it again.
//
// Component types name the role of a line: the speakers destination (the
// card's master output), the wave-out source (PCM), the wave-in destination
// (the capture master) and the recording sources (microphone, line ...).
//
// Pure data and pure functions, safe from any thread.

#include <cstdint>
#include <string>
#include <vector>

enum YMixerComponent : std::uint32_t {
    kMixerDstSpeakers = 4,
    kMixerDstWaveIn = 7,
    kMixerSrcUndefined = 0x1000,
    kMixerSrcDigital = 0x1001,
    kMixerSrcLine = 0x1002,
    kMixerSrcMicrophone = 0x1003,
    kMixerSrcCompactDisc = 0x1005,
    kMixerSrcWaveOut = 0x1008,
    kMixerSrcAuxiliary = 0x1009,
    kMixerSrcAnalog = 0x100A,
};

// How a control value v in minimum ... maximum sets the amplitude, relative
// to the amplitude at maximum:
//   Linear  (v - min) / (max - min)
//   Cubic   ((v - min) / (max - min))^3 (PulseAudio's software volume)
//   Db      10^(-(max - v) * dbPerUnit / 20), silent at the minimum
//   Table   gains[v - min] (a card's own dB table), gains.back() = 1
enum class YMixerLaw : std::uint8_t { Linear, Cubic, Db, Table };

struct MixerLine {
    std::uint32_t channels = 0;
    std::uint32_t lineId = 0;           // 0: no line
    std::uint32_t volumeControlId = 0;  // 0: the line has no volume control
    std::uint32_t componentType = 0;
    std::uint32_t monitorLineId = 0;  // line whose mute control silences this input on playback
    std::string shortName;            // at most 15 characters
    std::string name;                 // at most 63 characters
    std::uint32_t minimum = 0, maximum = 0;
    std::uint32_t steps = 0;  // control units between minimum and maximum
    bool settable = false;    // the volume really changes when written

    YMixerLaw law = YMixerLaw::Linear;
    double dbPerUnit = 0.0;     // Db law
    std::vector<double> gains;  // Table law, one per value from minimum

    // Used for volume work only when settable with more than two steps.
    bool Usable() const { return settable && steps > 2; }
    bool HasVolume() const { return volumeControlId != 0 && maximum > minimum; }
};

// The relative amplitude (0 ... 1) the line plays or records at `value`.
double YMixerFraction(const MixerLine& line, std::uint32_t value);
// The smallest value whose YMixerFraction is at least `fraction` (the
// maximum when none is); the minimum for a fraction of 0 or less.
std::uint32_t YMixerValueFor(const MixerLine& line, double fraction);
