#pragma once
// The choice the normalisation dialog makes for a curve: level it at a
// frequency (the curve's level there becomes 0 dB) or add an offset in dB.
// Both numbers are kept; the dialog's one field shows the chosen method's.
//
// Threading: a plain value; OffsetDb reads only its arguments.

#include <array>
#include <string_view>

class YDoubleVec;

struct YNormalizeSettings {
    enum Method { kAtFrequency = 0, kAddOffset = 1 };

    int method = kAtFrequency;
    double frequency = 1000.0;  // Hz
    double offset = 0.0;        // dB

    static constexpr std::array<std::string_view, 2> kMethodCaptions{" At Frequency", " Add Offset"};
    static constexpr std::array<std::string_view, 2> kFieldLabels{"Frequency (Hz)", "Add Offset (dB)"};

    // The field of the chosen method (an unknown method counts as the first).
    std::string_view FieldLabel() const { return kFieldLabels[method == kAddOffset ? 1 : 0]; }
    double FieldValue() const { return method == kAddOffset ? offset : frequency; }
    void SetFieldValue(double x) { (method == kAddOffset ? offset : frequency) = x; }

    // The offset in dB to add to a curve of dB levels (frequencies positive
    // and ascending): minus its level at the frequency (interpolated linearly
    // in log f), or the offset. False on unequal lengths, an empty or
    // unsorted curve, a frequency outside the curve, or an unknown method.
    bool OffsetDb(const YDoubleVec& freqs, const YDoubleVec& levelsDb, double& out) const;

    // Where the dialog keeps its choice.
    static constexpr std::string_view kSettingsSection = "Normalize";
    static constexpr std::string_view kFrequencyValue = "Freq";  // float64
    static constexpr std::string_view kOffsetValue = "Add";      // float64
    static constexpr std::string_view kMethodValue = "Method";   // int32
};
