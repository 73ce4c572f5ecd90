#include "Platform/PrivateTempDir.h"
#include "Platform/RecordingPrompt.h"
#include "Sonbex/Measurement/MeasSettings.h"
#include "Sonbex/Measurement/MstFile.h"
#include "Waveform/YWaveformModules.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

namespace sonbex::measurement {
namespace {
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
void WriteAll(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}
void PutI32(std::string& s, std::size_t at, std::int32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(std::uint32_t(v) >> (8 * i));
}

class MstFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.IsValid());
        ASSERT_TRUE(modules_.Init(44100.0, 2, 2, 16, 1, 1.0, 1.0));
    }
    WaveformParams Params(int id) {
        WaveformParams p;
        EXPECT_TRUE(modules_.Find(id)->GetParams(p));
        return p;
    }
    WaveformParams Analysis(int id) {
        WaveformParams p;
        EXPECT_TRUE(modules_.Find(id)->GetAnalysisParams(p));
        return p;
    }
    // A log-sweep settings file with a start of 31.5 Hz in the module's records.
    fs::path LogSweepFile() {
        MeasSettings s({nullptr, &modules_, &prompt_});
        s.Edit().SetU16(off::kModuleId, 1003);
        s.Edit().SetF64(off::kStop, 16000.0);
        s.Edit().SetU16(off::kAverages, 7);
        WaveformParams p = Params(1003);
        p[0].value = 31.5;
        EXPECT_TRUE(modules_.Find(1003)->SetParams(p));
        const fs::path file = dir_.Path() / "sweep.mst";
        EXPECT_TRUE(s.SaveFile(file));
        return file;
    }
    platform::PrivateTempDir dir_;
    platform::RecordingPrompt prompt_;
    YWaveformModules modules_{YWaveformModules::Options{}};
};

TEST_F(MstFiles, LengthFollowsTheListsAndTheFileRoundTrips) {
    const fs::path file = LogSweepFile();
    const std::size_t n1 = Params(1003).size(), n2 = Analysis(1003).size();
    ASSERT_GT(n1, 0u);
    ASSERT_GT(n2, 0u);
    const std::string bytes = ReadAll(file);
    EXPECT_EQ(bytes.size(), 14 + 1408 + 712 + 4 + 392 * n1 + 4 + 392 * n2);
    EXPECT_EQ(bytes.size(), MstFileSize(n1, n2));
    EXPECT_EQ(bytes.substr(0, 14), "@[SXMSTv0023]$");

    // Another module's values in between; the file brings the sweep back.
    WaveformParams p = Params(1003);
    p[0].value = 100.0;
    ASSERT_TRUE(modules_.Find(1003)->SetParams(p));
    MeasSettings s({nullptr, &modules_, &prompt_});
    s.Edit().SetF64(off::kSampleRate, 48000.0);
    s.Edit().SetF64(off::kMicSensitivity, 0.05);
    s.Edit().SetF64(off::kGainA, 2.0);
    s.MarkChanged();
    const MeasConfig before = s.Config();
    std::string why;
    ASSERT_TRUE(s.OpenFile(file, &why)) << why;
    EXPECT_EQ(s.Config().ModuleId(), 1003);
    EXPECT_EQ(s.Config().StopFrequency(), 16000.0);
    EXPECT_EQ(s.Config().Averages(), 7);
    EXPECT_FALSE(s.IsChanged());
    EXPECT_TRUE(std::equal(before.Data().begin() + 8, before.Data().begin() + kGeneratorOffset,
                           s.Config().Data().begin() + 8))
        << "sound card, impedance, level calibration and microphone are not part of the file";
    EXPECT_EQ(Params(1003)[0].value, 31.5);
}

TEST_F(MstFiles, CorruptAndHostileFilesFailAndChangeNothing) {
    const std::string good = ReadAll(LogSweepFile());
    const std::size_t firstCount = 14 + 1408 + 712;
    const std::size_t n1 = Params(1003).size();
    const std::size_t secondCount = firstCount + 4 + 392 * n1;
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
    };
    const Case cases[] = {
        {"empty", [](std::string& s) { s.clear(); }},
        {"wrong magic", [](std::string& s) { s[9] = '4'; }},
        {"short magic", [](std::string& s) { s.resize(13); }},
        {"ends in the generator block", [](std::string& s) { s.resize(14 + 1000); }},
        {"ends in the analyzer block", [](std::string& s) { s.resize(14 + 1408 + 711); }},
        {"no first count", [=](std::string& s) { s.resize(firstCount + 3); }},
        {"negative first count", [=](std::string& s) { PutI32(s, firstCount, -1); }},
        {"huge first count", [=](std::string& s) { PutI32(s, firstCount, 0x7FFFFFFF); }},
        {"count one past the bytes", [=](std::string& s) { PutI32(s, secondCount, 1000); }},
        {"short last record", [](std::string& s) { s.resize(s.size() - 1); }},
        {"negative second count", [=](std::string& s) { PutI32(s, secondCount, -5); }},
        {"malformed record flag", [=](std::string& s) { s[firstCount + 4 + 92] = 2; }},
        {"unknown module id",
         [](std::string& s) { s[14 + 4] = char(999 & 0xFF), s[14 + 5] = char(999 >> 8); }},
        {"module refuses a shorter list",
         [=](std::string& s) {
             PutI32(s, firstCount, std::int32_t(n1 - 1));
             s.erase(firstCount + 4 + 392 * (n1 - 1), 392);
         }},
        {"module refuses records of another kind",
         [=](std::string& s) { PutI32(s, firstCount + 4 + 88, 25); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = good;
        c.damage(bytes);
        const fs::path file = dir_.Path() / "bad.mst";
        WriteAll(file, bytes);
        WaveformParams p = Params(1003);
        p[0].value = 77.0;
        ASSERT_TRUE(modules_.Find(1003)->SetParams(p));
        const WaveformParams params = Params(1003), analysis = Analysis(1003);
        MeasSettings s({nullptr, &modules_, &prompt_});
        s.Edit().SetF64(off::kFrequency, 123.0);
        s.MarkChanged();
        const MeasConfig before = s.Config();
        std::string why;
        EXPECT_FALSE(s.OpenFile(file, &why));
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(s.Config(), before);
        EXPECT_EQ(Params(1003), params);
        EXPECT_EQ(Analysis(1003), analysis);
    }
    EXPECT_TRUE(prompt_.Prompts().empty());
}

TEST_F(MstFiles, AFailedSaveKeepsTheOldFileAndTheChangedBit) {
    MeasSettings s({nullptr, &modules_, &prompt_});
    s.MarkChanged();
    std::string why;
    EXPECT_FALSE(s.SaveFile(dir_.Path() / "missing" / "x.mst", &why));
    EXPECT_TRUE(s.IsChanged());
    EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace sonbex::measurement
