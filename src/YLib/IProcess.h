#pragma once

#include <algorithm>
#include <cstddef>
#include <span>

// A sample-by-sample processing block of an output chain (gain, polarity,
// delay, filter sections). The measurement engine strings blocks into one
// chain per output channel and runs every sample of the stimulus through it.
//
// Threading: a block is used by one thread at a time; distinct blocks are
// independent.
class IProcess {
public:
    // Consumes one input sample and returns one output sample. Never
    // allocates.
    virtual double Process(double x) = 0;

    // Clears the block's memory (filter state, delay line); blocks without
    // memory do nothing.
    virtual void Reset() = 0;

    virtual ~IProcess() = default;

    // Runs the first min(in.size(), out.size()) samples through the block,
    // as that many calls of Process would, and returns that count. in and
    // out may be the same memory (in place) but must not overlap otherwise.
    // Never allocates; blocks override it with a loop free of virtual calls.
    virtual std::size_t ProcessBlock(std::span<const double> in, std::span<double> out) {
        const std::size_t n = std::min(in.size(), out.size());
        for (std::size_t i = 0; i < n; ++i) out[i] = Process(in[i]);
        return n;
    }
};
