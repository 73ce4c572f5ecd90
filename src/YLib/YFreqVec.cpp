#include "YLib/YFreqVec.h"

#include "YLib/YFile.h"
#include "YLib/YMath.h"
#include "YLib/YText.h"

#include <cmath>
#include <limits>
#include <vector>

bool YFreqVec::Create(double f1, double f2, int n, bool linear, bool descending) {
    linear_ = linear;
    pointsPerOctave_ = linear ? 0 : n;
    const auto fail = [this] {
        Resize(0);
        return false;
    };
    if (n <= 0 || !std::isfinite(f1) || !std::isfinite(f2)) return fail();
    if (linear) {
        if (!Resize(n, true)) return fail();
        const double step = n > 1 ? (f2 - f1) / (n - 1) : 0.0;
        double f = f1;
        for (int i = 0; i < n; ++i, f += step) Data()[i] = Snap(f);
    } else {
        if (f1 <= 0.0) return fail();
        const double octaves = f1 < f2 ? std::log2(f2 / f1) : 0.0;
        const double points = std::round(octaves * n) + 8;  // half away from zero
        if (points > double(std::numeric_limits<int>::max()) || !Resize(int(points), true)) return fail();
        const double ratio = std::pow(2.0, 1.0 / n);
        double f = f1;
        for (int i = 0;; ++i) {
            if (f >= f2) f = f2;
            // The margin of 8 points covers rounding; grow should it not.
            if (i == Size() && !Resize(i + 8, true)) return fail();
            Data()[i] = Snap(f);
            if (f == f2) {
                Resize(i + 1);
                break;
            }
            f *= ratio;
        }
    }
    if (descending) Reverse();
    return true;
}

bool YFreqVec::SetPeriodSnap(bool enable, double sampleRate) {
    sampleRate_ = sampleRate;
    snapToPeriod_ = enable && sampleRate > 0.0;
    return !enable || snapToPeriod_;
}

double YFreqVec::Snap(double f) const {
    if (!snapToPeriod_) return f;
    const double r = sampleRate_ / f;
    if (!(r > 96.0) || !std::isfinite(r)) return f;
    const double up = sampleRate_ / std::floor(r);
    const double down = sampleRate_ / std::ceil(r);
    return f / down <= up / f ? down : up;
}

bool YFreqVec::LoadTable(const std::filesystem::path& path) {
    YFile file;
    // A sweep table is a few kilobytes; refuse anything absurdly large.
    constexpr std::uint64_t kMaxTableBytes = 64u << 20;
    if (path.empty() || !file.Open(path, false) || file.Remaining() > kMaxTableBytes) return false;
    std::string text(file.Remaining(), '\0');
    if (file.Read(text.data(), 1, text.size()) != text.size()) return false;
    return LoadTableText(text);
}

bool YFreqVec::LoadTableText(std::string_view text) {
    std::vector<double> values;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (SkipBlanks(line).empty()) continue;
        const double f = ParseNumber(line);
        if (f > 0.0 && std::isfinite(f))
            values.push_back(f);
        else if (values.empty() && !line.starts_with(kTableHeader))
            return false;
    }
    if (values.empty() || values.size() > std::size_t(std::numeric_limits<int>::max()) ||
        !Resize(int(values.size()), false))
        return false;
    std::copy(values.begin(), values.end(), Data());
    const double octaves = std::log2(Max() / Min());
    const double perOctave = octaves > 0.0 ? std::trunc(Size() / octaves) : 0.0;
    pointsPerOctave_ = int(std::min(perOctave, double(std::numeric_limits<int>::max())));
    return true;
}

bool YFreqVec::SaveTable(const std::filesystem::path& path) const {
    if (Empty()) return false;
    YFile file;
    if (!file.Open(path, true)) return false;
    std::string text(kTableHeader);
    text += "\r\n";
    for (double f : *this) {
        text += FormatFrequency(f);
        text += "\r\n";
    }
    if (!file.WriteText(text)) {
        file.Abandon();
        return false;
    }
    return file.Close();
}
