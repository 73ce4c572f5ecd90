#pragma once
// One open mixer device out of every mixer of the system (the mixers of each
// backend in turn, numbered consecutively, like YWaveDevices numbers the wave
// devices).
//
// Every operation on a closed mixer, or on a line without the control it
// needs, does nothing and reports false.
//
// Threads: safe from any thread; one mutex guards the open mixer.

#include "YWave/IMixerBackend.h"
#include "YWave/IWaveBackend.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class YIMixerApi {
public:
    // Closes the mixer.
    virtual ~YIMixerApi() = default;
    // Whether a mixer is open (the handle of the platform's mixer service).
    virtual const void* Handle() const = 0;
    // Closes any open mixer, then opens `mixerId`; false when there is no such mixer.
    virtual bool Open(int mixerId) = 0;
    virtual void Close() = 0;
    // The mixer of a wave device (-1: the default); 0 when none is found.
    virtual int MixerForWaveDevice(int waveDevice, bool isInput) = 0;
    // The mute control of the line's monitor line. False when the line has a
    // lineId but no monitor line, or that line has no mute control.
    virtual bool SetLineMute(const MixerLine& line, bool mute) = 0;
    virtual bool GetLineMute(const MixerLine& line, bool& mute) = 0;
    virtual bool SelectRecordingLine(const MixerLine& line) = 0;
    // Fills the record of the first line of `componentType`, settable tested;
    // its monitorLineId is its own lineId.
    virtual bool GetLine(MixerLine& line, std::uint32_t componentType) = 0;
    virtual bool EnumRecordingLines(std::vector<MixerLine>& lines) = 0;
    virtual bool GetVolume(const MixerLine& line, std::uint32_t& left, std::uint32_t& right) = 0;
    // Writes both values (clamped to the line's bounds), then reads them back
    // into `left` and `right`.
    virtual bool SetVolume(const MixerLine& line, std::uint32_t& left, std::uint32_t& right) = 0;
};

class YMixerApi : public YIMixerApi {
public:
    // `backends` and `waves` (for MixerForWaveDevice; may be null) must outlive it.
    explicit YMixerApi(std::vector<IMixerBackend*> backends, IWaveBackend* waves = nullptr)
        : backends_(std::move(backends)), waves_(waves) {}
    ~YMixerApi() override { Close(); }

    const void* Handle() const override;
    bool Open(int mixerId) override;
    void Close() override;
    int MixerForWaveDevice(int waveDevice, bool isInput) override;
    bool SetLineMute(const MixerLine& line, bool mute) override;
    bool GetLineMute(const MixerLine& line, bool& mute) override;
    bool SelectRecordingLine(const MixerLine& line) override;
    bool GetLine(MixerLine& line, std::uint32_t componentType) override;
    bool EnumRecordingLines(std::vector<MixerLine>& lines) override;
    bool GetVolume(const MixerLine& line, std::uint32_t& left, std::uint32_t& right) override;
    bool SetVolume(const MixerLine& line, std::uint32_t& left, std::uint32_t& right) override;

    // Every mixer of the system, in index order.
    std::vector<YMixerInfo> Mixers();
    int OpenIndex() const;  // -1 when closed
    std::string LastError() const;
    // Whether the volume can really be changed: a value inside the line's
    // bounds is written, read back and the first values restored.
    bool IsSettable(const MixerLine& line);
    // The change descriptors of the open mixer, and taking their events.
    std::vector<int> ChangeDescriptors();
    bool TakeChangeEvents();

    // Wave and mixer names are the same device when they agree up to the end
    // of one of them together, or up to and including the first position
    // where both have a blank and the two characters after it. Returns 0 for
    // the same device, else the order of the first differing character.
    static int SameDeviceName(const std::string& a, const std::string& b);
    // The text before the last blank-separated word ("Card X Wave" -> "Card X").
    static std::string CutAtLastBlank(const std::string& name);

private:
    bool Locate(int mixerId, IMixerBackend*& backend, int& local);
    bool IsSettableLocked(const MixerLine& line);

    std::vector<IMixerBackend*> backends_;
    IWaveBackend* waves_;
    mutable std::recursive_mutex mutex_;
    std::unique_ptr<IMixerDevice> device_;
    int openIndex_ = -1;
    std::string error_;
};
