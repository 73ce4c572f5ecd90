#pragma once
// The device layer under the wave engine: a backend lists its devices, answers
// format queries and opens streams. A stream moves fixed-size blocks of
// interleaved PCM through two rings of `blockCount` blocks and reports each
// recorded block, each consumed output block and each failure as a message
// posted to the owner's loop (the engine's thread), in order, tagged with the
// owner's run generation so that nothing is delivered after a stop.
//
// Threads: a backend and its streams are used from the owner's thread only
// (the one running `YWaveStreamTarget::loop`). A backend may run its own I/O
// thread inside a stream; that thread only posts to the owner's loop.

#include "Platform/MessageLoop.h"
#include "Platform/RunGeneration.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class YWaveDirection { Record, Play };

// One entry of the device list. The index holds until the list changes (a
// card plugged in, a PCM named by the user, a rescan); settings store the id.
struct YWaveDevice {
    int index = -1;    // the number callers pass; -1 is the system default
    std::string id;    // stable across boots ("alsa:hw:CARD=PCH,DEV=0", "alsa:pulse", "sim")
    std::string name;  // shown to the user: the PCM name for ALSA ("pulse", "hw:CARD=PCH,DEV=0")
    bool canRecord = false;
    bool canPlay = false;
    // What the device is, in the system's words ("PulseAudio Sound Server",
    // "HDA Intel PCH: ALC892 Analog"); may hold several lines; "" when none.
    std::string description = {};
    // The sound server the device plays through ("JACK", "PulseAudio",
    // "PipeWire"); "" for none. PulseAudio and PipeWire take every rate and
    // convert it to their own inside the server, out of the program's sight.
    std::string server = {};
};

struct YWaveStreamSetup {
    bool record = false, play = false;
    int inDevice = -1, outDevice = -1;
    int rate = 48000, bits = 16;
    int inChannels = 2, outChannels = 2;
    int inBlockFrames = 8000;   // every recorded block holds exactly this many frames
    int outBlockFrames = 8000;  // output blocks hold at most this many frames
    int blockCount = 4;         // ring length per direction
};

// Where a stream posts its messages.
struct YWaveStreamTarget {
    sonbex::platform::MessageLoop* loop = nullptr;
    sonbex::platform::HandlerId handler = 0;
    const sonbex::platform::RunGeneration* run = nullptr;
    std::uint64_t generation = 0;
};

// Message ids a stream posts to its target.
enum YWaveStreamMessage : std::uint32_t {
    kWaveInputBlock = 0x5701,   // a recorded block is ready: InputBlock() until ReleaseInput()
    kWaveOutputDone = 0x5702,   // the oldest queued output block has been consumed
    kWaveStreamFailed = 0x5703  // wparam: YWaveFault; Error() says why; the stream has stopped
};

enum class YWaveFault : int { None, Xrun, LateOutput, DeviceLost, Io };

class IWaveStream {
public:
    // Stops; once it returns no thread of the stream touches anything.
    virtual ~IWaveStream() = default;
    // Queues one output block of 1 to outBlockFrames frames (copied); false
    // when the ring is full. Blocks queued before Start are played first.
    virtual bool QueueOutput(const std::uint8_t* data, int frames) = 0;
    // Starts recording and playing together (sample-locked where the device
    // allows); false with Error() set.
    virtual bool Start() = 0;
    // Idempotent.
    virtual void Stop() = 0;
    // The oldest recorded block not yet released (inBlockFrames frames), or
    // null when none is ready.
    virtual const std::uint8_t* InputBlock() = 0;
    virtual void ReleaseInput() = 0;
    virtual std::string Error() const = 0;
};

class IWaveBackend {
public:
    virtual ~IWaveBackend() = default;
    virtual std::vector<YWaveDevice> Devices() = 0;
    // Whether the device would open with the format; opens nothing the caller sees.
    virtual bool CanOpen(YWaveDirection direction, int device, int rate, int bits, int channels) = 0;
    // True when the last query found the device held by another program.
    virtual bool InUse(YWaveDirection /*direction*/, int /*device*/) { return false; }
    // Why the device cannot be opened in that direction at all, as the last
    // query found it ("the JACK server is not running ..."); "" when it can
    // (or is only in use, see InUse).
    virtual std::string Unavailable(YWaveDirection /*direction*/, int /*device*/) { return ""; }
    // A device that is not listed but that this backend can open by its id
    // (ALSA: "alsa:" and any PCM name of the configuration): adds it to the
    // list and returns its index. -2 when the id is not this backend's, or
    // when the device cannot be opened: then `error` says why.
    virtual int Resolve(const std::string& /*id*/, std::string& /*error*/) { return -2; }
    // Lists the devices again and forgets the cached format answers.
    virtual void Rescan() {}
    // Null with `error` set when the devices cannot be opened with the format.
    virtual std::unique_ptr<IWaveStream> Open(const YWaveStreamSetup& setup, const YWaveStreamTarget& target,
                                              std::string& error) = 0;
};
