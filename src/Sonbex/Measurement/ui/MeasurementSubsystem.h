#pragma once
// The measurement settings in the desktop program: owns the sound-card
// device list (ALSA and the simulated card), the stimulus modules, the
// measurement configuration in force and the presets, and plugs them into
// the frame:
//   start-up   the record from the settings store, the modules (WAVEFORM.CFG),
//              then the presets and their menu entries
//   commands   "&Settings..." (610), "Save Measurement Se&ttings..." (110),
//              the presets 114..123, "&Edit Presets..." (124), and .MST files
//              opened through the frame
//   exit       the record, the presets and the modules' parameters saved
// Construct it before SonbexApp::Start and keep it as long as the frame.
// Threads: the GUI thread only.

#include "Sonbex/Measurement/IMicrophoneList.h"
#include "Sonbex/Measurement/MeasSettings.h"
#include "Sonbex/Measurement/YPresets.h"
#include "Sonbex/Measurement/ui/MeasurementSettings.h"
#include "Waveform/YWaveformModules.h"
#include "YWave/Alsa/YAlsaBackend.h"
#include "YWave/Sim/YSimCard.h"
#include "YWave/YWaveDevices.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace sonbex::shell {
class SonbexApp;
}

namespace sonbex::measurement {

class PresetsDialog;

inline constexpr const char* kSaveSettingsTitle = "Save Measurement Settings";
inline constexpr const char* kOpenSettingsTitle = "Open Measurement Settings";
inline constexpr const char* kSettingsFilter = "Measurement Settings (*.mst)|*.mst|";
inline constexpr const char* kSettingsOpenFailed = "Failed to open the measurement settings ! \n\n";
inline constexpr const char* kSettingsSaveFailed = "Failed to save the measurement settings ! \n\n";
inline constexpr const char* kPresetsSaveFailed = "Failed to save the presets ! \n\n";

struct MeasurementSubsystemOptions {
    bool modalDialogs = true;                // tests open the sheet and dialogs modeless
    std::filesystem::path modulesConfig;     // empty: the per-user WAVEFORM.CFG; "-": none
    std::filesystem::path presetsFile;       // empty: the per-user SXPRESET.CFG
    YSimCardConfig simulatedCard;            // the simulated card offered beside ALSA
    bool withAlsa = true;                    // tests leave the real cards out
    IMicrophoneList* microphones = nullptr;  // the calibrations' list; null: none yet
};

class MeasurementSubsystem {
public:
    MeasurementSubsystem(shell::SonbexApp& app, MeasurementSubsystemOptions options = {});
    ~MeasurementSubsystem();
    MeasurementSubsystem(const MeasurementSubsystem&) = delete;
    MeasurementSubsystem& operator=(const MeasurementSubsystem&) = delete;

    MeasSettings& Settings() { return *settings_; }
    YPresets& Presets() { return presets_; }
    YWaveformModules& Modules() { return modules_; }
    IWaveBackend& Devices() { return devices_; }
    MeasSettingsHooks& Hooks() { return context_->hooks; }
    // What a preset run starts once its file is loaded; by default the
    // frame's "Do Measurement" when it is available.
    void SetMeasurementStarter(std::function<void(const std::string& title)> start) {
        start_ = std::move(start);
    }
    // How the presets dialog's "Edit" runs the sheet to its end; by default
    // modally (tests answer it themselves).
    void SetPresetSheetRunner(std::function<void(MeasurementSettings& sheet)> run) {
        runSheet_ = std::move(run);
    }

    // The commands.
    void ShowSettings();
    bool SaveSettings(std::optional<std::filesystem::path> file = std::nullopt);
    bool OpenSettings(std::optional<std::filesystem::path> file = std::nullopt);
    void RunPreset(int index);
    void EditPresets();
    void UpdatePresetMenu();

    MeasurementSettings* Sheet() const { return sheet_.get(); }
    PresetsDialog* PresetsEditor() const { return presetsDialog_.get(); }

private:
    void StartUp();
    void SaveAtExit();

    shell::SonbexApp& app_;
    MeasurementSubsystemOptions options_;
    YAlsaBackend alsa_;
    YSimCard sim_;
    YWaveDevices devices_;
    YWaveformModules modules_;
    std::unique_ptr<MeasSettings> settings_;
    YPresets presets_;
    std::unique_ptr<MeasSettingsContext> context_;
    std::unique_ptr<MeasurementSettings> sheet_;
    std::unique_ptr<PresetsDialog> presetsDialog_;
    std::function<void(const std::string&)> start_;
    std::function<void(MeasurementSettings&)> runSheet_;
};

}  // namespace sonbex::measurement
