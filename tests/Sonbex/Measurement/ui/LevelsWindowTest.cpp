// The "Level's" window and "Mixer Settings" offscreen, over the simulated
// card's mixer: slider and pan arithmetic, the output level units, the input
// lock, shrinking.

#include "../../../YWin/GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Sonbex/Measurement/ui/LevelsWindow.h"
#include "YWave/Sim/YSimCard.h"
#include "YWave/Sim/YSimMixer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace sonbex::measurement {
namespace {

class LevelsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::GuiApp();
        char name[] = "/tmp/levelswnd-XXXXXX";
        dir_ = mkdtemp(name);
        mixer_.Attach(card_);
        level_ = std::make_unique<YMixer>(std::vector<IMixerBackend*>{&mixer_}, &card_,
                                          YMixer::Folders{dir_ / "Mixer", dir_ / "Calibration"});
        YMixerHardware hw;
        hw.inputDevice = hw.outputDevice = 1;
        level_->SetHardware(hw);
        LevelsWindowServices services;
        services.prompt = &prompt_;
        services.waves = &card_;
        window_ = std::make_unique<LevelsWindow>(*level_, services);
        ASSERT_TRUE(window_->Create(false));
    }
    void TearDown() override {
        window_->End(0);
        window_.reset();
        level_.reset();
        EXPECT_TRUE(prompt_.Unexpected().empty());
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    template <typename T>
    T* Item(const char* name) {
        T* w = window_->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Enter(QLineEdit* edit, const QString& text, int key = Qt::Key_Return) {
        edit->setText(text);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &press);
    }
    void Serve() { QCoreApplication::processEvents(); }

    fs::path dir_;
    YSimCard card_;
    YSimMixer mixer_;
    std::unique_ptr<YMixer> level_;
    platform::RecordingPrompt prompt_;
    std::unique_ptr<LevelsWindow> window_;
};

TEST_F(LevelsWindowTest, SlidersSetTheLinesWithTheirPan) {
    auto* panLock = Item<QCheckBox>("id1158");
    auto* volume = Item<QSlider>("id1097");
    auto* pan = Item<QSlider>("id1098");
    ASSERT_TRUE(panLock && volume && pan);
    EXPECT_TRUE(panLock->isChecked());  // the default: pans locked
    EXPECT_FALSE(pan->isEnabled());
    EXPECT_EQ(volume->value(), 1000);

    volume->setValue(500);
    EXPECT_EQ(mixer_.Volume("Master"), (std::array<std::uint32_t, 2>{50, 50}));
    Serve();
    EXPECT_EQ(Item<QLineEdit>("id1343")->text(), "2.22 dBu");  // 2 V x 0.5 = 1 V
    panLock->setChecked(false);
    EXPECT_TRUE(pan->isEnabled());
    pan->setValue(-400);  // left louder: the right at 600 per mille
    EXPECT_EQ(mixer_.Volume("Master"), (std::array<std::uint32_t, 2>{50, 30}));
    pan->setValue(250);
    EXPECT_EQ(mixer_.Volume("Master"), (std::array<std::uint32_t, 2>{38, 50}));

    // A change made elsewhere shows on the slider of its line.
    level_->SetInputLock(false);
    level_->SetInputLevel(40);
    Serve();
    EXPECT_EQ(Item<QSlider>("id1106")->value(), 400);
    EXPECT_TRUE(fs::exists(level_->PresetPath(0)));  // each change is kept in the preset
}

TEST_F(LevelsWindowTest, OutputLevelFieldSwitchesUnits) {
    auto* output = Item<QLineEdit>("id1343");
    ASSERT_NE(output, nullptr);
    Enter(output, "-10 dBu");
    Serve();
    EXPECT_NEAR(level_->GetOutputVoltage(), 0.2449489743, 0.01);
    EXPECT_TRUE(output->text().endsWith(" dBu")) << output->text().toStdString();
    EXPECT_NEAR(output->text().split(' ')[0].toDouble(), -10.0, 0.1);
    Enter(output, "500 mV");
    Serve();
    EXPECT_NEAR(level_->GetOutputVoltage(), 0.5, 1e-9);
    EXPECT_EQ(output->text(), "500 mV");
    Enter(output, "1", Qt::Key_Tab);  // the unit stays mV
    Serve();
    EXPECT_NEAR(level_->GetOutputVoltage(), 0.001, 1e-9);
    EXPECT_EQ(output->text(), "1 mV");
    Enter(output, "-6.0206 dBV");
    Serve();
    EXPECT_EQ(output->text(), "-6.02 dBV");
    Enter(output, "0.5 v");
    Serve();
    EXPECT_EQ(output->text(), "0.5 V");
    Enter(output, "loud");
    EXPECT_EQ(output->text(), " Error!");
    Enter(output, "whatever", Qt::Key_Escape);  // Esc shows the level again
    EXPECT_EQ(output->text(), "0.5 V");
}

TEST_F(LevelsWindowTest, InputLockHoldsTheInputSliders) {
    auto* lock = Item<QCheckBox>("id1344");
    auto* in = Item<QSlider>("id1103");
    auto* input = Item<QSlider>("id1106");
    ASSERT_TRUE(lock && in && input);
    EXPECT_TRUE(lock->isEnabled());
    EXPECT_TRUE(lock->isChecked());  // the default: locked
    EXPECT_FALSE(in->isEnabled());
    EXPECT_FALSE(input->isEnabled());
    lock->click();
    Serve();
    EXPECT_FALSE(level_->InputLocked());
    EXPECT_TRUE(in->isEnabled());
    input->setValue(300);
    EXPECT_EQ(mixer_.Volume("Mic"), (std::array<std::uint32_t, 2>{30, 30}));
    lock->click();  // locked again: held at the maximum (no calibrated setting)
    Serve();
    EXPECT_TRUE(level_->InputLocked());
    EXPECT_EQ(mixer_.Volume("Mic"), (std::array<std::uint32_t, 2>{100, 100}));
    EXPECT_EQ(input->value(), 1000);
    EXPECT_FALSE(input->isEnabled());
}

TEST_F(LevelsWindowTest, InputListAndShrinking) {
    auto* list = Item<QComboBox>("id1108");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), " Mic");
    EXPECT_EQ(list->itemText(1), " Line");
    list->setCurrentIndex(1);
    emit list->activated(1);
    EXPECT_EQ(mixer_.SelectedInput(), 1);
    EXPECT_TRUE(mixer_.MonitorMuted("Line"));
    auto* shrink = Item<QPushButton>("id1114");
    shrink->click();
    EXPECT_EQ(window_->width(), 66);
    EXPECT_EQ(shrink->text(), ">>");
    shrink->click();
    EXPECT_EQ(shrink->text(), "<<");
}

TEST(MixerSelectTest, ListsTheMixersAndReturnsTheChoice) {
    test::GuiApp();
    MixerSelect dialog({"Simulated sound card", "PulseAudio"}, 1, 7);
    ASSERT_TRUE(dialog.Create(false));
    auto* in = dialog.findChild<QComboBox*>("id1038");
    auto* out = dialog.findChild<QComboBox*>("id1039");
    ASSERT_TRUE(in && out);
    ASSERT_EQ(in->count(), 3);
    EXPECT_EQ(in->itemText(0), " <Automatic...>");
    EXPECT_EQ(in->itemText(2), " PulseAudio");
    EXPECT_EQ(in->currentIndex(), 2);
    EXPECT_EQ(out->currentIndex(), 0);  // 7 is no mixer: automatic
    out->setCurrentIndex(1);
    dialog.findChild<QPushButton*>("id1")->click();
    EXPECT_EQ(dialog.Input(), 1);
    EXPECT_EQ(dialog.Output(), 0);
}

}  // namespace
}  // namespace sonbex::measurement
