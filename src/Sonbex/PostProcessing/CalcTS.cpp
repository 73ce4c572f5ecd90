#include "Sonbex/PostProcessing/CalcTS.h"

#include "Platform/NumberText.h"

#include <cmath>
#include <numbers>

namespace sonbex::postprocessing {

using boxdesign::DriverRecord;

namespace {

constexpr double kPeakPhaseLimit = 0.3141592653589793;  // 18 degrees
constexpr double kRhoC2 = 142000.0;                     // stiffness of enclosed air, about rho c^2

struct Peak {
    std::size_t index = 0;
    double fs = 0;
    double zmax = 0;
};

// The walk of the peak search: the highest point with |phase| below 18
// degrees, stopping once the curve fell below two thirds of it.
bool FindPeakPoint(const ImpedanceCurve& c, Peak& peak) {
    double zmax = 0;
    bool found = false;
    for (std::size_t j = 0; j < c.Size(); ++j) {
        if (c.magnitude[j] > zmax && std::fabs(c.phase[j]) < kPeakPhaseLimit) {
            zmax = c.magnitude[j];
            peak.index = j;
            found = true;
        } else if (zmax * 0.66 > c.magnitude[j]) {
            break;
        }
    }
    if (!found) return false;
    peak.fs = c.frequency[peak.index];
    peak.zmax = zmax;
    // The parabola through the three points around the peak, over log frequency.
    const std::size_t j = peak.index;
    if (j == 0 || j + 1 >= c.Size()) return true;
    const double x0 = std::log(c.frequency[j - 1]), x1 = std::log(c.frequency[j]),
                 x2 = std::log(c.frequency[j + 1]);
    const double y0 = c.magnitude[j - 1], y1 = c.magnitude[j], y2 = c.magnitude[j + 1];
    const double d0 = (y1 - y0) / (x1 - x0), d1 = (y2 - y1) / (x2 - x1);
    const double a = (d1 - d0) / (x2 - x0);
    if (!(a < 0)) return true;
    const double b = d0 - a * (x0 + x1);
    const double xv = -b / (2 * a);
    if (!(xv > x0 && xv < x2)) return true;
    const double yv = y1 + a * (xv * xv - x1 * x1) + b * (xv - x1);
    if (!(yv >= y1) || !std::isfinite(yv)) return true;
    peak.fs = std::exp(xv);
    peak.zmax = yv;
    return true;
}

// The frequency where the magnitude crosses `level` between points i and k,
// linear over log frequency.
double Crossing(const ImpedanceCurve& c, std::size_t i, std::size_t k, double level) {
    const double mi = c.magnitude[i], mk = c.magnitude[k];
    const double t = mk == mi ? 0.0 : (level - mi) / (mk - mi);
    const double li = std::log(c.frequency[i]), lk = std::log(c.frequency[k]);
    return std::exp(li + t * (lk - li));
}

std::string Fixed(double v, int decimals) { return platform::FormatFixed(v, decimals); }

}  // namespace

CalcTS::CalcTS(ImpedanceCurve freeAir, std::optional<ImpedanceCurve> loaded, const TSRecord& record)
    : freeAir_(std::move(freeAir)), loaded_(std::move(loaded)), record_(record) {
    record_.deltaMass = DetectDeltaMass();
}

double CalcTS::FindResonance(const ImpedanceCurve& curve) {
    Peak peak;
    return curve.IsValid() && FindPeakPoint(curve, peak) ? peak.fs : 0.0;
}

bool CalcTS::AnalyseCurve(const ImpedanceCurve& c, double revc, CurveResults& out, std::string* why) {
    auto fail = [why](std::string text) {
        if (why) *why = std::move(text);
        return false;
    };
    if (!c.IsValid()) return fail("The impedance curve is not usable ! ");
    Peak peak;
    if (!FindPeakPoint(c, peak)) return fail("No resonance found in the impedance curve ! ");
    if (!(revc > 0)) return fail(kEnterRevc);
    if (!(revc < peak.zmax))
        return fail("Revc (" + Fixed(revc, 2) + " Ohms) must be below the impedance maximum (" +
                    Fixed(peak.zmax, 2) + " Ohms) ! ");
    const double r0 = peak.zmax / revc;
    const double z12 = revc * std::sqrt(r0);
    const std::size_t n = c.Size();
    const std::size_t j = peak.index;
    if (c.magnitude[j] < z12) return fail("No side frequencies found around the resonance ! ");
    // Below the peak: the last point under the level, then the crossing.
    std::size_t i = j;
    while (i > 0 && c.magnitude[i - 1] >= z12) --i;
    if (i == 0) return fail("No side frequencies found around the resonance ! ");
    const double f1 = Crossing(c, i - 1, i, z12);
    std::size_t k = j;
    while (k + 1 < n && c.magnitude[k + 1] > z12) ++k;
    if (k + 1 >= n) return fail("No side frequencies found around the resonance ! ");
    const double f2 = Crossing(c, k, k + 1, z12);
    if (!(f2 - f1 > 0)) return fail("No side frequencies found around the resonance ! ");

    CurveResults r;
    r.fs = peak.fs;
    r.zmax = peak.zmax;
    r.qms = std::sqrt(r0) * peak.fs / (f2 - f1);
    r.qes = r.qms / (r0 - 1);
    // The impedance minimum above the resonance.
    double zmin = c.magnitude[j];
    std::size_t minIndex = 0;
    for (std::size_t m = j; m + 1 < n; ++m)
        if (c.magnitude[m] < zmin) {
            zmin = c.magnitude[m];
            minIndex = m;
        }
    // Inductance from the rising part above the minimum.
    std::size_t m = minIndex + 1;
    while (m + 1 < n && c.magnitude[m] <= zmin) ++m;
    const double bands[4] = {1000, 5000, 10000, 20000};
    double sum = 0;
    int count = 0;
    for (; m + 1 < n; ++m) {
        const double l = std::sin(c.phase[m]) * c.magnitude[m] / (2 * std::numbers::pi * c.frequency[m]);
        for (int b = 0; b < 4; ++b)
            if (r.levc[b] == 0 && c.frequency[m] >= bands[b]) r.levc[b] = l;
        sum += l;
        ++count;
    }
    r.levcAverage = count > 0 ? sum / count : 0.0;
    r.znom = std::ceil(zmin + 0.5);
    out = r;
    return true;
}

std::optional<double> CalcTS::MovingMass(bool isMass, double fs, double fsLoaded, double sd, double added) {
    if (fs == fsLoaded || !(fs > 0) || !(fsLoaded > 0) || !(added > 0) || !std::isfinite(fs) ||
        !std::isfinite(fsLoaded))
        return std::nullopt;
    const double a = AirLoadMass(sd);
    if (isMass) {
        const double ratio = fs / fsLoaded;
        return added / (ratio * ratio - 1) - 2 * a;
    }
    if (!(sd > 0)) return std::nullopt;
    const double k = sd * sd * kRhoC2 / added;
    const double w = 2 * std::numbers::pi * fs, wl = 2 * std::numbers::pi * fsLoaded;
    return (k - a * (1.85 * wl * wl - 2 * w * w)) / (wl * wl - w * w);
}

bool CalcTS::DetectDeltaMass() const {
    if (!loaded_) return true;
    return FindResonance(*loaded_) < FindResonance(freeAir_);
}

double CalcTS::ScanRevc() const {
    double smallest = 1e9;
    for (std::size_t i = 0; i + 1 < freeAir_.Size(); ++i)
        smallest = std::min(smallest, freeAir_.magnitude[i]);
    return 0.8 * smallest;
}

TSOutcome CalcTS::Recalc(const TSEntry& e, std::string& message) {
    record_.revc = e.revc;
    record_.xmax = e.xmaxMm > 0 ? e.xmaxMm / 1000 : 0.0;
    record_.added = e.added / 1000;
    record_.revcEntered = record_.revc;
    record_.xmaxEntered = record_.xmax;
    if (loaded_ && !(record_.added > 0)) {
        message =
            record_.deltaMass ? "Enter the added mass Ma (g) ! " : "Enter the test-box volume Vt (l) ! ";
        return TSOutcome::Refused;
    }
    if (loaded_ || e.diaphragm > 0) {
        if (!(e.diaphragm > 0) || !std::isfinite(e.diaphragm)) {
            message = "Enter the diaphragm area SD (cm\xB2) or diameter DD (cm) ! ";
            return TSOutcome::Refused;
        }
        const double d = e.areaEntry ? std::sqrt(e.diaphragm / 6000) : e.diaphragm / 100;
        record_.sd = AreaFromDiameter(d);
    }
    record_.sdEntered = record_.sd;
    if (!(record_.revc > 0) || !std::isfinite(record_.revc)) {
        message = kEnterRevc;
        return TSOutcome::Refused;
    }
    if (!Calculate(&message)) return TSOutcome::Refused;
    return TSOutcome::Calculated;
}

bool CalcTS::Calculate(std::string* why) {
    TSRecord& r = record_;
    r.freeAir = {};
    r.loaded = {};
    auto clearMassResults = [&r] {
        r.mms = r.mmd = r.cms = r.vas = r.bl = r.rms = r.eta0 = r.spl1W = r.spl2V83 = 0;
    };
    clearMassResults();
    r.qts = 0;
    if (loaded_) {
        CurveResults loaded;
        std::string reason;
        if (!AnalyseCurve(*loaded_, r.revc, loaded, &reason)) {
            if (why) *why = "Loaded curve: " + reason;
            return false;
        }
        r.loaded = loaded;
    }
    CurveResults freeAir;
    if (!AnalyseCurve(freeAir_, r.revc, freeAir, why)) {
        r.loaded = {};
        return false;
    }
    r.freeAir = freeAir;
    calculated_ = true;
    r.qts = QtsFromQ(r.freeAir.qes, r.freeAir.qms);
    const auto mmd =
        loaded_ ? MovingMass(r.deltaMass, r.freeAir.fs, r.loaded.fs, r.sd, r.added) : std::nullopt;
    if (!mmd) return true;
    const double fs = r.freeAir.fs;
    r.mmd = *mmd;
    r.mms = r.mmd + 2 * AirLoadMass(r.sd);
    r.cms = ResonanceCounterpart(fs, r.mms);
    r.vas = VasFromCms(r.cms, r.sd);
    r.bl = ForceFactor(fs, r.mms, r.revc, r.freeAir.qes, 0);
    r.rms = MechResistance(fs, r.mms, r.freeAir.qms);
    r.eta0 = Efficiency(fs, r.vas, r.freeAir.qes);
    r.spl1W = SplAt1W(r.eta0);
    r.spl2V83 = SplAt2V83(r.eta0, r.revc);
    return true;
}

std::string CalcTS::CopyReport() const {
    const TSRecord& r = record_;
    std::string t;
    auto line = [&t](const char* label, double v, int decimals, const char* unit) {
        std::string l = label;
        l.resize(16, ' ');
        t += l + "\t" + Fixed(v, decimals) + (unit[0] ? " " : "") + unit + "\r\n";
    };
    t += "Driver:\r\n\r\n";
    t += "Brand: \t" + r.manufacturer + "\r\n";
    t += "Model: \t" + r.model + "\r\n\r\n";
    t += "Thiele-Small Parameters:\r\n\r\n";
    line("Fs:", r.freeAir.fs, 2, "Hz");
    line("Vas:", r.vas * 1000, 2, "l");
    line("Qms:", r.freeAir.qms, 4, "");
    line("Qes:", r.freeAir.qes, 4, "");
    line("Qts:", r.qts, 4, "");
    line("Sd:", r.sd * 1e4, 2, "cm\xB2");
    line("Vd:", r.xmax * r.sd * 1000, 4, "l");
    line("XMax:", r.xmax * 1000, 2, "\xB1mm");
    line("Revc:", r.revc, 4, "Ohms");
    line("ZMax:", r.freeAir.zmax, 4, "Ohms");
    line("ZNom:", r.freeAir.znom, 1, "Ohms");
    line("Bl:", r.bl, 4, "T*m");
    line("Rms:", r.rms, 4, "kg/s");
    line("Cms:", r.cms * 1000, 4, "mm/N");
    line("Mms:", r.mms * 1000, 4, "g");
    line("Mmd:", r.mmd * 1000, 4, "g");
    const char* levcLabels[4] = {"Levc @ 1kHz:", "Levc @ 5kHz:", "Levc @ 10kHz:", "Levc @ 20kHz:"};
    for (int i = 0; i < 4; ++i)
        if (r.freeAir.levc[i] > 0) line(levcLabels[i], r.freeAir.levc[i] * 1000, 4, "mH");
    line("Levc (Ave):", r.freeAir.levcAverage * 1000, 4, "mH");
    line("no:", r.eta0 * 100, 4, "%");
    line("SPL @ 1W,1m:", r.spl1W, 2, "dB");
    line("SPL @ 2.83V,1m:", r.spl2V83, 2, "dB");
    t += "\r\n";
    t += "Measurement Info:\r\n\r\n";
    t += std::string("Method:         \t") + (r.deltaMass ? "Delta Mass" : "Delta Compliance") + "\r\n";
    if (r.deltaMass)
        line("Added weight:", r.added * 1000, 2, "g");
    else
        line("Test volume:", r.added * 1000, 2, "l");
    if (t.size() > 8192) t.resize(8192);
    return t;
}

DriverRecord CalcTS::ToDriverRecord() const {
    const TSRecord& r = record_;
    DriverRecord d;
    d.manufacturer = r.manufacturer;
    d.model = r.model;
    d.comment = r.comment;
    d.fs = r.freeAir.fs;
    d.vas = r.vas;
    d.qes = r.freeAir.qes;
    d.qms = r.freeAir.qms;
    d.re = r.revc;
    d.le1k = r.freeAir.levc[0];
    d.le5k = r.freeAir.levc[1];
    d.le10k = r.freeAir.levc[2];
    d.le20k = r.freeAir.levc[3];
    d.le = r.freeAir.levcAverage;
    d.sd = r.sd;
    d.xmax = r.xmax;
    d.znom = r.freeAir.znom;
    return d;
}

bool CalcTS::InsertIntoDatabase(boxdesign::YSpeakerData& db, std::string& message,
                                boxdesign::DriverId* id) const {
    if (record_.manufacturer.empty() || record_.model.empty()) {
        message = kInsertNeedsName;
        return false;
    }
    if (record_.vas == 0) {
        message = kInsertNotCalculated;
        return false;
    }
    const boxdesign::DriverId stored = db.AddOrReplace(ToDriverRecord(), true, true);
    if (stored == boxdesign::kNoDriver) {
        message = kInsertFailed;
        return false;
    }
    if (id) *id = stored;
    return true;
}

}  // namespace sonbex::postprocessing
