#pragma once
// The level control of the program: which input is recorded and whether it
// is heard on the playback side, the two level presets per device
// combination ("SPL" and "Z", .mix files), the sound card's level
// calibration (.mcl files), the output level in volts, the input peak check
// that decides overload, the input lock, and the snapshot of every mixer
// taken at start-up and restored at exit.
//
// One YMixer serves the whole program; the application owns it and hands it
// to the measurement, the calibrations, the instruments and the "Level's"
// window. It needs only a few values of the measurement settings, passed in
// as a YMixerHardware record (and read back: the calibration changes them).
//
// Threads: every operation may be called from any thread (the measurement,
// instrument and calibration threads as well as the GUI thread); one mutex
// guards the state and the mixers, the peak levels are atomics. The listener
// is called with the mutex held and must only post (the window posts every
// update to the GUI thread).

#include "YWave/YLevelMath.h"
#include "YWave/YMixerApi.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace sonbex::platform {
class SettingsStore;
}

// Hardware flag bits of the measurement settings that the mixer obeys.
inline constexpr std::uint32_t kHwDontSelectInput = 1u << 5;  // "Don't select input on soundcard"
inline constexpr std::uint32_t kHwLogCalibration = 1u << 6;   // the level calibration has a dB step size
inline constexpr std::uint32_t kHwDontMuteInputs = 1u << 8;   // "Don't mute inputs on soundcard"

inline constexpr std::int32_t kNoInputSetting = 99999999;

// The values of the measurement settings the mixer works with.
struct YMixerHardware {
    int inputDevice = 0;   // 0 the default, k > 0 wave device k - 1
    int outputDevice = 0;  // likewise
    int inputLine = 0;     // index of the recording line
    int inputMixer = -1;   // -1: the mixer of the input device
    int outputMixer = -1;
    std::uint32_t flags = 0;
    // The level calibration (the 32 bytes of a .mcl file).
    double outputVoltageReference = 2.0;  // V at full output
    double inputFullScale = 1.0;
    double stepDb = 0.0;  // dB per control unit; 0: linear output law
    std::int32_t calibratedInputSetting = kNoInputSetting;
    // Input gains of the two channels in dB ("Ch. A", "Ch. B").
    double inputGainA = 0.0, inputGainB = 0.0;
};

// The 32-byte level calibration block of a .mcl file.
struct YLevelCalibration {
    double outputVoltageReference = 2.0, inputFullScale = 1.0, stepDb = 0.0;
    std::int32_t calibratedInputSetting = kNoInputSetting;
    static constexpr std::size_t kSize = 32;
    std::string Bytes() const;
    // False when shorter than 32 bytes or the values are not usable numbers.
    bool FromBytes(const std::string& bytes);
};

// The 48-byte record of a .mix level preset.
struct YLevelPreset {
    static constexpr std::uint32_t kMagic = 0x01F00103;
    static constexpr std::size_t kSize = 48;
    std::uint32_t masterOut[2]{}, wave[2]{}, masterIn[2]{}, input[2]{};
    double volts = 0.0;
    std::string Bytes() const;
    // False when shorter than 48 bytes or the magic differs.
    bool FromBytes(const std::string& bytes);
};

// The registry section "Mixer" of the "Level's" window.
struct YMixerSettings {
    bool inputLocked = true;
    double outputLevelVolt = 0.7745966692414834;
    std::int32_t outputLevelUnit = 3;  // 0 V, 1 mV, 2 dBV, 3 dBu
    bool lockedPan = true;
    bool shrinked = false;
    std::int32_t screenX = -99999, screenY = -99999;
    // Reading stops at the first missing value; the unit is clamped to 0 ... 3.
    void Load(sonbex::platform::SettingsStore& store);
    bool Save(sonbex::platform::SettingsStore& store) const;
};

// What the listener is told (the window's messages).
enum YMixerMessage : std::uint32_t {
    kMixerRefill = 1025,          // the lines changed: refill the input list and the sliders
    kMixerLevels = 1026,          // new peak levels
    kMixerEndLevelTest = 1027,    // end the running level test
    kMixerOutputLevel = 1028,     // the output voltage changed
    kMixerControlChanged = 1029,  // a control was changed elsewhere: refresh the sliders
    kMixerLockChanged = 1030,     // the input lock changed
};

enum class YMixerRole { MasterOut, Wave, MasterIn, Input };

class YMixer {
public:
    struct Folders {
        std::filesystem::path presets;       // .mix files ("Mixer"), created when missing
        std::filesystem::path calibrations;  // .mcl files ("Calibration")
    };
    // The backends and `waves` must outlive the mixer.
    YMixer(std::vector<IMixerBackend*> backends, IWaveBackend* waves, Folders folders);
    ~YMixer();
    YMixer(const YMixer&) = delete;
    YMixer& operator=(const YMixer&) = delete;

    void SetHardware(const YMixerHardware& hardware);
    YMixerHardware Hardware() const;
    YMixerSettings Settings() const;
    void SetSettings(const YMixerSettings& settings);
    void SetListener(std::function<void(std::uint32_t message)> listener);

    // Opens the input and output mixers of the devices, reads their lines,
    // mutes the selected input's monitor and selects it (unless the flags
    // say not to), unmutes the outputs, loads the preset of the mode.
    void SelectLines();
    // Only opens the mixers of the devices and reads their lines: nothing is
    // written to them (a look at the mixers, as `sonbex3-cli mixer` takes).
    void OpenLines();
    // Control 1108: the recording line `index` becomes the selected one.
    void SelectInputLine(int index);

    void LoadPreset(int mode);
    void SavePreset(int mode);
    int Mode() const;

    // 0 the default calibration (no file), 1 a file without a calibrated
    // input setting, 2 with one.
    int LoadCalibration();
    bool SaveCalibration();
    void ResetCalibration();
    void RestoreCalibration();

    bool SetOutputVoltage(double value, bool raw);
    // The output voltage at the current settings; `reference` above 0
    // replaces the calibration's reference voltage.
    double GetOutputVoltage(double reference = 0.0);
    double GetOutputFraction();

    // A block's extreme samples (already divided by the input full scale) and
    // whether a raw sample reached an extreme code; true on overload.
    bool CheckPeaks(double maxA, double minA, double maxB, double minB, bool clippedA = false,
                    bool clippedB = false);
    bool CheckPeaks(const YBlockPeaks& peaks);
    bool GetPeaks(double& levelA, double& levelB) const;

    bool GetInputRange(std::uint32_t& minimum, std::uint32_t& maximum, double& step);
    void SetInputLevel(std::uint32_t value);
    void SetInputLock(bool on);
    bool InputLocked() const;
    void StopLevelTest();

    // The lines for the window: the line of a role (the selected input for
    // Input), whether its mixer is open, its volume and setting it.
    bool Line(YMixerRole role, MixerLine& line) const;
    std::vector<MixerLine> InputLines() const;
    int SelectedInputLine() const;  // the stored index limited to the lines; -1 without lines
    bool InputMixerOpen() const;
    bool OutputMixerOpen() const;
    bool GetVolume(YMixerRole role, std::uint32_t& left, std::uint32_t& right);
    bool SetVolume(YMixerRole role, std::uint32_t left, std::uint32_t right);
    std::vector<YMixerInfo> Mixers();
    std::string InputMixerName();
    std::string OutputMixerName();

    // Change notifications of the open mixers: descriptors to watch, and
    // taking their events (the listener hears kMixerControlChanged).
    std::vector<int> ChangeDescriptors();
    void OnChangeEvents();

    // The start-up snapshot: every usable line of every mixer, volume and
    // mute; restored in the same order.
    void TakeSnapshot();
    void RestoreSnapshot();
    std::size_t SnapshotSize() const;

    void CloseMixers();

    std::filesystem::path PresetPath(int mode) const;
    std::filesystem::path CalibrationPath() const;

    // The measurement run's check that halving the output worked: the
    // read-back voltage is below the requested half by the 10 % margin.
    static bool HalfLevelReached(double fullVolts, double readBack) { return 0.9 * readBack < fullVolts / 2; }

private:
    using Lock = std::lock_guard<std::recursive_mutex>;
    MixerLine* SelectedInput();
    MixerLine* LineOf(YMixerRole role);
    YMixerApi& ApiOf(YMixerRole role);
    void ApplyCalibrationDefaults();
    void ApplyLock();
    void Notify(std::uint32_t message);
    bool SetBoth(YMixerApi& api, const MixerLine& line, std::uint32_t value);
    int Range();

    mutable std::recursive_mutex mutex_;
    std::vector<IMixerBackend*> backends_;
    IWaveBackend* waves_;
    Folders folders_;
    YMixerApi inputMixer_, outputMixer_;
    MixerLine masterOut_, wave_, masterIn_;
    std::vector<MixerLine> inputLines_;
    YMixerHardware hw_;
    YMixerSettings settings_;
    int mode_ = 0;
    std::atomic<double> levelA_{-1000.0}, levelB_{-1000.0};
    double paintedA_ = -1000.0, paintedB_ = -1000.0;
    std::int32_t calibratedInputSetting_ = kNoInputSetting;
    double outputVoltage_ = 0.0;
    bool calibrationReset_ = false;
    std::function<void(std::uint32_t)> listener_;

    struct Saved {
        int mixer = 0;
        std::uint32_t componentType = 0, lineId = 0;
        MixerLine line;
        std::uint32_t left = 0, right = 0;
        bool hasMute = false, mute = false;
    };
    std::vector<Saved> snapshot_;
};
