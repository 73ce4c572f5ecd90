// The registry holds the twelve modules in the system's order, and every one
// of them keeps its parameters through WAVEFORM.CFG.

#include "Waveform/YWaveformModules.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(ModuleRegistry, TwelveModulesInOrder) {
    YWaveformModules modules({});
    ASSERT_TRUE(modules.Init(48000.0, 2, 2, 16, 1, 1.0, 1.0));
    struct Row {
        int id;
        const char* name;
        int category;
    };
    const Row rows[] = {
        {2001, "White MLS", 2000},     {2002, "Pink MLS", 2000},        {2006, "Shelved MLS", 2000},
        {2003, "Spike", 2000},         {2004, "Sin\262 Pulse", 2000},   {1001, "Gated Sine Wave", 1000},
        {1002, "Shaped Burst", 1000},  {1003, "Log Sine Sweep", 1000},  {1005, "Multi-Tone", 1000},
        {1004, "IM Distortion", 1000}, {1006, "Amplitude Sweep", 1000}, {2005, "Ext. Wavefile", 2000},
    };
    std::vector<IWaveform*> all;
    modules.List(all, -1, false);
    ASSERT_EQ(all.size(), std::size(rows));
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->GetId(), rows[i].id) << i;
        EXPECT_EQ(all[i]->GetName(), rows[i].name) << rows[i].id;
        EXPECT_EQ(all[i]->GetCategory(), rows[i].category) << rows[i].id;
        EXPECT_EQ(all[i]->GetKind(), 1) << rows[i].id;
    }
}

TEST(ModuleRegistry, ParametersRoundTrip) {
    YWaveformModules modules({});
    ASSERT_TRUE(modules.Init(48000.0, 2, 2, 16, 1, 1.0, 1.0));
    IWaveform* gated = modules.Find(1001);
    ASSERT_NE(gated, nullptr);
    WaveformParams records;
    ASSERT_TRUE(gated->GetParams(records));
    records[3].intValue = 12;
    ASSERT_TRUE(gated->SetParams(records));
    std::string bytes;
    ASSERT_TRUE(modules.Serialize(bytes)) << "every module gives its parameters";

    YWaveformModules other({});
    ASSERT_TRUE(other.Init(48000.0, 2, 2, 16, 1, 1.0, 1.0));
    ASSERT_TRUE(other.Deserialize(bytes));
    WaveformParams loaded;
    ASSERT_TRUE(other.Find(1001)->GetParams(loaded));
    EXPECT_EQ(loaded[3].intValue, 12);
    std::string again;
    ASSERT_TRUE(other.Serialize(again));
    ASSERT_EQ(again.size(), bytes.size());
    const auto differ = std::mismatch(again.begin(), again.end(), bytes.begin());
    EXPECT_TRUE(differ.first == again.end()) << "first difference at byte " << (differ.first - again.begin());
}
