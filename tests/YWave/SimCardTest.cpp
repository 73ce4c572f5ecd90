// The simulated card's signal path and its devices under test, against
// analytic responses.

#include "YWave/Sim/YSimCard.h"
#include "YWave/Sim/YSimDevices.h"
#include "YWave/YMemWave.h"
#include "YWave/YWaveDevices.h"
#include "YWave/YWaveSample.h"

#include "Platform/MessageLoop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

// The digital filter's response at `hz`.
Complex Response(const YSimIir& f, double hz, double rate) {
    const Complex z1 = std::polar(1.0, -2.0 * kPi * hz / rate);  // z^-1
    Complex num = 0, den = 0, p = 1;
    for (std::size_t i = 0; i < f.B().size(); ++i, p *= z1) {
        num += f.B()[i] * p;
        den += f.A()[i] * p;
    }
    return num / den;
}

// The bilinear transform maps analog w to digital frequency 2 atan(w / K).
double AnalogOf(double hz, double rate, double prewarpHz) {
    const double k = 2.0 * kPi * prewarpHz / std::tan(kPi * prewarpHz / rate);
    return k * std::tan(kPi * hz / rate);
}

// Measured complex gain of a device at `hz`: a sine through it, correlated
// over whole periods after it has settled.
Complex Measure(ISimDevice& d, double hz, double rate) {
    const int settle = static_cast<int>(rate), n = static_cast<int>(rate);
    Complex acc = 0;
    for (int i = 0; i < settle + n; ++i) {
        const double phase = 2.0 * kPi * hz * i / rate;
        const double y = d.Process(std::cos(phase));
        if (i >= settle) acc += y * std::polar(1.0, -phase);
    }
    return 2.0 * acc / static_cast<double>(n);
}

}  // namespace

TEST(SimDevices, ImpedanceJigFollowsTheDriversElectricalModel) {
    const YSimDriverParams d{6.2, 0.0008, 38.0, 3.5, 0.45};
    constexpr double kRate = 48000, kRs = 1000.0;
    auto z = [&](double w) {
        const Complex s(0, w);
        const double ws = 2 * kPi * d.fs, res = d.re * d.qms / d.qes;
        const Complex motional = res * (s / (d.qms * ws)) / (s * s / (ws * ws) + s / (d.qms * ws) + 1.0);
        return d.re + s * d.le + motional;
    };
    struct Case {
        const char* name;
        YSimJigWiring wiring;
    } cases[] = {{"constant current", YSimJigWiring::ConstantCurrent},
                 {"constant voltage", YSimJigWiring::ConstantVoltage}};
    for (const Case& c : cases) {
        const YSimImpedanceJig jig(d, kRs, c.wiring, kRate);
        for (double hz : {10.0, 38.0, 100.0, 1000.0, 10000.0}) {
            const Complex zz = z(AnalogOf(hz, kRate, d.fs));
            const Complex want =
                c.wiring == YSimJigWiring::ConstantCurrent ? zz / (kRs + zz) : kRs / (kRs + zz);
            const Complex got = Response(jig.Filter(), hz, kRate);
            EXPECT_NEAR(std::abs(got - want), 0.0, 1e-9 * std::abs(want)) << c.name << " at " << hz << " Hz";
        }
    }
    // At resonance the driver is Re + Res (plus the coil's small reactance).
    const YSimImpedanceJig cc(YSimDriverParams{6.0, 0.0, 40.0, 4.0, 0.5}, kRs, YSimJigWiring::ConstantCurrent,
                              kRate);
    const double zPeak = 6.0 + 6.0 * 4.0 / 0.5;
    EXPECT_NEAR(std::abs(Response(cc.Filter(), 40.0, kRate)), zPeak / (kRs + zPeak), 1e-12);
}

TEST(SimDevices, ClosedBoxIsASecondOrderHighPassWithDelayAndSensitivity) {
    constexpr double kRate = 48000;
    const YSimClosedBoxParams p{55.0, 0.9, 0.343 * 2, 0.4};  // 2 ms: 96 samples
    YSimClosedBox box(p, kRate);
    for (double hz : {20.0, 55.0, 200.0, 2000.0}) {
        const double w = AnalogOf(hz, kRate, p.fc), wc = 2 * kPi * p.fc;
        const Complex s(0, w);
        const Complex hp = s * s / (s * s + s * wc / p.qtc + wc * wc);
        const Complex want = p.sensitivity / p.distanceM * hp * std::polar(1.0, -2 * kPi * hz * 96 / kRate);
        const Complex got = Measure(box, hz, kRate);
        EXPECT_NEAR(std::abs(got - want), 0.0, 1e-6) << hz << " Hz";
    }
    // At fc the high-pass has magnitude Qtc.
    YSimClosedBox unit(YSimClosedBoxParams{55.0, 0.9, 1.0, 1.0}, kRate);
    EXPECT_NEAR(std::abs(Measure(unit, 55.0, kRate)), 0.9, 1e-6);
}

TEST(SimDevices, FractionalDelayAndPlainDevices) {
    constexpr double kRate = 48000;
    for (double delay : {0.0, 3.0, 20.25, 20.5, 100.75}) {
        YSimGainDelay d(0.5, delay);
        for (double hz : {100.0, 3000.0, 12000.0}) {
            const Complex want = 0.5 * std::polar(1.0, -2 * kPi * hz * delay / kRate);
            EXPECT_NEAR(std::abs(Measure(d, hz, kRate) - want), 0.0, 2e-4)
                << delay << " samples at " << hz << " Hz";
        }
    }
    YSimPolynomial poly({0.1, 1.0, 0.0, -0.25});
    EXPECT_DOUBLE_EQ(poly.Process(0.5), 0.1 + 0.5 - 0.25 * 0.125);
    auto fir = YSimFilter::Fir({0.5, 0.25});
    EXPECT_EQ(fir->Process(1.0), 0.5);
    EXPECT_EQ(fir->Process(0.0), 0.25);
    // One section y = x + 0.5 y[-1]: impulse response 1, 0.5, 0.25.
    auto iir = YSimFilter::Biquads({{1.0, 0.0, 0.0, -0.5, 0.0}});
    EXPECT_EQ(iir->Process(1.0), 1.0);
    EXPECT_EQ(iir->Process(0.0), 0.5);
    EXPECT_EQ(iir->Process(0.0), 0.25);
}

namespace {

// Records `blocks` blocks of the card in the simultaneous mode, playing
// `drive` (full scale) on output 1.
struct Recording {
    std::vector<double> in1, in2;
};
Recording Record(YSimCard& card, int bits, int blocks, const std::function<double(long)>& drive) {
    sonbex::platform::MessageLoop loop;
    YMemWave wave(loop, card);
    Recording r;
    constexpr int kFrames = 256;
    int calls = 0;
    const int step = YBytesPerSample(bits);
    wave.Create(
        [&](const std::uint8_t* in, std::uint8_t* out, int frames) {
            for (int f = 0; f < frames; ++f) {
                double a, b;
                YSampleToReal(YSampleToReal(in + 2 * step * f, bits, a), bits, b);
                r.in1.push_back(a);
                r.in2.push_back(b);
                // This block plays two blocks from now.
                const double v = drive(static_cast<long>(calls + 2) * frames + f);
                YRealToSample(0.0, bits, YRealToSample(v, bits, out + 2 * step * f));
            }
            return ++calls < blocks;
        },
        {});
    wave.SetBuffers(4, kFrames, -1);
    EXPECT_TRUE(wave.OpenDuplex(bits, 2, 2, 48000));
    EXPECT_TRUE(wave.Start());
    for (int i = 0; i < 10000 && wave.IsRunning(); ++i) loop.RunUntilIdle();
    return r;
}

double Rms(const std::vector<double>& v, std::size_t from) {
    double s = 0;
    for (std::size_t i = from; i < v.size(); ++i) s += v[i] * v[i];
    return std::sqrt(s / static_cast<double>(v.size() - from));
}

}  // namespace

TEST(SimCard, InputsCarryOffsetNoiseClippingAndQuantisation) {
    auto sine = [](long n) { return 0.9 * std::sin(2 * kPi * 1000.0 * static_cast<double>(n) / 48000.0); };
    {
        YSimCard card;
        card.Config().dcOffset = {0.01, -0.02};
        card.Config().noiseRms = {0.001, 0.0};
        const Recording r = Record(card, 24, 40, [](long) { return 0.0; });
        double mean1 = 0;
        for (double v : r.in1) mean1 += v;
        mean1 /= static_cast<double>(r.in1.size());
        EXPECT_NEAR(mean1, 0.01, 1e-4);
        EXPECT_NEAR(r.in2[100], -0.02, 1e-6);
        std::vector<double> centred = r.in1;
        for (double& v : centred) v -= 0.01;
        EXPECT_NEAR(Rms(centred, 0), 0.001, 1e-4);
        YSimCard same;
        same.Config() = card.Config();
        EXPECT_EQ(Record(same, 24, 40, [](long) { return 0.0; }).in1, r.in1) << "seeded noise repeats";
        same.Config().seed = 2;
        EXPECT_NE(Record(same, 24, 40, [](long) { return 0.0; }).in1, r.in1);
    }
    {
        YSimCard card;
        card.Config().clipHigh = 0.5;  // one-sided
        const Recording r = Record(card, 16, 20, sine);
        double hi = -1, lo = 1;
        for (double v : r.in1) hi = std::max(hi, v), lo = std::min(lo, v);
        EXPECT_EQ(hi, 0.5);
        EXPECT_NEAR(lo, -0.9, 1e-3);
    }
    {
        YSimCard card;
        const Recording r = Record(card, 8, 20, sine);
        for (double v : r.in1) ASSERT_EQ(v * 128, std::round(v * 128)) << "8-bit codes";
        YSimCard loud;
        const Recording clipped = Record(loud, 16, 20, [](long n) { return n % 2 ? 1.5 : -1.5; });
        for (std::size_t n = 1000; n < clipped.in2.size(); ++n)
            ASSERT_TRUE(clipped.in2[n] == -1.0 || clipped.in2[n] == 32767.0 / 32768.0)
                << "code range at " << n;
    }
    {
        YSimCard card;
        card.Config().swapInputs = true;
        card.Config().deviceUnderTest = [](double) { return std::make_unique<YSimGainDelay>(0.5, 0.0); };
        const Recording r = Record(card, 24, 20, sine);
        const std::size_t n = r.in1.size() - 1;
        EXPECT_NEAR(r.in2[n], 0.5 * r.in1[n], 1e-6)
            << "inputs exchanged: the device under test is on input 2";
        EXPECT_NE(r.in1[n], 0.0);
    }
}

TEST(SimCard, FractionalLatencyDelaysBothInputs) {
    YSimCard card;
    card.Config().latencySamples = 40.5;
    auto sine = [](long n) { return 0.5 * std::sin(2 * kPi * 750.0 * static_cast<double>(n) / 48000.0); };
    const Recording r = Record(card, 32, 30, sine);
    for (std::size_t n = 2000; n < r.in2.size(); n += 111) {
        const double want = 0.5 * std::sin(2 * kPi * 750.0 * (static_cast<double>(n) - 40.5) / 48000.0);
        EXPECT_NEAR(r.in2[n], want, 1e-4) << n;
        EXPECT_NEAR(r.in1[n], want, 1e-4) << n;
    }
}

TEST(SimCard, JoinsTheSystemsDeviceList) {
    YSimCard sim;
    YSimCard other;
    YWaveDevices devices({&other, &sim});
    const auto all = devices.Devices();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].name, "Simulated sound card");
    EXPECT_EQ(all[1].index, 1);
    EXPECT_EQ(devices.Find("1"), 1);
    EXPECT_EQ(devices.Find("Simulated sound card"), 0);  // the first of the two
    EXPECT_EQ(devices.Find("default"), -1);
    EXPECT_EQ(devices.Find("7"), -2);
    EXPECT_EQ(devices.Find("no such card"), -2);
    sim.Config().rates = {96000};
    EXPECT_TRUE(devices.CanOpen(YWaveDirection::Record, 1, 96000, 24, 2));
    EXPECT_FALSE(devices.CanOpen(YWaveDirection::Record, 1, 48000, 24, 2));
    EXPECT_FALSE(devices.CanOpen(YWaveDirection::Record, 2, 96000, 24, 2));
}

TEST(SimCard, ReportsABlockDoneOnlyOnceTheNextOneHasStarted) {
    // A device with a buffer: a played block is reported done once the next
    // one is playing; a block that ends with nothing queued after it is an
    // underrun, reported instead of its completion (as ALSA does).
    for (const int queued : {1, 2, 3}) {
        sonbex::platform::MessageLoop loop;
        sonbex::platform::RunGeneration run;
        int done = 0, failures = 0, doneAtFailure = -1;
        const auto handler = loop.AddHandler([&](const sonbex::platform::Message& m) {
            if (m.id == kWaveOutputDone) ++done;
            if (m.id == kWaveStreamFailed) {
                ++failures;
                doneAtFailure = done;
                EXPECT_EQ(m.wparam, static_cast<std::intptr_t>(YWaveFault::LateOutput));
            }
        });
        YSimCard card;
        YWaveStreamSetup setup;
        setup.play = true;
        setup.outChannels = 1;
        setup.outBlockFrames = 16;
        std::string error;
        auto stream = card.Open(setup, YWaveStreamTarget{&loop, handler, &run, run.Current()}, error);
        ASSERT_TRUE(stream) << error;
        const std::vector<std::uint8_t> block(32, 0);
        for (int k = 0; k < queued; ++k) ASSERT_TRUE(stream->QueueOutput(block.data(), 16));
        ASSERT_TRUE(stream->Start());
        loop.RunUntilIdle();
        EXPECT_EQ(failures, 1) << queued << " blocks";
        EXPECT_EQ(doneAtFailure, queued - 1) << queued << " blocks: the last one never had a successor";
        EXPECT_NE(stream->Error().find("too late"), std::string::npos) << stream->Error();
    }
}
