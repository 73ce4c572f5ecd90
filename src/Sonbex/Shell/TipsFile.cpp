#include "Sonbex/Shell/TipsFile.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace sonbex::shell {

std::vector<std::string> ParseTips(std::string_view text) {
    std::vector<std::string> tips;
    while (!text.empty() && tips.size() < kMaxTips) {
        std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) continue;
        line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        if (line.size() > kMaxTipLength) {
            std::size_t n = kMaxTipLength;
            while (n > 0 && (static_cast<unsigned char>(line[n]) & 0xC0) == 0x80) --n;
            line = line.substr(0, n);
        }
        tips.emplace_back(line);
    }
    return tips;
}

std::vector<std::string> LoadTips(const std::filesystem::path& file) {
    // Every tip with its line end, plus room for blank lines between them.
    constexpr std::size_t kMaxBytes = 4 * kMaxTips * (kMaxTipLength + 2);
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) return {};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string text(static_cast<std::size_t>(std::min<std::uintmax_t>(size, kMaxBytes)), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return ParseTips(text);
}

std::optional<std::size_t> TipToShow(std::int32_t storedIndex, std::size_t tipCount) {
    if (tipCount == 0) return std::nullopt;
    if (storedIndex < 0) return 0;
    return static_cast<std::size_t>(storedIndex) % tipCount;
}

std::int32_t NextTipIndex(std::size_t shown, std::size_t tipCount) {
    if (tipCount == 0) return 0;
    return static_cast<std::int32_t>((shown + 1) % tipCount);
}

}  // namespace sonbex::shell
