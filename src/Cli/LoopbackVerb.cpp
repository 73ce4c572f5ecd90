// loopback: a first check of a sound card. Plays a click train in the
// simultaneous mode and finds the clicks in the recording: the round-trip
// latency in samples and the level that comes back on each input.
//
// One click per block, at an offset that changes from block to block, so a
// click found in the recording names the block it was played in.

#include "Cli/CliVerb.h"
#include "Cli/SoundCard.h"
#include "Cli/Verbs.h"

#include "YWave/YWaveSample.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace sonbex::cli {

namespace {

constexpr double kClick = 0.5;

struct InputResult {
    long latency = 0;    // samples from playing to recording, beyond the engine's lead
    int consistent = 0;  // clicks found at that latency
    int clicks = 0;      // clicks looked for
    double levelDb = -INFINITY;
};

InputResult Analyse(const std::vector<double>& x, int block, int blocks, int (*offset)(int, int)) {
    std::map<long, int> votes;
    std::vector<double> peaks;
    for (int j = 0; j + 3 <= blocks; ++j) {
        const long start = static_cast<long>(j + 2) * block + offset(j, block);
        if (start + block > static_cast<long>(x.size())) break;
        long best = 0;
        for (long n = 0; n < block; ++n)
            if (std::fabs(x[static_cast<std::size_t>(start + n)]) >
                std::fabs(x[static_cast<std::size_t>(start + best)]))
                best = n;
        ++votes[best];
        peaks.push_back(std::fabs(x[static_cast<std::size_t>(start + best)]));
    }
    InputResult r;
    r.clicks = static_cast<int>(peaks.size());
    for (const auto& [latency, count] : votes)
        if (count > r.consistent) {
            r.latency = latency;
            r.consistent = count;
        }
    if (!peaks.empty()) {
        std::nth_element(peaks.begin(), peaks.begin() + static_cast<long>(peaks.size() / 2), peaks.end());
        const double median = peaks[peaks.size() / 2];
        r.levelDb = median > 0 ? 20.0 * std::log10(median / kClick) : -INFINITY;
    }
    return r;
}

int ClickOffset(int block, int blockFrames) { return (block * 397) % std::max(1, blockFrames / 2); }

std::string Db(double v) {
    if (!std::isfinite(v)) return "-inf";
    char s[32];
    std::snprintf(s, sizeof s, "%.2f", v);
    return s;
}

}  // namespace

void SetupLoopbackVerb(CLI::App& verb) {
    struct Options {
        std::string device;
        int rate = 48000, bits = 16;
        double seconds = 2.0;
        VerbOutput output;
    };
    auto o = std::make_shared<Options>();
    verb.add_option("--device", o->device, "Device number, id or name ('sonbex3-cli devices')")->required();
    verb.add_option("--rate", o->rate, "Sample rate in Hz")
        ->check(CLI::Range(8000, 768000))
        ->capture_default_str();
    verb.add_option("--bits", o->bits, "Sample width")
        ->check(CLI::IsMember({8, 16, 20, 24, 32}))
        ->capture_default_str();
    verb.add_option("--seconds", o->seconds, "Length of the check")
        ->check(CLI::Range(0.5, 60.0))
        ->capture_default_str();
    o->output.AddOptions(verb);
    verb.callback([o] {
        SoundCard card;
        const int device = card.Device(o->device);
        const int block = o->rate / 10;
        const int blocks = std::max(5, static_cast<int>(o->seconds * 10));
        const int step = YBytesPerSample(o->bits);
        std::vector<double> in1, in2;
        int calls = 0;
        YMemWave wave(card.Loop(), card.Devices());
        wave.Create(
            [&](const std::uint8_t* in, std::uint8_t* out, int frames) {
                const int click = ClickOffset(calls, frames);
                for (int f = 0; f < frames; ++f) {
                    double a = 0, b = 0;
                    YSampleToReal(YSampleToReal(in + 2 * step * f, o->bits, a), o->bits, b);
                    in1.push_back(a);
                    in2.push_back(b);
                    const double v = f == click ? kClick : 0.0;
                    YRealToSample(v, o->bits, YRealToSample(v, o->bits, out + 2 * step * f));
                }
                return ++calls < blocks;
            },
            card.Notify());
        wave.SetDevices(device, device);
        wave.SetBuffers(4, block, -1);
        if (!wave.OpenDuplex(o->bits, 2, 2, o->rate)) throw VerbFailure(wave.LastError());
        card.Run(wave);

        const InputResult r1 = Analyse(in1, block, blocks, ClickOffset);
        const InputResult r2 = Analyse(in2, block, blocks, ClickOffset);
        const int expected = std::max(1, r1.clicks);
        const InputResult& best = r2.consistent > r1.consistent ? r2 : r1;
        if (best.consistent * 2 < expected)
            throw VerbFailure(
                "the clicks did not come back at a steady latency: check the loop-back cable and levels");
        const nlohmann::json j{
            {"device", o->device},
            {"rate", o->rate},
            {"bits", o->bits},
            {"latencySamples", best.latency},
            {"leadSamples", 2 * block},
            {"input1",
             {{"latencySamples", r1.latency},
              {"clicks", r1.consistent},
              {"levelDb", std::isfinite(r1.levelDb) ? nlohmann::json(r1.levelDb) : nlohmann::json()}}},
            {"input2",
             {{"latencySamples", r2.latency},
              {"clicks", r2.consistent},
              {"levelDb", std::isfinite(r2.levelDb) ? nlohmann::json(r2.levelDb) : nlohmann::json()}}},
            {"clicksPlayed", expected}};
        std::string text = "round-trip latency: " + std::to_string(best.latency) +
                           " samples (plus the engine's lead of " + std::to_string(2 * block) + ")\n";
        text += "input 1: level " + Db(r1.levelDb) + " dB, " + std::to_string(r1.consistent) + " of " +
                std::to_string(expected) + " clicks at " + std::to_string(r1.latency) + " samples\n";
        text += "input 2: level " + Db(r2.levelDb) + " dB, " + std::to_string(r2.consistent) + " of " +
                std::to_string(expected) + " clicks at " + std::to_string(r2.latency) + " samples\n";
        o->output.Write(o->output.Json() ? j.dump(2) + "\n" : text);
    });
}

}  // namespace sonbex::cli
