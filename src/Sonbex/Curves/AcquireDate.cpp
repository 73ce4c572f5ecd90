#include "Sonbex/Curves/AcquireDate.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>

namespace sonbex::curves {

AcquireDate AcquireDate::Now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&t, &local)) return {};
    AcquireDate d;
    d.year = static_cast<std::uint16_t>(local.tm_year + 1900);
    d.month = static_cast<std::uint16_t>(local.tm_mon + 1);
    d.day = static_cast<std::uint16_t>(local.tm_mday);
    d.hour = static_cast<std::uint16_t>(local.tm_hour);
    d.minute = static_cast<std::uint16_t>(local.tm_min);
    d.second = static_cast<std::uint16_t>(std::min(local.tm_sec, 59));
    return d;
}

std::string FormatAcquireDate(const AcquireDate& d, bool use24Hours) {
    static constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (d.month == 0 || d.month > 12) return {};
    char text[96];
    if (use24Hours) {
        std::snprintf(text, sizeof text, "%u-%02u-%02u  %02u:%02u.%02u", unsigned(d.year), unsigned(d.month),
                      unsigned(d.day), unsigned(d.hour), unsigned(d.minute), unsigned(d.second));
    } else {
        // 0 is 12 am, 1 .. 11 am, 12 is 12 pm, 13 .. 23 are 1 .. 11 pm.
        const unsigned h = d.hour % 12 == 0 ? 12u : unsigned(d.hour % 12);
        const char* half = d.hour % 24 < 12 ? "am" : "pm";
        std::snprintf(text, sizeof text, "%s %u %u  %02u:%02u.%02u %s", kMonths[d.month - 1], unsigned(d.day),
                      unsigned(d.year), h, unsigned(d.minute), unsigned(d.second), half);
    }
    return text;
}

}  // namespace sonbex::curves
