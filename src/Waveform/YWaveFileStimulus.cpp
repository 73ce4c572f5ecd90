#include "Waveform/YWaveFileStimulus.h"

#include "YLib/YSampleRateConvert.h"
#include "YWave/YWaveFile.h"
#include "YWave/YWaveSample.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kRoleFile = 25, kRoleConvert = 26;
constexpr std::size_t kMaxPathChars = 259;
constexpr double kLevel = 0.830807;
constexpr std::uint32_t kChunkFrames = 4096;

}  // namespace

YWaveFileStimulus::YWaveFileStimulus() : YPulseStimulus(kId, "Ext. Wavefile", 0, true) {}

bool YWaveFileStimulus::GetParams(WaveformParams& records) {
    if (!valid_) return false;
    records.assign(2, WaveformParam());
    PutText(records, 0, "Filename", "", waveFile_, kRoleFile, false);
    PutInt(records, 1, "Convert samplerate", "", convert_ ? 1 : 0, 1, 0, 1, kRoleConvert, false);
    return true;
}

bool YWaveFileStimulus::SetParams(WaveformParams& records) {
    if (!AdoptRecords(records, 2, [this](WaveformParams& r) { return GetParams(r); })) return false;
    bool ok = records[0].text.size() <= kMaxPathChars && ValidateFile(records, 0);
    ok = ValidateInt(records, 1) && ok;
    if (!ok) return false;
    const bool convert = records[1].intValue != 0;
    if (records[0].text != waveFile_ || convert != convert_) reload_ = true;
    waveFile_ = records[0].text;
    convert_ = convert;
    return true;
}

bool YWaveFileStimulus::GetAnalysisParams(WaveformParams& records) {
    if (!valid_) return false;
    records.clear();
    return true;
}

bool YWaveFileStimulus::SetAnalysisParams(WaveformParams& records) {
    return AdoptRecords(records, 0, [this](WaveformParams& r) { return GetAnalysisParams(r); });
}

bool YWaveFileStimulus::ReadFirstChannel(const std::filesystem::path& path, YDoubleVec& out, double& rate) {
    YWaveReader reader;
    if (!reader.Open(path)) return false;
    // The reader accepts only frames of one sample per channel, so the first
    // channel's sample starts each frame.
    const YWaveFormat& format = reader.Info().format;
    const int bits = format.bitsPerSample;
    const YSampleKind kind = format.Kind();
    if (!YIsReadableSample(kind, bits) || format.sampleRate == 0) return false;
    const std::uint32_t frames = reader.Info().Frames();
    if (frames == 0 || frames > kMaxFrames || !out.Resize(int(frames), false)) return false;

    std::vector<std::uint8_t> chunk(std::size_t(kChunkFrames) * format.blockAlign);
    std::uint32_t done = 0;
    while (done < frames) {
        const long got = reader.ReadFrames(chunk.data(), std::min(kChunkFrames, frames - done));
        if (got <= 0) return false;
        for (long f = 0; f < got; ++f) {
            const std::uint8_t* p = chunk.data() + std::size_t(f) * format.blockAlign;
            double v = 0.0;
            YSampleToReal(p, kind, bits, v);
            out.Data()[done + f] = v;
        }
        done += std::uint32_t(got);
    }
    rate = format.sampleRate;
    return true;
}

bool YWaveFileStimulus::CurrentStamp(Stamp& stamp) const {
    std::error_code ec;
    stamp.name = waveFile_;
    stamp.size = std::filesystem::file_size(waveFile_, ec);
    if (ec) return false;
    stamp.modified = std::filesystem::last_write_time(waveFile_, ec);
    stamp.convert = convert_;
    stamp.rate = sampleRate_;
    return !ec;
}

bool YWaveFileStimulus::Generate() {
    pcm_.clear();
    if (!valid_ || waveFile_.empty()) {
        samples_.Resize(0);
        return false;
    }
    syncPulse_ = false;
    Stamp now;
    if (!CurrentStamp(now)) {
        samples_.Resize(0);
        reload_ = true;
        return false;
    }
    if (reload_ || !(now == loaded_)) {
        YDoubleVec loaded;
        double rate = 0.0;
        bool ok = ReadFirstChannel(waveFile_, loaded, rate);
        // The converted length is checked before converting: a file at a very
        // low rate would otherwise grow without bound first.
        if (ok && convert_ && std::lround(rate) != std::lround(sampleRate_)) {
            const std::size_t length =
                YSampleRateConvert::OutputLength(std::size_t(loaded.Size()), sampleRate_, rate);
            ok = length > 0 && length <= kMaxFrames &&
                 YSampleRateConvert::Convert(loaded, loaded, sampleRate_, rate) && !loaded.Empty();
        }
        if (!ok) {
            // What was loaded before is not this file: nothing is played.
            samples_.Resize(0);
            reload_ = true;
            return false;
        }
        samples_ = std::move(loaded);
        loaded_ = now;
        reload_ = false;
    }
    return Render();
}

bool YWaveFileStimulus::Analyze(RecordedChannels recording, ResponseList& responses, int count,
                                std::uint32_t flags) {
    syncPulse_ = false;
    ImpulseRules rules;
    rules.scale = kLevel * levelLeft_;
    return AnalyzeImpulse(recording, responses, count, flags, rules);
}
