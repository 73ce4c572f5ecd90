#pragma once
// The registry of stimulus modules: one instance of each, in the system's
// order, found by identifier, with their parameters kept between runs in
// WAVEFORM.CFG (per-user config folder).
//
// Registry order and ids (the modules still missing are listed where they
// will join): White MLS 2001, Pink MLS 2002, Shelved MLS 2006, [Spike 2003,
// Sin² pulse 2004, gated sine 1001, shaped burst 1002], Log Sine Sweep 1003,
// [multitone 1005, IMD 1004, amplitude sweep 1006, wave-file stimulus 2005].
//
// WAVEFORM.CFG (binary, little-endian): the magic "YWFM0003"; then per module
// in registry order: int32 id, int32 n, n parameter records of 392 bytes,
// int32 m, m analysis parameter records. The file is untrusted: counts are
// checked against the bytes left, an unknown id is skipped, a short or
// malformed entry ends the load. Saves are atomic: a failed or aborted save
// keeps the old file.
//
// Threading: the registry and its modules are used by one thread at a time.

#include "Waveform/IWaveform.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class ICalibration;
class ISweepTableLoader;
class YWaveformBase;
namespace sonbex::platform {
class IPrompt;
}

class YWaveformModules {
public:
    struct Options {
        // Where the parameters are kept; empty: neither loaded nor saved.
        std::filesystem::path configPath;
        // Shows the modules' messages; null: none are shown. Not owned.
        sonbex::platform::IPrompt* prompt = nullptr;
        // Reads sweep tables; null: the text file reader. Not owned.
        ISweepTableLoader* sweepTables = nullptr;
    };

    static constexpr const char* kConfigFileName = "WAVEFORM.CFG";
    static constexpr char kMagic[9] = "YWFM0003";

    // The per-user WAVEFORM.CFG.
    static std::filesystem::path DefaultConfigPath();

    explicit YWaveformModules(Options options);
    // Saves the configuration file (when one is set), then destroys the
    // modules.
    ~YWaveformModules();
    YWaveformModules(const YWaveformModules&) = delete;
    YWaveformModules& operator=(const YWaveformModules&) = delete;

    // Creates the modules, sets their format, loads the configuration file.
    // False when the modules already exist.
    bool Init(double sampleRate, int inChannels, int outChannels, int bits, int formatWord, double ampLeft,
              double ampRight);
    // Forwards the format to every module.
    void SetFormat(double sampleRate, int inChannels, int outChannels, int bits, int formatWord,
                   double ampLeft, double ampRight);
    // For every module: SetStereo, SetSyncPulse(false), SetOption,
    // SetFileName, SetLevelDb(left, right), SetShared. left is -attLeftDb
    // plus, for a sensitivity above 0, 20·log10(10^4.699 / sensitivity)
    // (the logarithm limited to ±38); right is -attRightDb.
    void Configure(bool stereo, bool option, const std::string& fileName, double attLeftDb, double attRightDb,
                   double sensitivity, ICalibration* shared);

    // The module with that id, or null.
    IWaveform* Find(int id) const;
    // selector -1: all; 0, 1000, 2000: that category; else the module with
    // that id. Registry order; without append the list is cleared first.
    void List(std::vector<IWaveform*>& out, int selector, bool append) const;
    std::size_t Count() const { return modules_.size(); }

    // The configuration file's bytes for the current parameters; false when a
    // module cannot give its parameters (the save is then abandoned).
    bool Serialize(std::string& bytes) const;
    // Hands the parameters in `bytes` to the modules; false when the magic
    // does not match or an entry is malformed (the entries before it stay
    // loaded).
    bool Deserialize(const std::string& bytes);
    bool Load();
    bool Save() const;

private:
    Options options_;
    std::vector<std::unique_ptr<YWaveformBase>> modules_;
};
