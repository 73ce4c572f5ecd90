// play: a wave file through a sound device.

#include "Cli/CliVerb.h"
#include "Cli/SoundCard.h"
#include "Cli/Verbs.h"

#include <nlohmann/json.hpp>

namespace sonbex::cli {

void SetupPlayVerb(CLI::App& verb) {
    struct Options {
        std::string file, device;
        bool loop = false;
        VerbOutput output;
    };
    auto o = std::make_shared<Options>();
    verb.add_option("FILE", o->file, "Wave file to play (PCM, 8 to 32 bits)")->required();
    verb.add_option("--device", o->device,
                    "Device number, id or name ('sonbex3-cli devices'); default: the system's");
    verb.add_flag("--loop", o->loop, "Play the file over and over until Ctrl-C");
    o->output.AddOptions(verb);
    verb.callback([o] {
        SoundCard card;
        YMemWave wave(card.Loop(), card.Devices());
        wave.Create({}, card.Notify());
        YWaveFileInfo info;
        if (!YReadWaveFileInfo(o->file, info)) throw VerbFailure("cannot read the wave file " + o->file);
        const int rate = static_cast<int>(info.format.sampleRate);
        wave.SetDevices(-1, card.Device(o->device));
        wave.SetBuffers(4, std::max(rate / 10, 1), -1);
        if (!wave.PlayFile(o->file, o->loop)) throw VerbFailure(wave.LastError());
        card.Run(wave);
        const nlohmann::json j{{"file", o->file},
                               {"frames", info.Frames()},
                               {"rate", rate},
                               {"bits", info.format.bitsPerSample},
                               {"channels", info.format.channels}};
        o->output.Write(o->output.Json()
                            ? j.dump(2) + "\n"
                            : "played " + o->file + ": " + std::to_string(info.Frames()) + " frames, " +
                                  std::to_string(rate) + " Hz, " + std::to_string(info.format.bitsPerSample) +
                                  " bits, " + std::to_string(info.format.channels) + " channels\n");
    });
}

}  // namespace sonbex::cli
