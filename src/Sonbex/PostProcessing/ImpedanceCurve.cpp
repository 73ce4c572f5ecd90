#include "Sonbex/PostProcessing/ImpedanceCurve.h"

#include "Platform/NumberText.h"
#include "Sonbex/Curves/CurveFiles.h"
#include "Sonbex/Curves/DataSets.h"

#include <cmath>
#include <fstream>
#include <numbers>
#include <system_error>

namespace sonbex::postprocessing {

namespace {
constexpr std::uintmax_t kMaxTableBytes = 64u << 20;

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ';' || c == ',' || c == '\r'; }
}  // namespace

bool ImpedanceCurve::IsValid() const {
    const std::size_t n = frequency.size();
    if (n < 3 || magnitude.size() != n || phase.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (!(frequency[i] > 0) || !std::isfinite(frequency[i])) return false;
        if (i > 0 && !(frequency[i] > frequency[i - 1])) return false;
        if (!(magnitude[i] >= 0) || !std::isfinite(magnitude[i]) || !std::isfinite(phase[i])) return false;
    }
    return true;
}

bool ParseImpedanceTable(std::string_view text, ImpedanceCurve& out, std::string& error) {
    ImpedanceCurve c;
    std::size_t lineNo = 0;
    int withPhase = 0;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        ++lineNo;
        std::size_t at = 0;
        while (at < line.size() && IsSeparator(line[at])) ++at;
        if (at == line.size() || line[at] == '*') continue;
        double v[3] = {0, 0, 0};
        int count = 0;
        while (count < 3) {
            while (at < line.size() && IsSeparator(line[at])) ++at;
            if (at == line.size()) break;
            std::size_t used = 0;
            const auto value = platform::ParseDouble(line.substr(at), platform::DecimalMark::Point, &used);
            if (!value || used == 0) break;
            v[count++] = *value;
            at += used;
            if (at < line.size() && !IsSeparator(line[at])) {
                count = -1;
                break;
            }
        }
        if (count < 2) {
            error = "line " + std::to_string(lineNo) + ": expected frequency, ohms and degrees";
            return false;
        }
        if (count == 3) ++withPhase;
        if (!(v[0] > 0) || !std::isfinite(v[0]) || (!c.frequency.empty() && !(v[0] > c.frequency.back()))) {
            error = "line " + std::to_string(lineNo) + ": frequencies must be positive and rising";
            return false;
        }
        if (!(v[1] >= 0) || !std::isfinite(v[1]) || !std::isfinite(v[2])) {
            error = "line " + std::to_string(lineNo) + ": impedance must be a finite value of at least 0";
            return false;
        }
        c.frequency.push_back(v[0]);
        c.magnitude.push_back(v[1]);
        c.phase.push_back(v[2] * std::numbers::pi / 180.0);
    }
    if (withPhase != 0 && withPhase != static_cast<int>(c.Size())) {
        error = "some lines have no phase column";
        return false;
    }
    if (c.Size() < 3) {
        error = "fewer than three points";
        return false;
    }
    out = std::move(c);
    return true;
}

bool ReadImpedanceTable(const std::filesystem::path& path, ImpedanceCurve& out, std::string& error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        error = "can't read " + path.string();
        return false;
    }
    if (size > kMaxTableBytes) {
        error = path.string() + " is too large for an impedance table";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    if (!in) {
        error = "can't read " + path.string();
        return false;
    }
    if (text.starts_with(curves::kSxzMagic) || text.starts_with(curves::kSxzMagicOld)) {
        // An impedance curve file of this program: its free-air curve.
        curves::ImpedanceSet set;
        if (curves::DecodeSxz(text, set) != curves::DecodeStatus::Ok) {
            error = path.string() + " is a damaged impedance curve file";
            return false;
        }
        ImpedanceCurve c;
        c.frequency.assign(set.frequency.begin(), set.frequency.end());
        c.magnitude.assign(set.magnitude.begin(), set.magnitude.end());
        c.phase.assign(set.phase.begin(), set.phase.end());
        if (!c.IsValid()) {
            error = path.string() + " holds no usable impedance curve";
            return false;
        }
        out = std::move(c);
        return true;
    }
    if (!ParseImpedanceTable(text, out, error)) {
        error = path.string() + ": " + error;
        return false;
    }
    return true;
}

}  // namespace sonbex::postprocessing
