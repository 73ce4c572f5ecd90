#pragma once
// The program's one level control: the mixers of every sound device (ALSA's
// and the simulated card's), the YMixer over them, and its "Level's" window.
// Made once by main(); it registers command 611 "&Levels", takes the
// snapshot of every mixer once the frame is up and puts it back at exit.
//
// Threads: the GUI thread (YMixer itself may be used from any thread).

#include "Sonbex/Measurement/ui/LevelsWindow.h"
#include "Sonbex/Shell/ui/SonbexApp.h"
#include "YWave/Alsa/YAlsaBackend.h"
#include "YWave/Alsa/YAlsaMixer.h"
#include "YWave/Sim/YSimCard.h"
#include "YWave/Sim/YSimMixer.h"
#include "YWave/YMixer.h"
#include "YWave/YWaveDevices.h"

#include <QPointer>

#include <memory>

class LevelControl {
public:
    explicit LevelControl(sonbex::shell::SonbexApp& app);
    ~LevelControl();
    YMixer& Mixer() { return *mixer_; }
    YSimMixer& SimulatedMixer() { return simMixer_; }
    sonbex::measurement::LevelsWindow* Window() const { return window_; }

private:
    void OpenWindow();

    sonbex::shell::SonbexApp& app_;
    YAlsaBackend alsa_;
    YSimCard sim_;
    YWaveDevices devices_{{&alsa_, &sim_}};
    YAlsaMixer alsaMixers_;
    YSimMixer simMixer_;
    std::unique_ptr<YMixer> mixer_;
    QPointer<sonbex::measurement::LevelsWindow> window_;
};
