#pragma once
// The "Level's" window (command 611): the input peak meters, the volume and
// pan sliders of the four mixer lines, the output level in V, mV, dBV or
// dBu, the input lock, the two level presets, the input line list and the
// level test ("Play", "Auto", "Stop"). Modeless on the frame; the level
// logic itself is YMixer's, which goes on serving the measurement while the
// window is closed.
//
// Threads: the GUI thread. YMixer's notifications may come from any thread;
// they are posted to the GUI thread. The level test runs on a worker thread
// of its own.

#include "Platform/IPrompt.h"
#include "Platform/SettingsStore.h"
#include "Sonbex/Measurement/YLevelTest.h"
#include "YWave/YMixer.h"
#include "YWin/YDial.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSocketNotifier;
class QTimer;

namespace sonbex::platform {
class WorkerThread;
}

namespace sonbex::measurement {

// The peak meter (control 1096), painted from YLevelMeter's segments.
class LevelMeterWidget : public QWidget {
    Q_OBJECT
public:
    explicit LevelMeterWidget(QWidget* parent = nullptr);
    void SetLevels(double a, double b, bool overload);
    YLevelMeter& Meter() { return meter_; }
    double LevelA() const { return a_; }
    double LevelB() const { return b_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    YLevelMeter meter_;
    double a_ = -1000, b_ = -1000;
    bool overload_ = false;
};

// A volume and a pan trackbar bound to one mixer line.
class YVolPanSlider : public QObject {
    Q_OBJECT
public:
    YVolPanSlider(YMixer& mixer, YMixerRole role, QSlider* volume, QSlider* pan, QObject* parent);
    // Shows the line's current volume; `panLocked` disables the pan.
    void Show(bool panLocked, bool enabled);
    void SetPanLocked(bool locked) { panLocked_ = locked; }
    YMixerRole Role() const { return role_; }
    // At the end of a change (a drag released, a key or a set value).
    std::function<void()> onChanged;

private:
    void Apply();
    YMixer& mixer_;
    YMixerRole role_;
    QSlider* volume_;
    QSlider* pan_;
    bool panLocked_ = true;
    bool showing_ = false;
};

struct LevelsWindowServices {
    platform::IPrompt* prompt = nullptr;
    platform::SettingsStore* store = nullptr;  // the "Mixer" section; null: not kept
    IWaveBackend* waves = nullptr;             // the level test's devices
    YLevelTestSetup testSetup;                 // rate, width, channels of the level test
    std::function<void(int topic)> help;
};

class LevelsWindow : public ywin::YDial {
    Q_OBJECT
public:
    LevelsWindow(YMixer& mixer, LevelsWindowServices services, QWidget* parent = nullptr);
    ~LevelsWindow() override;

    // Command 611: shown, or un-shrunk and raised when already open.
    void Open();
    bool LevelTestRunning() const { return test_ != nullptr; }
    void StartLevelTest(int mode);
    void StopLevelTest();
    void SetShrinked(bool shrinked);

protected:
    void OnInit() override;
    void OnEnd(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnMixerMessage(std::uint32_t message);
    void RefillInputs();
    void RefreshSliders();
    void RefreshOutput();
    void ApplyOutputText();
    void ApplyGains();
    void ApplyLockUi();
    void WatchChanges();
    void Tick();
    void SelectMixers();

    YMixer& mixer_;
    LevelsWindowServices services_;
    YMixerSettings settings_;
    LevelMeterWidget* meter_ = nullptr;
    std::vector<YVolPanSlider*> sliders_;
    QComboBox* inputs_ = nullptr;
    QRadioButton* spl_ = nullptr;
    QRadioButton* z_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* autoButton_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* shrink_ = nullptr;
    QCheckBox* panLock_ = nullptr;
    QCheckBox* inputLock_ = nullptr;
    QLineEdit* output_ = nullptr;
    QLineEdit* gainA_ = nullptr;
    QLineEdit* gainB_ = nullptr;
    QTimer* timer_ = nullptr;
    std::vector<QSocketNotifier*> notifiers_;
    int fullWidth_ = 0;
    std::unique_ptr<platform::WorkerThread> testThread_;
    // The running test, made, used and destroyed on the test's thread.
    std::shared_ptr<std::unique_ptr<YLevelTest>> test_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// "Mixer Settings" (dialog 192): the input and output mixers, each
// " <Automatic...>" (-1) or one of the system's mixers.
class MixerSelect : public ywin::YDial {
    Q_OBJECT
public:
    MixerSelect(std::vector<std::string> mixers, int input, int output, std::function<void(int)> help = {},
                QWidget* parent = nullptr);
    int Input() const { return input_; }
    int Output() const { return output_; }

protected:
    void OnEnd(int result) override;

private:
    QComboBox* in_ = nullptr;
    QComboBox* out_ = nullptr;
    int input_, output_;
};

}  // namespace sonbex::measurement
