// The level control over the simulated card's mixer: lines, output volts
// through both calibration laws, presets and calibration files, the input
// lock, the peak check and the start-up snapshot.

#include "YWave/Sim/YSimCard.h"
#include "YWave/Sim/YSimMixer.h"
#include "YWave/YMemWave.h"
#include "YWave/YMixer.h"
#include "YWave/YWaveDevices.h"
#include "YWave/YWaveSample.h"

#include "Platform/MessageLoop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The simulated card with its mixer, the device list, and a level control
// whose files live in a private folder.
struct Rig {
    explicit Rig(YSimMixerConfig mixerConfig = {}) : mixer(std::move(mixerConfig)), devices({&card}) {
        char name[] = "/tmp/ymixer-XXXXXX";
        dir = mkdtemp(name);
        mixer.Attach(card);
        level = std::make_unique<YMixer>(std::vector<IMixerBackend*>{&mixer}, &devices,
                                         YMixer::Folders{dir / "Mixer", dir / "Calibration"});
        YMixerHardware hw;
        hw.inputDevice = 1;  // the simulated card (wave device 0)
        hw.outputDevice = 1;
        level->SetHardware(hw);
    }
    ~Rig() {
        level.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void WriteCalibration(const std::string& file, const YLevelCalibration& c) {
        fs::create_directories(dir / "Calibration");
        std::ofstream(dir / "Calibration" / file, std::ios::binary) << c.Bytes();
    }

    YSimCard card;
    YSimMixer mixer;
    YWaveDevices devices;
    fs::path dir;
    std::unique_ptr<YMixer> level;
};

// The amplitude that comes back on the loop-back input for a sine of 0.5
// full scale on output 1: the card's output gain as the mixer set it.
double LoopbackGain(YSimCard& card) {
    sonbex::platform::MessageLoop loop;
    YMemWave wave(loop, card);
    constexpr int kBits = 24, kBlocks = 6;
    double peak = 0;
    int calls = 0;
    long n = 0;
    wave.Create(
        [&](const std::uint8_t* in, std::uint8_t* out, int frames) {
            for (int f = 0; f < frames; ++f, ++n) {
                double a, b;
                YSampleToReal(YSampleToReal(in + 6 * f, kBits, a), kBits, b);
                if (calls >= 3) peak = std::max(peak, std::fabs(b));
                const double v = 0.5 * std::sin(2 * std::numbers::pi * static_cast<double>(n) / 48.0);
                YRealToSample(0.0, kBits, YRealToSample(v, kBits, out + 6 * f));
            }
            return ++calls < kBlocks;
        },
        {});
    wave.SetBuffers(3, 960, -1);
    EXPECT_TRUE(wave.OpenDuplex(kBits, 2, 2, 48000)) << wave.LastError();
    EXPECT_TRUE(wave.Start());
    for (int i = 0; i < 10000 && wave.IsRunning(); ++i) loop.RunUntilIdle();
    return peak / 0.5;
}

}  // namespace

TEST(Mixer, SelectLinesFindsTheLinesMutesTheInputAndSelectsIt) {
    struct Case {
        std::uint32_t flags;
        bool muted, selected;
    } cases[] = {{0, true, true}, {kHwDontMuteInputs, false, true}, {kHwDontSelectInput, true, false}};
    for (const Case& c : cases) {
        Rig rig;
        YMixerHardware hw = rig.level->Hardware();
        hw.inputLine = 1;  // "Line"
        hw.flags = c.flags;
        rig.level->SetHardware(hw);
        rig.level->SelectLines();
        ASSERT_TRUE(rig.level->InputMixerOpen());
        ASSERT_TRUE(rig.level->OutputMixerOpen());
        MixerLine line;
        ASSERT_TRUE(rig.level->Line(YMixerRole::MasterOut, line));
        EXPECT_EQ(line.name, "Master");
        EXPECT_TRUE(line.Usable());
        ASSERT_TRUE(rig.level->Line(YMixerRole::Wave, line));
        EXPECT_EQ(line.name, "PCM");
        ASSERT_TRUE(rig.level->Line(YMixerRole::MasterIn, line));
        EXPECT_EQ(line.name, "Capture");
        ASSERT_EQ(rig.level->InputLines().size(), 2u);
        EXPECT_EQ(rig.level->SelectedInputLine(), 1);
        EXPECT_EQ(rig.mixer.MonitorMuted("Line"), c.muted) << c.flags;
        EXPECT_FALSE(rig.mixer.MonitorMuted("Mic")) << c.flags;
        EXPECT_EQ(rig.mixer.SelectedInput() == 1, c.selected) << c.flags;
    }
}

TEST(Mixer, MixerOfAWaveDeviceByIdAndByName) {
    Rig rig;
    YMixerApi api({&rig.mixer}, &rig.devices);
    EXPECT_EQ(api.MixerForWaveDevice(0, true), 0);
    EXPECT_EQ(api.MixerForWaveDevice(-1, false), 0);
    EXPECT_EQ(YMixerApi::CutAtLastBlank("Card X Wave"), "Card X");
    EXPECT_EQ(YMixerApi::SameDeviceName(YMixerApi::CutAtLastBlank("Card X Wave"),
                                        YMixerApi::CutAtLastBlank("Card X Mixer")),
              0);
    EXPECT_NE(YMixerApi::SameDeviceName(YMixerApi::CutAtLastBlank("Card X Wave"),
                                        YMixerApi::CutAtLastBlank("Card Y Mixer")),
              0);
    EXPECT_EQ(YMixerApi::SameDeviceName("SB Live Wave", "SB Live! Mixer"), 0);  // agree through " Li"
}

TEST(Mixer, OutputVoltsRoundTripOnALinearMixer) {
    // A master of 99 steps: half the reference needs 49.5 steps, so the
    // master overshoots by half a step and the finer wave control trims it.
    YSimMixerConfig config;
    config.outputMaximum = 99;
    config.waveMaximum = 1000;
    Rig rig(config);
    rig.level->SelectLines();
    ASSERT_TRUE(rig.level->SetOutputVoltage(2.0, false));
    EXPECT_EQ(rig.mixer.Volume("Master")[0], 99u);
    EXPECT_DOUBLE_EQ(rig.level->GetOutputVoltage(), 2.0);
    ASSERT_TRUE(rig.level->SetOutputVoltage(1.0, false));
    EXPECT_EQ(rig.mixer.Volume("Master")[0], 50u);
    EXPECT_EQ(rig.mixer.Volume("PCM")[0], 990u);
    EXPECT_NEAR(rig.level->GetOutputVoltage(), 1.0, 1e-12);
    for (double v : {1.5, 0.7745966692, 0.3, 0.05, 0.01}) {
        ASSERT_TRUE(rig.level->SetOutputVoltage(v, false));
        const double read = rig.level->GetOutputVoltage();
        EXPECT_GE(read, v * (1 - 1e-12)) << v;
        EXPECT_LT(read, v * 1.05) << v;
        EXPECT_TRUE(YMixer::HalfLevelReached(2 * v, read)) << v;
        // What the card plays follows the voltage: gain = V / Vref.
        EXPECT_NEAR(LoopbackGain(rig.card), read / 2.0, 1e-5) << v;
    }
    ASSERT_TRUE(rig.level->SetOutputVoltage(0.0, false));
    EXPECT_EQ(rig.mixer.Volume("Master")[0], 0u);
    EXPECT_EQ(rig.level->GetOutputVoltage(), 0.0);
}

TEST(Mixer, OutputVoltsRoundTripOnADbMixerWithItsCalibration) {
    YSimMixerConfig config;
    config.law = YMixerLaw::Db;
    config.dbPerUnit = 0.5;
    config.outputMaximum = 120;  // 60 dB
    Rig rig(config);
    YLevelCalibration c;
    c.outputVoltageReference = 2.0;
    c.stepDb = 0.5;
    rig.WriteCalibration("MC_1_1_0.mcl", c);
    rig.level->SelectLines();
    EXPECT_EQ(rig.level->LoadCalibration(), 1);
    EXPECT_TRUE(rig.level->Hardware().flags & kHwLogCalibration);

    // The search starts at the top step: the reference itself is the full
    // master, one step below it one unit less.
    ASSERT_TRUE(rig.level->SetOutputVoltage(2.0, false));
    EXPECT_EQ(rig.mixer.Volume("Master")[0], 120u);
    ASSERT_TRUE(rig.level->SetOutputVoltage(2.0 * std::pow(10.0, -0.5 / 20), false));
    EXPECT_EQ(rig.mixer.Volume("Master")[0], 119u);
    for (double v : {1.0, 0.5, 0.2449489743, 0.02}) {
        ASSERT_TRUE(rig.level->SetOutputVoltage(v, false));
        const double read = rig.level->GetOutputVoltage();
        EXPECT_NEAR(20 * std::log10(read / v), 0.0, 0.5) << v;
        EXPECT_TRUE(YMixer::HalfLevelReached(2 * v, read)) << v;
        EXPECT_NEAR(20 * std::log10(LoopbackGain(rig.card) * 2.0 / read), 0.0, 1e-3) << v;
    }
}

TEST(Mixer, OutputVoltsFollowTheLawOfAnUncalibratedDbMixer) {
    YSimMixerConfig config;
    config.law = YMixerLaw::Db;
    config.dbPerUnit = 0.75;
    config.hasWave = false;
    Rig rig(config);
    rig.level->SelectLines();
    for (double v : {2.0, 1.0, 0.3, 0.1}) {
        ASSERT_TRUE(rig.level->SetOutputVoltage(v, false));
        const double read = rig.level->GetOutputVoltage();
        EXPECT_GE(read, v * (1 - 1e-12)) << v;
        EXPECT_LT(20 * std::log10(read / v), 0.75) << v;
        EXPECT_NEAR(LoopbackGain(rig.card), read / 2.0, 1e-5) << v;
    }
}

TEST(Mixer, PresetsRoundTripAndDamagedFilesAreIgnored) {
    Rig rig;
    YMixerHardware hw = rig.level->Hardware();
    hw.inputLine = 1;
    rig.level->SetHardware(hw);
    rig.level->SelectLines();
    rig.level->SetInputLock(false);
    ASSERT_TRUE(rig.level->SetOutputVoltage(0.5, false));
    rig.mixer.SetVolume("Capture", 70, 60);
    rig.mixer.SetVolume("Line", 40, 45);
    rig.level->SavePreset(0);
    const fs::path file = rig.dir / "Mixer" / "S010101.mix";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(fs::file_size(file), 48u);
    EXPECT_EQ(rig.level->PresetPath(0), file);

    // Something else, then the preset again.
    rig.level->SetOutputVoltage(2.0, false);
    rig.mixer.SetVolume("Capture", 10, 10);
    rig.mixer.SetVolume("Line", 5, 5);
    rig.level->LoadPreset(0);
    EXPECT_NEAR(rig.level->GetOutputVoltage(), 0.5, 1e-12);
    EXPECT_EQ(rig.mixer.Volume("Capture"), (std::array<std::uint32_t, 2>{70, 60}));
    EXPECT_EQ(rig.mixer.Volume("Line"), (std::array<std::uint32_t, 2>{40, 45}));

    // A short file and a wrong magic change nothing.
    const std::string good = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    for (std::string bad : {good.substr(0, 47), std::string("x") + good.substr(1)}) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bad;
        rig.mixer.SetVolume("Capture", 11, 12);
        rig.level->LoadPreset(0);
        EXPECT_EQ(rig.mixer.Volume("Capture"), (std::array<std::uint32_t, 2>{11, 12}));
    }
    // No "Z" preset: loading mode 1 only switches the mode.
    rig.level->LoadPreset(1);
    EXPECT_EQ(rig.level->Mode(), 1);
    EXPECT_EQ(rig.mixer.Volume("Capture"), (std::array<std::uint32_t, 2>{11, 12}));
}

TEST(Mixer, WithoutAMixerNothingIsSetAndNoPresetWritten) {
    YSimMixerConfig config;
    config.failOpen = true;
    Rig rig(config);
    rig.level->SelectLines();
    EXPECT_FALSE(rig.level->InputMixerOpen());
    EXPECT_FALSE(rig.level->SetOutputVoltage(1.0, false));
    rig.level->SavePreset(0);
    EXPECT_FALSE(fs::exists(rig.level->PresetPath(0)));
    EXPECT_TRUE(rig.level->InputLines().empty());
}

TEST(Mixer, CalibrationFilesLoadWithTheirFallbacks) {
    Rig rig;
    rig.level->SelectLines();
    // No file: the defaults.
    EXPECT_EQ(rig.level->LoadCalibration(), 0);
    EXPECT_EQ(rig.level->Hardware().outputVoltageReference, 2.0);
    EXPECT_EQ(rig.level->Hardware().calibratedInputSetting, kNoInputSetting);

    // The same devices calibrated with line 2: used, without its input setting.
    YLevelCalibration c;
    c.outputVoltageReference = 1.25;
    c.inputFullScale = 0.8;
    c.calibratedInputSetting = 60;
    rig.WriteCalibration("MC_1_1_2.mcl", c);
    EXPECT_EQ(rig.level->LoadCalibration(), 1);
    EXPECT_EQ(rig.level->Hardware().outputVoltageReference, 1.25);
    EXPECT_EQ(rig.level->Hardware().inputFullScale, 0.8);
    EXPECT_EQ(rig.level->Hardware().calibratedInputSetting, kNoInputSetting);

    // The exact file, with the setting: the lock holds the inputs there.
    c.outputVoltageReference = 1.5;
    rig.WriteCalibration("MC_1_1_0.mcl", c);
    rig.level->SetInputLock(true);
    EXPECT_EQ(rig.level->LoadCalibration(), 2);
    EXPECT_EQ(rig.level->Hardware().outputVoltageReference, 1.5);
    EXPECT_EQ(rig.mixer.Volume("Capture"), (std::array<std::uint32_t, 2>{60, 60}));
    EXPECT_EQ(rig.mixer.Volume("Mic"), (std::array<std::uint32_t, 2>{60, 60}));
    std::uint32_t lo = 0, hi = 0;
    double step = 0;
    EXPECT_TRUE(rig.level->GetInputRange(lo, hi, step));
    EXPECT_EQ(hi, 100u);
    EXPECT_EQ(step, 1.0);

    // A short file: nothing changes.
    std::ofstream(rig.dir / "Calibration" / "MC_1_1_0.mcl", std::ios::binary | std::ios::trunc) << "short";
    EXPECT_EQ(rig.level->LoadCalibration(), 0);
    EXPECT_EQ(rig.level->Hardware().outputVoltageReference, 1.5);

    // Saved (atomically) and read back byte for byte.
    ASSERT_TRUE(rig.level->SaveCalibration());
    EXPECT_EQ(fs::file_size(rig.dir / "Calibration" / "MC_1_1_0.mcl"), 32u);
    EXPECT_EQ(rig.level->LoadCalibration(), 2);
    EXPECT_EQ(rig.level->Hardware().outputVoltageReference, 1.5);
    EXPECT_EQ(rig.level->Hardware().inputFullScale, 0.8);

    // Reset keeps a backup and gives the defaults while the calibration runs;
    // restore brings it back.
    rig.level->ResetCalibration();
    EXPECT_TRUE(fs::exists(rig.dir / "Calibration" / "MC_1_1_0.mcl_"));
    EXPECT_EQ(rig.level->Hardware().outputVoltageReference, 2.0);
    EXPECT_EQ(rig.level->LoadCalibration(), 1);  // the line-2 file, not the backup
    rig.level->RestoreCalibration();
    EXPECT_EQ(rig.level->Hardware().outputVoltageReference, 1.5);
    EXPECT_FALSE(fs::exists(rig.dir / "Calibration" / "MC_1_1_0.mcl_"));
}

TEST(Mixer, ACalibrationLeftAsItsBackupIsRestored) {
    Rig rig;
    YLevelCalibration c;
    c.outputVoltageReference = 3.0;
    c.calibratedInputSetting = 42;
    rig.WriteCalibration("MC_1_1_0.mcl_", c);
    EXPECT_EQ(rig.level->LoadCalibration(), 2);
    EXPECT_EQ(rig.level->Hardware().outputVoltageReference, 3.0);
    EXPECT_TRUE(fs::exists(rig.dir / "Calibration" / "MC_1_1_0.mcl"));
    EXPECT_FALSE(fs::exists(rig.dir / "Calibration" / "MC_1_1_0.mcl_"));
}

TEST(Mixer, PeakCheckUsesTheInputFullScaleAndReportsOverload) {
    Rig rig;
    int posted = 0;
    rig.level->SetListener([&](std::uint32_t m) { posted += m == kMixerLevels; });
    EXPECT_FALSE(rig.level->CheckPeaks(0.5, -0.5, 0.25, -0.25));
    double a = 0, b = 0;
    EXPECT_FALSE(rig.level->GetPeaks(a, b));
    EXPECT_NEAR(a, 0.0, 1e-9);
    EXPECT_NEAR(b, -6.0206, 1e-4);
    EXPECT_TRUE(rig.level->CheckPeaks(0.5, -0.5, 0.1, -0.1, false, true));  // B clipped
    EXPECT_TRUE(rig.level->GetPeaks(a, b));
    EXPECT_EQ(b, kClippedLevelDb);
    EXPECT_FALSE(rig.level->CheckPeaks(0.5, -0.5, 0.1, -0.1));
    EXPECT_EQ(posted, 3);
    rig.level->CheckPeaks(0.5, -0.5, 0.1, -0.1);  // unchanged: not posted again
    EXPECT_EQ(posted, 3);
    YMixerHardware hw = rig.level->Hardware();
    hw.inputFullScale = 2.0;  // the input reads twice the codes
    rig.level->SetHardware(hw);
    EXPECT_TRUE(rig.level->CheckPeaks(0.5, -0.5, 0.1, -0.1));
    rig.level->GetPeaks(a, b);
    EXPECT_EQ(a, kClippedLevelDb);
}

TEST(Mixer, InputLockHoldsTheInputsAtTheCalibratedSetting) {
    Rig rig;
    rig.level->SelectLines();
    rig.level->SetInputLock(true);
    EXPECT_EQ(rig.mixer.Volume("Capture"),
              (std::array<std::uint32_t, 2>{100, 100}));  // no setting: the maximum
    rig.level->SetInputLock(false);
    rig.level->SetInputLevel(30);
    EXPECT_EQ(rig.mixer.Volume("Mic"), (std::array<std::uint32_t, 2>{30, 30}));
    YMixerHardware hw = rig.level->Hardware();
    hw.calibratedInputSetting = 250;  // above the control: its maximum
    rig.level->SetHardware(hw);
    rig.level->SetInputLock(true);
    EXPECT_EQ(rig.mixer.Volume("Mic"), (std::array<std::uint32_t, 2>{100, 100}));
    EXPECT_TRUE(rig.level->InputLocked());
}

TEST(Mixer, SnapshotRestoresEveryMixerAtExit) {
    Rig rig;
    rig.mixer.SetVolume("Master", 80, 70);
    rig.mixer.SetVolume("Mic", 20, 25);
    rig.level->TakeSnapshot();
    EXPECT_EQ(rig.level->SnapshotSize(), 5u);  // Master, PCM, Capture, Mic, Line
    rig.level->SelectLines();
    rig.level->SetOutputVoltage(0.1, false);
    rig.level->SetInputLock(true);
    EXPECT_TRUE(rig.mixer.MonitorMuted("Mic"));
    rig.level->RestoreSnapshot();
    EXPECT_EQ(rig.mixer.Volume("Master"), (std::array<std::uint32_t, 2>{80, 70}));
    EXPECT_EQ(rig.mixer.Volume("PCM"), (std::array<std::uint32_t, 2>{100, 100}));
    EXPECT_EQ(rig.mixer.Volume("Mic"), (std::array<std::uint32_t, 2>{20, 25}));
    EXPECT_FALSE(rig.mixer.MonitorMuted("Mic"));
}

TEST(Mixer, ChangesTakeEffectAtTheCardsNextBlock) {
    Rig rig;
    rig.level->SelectLines();
    rig.level->SetOutputVoltage(2.0, false);
    sonbex::platform::MessageLoop loop;
    YMemWave wave(loop, rig.card);
    std::vector<double> blockPeaks;
    int calls = 0;
    wave.Create(
        [&](const std::uint8_t* in, std::uint8_t* out, int frames) {
            double peak = 0;
            for (int f = 0; f < frames; ++f) {
                double a, b;
                YSampleToReal(YSampleToReal(in + 4 * f, 16, a), 16, b);
                peak = std::max(peak, std::fabs(b));
                YRealToSample(0.0, 16, YRealToSample(0.5, 16, out + 4 * f));
            }
            blockPeaks.push_back(peak);
            if (calls == 5) rig.level->SetOutputVoltage(1.0, false);
            return ++calls < 10;
        },
        {});
    wave.SetBuffers(3, 480, -1);
    ASSERT_TRUE(wave.OpenDuplex(16, 2, 2, 48000));
    ASSERT_TRUE(wave.Start());
    for (int i = 0; i < 10000 && wave.IsRunning(); ++i) loop.RunUntilIdle();
    ASSERT_EQ(blockPeaks.size(), 10u);
    // Blocks the card already recorded keep the old gain, whole blocks after it the new.
    EXPECT_NEAR(blockPeaks[5], 0.5, 1e-4);
    EXPECT_NEAR(blockPeaks[9], 0.25, 1e-4);
    for (double p : blockPeaks)
        EXPECT_TRUE(std::fabs(p - 0.5) < 1e-4 || std::fabs(p - 0.25) < 1e-4 || p == 0);
}
