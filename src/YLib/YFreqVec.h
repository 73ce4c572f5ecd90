#pragma once
// A frequency axis in Hz (ascending unless built descending): linear or
// logarithmic generation, optional snapping to frequencies with a whole number
// of samples per period, and the "Frequency Sweep Table" text file. It stores
// itself as a plain YDoubleVec record (the axis settings are not stored).
//
// Threading: a plain value.

#include "YLib/YDoubleVec.h"

#include <filesystem>
#include <string_view>

class YFreqVec : public YDoubleVec {
public:
    YFreqVec() = default;

    // Linear: n points from f1 to f2. Logarithmic: n points per octave from f1
    // up to exactly f2. descending reverses the axis. Fails (vector emptied) on
    // n <= 0, a non-finite bound, a logarithmic f1 <= 0, or an allocation
    // failure.
    bool Create(double f1, double f2, int n, bool linear, bool descending);

    // Enabling with a rate that is not above 0 clears the snap and fails.
    bool SetPeriodSnap(bool enable, double sampleRate);
    // Above 96 samples per period, f moved to the nearer (by ratio) of the two
    // frequencies with a whole number of samples per period, ties to the lower;
    // f unchanged when snapping is off.
    double Snap(double f) const;

    // The text file: a line "Frequency Sweep Table", then one frequency per
    // line (CR LF). LoadTable takes every line whose leading number is a
    // finite frequency above 0, in file order; lines before the first
    // frequency must begin with "Frequency Sweep Table"; blank lines are
    // ignored. SaveTable fails on an empty vector and writes atomically.
    bool LoadTable(const std::filesystem::path& path);
    // The same from the file's text.
    bool LoadTableText(std::string_view text);
    bool SaveTable(const std::filesystem::path& path) const;

    double SampleRate() const { return sampleRate_; }
    bool SnapToPeriod() const { return snapToPeriod_; }
    bool Linear() const { return linear_; }
    int PointsPerOctave() const { return pointsPerOctave_; }

    static constexpr std::string_view kTableHeader = "Frequency Sweep Table";

private:
    double sampleRate_ = 0.0;
    bool snapToPeriod_ = false;
    bool linear_ = false;
    int pointsPerOctave_ = 0;
};
