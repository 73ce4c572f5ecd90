#pragma once
// The wave engine over a device backend (ALSA, the simulated card, or both
// through YWaveDevices). See YIWave for the contract.
//
// Threads: construct, use and destroy on the thread running `loop`. The
// backend must outlive the engine.

#include "YWave/IWaveBackend.h"
#include "YWave/YIWave.h"

#include <cstdint>
#include <memory>
#include <vector>

class YMemWave : public YIWave {
public:
    // Limits of an opening, so that no header or setting can make the engine
    // or a backend allocate without bound: sample rates of 1 to kMaxRate Hz,
    // 1 to kMaxChannels channels, 2 (3 for the simultaneous mode) to
    // kMaxBufferCount buffers, blocks of at most kMaxBlockBytes and rings of
    // at most kMaxRingBytes a direction.
    static constexpr int kMaxRate = 768000;
    static constexpr int kMaxChannels = 1024;
    static constexpr int kMaxBufferCount = 256;
    static constexpr std::int64_t kMaxBlockBytes = std::int64_t{1} << 26;
    static constexpr std::int64_t kMaxRingBytes = std::int64_t{1} << 28;

    // `extensibleAllowed`: describe formats with more than two channels or
    // more than 16 bits with the extensible header.
    YMemWave(sonbex::platform::MessageLoop& loop, IWaveBackend& backend, bool extensibleAllowed = true);
    ~YMemWave() override;
    YMemWave(const YMemWave&) = delete;
    YMemWave& operator=(const YMemWave&) = delete;

    bool Create(YBlockCallback callback, YWaveNotify notify) override;
    void Close() override;
    void SetCallback(YBlockCallback callback) override { callback_ = std::move(callback); }
    void SetBuffers(int count, int inFrames, int outFrames) override;
    void SetDevices(int inDevice, int outDevice) override;
    void GetFormat(int& bits, int& inChannels, int& outChannels, int& sampleRate) const override;

    bool RecordFile(const std::string& name, int bits, int channels, int rate) override;
    bool RecordCallback(int bits, int channels, int rate) override;
    bool PlayFile(const std::string& name, bool loop) override;
    bool PlayBuffer(int bits, int channels, int rate, const std::uint8_t* buffer, int frames,
                    bool loop) override;
    bool PlayCallback(int bits, int channels, int rate) override;
    bool RecordAndPlayFile(const std::string& recordName, const std::string& playName, bool loop) override;
    bool RecordPlayBuffer(int bits, int inChannels, int outChannels, int rate, const std::uint8_t* buffer,
                          int frames, bool loop) override;
    bool PlayFileCallback(const std::string& name, int outChannels, bool loop) override;
    bool OpenDuplex(int bits, int inChannels, int outChannels, int rate) override;
    bool ProcessFile(const std::string& inName, const std::string& outName) override;

    bool Start() override;
    void Stop() override;

    bool CanRecord(int device, int rate, int bits, int channels) override;
    bool CanPlay(int device, int rate, int bits, int channels) override;
    const std::uint8_t* ToReal(const std::uint8_t* sample, double& value) const override;

    bool IsWaveFile(const std::string& name) const override;
    bool GetWaveInfo(const std::string& name, int& tag, int& bits, int& channels, int& rate,
                     std::uint32_t& frames) const override;
    bool WriteWaveHeader(std::FILE* stream, int rate, int bits, int channels, std::uint32_t frames) override;
    std::uint32_t ReadFormat(std::FILE* stream, YWaveFormat& format) override;
    std::uint32_t ParseWaveHeader(std::FILE* stream, YWaveFormat& format) override;

    YWaveMode Mode() const override { return mode_; }
    bool IsRunning() const override { return stream_ != nullptr; }
    std::string LastError() const override { return error_; }

    // The wave format headers of the current mode.
    const YWaveFormat& InFormat() const { return inFormat_; }
    const YWaveFormat& OutFormat() const { return outFormat_; }
    int InFrames() const { return inFrames_; }
    int OutFrames() const { return outFrames_; }
    int BufferCount() const { return bufferCount_; }

private:
    bool Records() const;
    bool Plays() const;
    bool UsesCallback() const;
    // Common part of the opening operations.
    bool Open(YWaveMode mode, int bits, int inChannels, int outChannels, int rate);
    void FreeBuffers();
    bool Fail(const std::string& why);
    bool Queue(const std::uint8_t* data, int frames);
    bool FillFromPlayFile(std::uint8_t* buffer, std::size_t bytes, bool& ended);
    void OnMessage(const sonbex::platform::Message& message);
    void OnInput();
    void OnOutputDone();
    void EndOfPlayFile();
    bool PlayFileDone() const;
    // Stops the run; after a fault a recording file is kept as a partial
    // recording beside its target instead of replacing it.
    void Halt(bool fault);

    sonbex::platform::MessageLoop& owner_;
    IWaveBackend& backend_;
    YBlockCallback callback_;
    const bool extensibleAllowed_;
    YWaveMode mode_ = YWaveMode::None;
    const std::uint8_t* userBuffer_ = nullptr;
    int userFrames_ = 0;
    int outFrames_ = 8000, inFrames_ = 8000;
    bool created_ = false;
    sonbex::platform::HandlerId handler_ = 0;
    YWaveNotify notify_;
    int inDevice_ = -1, outDevice_ = -1;
    int sampleRate_ = 0, bits_ = 0, inChannels_ = 0, outChannels_ = 0;
    int bufferCount_ = 4;
    bool loop_ = false;  // requeue the buffer, or restart the play file at its end
    int outBufferBytes_ = 0, inBufferBytes_ = 0;
    YWaveFormat inFormat_, outFormat_;

    std::vector<std::vector<std::uint8_t>> outBuffers_;
    std::vector<std::uint8_t> fileBlock_;  // mode 8: the file block the callback transforms
    int inIndex_ = 0;
    int outIndex_ = 0;     // the output buffer the next completion belongs to
    int outFinished_ = 0;  // play-file buffers that met the end of the file
    int outQueued_ = 0;
    long outSerial_ = 0;        // output blocks queued in this run
    long outDone_ = 0;          // output blocks completed in this run
    long lastDataSerial_ = -1;  // the last queued block that carries play-file data
    long inDone_ = 0;           // recorded blocks written to the record file in this run

    std::string recordName_, playName_;
    YWaveReader playFile_;
    YWaveWriter recordFile_;

    sonbex::platform::RunGeneration run_;
    std::unique_ptr<IWaveStream> stream_;
    std::string error_;
};
