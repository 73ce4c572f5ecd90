#pragma once
// The calibration correction source handed to the stimulus modules: the
// linearity calibration of the sound card implements it. A module that
// applies a compensation asks it for a spectrum of 2^order bins.
//
// Threading: called from the thread that runs the analysis; implementations
// hand out immutable snapshots and must be safe to call from there.

class YComplexVec;

class ICalibration {
public:
    virtual ~ICalibration() = default;
    // Fills `out` with the compensation spectrum of 2^order bins (bin i at
    // i·sampleRate/2^order); false when there is none. `flags` is passed as the
    // analysis asks (1 from the impulse-response modules, 0 from the sweep).
    virtual bool CompensationSpectrum(int order, int flags, YComplexVec& out) = 0;
};
