#include "Platform/NumberText.h"

#include <locale.h>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>

namespace sonbex::platform {

namespace {

std::string ToChars(double value, std::chars_format format, int precision) {
    // Fixed notation of the largest double has 309 digits before the point.
    std::string out(340 + static_cast<std::size_t>(precision), '\0');
    const auto result = precision < 0
                            ? std::to_chars(out.data(), out.data() + out.size(), value)
                            : std::to_chars(out.data(), out.data() + out.size(), value, format, precision);
    out.resize(result.ec == std::errc{} ? static_cast<std::size_t>(result.ptr - out.data()) : 0);
    return out;
}

// The C locale as an object, made once; the process locale is never touched.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

constexpr int kMaxPrecision = 1100;  // beyond every digit a double can have

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

std::string FormatFixed(double value, int precision) {
    return ToChars(value, std::chars_format::fixed, std::clamp(precision, 0, kMaxPrecision));
}

std::string FormatGeneral(double value, int precision) {
    return ToChars(value, std::chars_format::general, std::clamp(precision, 0, kMaxPrecision));
}

std::string FormatShortest(double value) { return ToChars(value, std::chars_format::general, -1); }

std::optional<double> ParseDouble(std::string_view text, DecimalMark mark, std::size_t* consumed) {
    std::string copy(text);  // strtod needs a terminated string
    if (mark == DecimalMark::PointOrComma)
        for (char& c : copy)
            if (c == ',') c = '.';
    const locale_t c = CLocale();
    if (c == static_cast<locale_t>(nullptr)) return std::nullopt;
    char* end = nullptr;
    const double value = strtod_l(copy.c_str(), &end, c);
    if (end == copy.c_str()) return std::nullopt;
    if (consumed) *consumed = static_cast<std::size_t>(end - copy.c_str());
    return value;
}

std::optional<double> ParseDoubleWhole(std::string_view text, DecimalMark mark) {
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    std::size_t used = 0;
    const auto value = ParseDouble(text, mark, &used);
    if (!value) return std::nullopt;
    for (std::size_t i = used; i < text.size(); ++i)
        if (!IsBlank(text[i])) return std::nullopt;
    return value;
}

std::optional<std::int32_t> ParseInt32(std::string_view text, std::size_t* consumed) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const bool negative = i > start && text[start] == '-';
    const std::size_t digits = i;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT32_MAX) + 1) return std::nullopt;
    }
    if (i == digits) return std::nullopt;
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    if (consumed) *consumed = i;
    return static_cast<std::int32_t>(value);
}

}  // namespace sonbex::platform
