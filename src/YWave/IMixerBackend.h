#pragma once
// The device layer under the mixer: a backend lists its mixers and opens one.
// An open mixer describes its lines (MixerLine), reads and writes their
// volumes, the monitor switches that let an input be heard on the playback
// side, and the recording-source selection.
//
// Threads: an open mixer is not itself thread-safe; YMixerApi holds a mutex
// around it, so everything above it may call from any thread.

#include "YWave/YMixerLine.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct YMixerInfo {
    std::string id;    // stable ("alsa:hw:CARD=PCH", "alsa:pulse", "sim")
    std::string name;  // shown to the user
};

class IMixerDevice {
public:
    virtual ~IMixerDevice() = default;
    // The first line of a destination or source type (kMixerDstSpeakers,
    // kMixerSrcWaveOut, kMixerDstWaveIn); false when the mixer has none.
    virtual bool GetLine(MixerLine& line, std::uint32_t componentType) = 0;
    // The recording sources, in the mixer's order.
    virtual bool EnumRecordingLines(std::vector<MixerLine>& lines) = 0;
    // Makes `line` the recorded source; false when it is none of them.
    virtual bool SelectRecordingLine(const MixerLine& line) = 0;
    virtual bool GetVolume(const MixerLine& line, std::uint32_t& left, std::uint32_t& right) = 0;
    // Writes both channels (a one-channel line takes `left`).
    virtual bool SetVolume(const MixerLine& line, std::uint32_t left, std::uint32_t right) = 0;
    // The mute control of a line (its playback switch): false when it has none.
    virtual bool GetMute(std::uint32_t lineId, bool& mute) = 0;
    virtual bool SetMute(std::uint32_t lineId, bool mute) = 0;
    // Descriptors that turn readable when a control changes elsewhere; and the
    // call that takes those events (true when something changed).
    virtual std::vector<int> ChangeDescriptors() { return {}; }
    virtual bool TakeChangeEvents() { return false; }
};

class IMixerBackend {
public:
    virtual ~IMixerBackend() = default;
    virtual std::vector<YMixerInfo> Mixers() = 0;
    // Null with `error` set when the mixer cannot be opened.
    virtual std::unique_ptr<IMixerDevice> OpenMixer(int index, std::string& error) = 0;
};
