#pragma once
// Real sound cards through ALSA. Devices: "default", each hardware PCM
// ("hw:CARD=<id>,DEV=<n>", named by the card's stable id, so the name stored
// beside an index finds the same device after a reboot), the PCMs the ALSA
// configuration names in its hints ("pulse", "jack", "sysdefault:CARD=PCH",
// a loop-back of ~/.asoundrc: what `aplay -L` lists, less the PCMs that are
// not devices), and any other PCM ALSA can open, named as "alsa:NAME".
// Each device's id is "alsa:" and its PCM name; its name is the PCM name and
// its description ALSA's.
//
// Formats: U8 (8 bits), S16_LE, S24_3LE (20 and 24 bits, top-justified in three
// bytes), S32_LE; the rate is exact (no resampling is ever inserted). Format
// queries open the device once per direction and are cached until Rescan; a
// device another program holds reports "in use" and is asked again next time;
// one that did not open is asked again after a few seconds (a server started
// meanwhile is found).
// A PCM that cannot be opened reports ALSA's own reason, and says so when the
// sound server behind it (JACK, PulseAudio, PipeWire) is not running.
//
// A stream runs one I/O thread that polls the PCMs, re-blocks ALSA periods into
// engine blocks through the rings, and posts to the owner's loop. Capture and
// playback are linked for a sample-locked start where ALSA allows. An xrun, an
// output block that comes too late, or a device that disappears or stops
// answering ends the run with an error; silence is never substituted.
//
// Threads: the backend and its streams are used from the owner's thread.

#include "YWave/IWaveBackend.h"

#include <chrono>
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
    // Adds a PCM of the ALSA configuration (say "plug:jack") to the devices,
    // for both directions, unless it is listed already; returns its index.
    int AddPcm(const std::string& pcm, const std::string& description = "");
    // The ALSA name of a device index (-1: "default"); "" when there is none.
    std::string PcmName(int device);

    std::vector<YWaveDevice> Devices() override;
    bool CanOpen(YWaveDirection direction, int device, int rate, int bits, int channels) override;
    std::unique_ptr<IWaveStream> Open(const YWaveStreamSetup& setup, const YWaveStreamTarget& target,
                                      std::string& error) override;
    bool InUse(YWaveDirection direction, int device) override;
    std::string Unavailable(YWaveDirection direction, int device) override;
    // "alsa:NAME" for a PCM not listed: added when ALSA opens it in either
    // direction (or finds it in use), else refused with ALSA's reason.
    int Resolve(const std::string& id, std::string& error) override;
    void Rescan() override;

private:
    struct Entry {
        YWaveDevice device;
        std::string pcm;
    };
    struct Capabilities {
        bool busy = false;
        bool known = false;
        std::string problem;                           // why the device did not open
        std::chrono::steady_clock::time_point failed;  // when it did not
        std::set<std::tuple<int, int, int>> formats;   // rate, bits, channels
    };
    void Enumerate();
    int IndexOf(const std::string& pcm) const;
    Capabilities& Query(YWaveDirection direction, const std::string& pcm);

    bool enumerated_ = false;
    std::vector<Entry> entries_;
    std::vector<Entry> added_;
    std::map<std::pair<int, std::string>, Capabilities> cache_;
};
