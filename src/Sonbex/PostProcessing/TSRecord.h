#pragma once
// The Thiele-Small results kept with an impedance set and stored in its file:
// 824 bytes, little-endian, float64 values in SI units, text fields
// zero-terminated Windows-1252 padded with zeros. Offsets: 0 manufacturer[128],
// 128 model[128], 256 comment[256], 512 method (uint8: 1 delta mass, 0 delta
// compliance), 520 added mass (kg) or test-box volume (m^3), 528 fs, 536 Vas,
// 544 Qms, 552 Qes, 560 Qts, 568 Sd, 576 Xmax, 584 Revc, 592 Zmax, 600 Znom,
// 608 Bl, 616..640 Levc at 1/5/10/20 kHz, 648 Levc average, 656 Rms, 664 Cms,
// 672 Mmd, 680 Mms, 688 eta0, 696 SPL 1 W, 704 SPL 2.83 V, 712 fs, 720 Qms,
// 728 Qes of the loaded curve, 744 Sd, 752 Xmax, 760 Revc as last entered,
// 768 Zmax, 776 Znom, 784..808 Levc at 1/5/10/20 kHz, 816 Levc average of the
// loaded curve.
// Plain value type; safe from any thread.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace sonbex::postprocessing {

inline constexpr std::size_t kTSRecordSize = 824;

// The results of one impedance curve.
struct CurveResults {
    double fs = 0;    // Hz
    double zmax = 0;  // ohm
    double znom = 0;  // ohm
    double qms = 0;
    double qes = 0;
    std::array<double, 4> levc{};  // H at 1, 5, 10, 20 kHz
    double levcAverage = 0;        // H
    bool operator==(const CurveResults&) const = default;
};

struct TSRecord {
    std::string manufacturer;
    std::string model;
    std::string comment;
    bool deltaMass = false;  // method: true delta mass, false delta compliance
    double added = 0;        // kg (delta mass) or m^3 (delta compliance)
    CurveResults freeAir;    // fs, Zmax, Znom, Qms, Qes, Levc
    double vas = 0;          // m^3
    double qts = 0;
    double sd = 0;    // m^2
    double xmax = 0;  // m
    double revc = 0;  // ohm
    double bl = 0;    // T m
    double rms = 0;   // kg/s
    double cms = 0;   // m/N
    double mmd = 0;   // kg
    double mms = 0;   // kg
    double eta0 = 0;  // fraction
    double spl1W = 0;
    double spl2V83 = 0;
    CurveResults loaded;  // of the loaded curve
    double sdEntered = 0;
    double xmaxEntered = 0;
    double revcEntered = 0;
    bool operator==(const TSRecord&) const = default;
};

using TSBytes = std::array<std::uint8_t, kTSRecordSize>;
TSBytes EncodeTSRecord(const TSRecord& record);
TSRecord DecodeTSRecord(std::span<const std::uint8_t, kTSRecordSize> bytes);

}  // namespace sonbex::postprocessing
