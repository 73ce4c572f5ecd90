#pragma once
// The impedance calculator: turns the two recorded channels of an impedance
// measurement into |Z| (ohm) and phase (radians) for the jig in use, applies
// the impedance calibration of the exact analysis setting, and writes, finds
// and reads the calibration files (".zcl": int32 n, then n float32 triples
// of frequency, magnitude factor and phase offset, ascending in frequency).
//
// Jigs: the measurement box's own circuit (Z = k A/B, k 87.037037 for box 1,
// 68 for boxes 2 and 3; box 3 adds pi to the phase), constant current
// (Z = R1 B/(A - B)) and constant voltage (Z = R2 (A/d - B)/B), with A the
// measured and B the reference channel.
//
// Calibration files live in <per-user data folder>/Calibration and are named
// by the set-up and by every analysis value that changes the result, so a
// calibration belongs to one exact setting. Files are written atomically and
// read with their count checked against the file size.
//
// Const operations; safe from several threads on one object except writes of
// the same calibration.

#include "Platform/AtomicFile.h"
#include "Platform/Paths.h"

#include <filesystem>
#include <string>
#include <vector>

namespace sonbex::postprocessing {

// The impedance fields of the measurement settings.
struct ImpedanceSetup {
    int measurementBox = 0;  // 0 none, 1..3
    int method = 0;          // 0 built into the box, 1 constant current, 2 constant voltage
    double r1 = 0;           // constant-current series resistor, ohm
    double r2 = 0;           // constant-voltage series resistor, ohm
    double divider = 0;      // constant-voltage divider ratio d
};

// The analysis values a calibration is bound to.
struct CalibrationSetting {
    bool stimulusKnown = true;  // the stimulus registry knows the module
    int stimulusId = 0;
    int inputDevice = 0;
    int outputDevice = 0;
    double sampleRate = 48000;
    int bitsPerSample = 16;
    int fftWindow = 0;
    bool halfWindow = false;
    double timeWindowMs = 0;
    int fftSize = -1;  // -1 Auto
    double startHz = 0;
    double stopHz = 0;
    int pointsPerOctave = 0;
    bool linearSweep = false;
    int linearPoints = 0;
    bool logAxis = true;
};

struct CalibrationPoint {
    double frequency = 0;
    double factor = 1;
    double phaseOffset = 0;
};

// <per-user data folder>/Calibration, where the calibrations are kept.
std::filesystem::path CalibrationFolder(const platform::Paths& paths);

class YImpedanceCalc {
public:
    YImpedanceCalc(ImpedanceSetup setup, CalibrationSetting setting, std::filesystem::path calibrationDir);
    virtual ~YImpedanceCalc() = default;

    // On entry magnitude/phase hold the measured channel, refMagnitude/refPhase
    // the reference (linear, radians); on success magnitude and phase hold Z.
    // False, with nothing changed, when the set-up is unusable (method 0
    // without a box, an unknown method, a resistor or ratio not positive) or
    // the sizes differ. A calibration missing or unreadable leaves Z
    // uncalibrated.
    bool ComputeImpedance(const std::vector<double>& frequency, std::vector<double>& magnitude,
                          std::vector<double>& phase, const std::vector<double>& refMagnitude,
                          const std::vector<double>& refPhase, bool applyCalibration, bool lcr) const;

    // The calibration file of the current setting; empty when there is none.
    std::filesystem::path CalibrationPath(bool lcr) const;
    bool CalibrationExists(bool lcr) const;
    // From a measurement of a known resistor R: factors R/|Z| and phase
    // offsets. False (no file changed) when R or any |Z| is not positive and
    // finite, the sizes differ, or the file cannot be written.
    bool WriteCalibration(const std::vector<double>& frequency, const std::vector<double>& magnitude,
                          const std::vector<double>& phase, double resistance, double* averageFactor,
                          bool lcr, const platform::AtomicWriteOptions& options = {}) const;
    // False when there is no file, it is short, or it holds no records.
    bool ReadCalibration(std::vector<CalibrationPoint>& table, bool lcr) const;

    // Factor and offset at f: the first record below the table, the last above
    // it, else interpolated over log frequency.
    static CalibrationPoint CalibrationAt(const std::vector<CalibrationPoint>& table, double f);
    static bool ParseCalibration(std::string_view bytes, std::vector<CalibrationPoint>& table);

private:
    ImpedanceSetup setup_;
    CalibrationSetting setting_;
    std::filesystem::path dir_;
};

}  // namespace sonbex::postprocessing
