#include "YWave/Alsa/YAlsaBackend.h"

#include "YWave/Alsa/YAlsaNames.h"

#include "YWave/YBlockRing.h"
#include "YWave/YWaveFormat.h"

#include <alsa/asoundlib.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <string_view>
#include <thread>

namespace {

constexpr int kQueryRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000};
constexpr int kQueryWidths[] = {8, 16, 20, 24, 32};
constexpr int kMaxQueryChannels = 8;

snd_pcm_format_t AlsaFormat(int bits) {
    switch (bits) {
        case 8:
            return SND_PCM_FORMAT_U8;
        case 16:
            return SND_PCM_FORMAT_S16_LE;
        case 20:
        case 24:
            return SND_PCM_FORMAT_S24_3LE;
        case 32:
            return SND_PCM_FORMAT_S32_LE;
        default:
            return SND_PCM_FORMAT_UNKNOWN;
    }
}

snd_pcm_stream_t StreamOf(YWaveDirection d) {
    return d == YWaveDirection::Record ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK;
}

constexpr int kOpenMode = SND_PCM_NONBLOCK | SND_PCM_NO_AUTO_RESAMPLE;

std::string AlsaText(const char* what, int err) { return std::string(what) + ": " + snd_strerror(err); }

// Access, format, channels and the exact rate on `params`; false if refused.
bool RestrictFormat(snd_pcm_t* pcm, snd_pcm_hw_params_t* params, int rate, int bits, int channels) {
    return snd_pcm_hw_params_set_rate_resample(pcm, params, 0) >= 0 &&
           snd_pcm_hw_params_set_access(pcm, params, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0 &&
           snd_pcm_hw_params_set_format(pcm, params, AlsaFormat(bits)) >= 0 &&
           snd_pcm_hw_params_set_channels(pcm, params, static_cast<unsigned>(channels)) >= 0 &&
           snd_pcm_hw_params_set_rate(pcm, params, static_cast<unsigned>(rate), 0) >= 0;
}

struct PcmConfig {
    snd_pcm_uframes_t period = 0, buffer = 0;
};

bool Configure(snd_pcm_t* pcm, const YWaveStreamSetup& s, int channels, snd_pcm_uframes_t period,
               unsigned periods, PcmConfig& out, std::string& error) {
    snd_pcm_hw_params_t* hw;
    snd_pcm_hw_params_alloca(&hw);
    int err = snd_pcm_hw_params_any(pcm, hw);
    if (err < 0) return error = AlsaText("no configuration", err), false;
    if (!RestrictFormat(pcm, hw, s.rate, s.bits, channels))
        return error = "the device does not support " + std::to_string(s.rate) + " Hz, " +
                       std::to_string(s.bits) + " bits, " + std::to_string(channels) + " channels exactly",
               false;
    snd_pcm_uframes_t p = period;
    int dir = 0;
    snd_pcm_hw_params_set_period_size_near(pcm, hw, &p, &dir);
    snd_pcm_uframes_t b = p * periods;
    snd_pcm_hw_params_set_buffer_size_near(pcm, hw, &b);
    if ((err = snd_pcm_hw_params(pcm, hw)) < 0) return error = AlsaText("cannot set the format", err), false;
    snd_pcm_hw_params_get_period_size(hw, &out.period, &dir);
    snd_pcm_hw_params_get_buffer_size(hw, &out.buffer);

    snd_pcm_sw_params_t* sw;
    snd_pcm_sw_params_alloca(&sw);
    snd_pcm_sw_params_current(pcm, sw);
    snd_pcm_uframes_t boundary = 0;
    snd_pcm_sw_params_get_boundary(sw, &boundary);
    snd_pcm_sw_params_set_start_threshold(pcm, sw, boundary);  // started explicitly
    snd_pcm_sw_params_set_avail_min(pcm, sw, out.period);
    if ((err = snd_pcm_sw_params(pcm, sw)) < 0)
        return error = AlsaText("cannot set the start mode", err), false;
    return true;
}

class AlsaStream : public IWaveStream {
public:
    AlsaStream(const YWaveStreamSetup& s, const YWaveStreamTarget& t)
        : setup_(s),
          target_(t),
          inAlign_(s.inChannels * YBytesPerSample(s.bits)),
          outAlign_(s.outChannels * YBytesPerSample(s.bits)),
          inRing_(s.record ? static_cast<std::size_t>(s.blockCount) : 0,
                  static_cast<std::size_t>(s.inBlockFrames) * static_cast<std::size_t>(inAlign_)),
          outRing_(s.play ? static_cast<std::size_t>(s.blockCount) : 0,
                   static_cast<std::size_t>(s.outBlockFrames) * static_cast<std::size_t>(outAlign_)) {}

    ~AlsaStream() override {
        Stop();
        if (linked_) snd_pcm_unlink(capture_);
        if (capture_) snd_pcm_close(capture_);
        if (playback_) snd_pcm_close(playback_);
        if (wakeFd_ >= 0) close(wakeFd_);
    }

    bool Open(const std::string& inPcm, const std::string& outPcm, std::string& error) {
        wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (wakeFd_ < 0) return error = "cannot create the wake-up descriptor", false;
        // The device's own playback lead stays under half an engine block, so
        // that the simultaneous mode's output block, filled one block ahead,
        // is always there in time; capture may buffer more at no cost.
        const int block = std::min(setup_.record ? setup_.inBlockFrames : setup_.outBlockFrames,
                                   setup_.play ? setup_.outBlockFrames : setup_.inBlockFrames);
        const int periodFrames = std::clamp(block / 8, 32, 1024);
        const auto period = static_cast<snd_pcm_uframes_t>(periodFrames);
        const auto playPeriods = static_cast<unsigned>(std::max(2, block / 2 / periodFrames));
        const auto capturePeriods =
            static_cast<unsigned>(std::max(8, 2 * setup_.inBlockFrames / periodFrames));
        std::string why;
        if (setup_.record) {
            if (YAlsaOpenPcm(&capture_, inPcm, SND_PCM_STREAM_CAPTURE, kOpenMode, why) < 0)
                return error = "cannot open alsa:" + inPcm + " for recording: " + why, false;
            if (!Configure(capture_, setup_, setup_.inChannels, period, capturePeriods, capConfig_, error))
                return false;
        }
        if (setup_.play) {
            if (YAlsaOpenPcm(&playback_, outPcm, SND_PCM_STREAM_PLAYBACK, kOpenMode, why) < 0)
                return error = "cannot open alsa:" + outPcm + " for playing: " + why, false;
            if (!Configure(playback_, setup_, setup_.outChannels, period, playPeriods, pbConfig_, error))
                return false;
        }
        return true;
    }

    bool QueueOutput(const std::uint8_t* data, int frames) override {
        if (!setup_.play || frames < 1 || frames > setup_.outBlockFrames) return false;
        std::uint8_t* slot = outRing_.WriteSlot();
        if (!slot) return false;
        const std::size_t bytes = static_cast<std::size_t>(frames) * static_cast<std::size_t>(outAlign_);
        std::memcpy(slot, data, bytes);
        outRing_.Commit(bytes);
        Wake();
        return true;
    }

    bool Start() override {
        if (thread_.joinable()) return false;
        int err;
        if (capture_ && playback_) linked_ = snd_pcm_link(capture_, playback_) == 0;
        if (capture_ && (err = snd_pcm_prepare(capture_)) < 0)
            return SetError(AlsaText("cannot prepare", err));
        if (playback_ && !linked_ && (err = snd_pcm_prepare(playback_)) < 0)
            return SetError(AlsaText("cannot prepare", err));
        if (playback_) {
            // The device starts with as much of the queued output as it holds.
            const YWaveFault fault = Play();
            if (fault != YWaveFault::None) return false;
        }
        // Recording starts an instant before playing when the two are not linked.
        if (capture_ && (err = snd_pcm_start(capture_)) < 0) return SetError(AlsaText("cannot start", err));
        if (playback_ && !linked_ && (err = snd_pcm_start(playback_)) < 0)
            return SetError(AlsaText("cannot start", err));
        stop_ = false;
        started_ = true;
        thread_ = std::thread([this] { Run(); });
        return true;
    }

    void Stop() override {
        stop_ = true;
        Wake();
        if (thread_.joinable()) thread_.join();
        if (capture_) snd_pcm_drop(capture_);
        if (playback_ && !linked_) snd_pcm_drop(playback_);
    }

    const std::uint8_t* InputBlock() override {
        std::size_t bytes = 0;
        return inRing_.ReadSlot(bytes);
    }
    void ReleaseInput() override {
        std::size_t bytes = 0;
        if (inRing_.ReadSlot(bytes)) inRing_.Release();
    }
    std::string Error() const override {
        std::lock_guard lock(errorMutex_);
        return error_;
    }

private:
    bool SetError(const std::string& why) {
        std::lock_guard lock(errorMutex_);
        error_ = why;
        return false;
    }
    void Wake() {
        const std::uint64_t one = 1;
        if (wakeFd_ >= 0) (void)!write(wakeFd_, &one, sizeof one);
    }
    void Post(std::uint32_t id, std::intptr_t wparam = 0) {
        target_.loop->PostForRun(*target_.run, target_.generation, target_.handler, id, wparam);
    }
    YWaveFault Fail(YWaveFault fault, const std::string& why) {
        SetError(why);
        return fault;
    }

    YWaveFault FromAlsaError(int err, bool playing) {
        if (err == -EPIPE) {
            if (playing && starved_)
                return Fail(YWaveFault::LateOutput, "an output block came too late for the device");
            return Fail(YWaveFault::Xrun,
                        playing ? "xrun: the device ran out of output" : "xrun: recorded data was lost");
        }
        if (err == -ENODEV || err == -EBADFD || err == -ESTRPIPE || err == -ENOTTY)
            return Fail(YWaveFault::DeviceLost, AlsaText("the device was lost", err));
        return Fail(YWaveFault::Io, AlsaText(playing ? "playing failed" : "recording failed", err));
    }

    // Moves recorded frames into the input ring; posts each completed block.
    YWaveFault Record() {
        for (;;) {
            const snd_pcm_sframes_t avail = snd_pcm_avail_update(capture_);
            if (avail < 0) return FromAlsaError(static_cast<int>(avail), false);
            if (avail == 0) return YWaveFault::None;
            if (!inSlot_) {
                inSlot_ = inRing_.WriteSlot();
                inFill_ = 0;
                if (!inSlot_) return Fail(YWaveFault::Xrun, "xrun: recorded blocks were not taken in time");
            }
            const auto want = std::min<snd_pcm_sframes_t>(avail, setup_.inBlockFrames - inFill_);
            const snd_pcm_sframes_t n =
                snd_pcm_readi(capture_, inSlot_ + static_cast<std::size_t>(inFill_) * inAlign_,
                              static_cast<snd_pcm_uframes_t>(want));
            if (n == -EAGAIN) return YWaveFault::None;
            if (n < 0) return FromAlsaError(static_cast<int>(n), false);
            progress_ = true;
            inFill_ += static_cast<int>(n);
            if (inFill_ == setup_.inBlockFrames) {
                inRing_.Commit(static_cast<std::size_t>(inFill_) * inAlign_);
                inSlot_ = nullptr;
                Post(kWaveInputBlock);
            }
        }
    }

    // Writes queued output while the device has room; posts a completion for
    // each block once the device has played it.
    YWaveFault Play() {
        for (;;) {
            const snd_pcm_sframes_t avail = snd_pcm_avail_update(playback_);
            if (avail < 0) return FromAlsaError(static_cast<int>(avail), true);
            if (avail == 0) break;
            if (!outSlot_) {
                outSlot_ = outRing_.ReadSlot(outBytes_);
                outPos_ = 0;
                starved_ = outSlot_ == nullptr;
                if (starved_) break;
            }
            const auto want = std::min<snd_pcm_sframes_t>(
                avail, static_cast<snd_pcm_sframes_t>((outBytes_ - outPos_) / outAlign_));
            const snd_pcm_sframes_t n =
                snd_pcm_writei(playback_, outSlot_ + outPos_, static_cast<snd_pcm_uframes_t>(want));
            if (n == -EAGAIN) break;
            if (n < 0) return FromAlsaError(static_cast<int>(n), true);
            progress_ = true;
            written_ += n;
            outPos_ += static_cast<std::size_t>(n) * outAlign_;
            if (outPos_ == outBytes_) {
                outRing_.Release();
                outSlot_ = nullptr;
                blockEnds_.push_back(written_);
            }
        }
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(playback_, &delay) < 0) delay = 0;
        const long long played = written_ - std::max<snd_pcm_sframes_t>(delay, 0);
        while (!blockEnds_.empty() && blockEnds_.front() <= played) {
            blockEnds_.pop_front();
            Post(kWaveOutputDone);
        }
        // Nothing queued and nothing left in the device: the next block is
        // late, even where the device would quietly play silence instead.
        if (starved_ && started_) {
            const snd_pcm_sframes_t room = snd_pcm_avail_update(playback_);
            if (room >= static_cast<snd_pcm_sframes_t>(pbConfig_.buffer))
                return Fail(YWaveFault::LateOutput, "an output block came too late for the device");
        }
        return YWaveFault::None;
    }

    void Run() {
        std::vector<pollfd> fds;
        const auto addFds = [&fds](snd_pcm_t* pcm) {
            if (!pcm) return std::size_t{0};
            const int n = snd_pcm_poll_descriptors_count(pcm);
            const std::size_t at = fds.size();
            fds.resize(at + static_cast<std::size_t>(std::max(n, 0)));
            if (n > 0) snd_pcm_poll_descriptors(pcm, fds.data() + at, static_cast<unsigned>(n));
            return static_cast<std::size_t>(std::max(n, 0));
        };
        fds.push_back(pollfd{wakeFd_, POLLIN, 0});
        const std::size_t capFds = addFds(capture_);
        const std::size_t pbFds = addFds(playback_);
        const int periodMs =
            std::max(1, static_cast<int>(1000 * std::max(capConfig_.period, pbConfig_.period) /
                                         static_cast<unsigned>(setup_.rate)));
        auto lastProgress = std::chrono::steady_clock::now();
        while (!stop_) {
            // A starved playback is not polled (it would be always ready); a
            // short timeout lets the next block, or the underrun, be seen.
            const nfds_t n = static_cast<nfds_t>(1 + capFds + (starved_ ? 0 : pbFds));
            const int r = poll(fds.data(), n, starved_ ? periodMs : 1000);
            if (stop_) break;
            if (r < 0 && errno != EINTR) {
                Post(kWaveStreamFailed, static_cast<std::intptr_t>(Fail(YWaveFault::Io, "poll failed")));
                return;
            }
            std::uint64_t drained;
            (void)!read(wakeFd_, &drained, sizeof drained);
            progress_ = false;
            YWaveFault fault = capture_ ? Record() : YWaveFault::None;
            if (fault == YWaveFault::None && playback_) fault = Play();
            if (fault == YWaveFault::None && !progress_ &&
                std::chrono::steady_clock::now() - lastProgress > std::chrono::seconds(2))
                fault = Fail(YWaveFault::DeviceLost, "the device stopped responding");
            if (fault != YWaveFault::None) {
                Post(kWaveStreamFailed, static_cast<std::intptr_t>(fault));
                return;
            }
            if (progress_) lastProgress = std::chrono::steady_clock::now();
        }
    }

    const YWaveStreamSetup setup_;
    const YWaveStreamTarget target_;
    const int inAlign_, outAlign_;
    YBlockRing inRing_, outRing_;
    snd_pcm_t* capture_ = nullptr;
    snd_pcm_t* playback_ = nullptr;
    PcmConfig capConfig_, pbConfig_;
    bool linked_ = false;
    int wakeFd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};

    // I/O thread (and Start, before the thread exists).
    std::uint8_t* inSlot_ = nullptr;
    int inFill_ = 0;
    const std::uint8_t* outSlot_ = nullptr;
    std::size_t outBytes_ = 0, outPos_ = 0;
    long long written_ = 0;
    std::deque<long long> blockEnds_;
    bool starved_ = false;
    bool progress_ = false;
    bool started_ = false;

    mutable std::mutex errorMutex_;
    std::string error_;
};

}  // namespace

YAlsaBackend::YAlsaBackend() { YAlsaQuiet(); }

int YAlsaBackend::IndexOf(const std::string& pcm) const {
    for (const Entry& e : entries_)
        if (e.pcm == pcm) return e.device.index;
    return -1;
}

int YAlsaBackend::AddPcm(const std::string& pcm, const std::string& description) {
    Enumerate();
    if (const int listed = IndexOf(pcm); listed >= 0) return listed;
    added_.push_back(
        Entry{YWaveDevice{0, "alsa:" + pcm, pcm, true, true, description, YAlsaServerBehind(pcm)}, pcm});
    entries_.push_back(added_.back());
    const int index = static_cast<int>(entries_.size()) - 1;
    entries_.back().device.index = index;
    return index;
}

void YAlsaBackend::Enumerate() {
    if (enumerated_) return;
    enumerated_ = true;
    const std::vector<YAlsaPcmHint> hints = YAlsaPcmHints();
    std::string defaultText;
    for (const YAlsaPcmHint& h : hints)
        if (h.name == "default") defaultText = h.description;
    entries_.push_back(Entry{YWaveDevice{0, "alsa:default", "Default device", true, true, defaultText,
                                         YAlsaServerBehind("default")},
                             "default"});
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        snd_ctl_t* ctl = nullptr;
        if (snd_ctl_open(&ctl, ("hw:" + std::to_string(card)).c_str(), 0) < 0) continue;
        snd_ctl_card_info_t* info;
        snd_ctl_card_info_alloca(&info);
        if (snd_ctl_card_info(ctl, info) < 0) {
            snd_ctl_close(ctl);
            continue;
        }
        const std::string cardId = snd_ctl_card_info_get_id(info);
        const std::string cardName = snd_ctl_card_info_get_name(info);
        int dev = -1;
        while (snd_ctl_pcm_next_device(ctl, &dev) == 0 && dev >= 0) {
            snd_pcm_info_t* pcmInfo;
            snd_pcm_info_alloca(&pcmInfo);
            snd_pcm_info_set_device(pcmInfo, static_cast<unsigned>(dev));
            snd_pcm_info_set_subdevice(pcmInfo, 0);
            YWaveDevice d;
            std::string pcmName;
            for (const auto stream : {SND_PCM_STREAM_PLAYBACK, SND_PCM_STREAM_CAPTURE}) {
                snd_pcm_info_set_stream(pcmInfo, stream);
                if (snd_ctl_pcm_info(ctl, pcmInfo) < 0) continue;
                (stream == SND_PCM_STREAM_PLAYBACK ? d.canPlay : d.canRecord) = true;
                pcmName = snd_pcm_info_get_name(pcmInfo);
            }
            if (!d.canPlay && !d.canRecord) continue;
            const std::string pcm = "hw:CARD=" + cardId + ",DEV=" + std::to_string(dev);
            d.index = static_cast<int>(entries_.size());
            d.id = "alsa:" + pcm;
            d.name = pcm;
            d.description = cardName + ": " + pcmName;
            entries_.push_back(Entry{d, pcm});
        }
        snd_ctl_close(ctl);
    }
    // The configuration's PCMs; a card's own hw PCM is listed once, above.
    for (const YAlsaPcmHint& h : hints) {
        if (h.name == "default" || IndexOf(h.name) >= 0) continue;
        YWaveDevice d{static_cast<int>(entries_.size()),
                      "alsa:" + h.name,
                      h.name,
                      h.canRecord,
                      h.canPlay,
                      h.description,
                      YAlsaServerBehind(h.name)};
        entries_.push_back(Entry{d, h.name});
    }
    for (const Entry& added : added_) {
        if (IndexOf(added.pcm) >= 0) continue;
        entries_.push_back(added);
        entries_.back().device.index = static_cast<int>(entries_.size()) - 1;
    }
}

int YAlsaBackend::Resolve(const std::string& id, std::string& error) {
    constexpr std::string_view prefix = "alsa:";
    if (id.compare(0, prefix.size(), prefix) != 0) return -2;
    const std::string pcm = id.substr(prefix.size());
    if (pcm.empty()) {
        error = "'alsa:' must be followed by the name of an ALSA PCM";
        return -2;
    }
    Enumerate();
    if (const int listed = IndexOf(pcm); listed >= 0) return listed;
    bool opens[2] = {false, false};
    std::string why[2];
    const YWaveDirection directions[2] = {YWaveDirection::Play, YWaveDirection::Record};
    for (int i = 0; i < 2; ++i) {
        snd_pcm_t* p = nullptr;
        const int err = YAlsaOpenPcm(&p, pcm, StreamOf(directions[i]), kOpenMode, why[i]);
        opens[i] = err >= 0 || err == -EBUSY;
        if (p) snd_pcm_close(p);
    }
    if (!opens[0] && !opens[1]) {
        error = "ALSA cannot open '" + pcm + "': " + why[0];
        return -2;
    }
    const int index = AddPcm(pcm);
    added_.back().device.canPlay = entries_.back().device.canPlay = opens[0];
    added_.back().device.canRecord = entries_.back().device.canRecord = opens[1];
    return index;
}

void YAlsaBackend::Rescan() {
    snd_config_update();
    enumerated_ = false;
    entries_.clear();
    cache_.clear();
    Enumerate();
}

std::string YAlsaBackend::PcmName(int device) {
    Enumerate();
    if (device == -1) return "default";
    if (device < 0 || device >= static_cast<int>(entries_.size())) return "";
    return entries_[static_cast<std::size_t>(device)].pcm;
}

std::vector<YWaveDevice> YAlsaBackend::Devices() {
    Enumerate();
    std::vector<YWaveDevice> out;
    for (const Entry& e : entries_) out.push_back(e.device);
    return out;
}

YAlsaBackend::Capabilities& YAlsaBackend::Query(YWaveDirection direction, const std::string& pcmName) {
    Capabilities& caps = cache_[{static_cast<int>(direction), pcmName}];
    constexpr auto kRetryFailedAfter = std::chrono::seconds(3);
    const auto now = std::chrono::steady_clock::now();
    if (caps.known && (caps.problem.empty() || now - caps.failed < kRetryFailedAfter)) return caps;
    caps.busy = false;
    caps.problem.clear();
    snd_pcm_t* pcm = nullptr;
    std::string why;
    const int err = YAlsaOpenPcm(&pcm, pcmName, StreamOf(direction), kOpenMode, why);
    if (err < 0) {
        caps.busy = err == -EBUSY;
        if (!caps.busy) caps.problem = why;
        caps.failed = now;
        caps.known = !caps.busy;  // a busy device is asked again next time
        return caps;
    }
    snd_pcm_hw_params_t* any;
    snd_pcm_hw_params_t* trial;
    snd_pcm_hw_params_alloca(&any);
    snd_pcm_hw_params_alloca(&trial);
    if (snd_pcm_hw_params_any(pcm, any) >= 0) {
        for (int bits : kQueryWidths)
            for (int channels = 1; channels <= kMaxQueryChannels; ++channels)
                for (int rate : kQueryRates) {
                    snd_pcm_hw_params_copy(trial, any);
                    if (RestrictFormat(pcm, trial, rate, bits, channels))
                        caps.formats.insert({rate, bits, channels});
                }
    }
    snd_pcm_close(pcm);
    caps.known = true;
    return caps;
}

bool YAlsaBackend::CanOpen(YWaveDirection direction, int device, int rate, int bits, int channels) {
    const std::string pcm = PcmName(device);
    if (pcm.empty() || AlsaFormat(bits) == SND_PCM_FORMAT_UNKNOWN || channels < 1) return false;
    Capabilities& caps = Query(direction, pcm);
    if (caps.formats.count({rate, bits, channels})) return true;
    if (std::find(std::begin(kQueryRates), std::end(kQueryRates), rate) != std::end(kQueryRates) &&
        channels <= kMaxQueryChannels)
        return false;
    // An unusual rate or channel count: ask the device itself.
    snd_pcm_t* p = nullptr;
    std::string why;
    if (!caps.problem.empty() || YAlsaOpenPcm(&p, pcm, StreamOf(direction), kOpenMode, why) < 0) return false;
    snd_pcm_hw_params_t* hw;
    snd_pcm_hw_params_alloca(&hw);
    const bool ok = snd_pcm_hw_params_any(p, hw) >= 0 && RestrictFormat(p, hw, rate, bits, channels);
    snd_pcm_close(p);
    if (ok) caps.formats.insert({rate, bits, channels});
    return ok;
}

bool YAlsaBackend::InUse(YWaveDirection direction, int device) {
    const std::string pcm = PcmName(device);
    if (pcm.empty()) return false;
    const auto it = cache_.find({static_cast<int>(direction), pcm});
    return it != cache_.end() && it->second.busy;
}

std::string YAlsaBackend::Unavailable(YWaveDirection direction, int device) {
    const std::string pcm = PcmName(device);
    if (pcm.empty()) return "no such sound device";
    return Query(direction, pcm).problem;
}

std::unique_ptr<IWaveStream> YAlsaBackend::Open(const YWaveStreamSetup& setup,
                                                const YWaveStreamTarget& target, std::string& error) {
    const std::string inPcm = setup.record ? PcmName(setup.inDevice) : "";
    const std::string outPcm = setup.play ? PcmName(setup.outDevice) : "";
    if ((setup.record && inPcm.empty()) || (setup.play && outPcm.empty())) {
        error = "no such sound device";
        return nullptr;
    }
    if (AlsaFormat(setup.bits) == SND_PCM_FORMAT_UNKNOWN || (!setup.record && !setup.play) ||
        setup.blockCount < 1 || !target.loop || !target.run) {
        error = "unsupported format";
        return nullptr;
    }
    auto stream = std::make_unique<AlsaStream>(setup, target);
    if (!stream->Open(inPcm, outPcm, error)) return nullptr;
    return stream;
}
