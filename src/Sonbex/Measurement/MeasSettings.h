#pragma once
// The measurement configuration in force and what is done with it as a whole:
// defaults, the registry value "Measurement Config", .MST settings files and
// the stimulus modules' parameter lists that travel with them.
//
// The application owns one MeasSettings; the settings sheet edits its record
// in place, everything that runs (a measurement, an analyzer, an instrument, a
// batch job) takes Snapshot() when it starts and never sees later edits.
//
// Reading is all or nothing: a registry value, an .MST file or its parameter
// lists that do not read leave the record (and the modules) as they were. A
// record read from outside is checked (MeasConfigCheck); a block that fails
// gets its defaults and the user is told once per read.
//
// Threads: the owner's thread (the GUI thread in the desktop program).

#include "Sonbex/Measurement/MeasConfig.h"

#include <filesystem>
#include <string>

class IWaveform;
class YWaveformModules;

namespace sonbex::platform {
class IPrompt;
class SettingsStore;
}  // namespace sonbex::platform

namespace sonbex::measurement {

struct MeasSettingsOptions {
    platform::SettingsStore* store = nullptr;  // the registry stand-in; null: no registry
    YWaveformModules* modules = nullptr;       // the stimulus modules; null: .MST files fail
    platform::IPrompt* prompt = nullptr;       // tells about repaired blocks; null: nobody
    int deviceCount = -1;                      // devices of the sound layer; < 0: not checked
    DriverModel driverModel = DriverModel::Wdm;
};

class MeasSettings {
public:
    explicit MeasSettings(MeasSettingsOptions options = {});

    const MeasConfig& Config() const { return config_; }
    // For the settings sheet and the calibrations, which edit the record in place.
    MeasConfig& Edit() { return config_; }
    MeasConfig Snapshot() const { return config_; }
    // Takes a whole record (re-analysis of a stored measurement copies its
    // record back); checked like a registry value.
    void Replace(const MeasConfig& config);

    void SetDefaults();
    void SetDeviceCount(int count) { options_.deviceCount = count; }
    int DeviceCount() const { return options_.deviceCount; }
    YWaveformModules* Modules() const { return options_.modules; }
    // The module of the generator block's id, or null.
    IWaveform* Module() const;
    // Hands the record's format (rate, channels, bits, levels) to every module.
    void RefreshModules();

    // Defaults first; then the stored value when it is accepted (false and the
    // defaults otherwise).
    bool LoadFromRegistry();
    // Marker 56, the changed bit cleared, the 2848 bytes written and the store
    // saved. False (the changed bit kept) when the store cannot be written.
    bool SaveToRegistry();

    // Writes the generator and analyzer blocks and the current module's
    // parameter lists; the changed bit is cleared on success. False when the
    // file cannot be written (the old file is then intact).
    bool SaveFile(const std::filesystem::path& file, std::string* why = nullptr);
    // Reads an .MST file: false, with nothing changed, for a file that does not
    // read, an unknown stimulus module, or parameter lists the module refuses
    // (another count or other kinds of records than its own). On success the
    // two blocks replace the record's, the module takes the lists, the changed
    // bit is cleared and the modules are refreshed.
    bool OpenFile(const std::filesystem::path& file, std::string* why = nullptr);

    // The changed bit (state bit 0).
    bool IsChanged() const { return config_.IsChanged(); }
    void MarkChanged() { config_.SetChanged(true); }

private:
    void TellRepaired(unsigned blocks);

    MeasSettingsOptions options_;
    MeasConfig config_;
};

}  // namespace sonbex::measurement
