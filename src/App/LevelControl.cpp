#include "App/LevelControl.h"

#include "Sonbex/Shell/CommandTable.h"

LevelControl::LevelControl(sonbex::shell::SonbexApp& app) : app_(app), sim_(YSimCardConfig::Plain()) {
    simMixer_.Attach(sim_);
    const sonbex::platform::Paths paths;
    mixer_ =
        std::make_unique<YMixer>(std::vector<IMixerBackend*>{&alsaMixers_, &simMixer_}, &devices_,
                                 YMixer::Folders{paths.DataDir() / "Mixer", paths.DataDir() / "Calibration"});
    app.SetCommandHandler(sonbex::shell::cmd::kLevels, [this] { OpenWindow(); });
    app.AddStartupStep(sonbex::shell::SonbexApp::StartupStage::FrameShown, [this] {
        YMixerSettings settings;
        settings.Load(app_.Store());
        mixer_->SetSettings(settings);
        mixer_->TakeSnapshot();
    });
    app.AddExitSaver([this] {
        if (window_ && window_->IsOpen()) window_->End(0);
        mixer_->CloseMixers();
        mixer_->RestoreSnapshot();
    });
}

LevelControl::~LevelControl() { delete window_.data(); }

void LevelControl::OpenWindow() {
    if (!window_) {
        sonbex::measurement::LevelsWindowServices services;
        services.prompt = &app_.Prompt();
        services.store = &app_.Store();
        services.waves = &devices_;
        services.help = [this](int topic) { app_.Help().ShowTopic(topic); };
        window_ = new sonbex::measurement::LevelsWindow(*mixer_, services, &app_);
        window_->setWindowFlag(Qt::Tool);
    }
    window_->Open();
}
