#pragma once

#include "YLib/IProcess.h"

// Inverts the polarity of every sample while `invert` is set.
class YPhaseRev : public IProcess {
public:
    bool invert = false;

    double Process(double x) override { return invert ? -x : x; }
    void Reset() override {}
    std::size_t ProcessBlock(std::span<const double> in, std::span<double> out) override;
};
