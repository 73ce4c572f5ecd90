#include "Sonbex/PostProcessing/CalcTS.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace sonbex::postprocessing {
namespace {

constexpr double kPi = std::numbers::pi;

// The electrical model of a driver: Z = Re + j w Le + Bl^2 / (Rms + j w M + 1/(j w C)),
// with the stiffness 1/C = 1/Cms + K and the moving mass M.
struct Driver {
    double re = 6, fs = 50, qms = 5, qes = 0.4, mms = 0.020, le = 0.2e-3;
    double Cms() const { return 1 / (std::pow(2 * kPi * fs, 2) * mms); }
    double Rms() const { return 2 * kPi * fs * mms / qms; }
    double Bl() const { return std::sqrt(2 * kPi * fs * mms * re / qes); }

    // Points from 10 Hz to 20 kHz, `perOctave` a octave, the first `offset` points up.
    ImpedanceCurve Curve(int perOctave, double offset = 0, double extraMass = 0,
                         double extraStiffness = 0) const {
        ImpedanceCurve c;
        const double m = mms + extraMass, k = 1 / Cms() + extraStiffness;
        const double bl2 = Bl() * Bl();
        for (int i = 0;; ++i) {
            const double f = 10 * std::pow(2.0, (i + offset) / perOctave);
            if (f > 25000) break;
            const double w = 2 * kPi * f;
            const std::complex<double> mech(Rms(), w * m - k / w);
            const std::complex<double> z = std::complex<double>(re, w * le) + bl2 / mech;
            c.frequency.push_back(f);
            c.magnitude.push_back(std::abs(z));
            c.phase.push_back(std::arg(z));
        }
        return c;
    }
};

TEST(CalcTSTest, FreeAirParametersDoNotDependOnTheAxisDensity) {
    const Driver d;
    for (int perOctave : {96, 24}) {
        for (double offset : {0.0, 0.37, 0.5}) {
            CurveResults r;
            std::string why;
            ASSERT_TRUE(CalcTS::AnalyseCurve(d.Curve(perOctave, offset), d.re, r, &why)) << why;
            const std::string name =
                std::to_string(perOctave) + " per octave, offset " + std::to_string(offset);
            EXPECT_NEAR(r.fs, 50, 50 * 0.005) << name;
            EXPECT_NEAR(r.qms, 5, 5 * 0.005) << name;
            EXPECT_NEAR(r.qes, 0.4, 0.4 * 0.005) << name;
            EXPECT_NEAR(r.zmax, 6 + d.Bl() * d.Bl() / d.Rms(), 0.1) << name;
            EXPECT_EQ(r.znom, 7) << name << ": the minimum lies just above 6 ohm";
            // Im(Z)/w of the model at the first points from 1 and 20 kHz.
            const ImpedanceCurve c = d.Curve(perOctave, offset);
            for (int band : {0, 3}) {
                std::size_t i = 0;
                while (c.frequency[i] < (band == 0 ? 1000 : 20000)) ++i;
                const double l = std::sin(c.phase[i]) * c.magnitude[i] / (2 * kPi * c.frequency[i]);
                EXPECT_NEAR(r.levc[band], l, 1e-12) << name;
            }
            EXPECT_NEAR(r.levc[3], d.le, d.le * 0.01) << name << ": the motional part is gone at 20 kHz";
        }
    }
}

TEST(CalcTSTest, AddedMassGivesTheMovingMass) {
    const Driver d;
    for (int perOctave : {96, 24}) {
        const double sd = 0.0133;
        CalcTS calc(d.Curve(perOctave), d.Curve(perOctave, 0, 0.010), TSRecord{});
        EXPECT_TRUE(calc.Record().deltaMass) << "a lower loaded resonance means delta mass";
        std::string message;
        TSEntry e{d.re, sd * 1e4, true, 4, 10};
        ASSERT_EQ(calc.Recalc(e, message), TSOutcome::Calculated) << message;
        const TSRecord& r = calc.Record();
        EXPECT_NEAR(r.mms * 1000, 20.00, 0.005 * 20) << perOctave;
        EXPECT_NEAR(r.cms, d.Cms(), d.Cms() * 0.01) << perOctave;
        EXPECT_NEAR(r.bl, d.Bl(), d.Bl() * 0.01) << perOctave;
        EXPECT_NEAR(r.rms, d.Rms(), d.Rms() * 0.01) << perOctave;
        EXPECT_NEAR(r.sd, sd, 1e-12);
        EXPECT_NEAR(r.mmd, r.mms - 2 * 0.575 * std::pow(sd, 1.5), 1e-12);
        EXPECT_NEAR(r.vas, 1.2 * 344 * 344 * sd * sd * r.cms, 1e-12);
        EXPECT_NEAR(r.xmax, 0.004, 1e-15);
        EXPECT_NEAR(r.added, 0.010, 1e-15);
        EXPECT_GT(r.loaded.fs, 0);
        EXPECT_LT(r.loaded.fs, r.freeAir.fs);
    }
}

TEST(CalcTSTest, ClosedBoxGivesVasWithinOnePercent) {
    // A 20 l box: stiffness rho c^2 Sd^2 / Vt, rear air load 0.85 A instead of A.
    const Driver d;
    const double sd = 0.02, vt = 0.020;
    const double a = 0.575 * std::pow(sd, 1.5);
    const double k = sd * sd * 142000 / vt;
    const double vasTrue = 1.2 * 344 * 344 * sd * sd * d.Cms();
    for (int perOctave : {96, 24}) {
        CalcTS calc(d.Curve(perOctave), d.Curve(perOctave, 0, -0.15 * a, k), TSRecord{});
        EXPECT_FALSE(calc.Record().deltaMass) << "a higher loaded resonance means delta compliance";
        std::string message;
        ASSERT_EQ(calc.Recalc({d.re, sd * 1e4, true, 0, vt * 1000}, message), TSOutcome::Calculated)
            << message;
        EXPECT_NEAR(calc.Record().vas, vasTrue, vasTrue * 0.01) << perOctave;
        EXPECT_NEAR(calc.Record().mms, d.mms, d.mms * 0.01) << perOctave;
    }
}

TEST(CalcTSTest, MovingMass) {
    const double a = 0.575 * std::pow(0.02, 1.5);
    // Delta mass, fs 50 Hz, fs' 40 Hz, Ma 20 g: Mms = 0.02 / (1.5625 - 1).
    EXPECT_NEAR(*CalcTS::MovingMass(true, 50, 40, 0.02, 0.020) + 2 * a, 0.035556, 0.000001);
    // Delta compliance with exactly the box the formula assumes.
    const double mmd = 0.015, k = 0.02 * 0.02 * 142000 / 0.03;
    const double w = 2 * kPi * 40, s = (mmd + 2 * a) * w * w;
    const double wl = std::sqrt((s + k) / (mmd + 1.85 * a));
    EXPECT_NEAR(*CalcTS::MovingMass(false, 40, wl / (2 * kPi), 0.02, 0.03), mmd, 1e-12);
    EXPECT_FALSE(CalcTS::MovingMass(true, 50, 50, 0.02, 0.02));
    EXPECT_FALSE(CalcTS::MovingMass(true, 0, 40, 0.02, 0.02));
    EXPECT_FALSE(CalcTS::MovingMass(false, 50, 60, 0.02, 0));
}

TEST(CalcTSTest, RefusalsNameTheReason) {
    const Driver d;
    const ImpedanceCurve curve = d.Curve(24);
    struct Case {
        const char* name;
        TSEntry entry;
        bool loaded;
        std::string message;
    } cases[] = {
        {"no Revc", {0, 0, true, 0, 0}, false, kEnterRevc},
        {"Revc above Zmax", {90, 0, true, 0, 0}, false, "must be below the impedance maximum"},
        {"Revc equal to the peak",
         {CalcTS::FindResonance(curve) > 0 ? 1e9 : 0, 0, true, 0, 0},
         false,
         "must be below"},
        {"no added mass", {6, 130, true, 0, 0}, true, "Enter the added mass"},
        {"no diaphragm with a loaded curve", {6, 0, true, 0, 10}, true, "diaphragm"},
    };
    for (const Case& c : cases) {
        CalcTS calc(curve, c.loaded ? std::optional(d.Curve(24, 0, 0.01)) : std::nullopt, TSRecord{});
        std::string message;
        EXPECT_EQ(calc.Recalc(c.entry, message), TSOutcome::Refused) << c.name;
        EXPECT_NE(message.find(c.message), std::string::npos) << c.name << ": " << message;
    }
    ImpedanceCurve flat = curve;
    for (double& p : flat.phase) p = 1.0;  // no point with a phase below 18 degrees
    CurveResults r;
    EXPECT_FALSE(CalcTS::AnalyseCurve(flat, 6, r));
    EXPECT_EQ(CalcTS::FindResonance(flat), 0);
}

TEST(CalcTSTest, FreeAirOnlyLeavesTheMassResultsZeroAndRefusesTheInsert) {
    const Driver d;
    CalcTS calc(d.Curve(24), std::nullopt, TSRecord{});
    std::string message;
    ASSERT_EQ(calc.Recalc({6, 0, true, 0, 0}, message), TSOutcome::Calculated) << message;
    EXPECT_GT(calc.Record().freeAir.fs, 0);
    EXPECT_EQ(calc.Record().vas, 0);
    EXPECT_EQ(calc.Record().mms, 0);
    calc.Record().manufacturer = "ACME";
    calc.Record().model = "W8";
    boxdesign::YSpeakerData db;
    EXPECT_FALSE(calc.InsertIntoDatabase(db, message));
    EXPECT_EQ(message, kInsertNotCalculated);
    calc.Record().model.clear();
    EXPECT_FALSE(calc.InsertIntoDatabase(db, message));
    EXPECT_EQ(message, kInsertNeedsName);
    EXPECT_EQ(db.Count(), 0);
}

TEST(CalcTSTest, InsertIntoDatabaseReplacesByName) {
    const Driver d;
    TSRecord start;
    start.manufacturer = "ACME";
    start.model = "W8";
    CalcTS calc(d.Curve(48), d.Curve(48, 0, 0.01), start);
    std::string message;
    ASSERT_EQ(calc.Recalc({6, 133, true, 4, 10}, message), TSOutcome::Calculated) << message;
    boxdesign::YSpeakerData db;
    boxdesign::DriverRecord older;
    older.manufacturer = "acme";
    older.model = "w8";
    db.AddOrReplace(older, true, true);
    boxdesign::DriverId id = 0;
    ASSERT_TRUE(calc.InsertIntoDatabase(db, message, &id)) << message;
    EXPECT_EQ(db.Count(), 1);
    const boxdesign::DriverRecord& r = *db.Get(id);
    EXPECT_EQ(r.manufacturer, "ACME");
    EXPECT_EQ(r.fs, calc.Record().freeAir.fs);
    EXPECT_EQ(r.vas, calc.Record().vas);
    EXPECT_EQ(r.le, calc.Record().freeAir.levcAverage);
    EXPECT_EQ(r.le1k, calc.Record().freeAir.levc[0]);
    EXPECT_EQ(r.znom, 7);
    EXPECT_FALSE(r.stamp.valid);
}

TEST(CalcTSTest, ScanRevcZnomAndLevcWithoutHighPoints) {
    ImpedanceCurve c;
    // A peak at 50 Hz over a 6.5 ohm floor; nothing above 1 kHz.
    for (int i = 0; i <= 60; ++i) {
        const double f = 20 * std::pow(2.0, i / 24.0);
        if (f > 900) break;
        const double x = std::log2(f / 50);
        c.frequency.push_back(f);
        c.magnitude.push_back(6.5 + 40 * std::max(0.0, 1 - 4 * x * x));
        c.phase.push_back(0.0);
    }
    c.magnitude.back() = 1.0;  // the last point is not scanned
    CalcTS calc(c, std::nullopt, TSRecord{});
    EXPECT_NEAR(calc.ScanRevc(), 5.20, 1e-9);
    CurveResults r;
    ASSERT_TRUE(CalcTS::AnalyseCurve(c, 5.2, r));
    EXPECT_EQ(r.levc, (std::array<double, 4>{0, 0, 0, 0}));
    EXPECT_EQ(r.znom, 7) << "ceil(6.5 + 0.5)";
    for (double& m : c.magnitude) m -= 1.1;  // floor 5.4 ohm
    c.magnitude.back() = 10;
    ASSERT_TRUE(CalcTS::AnalyseCurve(c, 4, r));
    EXPECT_EQ(r.znom, 6);
    calc.Record().freeAir = r;
    const std::string text = calc.CopyReport();
    EXPECT_EQ(text.find("Levc @ 1kHz"), std::string::npos) << "left out when zero";
    EXPECT_NE(text.find("Levc (Ave):     \t"), std::string::npos);
}

TEST(CalcTSTest, ReportText) {
    TSRecord r;
    r.manufacturer = "ACME";
    r.model = "W8";
    r.deltaMass = true;
    r.added = 0.010;
    r.freeAir.fs = 50;
    r.vas = 0.025;
    r.sd = 0.0133;
    r.xmax = 0.004;
    r.freeAir.levc = {0.0002, 0, 0, 0};
    r.spl1W = 88.123;
    r.spl2V83 = 89.5;
    CalcTS calc(ImpedanceCurve{}, std::nullopt, r);
    const std::string t = calc.CopyReport();
    for (const char* expected :
         {"Driver:\r\n\r\nBrand: \tACME\r\nModel: \tW8\r\n\r\nThiele-Small Parameters:\r\n\r\n",
          "Fs:             \t50.00 Hz\r\n", "Vas:            \t25.00 l\r\n",
          "Sd:             \t133.00 cm\xB2\r\n", "Vd:             \t0.0532 l\r\n",
          "XMax:           \t4.00 \xB1mm\r\n", "Levc @ 1kHz:    \t0.2000 mH\r\n",
          "SPL @ 1W,1m:    \t88.12 dB\r\n", "SPL @ 2.83V,1m: \t89.50 dB\r\n\r\n",
          "Measurement Info:\r\n\r\nMethod:         \tDelta Mass\r\n", "Added weight:   \t10.00 g\r\n"})
        EXPECT_NE(t.find(expected), std::string::npos) << expected;
    EXPECT_EQ(t.find("Levc @ 5kHz"), std::string::npos);
}

TEST(CalcTSTest, RecordRoundTripsAtItsOffsets) {
    TSRecord r;
    r.manufacturer = "ACME";
    r.deltaMass = true;
    r.added = 0.01;
    r.freeAir.fs = 50;
    r.freeAir.levc = {1, 2, 3, 4};
    r.loaded.levcAverage = 9;
    r.revcEntered = 6;
    const TSBytes b = EncodeTSRecord(r);
    EXPECT_EQ(b[512], 1);
    EXPECT_EQ(boxdesign::le::GetF64(b.data() + 528), 50.0);
    EXPECT_EQ(boxdesign::le::GetF64(b.data() + 640), 4.0);
    EXPECT_EQ(boxdesign::le::GetF64(b.data() + 760), 6.0);
    EXPECT_EQ(boxdesign::le::GetF64(b.data() + 816), 9.0);
    EXPECT_EQ(DecodeTSRecord(b), r);
}

}  // namespace
}  // namespace sonbex::postprocessing
