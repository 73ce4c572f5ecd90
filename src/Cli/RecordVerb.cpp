// record: a wave file from a sound device.

#include "Cli/CliVerb.h"
#include "Cli/SoundCard.h"
#include "Cli/Verbs.h"

#include "YWave/YWaveFile.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <iostream>

namespace sonbex::cli {

void SetupRecordVerb(CLI::App& verb) {
    struct Options {
        std::string file, device;
        double seconds = 0;
        int rate = 48000, bits = 16, channels = 2;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    verb.add_option("-o,--output", o->file, "Wave file to write")->required();
    verb.add_option("--seconds", o->seconds, "Length of the recording")
        ->required()
        ->check(CLI::Range(1e-3, 86400.0));
    verb.add_option("--rate", o->rate, "Sample rate in Hz")
        ->check(CLI::Range(1000, 768000))
        ->capture_default_str();
    verb.add_option("--bits", o->bits, "Sample width")
        ->check(CLI::IsMember({8, 16, 20, 24, 32}))
        ->capture_default_str();
    verb.add_option("--channels", o->channels, "Input channels")
        ->check(CLI::Range(1, 8))
        ->capture_default_str();
    verb.add_option("--device", o->device,
                    "Device number, id or name ('sonbex3-cli devices'); default: the system's");
    verb.add_flag("--json", o->json, "Machine-readable result (JSON)");
    verb.callback([o] {
        // Nothing is written before the device is found and the mode opened;
        // on a failure the target stays as it was (see YWaveWriter).
        SoundCard card;
        const int device = card.Device(o->device);
        const auto total = static_cast<std::uint64_t>(std::llround(o->seconds * o->rate));
        YWaveWriter writer;
        const int align = o->channels * YBytesPerSample(o->bits);
        std::uint64_t frames = 0;
        bool writeFailed = false;
        YMemWave wave(card.Loop(), card.Devices());
        wave.Create(
            [&](const std::uint8_t* in, std::uint8_t*, int n) {
                const auto take = std::min<std::uint64_t>(static_cast<std::uint64_t>(n), total - frames);
                writeFailed =
                    !writer.Append(in, static_cast<std::size_t>(take) * static_cast<std::size_t>(align));
                if (!writeFailed) frames += take;
                return !writeFailed && frames < total;
            },
            card.Notify());
        wave.SetDevices(device, -1);
        wave.SetBuffers(4, std::max(o->rate / 10, 1), -1);
        if (!wave.RecordCallback(o->bits, o->channels, o->rate)) throw VerbFailure(wave.LastError());
        if (!writer.Create(o->file, YWaveFormat::Pcm(o->bits, o->channels, o->rate, true)))
            throw VerbFailure("cannot write " + o->file);
        // A fault in the run keeps what was recorded beside the target.
        const auto keepPartial = [&](const std::string& why) {
            if (frames > 0 && writer.FinishPartial())
                return VerbFailure(
                    why + "; the " + std::to_string(frames) + " frames recorded so far are in " +
                    YPartialRecordingPath(o->file).string() + ", " + o->file + " is unchanged");
            writer.Abandon();
            return VerbFailure(why);
        };
        try {
            card.Run(wave);
        } catch (const VerbFailure& e) {
            throw keepPartial(e.what());
        } catch (...) {
            writer.Abandon();
            throw;
        }
        if (writeFailed) throw keepPartial("cannot write " + o->file);
        if (!writer.Finish()) throw VerbFailure("cannot write " + o->file);
        const nlohmann::json j{{"file", o->file},
                               {"frames", frames},
                               {"rate", o->rate},
                               {"bits", o->bits},
                               {"channels", o->channels}};
        std::cout << (o->json ? j.dump(2) + "\n"
                              : "recorded " + o->file + ": " + std::to_string(frames) + " frames\n");
    });
}

}  // namespace sonbex::cli
