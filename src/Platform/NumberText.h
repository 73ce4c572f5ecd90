#pragma once
// Numbers as text, independent of the user's locale: always '.' as decimal
// mark and the C library's rules, whatever locale the process or Qt has set.
// Pure functions, safe from any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sonbex::platform {

// As printf "%.*f": FormatFixed(2.5, 3) == "2.500"; "inf", "-inf", "nan".
std::string FormatFixed(double value, int precision);
// As printf "%.*g" ("%lg" is precision 6).
std::string FormatGeneral(double value, int precision = 6);
// The shortest text that reads back as exactly the same double ("0.1", "1e-300").
std::string FormatShortest(double value);

enum class DecimalMark {
    Point,         // only '.' is a decimal mark
    PointOrComma,  // every ',' counts as '.' ("12,5" reads 12.5)
};

// As C strtod/atof: skips leading blanks, reads the longest leading number
// (decimal, hexadecimal, "inf", "nan") and ignores the rest. Empty when no
// number starts the text. `consumed`, when given, receives the characters used
// (leading blanks included).
std::optional<double> ParseDouble(std::string_view text, DecimalMark mark = DecimalMark::Point,
                                  std::size_t* consumed = nullptr);
// As ParseDouble, but the whole text (blanks around allowed) must be the number.
std::optional<double> ParseDoubleWhole(std::string_view text, DecimalMark mark = DecimalMark::Point);

// As C atoi with a range check: leading blanks, optional sign, decimal digits,
// the rest ignored. Empty when no digits start the text or the value does not
// fit in 32 bits.
std::optional<std::int32_t> ParseInt32(std::string_view text, std::size_t* consumed = nullptr);

}  // namespace sonbex::platform
