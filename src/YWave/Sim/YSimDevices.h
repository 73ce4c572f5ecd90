#pragma once
// Devices under test of the simulated sound card: what sits between the
// card's output and its first input. Each turns the drive signal (full scale
// 1.0) sample by sample into what the input sees.
//
// Threads: a device is used by one thread at a time (the card's owner).

#include "YLib/YBiquad.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class ISimDevice {
public:
    virtual ~ISimDevice() = default;
    virtual double Process(double drive) = 0;
};

// A digital filter of direct form II transposed: b over a (a[0] normalised).
class YSimIir : public ISimDevice {
public:
    YSimIir(std::vector<double> b, std::vector<double> a);
    double Process(double x) override;
    const std::vector<double>& B() const { return b_; }
    const std::vector<double>& A() const { return a_; }

    // The bilinear transform of the analog H(s) = num(s) / den(s)
    // (coefficients by ascending power of s), matched exactly at `prewarpHz`
    // (0: plain transform with 2 * rate).
    static YSimIir FromAnalog(const std::vector<double>& num, const std::vector<double>& den, double rate,
                              double prewarpHz);

private:
    std::vector<double> b_, a_, state_;
};

// A delay of a whole and a fractional number of samples: the fraction by a
// Blackman-windowed sinc of 32 taps centred on the delay (exact below a third
// of the rate; delays under 15 samples lose the taps that would lie ahead).
class YSimDelay {
public:
    explicit YSimDelay(double samples);
    double Process(double x);

private:
    std::vector<double> line_;  // power-of-two ring
    std::size_t mask_ = 0, pos_ = 0;
    long whole_ = 0;
    std::vector<double> taps_;  // empty: whole delay
    long firstTap_ = 0;         // delay of taps_[0] relative to whole_
};

// A plain filter: FIR taps, or a cascade of biquad sections (designed ones,
// or raw {b0, b1, b2, a1, a2} with a0 = 1).
class YSimFilter : public ISimDevice {
public:
    static std::unique_ptr<YSimFilter> Fir(std::vector<double> taps);
    static std::unique_ptr<YSimFilter> Biquads(std::vector<YBiquad> sections);
    static std::unique_ptr<YSimFilter> Biquads(const std::vector<std::vector<double>>& sections);
    double Process(double x) override;

private:
    std::vector<YSimIir> fir_;
    std::vector<YBiquad> sections_;
};

// Gain and delay (samples, fractional allowed).
class YSimGainDelay : public ISimDevice {
public:
    YSimGainDelay(double gain, double delaySamples) : gain_(gain), delay_(delaySamples) {}
    double Process(double x) override { return gain_ * delay_.Process(x); }

private:
    double gain_;
    YSimDelay delay_;
};

// Memoryless polynomial: y = c[0] + c[1] x + c[2] x^2 + ...
class YSimPolynomial : public ISimDevice {
public:
    explicit YSimPolynomial(std::vector<double> coefficients) : c_(std::move(coefficients)) {}
    double Process(double x) override;

private:
    std::vector<double> c_;
};

// A closed-box loudspeaker measured by a microphone: the second-order
// high-pass at fc with Qtc, the distance as delay (speed of sound 343 m/s) and
// 1/r attenuation from 1 m, and the chain's sensitivity: full-scale pressure
// at the microphone per full-scale drive at 1 m.
struct YSimClosedBoxParams {
    double fc = 60.0;
    double qtc = 0.707;
    double distanceM = 1.0;
    double sensitivity = 0.5;
    double speedOfSound = 343.0;
};
class YSimClosedBox : public ISimDevice {
public:
    YSimClosedBox(const YSimClosedBoxParams& p, double rate);
    double Process(double x) override { return gain_ * delay_.Process(highPass_.Process(x)); }

private:
    YBiquad highPass_;
    YSimDelay delay_;
    double gain_;
};

// An impedance jig with a driver's electrical model: Re, Le and the motional
// impedance of the resonance at fs with Qms and Qes, behind the jig's series
// resistor Rs. Constant current: the input sees the driver's voltage,
// drive * Z / (Rs + Z). Constant voltage: it sees the resistor's voltage,
// drive * Rs / (Rs + Z).
struct YSimDriverParams {
    double re = 6.0, le = 0.0005, fs = 40.0, qms = 4.0, qes = 0.5;
};
enum class YSimJigWiring { ConstantCurrent, ConstantVoltage };
class YSimImpedanceJig : public ISimDevice {
public:
    YSimImpedanceJig(const YSimDriverParams& driver, double seriesOhms, YSimJigWiring wiring, double rate);
    double Process(double x) override { return filter_.Process(x); }
    const YSimIir& Filter() const { return filter_; }

private:
    YSimIir filter_;
};
