#include "GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"
#include "YWin/SmoothDial.h"
#include "YWin/YDialogItems.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace sonbex::ywin {
namespace {

using platform::PromptAnswer;

const std::string kSection = platform::SettingsSection("Smooth");

class SmoothDialTest : public ::testing::Test {
protected:
    void SetUp() override { test::GuiApp(); }
    void TearDown() override { EXPECT_TRUE(prompt_.Unexpected().empty()) << "unexpected prompt"; }

    std::optional<std::int32_t> StoredMethod() {
        platform::YRegistry registry(store_);
        std::int32_t m = -1;
        if (!registry.Open(kSection, false) || !registry.ReadInt("Method", m)) return std::nullopt;
        return m;
    }

    platform::RecordingPrompt prompt_;
    platform::SettingsStore store_{prompt_};
};

TEST_F(SmoothDialTest, ShowsTheListsAndOpensOnTheCurrentChoice) {
    SmoothDial dialog(store_, prompt_, 48);
    ASSERT_TRUE(dialog.Create(false));
    const char* widths[] = {"1 Octave", "1/2 Octave", "1/3 Octave", "1/6 Octave", "1/12 Octave", "1/"};
    for (int i = 0; i < 6; ++i) {
        auto* b = FindItemAs<QRadioButton>(&dialog, kIdSmoothWidth + i);
        ASSERT_NE(b, nullptr) << widths[i];
        EXPECT_EQ(b->text(), widths[i]);
        EXPECT_EQ(b->isChecked(), i == 2) << widths[i] << ": the default is 1/3 octave";
    }
    auto* method = FindItemAs<QComboBox>(&dialog, kIdSmoothMethod);
    ASSERT_NE(method, nullptr);
    ASSERT_EQ(method->count(), 3);
    EXPECT_EQ(method->itemText(0), " Absolute");
    EXPECT_EQ(method->itemText(1), " Average");
    EXPECT_EQ(method->itemText(2), " Median");
    EXPECT_EQ(method->currentIndex(), 1);
    EXPECT_FALSE(FindItem(&dialog, kIdSmoothTypedWidth)->isEnabled()) << "typed N only for \"1/\"";
    EXPECT_TRUE(ItemText(&dialog, kIdSmoothResolution).contains("48"));

    dialog.SetWidthChoice(5);
    EXPECT_TRUE(FindItem(&dialog, kIdSmoothTypedWidth)->isEnabled());
    dialog.reject();
    EXPECT_EQ(dialog.fraction, 3) << "Cancel keeps the choice";
    EXPECT_EQ(dialog.method, YSmooth::kAverage);
    EXPECT_FALSE(StoredMethod()) << "Cancel writes nothing";

    // A width that is not in the list opens on "1/" with N typed.
    dialog.fraction = 24;
    ASSERT_TRUE(dialog.Create(false));
    EXPECT_EQ(dialog.WidthChoice(), 5);
    EXPECT_EQ(ItemText(&dialog, kIdSmoothTypedWidth), "24");
    dialog.reject();
}

TEST_F(SmoothDialTest, OkReturnsTheWidthAndMethodAndKeepsTheMethod) {
    struct Case {
        const char* name;
        int choice;
        const char* typed;
        int method;
        int fraction;
    };
    const Case cases[] = {
        {"1 octave", 0, "", 0, 1},         {"1/2 octave", 1, "", 2, 2},
        {"1/6 octave", 3, "", 1, 6},       {"1/12 octave", 4, "garbage ignored", 0, 12},
        {"typed 24", 5, "24", 2, 24},      {"typed blanks", 5, " 7 ", 1, 7},
        {"typed comma", 5, "2,5", 1, 2},   {"typed 0 is 1", 5, "0", 1, 1},
        {"typed negative", 5, "-4", 0, 1},
    };
    for (const Case& c : cases) {
        SmoothDial dialog(store_, prompt_);
        ASSERT_TRUE(dialog.Create(false)) << c.name;
        dialog.SetWidthChoice(c.choice);
        SetItemText(&dialog, kIdSmoothTypedWidth, c.typed);
        FindItemAs<QComboBox>(&dialog, kIdSmoothMethod)->setCurrentIndex(c.method);
        dialog.accept();
        EXPECT_FALSE(dialog.IsOpen()) << c.name;
        EXPECT_EQ(dialog.Result(), QDialog::Accepted) << c.name;
        EXPECT_EQ(dialog.fraction, c.fraction) << c.name;
        EXPECT_EQ(dialog.method, c.method) << c.name;
        EXPECT_EQ(StoredMethod(), c.method) << c.name;

        SmoothDial next(store_, prompt_);
        ASSERT_TRUE(next.Create(false));
        EXPECT_EQ(FindItemAs<QComboBox>(&next, kIdSmoothMethod)->currentIndex(), c.method)
            << c.name << ": the kept method opens the next dialog";
        next.reject();
    }
    EXPECT_TRUE(prompt_.Prompts().empty());
}

TEST_F(SmoothDialTest, RefusesATypedWidthThatIsNotANumber) {
    for (const char* typed : {"", "abc", "1/3", "12x", "nan", "inf", "3..5"}) {
        SmoothDial dialog(store_, prompt_);
        ASSERT_TRUE(dialog.Create(false)) << typed;
        dialog.SetWidthChoice(5);
        SetItemText(&dialog, kIdSmoothTypedWidth, typed);
        prompt_.Clear();
        prompt_.Script(PromptAnswer::Ok);
        dialog.accept();
        ASSERT_EQ(prompt_.Prompts().size(), 1u) << typed;
        EXPECT_EQ(prompt_.Prompts()[0].text, kBadSmoothWidthMessage) << typed;
        EXPECT_EQ(prompt_.Prompts()[0].caption, "Sonbex 3") << typed;
        EXPECT_TRUE(dialog.IsOpen()) << typed << ": the dialog stays open";
        EXPECT_EQ(dialog.fraction, 3) << typed;
        EXPECT_FALSE(StoredMethod()) << typed;

        SetItemText(&dialog, kIdSmoothTypedWidth, "5");
        dialog.accept();
        EXPECT_FALSE(dialog.IsOpen()) << typed << ": a corrected width is taken";
        EXPECT_EQ(dialog.fraction, 5) << typed;
        store_.RemoveKey(kSection);
    }
}

TEST_F(SmoothDialTest, AStoredMethodThatIsNotUsableKeepsTheCurrentOne) {
    struct Case {
        const char* name;
        void (*store)(platform::SettingsStore&);
    };
    const Case cases[] = {
        {"out of range", [](platform::SettingsStore& s) { s.SetInt(kSection, "Method", 3); }},
        {"negative", [](platform::SettingsStore& s) { s.SetInt(kSection, "Method", -1); }},
        {"text", [](platform::SettingsStore& s) { s.SetText(kSection, "Method", "Median"); }},
        {"double", [](platform::SettingsStore& s) { s.SetDouble(kSection, "Method", 2.0); }},
    };
    for (const Case& c : cases) {
        store_.RemoveKey(kSection);
        c.store(store_);
        SmoothDial dialog(store_, prompt_);
        dialog.method = YSmooth::kMedian;
        ASSERT_TRUE(dialog.Create(false)) << c.name;
        EXPECT_EQ(FindItemAs<QComboBox>(&dialog, kIdSmoothMethod)->currentIndex(), YSmooth::kMedian)
            << c.name;
        dialog.reject();
    }
}

}  // namespace
}  // namespace sonbex::ywin
