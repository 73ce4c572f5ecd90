#include "Sonbex/Measurement/MeasSettings.h"

#include "Platform/AtomicFile.h"
#include "Platform/IPrompt.h"
#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"
#include "Sonbex/Measurement/MeasConfigCheck.h"
#include "Sonbex/Measurement/MstFile.h"
#include "Waveform/YWaveformModules.h"

#include <vector>

namespace sonbex::measurement {
namespace {

// The module takes only lists of its own shape: as many records, of the same kinds.
bool SameShape(const WaveformParams& mine, const WaveformParams& theirs) {
    if (mine.size() != theirs.size()) return false;
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (mine[i].role != theirs[i].role || mine[i].isReal != theirs[i].isReal) return false;
    return true;
}

// Values the module had to correct are taken corrected (a second pass).
bool Hand(IWaveform& m, WaveformParams list, bool analysis) {
    auto set = [&](WaveformParams& l) { return analysis ? m.SetAnalysisParams(l) : m.SetParams(l); };
    return set(list) || set(list);
}

void Fail(std::string* why, std::string text) {
    if (why) *why = std::move(text);
}

}  // namespace

MeasSettings::MeasSettings(MeasSettingsOptions options) : options_(options) { SetDefaults(); }

void MeasSettings::SetDefaults() { config_.SetDefaults(options_.driverModel); }

void MeasSettings::Replace(const MeasConfig& config) {
    MeasConfig next = config;
    const unsigned repaired = RepairMeasConfig(next, options_.deviceCount);
    config_ = next;
    TellRepaired(repaired);
}

IWaveform* MeasSettings::Module() const {
    return options_.modules ? options_.modules->Find(config_.ModuleId()) : nullptr;
}

void MeasSettings::RefreshModules() {
    if (!options_.modules) return;
    options_.modules->SetFormat(config_.SampleRate(), config_.InChannels(), config_.OutChannels(),
                                config_.Bits(), 1, config_.LevelA(), config_.LevelB());
}

void MeasSettings::TellRepaired(unsigned blocks) {
    if (blocks && options_.prompt)
        options_.prompt->Show(RepairMessage(blocks), platform::PromptIcon::Warning);
}

bool MeasSettings::LoadFromRegistry() {
    SetDefaults();
    if (!options_.store) return false;
    std::vector<std::uint8_t> image;
    if (!options_.store->GetBinary(platform::kSettingsRoot, kMeasConfigValue, image)) return false;
    MeasConfig next = config_;
    if (!AcceptRegistryImage(image, next)) return false;
    const unsigned repaired = RepairMeasConfig(next, options_.deviceCount);
    config_ = next;
    TellRepaired(repaired);
    return true;
}

bool MeasSettings::SaveToRegistry() {
    if (!options_.store) return false;
    MeasConfig image = config_;
    image.SetI32(off::kMarker, kMeasConfigMarker);
    image.SetChanged(false);
    platform::YRegistry reg(*options_.store);
    if (!reg.Open(platform::kSettingsRoot, true)) return false;
    const bool written = reg.WriteBinary(kMeasConfigValue, image.Data());
    if (!reg.Close() || !written) return false;
    config_ = image;
    return true;
}

bool MeasSettings::SaveFile(const std::filesystem::path& file, std::string* why) {
    WaveformParams params, analysis;
    if (IWaveform* m = Module()) {
        if (!m->GetParams(params)) params.clear();
        if (!m->GetAnalysisParams(analysis)) analysis.clear();
    }
    MeasConfig saved = config_;
    saved.SetChanged(false);
    std::string error;
    if (!platform::WriteFileAtomically(file, EncodeMst(saved, params, analysis), {}, &error)) {
        Fail(why, error.empty() ? "cannot write the file" : error);
        return false;
    }
    config_.SetChanged(false);
    return true;
}

bool MeasSettings::OpenFile(const std::filesystem::path& file, std::string* why) {
    MstContents contents;
    if (!ReadMstFile(file, contents, why)) return false;
    if (!options_.modules) {
        Fail(why, "no stimulus modules");
        return false;
    }
    IWaveform* m = options_.modules->Find(contents.ModuleId());
    if (!m) {
        Fail(why, "unknown stimulus module " + std::to_string(contents.ModuleId()));
        return false;
    }
    MeasConfig next = contents.Apply(config_);
    const unsigned repaired = RepairMeasConfig(next, -1, kBlockGenerator | kBlockAnalyzer);

    RefreshModules();
    WaveformParams oldParams, oldAnalysis;
    if (!m->GetParams(oldParams) || !m->GetAnalysisParams(oldAnalysis)) {
        Fail(why, "the stimulus module cannot take parameters in this sound-card format");
        return false;
    }
    if (!SameShape(oldParams, contents.params) || !SameShape(oldAnalysis, contents.analysis)) {
        Fail(why, "the stimulus module refuses the file's parameters");
        return false;
    }
    if (!Hand(*m, contents.params, false) || !Hand(*m, contents.analysis, true)) {
        Hand(*m, oldParams, false);
        Hand(*m, oldAnalysis, true);
        Fail(why, "the stimulus module refuses the file's parameters");
        return false;
    }
    next.SetChanged(false);
    config_ = next;
    RefreshModules();
    TellRepaired(repaired);
    return true;
}

}  // namespace sonbex::measurement
