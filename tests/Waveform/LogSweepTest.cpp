// The logarithmic sine sweep: generation, parameters and analysis.

#include "Waveform/ICalibration.h"
#include "Waveform/ISweepTableLoader.h"
#include "Waveform/YLogSweep.h"
#include "WaveformTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>

namespace {

using namespace waveform_test;

YLogSweep Prepared(double f1, double f2, double durationPerOctave, bool two) {
    YLogSweep m;
    EXPECT_TRUE(m.SetFormat(48000.0, two ? 2 : 1, 2, 24, 1, 1.0, 1.0));
    m.SetStereo(two);
    WaveformParams p;
    EXPECT_TRUE(m.GetParams(p));
    p[0].value = f1;
    p[1].value = f2;
    p[2].value = durationPerOctave;
    EXPECT_TRUE(m.SetParams(p));
    WaveformParams a;
    EXPECT_TRUE(m.GetAnalysisParams(a));
    a[2].intValue = 24;
    EXPECT_TRUE(m.SetAnalysisParams(a));
    EXPECT_TRUE(m.Generate());
    return m;
}

struct Point {
    double first;   // magnitude (linear)
    double second;  // phase
    double f;       // the axis frequency
};

// The result list at the axis point nearest f.
Point At(const ResponseList& r, double f) {
    const YDoubleVec& axis = r[0].data;
    int best = 0;
    for (int i = 0; i < axis.Size(); ++i)
        if (std::abs(std::log(axis[i] / f)) < std::abs(std::log(axis[best] / f))) best = i;
    return {r[1].data[best], r[2].data[best], axis[best]};
}

double Db(double x) { return 20.0 * std::log10(x); }

TEST(LogSweep, GenerationMatchesTheAnalyticSweep) {
    YDoubleVec s;
    ASSERT_TRUE(YLogSweep::MakeSweep(s, 48000.0, 20.0, 20000.0, 0.1));
    ASSERT_EQ(s.Size(), 47837);
    std::ifstream table(std::string(SONBEX_TEST_DATA) + "/Waveform/log_sweep_48k.txt");
    ASSERT_TRUE(table);
    std::string line;
    int rows = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        in.imbue(std::locale::classic());
        int i;
        double v;
        in >> i >> v;
        EXPECT_NEAR(s[i], v, 1e-9) << "sample " << i;
        ++rows;
    }
    EXPECT_EQ(rows, 6);
    EXPECT_NEAR(s[0], -0.659471, 1e-6);
    // The phase runs through (f2 - f1)/K cycles, K = ln(1000)/T.
    const double cycles = 19980.0 / (std::log(1000.0) / (std::log2(1000.0) * 0.1));
    int crossings = 0;
    for (int i = 1; i < s.Size(); ++i) crossings += (s[i - 1] < 0) != (s[i] < 0);
    EXPECT_NEAR(crossings, 2.0 * cycles, 2.0);
}

TEST(LogSweep, GenerateRefusesAnEmptyRange) {
    YDoubleVec s;
    EXPECT_FALSE(YLogSweep::MakeSweep(s, 48000.0, 1000.0, 1000.0, 0.1));
    EXPECT_FALSE(YLogSweep::MakeSweep(s, 48000.0, 2000.0, 1000.0, 0.1));
    EXPECT_FALSE(YLogSweep::MakeSweep(s, 48000.0, 20.0, 20000.0, 0.0));
    EXPECT_FALSE(YLogSweep::MakeSweep(s, 48000.0, 0.0, 20000.0, 0.1));
    EXPECT_FALSE(YLogSweep::MakeSweep(s, 48000.0, 20.0, 20000.0, std::nan("")));
    for (double x : s) ASSERT_FALSE(std::isnan(x));
}

TEST(LogSweep, Parameters) {
    YLogSweep m;
    WaveformParams p;
    EXPECT_FALSE(m.GetParams(p));
    EXPECT_EQ(m.GetId(), 1003);
    EXPECT_EQ(m.GetName(), "Log Sine Sweep");
    EXPECT_EQ(m.GetCategory(), 1000);
    EXPECT_FALSE(m.SetSyncPulse(true));
    ASSERT_TRUE(m.SetFormat(48000.0, 1, 1, 16, 1, 1.0, 1.0));
    ASSERT_TRUE(m.GetParams(p));
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].name, "Start frequency");
    EXPECT_EQ(p[1].name, "Stop frequency");
    EXPECT_EQ(p[2].name, "Duration per octave");
    EXPECT_EQ(p[2].unit, "s");
    EXPECT_EQ(p[2].min, WaveformParam::kOneSamplePlaceholder);
    EXPECT_EQ(p[3], WaveformParam());
    EXPECT_EQ(p[0].role, 2);
    EXPECT_EQ(p[1].role, 3);
    EXPECT_EQ(p[2].role, 7);

    // A stop not above the start is corrected and the set refused.
    p[0].value = 5000.0;
    p[1].value = 100.0;
    EXPECT_FALSE(m.SetParams(p));
    EXPECT_EQ(p[1].value, 5250.0);
    EXPECT_EQ(m.StopFrequency(), 20000.0);
    // So is a zero duration: one sample is the shortest.
    ASSERT_TRUE(m.GetParams(p));
    p[2].value = 0.0;
    EXPECT_FALSE(m.SetParams(p));
    EXPECT_EQ(m.DurationPerOctave(), 0.1);

    WaveformParams a;
    ASSERT_TRUE(m.GetAnalysisParams(a));
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[2].name, "Points per octave");
    EXPECT_EQ(a[2].intValue, 96);
    EXPECT_EQ(a[3].name, "Linear scale");
    a[0].value = 100.0;
    a[1].value = 10000.0;
    a[2].intValue = 5000;  // above 4096
    a[3].intValue = 1;
    EXPECT_FALSE(m.SetAnalysisParams(a));
    EXPECT_EQ(m.PointsPerOctave(), 4096);
    EXPECT_TRUE(m.LinearAxis());
    EXPECT_EQ(m.StartFrequency(), 100.0);  // the analysis moves the sweep range too
}

TEST(LogSweep, TransferOfAKnownFilterHasItsShape) {
    const Taps device = {{0, 1.0}, {12, 0.5}};
    for (bool two : {false, true}) {
        SCOPED_TRACE(two ? "two channels" : "one channel");
        YLogSweep m = Prepared(20.0, 20000.0, 0.1, two);
        Recording rec = Simulate(*m.GetSamples(), device, 3, 3000, two ? 30 : 0);
        ResponseList r;
        ASSERT_TRUE(m.Analyze(rec.View(two), r, 2, kAnalyzeSkipFirst));
        ASSERT_EQ(r.size(), 3u);
        EXPECT_EQ(r[0].tag, ResponseEntry::kFrequency);
        EXPECT_EQ(r[1].tag, ResponseEntry::kMagnitude);
        EXPECT_EQ(r[2].tag, ResponseEntry::kPhase);
        EXPECT_EQ(r[0].data[0], 20.0);
        EXPECT_EQ(r[0].data[r[0].data.Size() - 1], 20000.0);
        const Point one = At(r, 1000.0);
        const double ref = one.first / DeviceResponse(device, one.f, 48000.0).first;
        // The loop of sweeps wraps the end of one response into the next, a
        // burst near 20 kHz whose spectrum spreads a little: the shape holds
        // within a quarter dB to 10 kHz on a comb of ±3.5 dB.
        for (double f : {50.0, 200.0, 1000.0, 1900.0, 3900.0, 6000.0, 10000.0}) {
            const Point p = At(r, f);
            const double expected = DeviceResponse(device, p.f, 48000.0).first;
            EXPECT_NEAR(Db(p.first / ref), Db(expected), 0.25) << p.f << " Hz";
        }
        YComplexVec transfer;
        EXPECT_TRUE(m.GetResult(&transfer));
        EXPECT_FALSE(m.GetResult(nullptr));
    }
}

TEST(LogSweep, LevelDoesNotDependOnDurationOrRange) {
    struct Case {
        double f1, f2, duration;
    } cases[] = {{20, 20000, 0.1}, {20, 20000, 0.13}, {20, 20000, 0.14}, {50, 10000, 0.1}, {10, 22000, 0.5}};
    double first = 0.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.f1 << " .. " << c.f2 << " Hz, " << c.duration << " s/octave");
        for (bool two : {false, true}) {
            YLogSweep m = Prepared(c.f1, c.f2, c.duration, two);
            Recording rec = Simulate(*m.GetSamples(), {{0, 0.5}}, 3, 3000, 0);
            ResponseList r;
            ASSERT_TRUE(m.Analyze(rec.View(two), r, 2, kAnalyzeSkipFirst));
            const double level = Db(At(r, 1000.0).first);
            if (first == 0.0) first = level;
            EXPECT_NEAR(level, first, 0.05) << (two ? "two channels" : "one channel");
        }
    }
    // The output level set for the analysis scales the result.
    YLogSweep m = Prepared(20, 20000, 0.1, false);
    m.SetLevelDb(6.0, 0.0);
    Recording rec = Simulate(*m.GetSamples(), {{0, 0.5}}, 3, 3000, 0);
    ResponseList r;
    ASSERT_TRUE(m.Analyze(rec.View(false), r, 2, kAnalyzeSkipFirst));
    EXPECT_NEAR(Db(At(r, 1000.0).first), first + 6.0, 0.05);
}

TEST(LogSweep, PhaseCorrectionIsAOneSampleAdvance) {
    const Taps device = {{0, 1.0}};
    ResponseList plain, advanced;
    for (bool option : {false, true}) {
        YLogSweep m = Prepared(20.0, 20000.0, 0.1, true);
        m.SetOption(option);
        Recording rec = Simulate(*m.GetSamples(), device, 3, 3000, 5);
        ASSERT_TRUE(m.Analyze(rec.View(true), option ? advanced : plain, 2, kAnalyzeSkipFirst));
    }
    for (double f : {100.0, 1000.0, 5000.0}) {
        const double shift = At(advanced, f).second - At(plain, f).second;
        const double expected = 2.0 * std::numbers::pi * f / 48000.0;
        EXPECT_NEAR(std::remainder(shift - expected, 2.0 * std::numbers::pi), 0.0, 0.02) << f << " Hz";
        EXPECT_NEAR(At(advanced, f).first, At(plain, f).first, 1e-6 * At(plain, f).first);
    }
}

TEST(LogSweep, ModeOneGivesBothChannelsUnscaled) {
    YLogSweep m = Prepared(20.0, 20000.0, 0.1, true);
    m.SetMode(1);
    m.SetLevelDb(-20.0, 0.0);
    Recording rec = Simulate(*m.GetSamples(), {{0, 0.5}}, 3, 3000, 0);
    ResponseList r;
    ASSERT_TRUE(m.Analyze(rec.View(true), r, 2, kAnalyzeSkipFirst));
    ASSERT_EQ(r.size(), 5u);
    const int tags[] = {100, 101, 102, 101, 102};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(r[i].tag, tags[i]);
    for (int i = 0; i < r[0].data.Size(); i += 50)
        EXPECT_NEAR(r[1].data[i], 0.5 * r[3].data[i], 1e-6 * r[3].data[i]) << r[0].data[i] << " Hz";
    // The raw spectrum of the sweep: hundreds of units, not a calibrated level.
    EXPECT_GT(r[3].data[100], 50.0);
}

class FlatCompensation : public ICalibration {
public:
    bool CompensationSpectrum(int order, int flags, YComplexVec& out) override {
        lastOrder = order;
        lastFlags = flags;
        out.Resize(1 << order);
        for (YComplex& z : out) z = YComplex(2.0);
        return true;
    }
    int lastOrder = -1, lastFlags = -1;
};

class FixedAxis : public ISweepTableLoader {
public:
    bool Load(const std::string& name, YFreqVec& axis) override {
        asked = name;
        axis.Resize(3);
        axis[0] = 100.0;
        axis[1] = 1000.0;
        axis[2] = 5000.0;
        return true;
    }
    std::string asked;
};

TEST(LogSweep, CompensationAndSweepTable) {
    YLogSweep m = Prepared(20.0, 20000.0, 0.1, false);
    Recording rec = Simulate(*m.GetSamples(), {{0, 1.0}}, 3, 3000, 0);
    ResponseList plain, compensated;
    ASSERT_TRUE(m.Analyze(rec.View(false), plain, 2, kAnalyzeSkipFirst));
    FlatCompensation calibration;
    m.SetShared(&calibration);
    ASSERT_TRUE(m.Analyze(rec.View(false), compensated, 2, kAnalyzeSkipFirst));
    EXPECT_EQ(calibration.lastOrder, 16);  // the sweep played: 2^16 >= 47837
    EXPECT_EQ(calibration.lastFlags, 0);
    EXPECT_NEAR(At(compensated, 1000.0).first, 0.5 * At(plain, 1000.0).first, 1e-9);
    YComplexVec transfer;
    EXPECT_FALSE(m.GetResult(&transfer));

    m.SetShared(nullptr);
    FixedAxis table;
    m.SetSweepTableLoader(&table);
    m.SetFileName("table.ssw");
    ResponseList onTable;
    ASSERT_TRUE(m.Analyze(rec.View(false), onTable, 2, kAnalyzeSkipFirst));
    EXPECT_EQ(table.asked, "table.ssw");
    ASSERT_EQ(onTable[0].data.Size(), 3);
    EXPECT_EQ(onTable[0].data[1], 1000.0);
    EXPECT_NEAR(onTable[1].data[1], At(plain, 1000.0).first, 1e-2 * onTable[1].data[1]);
}

}  // namespace
