#pragma once
// The wave engine's interface: plays and records fixed-size blocks of
// interleaved PCM in one of nine modes, hands each block to a block callback,
// and reads and writes wave files.
//
// Threads: an engine belongs to the thread that runs the message loop it was
// constructed with; every operation is called there, and the callback and the
// stop message are delivered from that loop. Not safe from other threads.

#include "Platform/MessageLoop.h"
#include "YWave/YWaveFile.h"
#include "YWave/YWaveFormat.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

// Called with the recorded block (null in play-only modes), the output block
// to fill (null in record-only modes) and the frame count of the block to
// fill (of the input block in record-only modes). False stops the engine.
using YBlockCallback = std::function<bool(const std::uint8_t* input, std::uint8_t* output, int frames)>;

// Posted (no parameters) to the notify target after every stop of a run in
// which a device was open.
constexpr std::uint32_t kWaveDeviceStopped = 1690;

struct YWaveNotify {
    sonbex::platform::MessageLoop* loop = nullptr;
    sonbex::platform::HandlerId target = 0;
};

enum class YWaveMode : int {
    None = -1,
    PlayBuffer = 0,
    PlayCallback = 1,
    RecordCallback = 2,
    RecordPlayBuffer = 3,
    Duplex = 4,
    PlayFile = 5,
    RecordFile = 6,
    RecordAndPlayFile = 7,
    PlayFileCallback = 8,
};

class YIWave {
public:
    virtual ~YIWave() = default;

    // True at once when already created; otherwise attaches to the loop.
    virtual bool Create(YBlockCallback callback, YWaveNotify notify) = 0;
    // Stops, detaches from the loop and frees all buffers.
    virtual void Close() = 0;
    virtual void SetCallback(YBlockCallback callback) = 0;
    // `outFrames` below 1 means the same as `inFrames`.
    virtual void SetBuffers(int count, int inFrames, int outFrames) = 0;
    // -1 is the system default device.
    virtual void SetDevices(int inDevice, int outDevice) = 0;
    virtual void GetFormat(int& bits, int& inChannels, int& outChannels, int& sampleRate) const = 0;

    // The opening operations: false unless created and stopped; the callback
    // modes also need a callback. Each frees the previous mode's buffers.
    // A record file replaces its target when the run ends normally; after a
    // failed start the target stays as it was, and after a fault in the run
    // too, with what was recorded kept at YPartialRecordingPath(name).
    virtual bool RecordFile(const std::string& name, int bits, int channels, int rate) = 0;
    virtual bool RecordCallback(int bits, int channels, int rate) = 0;
    virtual bool PlayFile(const std::string& name, bool loop) = 0;
    // The caller's buffer of `frames` frames must outlive the run.
    virtual bool PlayBuffer(int bits, int channels, int rate, const std::uint8_t* buffer, int frames,
                            bool loop) = 0;
    virtual bool PlayCallback(int bits, int channels, int rate) = 0;
    // The recording takes the play file's format.
    virtual bool RecordAndPlayFile(const std::string& recordName, const std::string& playName, bool loop) = 0;
    virtual bool RecordPlayBuffer(int bits, int inChannels, int outChannels, int rate,
                                  const std::uint8_t* buffer, int frames, bool loop) = 0;
    // Rate and bits from the file; the callback turns each file block into an
    // output block of `outChannels`.
    virtual bool PlayFileCallback(const std::string& name, int outChannels, bool loop) = 0;
    // The callback receives input block i and fills the block played two
    // blocks later. Needs equal input and output block lengths.
    virtual bool OpenDuplex(int bits, int inChannels, int outChannels, int rate) = 0;
    // Offline, synchronous: every 8000-frame block of `inName` through the
    // callback into `outName` (the current output channel count). The output
    // file is complete or absent.
    virtual bool ProcessFile(const std::string& inName, const std::string& outName) = 0;

    virtual bool Start() = 0;
    // Idempotent; posts kWaveDeviceStopped once per run.
    virtual void Stop() = 0;

    virtual bool CanRecord(int device, int rate, int bits, int channels) = 0;
    virtual bool CanPlay(int device, int rate, int bits, int channels) = 0;

    // One sample of the current width to a real; returns the next sample.
    virtual const std::uint8_t* ToReal(const std::uint8_t* sample, double& value) const = 0;

    virtual bool IsWaveFile(const std::string& name) const = 0;
    virtual bool GetWaveInfo(const std::string& name, int& tag, int& bits, int& channels, int& rate,
                             std::uint32_t& frames) const = 0;
    virtual bool WriteWaveHeader(std::FILE* stream, int rate, int bits, int channels,
                                 std::uint32_t frames) = 0;
    // Both return the data bytes (0 on failure) and copy the format.
    virtual std::uint32_t ReadFormat(std::FILE* stream, YWaveFormat& format) = 0;
    virtual std::uint32_t ParseWaveHeader(std::FILE* stream, YWaveFormat& format) = 0;

    virtual YWaveMode Mode() const = 0;
    virtual bool IsRunning() const = 0;
    // Why the last run or opening failed ("" when none did).
    virtual std::string LastError() const = 0;
};
