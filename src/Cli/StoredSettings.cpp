#include "Cli/StoredSettings.h"

#include "Cli/CliVerb.h"
#include "Platform/Paths.h"

#include <fstream>
#include <iterator>

namespace sonbex::cli {

StoredSettings::StoredSettings(bool persistModules) {
    const platform::Paths paths;
    store_.Open(paths.SettingsFile());
    YWaveformModules::Options options;
    if (persistModules) options.configPath = YWaveformModules::DefaultConfigPath();
    modules_ = std::make_unique<YWaveformModules>(options);
    settings_ = std::make_unique<measurement::MeasSettings>(
        measurement::MeasSettingsOptions{&store_, modules_.get(), &prompt_, -1});
    settings_->LoadFromRegistry();
    const measurement::MeasConfig& c = settings_->Config();
    modules_->Init(c.SampleRate(), c.InChannels(), c.OutChannels(), c.Bits(), 1, c.LevelA(), c.LevelB());
    if (!persistModules) {
        std::ifstream in(YWaveformModules::DefaultConfigPath(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!bytes.empty()) modules_->Deserialize(bytes);
    }
}

void StoredSettings::Save() {
    if (!settings_->SaveToRegistry())
        throw VerbFailure("cannot write the settings file " + store_.File().string());
}

measurement::MeasConfig StoredSettings::ForRun(const std::filesystem::path& mstFile) {
    measurement::MeasSettings run(
        measurement::MeasSettingsOptions{nullptr, modules_.get(), &prompt_, settings_->DeviceCount()});
    run.Replace(settings_->Config());
    std::string why;
    if (!run.OpenFile(mstFile, &why))
        throw VerbFailure("cannot use the settings file " + mstFile.string() + ": " + why);
    return run.Snapshot();
}

}  // namespace sonbex::cli
