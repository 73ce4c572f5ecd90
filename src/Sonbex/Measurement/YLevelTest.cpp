#include "Sonbex/Measurement/YLevelTest.h"

#include "Waveform/YMlsSequence.h"
#include "YLib/YDoubleVec.h"
#include "YWave/YLevelMath.h"
#include "YWave/YWaveSample.h"

#include <algorithm>
#include <cmath>
#include <new>

YLevelTest::YLevelTest(YMixer& mixer, sonbex::platform::MessageLoop& loop, IWaveBackend& backend,
                       YLevelTestSetup setup, int mode, sonbex::platform::IPrompt& prompt)
    : mixer_(mixer),
      loop_(loop),
      backend_(backend),
      setup_(setup),
      mode_(mode == kAuto ? kAuto : kPlay),
      prompt_(prompt) {
    order_ = MlsOrder(setup_.sampleRate);
    YDoubleVec mls;
    if (!YIsSampleWidth(setup_.bits) || setup_.outChannels < 1 || setup_.inChannels < 1 ||
        !MakeMls(mls, order_, 0))
        return;
    const std::size_t frames = static_cast<std::size_t>(mls.Size());
    const std::size_t bytes = frames * static_cast<std::size_t>(setup_.outChannels) *
                              static_cast<std::size_t>(YBytesPerSample(setup_.bits));
    try {
        pcm_.resize(bytes);
    } catch (const std::bad_alloc&) {
        return;
    }
    std::uint8_t* p = pcm_.data();
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < setup_.outChannels; ++c)
            p = YRealToSample(setup_.amplitude * mls[static_cast<int>(i)], setup_.bits, p);

    const int length = static_cast<int>(frames);
    wave_ = std::make_unique<YMemWave>(loop_, backend_);
    wave_->Create([this](const std::uint8_t* in, std::uint8_t*, int n) { return OnBlock(in, n); }, {});
    wave_->SetDevices(setup_.inputDevice, setup_.outputDevice);
    wave_->SetBuffers(setup_.bufferCount, std::max(1, length / 4), length);
    if (!wave_->RecordPlayBuffer(setup_.bits, setup_.inChannels, setup_.outChannels,
                                 static_cast<int>(std::lround(setup_.sampleRate)), pcm_.data(), length, true))
        wave_.reset();
}

YLevelTest::~YLevelTest() {
    if (wave_) wave_->Close();
}

int YLevelTest::MlsOrder(double sampleRate) {
    const double want = std::round(sampleRate / 3.0);
    int e = 10;
    while (e < 24 && std::ldexp(1.0, e) < want) ++e;
    return e;
}

bool YLevelTest::Start() {
    if (!wave_) {
        prompt_.Show(kLevelTestNoMemory, sonbex::platform::PromptIcon::Error);
        End(Outcome::CantStart);
        return false;
    }
    if (mode_ == kAuto) {
        MixerLine wave;
        waveUsable_ = mixer_.Line(YMixerRole::Wave, wave) && wave.settable && wave.HasVolume();
        const YMixerHardware hw = mixer_.Hardware();
        ceiling_ = setup_.ceilingVolts > 0 ? std::min(setup_.ceilingVolts, hw.outputVoltageReference)
                                           : hw.outputVoltageReference;
        ko_ = kw_ = 1;
        SetStep(YMixerRole::MasterOut, ko_);
        if (waveUsable_) SetStep(YMixerRole::Wave, kw_);
        if (!mixer_.InputLocked()) {
            MixerLine line;
            if (mixer_.Line(YMixerRole::MasterIn, line) && line.Usable())
                mixer_.SetVolume(YMixerRole::MasterIn, line.maximum, line.maximum);
            else if (mixer_.Line(YMixerRole::Input, line) && line.settable)
                mixer_.SetVolume(YMixerRole::Input, line.maximum, line.maximum);
        }
    }
    settle_ = setup_.bufferCount;
    if (!wave_->Start()) {
        prompt_.Show(kLevelTestCantStart, sonbex::platform::PromptIcon::Error);
        End(Outcome::CantStart);
        return false;
    }
    return true;
}

void YLevelTest::End(Outcome outcome) {
    if (ended_) return;
    ended_ = true;
    outcome_ = outcome;
    if (wave_) wave_->Stop();
    mixer_.SavePreset(mixer_.Mode());
    if (onEnd_) onEnd_(outcome);
}

void YLevelTest::SetStep(YMixerRole role, int k) {
    MixerLine line;
    if (!mixer_.Line(role, line) || !line.HasVolume()) return;
    const std::uint32_t d = std::max<std::uint32_t>(1, (line.maximum - line.minimum) / 30);
    const std::uint32_t v = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(line.minimum + static_cast<std::uint64_t>(k) * d, line.maximum));
    mixer_.SetVolume(role, v, v);
    mixer_.GetOutputVoltage();
    settle_ = setup_.bufferCount;
}

bool YLevelTest::OnBlock(const std::uint8_t* input, int frames) {
    if (ended_) return false;
    ++blocks_;
    YBlockPeaks peaks;
    const YMixerHardware hw = mixer_.Hardware();
    peaks.Add(input, frames, setup_.inChannels, setup_.bits, hw.inputFullScale, setup_.reverseChannels);
    // CheckPeaks takes the samples already divided by the full scale.
    mixer_.CheckPeaks(peaks);
    if (mode_ == kAuto) {
        std::weak_ptr<int> alive = alive_;
        loop_.PostTask([this, alive] {
            if (alive.lock() && !ended_) Adjust();
        });
    }
    return true;
}

bool YLevelTest::RaiseAllowed(YMixerRole role, int& k) {
    ++k;
    SetStep(role, k);
    if (confirmed_ || mixer_.GetOutputVoltage() <= ceiling_ * (1 + 1e-9)) return true;
    const std::string text = "The output level would rise above " + YFormatOutputLevel(ceiling_, kUnitVolt) +
                             ".\n\nRaise it anyway ? ";
    if (prompt_.Show(text, sonbex::platform::PromptIcon::Warning, sonbex::platform::PromptButtons::YesNo) ==
        sonbex::platform::PromptAnswer::Yes) {
        confirmed_ = true;
        return true;
    }
    --k;
    SetStep(role, k);
    return false;
}

void YLevelTest::Adjust() {
    // Blocks recorded before the last change still carry the old level.
    if (settle_ > 0) {
        --settle_;
        return;
    }
    double a = 0, b = 0;
    mixer_.GetPeaks(a, b);
    const double c = std::max(a, b);
    if (c >= 3.01) {
        if (ko_ > 1) --ko_;
        SetStep(YMixerRole::MasterOut, ko_);
        End(Outcome::Set);
    } else if (c >= 0) {
        End(Outcome::Set);
    } else if (waveUsable_ && kw_ < 30) {
        if (!RaiseAllowed(YMixerRole::Wave, kw_)) End(Outcome::Declined);
    } else if (ko_ < 30) {
        if (!RaiseAllowed(YMixerRole::MasterOut, ko_)) End(Outcome::Declined);
    } else {
        if (wave_) wave_->Stop();
        prompt_.Show(kLevelTestFailed, sonbex::platform::PromptIcon::Error);
        End(Outcome::Failed);
    }
}
