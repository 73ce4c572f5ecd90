#include "Sonbex/Curves/SettingsBlock.h"

#include "Waveform/YWaveformModules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace sonbex::curves {

SettingsBlock SettingsBlock::FromOlderForm(std::span<const std::uint8_t> record) {
    SettingsBlock b;
    std::copy_n(record.begin(), std::min(record.size(), kSettingsRecordSize), b.bytes_.begin());
    // The extension area 2720 .. 2831; 2832 .. 2847 stay as copied.
    std::fill(b.bytes_.begin() + 2720, b.bytes_.begin() + 2832, std::uint8_t{0});
    b.SetDouble(2728, 8.0);
    b.SetDouble(2776, 40.0);
    b.SetDouble(2784, 40.0);
    b.SetDouble(2800, -10.0);
    b.SetDouble(2808, 10.0);
    return b;
}

double SettingsBlock::Double(std::size_t offset) const {
    if (offset + 8 > bytes_.size()) return 0.0;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | bytes_[offset + i];
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

std::uint16_t SettingsBlock::U16(std::size_t offset) const {
    if (offset + 2 > bytes_.size()) return 0;
    return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
}

std::uint32_t SettingsBlock::U32(std::size_t offset) const {
    if (offset + 4 > bytes_.size()) return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | bytes_[offset + i];
    return v;
}

void SettingsBlock::SetDouble(std::size_t offset, double v) {
    if (offset + 8 > bytes_.size()) return;
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void SettingsBlock::SetU16(std::size_t offset, std::uint16_t v) {
    if (offset + 2 > bytes_.size()) return;
    bytes_[offset] = static_cast<std::uint8_t>(v);
    bytes_[offset + 1] = static_cast<std::uint8_t>(v >> 8);
}

void SettingsBlock::SetU32(std::size_t offset, std::uint32_t v) {
    if (offset + 4 > bytes_.size()) return;
    for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string AnalysisKindText(const SettingsBlock& settings) {
    switch (settings.AnalysisKind()) {
        case 0:
            return "Frequency Response";
        case 1:
            return "Impedance";
        case 2:
            return "T/S with Delta Mass";
        case 3:
            return "T/S with Delta Compliance";
        case 4:
        case 7:
        case 8:
            return (settings.AnalyzerFlags() & 8u) ? std::string("\xBD Polar Plot")
                                                   : std::string("Polar Plot");
        case 5:
            return "Total Harmonic Distortion";
        default:
            return "Unknown";
    }
}

std::string SettingsLine(const SettingsBlock& settings, bool stimulusKnown) {
    const double rate = settings.SampleRate();
    if (!(rate > 0.0 && rate < 1e8)) return "Unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f Hz", rate >= 8000.0 ? 0 : 1, rate);
    std::string line = text;
    const int bits = settings.BitsPerSample();
    if (bits >= 1 && bits <= 48 && stimulusKnown) line += ", " + std::to_string(bits) + " bits";
    return line;
}

std::string StimulusModuleName(std::uint16_t id) {
    if (id == kNoStimulus) return {};
    static const auto registry = [] {
        auto r = std::make_unique<YWaveformModules>(YWaveformModules::Options{});
        r->Init(48000.0, 2, 2, 16, 1, 1.0, 1.0);
        return r;
    }();
    std::vector<IWaveform*> all;
    registry->List(all, -1, false);
    for (IWaveform* m : all)
        if (m->GetId() == id) return m->GetName();
    return {};
}

}  // namespace sonbex::curves
