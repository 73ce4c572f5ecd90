#include "Sonbex/Measurement/MeasFields.h"

#include "Platform/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace sonbex::measurement {
namespace {

using T = FieldType;
constexpr double kU16 = 65535.0, kI16 = 32767.0, kI32 = 2147483647.0, kU32 = 4294967295.0;

const MeasField kFields[] = {
    {"state", off::kState, T::U32, 0, kU32, false, nullptr, "state flags: bit 0 changed since saved"},
    {"hardware_flags", off::kHardwareFlags, T::U32, 0, 511, false, nullptr,
     "bit 0 dual channel, 1 reverse channels, 2 invert, 3 phase correction, 4 check 192 kHz, 5 no input "
     "select, 6 calibrated level, 7 linearity calibration, 8 no input mute"},
    {"in_device", off::kInDevice, T::U16, 0, kU16, false, nullptr, "input device: 0 default, n device n-1"},
    {"out_device", off::kOutDevice, T::U16, 0, kU16, false, nullptr,
     "output device: 0 default, n device n-1"},
    {"driver_model", off::kDriverModel, T::U16, 0, 1, false, nullptr, "wave engine driver model 0 or 1"},
    {"sample_rate", off::kSampleRate, T::F64, 0, 1e7, true, nullptr, "sample rate (Hz)"},
    {"bits", off::kBits, T::U16, 8, 32, false, "8,16,20,24,32", "bits per sample"},
    {"in_channels", off::kInChannels, T::U16, 2, 2, false, nullptr, "input channels recorded (always 2)"},
    {"out_channels", off::kOutChannels, T::U16, 2, 6, false, "2,4,6", "output channels played"},
    {"buffer_frames", off::kBufferFrames, T::I32, 20, kI32, false, nullptr, "buffer size in frames"},
    {"buffer_count", off::kBufferCount, T::U16, 4, 256, false, nullptr, "number of buffers"},
    {"mixer_input_line", off::kMixerInputLine, T::U16, 0, kU16, false, nullptr, "mixer input line to record"},
    {"mixer_in", off::kMixerIn, T::I16, -1, kI16, false, nullptr, "mixer device for input (-1 derived)"},
    {"mixer_out", off::kMixerOut, T::I16, -1, kI16, false, nullptr, "mixer device for output (-1 derived)"},
    {"meas_box", off::kMeasBox, T::I16, 0, 5, false, nullptr, "measurement box: 0 none, 1 to 3 version"},
    {"z_method", off::kZMethod, T::I16, 0, 2, false, nullptr,
     "impedance method: 0 measurement box, 1 constant current, 2 constant voltage"},
    {"cc_resistor", off::kCcResistor, T::F64, -1e9, 1e9, false, nullptr,
     "constant current series resistor (Ohm)"},
    {"cv_resistor", off::kCvResistor, T::F64, -1e9, 1e9, false, nullptr,
     "constant voltage series resistor (Ohm)"},
    {"cv_ratio", off::kCvRatio, T::F64, 0.0001, 1, false, nullptr, "constant voltage divider ratio"},
    {"level_volt_ref", off::kLevelVoltRef, T::F64, -1e9, 1e9, false, nullptr,
     "level calibration: output voltage reference (V)"},
    {"input_full_scale", off::kInputFullScale, T::F64, 0, 1e9, true, nullptr,
     "level calibration: input full scale"},
    {"level_third", off::kLevelThird, T::F64, -1e9, 1e9, false, nullptr, "level calibration: third value"},
    {"level_mixer", off::kLevelMixer, T::I32, -kI32, kI32, false, nullptr,
     "level calibration: mixer setting (99999999 none)"},
    {"gain_a", off::kGainA, T::F64, -200, 200, false, nullptr, "input gain of channel A (dB)"},
    {"gain_b", off::kGainB, T::F64, -200, 200, false, nullptr, "input gain of channel B (dB)"},
    {"mic_flags", off::kMicFlags, T::U32, 0, 1, false, nullptr, "bit 0: apply the microphone compensation"},
    {"mic_file", off::kMicFile, T::Text, 0, 0, false, nullptr, "microphone compensation file"},
    {"mic_sensitivity", off::kMicSensitivity, T::F64, 0, 1e6, false, nullptr,
     "microphone sensitivity (V/Pa)"},
    {"generator_flags", off::kGenFlags, T::U32, 0, 3, false, nullptr,
     "bit 0 table sweep, bit 1 linear sweep"},
    {"module_id", off::kModuleId, T::U16, 1001, 2006, false,
     "1001,1002,1003,1004,1005,1006,2001,2002,2003,2004,2005,2006", "stimulus module id"},
    {"level_a", off::kLevelA, T::F64, 0, 1, true, nullptr, "output level of channel A, linear (1 = 0 dBr)"},
    {"level_b", off::kLevelB, T::F64, 0, 1, true, nullptr, "output level of channel B, linear (1 = 0 dBr)"},
    {"generator_channels", off::kGenChannels, T::U32, 0, 3, false, nullptr,
     "output channels: bit 0 A, bit 1 B"},
    {"sweep_file", off::kSweepFile, T::Text, 0, 0, false, nullptr, "sweep table file (.ssw)"},
    {"frequency", off::kFrequency, T::F64, 0, 1e7, true, nullptr, "single frequency of tone stimuli (Hz)"},
    {"start", off::kStart, T::F64, 0, 1e7, true, nullptr, "start frequency (Hz)"},
    {"stop", off::kStop, T::F64, 0, 1e7, true, nullptr, "stop frequency (Hz)"},
    {"points_per_octave", off::kPointsPerOctave, T::I32, 1, 4096, false, nullptr, "points per octave"},
    {"points", off::kPoints, T::I32, 1, 4096, false, nullptr, "number of points (linear sweeps)"},
    {"analyzer_flags", off::kAnaFlags, T::U32, 0, 255, false, nullptr,
     "bit 0 half window, 1 warm up, 2 add delay, 3 symmetric polar, 4 adaptive filter, 5 smooth frequency, "
     "6 smooth impedance, 7 mirror half"},
    {"type", off::kMeasType, T::U16, 0, 8, false, nullptr,
     "measurement type: 0 frequency response, 1 impedance, 2 T/S delta mass, 3 T/S delta compliance, 4 "
     "polar, "
     "5 THD, 6 SNR, 7 and 8 polar with turntable"},
    {"polar_step", off::kPolarStep, T::F64, 0.01, 45, false, nullptr, "polar angle step (degrees)"},
    {"input", off::kInput, T::I16, 1, 2, false, nullptr, "selected input: 1 channel A, 2 channel B"},
    {"averages", off::kAverages, T::U16, 1, 4096, false, nullptr, "number of averages"},
    {"qc_test", off::kQcTest, T::I16, 0, 2, false, nullptr, "QC limits: 0 off, 1 frequency, 2 impedance"},
    {"upper_file", off::kUpperFile, T::Text, 0, 0, false, nullptr, "upper limit file"},
    {"upper_column1", off::kUpperCol1, T::I16, -1, kI16, false, nullptr,
     "first column of the upper limit file"},
    {"upper_column2", off::kUpperCol2, T::I16, -1, kI16, false, nullptr,
     "second column of the upper limit file"},
    {"lower_file", off::kLowerFile, T::Text, 0, 0, false, nullptr, "lower limit file"},
    {"lower_column1", off::kLowerCol1, T::I16, -1, kI16, false, nullptr,
     "first column of the lower limit file"},
    {"lower_column2", off::kLowerCol2, T::I16, -1, kI16, false, nullptr,
     "second column of the lower limit file"},
    {"time_window", off::kTimeWindow, T::F64, 0, 1e4, true, nullptr, "time window (s)"},
    {"start_mode", off::kStartMode, T::U16, 0, 3, false, nullptr,
     "window start: 0 normal, 1 delay free, 2 auto, 3 manual"},
    {"start_offset", off::kStartOffset, T::F64, -1e4, 1e4, false, nullptr,
     "start offset (s), start mode manual"},
    {"fft_size", off::kFftSize, T::I16, -1, 20, false, "-1,10,11,12,13,14,15,16,17,18,19,20",
     "FFT size: -1 auto, else n of 2^n points"},
    {"fft_window", off::kFftWindow, T::I16, 0, 6, false, nullptr, "FFT window type"},
    {"accuracy", off::kAccuracy, T::U16, 0, 3, false, nullptr,
     "minimum-phase accuracy: 0 low to 3 very high"},
    {"turntable", off::kTurntable, T::I32, -kI32, kI32, false, nullptr, "turntable setting (types 7 and 8)"},
};

std::vector<long> Choices(const MeasField& f) {
    std::vector<long> out;
    for (const char* p = f.choices; p && *p;) {
        char* end = nullptr;
        out.push_back(std::strtol(p, &end, 10));
        p = (*end == ',') ? end + 1 : end;
    }
    return out;
}

std::string Num(double v) { return platform::FormatShortest(v); }

}  // namespace

std::span<const MeasField> MeasFields() { return kFields; }

const MeasField* FindMeasField(std::string_view name) {
    for (const MeasField& f : kFields)
        if (name == f.name) return &f;
    return nullptr;
}

bool IsNumberField(const MeasField& f) { return f.type != FieldType::Text; }

std::string FieldRange(const MeasField& f) {
    if (!IsNumberField(f)) return "text of at most " + std::to_string(kPathField - 1) + " bytes";
    if (f.choices) {
        const std::vector<long> c = Choices(f);
        std::string out;
        for (std::size_t i = 0; i < c.size(); ++i) {
            if (i > 0) out += i + 1 == c.size() ? " or " : ", ";
            out += std::to_string(c[i]);
        }
        return out;
    }
    if (f.min == f.max) return Num(f.min);
    return (f.minExclusive ? "above " + Num(f.min) + " up to " : Num(f.min) + " to ") + Num(f.max);
}

double FieldNumber(const MeasConfig& c, const MeasField& f) {
    switch (f.type) {
        case FieldType::I16:
            return c.I16(f.offset);
        case FieldType::U16:
            return c.U16(f.offset);
        case FieldType::I32:
            return c.I32(f.offset);
        case FieldType::U32:
            return c.U32(f.offset);
        case FieldType::F64:
            return c.F64(f.offset);
        case FieldType::Text:
            break;
    }
    return 0.0;
}

std::string FieldText(const MeasConfig& c, const MeasField& f) {
    if (!IsNumberField(f)) return c.Text(f.offset, kPathField);
    return Num(FieldNumber(c, f));
}

bool SetMeasField(MeasConfig& c, const MeasField& f, std::string_view value, std::string& error) {
    const std::string refused = std::string("invalid value '") + std::string(value) + "' for " + f.name +
                                ": valid is " + FieldRange(f);
    if (!IsNumberField(f)) {
        if (value.size() > kPathField - 1 || value.find('\0') != std::string_view::npos) {
            error = refused;
            return false;
        }
        c.SetText(f.offset, kPathField, value);
        return true;
    }
    std::optional<double> v = platform::ParseDoubleWhole(value);
    if (!v || !std::isfinite(*v)) {
        error = refused;
        return false;
    }
    const bool whole = f.type != FieldType::F64;
    if (whole) {
        // Hexadecimal flag words ("0x1FF") read as numbers too.
        if (std::floor(*v) != *v) {
            error = refused;
            return false;
        }
    }
    bool ok = f.minExclusive ? *v > f.min : *v >= f.min;
    ok = ok && *v <= f.max;
    if (ok && f.choices) {
        const std::vector<long> choices = Choices(f);
        ok = std::find(choices.begin(), choices.end(), static_cast<long>(*v)) != choices.end();
    }
    if (!ok) {
        error = refused;
        return false;
    }
    switch (f.type) {
        case FieldType::I16:
            c.SetI16(f.offset, static_cast<std::int16_t>(*v));
            break;
        case FieldType::U16:
            c.SetU16(f.offset, static_cast<std::uint16_t>(*v));
            break;
        case FieldType::I32:
            c.SetI32(f.offset, static_cast<std::int32_t>(*v));
            break;
        case FieldType::U32:
            c.SetU32(f.offset, static_cast<std::uint32_t>(*v));
            break;
        case FieldType::F64:
            c.SetF64(f.offset, *v);
            break;
        case FieldType::Text:
            break;
    }
    return true;
}

}  // namespace sonbex::measurement
