#pragma once
// A native curve file held as a document: the data set(s) of one file type
// with its load and save flows (messages through the prompt service, file
// names through the chooser). The graph windows show these documents; until
// they exist the shell keeps a loaded file as a CurveDocument it can save
// again, and the headless program uses the same flows.
//
// Threads: the thread that owns the document (the GUI thread on the desktop).

#include "Sonbex/Curves/CurveFiles.h"
#include "Sonbex/Curves/DataSets.h"
#include "Sonbex/Curves/FreqCurveList.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sonbex::platform {
class IFileChooser;
class IPrompt;
}  // namespace sonbex::platform

namespace sonbex::curves {

inline constexpr const char* kSaveChangesQuestion =
    "You have made changes to the measurement, do you \nwant to save it before closing the measurement ? ";

// File dialog titles and filters of one file type.
struct CurveFileDialogText {
    const char* openTitle;
    const char* saveTitle;
    const char* filter;
    const char* extension;  // ".SXF"
};
const CurveFileDialogText& DialogText(CurveFileType type);

// What `curve info` and the information views show of one set.
struct SetSummary {
    std::string title;
    std::string path;
    AcquireDate acquired;
    SettingsBlock settings;
    int points = 0;  // of the frequency axis (samples of an impulse, slices of a CSD)
    double firstFrequency = 0.0;
    double lastFrequency = 0.0;
    int pointsPerOctave = 0;
    std::vector<std::string> curves;  // "Magnitude", "Phase" ...
    bool saved = true;
};

class CurveDocument {
public:
    explicit CurveDocument(CurveFileType type) : type_(type) {}
    CurveDocument(const CurveDocument&) = delete;
    CurveDocument& operator=(const CurveDocument&) = delete;

    CurveFileType Type() const { return type_; }

    // Reads a file of this type. A frequency curve file with `append` adds its
    // sets to those held (all records are read first; nothing changes when
    // one fails). Any other type replaces what is held, asking first whether
    // unsaved changes are to be saved. On failure the user is told why
    // ("Couldn't open this file !", "Wrong file format !", the multi-graph
    // messages) and the document is as before.
    bool Load(const std::filesystem::path& path, bool append, platform::IPrompt& prompt);

    // Writes the file (all sets, or the sets of `which` for a frequency
    // curve file). An empty or relative path asks `chooser` first (none:
    // fails silently, as a cancel). On failure "Couldn't save this file !"
    // is shown and the unsaved mark stays. Atomic: the old file survives a
    // failed save.
    bool Save(const std::filesystem::path& path, platform::IPrompt& prompt,
              platform::IFileChooser* chooser = nullptr, std::span<const std::size_t> which = {});

    // The bytes Save would write; empty when the content cannot be written
    // (a set without a frequency axis, a multi-graph path with '"').
    std::optional<std::string> Encode(std::span<const std::size_t> which = {}) const;

    bool IsModified() const;
    void SetModified(bool modified) { modified_ = modified; }
    const std::filesystem::path& FilePath() const { return path_; }
    // Whether the file loaded last was of the current version (else the one before).
    bool LoadedCurrentVersion() const { return currentVersion_; }
    // The title shown as the window caption.
    std::string Title() const;
    std::vector<SetSummary> Summaries() const;

    // A tab-separated table with a header line of everything the file holds
    // (blocks separated by an empty line where sets have their own axes).
    std::string TextTable() const;

    FreqCurveList frequency;   // .SXF
    ImpedanceSet impedance;    // .SXZ
    ImpulseRecord impulse;     // .SXP
    PolarSet polar;            // .SPP
    CsdSet csd;                // .CSD
    MultiGraphSet multiGraph;  // .SMG

private:
    DecodeStatus Decode(std::string_view bytes, std::vector<std::unique_ptr<YFreqGraphCurve>>& sets);
    DecodeStatus DecodeInto(std::string_view bytes, std::vector<std::unique_ptr<YFreqGraphCurve>>& sets,
                            DecodeInfo& info);
    void SetPathFields(const std::string& path);

    CurveFileType type_;
    std::filesystem::path path_;
    bool modified_ = false;
    bool currentVersion_ = true;
};

}  // namespace sonbex::curves
