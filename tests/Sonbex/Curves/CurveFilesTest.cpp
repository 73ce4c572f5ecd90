// The native curve files against the fixtures of
// tests/data/Curves/make_curve_fixtures.py: the writers byte for byte, the
// readers field by field.

#include "Sonbex/Curves/CurveBytes.h"
#include "Sonbex/Curves/CurveFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace sonbex::curves {
namespace {

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(SONBEX_TEST_DATA) + "/Curves/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

YDoubleVec Vec(const std::vector<double>& v) {
    YDoubleVec out(static_cast<int>(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i) out[static_cast<int>(i)] = v[i];
    return out;
}

// Values come back as float32.
void ExpectVec(const YDoubleVec& got, const std::vector<double>& want, const char* what) {
    ASSERT_EQ(got.Size(), static_cast<int>(want.size())) << what;
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(got[static_cast<int>(i)], static_cast<double>(static_cast<float>(want[i])))
            << what << "[" << i << "]";
}

// The settings block the script writes (marker 0x11 for current files).
SettingsBlock FixtureSettings(std::size_t size, int marker) {
    SettingsBlock s;
    s.SetSampleRate(48000.0);
    s.SetBitsPerSample(24);
    s.SetStimulusId(3);
    s.SetAnalyzerFlags(8);
    s.SetMinPhaseAccuracy(1);
    s.SetDouble(2560, 0.004);
    for (std::size_t i = 2720; i < 2848; ++i) s.bytes()[i] = static_cast<std::uint8_t>((i + marker) & 0xFF);
    for (std::size_t i = 2848; i < size; ++i)
        s.bytes()[i] = static_cast<std::uint8_t>((i * 7 + marker) & 0xFF);
    s.bytes()[100] = static_cast<std::uint8_t>(marker);
    return s;
}

const AcquireDate kDate{2024, 3, 7, 14, 5, 9};
const std::vector<double> kFreq{100.0, 200.0, 400.0, 800.0, 1600.0};
const std::vector<double> kWooferMag{80.0, 85.5, 86.25, 84.0, 79.125};
const std::vector<double> kWooferPhase{-0.5, -0.25, 0.0, 0.3, 0.6};
const std::vector<double> kWooferMinPhase{-0.4, -0.2, 0.05, 0.25, 0.5};
const std::vector<double> kWooferGd{0.001, 0.0005, 0.00025, 0.000125, 0.0000625};
const std::vector<double> kWooferMgd{0.0009, 0.0004, 0.0002, 0.0001, 0.00005};

std::unique_ptr<YFreqGraphCurve> Woofer(const SettingsBlock& settings) {
    const YDoubleVec f = Vec(kFreq), m = Vec(kWooferMag), p = Vec(kWooferPhase), mp = Vec(kWooferMinPhase),
                     gd = Vec(kWooferGd), mgd = Vec(kWooferMgd);
    CurveInput in{&f, &m, &p, &mp, &gd, &mgd};
    auto set = std::make_unique<YFreqGraphCurve>();
    EXPECT_TRUE(set->SetCurves("Woofer", &kDate, in, &settings, 0, true));
    return set;
}

std::unique_ptr<YFreqGraphCurve> Tweeter(const SettingsBlock& settings) {
    const YDoubleVec f = Vec(kFreq), m = Vec({70, 71, 72, 73, 74}), p = Vec({0.1, 0.2, 0.3, 0.4, 0.5}),
                     mp = Vec({0.05, 0.1, 0.15, 0.2, 0.25}), gd = Vec({2e-4, 2e-4, 2e-4, 2e-4, 2e-4}),
                     mgd = Vec({1e-4, 1e-4, 1e-4, 1e-4, 1e-4}), thd = Vec({1.0, 0.5, 0.25, 0.125, 0.0625}),
                     h3 = Vec({0.1, 0.05, 0.025, 0.0125, 0.00625});
    CurveInput in{&f, &m, &p, &mp, &gd, &mgd, &thd, nullptr, nullptr, &h3};
    auto set = std::make_unique<YFreqGraphCurve>();
    EXPECT_TRUE(set->SetCurves("Tweeter", nullptr, in, &settings, 0, true));
    return set;
}

TEST(CurveFiles, SxfWriterMatchesTheFixtureByteForByte) {
    const SettingsBlock s3 = FixtureSettings(kSettingsBlockSize, 0x11);
    auto a = Woofer(s3), b = Tweeter(s3);
    const YFreqGraphCurve* sets[] = {a.get(), b.get()};
    const auto bytes = EncodeSxf(sets);
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(*bytes == Fixture("tiny_v3.sxf"));
}

TEST(CurveFiles, SxfReaderGivesTheFieldsBack) {
    std::vector<std::unique_ptr<YFreqGraphCurve>> sets;
    DecodeInfo info;
    ASSERT_EQ(DecodeSxf(Fixture("tiny_v3.sxf"), sets, &info), DecodeStatus::Ok);
    EXPECT_TRUE(info.currentVersion);
    ASSERT_EQ(sets.size(), 2u);
    const YFreqGraphCurve& w = *sets[0];
    EXPECT_EQ(w.Title(), "Woofer");
    EXPECT_EQ(w.Path(), "Woofer");
    EXPECT_EQ(w.Header().acquired, kDate);
    EXPECT_TRUE(w.Header().settings == FixtureSettings(kSettingsBlockSize, 0x11));
    EXPECT_TRUE(w.IsSaved());
    ExpectVec(w.Frequency(), kFreq, "frequency");
    ExpectVec(w.FindCurve(CurveKind::Magnitude, true)->values, kWooferMag, "magnitude");
    ExpectVec(w.FindCurve(CurveKind::Phase, true)->values, kWooferPhase, "phase");
    ExpectVec(w.FindCurve(CurveKind::MinPhase, true)->values, kWooferMinPhase, "min phase");
    ExpectVec(w.FindCurve(CurveKind::GroupDelay, true)->values, kWooferGd, "group delay");
    ExpectVec(w.FindCurve(CurveKind::MinGroupDelay, true)->values, kWooferMgd, "min group delay");
    // Derived again on reading.
    EXPECT_NEAR(w.FindCurve(CurveKind::ExcessPhase, true)->values[0], -0.1, 1e-6);
    EXPECT_NEAR(w.FindCurve(CurveKind::ExcessGroupDelay, true)->values[0], 0.0001, 1e-9);
    const YFreqGraphCurve& t = *sets[1];
    EXPECT_TRUE(t.Header().acquired.IsZero());
    EXPECT_TRUE(t.Has(CurveKind::Thd));
    EXPECT_TRUE(t.Has(CurveKind::H3));
    EXPECT_FALSE(t.Has(CurveKind::ThdN));
    ExpectVec(t.FindCurve(CurveKind::H3, true)->values, {0.1, 0.05, 0.025, 0.0125, 0.00625}, "H3");
    // Read, then written again: the same bytes.
    const YFreqGraphCurve* again[] = {sets[0].get(), sets[1].get()};
    EXPECT_TRUE(*EncodeSxf(again) == Fixture("tiny_v3.sxf"));
}

TEST(CurveFiles, SxfVersion2IsConvertedAndWrittenBackAsVersion3) {
    std::vector<std::unique_ptr<YFreqGraphCurve>> sets;
    DecodeInfo info;
    ASSERT_EQ(DecodeSxf(Fixture("tiny_v2.sxf"), sets, &info), DecodeStatus::Ok);
    EXPECT_FALSE(info.currentVersion);
    ASSERT_EQ(sets.size(), 1u);
    const SettingsBlock& s = sets[0]->Header().settings;
    EXPECT_EQ(s.Double(2728), 8.0);
    EXPECT_EQ(s.Double(2776), 40.0);
    EXPECT_EQ(s.Double(2784), 40.0);
    EXPECT_EQ(s.Double(2800), -10.0);
    EXPECT_EQ(s.Double(2808), 10.0);
    EXPECT_EQ(s.Double(2720), 0.0);
    EXPECT_EQ(s.bytes()[2769], 0);
    EXPECT_EQ(s.I32(2772), 0);
    EXPECT_EQ(s.bytes()[2832], (2832 + 0x22) & 0xFF);  // 2832 .. 2847 kept
    EXPECT_EQ(s.bytes()[2848], 0);                     // the 112 bytes after the record zero
    EXPECT_EQ(s.SampleRate(), 48000.0);
    EXPECT_EQ(s.bytes()[100], 0x22);
    const YFreqGraphCurve* one[] = {sets[0].get()};
    EXPECT_TRUE(*EncodeSxf(one) == Fixture("tiny_v2_as_v3.sxf"));
}

TEST(CurveFiles, SxfRecordWithMagnitudeAndPhaseGetsTheDerivedKinds) {
    std::vector<std::unique_ptr<YFreqGraphCurve>> sets;
    ASSERT_EQ(DecodeSxf(Fixture("mag_phase_only.sxf"), sets), DecodeStatus::Ok);
    std::vector<CurveKind> kinds;
    for (const auto& c : sets.at(0)->Stored()) kinds.push_back(c->kind);
    EXPECT_EQ(kinds, (std::vector<CurveKind>{CurveKind::Magnitude, CurveKind::Phase, CurveKind::MinPhase,
                                             CurveKind::ExcessPhase, CurveKind::GroupDelay,
                                             CurveKind::MinGroupDelay, CurveKind::ExcessGroupDelay}));
}

TEST(CurveFiles, SxfSetWithoutAxisIsNotWritten) {
    YFreqGraphCurve empty;
    const YFreqGraphCurve* sets[] = {&empty};
    EXPECT_FALSE(EncodeSxf(sets));
}

ImpedanceSet FixtureImpedance(bool loaded, const SettingsBlock& settings) {
    ImpedanceSet z;
    z.header.acquired = kDate;
    z.header.settings = settings;
    z.header.title = "Driver A";
    z.header.path = "/data/driver_a.sxz";
    for (std::size_t i = 0; i < z.thieleSmall.size(); ++i)
        z.thieleSmall[i] = static_cast<std::uint8_t>((i * 3) & 0xFF);
    z.frequency = Vec({10, 20, 40, 80});
    z.magnitude = Vec({6.5, 12.0, 30.0, 9.0});
    z.phase = Vec({0.1, 0.6, 0.0, -0.5});
    z.hasLoaded = loaded;
    if (loaded) {
        z.loadedMagnitude = Vec({6.4, 10.0, 25.0, 8.5});
        z.loadedPhase = Vec({0.05, 0.5, 0.1, -0.4});
    }
    return z;
}

TEST(CurveFiles, SxzWithAndWithoutLoadedCurve) {
    const SettingsBlock s3 = FixtureSettings(kSettingsBlockSize, 0x11);
    for (bool loaded : {true, false}) {
        const std::string name = loaded ? "imp_loaded.sxz" : "imp_free.sxz";
        EXPECT_TRUE(EncodeSxz(FixtureImpedance(loaded, s3)) == Fixture(name)) << name;
        ImpedanceSet z;
        ASSERT_EQ(DecodeSxz(Fixture(name), z), DecodeStatus::Ok) << name;
        EXPECT_EQ(z.header.title, "Driver A");
        EXPECT_EQ(z.header.path, "/data/driver_a.sxz");
        EXPECT_EQ(z.header.acquired, kDate);
        EXPECT_TRUE(z.header.settings == s3);
        EXPECT_EQ(z.thieleSmall[5], 15);
        ExpectVec(z.magnitude, {6.5, 12.0, 30.0, 9.0}, "magnitude");
        ExpectVec(z.phase, {0.1, 0.6, 0.0, -0.5}, "phase");
        EXPECT_EQ(z.hasLoaded, loaded);
        if (loaded) {
            ExpectVec(z.loadedPhase, {0.05, 0.5, 0.1, -0.4}, "loaded phase");
        } else {
            EXPECT_EQ(z.loadedMagnitude.Size(), 1);  // one dummy element each
            EXPECT_EQ(z.loadedPhase.Size(), 1);
        }
    }
    ImpedanceSet v1;
    DecodeInfo info;
    ASSERT_EQ(DecodeSxz(Fixture("imp_v1.sxz"), v1, &info), DecodeStatus::Ok);
    EXPECT_FALSE(info.currentVersion);
    EXPECT_EQ(v1.header.settings.Double(2808), 10.0);
    EXPECT_TRUE(v1.hasLoaded);
}

TEST(CurveFiles, SxpImpulse) {
    ImpulseRecord r;
    r.header.acquired = kDate;
    r.header.settings = FixtureSettings(kSettingsBlockSize, 0x11);
    r.header.title = "Impulse";
    r.header.path = "/data/ir.sxp";
    r.samples = Vec({0.0, 1.0, -0.5, 0.25, -0.125, 0.0625});
    EXPECT_TRUE(EncodeSxp(r) == Fixture("impulse.sxp"));
    ImpulseRecord back;
    ASSERT_EQ(DecodeSxp(Fixture("impulse.sxp"), back), DecodeStatus::Ok);
    EXPECT_EQ(back.header.title, "Impulse");
    EXPECT_EQ(back.header.path, "/data/ir.sxp");
    EXPECT_EQ(back.header.settings.SampleRate(), 48000.0);
    ExpectVec(back.samples, {0.0, 1.0, -0.5, 0.25, -0.125, 0.0625}, "samples");
}

PolarSet FixturePolar(bool emptySlots) {
    PolarSet p;
    p.header.acquired = kDate;
    p.header.settings = FixtureSettings(kSettingsBlockSize, 0x11);
    p.header.title = "Polar";
    p.header.path = "/data/p.spp";
    p.angles = Vec({-30, 0, 30});
    p.frequency = Vec({500, 1000, 2000});
    p.magnitude = {Vec({80, 81, 82}), Vec({84, 85, 86}), Vec({79, 80.5, 81.5})};
    p.phase = {Vec({0.1, 0.2, 0.3}), Vec({0, 0, 0}), Vec({-0.1, -0.2, -0.3})};
    if (!emptySlots) p.frequencySlots = {1, 2, -1, -1, -1, -1, -1, 0};
    p.referenceAngle = 1;
    return p;
}

TEST(CurveFiles, SppPolar) {
    for (bool empty : {false, true}) {
        const std::string name = empty ? "polar_empty.spp" : "polar.spp";
        const PolarSet want = FixturePolar(empty);
        EXPECT_TRUE(EncodeSpp(want) == Fixture(name)) << name;
        PolarSet got;
        ASSERT_EQ(DecodeSpp(Fixture(name), got), DecodeStatus::Ok) << name;
        EXPECT_EQ(got.frequencySlots, want.frequencySlots) << name;
        EXPECT_EQ(got.referenceAngle, 1);
        ASSERT_EQ(got.magnitude.size(), 3u);
        ExpectVec(got.magnitude[2], {79, 80.5, 81.5}, "magnitude @ 30");
        ExpectVec(got.phase[0], {0.1, 0.2, 0.3}, "phase @ -30");
        ExpectVec(got.angles, {-30, 0, 30}, "angles");
    }
    // Up to two float64 values after the slots are accepted.
    std::string trailing = Fixture("polar.spp") + std::string(16, '\0');
    PolarSet got;
    EXPECT_EQ(DecodeSpp(trailing, got), DecodeStatus::Ok);
}

CsdSet FixtureCsdF0() {
    CsdSet c;
    c.header.acquired = kDate;
    c.header.settings = FixtureSettings(kSettingsBlockSize, 0x11);
    c.header.title = "Waterfall";
    c.header.path = "/data/w.csd";
    for (double base : {90.0, 80.0, 70.0})
        c.slices.push_back({Vec({200, 400, 800, 1600}), Vec({base, base + 1, base + 2, base + 3})});
    c.parameter = 0.003;
    return c;
}

TEST(CurveFiles, CsdSharedAxisOwnAxesAndMissingLength) {
    const CsdSet f0 = FixtureCsdF0();
    EXPECT_EQ(CsdLayoutFlag(f0), 0);
    EXPECT_TRUE(EncodeCsd(f0) == Fixture("csd_f0.csd"));

    CsdSet f1;
    f1.header = f0.header;
    f1.header.title = "Waterfall 2";
    f1.header.path = "/data/w2.csd";
    f1.slices = {{Vec({200, 400, 800}), Vec({90, 91, 92})},
                 {Vec({210, 420, 840}), Vec({80, 81, 82})},
                 {Vec({220, 440}), Vec({70, 71})}};
    f1.parameter = 0.005;
    EXPECT_EQ(CsdLayoutFlag(f1), 1);
    EXPECT_TRUE(EncodeCsd(f1) == Fixture("csd_f1.csd"));
    // Same lengths, other frequencies: still each slice its own axis.
    f1.slices[2] = {Vec({220, 440, 880}), Vec({70, 71, 72})};
    EXPECT_EQ(CsdLayoutFlag(f1), 1);
    // Slices without points: each its own (empty) axis, read back as such.
    CsdSet empty;
    empty.slices.resize(3);
    EXPECT_EQ(CsdLayoutFlag(empty), 1);
    CsdSet back;
    ASSERT_EQ(DecodeCsd(EncodeCsd(empty), back), DecodeStatus::Ok);
    EXPECT_EQ(back.slices.size(), 3u);

    CsdSet got;
    ASSERT_EQ(DecodeCsd(Fixture("csd_f0.csd"), got), DecodeStatus::Ok);
    ASSERT_EQ(got.slices.size(), 3u);
    ExpectVec(got.slices[2].frequency, {200, 400, 800, 1600}, "F=0 axis of slice 3");
    ExpectVec(got.slices[1].level, {80, 81, 82, 83}, "F=0 levels of slice 2");
    EXPECT_EQ(got.Parameter(), 0.003);

    ASSERT_EQ(DecodeCsd(Fixture("csd_f1.csd"), got), DecodeStatus::Ok);
    ExpectVec(got.slices[2].frequency, {220, 440}, "F=1 axis of slice 3");
    EXPECT_EQ(got.Parameter(), 0.005);

    ASSERT_EQ(DecodeCsd(Fixture("csd_noparam.csd"), got), DecodeStatus::Ok);
    EXPECT_FALSE(got.parameter);
    EXPECT_EQ(got.Parameter(), 0.004);  // the time window of the settings
}

TEST(CurveFiles, SmgMultiGraph) {
    MultiGraphSet m;
    m.title = "Two-way box";
    m.entries = {{"/data/woofer.sxf", 0.0, 0, false},
                 {"/data/tweeter.sxf", -3.5, 1, false},
                 {"/data/driver_a.sxz", 0.0, 1, true}};
    EXPECT_EQ(*EncodeSmg(m), Fixture("multi.smg"));
    MultiGraphSet got;
    ASSERT_EQ(DecodeSmg(Fixture("multi.smg"), got), SmgStatus::Ok);
    EXPECT_EQ(got.title, "Two-way box");
    EXPECT_EQ(got.entries, m.entries);

    struct Case {
        const char* name;
        std::string text;
        SmgStatus status;
    } cases[] = {
        {"header with extra text", "Sonbex Analyzer 3 Multi-Graph v1.5 beta\r\nT\r\n", SmgStatus::Ok},
        {"other header", "Sonbex Analyzer 3 Multi-Graph\r\nT\r\n", SmgStatus::NotMultiGraph},
        {"empty", "", SmgStatus::NotMultiGraph},
        {"ends after header", "Sonbex Analyzer 3 Multi-Graph v1\r\n", SmgStatus::UnexpectedEnd},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeSmg(c.text, got), c.status) << c.name;
    // Skipped lines; the title cut at its first control character.
    ASSERT_EQ(
        DecodeSmg("Sonbex Analyzer 3 Multi-Graph v1\nBox\tA\n\n; \"x\"\nno quotes\n\"one quote\n\"/a.sxf\"\n",
                  got),
        SmgStatus::Ok);
    EXPECT_EQ(got.title, "Box");
    ASSERT_EQ(got.entries.size(), 1u);
    EXPECT_EQ(got.entries[0].path, "/a.sxf");
    // A path with '"' cannot be stored.
    m.entries[0].path = "/data/12\" woofer.sxf";
    EXPECT_FALSE(EncodeSmg(m));
}

TEST(CurveFiles, TypeByExtension) {
    EXPECT_EQ(CurveFileTypeOf("/a/b.sxf"), CurveFileType::Sxf);
    EXPECT_EQ(CurveFileTypeOf("/a/b.CsD"), CurveFileType::Csd);
    EXPECT_EQ(CurveFileTypeOf("/a.sxf/b.txt"), std::nullopt);
}

}  // namespace
}  // namespace sonbex::curves
