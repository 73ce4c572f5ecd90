#pragma once
// Smoothing of a curve on a (normally logarithmic) frequency axis with a width
// of 1/N octave, and the choices the smoothing dialog offers.
//
// Threading: Smooth reads only its arguments; one object may smooth on several
// threads at once (with different value vectors). The fraction and method
// fields are the dialog's choice and belong to its thread.

#include <array>
#include <string_view>

class YDoubleVec;

class YSmooth {
public:
    enum Method { kAbsolute = 0, kAverage = 1, kMedian = 2 };

    virtual ~YSmooth() = default;

    // Smooths values (one per frequency of freqs, positive and ascending) in
    // place over 1/fraction octave. Two passes of anchors half the width
    // apart, the second shifted by a quarter width; each pass reads the curve
    // as it was when the pass began. Absolute keeps the anchors' values and
    // interpolates between them, Average and Median take the mean or median of
    // the points within a half width around each anchor; the first and the
    // last point are anchors of the first pass, the second pass leaves the
    // points before its first and after its last whole step alone, so both
    // ends of the curve are treated alike. Axes finer than the
    // width get two neighbour-mean passes after. Unless plainValues, values are
    // phases in radians: unwrapped first, wrapped again after. An axis with
    // fewer than two distinct frequencies is left as it is. False (values
    // untouched) on unequal lengths, a fraction below 1, an unknown method,
    // frequencies that are not positive and ascending, or an allocation
    // failure.
    bool Smooth(const YDoubleVec& freqs, YDoubleVec& values, int fraction, int method,
                bool plainValues) const;

    // The dialog's choice: N of 1/N octave, and the method.
    int fraction = 3;
    int method = kAverage;

    // The width list; the last entry takes a typed N.
    struct WidthChoice {
        std::string_view caption;
        int fraction;  // 0 for the typed entry
    };
    static constexpr std::array<WidthChoice, 6> kWidthChoices{{{"1 Octave", 1},
                                                               {"1/2 Octave", 2},
                                                               {"1/3 Octave", 3},
                                                               {"1/6 Octave", 6},
                                                               {"1/12 Octave", 12},
                                                               {"1/", 0}}};
    static constexpr std::array<std::string_view, 3> kMethodCaptions{" Absolute", " Average", " Median"};

    // N for a choice of the width list: the fixed widths as listed, the typed
    // entry as typed (read as a decimal number, either decimal mark, truncated)
    // with a value not above 0 taken as 1. An index outside the list gives 1.
    static int FractionFromChoice(int choice, std::string_view typed);

    // Where the dialog keeps the method.
    static constexpr std::string_view kSettingsSection = "Smooth";
    static constexpr std::string_view kMethodValue = "Method";
};
