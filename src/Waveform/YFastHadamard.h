#pragma once
// Circular cross-correlation of one recorded MLS period with the sequence,
// computed with a fast Hadamard transform: the period is permuted into
// Hadamard order, transformed in N log N additions, and permuted back.
//
// Threading: Init and Correlate change or read the tables; one thread at a
// time per object. Correlate on a prepared object does not allocate beyond
// its work vector.

#include "YLib/YDoubleVec.h"

#include <cstdint>
#include <vector>

class ICrossCorrelation {
public:
    // Prepares the correlator for the ±1 sequence of `order` (L = 2^order - 1
    // samples).
    virtual bool Init(const YDoubleVec& sequence, int order) = 0;
    // In place: data (at least L samples of one period) becomes its L-sample
    // circular cross-correlation with the sequence, scaled by 4 / L.
    virtual bool Correlate(YDoubleVec& data) = 0;
    virtual ~ICrossCorrelation() = default;
};

class YFastHadamard : public ICrossCorrelation {
public:
    // Orders 2 to 24. False (correlator unprepared) for another order, a
    // sequence shorter than L, or one whose windows are not all distinct
    // (not a maximum-length sequence).
    bool Init(const YDoubleVec& sequence, int order) override;
    // With the sequence itself as data, the result is exactly 4.0 at lag 0
    // and -4/L at every other lag. False when not prepared or data is short.
    bool Correlate(YDoubleVec& data) override;

    int Order() const { return order_; }

private:
    int order_ = 0;
    std::vector<std::uint32_t> tagIn_;   // sequence index -> Hadamard index
    std::vector<std::uint32_t> tagOut_;  // lag -> Hadamard index
    std::vector<double> work_;
};
