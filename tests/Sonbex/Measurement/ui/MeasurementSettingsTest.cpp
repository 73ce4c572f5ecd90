#include "../../../YWin/GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/ScriptedFileChooser.h"
#include "Sonbex/Measurement/SettingsRules.h"
#include "Sonbex/Measurement/ui/MeasSettingsIds.h"
#include "Sonbex/Measurement/ui/MeasurementSettings.h"
#include "Waveform/YWaveformModules.h"
#include "YWave/Sim/YSimCard.h"
#include "YWin/YDialogItems.h"
#include "YWin/YSpinButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>

namespace sonbex::measurement {
namespace {

using ywin::FindItem;
using ywin::ItemText;
using ywin::SetItemText;

class SettingsSheet : public ::testing::Test {
protected:
    void SetUp() override {
        test::GuiApp();
        ASSERT_TRUE(modules_.Init(44100.0, 2, 2, 16, 1, 1.0, 1.0));
    }
    void TearDown() override {
        EXPECT_TRUE(prompt_.Unexpected().empty()) << "unexpected prompt";
        EXPECT_TRUE(chooser_.Unexpected().empty()) << "unexpected chooser";
    }
    // A sheet on the record as it is now, opened modeless.
    std::unique_ptr<MeasurementSettings> Open() {
        auto sheet = std::make_unique<MeasurementSettings>(context_);
        EXPECT_TRUE(sheet->Create(false));
        return sheet;
    }
    QComboBox* Combo(QWidget* w, int id) { return ywin::FindItemAs<QComboBox>(w, id); }

    platform::RecordingPrompt prompt_;
    platform::ScriptedFileChooser chooser_;
    YWaveformModules modules_{YWaveformModules::Options{}};
    YSimCard card_;
    MeasSettings settings_{{nullptr, &modules_, &prompt_, 1}};
    MeasSettingsContext context_{settings_, prompt_, chooser_, &card_, nullptr, {}, false};
};

TEST_F(SettingsSheet, PagesInOrderAndControlsNamedById) {
    auto sheet = Open();
    EXPECT_EQ(sheet->windowTitle(), "Measurement Settings");
    ASSERT_EQ(sheet->PageCount(), 5);
    for (int id :
         {ids::kInDevice,  ids::kOutDevice,      ids::kSampleRate,      ids::kBits,       ids::kChannels,
          ids::kAdvanced,  ids::kDualChannel,    ids::kMeasBox,         ids::kZMethod,    ids::kCalibrateZ,
          ids::kStimulus,  ids::kLevelA,         ids::kLevelB,          ids::kStartValue, ids::kStopValue,
          ids::kCombo1,    ids::kWhat,           ids::kFftSize,         ids::kWindow,     ids::kTimeWindow,
          ids::kAverages,  ids::kAdaptiveFilter, ids::kSmoothImpedance, ids::kMicrophone, ids::kSensitivity,
          ids::kUseMicComp}) {
        QWidget* w = FindItem(sheet.get(), id);
        ASSERT_NE(w, nullptr) << id;
        EXPECT_EQ(w->objectName(), QStringLiteral("id%1").arg(id));
    }
    // The hardware page offers what the simulated card accepts.
    QComboBox* rates = Combo(sheet.get(), ids::kSampleRate);
    EXPECT_EQ(rates->currentText(), "44100 Hz");
    EXPECT_EQ(rates->findText("192000 Hz"), -1) << "only below 97000 Hz without the 192 kHz check";
    EXPECT_EQ(Combo(sheet.get(), ids::kInDevice)->count(), 2)
        << "the default device, then the simulated card";
    // The generator page lists no hidden modules; MLS shows its lengths.
    QComboBox* stimulus = Combo(sheet.get(), ids::kStimulus);
    EXPECT_EQ(stimulus->findData(2006), -1);
    EXPECT_EQ(stimulus->currentData().toInt(), 2001);
    EXPECT_NE(Combo(sheet.get(), ids::kCombo1)->findText(" 65535 pts"), -1);
    EXPECT_EQ(ItemText(sheet.get(), ids::kLevelA), "0.00 dBr");
    EXPECT_EQ(ItemText(sheet.get(), ids::kStartLabel), "Start frequency (Hz)");
    // No microphone files yet: the list says so.
    EXPECT_FALSE(FindItem(sheet.get(), ids::kMicrophone)->isEnabled());
    EXPECT_EQ(ItemText(sheet.get(), ids::kMicNote), kNoMicrophonesNote);
    sheet->reject();
}

TEST_F(SettingsSheet, ApplyRefusesLevelsAboveZeroDbrAndNegativeSensitivity) {
    struct Case {
        int page, field;
        const char* typed;
        const char* reset;
    } cases[] = {
        {1, ids::kLevelB, "+1", "0 dBr"},
        {1, ids::kLevelA, "0.5 dBr", "0 dBr"},
        {1, ids::kLevelA, "loud", "0 dBr"},
        {4, ids::kSensitivity, "-12.5", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const MeasConfig before = settings_.Config();
        auto sheet = Open();
        sheet->SetCurrentPage(c.page);
        SetItemText(sheet.get(), c.field, c.typed);
        sheet->accept();
        EXPECT_TRUE(sheet->IsOpen()) << "the sheet stays open";
        EXPECT_EQ(sheet->CurrentPage(), c.page);
        EXPECT_EQ(ItemText(sheet.get(), c.field), c.reset);
        EXPECT_EQ(settings_.Config().LevelA(), 1.0);
        EXPECT_EQ(settings_.Config().LevelB(), 1.0);
        EXPECT_EQ(settings_.Config().MicSensitivity(), before.MicSensitivity());
        sheet->reject();
        EXPECT_EQ(settings_.Config(), before);
    }
    // Accepted values are stored and mark the settings as changed.
    auto sheet = Open();
    sheet->SetCurrentPage(1);
    SetItemText(sheet.get(), ids::kLevelB, "-6");
    sheet->SetCurrentPage(4);
    SetItemText(sheet.get(), ids::kSensitivity, "12,5");
    EXPECT_FALSE(settings_.IsChanged());
    sheet->accept();
    EXPECT_FALSE(sheet->IsOpen());
    EXPECT_NEAR(settings_.Config().LevelB(), std::pow(10.0, -6.0 / 20.0), 1e-12);
    EXPECT_DOUBLE_EQ(settings_.Config().MicSensitivity(), 0.0125);
    EXPECT_TRUE(settings_.IsChanged());
}

TEST_F(SettingsSheet, CancelPutsEveryPageBlockBack) {
    OutputChannel eq;
    eq.gainDb = 3.0;
    eq.filterType[0] = 1;
    settings_.Edit().SetOutput(2, eq);
    settings_.Edit().SetU32(off::kGenChannels, 1);
    settings_.Edit().SetF64(off::kStart, 40.0);
    const MeasConfig before = settings_.Config();
    auto sheet = Open();
    EXPECT_EQ(settings_.Config().Output(2), OutputChannel{})
        << "the generator page empties the output chains";
    EXPECT_EQ(settings_.Config().U32(off::kGenChannels), 3u);
    // Edits in place on every page, none applied.
    Combo(sheet.get(), ids::kStimulus)->setCurrentIndex(Combo(sheet.get(), ids::kStimulus)->findData(1003));
    EXPECT_EQ(settings_.Config().ModuleId(), 1003);
    sheet->SetCurrentPage(2);  // another module: the time window is reset
    EXPECT_EQ(settings_.Config().TimeWindow(), 1.0 / 40.0);
    settings_.Edit().SetI32(off::kBufferFrames, 123);
    settings_.Edit().SetF64(off::kMicSensitivity, 0.5);
    settings_.Edit().SetU16(off::kAverages, 99);
    sheet->reject();
    EXPECT_EQ(settings_.Config(), before) << "hardware, generator, analyzer and microphone blocks restored";
    EXPECT_EQ(settings_.Config().Output(2), eq);
}

TEST_F(SettingsSheet, GeneratorClampsStartAndStopAtTheNyquistLimit) {
    auto sheet = Open();
    sheet->SetCurrentPage(1);
    SetItemText(sheet.get(), ids::kStartValue, "30000");
    SetItemText(sheet.get(), ids::kStopValue, "40000");
    ASSERT_TRUE(sheet->ApplyAll());
    EXPECT_NEAR(settings_.Config().StartFrequency(), 20956.19, 0.005);
    EXPECT_EQ(settings_.Config().StopFrequency(), 22004.0);
    EXPECT_EQ(ItemText(sheet.get(), ids::kStartValue), "20956.19");
    EXPECT_EQ(ItemText(sheet.get(), ids::kStopValue), "22004.00");
    SetItemText(sheet.get(), ids::kStartValue, "0.2");
    SetItemText(sheet.get(), ids::kStopValue, "0.5");
    ASSERT_TRUE(sheet->ApplyAll());
    EXPECT_EQ(settings_.Config().StartFrequency(), 1.0);
    EXPECT_EQ(settings_.Config().StopFrequency(), 1.05);
    sheet->reject();
}

TEST_F(SettingsSheet, GeneratorBuildsItsFieldsFromTheModuleRecords) {
    settings_.Edit().SetU16(off::kModuleId, 1003);
    auto sheet = Open();
    sheet->SetCurrentPage(1);
    EXPECT_EQ(ItemText(sheet.get(), ids::kLabel1), "Start frequency (Hz)");
    EXPECT_EQ(ItemText(sheet.get(), ids::kLabel2), "Stop frequency (Hz)");
    EXPECT_EQ(ItemText(sheet.get(), ids::kLabel3), "Duration per octave (ms)");
    EXPECT_FALSE(FindItem(sheet.get(), ids::kStartValue)->isVisibleTo(sheet.get())) << "the module has them";
    EXPECT_TRUE(FindItem(sheet.get(), ids::kLinearSweep)->isVisibleTo(sheet.get()));
    SetItemText(sheet.get(), ids::kEdit1, "50");
    ASSERT_TRUE(sheet->ApplyAll());
    WaveformParams params, analysis;
    ASSERT_TRUE(modules_.Find(1003)->GetParams(params));
    ASSERT_TRUE(modules_.Find(1003)->GetAnalysisParams(analysis));
    EXPECT_EQ(params[0].value, 50.0);
    EXPECT_EQ(analysis[0].value, 50.0) << "the analysis start shares the field";
    EXPECT_EQ(settings_.Config().StartFrequency(), 50.0) << "the block follows the module's start";
    EXPECT_TRUE(settings_.IsChanged());
    sheet->reject();
}

TEST_F(SettingsSheet, AnalyzerAppliesTheHalfWindowRule) {
    struct Case {
        int module;
        int window;
        bool half;
        int wantEntry;  // shown window entry
        bool wantHalf;
        bool listsEnabled;
    } cases[] = {
        {2001, 2, false, WindowEntry({2, true}), true, true},  // MLS: full moved to half
        {2002, 5, true, WindowEntry({5, true}), true, true},
        {1001, 2, true, WindowEntry({2, false}), false, true},  // gated sine: half moved to full
        {1003, 4, true, 0, false, false},                       // log sweep: first entry, lists off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module);
        settings_.SetDefaults();
        settings_.Edit().SetU16(off::kModuleId, static_cast<std::uint16_t>(c.module));
        settings_.Edit().SetI16(off::kFftWindow, static_cast<std::int16_t>(c.window));
        settings_.Edit().SetI16(off::kFftSize, 14);
        settings_.Edit().Set(kAnaHalfWindow, c.half);
        auto sheet = Open();
        sheet->SetCurrentPage(2);
        QComboBox* window = Combo(sheet.get(), ids::kWindow);
        EXPECT_EQ(window->currentIndex(), c.wantEntry);
        EXPECT_EQ(window->isEnabled(), c.listsEnabled);
        EXPECT_EQ(Combo(sheet.get(), ids::kFftSize)->isEnabled(), c.listsEnabled);
        ASSERT_TRUE(sheet->ApplyAll());
        EXPECT_EQ(settings_.Config().Has(kAnaHalfWindow), c.wantHalf);
        EXPECT_EQ(settings_.Config().FftSize(), c.module == 1003 ? -1 : 14);
        sheet->reject();
    }
}

TEST_F(SettingsSheet, AnalyzerTypesFollowTheModuleAndImpedanceForcesChannelA) {
    settings_.Edit().SetU16(off::kModuleId, 1003);
    settings_.Edit().SetI16(off::kInput, 2);
    auto sheet = Open();
    sheet->SetCurrentPage(2);
    QComboBox* what = Combo(sheet.get(), ids::kWhat);
    ASSERT_EQ(what->count(), 4);
    EXPECT_EQ(what->itemText(1), " Impedance");
    EXPECT_TRUE(FindItem(sheet.get(), ids::kInputB)->isEnabled());
    what->setCurrentIndex(1);
    EXPECT_FALSE(FindItem(sheet.get(), ids::kInputB)->isEnabled());
    ASSERT_TRUE(sheet->ApplyAll());
    EXPECT_EQ(settings_.Config().MeasurementType(), kTypeImpedance);
    EXPECT_EQ(settings_.Config().SelectedInput(), 1);
    sheet->reject();
}

TEST_F(SettingsSheet, AdvancedDialogEditsACopyAndCalibrateZNeedsAnImpedanceType) {
    auto sheet = Open();
    ywin::FindItemAs<QPushButton>(sheet.get(), ids::kAdvanced)->click();
    auto* advanced = sheet->findChild<AdvancedHardwareDialog*>();
    ASSERT_NE(advanced, nullptr);
    EXPECT_EQ(advanced->windowTitle(), kAdvancedTitle);
    SetItemText(advanced, ids::kBufferSize, "5");
    ywin::SetItemChecked(advanced, ids::kCheck192k, true);
    ywin::SetItemChecked(advanced, ids::kReverse, true);
    EXPECT_EQ(settings_.Config().BufferFrames(), 9600) << "a copy until OK";
    advanced->accept();
    EXPECT_EQ(settings_.Config().BufferFrames(), 20) << "below 20 becomes 20";
    EXPECT_TRUE(settings_.Config().Has(kHwReverseChannels));
    EXPECT_NE(Combo(sheet.get(), ids::kSampleRate)->findText("192000 Hz"), -1)
        << "probed again up to 192 kHz";

    prompt_.Script(platform::PromptAnswer::Ok);
    ywin::FindItemAs<QPushButton>(sheet.get(), ids::kCalibrateZ)->click();
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_EQ(prompt_.Prompts()[0].text, kNotImpedanceMessage);
    EXPECT_EQ(prompt_.Prompts()[0].caption, "Sonbex 3 Error");
    sheet->reject();
    EXPECT_EQ(settings_.Config().BufferFrames(), 9600);
}

}  // namespace
}  // namespace sonbex::measurement
