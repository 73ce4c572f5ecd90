// The module registry and WAVEFORM.CFG.

#include "Platform/AtomicFile.h"
#include "Waveform/YLogSweep.h"
#include "Waveform/YMlsModules.h"
#include "Waveform/YWaveformModules.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

class Registry : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sonbex-waveform-" + std::to_string(getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        path_ = dir_ / "sub" / "WAVEFORM.CFG";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::unique_ptr<YWaveformModules> Open(double rate = 48000.0) {
        auto r = std::make_unique<YWaveformModules>(YWaveformModules::Options{path_});
        EXPECT_TRUE(r->Init(rate, 2, 2, 16, 1, 1.0, 1.0));
        return r;
    }
    std::string Bytes() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void Write(const std::string& bytes) const {
        fs::create_directories(path_.parent_path());
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    static int Order(const YWaveformModules& r, int id) {
        WaveformParams p;
        r.Find(id)->GetParams(p);
        return p[0].intValue;
    }

    fs::path dir_, path_;
};

std::string Int(std::int32_t v) {
    std::string s(4, '\0');
    std::memcpy(s.data(), &v, 4);  // the test machine is little-endian like the file
    return s;
}

std::string Entry(int id, const WaveformParams& params, const WaveformParams& analysis) {
    std::string s = Int(id) + Int(std::int32_t(params.size()));
    for (const auto& p : params) {
        const auto b = p.ToBytes();
        s.append(reinterpret_cast<const char*>(b.data()), b.size());
    }
    s += Int(std::int32_t(analysis.size()));
    for (const auto& p : analysis) {
        const auto b = p.ToBytes();
        s.append(reinterpret_cast<const char*>(b.data()), b.size());
    }
    return s;
}

WaveformParams MlsParams(int order) {
    WaveformParams p(1);
    YWaveformBase::PutInt(p, 0, "MLS length", "", order, 22, 8, 1, 22, false);
    return p;
}

TEST(WaveformParamRecord, StoredLayout) {
    WaveformParam p;
    p.name = "Start frequency";
    p.unit = "Hz";
    p.role = 2;
    p.dedicated = true;
    p.isReal = true;
    p.text = std::string(300, 'x');  // cut to 265 characters
    p.value = 20.0;
    p.max = -2.0;
    p.min = 1.0;
    p.step = -1.0;
    const auto b = p.ToBytes();
    ASSERT_EQ(b.size(), 392u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data())), "Start frequency");
    EXPECT_EQ(b[59], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 60)), "Hz");
    EXPECT_EQ(b[88], 2);
    EXPECT_EQ(b[92], 1);
    EXPECT_EQ(b[93], 1);
    EXPECT_EQ(b[94 + 264], 'x');
    EXPECT_EQ(b[94 + 265], 0);
    double v;
    std::memcpy(&v, b.data() + 360, 8);
    EXPECT_EQ(v, 20.0);
    std::memcpy(&v, b.data() + 368, 8);
    EXPECT_EQ(v, -2.0);
    std::memcpy(&v, b.data() + 384, 8);
    EXPECT_EQ(v, -1.0);
    WaveformParam back;
    ASSERT_TRUE(WaveformParam::FromBytes(b, back));
    p.text.resize(265);
    EXPECT_EQ(back, p);

    WaveformParam i;
    i.intValue = -7;
    i.intStep = 1;
    const auto ib = i.ToBytes();
    EXPECT_EQ(ib[360], 0xF9);
    EXPECT_EQ(ib[363], 0xFF);
    EXPECT_EQ(ib[364], 0);  // the unused half stays zero
    EXPECT_EQ(ib[384], 1);
    auto bad = ib;
    bad[93] = 7;
    EXPECT_FALSE(WaveformParam::FromBytes(bad, back));
    EXPECT_FALSE(WaveformParam::FromBytes(std::span(ib).first(391), back));
}

TEST_F(Registry, ModulesInOrderWithTheirIds) {
    auto r = Open();
    EXPECT_FALSE(r->Init(48000.0, 2, 2, 16, 1, 1.0, 1.0));  // only once
    std::vector<IWaveform*> all;
    r->List(all, -1, false);
    struct Module {
        int id;
        const char* name;
    } const modules[] = {
        {2001, "White MLS"},     {2002, "Pink MLS"},        {2006, "Shelved MLS"},
        {2003, "Spike"},         {2004, "Sin\262 Pulse"},   {1001, "Gated Sine Wave"},
        {1002, "Shaped Burst"},  {1003, "Log Sine Sweep"},  {1005, "Multi-Tone"},
        {1004, "IM Distortion"}, {1006, "Amplitude Sweep"}, {2005, "Ext. Wavefile"},
    };
    ASSERT_EQ(all.size(), std::size(modules));
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->GetId(), modules[i].id) << i;
        EXPECT_EQ(all[i]->GetName(), modules[i].name) << i;
        EXPECT_EQ(r->Find(modules[i].id), all[i]) << modules[i].id;
    }
    EXPECT_EQ(r->Find(1007), nullptr);
    std::vector<IWaveform*> some;
    r->List(some, 2000, false);
    EXPECT_EQ(some.size(), 6u);
    r->List(some, 1000, true);
    EXPECT_EQ(some.size(), 12u);
    r->List(some, 1003, false);
    ASSERT_EQ(some.size(), 1u);
    EXPECT_EQ(some[0]->GetId(), 1003);
    r->List(some, 0, false);
    EXPECT_TRUE(some.empty());
}

TEST_F(Registry, ConfigureSetsLevelsAndSwitches) {
    auto r = Open();
    r->Configure(true, true, "", 6.0, 3.0, 0.0, nullptr);
    auto* sweep = static_cast<YLogSweep*>(r->Find(1003));
    EXPECT_TRUE(sweep->Stereo());
    EXPECT_NEAR(sweep->LevelLeft(), std::pow(10.0, -6.0 / 20.0), 1e-12);
    // A microphone sensitivity adds 20·log10(10^4.699 / sensitivity).
    r->Configure(false, false, "", 0.0, 0.0, 50.0, nullptr);
    EXPECT_NEAR(20 * std::log10(sweep->LevelLeft()), 20 * (4.699 - std::log10(50.0)), 1e-9);
    EXPECT_FALSE(sweep->Stereo());
}

TEST_F(Registry, ParametersSurviveARestart) {
    {
        auto r = Open();
        WaveformParams p = MlsParams(18);
        ASSERT_TRUE(r->Find(2002)->SetParams(p));
        WaveformParams s;
        ASSERT_TRUE(r->Find(1003)->GetParams(s));
        s[2].value = 0.25;
        ASSERT_TRUE(r->Find(1003)->SetParams(s));
        WaveformParams a;
        ASSERT_TRUE(r->Find(1003)->GetAnalysisParams(a));
        a[2].intValue = 12;
        ASSERT_TRUE(r->Find(1003)->SetAnalysisParams(a));
    }  // saved here
    const std::string bytes = Bytes();
    ASSERT_EQ(bytes.substr(0, 8), "YWFM0003");
    auto r = Open();
    // Every module in turn: its id, then a count and 392-byte records for its
    // parameters and for its analysis parameters.
    std::vector<IWaveform*> all;
    r->List(all, -1, false);
    ASSERT_EQ(all.size(), 12u);
    std::size_t expected = 8, at = 8;
    for (IWaveform* m : all) {
        WaveformParams params, analysis;
        ASSERT_TRUE(m->GetParams(params) && m->GetAnalysisParams(analysis));
        ASSERT_LE(at + 8, bytes.size());
        EXPECT_EQ(bytes.substr(at, 4), Int(m->GetId()));
        EXPECT_EQ(bytes.substr(at + 4, 4), Int(std::int32_t(params.size()))) << m->GetId();
        const std::size_t size = 12 + 392 * (params.size() + analysis.size());
        expected += size;
        at += size;
    }
    EXPECT_EQ(bytes.size(), expected);
    EXPECT_EQ(Order(*r, 2002), 18);
    EXPECT_EQ(Order(*r, 2001), 15);
    auto* sweep = static_cast<YLogSweep*>(r->Find(1003));
    EXPECT_EQ(sweep->DurationPerOctave(), 0.25);
    EXPECT_EQ(sweep->PointsPerOctave(), 12);
    std::string again;
    ASSERT_TRUE(r->Serialize(again));
    EXPECT_EQ(again, bytes);
}

TEST_F(Registry, UntrustedFiles) {
    const std::string magic = "YWFM0003";
    struct Case {
        const char* what;
        std::string bytes;
        int white, pink;  // orders after the load
    } cases[] = {
        {"foreign magic", "YWFM0002" + Entry(2001, MlsParams(9), {}), 15, 15},
        {"empty", "", 15, 15},
        {"unknown id between known ones",
         magic + Entry(2001, MlsParams(9), {}) + Entry(4711, MlsParams(3), MlsParams(4)) +
             Entry(2002, MlsParams(10), {}),
         9, 10},
        {"count beyond the file", magic + Entry(2001, MlsParams(9), {}) + Int(2002) + Int(1000000), 9, 15},
        {"negative count", magic + Int(2001) + Int(-1), 15, 15},
        {"truncated record", (magic + Entry(2001, MlsParams(9), {})).substr(0, 8 + 8 + 200), 15, 15},
        {"truncated after an entry", magic + Entry(2001, MlsParams(9), {}) + Int(2002), 9, 15},
        {"order out of range", magic + Entry(2001, MlsParams(40), {}), 22, 15},
        {"wrong record count", magic + Entry(2001, {MlsParams(9)[0], MlsParams(9)[0]}, {}), 15, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto r = std::make_unique<YWaveformModules>(YWaveformModules::Options{});  // no save on exit
        ASSERT_TRUE(r->Init(48000.0, 2, 2, 16, 1, 1.0, 1.0));
        r->Deserialize(c.bytes);
        EXPECT_EQ(Order(*r, 2001), c.white);
        EXPECT_EQ(Order(*r, 2002), c.pink);
    }

    // A stored real value that is not a number, or a swapped range, is
    // corrected by the module.
    WaveformParams s(4);
    YWaveformBase::PutReal(s, 0, "Start frequency", "Hz", std::nan(""), 1e9, -1e9, -1.0, 2, true);
    YWaveformBase::PutReal(s, 1, "Stop frequency", "Hz", 1e9, 1e9, -1e9, -1.0, 3, true);
    YWaveformBase::PutReal(s, 2, "Duration per octave", "s", 0.2, 10.0, -3.0, -1.0, 7, false);
    Write(magic + Entry(1003, s, {}));
    auto r = Open();
    auto* sweep = static_cast<YLogSweep*>(r->Find(1003));
    EXPECT_EQ(sweep->StartFrequency(), 20.0);  // the set was refused
    EXPECT_EQ(sweep->StopFrequency(), 20000.0);
    EXPECT_TRUE(sweep->Generate());
}

TEST_F(Registry, AFailedSaveKeepsTheOldFile) {
    {
        auto r = Open();
        WaveformParams p = MlsParams(12);
        ASSERT_TRUE(r->Find(2001)->SetParams(p));
    }
    const std::string before = Bytes();
    ASSERT_FALSE(before.empty());
    {
        // Without a valid format the modules cannot give their parameters:
        // the save is abandoned.
        auto r = std::make_unique<YWaveformModules>(YWaveformModules::Options{path_});
        ASSERT_TRUE(r->Init(0.0, 2, 2, 16, 1, 1.0, 1.0));
        EXPECT_FALSE(r->Save());
    }
    EXPECT_EQ(Bytes(), before);
    {
        // A file in the way of the temporary one's rename: nothing replaced.
        auto r = Open();
        fs::permissions(path_.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
        const bool saved = r->Save();
        fs::permissions(path_.parent_path(), fs::perms::owner_all);
        if (getuid() != 0) {
            EXPECT_FALSE(saved);
        }
    }
    EXPECT_EQ(Bytes(), before);
    for (const auto& e : fs::directory_iterator(path_.parent_path()))
        EXPECT_EQ(e.path().filename(), "WAVEFORM.CFG");
}

TEST(RegistryPaths, DefaultConfigIsPerUser) {
    const fs::path p = YWaveformModules::DefaultConfigPath();
    EXPECT_EQ(p.filename(), "WAVEFORM.CFG");
    EXPECT_EQ(p.parent_path().filename(), "sonbex3");
}

}  // namespace
