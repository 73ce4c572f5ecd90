#include "Sonbex/PostProcessing/YImpedanceCalc.h"

#include "Platform/NumberText.h"
#include "Sonbex/BoxDesign/DriverRecord.h"
#include "YLib/YComplex.h"
#include "YLib/YMath.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <system_error>

namespace sonbex::postprocessing {

namespace fs = std::filesystem;
namespace le = boxdesign::le;

namespace {

long RoundHalfAway(double v) { return std::lround(v); }

void PutF32(std::string& out, float v) {
    const auto u = std::bit_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(u >> (8 * i)));
}

float GetF32(const unsigned char* p) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return std::bit_cast<float>(u);
}

bool SetupUsable(const ImpedanceSetup& s) {
    switch (s.method) {
        case 0:
            return s.measurementBox >= 1 && s.measurementBox <= 3;
        case 1:
            return s.r1 > 0 && std::isfinite(s.r1);
        case 2:
            return s.r2 > 0 && s.divider > 0 && std::isfinite(s.r2) && std::isfinite(s.divider);
        default:
            return false;
    }
}

}  // namespace

fs::path CalibrationFolder(const platform::Paths& paths) { return paths.DataDir() / "Calibration"; }

YImpedanceCalc::YImpedanceCalc(ImpedanceSetup setup, CalibrationSetting setting, fs::path calibrationDir)
    : setup_(setup), setting_(setting), dir_(std::move(calibrationDir)) {}

bool YImpedanceCalc::ComputeImpedance(const std::vector<double>& frequency, std::vector<double>& magnitude,
                                      std::vector<double>& phase, const std::vector<double>& refMagnitude,
                                      const std::vector<double>& refPhase, bool applyCalibration,
                                      bool lcr) const {
    // Everything is checked before a value is touched.
    if (!SetupUsable(setup_)) return false;
    const std::size_t n = frequency.size();
    if (magnitude.size() != n || phase.size() != n || refMagnitude.size() != n || refPhase.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        const YComplex a = Polar(magnitude[i], phase[i]);
        const YComplex b = Polar(refMagnitude[i], refPhase[i]);
        YComplex z;
        double shift = 0;
        switch (setup_.method) {
            case 0:
                z = (setup_.measurementBox == 1 ? 87.03703703703704 : 68.0) * (a / b);
                if (setup_.measurementBox == 3) shift = std::numbers::pi;
                break;
            case 1:
                z = setup_.r1 * (b / (a - b));
                break;
            default:
                z = setup_.r2 * ((a / setup_.divider - b) / b);
                break;
        }
        magnitude[i] = Abs(z);
        phase[i] = WrapPhase(Arg(z) + shift);
    }
    if (!applyCalibration) return true;
    std::vector<CalibrationPoint> table;
    if (!ReadCalibration(table, lcr)) return true;
    for (std::size_t i = 0; i < n; ++i) {
        const CalibrationPoint c = CalibrationAt(table, frequency[i]);
        magnitude[i] *= c.factor;
        phase[i] = WrapPhase(phase[i] - c.phaseOffset);
    }
    return true;
}

CalibrationPoint YImpedanceCalc::CalibrationAt(const std::vector<CalibrationPoint>& table, double f) {
    if (table.empty()) return {};
    if (table.front().frequency >= f) return table.front();
    if (table.back().frequency <= f) return table.back();
    std::size_t j = 0;
    while (j + 2 < table.size() && table[j + 1].frequency < f) ++j;
    const CalibrationPoint& p = table[j];
    const CalibrationPoint& q = table[j + 1];
    return {f, InterpolateLog(f, p.frequency, p.factor, q.frequency, q.factor),
            InterpolateLog(f, p.frequency, p.phaseOffset, q.frequency, q.phaseOffset)};
}

fs::path YImpedanceCalc::CalibrationPath(bool lcr) const {
    const char* prefix = nullptr;
    if (setup_.method == 0) {
        static const char* boxes[] = {"ZCV1", "ZCV2", "ZCV3"};
        if (setup_.measurementBox >= 1 && setup_.measurementBox <= 3)
            prefix = boxes[setup_.measurementBox - 1];
    } else if (setup_.method == 1) {
        prefix = "ZCCC";
    } else if (setup_.method == 2) {
        prefix = "ZCCV";
    }
    if (!prefix || !setting_.stimulusKnown) return {};
    const CalibrationSetting& s = setting_;
    char name[256];
    int len;
    if (lcr) {
        len = std::snprintf(name, sizeof name, "%s_%X_%X_%X_%ld_%d_LCR.zcl", prefix,
                            static_cast<unsigned>(s.stimulusId), static_cast<unsigned>(s.inputDevice),
                            static_cast<unsigned>(s.outputDevice), RoundHalfAway(s.sampleRate),
                            s.bitsPerSample);
    } else {
        const unsigned window = static_cast<unsigned>(s.fftWindow) + (s.halfWindow ? 0x8000u : 0u);
        const std::string ms = platform::FormatFixed(s.timeWindowMs, 2);
        len =
            std::snprintf(name, sizeof name, "%s_%X_%X_%X_%ld_%d_%X_%s_%d_%ld_%ld_%d%c.zcl", prefix,
                          static_cast<unsigned>(s.stimulusId), static_cast<unsigned>(s.inputDevice),
                          static_cast<unsigned>(s.outputDevice), RoundHalfAway(s.sampleRate), s.bitsPerSample,
                          window, ms.c_str(), s.fftSize, RoundHalfAway(s.startHz), RoundHalfAway(s.stopHz),
                          s.linearSweep ? s.linearPoints : s.pointsPerOctave, s.logAxis ? 'L' : 'I');
    }
    if (len < 0 || static_cast<std::size_t>(len) >= sizeof name) return {};
    return dir_ / name;
}

bool YImpedanceCalc::CalibrationExists(bool lcr) const {
    const fs::path p = CalibrationPath(lcr);
    std::error_code ec;
    return !p.empty() && fs::is_regular_file(p, ec);
}

bool YImpedanceCalc::WriteCalibration(const std::vector<double>& frequency,
                                      const std::vector<double>& magnitude, const std::vector<double>& phase,
                                      double resistance, double* averageFactor, bool lcr,
                                      const platform::AtomicWriteOptions& options) const {
    const fs::path path = CalibrationPath(lcr);
    const std::size_t n = frequency.size();
    if (path.empty() || magnitude.size() != n || phase.size() != n || n > 0x7FFFFFFF) return false;
    if (!(resistance > 0) || !std::isfinite(resistance)) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (!(magnitude[i] > 0) || !std::isfinite(magnitude[i])) return false;
    std::string bytes;
    bytes.reserve(4 + 12 * n);
    std::uint8_t count[4];
    le::PutI32(count, static_cast<std::int32_t>(n));
    bytes.append(reinterpret_cast<const char*>(count), 4);
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double factor = resistance / magnitude[i];
        sum += factor;
        PutF32(bytes, static_cast<float>(frequency[i]));
        PutF32(bytes, static_cast<float>(factor));
        PutF32(bytes, static_cast<float>(phase[i]));
    }
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (!platform::WriteFileAtomically(path, bytes, options)) return false;
    if (averageFactor) *averageFactor = sum / static_cast<double>(n > 0 ? n : 1);
    return true;
}

bool YImpedanceCalc::ParseCalibration(std::string_view bytes, std::vector<CalibrationPoint>& table) {
    if (bytes.size() < 4) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::int32_t n = le::GetI32(p);
    // The count is bounded by the bytes that follow it.
    if (n <= 0 || static_cast<std::uint64_t>(n) > (bytes.size() - 4) / 12) return false;
    std::vector<CalibrationPoint> t(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
        const unsigned char* r = p + 4 + 12 * static_cast<std::size_t>(i);
        t[static_cast<std::size_t>(i)] = {GetF32(r), GetF32(r + 4), GetF32(r + 8)};
    }
    table = std::move(t);
    return true;
}

bool YImpedanceCalc::ReadCalibration(std::vector<CalibrationPoint>& table, bool lcr) const {
    const fs::path path = CalibrationPath(lcr);
    if (path.empty()) return false;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size > (64u << 20)) return false;
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (!in) return false;
    return ParseCalibration(bytes, table);
}

}  // namespace sonbex::postprocessing
