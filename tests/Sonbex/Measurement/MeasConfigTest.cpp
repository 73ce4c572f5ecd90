#include "Platform/PrivateTempDir.h"
#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"
#include "Sonbex/Measurement/MeasConfig.h"
#include "Sonbex/Measurement/MeasConfigCheck.h"
#include "Sonbex/Measurement/MeasSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <vector>

namespace sonbex::measurement {
namespace {

// The default record from the fixture (its non-zero fields typed in from the
// tables of defaults by make_default_record.py).
std::vector<std::uint8_t> GoldenDefaults() {
    std::vector<std::uint8_t> image(kMeasConfigSize, 0);
    std::ifstream in(std::string(SONBEX_TEST_DATA) + "/Sonbex/Measurement/default-record.txt");
    EXPECT_TRUE(in) << "fixture missing";
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::size_t offset = 0;
        std::string hex;
        fields >> offset >> hex;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
            image.at(offset + i / 2) = static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return image;
}

TEST(MeasConfig, DefaultsAreTheGoldenImage) {
    const std::vector<std::uint8_t> golden = GoldenDefaults();
    const MeasConfig config;
    ASSERT_EQ(config.Data().size(), golden.size());
    for (std::size_t i = 0; i < golden.size(); ++i)
        ASSERT_EQ(config.Data()[i], golden[i]) << "first difference at offset " << i;
    EXPECT_EQ(config.SampleRate(), 44100.0);
    EXPECT_EQ(config.InDevice(), -1) << "0 stored means the default device";
    EXPECT_EQ(config.Output(5), OutputChannel{});
}

TEST(MeasConfig, DriverModelAndTypedAccessRoundTrip) {
    MeasConfig c;
    c.SetDefaults(DriverModel::Vxd);
    EXPECT_EQ(c.U16(off::kDriverModel), 0);
    c.SetI16(off::kMixerIn, -7);
    c.SetF64(off::kStop, 18500.25);
    c.SetText(off::kSweepFile, kPathField, std::string(400, 'x'));
    EXPECT_EQ(c.I16(off::kMixerIn), -7);
    EXPECT_EQ(c.Data()[off::kMixerIn], 0xF9);
    EXPECT_EQ(c.StopFrequency(), 18500.25);
    EXPECT_EQ(c.SweepFile().size(), kPathField - 1) << "bounded, terminated";
    EXPECT_TRUE(c.IsTerminated(off::kSweepFile, kPathField));
    OutputChannel ch;
    ch.gainDb = -3.5;
    ch.invert = true;
    ch.filterType[2] = 4;
    ch.p3[4] = 0.707;
    c.SetOutput(3, ch);
    EXPECT_EQ(c.Output(3), ch);
    EXPECT_EQ(c.Output(2), OutputChannel{});
    EXPECT_EQ(c.I32(off::kOutputChannels + 3 * 160 + 20 + 8), 4);
}

TEST(MeasConfig, SettingsBlockCarriesTheRecordAndItsExtension) {
    MeasConfig c;
    c.SetF64(off::kSampleRate, 96000.0);
    MeasSettingsBlock block = MeasSettingsBlock::From(c);
    EXPECT_EQ(block.bytes.size(), 2960u);
    for (std::size_t i = kMeasConfigSize; i < kSettingsBlockSize; ++i) EXPECT_EQ(block.bytes[i], 0) << i;
    block.bytes[2900] = 0x5A;
    EXPECT_EQ(block.Config(), c);
}

std::vector<std::uint8_t> Image(std::size_t size, std::int32_t marker) {
    MeasConfig c;
    c.SetF64(off::kSampleRate, 48000.0);
    std::vector<std::uint8_t> image(size, 0xAA);
    std::copy(c.Data().begin(), c.Data().begin() + std::min(size, kMeasConfigSize), image.begin());
    for (std::size_t i = kExtensionOffset; i < std::min(size, kMeasConfigSize); ++i) image[i] = 0xAA;
    if (size >= 4)
        for (int i = 0; i < 4; ++i) image[i] = static_cast<std::uint8_t>(std::uint32_t(marker) >> (8 * i));
    return image;
}

TEST(MeasConfig, RegistryImageAcceptanceBySizeAndMarker) {
    const std::size_t sizes[] = {0, 4, 2847, 2848, 2849, 2959, 2960, 2961};
    const std::int32_t markers[] = {56, 0x10000001, 0, 57};
    for (std::size_t size : sizes)
        for (std::int32_t marker : markers) {
            const std::vector<std::uint8_t> image = Image(size, marker);
            MeasConfig out;
            const MeasConfig before = out;
            const bool expected = (size == 2848 && marker == 56) || (size == 2960 && marker == 0x10000001);
            SCOPED_TRACE("size " + std::to_string(size) + " marker " + std::to_string(marker));
            ASSERT_EQ(AcceptRegistryImage(image, out), expected);
            if (!expected) {
                EXPECT_EQ(out, before) << "refused images change nothing";
                continue;
            }
            EXPECT_EQ(out.SampleRate(), 48000.0);
            EXPECT_EQ(out.I32(off::kMarker), marker);
            for (std::size_t i = kExtensionOffset; i < kMeasConfigSize; ++i)
                ASSERT_EQ(out.Data()[i], size == 2960 ? 0 : 0xAA) << "extension byte " << i;
        }
}

struct Damage {
    const char* what;
    std::function<void(MeasConfig&)> apply;
    unsigned reset;  // blocks put back to defaults; 0: valid
};

TEST(MeasConfig, ChecksResetOnlyTheFailingBlock) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Damage> cases = {
        {"buffer frames 20", [](MeasConfig& c) { c.SetI32(off::kBufferFrames, 20); }, 0},
        {"buffer frames 19", [](MeasConfig& c) { c.SetI32(off::kBufferFrames, 19); }, kBlockHardware},
        {"buffer count 4 and 24 bits",
         [](MeasConfig& c) { c.SetU16(off::kBufferCount, 4), c.SetU16(off::kBits, 24); }, 0},
        {"buffer count 3", [](MeasConfig& c) { c.SetU16(off::kBufferCount, 3); }, kBlockHardware},
        {"buffer count 257", [](MeasConfig& c) { c.SetU16(off::kBufferCount, 257); }, kBlockHardware},
        {"bits 20", [](MeasConfig& c) { c.SetU16(off::kBits, 20); }, 0},
        {"bits 12", [](MeasConfig& c) { c.SetU16(off::kBits, 12); }, kBlockHardware},
        {"rate NaN", [nan](MeasConfig& c) { c.SetF64(off::kSampleRate, nan); }, kBlockHardware},
        {"rate 0", [](MeasConfig& c) { c.SetF64(off::kSampleRate, 0.0); }, kBlockHardware},
        {"rate infinite", [](MeasConfig& c) { c.SetF64(off::kSampleRate, HUGE_VAL); }, kBlockHardware},
        {"6 output channels", [](MeasConfig& c) { c.SetU16(off::kOutChannels, 6); }, 0},
        {"3 output channels", [](MeasConfig& c) { c.SetU16(off::kOutChannels, 3); }, kBlockHardware},
        {"input device 4 of 4", [](MeasConfig& c) { c.SetU16(off::kInDevice, 4); }, 0},
        {"input device 5 of 4", [](MeasConfig& c) { c.SetU16(off::kInDevice, 5); }, kBlockDevices},
        {"output device 9 of 4", [](MeasConfig& c) { c.SetU16(off::kOutDevice, 9); }, kBlockDevices},
        {"microphone file unterminated",
         [](MeasConfig& c) { std::fill_n(c.Data().begin() + off::kMicFile, kPathField, 'm'); },
         kBlockMicrophone},
        {"negative sensitivity", [](MeasConfig& c) { c.SetF64(off::kMicSensitivity, -0.01); },
         kBlockMicrophone},
        {"sweep file unterminated",
         [](MeasConfig& c) { std::fill_n(c.Data().begin() + off::kSweepFile, kPathField, 's'); },
         kBlockGenerator},
        {"level above 0 dBr", [](MeasConfig& c) { c.SetF64(off::kLevelB, 1.01); }, kBlockGenerator},
        {"upper limit file unterminated",
         [](MeasConfig& c) { std::fill_n(c.Data().begin() + off::kUpperFile, kPathField, 'u'); },
         kBlockAnalyzer},
        {"lower limit file unterminated",
         [](MeasConfig& c) { std::fill_n(c.Data().begin() + off::kLowerFile, kPathField, 'l'); },
         kBlockAnalyzer},
        {"no averages", [](MeasConfig& c) { c.SetU16(off::kAverages, 0); }, kBlockAnalyzer},
        {"FFT size 9", [](MeasConfig& c) { c.SetI16(off::kFftSize, 9); }, kBlockAnalyzer},
    };
    for (const Damage& d : cases) {
        SCOPED_TRACE(d.what);
        MeasConfig c;
        c.SetF64(off::kGainA, 1.5);            // hardware
        c.SetF64(off::kMicSensitivity, 0.02);  // microphone
        c.SetF64(off::kFrequency, 440.0);      // generator
        c.SetU16(off::kAverages, 8);           // analyzer
        d.apply(c);
        const MeasConfig damaged = c;
        EXPECT_EQ(RepairMeasConfig(c, 4), d.reset);
        EXPECT_EQ(CheckMeasConfig(c, 4), 0u) << "valid after the repair";
        const MeasConfig defaults;
        auto same = [](const MeasConfig& a, const MeasConfig& b, std::size_t o, std::size_t n) {
            return std::equal(a.Data().begin() + o, a.Data().begin() + o + n, b.Data().begin() + o);
        };
        EXPECT_TRUE(same(c, (d.reset & kBlockHardware) ? defaults : damaged, 40, 160));
        EXPECT_TRUE(
            same(c, (d.reset & kBlockMicrophone) ? defaults : damaged, kMicrophoneOffset, kMicrophoneSize));
        EXPECT_TRUE(
            same(c, (d.reset & kBlockGenerator) ? defaults : damaged, kGeneratorOffset, kGeneratorSize));
        EXPECT_TRUE(same(c, (d.reset & kBlockAnalyzer) ? defaults : damaged, kAnalyzerOffset, kAnalyzerSize));
        if (d.reset == kBlockDevices) {
            EXPECT_EQ(c.InDevice(), -1);
            EXPECT_EQ(c.OutDevice(), -1);
            EXPECT_EQ(c.F64(off::kGainA), 1.5) << "the rest of the hardware block is kept";
        }
    }
}

class MeasRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.IsValid());
        ASSERT_TRUE(store_.Open(dir_.Path() / "settings.json"));
    }
    void Put(const std::vector<std::uint8_t>& image) {
        ASSERT_TRUE(store_.SetBinary(platform::kSettingsRoot, kMeasConfigValue, image));
    }
    platform::PrivateTempDir dir_;
    platform::RecordingPrompt prompt_;
    platform::SettingsStore store_{prompt_};
};

TEST_F(MeasRegistry, SaveMarksAndClearsTheChangedBitThenLoadsBack) {
    MeasSettings settings({&store_, nullptr, &prompt_, 4});
    settings.Edit().SetF64(off::kSampleRate, 96000.0);
    settings.Edit().SetI32(off::kMarker, 0);
    settings.MarkChanged();
    ASSERT_TRUE(settings.SaveToRegistry());
    EXPECT_FALSE(settings.IsChanged());
    std::vector<std::uint8_t> stored;
    ASSERT_TRUE(store_.GetBinary(platform::kSettingsRoot, kMeasConfigValue, stored));
    ASSERT_EQ(stored.size(), kMeasConfigSize);
    EXPECT_EQ(stored[0], 56);
    EXPECT_EQ(stored[4] & 1, 0);

    MeasSettings again({&store_, nullptr, &prompt_, 4});
    ASSERT_TRUE(again.LoadFromRegistry());
    EXPECT_EQ(again.Config(), settings.Config());
    EXPECT_TRUE(prompt_.Prompts().empty());
}

TEST_F(MeasRegistry, WrongImagesKeepTheDefaultsSilently) {
    for (auto image : {Image(2848, 57), Image(2000, 56), Image(2960, 56)}) {
        Put(image);
        MeasSettings settings({&store_, nullptr, &prompt_, 4});
        settings.Edit().SetF64(off::kSampleRate, 8000.0);
        EXPECT_FALSE(settings.LoadFromRegistry());
        EXPECT_EQ(settings.Config(), MeasConfig{});
    }
    EXPECT_TRUE(prompt_.Prompts().empty());
}

TEST_F(MeasRegistry, DamagedBlocksGetTheirDefaultsAndTheUserIsToldOnce) {
    MeasConfig c;
    c.SetU16(off::kBits, 12);
    c.SetU16(off::kAverages, 0);
    c.SetF64(off::kFrequency, 440.0);
    c.SetF64(off::kMicSensitivity, 0.03);
    Put(std::vector<std::uint8_t>(c.Data().begin(), c.Data().end()));
    prompt_.Script(platform::PromptAnswer::Ok);
    MeasSettings settings({&store_, nullptr, &prompt_, 4});
    ASSERT_TRUE(settings.LoadFromRegistry());
    EXPECT_EQ(settings.Config().Bits(), 16);
    EXPECT_EQ(settings.Config().Averages(), 2);
    EXPECT_EQ(settings.Config().Frequency(), 440.0) << "the generator block was valid";
    EXPECT_EQ(settings.Config().MicSensitivity(), 0.03);
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_EQ(prompt_.Prompts()[0].text, RepairMessage(kBlockHardware | kBlockAnalyzer));
    EXPECT_EQ(prompt_.Prompts()[0].icon, platform::PromptIcon::Warning);
}

}  // namespace
}  // namespace sonbex::measurement
