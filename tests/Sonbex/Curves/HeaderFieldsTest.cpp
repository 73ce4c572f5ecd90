// The header fields as the information dialog shows them: dates on both
// clocks, the analysis kind, the settings line, and the curve colours.

#include "Sonbex/Curves/AcquireDate.h"
#include "Sonbex/Curves/MultColorTable.h"
#include "Sonbex/Curves/SettingsBlock.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace sonbex::curves {
namespace {

TEST(HeaderFields, AcquireDateOnBothClocks) {
    struct Case {
        AcquireDate date;
        const char* twelve;
        const char* twentyFour;
    } cases[] = {
        {{2024, 3, 7, 0, 5, 9}, "Mar 7 2024  12:05.09 am", "2024-03-07  00:05.09"},
        {{2024, 3, 7, 1, 0, 0}, "Mar 7 2024  01:00.00 am", "2024-03-07  01:00.00"},
        {{2024, 3, 7, 11, 59, 59}, "Mar 7 2024  11:59.59 am", "2024-03-07  11:59.59"},
        {{2024, 3, 7, 12, 0, 0}, "Mar 7 2024  12:00.00 pm", "2024-03-07  12:00.00"},
        {{2024, 12, 31, 13, 1, 2}, "Dec 31 2024  01:01.02 pm", "2024-12-31  13:01.02"},
        {{1999, 1, 1, 23, 0, 0}, "Jan 1 1999  11:00.00 pm", "1999-01-01  23:00.00"},
        {{2024, 0, 7, 12, 0, 0}, "", ""},   // month 0: not known
        {{2024, 13, 7, 12, 0, 0}, "", ""},  // no month
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatAcquireDate(c.date, false), c.twelve) << c.twentyFour;
        EXPECT_EQ(FormatAcquireDate(c.date, true), c.twentyFour) << c.twelve;
    }
}

TEST(HeaderFields, AnalysisKindAndSettingsLine) {
    struct Case {
        std::uint16_t kind;
        std::uint32_t flags;
        const char* text;
    } kinds[] = {{0, 0, "Frequency Response"},
                 {1, 0, "Impedance"},
                 {2, 0, "T/S with Delta Mass"},
                 {3, 0, "T/S with Delta Compliance"},
                 {4, 0, "Polar Plot"},
                 {7, 8, "\xBD Polar Plot"},
                 {8, 0, "Polar Plot"},
                 {5, 0, "Total Harmonic Distortion"},
                 {6, 0, "Unknown"},
                 {9, 0, "Unknown"}};
    for (const Case& c : kinds) {
        SettingsBlock s;
        s.SetAnalysisKind(c.kind);
        s.SetAnalyzerFlags(c.flags);
        EXPECT_EQ(AnalysisKindText(s), c.text) << c.kind;
    }
    struct Line {
        double rate;
        std::uint16_t bits;
        bool stimulusKnown;
        const char* text;
    } lines[] = {{48000.0, 24, true, "48000 Hz, 24 bits"},
                 {48000.0, 24, false, "48000 Hz"},
                 {7999.5, 16, true, "7999.5 Hz, 16 bits"},
                 {44100.0, 0, true, "44100 Hz"},
                 {44100.0, 49, true, "44100 Hz"},
                 {0.0, 16, true, "Unknown"},
                 {1e8, 16, true, "Unknown"},
                 {-1.0, 16, true, "Unknown"}};
    for (const Line& l : lines) {
        SettingsBlock s;
        s.SetSampleRate(l.rate);
        s.SetBitsPerSample(l.bits);
        EXPECT_EQ(SettingsLine(s, l.stimulusKnown), l.text) << l.rate;
    }
}

TEST(HeaderFields, ColoursReadSlotBySlotUntilOneIsMissing) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("sonbex-colours-" + std::to_string(::getpid()) + ".json");
    std::filesystem::remove(file);
    {
        platform::RecordingPrompt prompt;
        platform::SettingsStore store(prompt);
        ASSERT_TRUE(store.Open(file));
        {
            platform::YRegistry reg(store);
            ASSERT_TRUE(reg.Open(platform::SettingsSection(kMultiGraphColorsSection), true));
            reg.WriteInt("Magnitude Color #1", 0x000001);
            reg.WriteInt("Phase Color #1", 0x000002);
            reg.WriteInt("Magnitude Color #2", 0x000003);  // after a missing one: not read
        }
        MultColorTable::LoadColours(store);
        EXPECT_EQ(MultColorTable::Colour(CurveFamily::Magnitude, 0), 0x000001u);
        EXPECT_EQ(MultColorTable::Colour(CurveFamily::Phase, 0), 0x000002u);
        EXPECT_EQ(MultColorTable::Colour(CurveFamily::GroupDelay, 0), MultColorTable::Defaults()[2][0]);
        EXPECT_EQ(MultColorTable::Colour(CurveFamily::Magnitude, 1), MultColorTable::Defaults()[0][1]);
        EXPECT_EQ(MultColorTable::Colour(CurveFamily::Magnitude, 7), MultColorTable::Defaults()[0][1]);
        // Written back whole, then read back whole.
        EXPECT_TRUE(MultColorTable::SaveColours(store));
        MultColorTable::SetColours(MultColorTable::Defaults());
        MultColorTable::LoadColours(store);
        EXPECT_EQ(MultColorTable::Colour(CurveFamily::Phase, 0), 0x000002u);
        EXPECT_EQ(MultColorTable::Colour(CurveFamily::H3, 5), Rgb(0xf2, 0xa6, 0xe6));
    }
    MultColorTable::SetColours(MultColorTable::Defaults());
    std::filesystem::remove(file);
    std::filesystem::remove(file.string() + ".lock");
}

}  // namespace
}  // namespace sonbex::curves
