#include "Sonbex/Measurement/MeasConfig.h"

#include <algorithm>
#include <cstring>

namespace sonbex::measurement {

MeasConfig::MeasConfig() { SetDefaults(); }

MeasConfig MeasConfig::Zeroed() {
    MeasConfig c;
    c.bytes_.fill(0);
    return c;
}

bool MeasConfig::FromBytes(std::span<const std::uint8_t> bytes, MeasConfig& out) {
    if (bytes.size() != kMeasConfigSize) return false;
    std::copy(bytes.begin(), bytes.end(), out.bytes_.begin());
    return true;
}

void MeasConfig::SetDefaults(DriverModel model) {
    bytes_.fill(0);
    // header and hardware
    SetI32(off::kMarker, kMeasConfigMarker);
    SetU32(off::kHardwareFlags, kHwDualChannel);
    SetU16(off::kDriverModel, static_cast<std::uint16_t>(model));
    SetF64(off::kSampleRate, 44100.0);
    SetU16(off::kBits, 16);
    SetU16(off::kInChannels, 2);
    SetU16(off::kOutChannels, 2);
    SetI32(off::kBufferFrames, 9600);
    SetU16(off::kBufferCount, 16);
    SetI16(off::kMixerIn, -1);
    SetI16(off::kMixerOut, -1);
    SetI16(off::kMeasBox, 3);
    SetF64(off::kCcResistor, 68.0);
    SetF64(off::kCvResistor, 0.47);
    SetF64(off::kCvRatio, 0.1);
    SetF64(off::kLevelVoltRef, 2.0);
    SetF64(off::kInputFullScale, 1.0);
    SetI32(off::kLevelMixer, 99999999);
    // microphone
    SetF64(off::kMicSensitivity, 0.01);
    // generator
    SetU16(off::kModuleId, 2001);
    SetF64(off::kLevelA, 1.0);
    SetF64(off::kLevelB, 1.0);
    SetU32(off::kGenChannels, 3);
    SetF64(off::kFrequency, 1000.0);
    SetF64(off::kStart, 20.0);
    SetF64(off::kStop, 20000.0);
    SetI32(off::kPointsPerOctave, 96);
    SetI32(off::kPoints, 100);
    for (int ch = 0; ch < kOutputChannelCount; ++ch) SetOutput(ch, OutputChannel{});
    // analyzer
    SetU32(off::kAnaFlags, kAnaHalfWindow);
    SetF64(off::kPolarStep, 10.0);
    SetI16(off::kInput, 1);
    SetU16(off::kAverages, 2);
    SetI16(off::kUpperCol1, -1);
    SetI16(off::kUpperCol2, -1);
    SetI16(off::kLowerCol1, -1);
    SetI16(off::kLowerCol2, -1);
    SetF64(off::kTimeWindow, 0.05);
    SetI16(off::kFftSize, -1);
    SetI16(off::kFftWindow, 2);
    SetU16(off::kAccuracy, 1);
    SetI32(off::kTurntable, 888);
}

void MeasConfig::ResetRange(std::size_t offset, std::size_t size) { CopyRange(MeasConfig{}, offset, size); }

std::span<const std::uint8_t> MeasConfig::Range(std::size_t offset, std::size_t size) const {
    if (offset > kMeasConfigSize) return {};
    return std::span<const std::uint8_t>(bytes_).subspan(offset, std::min(size, kMeasConfigSize - offset));
}

void MeasConfig::CopyRange(const MeasConfig& from, std::size_t offset, std::size_t size) {
    if (offset > kMeasConfigSize) return;
    size = std::min(size, kMeasConfigSize - offset);
    std::memcpy(bytes_.data() + offset, from.bytes_.data() + offset, size);
}

std::uint16_t MeasConfig::U16(std::size_t o) const {
    if (o + 2 > kMeasConfigSize) return 0;
    return static_cast<std::uint16_t>(bytes_[o] | (bytes_[o + 1] << 8));
}

std::uint32_t MeasConfig::U32(std::size_t o) const {
    if (o + 4 > kMeasConfigSize) return 0;
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(bytes_[o + i]) << (8 * i);
    return v;
}

double MeasConfig::F64(std::size_t o) const {
    if (o + 8 > kMeasConfigSize) return 0.0;
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= std::uint64_t(bytes_[o + i]) << (8 * i);
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}

void MeasConfig::SetU16(std::size_t o, std::uint16_t v) {
    if (o + 2 > kMeasConfigSize) return;
    bytes_[o] = static_cast<std::uint8_t>(v);
    bytes_[o + 1] = static_cast<std::uint8_t>(v >> 8);
}

void MeasConfig::SetU32(std::size_t o, std::uint32_t v) {
    if (o + 4 > kMeasConfigSize) return;
    for (int i = 0; i < 4; ++i) bytes_[o + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void MeasConfig::SetF64(std::size_t o, double d) {
    if (o + 8 > kMeasConfigSize) return;
    std::uint64_t v;
    std::memcpy(&v, &d, 8);
    for (int i = 0; i < 8; ++i) bytes_[o + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string MeasConfig::Text(std::size_t o, std::size_t size) const {
    if (o + size > kMeasConfigSize || size == 0) return {};
    const char* p = reinterpret_cast<const char*>(bytes_.data() + o);
    std::size_t n = 0;
    while (n < size && p[n] != '\0') ++n;
    return std::string(p, n);
}

void MeasConfig::SetText(std::size_t o, std::size_t size, std::string_view text) {
    if (o + size > kMeasConfigSize || size == 0) return;
    std::memset(bytes_.data() + o, 0, size);
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(bytes_.data() + o, text.data(), n);
}

bool MeasConfig::IsTerminated(std::size_t o, std::size_t size) const {
    if (o + size > kMeasConfigSize) return false;
    return std::find(bytes_.begin() + o, bytes_.begin() + o + size, 0) != bytes_.begin() + o + size;
}

OutputChannel MeasConfig::Output(int channel) const {
    OutputChannel r;
    if (channel < 0 || channel >= kOutputChannelCount) return r;
    const std::size_t b = off::kOutputChannels + kOutputChannelSize * std::size_t(channel);
    r.gainDb = F64(b + och::kGain);
    r.delay = F64(b + och::kDelay);
    r.invert = bytes_[b + och::kInvert] != 0;
    for (int i = 0; i < kFilterSlots; ++i) {
        r.filterType[i] = I32(b + och::kFilterType + 4 * i);
        r.p1[i] = F64(b + och::kParam1 + 8 * i);
        r.p2[i] = F64(b + och::kParam2 + 8 * i);
        r.p3[i] = F64(b + och::kParam3 + 8 * i);
    }
    return r;
}

void MeasConfig::SetOutput(int channel, const OutputChannel& r) {
    if (channel < 0 || channel >= kOutputChannelCount) return;
    const std::size_t b = off::kOutputChannels + kOutputChannelSize * std::size_t(channel);
    std::memset(bytes_.data() + b, 0, kOutputChannelSize);
    SetF64(b + och::kGain, r.gainDb);
    SetF64(b + och::kDelay, r.delay);
    bytes_[b + och::kInvert] = r.invert ? 1 : 0;
    for (int i = 0; i < kFilterSlots; ++i) {
        SetI32(b + och::kFilterType + 4 * i, r.filterType[i]);
        SetF64(b + och::kParam1 + 8 * i, r.p1[i]);
        SetF64(b + och::kParam2 + 8 * i, r.p2[i]);
        SetF64(b + och::kParam3 + 8 * i, r.p3[i]);
    }
}

MeasSettingsBlock MeasSettingsBlock::From(const MeasConfig& config) {
    MeasSettingsBlock b;
    std::copy(config.Data().begin(), config.Data().end(), b.bytes.begin());
    return b;
}

MeasConfig MeasSettingsBlock::Config() const {
    MeasConfig c = MeasConfig::Zeroed();
    MeasConfig::FromBytes(std::span<const std::uint8_t>(bytes).first(kMeasConfigSize), c);
    return c;
}

}  // namespace sonbex::measurement
