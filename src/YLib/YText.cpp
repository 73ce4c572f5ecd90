#include "YLib/YText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

std::string FormatFixed(double x, int precision) {
    precision = std::clamp(precision, 0, 340);
    if (std::isnan(x)) return std::signbit(x) ? "-nan" : "nan";  // as glibc printf writes them
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, precision);
    if (result.ec != std::errc()) return {};
    return std::string(buffer, result.ptr);
}

std::string Utf8FromWindows1252(std::string_view text) {
    // Code points of 0x80-0x9F; 0xFFFD where Windows-1252 defines none.
    static constexpr char16_t kHigh[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                           0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const unsigned byte = static_cast<unsigned char>(c);
        const unsigned code = byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

std::string FormatTrimmed(double x, int precision, bool trim) {
    std::string text = FormatFixed(x, precision);
    if (trim && text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    return text;
}

int FrequencyPrecision(double x) {
    if (x < 1.0) return 6;
    if (x < 10.0) return 5;
    if (x < 100.0) return 4;
    if (x < 1000.0) return 3;
    if (x < 10000.0) return 2;
    if (x < 100000.0) return 1;
    return 0;
}

std::string FormatFrequency(double x) { return FormatFixed(x, FrequencyPrecision(x)); }

std::string FormatColumn(double x, bool signedColumn) {
    std::string text = FormatFixed(x, 4);
    if (signedColumn && text[0] != '-') text.insert(text.begin(), ' ');
    if (text.size() < 9) text.append(9 - text.size(), ' ');
    return text;
}

std::string ShortenPath(std::string_view path, bool keepParent) {
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    const std::size_t count = std::size_t(std::count_if(path.begin(), path.end(), isSeparator));
    if (count < 2) return std::string(path);
    const std::size_t first = path.find_first_of("\\/");
    std::size_t tail = path.find_last_of("\\/");
    if (keepParent) tail = path.find_last_of("\\/", tail - 1);
    std::string out(path.substr(0, first + 1));
    out += "...";
    out += path.substr(tail);
    return out;
}

std::filesystem::path PathFromStored(std::string_view stored) {
    std::string text(stored);
    std::replace(text.begin(), text.end(), '\\', '/');
    return std::filesystem::path(text);
}

bool EnsureDirectory(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return true;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

void Prepend(std::string& buffer, std::string_view text) { buffer.insert(0, text); }

std::string TrimRight(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return std::string(text.substr(0, end));
}

namespace {

std::string_view LeadingBlanksSkipped(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    return text.substr(start);
}

// The length of the token at the start of text (no leading blanks).
std::size_t TokenLength(std::string_view text) {
    if (!text.empty() && text[0] == '"') {
        const std::size_t close = text.find('"', 1);
        return close == std::string_view::npos ? text.size() : close + 1;
    }
    std::size_t n = 0;
    while (n < text.size() && !IsBlank(text[n])) ++n;
    return n;
}

}  // namespace

std::string SkipBlanks(std::string_view text) { return std::string(LeadingBlanksSkipped(text)); }

std::string StripAfter(std::string_view text, std::string_view charset) {
    text = LeadingBlanksSkipped(text);
    const std::size_t cut = text.find_first_of(charset);
    if (cut != std::string_view::npos) text = text.substr(0, cut);
    return TrimRight(text);
}

int CountTokens(std::string_view text) {
    int count = 0;
    for (text = LeadingBlanksSkipped(text); !text.empty(); text = LeadingBlanksSkipped(text)) {
        ++count;
        text.remove_prefix(TokenLength(text));
    }
    return count;
}

std::string NextToken(std::string_view text, std::string_view* rest) {
    text = LeadingBlanksSkipped(text);
    const std::size_t length = TokenLength(text);
    std::string_view token = text.substr(0, length);
    if (!token.empty() && token[0] == '"') {
        token.remove_prefix(1);
        if (!token.empty() && token.back() == '"') token.remove_suffix(1);
    }
    if (rest) *rest = LeadingBlanksSkipped(text.substr(length));
    return std::string(token);
}

std::string ConsumeToken(std::string& text) {
    std::string_view rest;
    std::string token = NextToken(text, &rest);
    text = std::string(rest);
    return token;
}
