#include "GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"
#include "YWin/YDialogItems.h"
#include "YWin/YNormalize.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

namespace sonbex::ywin {
namespace {

using platform::PromptAnswer;

const std::string kSection = platform::SettingsSection("Normalize");

class NormalizeDialTest : public ::testing::Test {
protected:
    void SetUp() override { test::GuiApp(); }
    void TearDown() override { EXPECT_TRUE(prompt_.Unexpected().empty()) << "unexpected prompt"; }

    struct Stored {
        double frequency = -1, offset = -1;
        std::int32_t method = -1;
    };
    Stored Read() {
        Stored s;
        platform::YRegistry registry(store_);
        if (registry.Open(kSection, false)) {
            registry.ReadDouble("Freq", s.frequency);
            registry.ReadDouble("Add", s.offset);
            registry.ReadInt("Method", s.method);
        }
        return s;
    }
    void Choose(YNormalize& dialog, int method) {
        FindItemAs<QComboBox>(&dialog, kIdNormalizeMethod)->setCurrentIndex(method);
    }

    platform::RecordingPrompt prompt_;
    platform::SettingsStore store_{prompt_};
};

TEST_F(NormalizeDialTest, FieldFollowsTheMethodAndBothNumbersAreKept) {
    YNormalize dialog(store_, prompt_);
    ASSERT_TRUE(dialog.Create(false));
    auto* method = FindItemAs<QComboBox>(&dialog, kIdNormalizeMethod);
    ASSERT_NE(method, nullptr);
    ASSERT_EQ(method->count(), 2);
    EXPECT_EQ(method->itemText(0), " At Frequency");
    EXPECT_EQ(method->itemText(1), " Add Offset");
    EXPECT_EQ(method->currentIndex(), 0);
    EXPECT_EQ(ItemText(&dialog, kIdNormalizeFieldLabel), "Frequency (Hz)");
    EXPECT_EQ(ItemText(&dialog, kIdNormalizeField), "1000.00");

    SetItemText(&dialog, kIdNormalizeField, "2500,5");
    Choose(dialog, 1);
    EXPECT_EQ(ItemText(&dialog, kIdNormalizeFieldLabel), "Add Offset (dB)");
    EXPECT_EQ(ItemText(&dialog, kIdNormalizeField), "0.00");
    SetItemText(&dialog, kIdNormalizeField, "-3.25");
    Choose(dialog, 0);
    EXPECT_EQ(ItemText(&dialog, kIdNormalizeField), "2500.50") << "the typed frequency is kept";
    Choose(dialog, 1);
    EXPECT_EQ(ItemText(&dialog, kIdNormalizeField), "-3.25") << "the typed offset is kept";
    EXPECT_EQ(dialog.Settings().frequency, 1000.0) << "nothing is taken before OK";

    dialog.accept();
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(dialog.Result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Settings().method, YNormalizeSettings::kAddOffset);
    EXPECT_EQ(dialog.Settings().frequency, 2500.5);
    EXPECT_EQ(dialog.Settings().offset, -3.25);
    const Stored s = Read();
    EXPECT_EQ(s.frequency, 2500.5);
    EXPECT_EQ(s.offset, -3.25);
    EXPECT_EQ(s.method, 1);

    // A new dialog opens on the kept choice.
    YNormalize next(store_, prompt_);
    ASSERT_TRUE(next.Create(false));
    EXPECT_EQ(FindItemAs<QComboBox>(&next, kIdNormalizeMethod)->currentIndex(), 1);
    EXPECT_EQ(ItemText(&next, kIdNormalizeFieldLabel), "Add Offset (dB)");
    EXPECT_EQ(ItemText(&next, kIdNormalizeField), "-3.25");
    next.reject();
    EXPECT_TRUE(prompt_.Prompts().empty());
}

TEST_F(NormalizeDialTest, CancelTakesAndWritesNothing) {
    YNormalize dialog(store_, prompt_);
    ASSERT_TRUE(dialog.Create(false));
    Choose(dialog, 1);
    SetItemText(&dialog, kIdNormalizeField, "6");
    dialog.reject();
    EXPECT_EQ(dialog.Result(), QDialog::Rejected);
    EXPECT_EQ(dialog.Settings().method, YNormalizeSettings::kAtFrequency);
    EXPECT_EQ(dialog.Settings().offset, 0.0);
    EXPECT_FALSE(store_.HasValue(kSection, "Method"));
}

TEST_F(NormalizeDialTest, NumbersLeftAsShownKeepAllTheirDigits) {
    store_.SetDouble(kSection, "Freq", 1234.56789);
    store_.SetDouble(kSection, "Add", 0.123456789);
    YNormalize dialog(store_, prompt_);
    ASSERT_TRUE(dialog.Create(false));
    EXPECT_EQ(ItemText(&dialog, kIdNormalizeField), "1234.57");
    Choose(dialog, 1);
    EXPECT_EQ(ItemText(&dialog, kIdNormalizeField), "0.12");
    Choose(dialog, 0);
    dialog.accept();
    EXPECT_EQ(dialog.Settings().frequency, 1234.56789);
    EXPECT_EQ(dialog.Settings().offset, 0.123456789);
    EXPECT_EQ(Read().frequency, 1234.56789);
}

TEST_F(NormalizeDialTest, UnusableStoredValuesKeepTheDefaults) {
    struct Case {
        const char* name;
        void (*store)(platform::SettingsStore&);
    };
    const Case cases[] = {
        {"method out of range", [](platform::SettingsStore& s) { s.SetInt(kSection, "Method", 2); }},
        {"method negative", [](platform::SettingsStore& s) { s.SetInt(kSection, "Method", -1); }},
        {"method text", [](platform::SettingsStore& s) { s.SetText(kSection, "Method", "1x"); }},
        {"frequency 0", [](platform::SettingsStore& s) { s.SetDouble(kSection, "Freq", 0.0); }},
        {"frequency negative", [](platform::SettingsStore& s) { s.SetDouble(kSection, "Freq", -50.0); }},
        {"frequency NaN",
         [](platform::SettingsStore& s) {
             s.SetDouble(kSection, "Freq", std::numeric_limits<double>::quiet_NaN());
         }},
        {"frequency text", [](platform::SettingsStore& s) { s.SetText(kSection, "Freq", "1 kHz"); }},
        {"frequency blob",
         [](platform::SettingsStore& s) { s.SetBinary(kSection, "Freq", std::vector<std::uint8_t>(8)); }},
        {"offset infinite",
         [](platform::SettingsStore& s) {
             s.SetDouble(kSection, "Add", std::numeric_limits<double>::infinity());
         }},
        {"offset text", [](platform::SettingsStore& s) { s.SetText(kSection, "Add", "nan"); }},
    };
    for (const Case& c : cases) {
        store_.RemoveKey(kSection);
        c.store(store_);
        YNormalize dialog(store_, prompt_);
        ASSERT_TRUE(dialog.Create(false)) << c.name;
        dialog.accept();
        EXPECT_EQ(dialog.Settings().method, YNormalizeSettings::kAtFrequency) << c.name;
        EXPECT_EQ(dialog.Settings().frequency, 1000.0) << c.name;
        EXPECT_EQ(dialog.Settings().offset, 0.0) << c.name;
    }
    EXPECT_TRUE(prompt_.Prompts().empty());
}

TEST_F(NormalizeDialTest, RefusesAFieldThatIsNotANumberAndStaysOpen) {
    struct Case {
        int method;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {0, "", kBadNormalizeFrequencyMessage},     {0, "abc", kBadNormalizeFrequencyMessage},
        {0, "1OOO", kBadNormalizeFrequencyMessage}, {0, "0", kBadNormalizeFrequencyMessage},
        {0, "-20", kBadNormalizeFrequencyMessage},  {0, "inf", kBadNormalizeFrequencyMessage},
        {1, "", kBadNormalizeOffsetMessage},        {1, "3 dB", kBadNormalizeOffsetMessage},
        {1, "nan", kBadNormalizeOffsetMessage},     {1, "1e999", kBadNormalizeOffsetMessage},
    };
    for (const Case& c : cases) {
        YNormalize dialog(store_, prompt_);
        ASSERT_TRUE(dialog.Create(false)) << c.typed;
        Choose(dialog, c.method);
        SetItemText(&dialog, kIdNormalizeField, c.typed);
        prompt_.Clear();
        prompt_.Script(PromptAnswer::Ok);
        dialog.accept();
        ASSERT_EQ(prompt_.Prompts().size(), 1u) << c.typed;
        EXPECT_EQ(prompt_.Prompts()[0].text, c.message) << c.typed;
        EXPECT_TRUE(dialog.IsOpen()) << "'" << c.typed << "': the dialog stays open";
        EXPECT_EQ(dialog.Settings().frequency, 1000.0) << c.typed;
        EXPECT_FALSE(store_.HasValue(kSection, "Method")) << c.typed;
        dialog.reject();
    }
}

TEST_F(NormalizeDialTest, FieldsIgnoreADecimalCommaLocale) {
    const char* comma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            comma = name;
            break;
        }
    if (!comma) GTEST_SKIP() << "no decimal-comma locale installed";
    struct RestoreLocale {
        ~RestoreLocale() { std::setlocale(LC_NUMERIC, "C"); }
    } restore;
    YNormalize dialog(store_, prompt_);
    ASSERT_TRUE(dialog.Create(false));
    SetItemText(&dialog, kIdNormalizeField, "12.5");
    dialog.accept();
    EXPECT_EQ(dialog.Settings().frequency, 12.5) << comma;
    YNormalize next(store_, prompt_);
    ASSERT_TRUE(next.Create(false));
    EXPECT_EQ(ItemText(&next, kIdNormalizeField), "12.50") << comma;
    next.reject();
}

}  // namespace
}  // namespace sonbex::ywin
