#pragma once
// The sound devices of the headless program and a way to run the wave engine
// on the program's own message loop until the run ends (or Ctrl-C stops it).

#include "Platform/MessageLoop.h"
#include "YWave/Alsa/YAlsaBackend.h"
#include "YWave/Sim/YSimCard.h"
#include "YWave/YMemWave.h"
#include "YWave/YWaveDevices.h"

#include <string>

namespace sonbex::cli {

class SoundCard {
public:
    SoundCard();
    YWaveDevices& Devices() { return devices_; }
    platform::MessageLoop& Loop() { return loop_; }
    // The device named by number, id or name ("" for the default); throws
    // VerbFailure when there is none.
    int Device(const std::string& name);
    // Starts `wave` (opened) and runs the loop until it stops. Throws
    // VerbFailure with the engine's reason when it cannot start or a fault
    // ended the run.
    void Run(YMemWave& wave);
    // The stop message's target, for YMemWave::Create.
    YWaveNotify Notify() const { return {const_cast<platform::MessageLoop*>(&loop_), stopHandler_}; }

private:
    YAlsaBackend alsa_;
    YSimCard sim_;
    YWaveDevices devices_;
    platform::MessageLoop loop_;
    platform::HandlerId stopHandler_ = 0;
};

}  // namespace sonbex::cli
