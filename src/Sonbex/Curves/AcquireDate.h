#pragma once
// When the data of a set was measured: six uint16 as stored in every native
// curve file (12 bytes). All zero means the time is not known.
// A plain value: safe from any thread.

#include <cstdint>
#include <string>

namespace sonbex::curves {

struct AcquireDate {
    std::uint16_t year = 0;
    std::uint16_t month = 0;  // 1 .. 12
    std::uint16_t day = 0;
    std::uint16_t hour = 0;  // 0 .. 23
    std::uint16_t minute = 0;
    std::uint16_t second = 0;

    bool IsZero() const {
        return year == 0 && month == 0 && day == 0 && hour == 0 && minute == 0 && second == 0;
    }
    bool operator==(const AcquireDate&) const = default;

    // The local time now.
    static AcquireDate Now();
};

inline constexpr std::size_t kAcquireDateSize = 12;

// The date as the information dialog and printouts show it: empty when the
// month is 0 (or no month); with use24Hours "2024-03-07  14:05.09", else
// "Mar 7 2024  02:05.09 pm" (midnight is 12 am, noon 12 pm).
std::string FormatAcquireDate(const AcquireDate& date, bool use24Hours);

}  // namespace sonbex::curves
