// The shared module base: format, levels, parameter validation, PCM
// rendering with dither and sync block, and the period extraction.

#include "Waveform/YDither.h"
#include "Waveform/YMlsModules.h"
#include "Waveform/YMlsSequence.h"
#include "Waveform/YWaveformBase.h"
#include "WaveformTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using namespace waveform_test;

// A module that plays whatever samples the test gives it.
class Fixed : public YWaveformBase {
public:
    explicit Fixed(int id = 2999, int syncPulseMode = 2) : YWaveformBase(id, "Fixed", syncPulseMode, false) {}
    bool Generate() override { return Render(); }
    void Set(std::vector<double> v) {
        samples_.Resize(int(v.size()));
        std::copy(v.begin(), v.end(), samples_.begin());
    }
    std::vector<std::uint8_t> Pcm() const { return {GetPcm(), GetPcm() + GetPcmBytes()}; }
    using YWaveformBase::ExtractPeriods;
    using YWaveformBase::FindStart;
};

TEST(WaveformBase, PcmEncoding) {
    struct Case {
        double value;
        int bits;
        double amplitude;
        bool invert;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {1.0, 16, 0.5, false, {0x00, 0x40}},  // 16383.5 rounds away from zero
        {1.0, 16, 1.0, false, {0xFF, 0x7F}},
        {-1.0, 16, 1.0, false, {0x01, 0x80}},
        {1.0, 16, 1.0, true, {0x01, 0x80}},
        {-1.0, 16, 1.5, false, {0x00, 0x80}},  // saturates at -32768
        {0.0, 8, 1.0, false, {0x80}},
        {0.25, 8, 1.0, false, {0xA0}},
        {-1.0, 8, 1.0, false, {0x01}},
        {1.0, 8, 1.5, false, {0xFF}},  // saturates instead of wrapping to 62
        {1.0, 24, 1.0, false, {0xFF, 0xFF, 0x7F}},
        {-0.5, 24, 1.0, false, {0x00, 0x00, 0xC0}},
        {0.5, 32, 1.0, false, {0x00, 0x00, 0x00, 0x40}},
        {-1.0, 32, 1.0, false, {0x01, 0x00, 0x00, 0x80}},
        {1.0, 32, 2.0, false, {0xFF, 0xFF, 0xFF, 0x7F}},
        {1.0, 32, 1.0, true, {0x01, 0x00, 0x00, 0x80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value << " bits " << c.bits << " amplitude "
                                        << c.amplitude << " invert " << c.invert);
        Fixed m;
        ASSERT_TRUE(m.SetFormat(48000.0, 1, 1, c.bits, 1, c.amplitude, 1.0));
        m.SetInvert(c.invert);
        m.Set({c.value});
        ASSERT_TRUE(m.Generate());
        EXPECT_EQ(m.Pcm(), c.bytes);
        EXPECT_EQ(m.GetFrameCount(), 1);
    }
    std::uint8_t nan[2] = {0xAA, 0xAA};
    EncodePcmSample(std::nan(""), 16, nan);
    EXPECT_EQ(nan[0] | nan[1], 0);
}

TEST(WaveformBase, ChannelsCarryTheirAmplitudes) {
    Fixed m;
    ASSERT_TRUE(m.SetFormat(48000.0, 2, 3, 16, 1, 0.5, 0.25));
    m.Set({1.0, -1.0});
    ASSERT_TRUE(m.Generate());
    // Even channels left amplitude, odd channels right amplitude.
    const std::vector<std::uint8_t> expected = {0x00, 0x40, 0x00, 0x20, 0x00, 0x40,
                                                0x00, 0xC0, 0x00, 0xE0, 0x00, 0xC0};
    EXPECT_EQ(m.Pcm(), expected);
    EXPECT_EQ(m.GetFrameCount(), 2);
}

TEST(WaveformBase, SyncBlock) {
    Fixed m;
    ASSERT_TRUE(m.SetFormat(48000.0, 2, 2, 8, 1, 1.0, 0.5));
    EXPECT_TRUE(m.SetSyncPulse(true));
    EXPECT_TRUE(m.IsChanged());
    m.Set(std::vector<double>(100, 0.0));
    ASSERT_TRUE(m.Generate());
    ASSERT_EQ(m.GetFrameCount(), 4800 + 100);
    const auto pcm = m.Pcm();
    EXPECT_EQ(pcm[0], 255);  // full left amplitude
    EXPECT_EQ(pcm[1], 192);  // round(0.5·127 + 128)
    for (std::size_t i = 2; i < pcm.size(); ++i) ASSERT_EQ(pcm[i], 0x80) << "byte " << i;
    // Modules whose sync setting is fixed refuse a change.
    Fixed fixedOff(2999, 0), fixedOn(2999, 1);
    EXPECT_FALSE(fixedOff.SetSyncPulse(true));
    EXPECT_FALSE(fixedOn.SetSyncPulse(true));
    EXPECT_FALSE(fixedOff.GetSyncPulse());
}

std::vector<int> Codes16(const std::vector<std::uint8_t>& pcm) {
    std::vector<int> out;
    for (std::size_t i = 0; i + 1 < pcm.size(); i += 2)
        out.push_back(std::int16_t(pcm[i] | (pcm[i + 1] << 8)));
    return out;
}

TEST(WaveformBase, DitherStaysOnTheCodeGridAndNeverWraps) {
    YDoubleVec mls;
    ASSERT_TRUE(MakeMls(mls, 10, 0));
    for (int type : {1, 2}) {
        SCOPED_TRACE(testing::Message() << "dither " << type);
        // Full scale: the dither must saturate, not wrap to the other sign.
        Fixed m;
        ASSERT_TRUE(m.SetFormat(48000.0, 1, 1, 16, 1, 1.0, 1.0));
        m.SetDither(type);
        m.Set(std::vector<double>(mls.begin(), mls.end()));
        ASSERT_TRUE(m.Generate());
        const auto codes = Codes16(m.Pcm());
        for (std::size_t i = 0; i < codes.size(); ++i)
            ASSERT_GT(codes[i] * mls.Data()[i], 32760.0) << "sample " << i;
        // The same render twice gives the same bytes (seeded).
        const auto first = m.Pcm();
        ASSERT_TRUE(m.Generate());
        EXPECT_EQ(m.Pcm(), first);

        // A constant between codes, scaled by the amplitude first: the
        // average of the codes is the value in steps of the written grid.
        Fixed c;
        ASSERT_TRUE(c.SetFormat(48000.0, 1, 1, 16, 1, 0.5, 1.0));
        c.SetDither(type);
        c.Set(std::vector<double>(20000, 0.6));
        ASSERT_TRUE(c.Generate());
        const auto values = Codes16(c.Pcm());
        double mean = 0.0;
        for (int v : values) mean += v;
        mean /= double(values.size());
        EXPECT_NEAR(mean, 0.3 * 32767.0, 0.05);
        if (type == 1) {
            for (int v : values) ASSERT_LE(std::abs(v - 0.3 * 32767.0), 2.0);
        }
    }
}

TEST(WaveformBase, FormatIdentityAndLevels) {
    Fixed m(-1);
    EXPECT_EQ(m.GetCategory(), -1);
    EXPECT_EQ(Fixed(999).GetCategory(), 0);
    EXPECT_EQ(Fixed(1000).GetCategory(), 1000);
    EXPECT_EQ(Fixed(1999).GetCategory(), 1000);
    EXPECT_EQ(Fixed(2000).GetCategory(), 2000);
    EXPECT_EQ(m.GetKind(), 1);

    EXPECT_FALSE(m.SetFormat(48000.0, 2, 2, 20, 1, 1.0, 1.0));
    EXPECT_FALSE(m.IsValid());
    EXPECT_EQ(m.Bits(), 0);                                     // nothing stored
    EXPECT_FALSE(m.SetFormat(48000.0, 2, 2, 16, 0, 1.0, 1.0));  // formatWord 0
    EXPECT_FALSE(m.SetFormat(48000.0, 2, 2, 16, 1, 0.0, 1.0));
    EXPECT_FALSE(m.SetFormat(std::nan(""), 2, 2, 16, 1, 1.0, 1.0));
    ASSERT_TRUE(m.SetFormat(48000.0, 2, 2, 16, 1, 1.0, 1.0));

    struct Change {
        const char* what;
        double rate;
        int in, out, bits;
        double ampLeft;
    } changes[] = {
        {"nothing", 48000.0, 2, 2, 16, 1.0},      {"bits", 48000.0, 2, 2, 24, 1.0},
        {"out channels", 48000.0, 2, 1, 24, 1.0}, {"in channels", 48000.0, 1, 1, 24, 1.0},
        {"rate", 44100.0, 1, 1, 24, 1.0},         {"amplitude", 44100.0, 1, 1, 24, 0.5},
    };
    for (const Change& c : changes) {
        ASSERT_TRUE(m.SetFormat(c.rate, c.in, c.out, c.bits, 1, c.ampLeft, 1.0)) << c.what;
        EXPECT_EQ(m.IsChanged(), std::string(c.what) != "nothing") << c.what;
    }

    // One recording channel: no reference analysis.
    EXPECT_FALSE(m.SetStereo(true));
    EXPECT_FALSE(m.Stereo());
    ASSERT_TRUE(m.SetFormat(44100.0, 2, 1, 24, 1, 0.5, 1.0));
    EXPECT_TRUE(m.SetStereo(true));
    EXPECT_TRUE(m.Stereo());

    struct Level {
        double db, linear;
    } levels[] = {
        {0.0, 1.0}, {-6.020599913279624, 0.5}, {20.0, 10.0}, {1000.0, std::exp(30.0)}, {-2000.0, 1e-38}};
    for (const Level& l : levels) {
        m.SetLevelDb(l.db, 0.0);
        EXPECT_NEAR(m.LevelLeft() / l.linear, 1.0, 1e-12) << l.db << " dB";
    }
    EXPECT_TRUE(m.SetFileName("x.ssw"));
    EXPECT_FALSE(m.SetFileName(""));
}

WaveformParams RealRecords(double a, double b) {
    WaveformParams r(2);
    YWaveformBase::PutReal(r, 0, "Start frequency", "Hz", a, WaveformParam::kNyquistPlaceholder, 1.0, -1.0, 2,
                           true);
    YWaveformBase::PutReal(r, 1, "Stop frequency", "Hz", b, WaveformParam::kNyquistPlaceholder, 1.0, -1.0, 3,
                           true);
    return r;
}

TEST(WaveformBase, ValidateReal) {
    Fixed m;
    ASSERT_TRUE(m.SetFormat(48000.0, 1, 1, 16, 1, 1.0, 1.0));
    struct Case {
        double in, out;
        bool kept;
    } cases[] = {
        {1000.0, 1000.0, true}, {30000.0, 23950.0, false}, {0.5, 1.0, false}, {std::nan(""), 1.0, false}};
    for (const Case& c : cases) {
        WaveformParams r = RealRecords(c.in, 0.0);
        EXPECT_EQ(m.ValidateReal(r, 0), c.kept) << c.in;
        EXPECT_EQ(r[0].value, c.out) << c.in;
    }
    WaveformParams r = RealRecords(1.0, 1.0);
    EXPECT_FALSE(m.ValidateReal(r, 5));
    YWaveformBase::PutReal(r, 1, "Duration", "s", 0.0, 10.0, WaveformParam::kOneSamplePlaceholder, -1.0, 7,
                           false);
    EXPECT_FALSE(m.ValidateReal(r, 1));
    EXPECT_DOUBLE_EQ(r[1].value, 1.0 / 48000.0);
}

TEST(WaveformBase, ValidateRangeNeverLeavesStopAboveTheMaximum) {
    struct Case {
        double rate, start, stop;
        bool kept;
        double newStart, newStop;
    } cases[] = {
        {44100.0, 20.0, 20000.0, true, 20.0, 20000.0},
        {44100.0, 20000.0, 100.0, false, 20000.0, 21000.0},         // max 22004
        {48000.0, 23000.0, 100.0, false, 23950.0 / 1.05, 23950.0},  // 1.05 × start would pass max
        {48000.0, 23950.0, 23950.0, false, 23950.0 / 1.05, 23950.0},
        {48000.0, 20.0, 30000.0, false, 20.0, 23950.0},
        {48000.0, 1000.0, 1000.0, false, 1000.0, 1050.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.start << " .. " << c.stop);
        Fixed m;
        ASSERT_TRUE(m.SetFormat(c.rate, 1, 1, 16, 1, 1.0, 1.0));
        WaveformParams r = RealRecords(c.start, c.stop);
        EXPECT_EQ(m.ValidateRange(r, 1, 0), c.kept);
        EXPECT_NEAR(r[0].value, c.newStart, 1e-9);
        EXPECT_NEAR(r[1].value, c.newStop, 1e-9);
        EXPECT_LE(r[1].value, std::round(c.rate * 0.49896));
        EXPECT_GT(r[1].value, r[0].value);
    }
}

TEST(WaveformBase, TailTools) {
    YDoubleVec v(128);
    v.Fill(1.0);
    v[126] = v[127] = 3.0;
    YWaveformBase::RemoveTailMean(v);  // mean of the last 2
    EXPECT_EQ(v[0], -2.0);
    EXPECT_EQ(v[127], 0.0);
    YDoubleVec small(10);
    small.Fill(0.5);
    YWaveformBase::RemoveTailMean(small);  // no tail to measure
    for (double x : small) EXPECT_EQ(x, 0.5);
    YDoubleVec empty;
    YWaveformBase::RemoveTailMean(empty);
    EXPECT_TRUE(empty.Empty());

    YDoubleVec t(6);
    const double values[] = {1, -1, 2, -3, 4, 5};
    std::copy(std::begin(values), std::end(values), t.begin());
    YDoubleVec u = t;
    YWaveformBase::TrimSignTail(u, false);
    EXPECT_EQ(u.Size(), 4);
    u = t;
    YWaveformBase::TrimSignTail(u, true);  // sample 1 is negative: kept whole
    EXPECT_EQ(u.Size(), 6);
}

TEST(WaveformBase, TwoChannelPeriodsKeepTheirDelayFromSettledSamples) {
    YWhiteMLS m;
    ASSERT_TRUE(m.SetFormat(48000.0, 2, 2, 16, 1, 1.0, 1.0));
    WaveformParams p;
    ASSERT_TRUE(m.GetParams(p));
    p[0].intValue = 12;
    ASSERT_TRUE(m.SetParams(p));
    ASSERT_TRUE(m.Generate());
    m.SetMode(1);
    const int L = 4095;
    for (int latency : {0, 37, 300}) {
        SCOPED_TRACE(testing::Message() << "latency " << latency);
        Recording rec = Simulate(*m.GetSamples(), {{0, 1.0}}, 4, 2000, latency);
        ResponseList out;
        ASSERT_TRUE(m.Analyze(rec.View(true), out, 2, kAnalyzeSkipFirst));
        ASSERT_EQ(out.size(), 2u);
        const auto peakOf = [](const YDoubleVec& v) {
            int best = 0;
            for (int i = 0; i < v.Size(); ++i)
                if (std::abs(v[i]) > std::abs(v[best])) best = i;
            return best;
        };
        const int p1 = peakOf(out[0].data), p2 = peakOf(out[1].data);
        EXPECT_EQ(p1 - p2, latency);
        // Every other lag is the exact -4/L of a settled period.
        for (int i = 0; i < out[0].data.Size(); ++i) {
            if (i == p1) continue;
            ASSERT_NEAR(out[0].data[i], -4.0 / L, 1e-6) << "lag " << i;
        }
        EXPECT_NEAR(out[0].data[p1], 4.0, 1e-6);
    }
}

}  // namespace
