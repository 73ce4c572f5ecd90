#pragma once
// The measurement settings that travel with every data set: the 2848-byte
// measurement configuration record followed by 112 bytes this program does
// not interpret (zero in blocks it creates, kept as read otherwise). The
// block is held as raw bytes; the few fields the curve code reads have
// accessors here. A re-analysis of a set reads the block stored with it.
// A plain value: safe from any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace sonbex::curves {

inline constexpr std::size_t kSettingsRecordSize = 2848;  // the measurement configuration record
inline constexpr std::size_t kSettingsBlockSize = 2960;   // record + 112 bytes

// Offsets of the fields read here.
namespace settings_offset {
inline constexpr std::size_t kSampleRate = 24;          // float64, Hz
inline constexpr std::size_t kBitsPerSample = 32;       // uint16
inline constexpr std::size_t kStimulusId = 604;         // uint16, 0xFFFF = none
inline constexpr std::size_t kAnalyzerFlags = 2008;     // uint32, bit 3: -90 .. +90 degree polar plan
inline constexpr std::size_t kAnalysisKind = 2012;      // uint16 (the measurement type)
inline constexpr std::size_t kMinPhaseAccuracy = 2588;  // uint16, 0 .. 3
inline constexpr std::size_t kExtensionArea = 2720;     // 2720 .. 2847
}  // namespace settings_offset

inline constexpr std::uint16_t kNoStimulus = 0xFFFF;

class SettingsBlock {
public:
    using Bytes = std::array<std::uint8_t, kSettingsBlockSize>;

    SettingsBlock() { bytes_.fill(0); }
    explicit SettingsBlock(const Bytes& bytes) : bytes_(bytes) {}

    // A first-version block (the 2848-byte record alone) in the current form:
    // the record copied, its extension area set to the values a record of
    // that time implied, the 112 bytes after it zero. Bytes beyond 2848 of
    // `record` are ignored; a shorter `record` leaves the rest zero.
    static SettingsBlock FromOlderForm(std::span<const std::uint8_t> record);

    const Bytes& bytes() const { return bytes_; }
    Bytes& bytes() { return bytes_; }

    double SampleRate() const { return Double(settings_offset::kSampleRate); }
    // A block whose sample rate is not positive counts as absent.
    bool HasSampleRate() const { return SampleRate() > 0.0; }
    std::uint16_t BitsPerSample() const { return U16(settings_offset::kBitsPerSample); }
    std::uint16_t StimulusId() const { return U16(settings_offset::kStimulusId); }
    std::uint32_t AnalyzerFlags() const { return U32(settings_offset::kAnalyzerFlags); }
    std::uint16_t AnalysisKind() const { return U16(settings_offset::kAnalysisKind); }
    void SetAnalysisKind(std::uint16_t kind) { SetU16(settings_offset::kAnalysisKind, kind); }
    std::uint16_t MinPhaseAccuracy() const { return U16(settings_offset::kMinPhaseAccuracy); }

    void SetSampleRate(double rate) { SetDouble(settings_offset::kSampleRate, rate); }
    void SetBitsPerSample(std::uint16_t bits) { SetU16(settings_offset::kBitsPerSample, bits); }
    void SetStimulusId(std::uint16_t id) { SetU16(settings_offset::kStimulusId, id); }
    void SetAnalyzerFlags(std::uint32_t flags) { SetU32(settings_offset::kAnalyzerFlags, flags); }
    void SetMinPhaseAccuracy(std::uint16_t a) { SetU16(settings_offset::kMinPhaseAccuracy, a); }

    // Little-endian access at any offset (0 outside the block).
    double Double(std::size_t offset) const;
    std::uint16_t U16(std::size_t offset) const;
    std::uint32_t U32(std::size_t offset) const;
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    void SetDouble(std::size_t offset, double v);
    void SetU16(std::size_t offset, std::uint16_t v);
    void SetU32(std::size_t offset, std::uint32_t v);

    bool operator==(const SettingsBlock&) const = default;

private:
    Bytes bytes_;
};

// "Frequency Response", "Impedance" ... by the analysis kind; the polar
// kinds read "½ Polar Plot" (Windows-1252 0xBD) for the -90 .. +90 degree plan.
std::string AnalysisKindText(const SettingsBlock& settings);
// "48000 Hz, 24 bits" (the bits only with a known stimulus), "Unknown"
// without a usable sample rate.
std::string SettingsLine(const SettingsBlock& settings, bool stimulusKnown);

// The name (Windows-1252) the stimulus registry's defaults give module `id`;
// empty for kNoStimulus or an id no module has. Never reads the user's
// WAVEFORM.CFG.
std::string StimulusModuleName(std::uint16_t id);

}  // namespace sonbex::curves
