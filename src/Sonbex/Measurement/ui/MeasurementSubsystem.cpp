#include "Sonbex/Measurement/ui/MeasurementSubsystem.h"

#include "Platform/Paths.h"
#include "Sonbex/Measurement/ui/PresetsDialog.h"
#include "Sonbex/Shell/CommandTable.h"
#include "Sonbex/Shell/ui/SonbexApp.h"
#include "YWave/YWaveFile.h"

namespace sonbex::measurement {
namespace {

std::vector<IWaveBackend*> Backends(bool alsa, YAlsaBackend& a, YSimCard& s) {
    if (alsa) return {&a, &s};
    return {&s};
}

YWaveformModules::Options ModuleOptions(const MeasurementSubsystemOptions& o, platform::IPrompt& prompt) {
    YWaveformModules::Options m;
    if (o.modulesConfig.empty())
        m.configPath = YWaveformModules::DefaultConfigPath();
    else if (o.modulesConfig != "-")
        m.configPath = o.modulesConfig;
    m.prompt = &prompt;
    return m;
}

std::filesystem::path PresetsPath(const MeasurementSubsystemOptions& o) {
    return o.presetsFile.empty() ? platform::Paths().ConfigDir() / kPresetsFileName : o.presetsFile;
}

}  // namespace

MeasurementSubsystem::MeasurementSubsystem(shell::SonbexApp& app, MeasurementSubsystemOptions options)
    : app_(app),
      options_(std::move(options)),
      sim_(options_.simulatedCard),
      devices_(Backends(options_.withAlsa, alsa_, sim_)),
      modules_(ModuleOptions(options_, app.Prompt())),
      settings_(std::make_unique<MeasSettings>()),
      presets_(PresetsPath(options_)) {
    using namespace shell;
    app_.AddStartupStep(SonbexApp::StartupStage::SettingsLoaded, [this] { StartUp(); });
    app_.AddStartupStep(SonbexApp::StartupStage::FrameShown, [this] {
        presets_.Load();
        UpdatePresetMenu();
    });
    app_.AddExitSaver([this] { SaveAtExit(); });
    app_.SetCommandHandler(cmd::kMeasurementSettings, [this] { ShowSettings(); });
    app_.SetCommandHandler(cmd::kSaveSettings, [this] { SaveSettings(); });
    app_.SetCommandHandler(cmd::kEditPresets, [this] { EditPresets(); });
    for (int i = 0; i < kPresetSlots; ++i)
        app_.SetCommandHandler(cmd::kFirstPreset + i, [this, i] { RunPreset(i); });
    app_.SetSettingsFileLoader([this](const std::string& path) { return OpenSettings(path); });
    start_ = [this](const std::string&) {
        if (app_.IsEnabled(cmd::kStartMeasurement)) app_.ExecuteCommand(cmd::kStartMeasurement);
    };
}

MeasurementSubsystem::~MeasurementSubsystem() = default;

void MeasurementSubsystem::StartUp() {
    const int deviceCount = static_cast<int>(devices_.Devices().size());
    settings_ = std::make_unique<MeasSettings>(
        MeasSettingsOptions{&app_.Store(), &modules_, &app_.Prompt(), deviceCount});
    settings_->LoadFromRegistry();
    const MeasConfig& c = settings_->Config();
    modules_.Init(c.SampleRate(), c.InChannels(), c.OutChannels(), c.Bits(), 1, c.LevelA(), c.LevelB());
    context_ = std::make_unique<MeasSettingsContext>(
        MeasSettingsContext{*settings_, app_.Prompt(), app_.FileChooser(), &devices_, options_.microphones});
    context_->modal = options_.modalDialogs;
    context_->hooks.help = [this](std::string_view page) { app_.Help().ShowPage(page); };
    context_->hooks.isPcmWaveFile = [](const std::string& file) {
        // PCM: tag 1, or the extensible form whose sub-format begins with 1.
        YWaveFileInfo info;
        if (!YReadWaveFileInfo(file, info)) return false;
        return info.format.tag == YWaveFormat::kTagPcm ||
               (info.format.tag == YWaveFormat::kTagExtensible && info.format.subFormat[0] == 1 &&
                info.format.subFormat[1] == 0);
    };
}

void MeasurementSubsystem::SaveAtExit() {
    if (!context_) return;
    if (sheet_ && sheet_->IsOpen()) sheet_->reject();
    if (!settings_->SaveToRegistry())
        app_.Prompt().Show(std::string(kSettingsSaveFailed) + app_.Store().File().string(),
                           platform::PromptIcon::Error);
    if (!presets_.Save())
        app_.Prompt().Show(std::string(kPresetsSaveFailed) + presets_.File().string(),
                           platform::PromptIcon::Error);
    modules_.Save();
}

void MeasurementSubsystem::ShowSettings() {
    if (!context_) return;
    if (sheet_ && sheet_->IsOpen()) {
        sheet_->Create(false);  // to the front
        return;
    }
    sheet_ = std::make_unique<MeasurementSettings>(*context_, &app_);
    sheet_->Create(options_.modalDialogs);
}

bool MeasurementSubsystem::SaveSettings(std::optional<std::filesystem::path> file) {
    if (!context_) return false;
    if (!file) {
        file = app_.FileChooser().SaveFile(kSaveSettingsTitle, kSettingsFilter, {}, ".mst");
        if (!file) return false;
    }
    std::string why;
    if (settings_->SaveFile(*file, &why)) return true;
    app_.Prompt().Show(std::string(kSettingsSaveFailed) + file->string() + ": " + why,
                       platform::PromptIcon::Error);
    return false;
}

bool MeasurementSubsystem::OpenSettings(std::optional<std::filesystem::path> file) {
    if (!context_) return false;
    if (!file) {
        file = app_.FileChooser().OpenFile(kOpenSettingsTitle, kSettingsFilter);
        if (!file) return false;
    }
    std::string why;
    if (settings_->OpenFile(*file, &why)) return true;
    app_.Prompt().Show(std::string(kSettingsOpenFailed) + file->string() + ": " + why,
                       platform::PromptIcon::Error);
    return false;
}

void MeasurementSubsystem::RunPreset(int index) {
    if (!context_) return;
    presets_.Run(index, *settings_, app_.Prompt(), start_);
}

void MeasurementSubsystem::EditPresets() {
    if (!context_) return;
    if (presetsDialog_ && presetsDialog_->IsOpen()) {
        presetsDialog_->Create(false);
        return;
    }
    PresetsDialogHost host;
    host.openSettings = [this] {
        // The sheet on the preset's settings, to its end.
        MeasurementSettings sheet(*context_, presetsDialog_.get());
        if (runSheet_)
            runSheet_(sheet);
        else
            sheet.Create(true);
    };
    host.updateMenu = [this] { UpdatePresetMenu(); };
    host.help = [this] { app_.Help().ShowPage("presets.html"); };
    presetsDialog_ = std::make_unique<PresetsDialog>(presets_, *settings_, app_.Prompt(), app_.FileChooser(),
                                                     std::move(host), &app_);
    presetsDialog_->Create(options_.modalDialogs);
}

void MeasurementSubsystem::UpdatePresetMenu() {
    for (int i = 0; i < kPresetSlots; ++i)
        app_.SetPresetFilled(i, presets_.IsEnabled(i),
                             presets_.IsEnabled(i) ? presets_.Title(i) : kUndefinedPreset);
}

}  // namespace sonbex::measurement
