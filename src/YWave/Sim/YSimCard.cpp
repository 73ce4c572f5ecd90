#include "YWave/Sim/YSimCard.h"

#include "YWave/YWaveFormat.h"
#include "YWave/YWaveSample.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <deque>
#include <numbers>

namespace {

// splitmix64 feeding Box-Muller: the same noise for the same seed everywhere.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : state_(seed) {}
    double Gaussian() {
        if (haveSpare_) {
            haveSpare_ = false;
            return spare_;
        }
        const double u1 = (static_cast<double>(Next() >> 11) + 1.0) * 0x1p-53;
        const double u2 = static_cast<double>(Next() >> 11) * 0x1p-53;
        const double r = std::sqrt(-2.0 * std::log(u1));
        spare_ = r * std::sin(2.0 * std::numbers::pi * u2);
        haveSpare_ = true;
        return r * std::cos(2.0 * std::numbers::pi * u2);
    }

private:
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t state_;
    double spare_ = 0.0;
    bool haveSpare_ = false;
};

class SimStream : public IWaveStream {
public:
    SimStream(const YSimCardConfig& config, const YWaveStreamSetup& setup, const YWaveStreamTarget& target,
              std::shared_ptr<long> blocksRun)
        : config_(config),
          setup_(setup),
          target_(target),
          blocksRun_(std::move(blocksRun)),
          inAlign_(setup.inChannels * YBytesPerSample(setup.bits)),
          outAlign_(setup.outChannels * YBytesPerSample(setup.bits)),
          delay1_(config.latencySamples),
          delay2_(config.latencySamples),
          noise_(config.seed) {
        if (config_.deviceUnderTest) device_ = config_.deviceUnderTest(setup.rate);
        if (setup_.record)
            inRing_.assign(
                static_cast<std::size_t>(setup_.blockCount),
                std::vector<std::uint8_t>(static_cast<std::size_t>(setup_.inBlockFrames * inAlign_)));
    }
    ~SimStream() override { Stop(); }

    bool QueueOutput(const std::uint8_t* data, int frames) override {
        if (!setup_.play || frames < 1 || frames > setup_.outBlockFrames ||
            outRing_.size() >= static_cast<std::size_t>(setup_.blockCount))
            return false;
        outRing_.emplace_back(data, data + static_cast<std::size_t>(frames) * outAlign_);
        return true;
    }

    bool Start() override {
        if (config_.failStart) {
            error_ = "the simulated sound card failed to start";
            return false;
        }
        running_ = true;
        Schedule(PeriodFrames());
        return true;
    }

    void Stop() override {
        running_ = false;
        if (timer_) target_.loop->StopTimer(timer_);
        timer_ = 0;
    }

    const std::uint8_t* InputBlock() override { return inCount_ ? inRing_[inHead_].data() : nullptr; }
    void ReleaseInput() override {
        if (!inCount_) return;
        inHead_ = (inHead_ + 1) % inRing_.size();
        --inCount_;
    }
    std::string Error() const override { return error_; }

private:
    void Post(std::uint32_t id, std::intptr_t wparam = 0) {
        target_.loop->PostForRun(*target_.run, target_.generation, target_.handler, id, wparam);
    }

    void Fail(YWaveFault fault, const std::string& why) {
        error_ = why;
        Stop();
        Post(kWaveStreamFailed, static_cast<std::intptr_t>(fault));
    }

    // Frames of the next period: a recorded block, or the next output block.
    int PeriodFrames() const {
        if (setup_.record) return setup_.inBlockFrames;
        return outRing_.empty() ? 0 : static_cast<int>(outRing_.front().size() / outAlign_);
    }

    // The next period ends `frames` frames from now (paced), or as soon as the
    // owner has handled this one.
    void Schedule(int frames) {
        std::weak_ptr<int> alive = alive_;
        auto tick = [this, alive] {
            if (alive.lock() && running_) Tick();
        };
        if (!config_.realTime) {
            target_.loop->PostTask(tick);
            return;
        }
        frames = std::max(1, frames);
        const auto period = std::chrono::nanoseconds(
            static_cast<std::int64_t>(std::llround(1e9 * frames / static_cast<double>(setup_.rate))));
        timer_ = target_.loop->StartTimer(period, [this, alive, tick] {
            if (alive.lock()) timer_ = 0;
            tick();
        });
    }

    void Tick() {
        if (blocks_ == config_.xrunAfterBlocks)
            return Fail(YWaveFault::Xrun, "xrun on the simulated sound card");
        if (blocks_ == config_.lostAfterBlocks)
            return Fail(YWaveFault::DeviceLost, "the simulated sound card was removed");
        if (setup_.play && (outRing_.empty() || blocks_ == config_.lateAfterBlocks))
            return Fail(YWaveFault::LateOutput, "an output block came too late for the simulated sound card");
        if (setup_.record && inCount_ == inRing_.size())
            return Fail(YWaveFault::Xrun, "xrun on the simulated sound card: recorded blocks were not taken");

        const int frames = PeriodFrames();
        if (config_.mixerGains) config_.mixerGains(outGain_, inGain_);
        std::uint8_t* in = setup_.record ? inRing_[(inHead_ + inCount_) % inRing_.size()].data() : nullptr;
        int outDone = 0;
        for (int f = 0; f < frames; ++f) {
            double drive = 0.0;
            if (setup_.play) {
                if (outRing_.empty()) return Fail(YWaveFault::LateOutput, "an output block came too late");
                const std::vector<std::uint8_t>& block = outRing_.front();
                if (outPos_ == 0 && config_.onOutputBlock)
                    config_.onOutputBlock(block.data(), static_cast<int>(block.size() / outAlign_));
                YSampleToReal(block.data() + outPos_, setup_.bits, drive);
                drive *= outGain_[0];
                outPos_ += static_cast<std::size_t>(outAlign_);
                if (outPos_ >= block.size()) {
                    outRing_.pop_front();
                    outPos_ = 0;
                    // Like a device with a buffer: a block is done once the
                    // next one plays; with none queued the device runs dry.
                    if (outRing_.empty()) {
                        for (int k = 0; k < outDone; ++k) Post(kWaveOutputDone);
                        return Fail(YWaveFault::LateOutput,
                                    "an output block came too late for the simulated sound card");
                    }
                    ++outDone;
                }
            }
            if (in) in = Record(in, drive);
        }
        for (int k = 0; k < outDone; ++k) Post(kWaveOutputDone);
        if (setup_.record) {
            ++inCount_;
            Post(kWaveInputBlock);
        }
        ++blocks_;
        ++*blocksRun_;
        const int next = PeriodFrames();
        Schedule(next > 0 ? next : setup_.outBlockFrames);
    }

    std::uint8_t* Record(std::uint8_t* in, double drive) {
        const double measured = delay1_.Process(device_ ? device_->Process(drive) : drive);
        const double reference = delay2_.Process(config_.loopback ? drive : 0.0);
        double inputs[2] = {measured, reference};
        if (config_.swapInputs) std::swap(inputs[0], inputs[1]);
        for (int c = 0; c < setup_.inChannels; ++c) {
            const int k = std::min(c, 1);
            double v = (c < 2 ? inputs[c] * inGain_[static_cast<std::size_t>(k)] : 0.0) + config_.dcOffset[k];
            if (config_.noiseRms[k] > 0.0) v += config_.noiseRms[k] * noise_.Gaussian();
            v = std::clamp(v, config_.clipLow, config_.clipHigh);
            in = YRealToSample(v, setup_.bits, in);
        }
        return in;
    }

    const YSimCardConfig config_;
    const YWaveStreamSetup setup_;
    const YWaveStreamTarget target_;
    std::shared_ptr<long> blocksRun_;
    const int inAlign_, outAlign_;
    std::unique_ptr<ISimDevice> device_;
    YSimDelay delay1_, delay2_;
    Noise noise_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    bool running_ = false;
    sonbex::platform::TimerId timer_ = 0;
    long blocks_ = 0;
    std::deque<std::vector<std::uint8_t>> outRing_;
    std::size_t outPos_ = 0;
    std::array<double, 2> outGain_{1.0, 1.0}, inGain_{1.0, 1.0};  // the mixer's, this period
    std::vector<std::vector<std::uint8_t>> inRing_;
    std::size_t inHead_ = 0, inCount_ = 0;
    std::string error_;
};

}  // namespace

std::vector<YWaveDevice> YSimCard::Devices() { return {YWaveDevice{0, "sim", kName, true, true}}; }

bool YSimCard::CanOpen(YWaveDirection direction, int device, int rate, int bits, int channels) {
    const int maxChannels =
        direction == YWaveDirection::Record ? config_.maxInChannels : config_.maxOutChannels;
    return (device == -1 || device == 0) && channels >= 1 && channels <= maxChannels &&
           std::find(config_.rates.begin(), config_.rates.end(), rate) != config_.rates.end() &&
           std::find(config_.widths.begin(), config_.widths.end(), bits) != config_.widths.end();
}

std::unique_ptr<IWaveStream> YSimCard::Open(const YWaveStreamSetup& setup, const YWaveStreamTarget& target,
                                            std::string& error) {
    if (config_.failOpen) {
        error = "the simulated sound card could not be opened";
        return nullptr;
    }
    if ((setup.record &&
         !CanOpen(YWaveDirection::Record, setup.inDevice, setup.rate, setup.bits, setup.inChannels)) ||
        (setup.play &&
         !CanOpen(YWaveDirection::Play, setup.outDevice, setup.rate, setup.bits, setup.outChannels)) ||
        (!setup.record && !setup.play) || setup.blockCount < 1 || setup.inBlockFrames < 1 ||
        setup.outBlockFrames < 1 || !target.loop || !target.run) {
        error = "the simulated sound card does not support this format";
        return nullptr;
    }
    return std::make_unique<SimStream>(config_, setup, target, blocksRun_);
}
