#pragma once
// The measurement settings of the headless program: the record stored in the
// per-user settings file (the desktop program's), the stimulus modules with
// the user's parameters, and a record for one run (--settings F.MST).

#include "Platform/SettingsStore.h"
#include "Platform/StderrPrompt.h"
#include "Sonbex/Measurement/MeasSettings.h"
#include "Waveform/YWaveformModules.h"

#include <filesystem>
#include <memory>
#include <string>

namespace sonbex::cli {

class StoredSettings {
public:
    // persistModules: the modules' parameters are read from and written back
    // to the user's WAVEFORM.CFG; otherwise the file is only read.
    explicit StoredSettings(bool persistModules = false);
    measurement::MeasSettings& Settings() { return *settings_; }
    YWaveformModules& Modules() { return *modules_; }
    // Writes the record to the settings file; throws VerbFailure when it cannot.
    void Save();
    // The stored record with an .MST file's blocks and module parameters
    // applied, for one run; throws VerbFailure naming the file and the reason.
    measurement::MeasConfig ForRun(const std::filesystem::path& mstFile);

private:
    platform::StderrPrompt prompt_;
    platform::SettingsStore store_{prompt_};
    std::unique_ptr<YWaveformModules> modules_;
    std::unique_ptr<measurement::MeasSettings> settings_;
};

}  // namespace sonbex::cli
