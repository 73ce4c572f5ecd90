#pragma once

#include "YLib/IProcess.h"

// Multiplies every sample by a gain factor. The measurement engine sets the
// factor to 10^(dB/20) after construction.
class YGain : public IProcess {
public:
    double gain = 1.0;

    double Process(double x) override { return x * gain; }
    void Reset() override {}
    std::size_t ProcessBlock(std::span<const double> in, std::span<double> out) override;
};
