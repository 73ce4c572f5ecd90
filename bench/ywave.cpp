// The simultaneous mode's block path: how many blocks per second the engine
// moves with a do-nothing callback, on the simulated card (its signal path
// included) and on a bare stream that only posts the notifications (the
// engine and the message loop alone). "realtime" is the multiple of real time
// reached: 1 / realtime is the share of one core a live stream of that format
// costs.

#include "YWave/Sim/YSimCard.h"
#include "YWave/YMemWave.h"
#include "YWave/YWaveFormat.h"

#include "Platform/MessageLoop.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Posts one input block and one output completion per tick, nothing else.
class BareStream : public IWaveStream {
public:
    BareStream(const YWaveStreamSetup& s, const YWaveStreamTarget& t)
        : target_(t),
          in_(static_cast<std::size_t>(s.inBlockFrames) * s.inChannels * YBytesPerSample(s.bits)) {}
    bool QueueOutput(const std::uint8_t*, int) override {
        ++queued_;
        return true;
    }
    bool Start() override {
        running_ = true;
        Tick();
        return true;
    }
    void Stop() override { running_ = false; }
    const std::uint8_t* InputBlock() override { return in_.data(); }
    void ReleaseInput() override {}
    std::string Error() const override { return {}; }

private:
    void Tick() {
        if (!running_) return;
        target_.loop->PostForRun(*target_.run, target_.generation, target_.handler, kWaveOutputDone);
        target_.loop->PostForRun(*target_.run, target_.generation, target_.handler, kWaveInputBlock);
        target_.loop->PostTask([this, alive = std::weak_ptr<int>(alive_)] {
            if (alive.lock()) Tick();
        });
    }
    YWaveStreamTarget target_;
    std::vector<std::uint8_t> in_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    bool running_ = false;
    long queued_ = 0;
};

class BareBackend : public IWaveBackend {
public:
    std::vector<YWaveDevice> Devices() override { return {YWaveDevice{0, "bare", "bare", true, true}}; }
    bool CanOpen(YWaveDirection, int, int, int, int) override { return true; }
    std::unique_ptr<IWaveStream> Open(const YWaveStreamSetup& s, const YWaveStreamTarget& t,
                                      std::string&) override {
        return std::make_unique<BareStream>(s, t);
    }
};

void RunDuplex(benchmark::State& state, IWaveBackend& backend) {
    const int rate = static_cast<int>(state.range(0));
    const int bits = static_cast<int>(state.range(1));
    const int frames = static_cast<int>(state.range(2));
    constexpr int kBlocksPerRun = 200;
    sonbex::platform::MessageLoop loop;
    YMemWave wave(loop, backend);
    int calls = 0;
    wave.Create([&](const std::uint8_t*, std::uint8_t*, int) { return ++calls % kBlocksPerRun != 0; }, {});
    wave.SetBuffers(4, frames, -1);
    long blocks = 0;
    for (auto _ : state) {
        if (!wave.OpenDuplex(bits, 2, 2, rate) || !wave.Start()) {
            state.SkipWithError(wave.LastError().c_str());
            return;
        }
        while (wave.IsRunning()) loop.RunUntilIdle();
        blocks += kBlocksPerRun;
    }
    state.counters["blocks/s"] = benchmark::Counter(static_cast<double>(blocks), benchmark::Counter::kIsRate);
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(blocks) * frames / rate, benchmark::Counter::kIsRate);
}

void BM_DuplexSimulatedCard(benchmark::State& state) {
    YSimCard card;
    RunDuplex(state, card);
}

void BM_DuplexEngineOnly(benchmark::State& state) {
    BareBackend bare;
    RunDuplex(state, bare);
}

}  // namespace

// rate, bits, frames per block
BENCHMARK(BM_DuplexSimulatedCard)
    ->Args({192000, 32, 4800})
    ->Args({48000, 16, 4800})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DuplexEngineOnly)
    ->Args({192000, 32, 4800})
    ->Args({192000, 32, 480})
    ->Args({48000, 16, 4800})
    ->Unit(benchmark::kMillisecond);
