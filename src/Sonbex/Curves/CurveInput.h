#pragma once
// How analyzers, calculators and importers hand a result to a frequency
// curve set: ten vectors, any of which may be absent. The vectors belong to
// the caller and must outlive the call they are passed to.

#include "YLib/YDoubleVec.h"

namespace sonbex::curves {

struct CurveInput {
    const YDoubleVec* frequency = nullptr;      // Hz
    const YDoubleVec* magnitude = nullptr;      // dB
    const YDoubleVec* phase = nullptr;          // radians
    const YDoubleVec* minPhase = nullptr;       // radians
    const YDoubleVec* groupDelay = nullptr;     // seconds
    const YDoubleVec* minGroupDelay = nullptr;  // seconds
    const YDoubleVec* thd = nullptr;            // percent
    const YDoubleVec* thdN = nullptr;           // percent
    const YDoubleVec* h2 = nullptr;             // percent
    const YDoubleVec* h3 = nullptr;             // percent
};

}  // namespace sonbex::curves
