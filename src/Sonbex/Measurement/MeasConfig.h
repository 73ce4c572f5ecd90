#pragma once
// The measurement configuration record: everything a measurement needs to know
// (sound-card format and devices, impedance jig, level calibration,
// microphone, stimulus, analyzer, output processing, QC-limit files) as one
// fixed 2848-byte little-endian block. The same bytes are the registry value
// "Measurement Config", the generator and analyzer blocks of .MST files and
// the first part of the 2960-byte settings block stored with every data set.
//
// MeasConfig is a plain value holding those bytes, with typed accessors by
// offset and named accessors for the fields the system uses. Nobody shares a
// mutable one: the application owns the record in force (MeasSettings) and
// every run, analyzer, instrument or batch job takes a copy (a snapshot) when
// it starts. Safe from any thread on different objects.
//
// Layout (offsets from the start of the record):
//     0  200  header and hardware block
//   200  400  microphone block
//   600 1408  generator block (first block of an .MST file)
//  2008  712  analyzer block (second block of an .MST file)
//  2720  128  extension area, zeroed when the record comes from the registry

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sonbex::measurement {

inline constexpr std::size_t kMeasConfigSize = 2848;
inline constexpr std::size_t kSettingsBlockSize = 2960;  // record + 112 bytes kept as they are
inline constexpr std::int32_t kMeasConfigMarker = 56;
inline constexpr std::int32_t kMeasConfigMarkerWide = 0x10000001;  // 2960-byte registry values
inline constexpr const char* kMeasConfigValue = "Measurement Config";

// Blocks of the record.
inline constexpr std::size_t kHardwareOffset = 0, kHardwareSize = 200;
inline constexpr std::size_t kMicrophoneOffset = 200, kMicrophoneSize = 400;
inline constexpr std::size_t kGeneratorOffset = 600, kGeneratorSize = 1408;
inline constexpr std::size_t kAnalyzerOffset = 2008, kAnalyzerSize = 712;
inline constexpr std::size_t kExtensionOffset = 2720, kExtensionSize = 128;
// What the hardware page keeps and restores: the hardware block after the
// marker and the state flags.
inline constexpr std::size_t kHardwareEditOffset = 8, kHardwareEditSize = 192;

static_assert(kHardwareOffset + kHardwareSize == kMicrophoneOffset);
static_assert(kMicrophoneOffset + kMicrophoneSize == kGeneratorOffset);
static_assert(kGeneratorOffset + kGeneratorSize == kAnalyzerOffset);
static_assert(kAnalyzerOffset + kAnalyzerSize == kExtensionOffset);
static_assert(kExtensionOffset + kExtensionSize == kMeasConfigSize);
static_assert(kHardwareEditOffset + kHardwareEditSize == kMicrophoneOffset);

inline constexpr std::size_t kPathField = 260;  // char[260] text fields

// Field offsets, absolute (from the start of the record).
namespace off {
// header and hardware
inline constexpr std::size_t kMarker = 0;           // i32
inline constexpr std::size_t kState = 4;            // u32
inline constexpr std::size_t kHardwareFlags = 8;    // u32
inline constexpr std::size_t kInDevice = 12;        // u16: 0 default, n device n-1
inline constexpr std::size_t kOutDevice = 14;       // u16
inline constexpr std::size_t kDriverModel = 16;     // u16
inline constexpr std::size_t kSampleRate = 24;      // double
inline constexpr std::size_t kBits = 32;            // u16
inline constexpr std::size_t kInChannels = 34;      // u16
inline constexpr std::size_t kOutChannels = 36;     // u16
inline constexpr std::size_t kBufferFrames = 40;    // i32
inline constexpr std::size_t kBufferCount = 44;     // u16
inline constexpr std::size_t kMixerInputLine = 46;  // u16
inline constexpr std::size_t kMixerIn = 48;         // i16
inline constexpr std::size_t kMixerOut = 50;        // i16
inline constexpr std::size_t kMeasBox = 52;         // i16
inline constexpr std::size_t kZMethod = 54;         // i16
inline constexpr std::size_t kCcResistor = 56;      // double
inline constexpr std::size_t kCvResistor = 64;      // double
inline constexpr std::size_t kCvRatio = 72;         // double
inline constexpr std::size_t kLevelVoltRef = 80;    // double
inline constexpr std::size_t kInputFullScale = 88;  // double
inline constexpr std::size_t kLevelThird = 96;      // double
inline constexpr std::size_t kLevelMixer = 104;     // i32
inline constexpr std::size_t kGainA = 112;          // double
inline constexpr std::size_t kGainB = 120;          // double
// microphone
inline constexpr std::size_t kMicFlags = 200;        // u32
inline constexpr std::size_t kMicFile = 204;         // char[260]
inline constexpr std::size_t kMicSensitivity = 464;  // double, V/Pa
// generator
inline constexpr std::size_t kGenFlags = 600;         // u32
inline constexpr std::size_t kModuleId = 604;         // u16
inline constexpr std::size_t kLevelA = 608;           // double, linear
inline constexpr std::size_t kLevelB = 616;           // double
inline constexpr std::size_t kGenChannels = 624;      // u32
inline constexpr std::size_t kSweepFile = 628;        // char[260]
inline constexpr std::size_t kFrequency = 888;        // double
inline constexpr std::size_t kStart = 896;            // double
inline constexpr std::size_t kStop = 904;             // double
inline constexpr std::size_t kPointsPerOctave = 912;  // i32
inline constexpr std::size_t kPoints = 916;           // i32
inline constexpr std::size_t kOutputChannels = 920;   // 6 x 160
// analyzer
inline constexpr std::size_t kAnaFlags = 2008;     // u32
inline constexpr std::size_t kMeasType = 2012;     // u16
inline constexpr std::size_t kPolarStep = 2016;    // double
inline constexpr std::size_t kInput = 2024;        // i16
inline constexpr std::size_t kAverages = 2026;     // u16
inline constexpr std::size_t kQcTest = 2028;       // i16
inline constexpr std::size_t kUpperFile = 2030;    // char[260]
inline constexpr std::size_t kUpperCol1 = 2290;    // i16
inline constexpr std::size_t kUpperCol2 = 2292;    // i16
inline constexpr std::size_t kLowerFile = 2294;    // char[260]
inline constexpr std::size_t kLowerCol1 = 2554;    // i16
inline constexpr std::size_t kLowerCol2 = 2556;    // i16
inline constexpr std::size_t kTimeWindow = 2560;   // double, s
inline constexpr std::size_t kStartMode = 2568;    // u16
inline constexpr std::size_t kStartOffset = 2576;  // double, s
inline constexpr std::size_t kFftSize = 2584;      // i16: -1 auto, else n of 2^n
inline constexpr std::size_t kFftWindow = 2586;    // i16
inline constexpr std::size_t kAccuracy = 2588;     // u16
inline constexpr std::size_t kTurntable = 2592;    // i32
}  // namespace off

// Offsets as the blocks define them.
static_assert(off::kState == 4 && off::kHardwareFlags == 8 && off::kSampleRate == 24 && off::kBits == 32);
static_assert(off::kBufferFrames == 40 && off::kBufferCount == 44 && off::kMixerIn == 48 &&
              off::kZMethod == 54);
static_assert(off::kCcResistor == 56 && off::kLevelMixer == 104 && off::kGainA == 112 && off::kGainB == 120);
static_assert(off::kGainB + 8 + 72 == kMicrophoneOffset, "72 unused bytes close the hardware block");
static_assert(off::kMicFile == kMicrophoneOffset + 4 && off::kMicSensitivity == off::kMicFile + kPathField);
static_assert(off::kMicSensitivity + 8 + 128 == kGeneratorOffset,
              "128 unused bytes close the microphone block");
static_assert(off::kGenFlags - kGeneratorOffset == 0 && off::kModuleId - kGeneratorOffset == 4);
static_assert(off::kLevelA - kGeneratorOffset == 8 && off::kLevelB - kGeneratorOffset == 16);
static_assert(off::kGenChannels - kGeneratorOffset == 24 && off::kSweepFile - kGeneratorOffset == 28);
static_assert(off::kFrequency == off::kSweepFile + kPathField && off::kFrequency - kGeneratorOffset == 288);
static_assert(off::kStart - kGeneratorOffset == 296 && off::kStop - kGeneratorOffset == 304);
static_assert(off::kPointsPerOctave - kGeneratorOffset == 312 && off::kPoints - kGeneratorOffset == 316);
static_assert(off::kOutputChannels - kGeneratorOffset == 320);
static_assert(off::kOutputChannels + 6 * 160 + 128 == kAnalyzerOffset,
              "128 unused bytes close the generator");
static_assert(off::kMeasType - kAnalyzerOffset == 4 && off::kPolarStep - kAnalyzerOffset == 8);
static_assert(off::kInput - kAnalyzerOffset == 16 && off::kAverages - kAnalyzerOffset == 18);
static_assert(off::kQcTest - kAnalyzerOffset == 20 && off::kUpperFile - kAnalyzerOffset == 22);
static_assert(off::kUpperCol1 == off::kUpperFile + kPathField && off::kUpperCol1 - kAnalyzerOffset == 282);
static_assert(off::kLowerFile - kAnalyzerOffset == 286 && off::kLowerCol1 == off::kLowerFile + kPathField);
static_assert(off::kLowerCol2 - kAnalyzerOffset == 548 && off::kTimeWindow - kAnalyzerOffset == 552);
static_assert(off::kStartMode - kAnalyzerOffset == 560 && off::kStartOffset - kAnalyzerOffset == 568);
static_assert(off::kFftSize - kAnalyzerOffset == 576 && off::kFftWindow - kAnalyzerOffset == 578);
static_assert(off::kAccuracy - kAnalyzerOffset == 580 && off::kTurntable - kAnalyzerOffset == 584);
static_assert(off::kTurntable + 4 + 124 == kExtensionOffset, "124 unused bytes close the analyzer block");

// Output channel record (160 bytes, six of them from off::kOutputChannels).
inline constexpr int kOutputChannelCount = 6;
inline constexpr std::size_t kOutputChannelSize = 160;
inline constexpr int kFilterSlots = 5;
inline constexpr std::int32_t kFilterSlotEmpty = -2;
namespace och {
inline constexpr std::size_t kGain = 0;         // double, dB
inline constexpr std::size_t kDelay = 8;        // double
inline constexpr std::size_t kInvert = 16;      // u8 + 3 bytes
inline constexpr std::size_t kFilterType = 20;  // i32[5]
inline constexpr std::size_t kParam1 = 40;      // double[5]
inline constexpr std::size_t kParam2 = 80;      // double[5]
inline constexpr std::size_t kParam3 = 120;     // double[5]
}  // namespace och
static_assert(och::kFilterType + 4 * kFilterSlots == och::kParam1);
static_assert(och::kParam1 + 8 * kFilterSlots == och::kParam2 &&
              och::kParam2 + 8 * kFilterSlots == och::kParam3);
static_assert(och::kParam3 + 8 * kFilterSlots == kOutputChannelSize);

// Bits of the state word (offset 4).
enum StateFlag : std::uint32_t {
    kStateChanged = 0x1,    // changed since last saved
    kStateReanalysis = 0x2  // cleared by re-analysis from a stored measurement
};

// Bits of the hardware flags (offset 8).
enum HardwareFlag : std::uint32_t {
    kHwDualChannel = 0x1,
    kHwReverseChannels = 0x2,
    kHwInvert = 0x4,
    kHwPhaseCorrection = 0x8,
    kHwCheck192k = 0x10,
    kHwNoInputSelect = 0x20,
    kHwCalibratedLevel = 0x40,
    kHwLinearityCal = 0x80,
    kHwNoInputMute = 0x100,
};

// Bits of the generator flags.
enum GeneratorFlag : std::uint32_t { kGenTableSweep = 0x1, kGenLinearSweep = 0x2 };

// Bits of the analyzer flags.
enum AnalyzerFlag : std::uint32_t {
    kAnaHalfWindow = 0x1,
    kAnaWarmUp = 0x2,
    kAnaAddDelay = 0x4,
    kAnaSymmetricPolar = 0x8,
    kAnaAdaptiveFilter = 0x10,
    kAnaSmoothFrequency = 0x20,
    kAnaSmoothImpedance = 0x40,
    kAnaMirrorHalf = 0x80,
};

enum class DriverModel : std::uint16_t { Vxd = 0, Wdm = 1 };

// Measurement types (analyzer block offset 4).
inline constexpr int kTypeFrequency = 0, kTypeImpedance = 1, kTypeDeltaMass = 2, kTypeDeltaCompliance = 3,
                     kTypePolar = 4, kTypeThd = 5, kTypeSnr = 6, kTypePolarEt1 = 7, kTypePolarEt2 = 8;

// One output channel record, decoded.
struct OutputChannel {
    double gainDb = 0.0;
    double delay = 0.0;
    bool invert = false;
    std::array<std::int32_t, kFilterSlots> filterType{kFilterSlotEmpty, kFilterSlotEmpty, kFilterSlotEmpty,
                                                      kFilterSlotEmpty, kFilterSlotEmpty};
    std::array<double, kFilterSlots> p1{}, p2{}, p3{};
    bool operator==(const OutputChannel&) const = default;
};

class MeasConfig {
public:
    using Bytes = std::array<std::uint8_t, kMeasConfigSize>;

    // The defaults (SetDefaults with the WDM driver model).
    MeasConfig();
    // All bytes zero.
    static MeasConfig Zeroed();
    // A record of exactly kMeasConfigSize bytes taken as it is (no checks);
    // false for any other size.
    static bool FromBytes(std::span<const std::uint8_t> bytes, MeasConfig& out);

    // Zero the whole record, then set the defaults of every block.
    void SetDefaults(DriverModel model = DriverModel::Wdm);
    // Puts one block (or the hardware page's 192 bytes) back to its defaults.
    void ResetRange(std::size_t offset, std::size_t size);

    const Bytes& Data() const { return bytes_; }
    Bytes& Data() { return bytes_; }
    std::span<const std::uint8_t> Range(std::size_t offset, std::size_t size) const;
    // Copies `size` bytes of `from` at `offset` over this record's.
    void CopyRange(const MeasConfig& from, std::size_t offset, std::size_t size);

    // Typed little-endian access by offset (offsets past the end read 0 and
    // write nothing).
    std::int16_t I16(std::size_t o) const { return static_cast<std::int16_t>(U16(o)); }
    std::uint16_t U16(std::size_t o) const;
    std::int32_t I32(std::size_t o) const { return static_cast<std::int32_t>(U32(o)); }
    std::uint32_t U32(std::size_t o) const;
    double F64(std::size_t o) const;
    void SetI16(std::size_t o, std::int16_t v) { SetU16(o, static_cast<std::uint16_t>(v)); }
    void SetU16(std::size_t o, std::uint16_t v);
    void SetI32(std::size_t o, std::int32_t v) { SetU32(o, static_cast<std::uint32_t>(v)); }
    void SetU32(std::size_t o, std::uint32_t v);
    void SetF64(std::size_t o, double v);
    // A char[size] field: up to its first zero byte (the whole array when it
    // has none: see IsTerminated).
    std::string Text(std::size_t o, std::size_t size) const;
    // At most size-1 bytes, the rest of the field zeroed.
    void SetText(std::size_t o, std::size_t size, std::string_view text);
    bool IsTerminated(std::size_t o, std::size_t size) const;

    bool Flag(std::size_t o, std::uint32_t bit) const { return (U32(o) & bit) != 0; }
    void SetFlag(std::size_t o, std::uint32_t bit, bool on) {
        SetU32(o, on ? (U32(o) | bit) : (U32(o) & ~bit));
    }

    // ---- named fields
    std::uint32_t State() const { return U32(off::kState); }
    bool IsChanged() const { return Flag(off::kState, kStateChanged); }
    void SetChanged(bool on) { SetFlag(off::kState, kStateChanged, on); }
    std::uint32_t HardwareFlags() const { return U32(off::kHardwareFlags); }
    bool Has(HardwareFlag f) const { return Flag(off::kHardwareFlags, f); }
    void Set(HardwareFlag f, bool on) { SetFlag(off::kHardwareFlags, f, on); }
    // Devices as the wave engine numbers them: -1 the default, else the device.
    int InDevice() const { return int(U16(off::kInDevice)) - 1; }
    int OutDevice() const { return int(U16(off::kOutDevice)) - 1; }
    void SetInDevice(int device) {
        SetU16(off::kInDevice, static_cast<std::uint16_t>(device < 0 ? 0 : device + 1));
    }
    void SetOutDevice(int device) {
        SetU16(off::kOutDevice, static_cast<std::uint16_t>(device < 0 ? 0 : device + 1));
    }
    double SampleRate() const { return F64(off::kSampleRate); }
    int Bits() const { return U16(off::kBits); }
    int InChannels() const { return U16(off::kInChannels); }
    int OutChannels() const { return U16(off::kOutChannels); }
    int BufferFrames() const { return I32(off::kBufferFrames); }
    int BufferCount() const { return U16(off::kBufferCount); }
    double InputFullScale() const { return F64(off::kInputFullScale); }
    double MicSensitivity() const { return F64(off::kMicSensitivity); }
    std::string MicFile() const { return Text(off::kMicFile, kPathField); }
    bool UseMicCompensation() const { return Flag(off::kMicFlags, 1); }
    int ModuleId() const { return U16(off::kModuleId); }
    double LevelA() const { return F64(off::kLevelA); }
    double LevelB() const { return F64(off::kLevelB); }
    std::string SweepFile() const { return Text(off::kSweepFile, kPathField); }
    double Frequency() const { return F64(off::kFrequency); }
    double StartFrequency() const { return F64(off::kStart); }
    double StopFrequency() const { return F64(off::kStop); }
    int PointsPerOctave() const { return I32(off::kPointsPerOctave); }
    int Points() const { return I32(off::kPoints); }
    bool Has(GeneratorFlag f) const { return Flag(off::kGenFlags, f); }
    bool Has(AnalyzerFlag f) const { return Flag(off::kAnaFlags, f); }
    void Set(AnalyzerFlag f, bool on) { SetFlag(off::kAnaFlags, f, on); }
    int MeasurementType() const { return U16(off::kMeasType); }
    int SelectedInput() const { return I16(off::kInput); }
    int Averages() const { return U16(off::kAverages); }
    double TimeWindow() const { return F64(off::kTimeWindow); }
    int StartMode() const { return U16(off::kStartMode); }
    double StartOffset() const { return F64(off::kStartOffset); }
    int FftSize() const { return I16(off::kFftSize); }
    int FftWindow() const { return I16(off::kFftWindow); }
    OutputChannel Output(int channel) const;
    void SetOutput(int channel, const OutputChannel& record);

    bool operator==(const MeasConfig&) const = default;

private:
    Bytes bytes_{};
};

// The 2960-byte settings block stored with every data set: the record, then
// 112 bytes this program does not interpret (zero when made from a record,
// kept as read otherwise).
struct MeasSettingsBlock {
    std::array<std::uint8_t, kSettingsBlockSize> bytes{};

    static MeasSettingsBlock From(const MeasConfig& config);
    MeasConfig Config() const;
    bool operator==(const MeasSettingsBlock&) const = default;
};

}  // namespace sonbex::measurement
