#pragma once
// One impedance curve as the Thiele-Small calculation takes it: frequency
// (Hz, ascending), |Z| (ohm) and phase (radians), one value per point; and the
// reader of impedance text tables ("frequency ohms degrees" per line, lines
// beginning with '*' are comments).
// Pure value type and functions; safe from any thread.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::postprocessing {

struct ImpedanceCurve {
    std::vector<double> frequency;
    std::vector<double> magnitude;
    std::vector<double> phase;
    std::size_t Size() const { return frequency.size(); }
    // Same sizes, at least three points, frequencies positive and rising,
    // magnitudes finite and not negative.
    bool IsValid() const;
};

// Reads a text table. Columns are separated by blanks, tabs, ';' or ',' (a
// ',' is never a decimal mark); a phase column missing on every line reads as
// 0. False with `error` naming the line on bad input.
bool ParseImpedanceTable(std::string_view text, ImpedanceCurve& out, std::string& error);
// Reads a text table, or the free-air curve of an impedance curve file
// (.SXZ, recognised by its magic).
bool ReadImpedanceTable(const std::filesystem::path& path, ImpedanceCurve& out, std::string& error);

}  // namespace sonbex::postprocessing
