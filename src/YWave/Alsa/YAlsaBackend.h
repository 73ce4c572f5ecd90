#pragma once
// Real sound cards through ALSA. Devices: "default", each hardware PCM
// ("hw:CARD=<id>,DEV=<n>", named by the card's stable id, so the name stored
// beside an index finds the same device after a reboot) and any PCM of the
// ALSA configuration added by name.
//
// Formats: U8 (8 bits), S16_LE, S24_3LE (20 and 24 bits, top-justified in three
// bytes), S32_LE; the rate is exact (no resampling is ever inserted). Format
// queries open the device once per direction and are cached; a device another
// program holds reports "in use" and is asked again next time.
//
// A stream runs one I/O thread that polls the PCMs, re-blocks ALSA periods into
// engine blocks through the rings, and posts to the owner's loop. Capture and
// playback are linked for a sample-locked start where ALSA allows. An xrun, an
// output block that comes too late, or a device that disappears or stops
// answering ends the run with an error; silence is never substituted.
//
// Threads: the backend and its streams are used from the owner's thread.

#include "YWave/IWaveBackend.h"

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

class YAlsaBackend : public IWaveBackend {
public:
    // Silences ALSA's own messages on stderr for the whole process: failures
    // reach callers through results and LastError texts.
    YAlsaBackend();
    // Adds a PCM of the ALSA configuration (say "plug:jack") to the devices;
    // returns its index.
    int AddPcm(const std::string& pcm, const std::string& name);
    // The ALSA name of a device index (-1: "default"); "" when there is none.
    std::string PcmName(int device);

    std::vector<YWaveDevice> Devices() override;
    bool CanOpen(YWaveDirection direction, int device, int rate, int bits, int channels) override;
    std::unique_ptr<IWaveStream> Open(const YWaveStreamSetup& setup, const YWaveStreamTarget& target,
                                      std::string& error) override;
    bool InUse(YWaveDirection direction, int device) override;

private:
    struct Entry {
        YWaveDevice device;
        std::string pcm;
    };
    struct Capabilities {
        bool busy = false;
        bool known = false;
        std::set<std::tuple<int, int, int>> formats;  // rate, bits, channels
    };
    void Enumerate();
    Capabilities& Query(YWaveDirection direction, const std::string& pcm);

    bool enumerated_ = false;
    std::vector<Entry> entries_;
    std::vector<Entry> added_;
    std::map<std::pair<int, std::string>, Capabilities> cache_;
};
