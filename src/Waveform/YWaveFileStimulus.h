#pragma once
// "Ext. Wavefile" (id 2005, category 2000): the first channel of a wave file
// as the stimulus, analysed into an impulse response (see YPulseStimulus)
// scaled by 0.830807 and the left output level.
//
// The file is read with the wave engine's reader (RIFF/WAVE; integer PCM of
// 8, 16, 20, 24 or 32 bits, IEEE float of 32 or 64 bits, plain or extensible
// header). The file is untrusted: the block alignment must be channels ×
// bytes per sample, the data is clamped to the bytes present and at most
// kMaxFrames frames are read. With "Convert samplerate" the samples are
// brought to the measurement rate, when that gives at most kMaxFrames frames
// (checked before converting). The samples are kept and the file is read
// again only when its name (compared exactly), size or modification time,
// the conversion switch or the sample rate changes.
//
// Parameters: "Filename" (the path; accepted only when the file exists),
// "Convert samplerate". The sync pulse is never played.
//
// Threading: as IWaveform.

#include "Waveform/YPulseStimulus.h"

#include <cstdint>
#include <filesystem>
#include <string>

class YWaveFileStimulus : public YPulseStimulus {
public:
    static constexpr int kId = 2005;
    // Longest file read: 2^25 frames (about 11 minutes at 48 kHz).
    static constexpr std::uint32_t kMaxFrames = 1u << 25;

    YWaveFileStimulus();

    bool GetParams(WaveformParams& records) override;
    bool SetParams(WaveformParams& records) override;
    bool GetAnalysisParams(WaveformParams& records) override;
    bool SetAnalysisParams(WaveformParams& records) override;
    // Reads the file when needed (see above), then renders.
    bool Generate() override;
    bool Analyze(RecordedChannels recording, ResponseList& responses, int count,
                 std::uint32_t flags) override;

    const std::string& WaveFile() const { return waveFile_; }
    // The first channel of the file at `path` at unit scale, and its rate.
    // False for a missing file, a header that does not parse, an unsupported
    // or inconsistent format, an empty or overlong data chunk, a read error.
    static bool ReadFirstChannel(const std::filesystem::path& path, YDoubleVec& out, double& rate);

private:
    // The file's identity as last loaded.
    struct Stamp {
        std::string name;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified{};
        bool convert = false;
        double rate = 0.0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    bool CurrentStamp(Stamp& stamp) const;

    std::string waveFile_;
    bool convert_ = true;
    // The stamp of the samples held, none while reload is set.
    Stamp loaded_;
    bool reload_ = true;
};
