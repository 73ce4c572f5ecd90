#include "Sonbex/Measurement/MeasConfigCheck.h"

#include <algorithm>
#include <cmath>

namespace sonbex::measurement {
namespace {

std::int32_t FirstI32(std::span<const std::uint8_t> b) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(b[i]) << (8 * i);
    return static_cast<std::int32_t>(v);
}

bool Positive(double v) { return std::isfinite(v) && v > 0.0; }
bool In(int v, int lo, int hi) { return v >= lo && v <= hi; }

bool HardwareValid(const MeasConfig& c) {
    const int bits = c.Bits();
    const int out = c.OutChannels();
    return c.BufferFrames() >= 20 && In(c.BufferCount(), 4, 256) &&
           (bits == 8 || bits == 16 || bits == 20 || bits == 24 || bits == 32) && Positive(c.SampleRate()) &&
           c.InChannels() == 2 && (out == 2 || out == 4 || out == 6) && Positive(c.InputFullScale());
}

bool DevicesValid(const MeasConfig& c, int deviceCount) {
    if (deviceCount < 0) return true;
    return int(c.U16(off::kInDevice)) <= deviceCount && int(c.U16(off::kOutDevice)) <= deviceCount;
}

bool MicrophoneValid(const MeasConfig& c) {
    const double s = c.MicSensitivity();
    return c.IsTerminated(off::kMicFile, kPathField) && std::isfinite(s) && s >= 0.0;
}

bool GeneratorValid(const MeasConfig& c) {
    auto level = [](double v) { return std::isfinite(v) && v > 0.0 && v <= 1.0; };
    return c.IsTerminated(off::kSweepFile, kPathField) && level(c.LevelA()) && level(c.LevelB()) &&
           Positive(c.Frequency()) && Positive(c.StartFrequency()) && Positive(c.StopFrequency()) &&
           In(c.PointsPerOctave(), 1, 4096) && In(c.Points(), 1, 4096);
}

bool AnalyzerValid(const MeasConfig& c) {
    const int fft = c.FftSize();
    return c.IsTerminated(off::kUpperFile, kPathField) && c.IsTerminated(off::kLowerFile, kPathField) &&
           In(c.MeasurementType(), 0, 8) && In(c.SelectedInput(), 1, 2) && In(c.Averages(), 1, 4096) &&
           In(c.I16(off::kQcTest), 0, 2) && Positive(c.TimeWindow()) && std::isfinite(c.StartOffset()) &&
           In(c.StartMode(), 0, 3) && In(c.U16(off::kAccuracy), 0, 3) && (fft == -1 || In(fft, 10, 20)) &&
           In(c.FftWindow(), 0, 6) && std::isfinite(c.F64(off::kPolarStep));
}

}  // namespace

bool AcceptRegistryImage(std::span<const std::uint8_t> image, MeasConfig& out) {
    if (image.size() == kSettingsBlockSize && FirstI32(image) == kMeasConfigMarkerWide) {
        MeasConfig c = MeasConfig::Zeroed();
        MeasConfig::FromBytes(image.first(kMeasConfigSize), c);
        std::fill(c.Data().begin() + kExtensionOffset, c.Data().end(), 0);
        out = c;
        return true;
    }
    if (image.size() == kMeasConfigSize && FirstI32(image) == kMeasConfigMarker)
        return MeasConfig::FromBytes(image, out);
    return false;
}

unsigned CheckMeasConfig(const MeasConfig& c, int deviceCount, unsigned blocks) {
    unsigned failed = 0;
    if ((blocks & kBlockHardware) && !HardwareValid(c)) failed |= kBlockHardware;
    if ((blocks & kBlockDevices) && !DevicesValid(c, deviceCount)) failed |= kBlockDevices;
    if ((blocks & kBlockMicrophone) && !MicrophoneValid(c)) failed |= kBlockMicrophone;
    if ((blocks & kBlockGenerator) && !GeneratorValid(c)) failed |= kBlockGenerator;
    if ((blocks & kBlockAnalyzer) && !AnalyzerValid(c)) failed |= kBlockAnalyzer;
    return failed;
}

unsigned RepairMeasConfig(MeasConfig& c, int deviceCount, unsigned blocks) {
    const unsigned failed = CheckMeasConfig(c, deviceCount, blocks);
    if (failed & kBlockHardware)
        c.ResetRange(kHardwareEditOffset, kHardwareEditSize);
    else if (failed & kBlockDevices) {
        c.SetU16(off::kInDevice, 0);
        c.SetU16(off::kOutDevice, 0);
    }
    if (failed & kBlockMicrophone) c.ResetRange(kMicrophoneOffset, kMicrophoneSize);
    if (failed & kBlockGenerator) c.ResetRange(kGeneratorOffset, kGeneratorSize);
    if (failed & kBlockAnalyzer) c.ResetRange(kAnalyzerOffset, kAnalyzerSize);
    return failed;
}

std::string BlockNames(unsigned blocks) {
    static const struct {
        unsigned bit;
        const char* name;
    } names[] = {{kBlockHardware, "hardware"},
                 {kBlockDevices, "sound devices"},
                 {kBlockMicrophone, "microphone"},
                 {kBlockGenerator, "generator"},
                 {kBlockAnalyzer, "analyzer"}};
    std::string out;
    for (const auto& n : names)
        if (blocks & n.bit) {
            if (!out.empty()) out += ", ";
            out += n.name;
        }
    return out;
}

std::string RepairMessage(unsigned blocks) {
    return "Some measurement settings were not valid, these have been reset to their defaults: " +
           BlockNames(blocks) + " ! ";
}

}  // namespace sonbex::measurement
