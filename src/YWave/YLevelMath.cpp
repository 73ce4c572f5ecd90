#include "YWave/YLevelMath.h"

#include "Platform/NumberText.h"
#include "YWave/YWaveSample.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

double YDbToGain(double db) {
    const double e = db / 20.0 * std::numbers::ln10;
    if (e == 0.0) return 1.0;
    if (e > 30.0) return 1.0686474e13;
    if (e < -87.4982335338 || std::isnan(e)) return 1e-38;
    return std::exp(e);
}

double YGainToDb(double value) {
    if (!(value >= 1e-38)) value = 1e-38;
    return 20.0 * std::log10(value);
}

std::string YTrimmedNumber(double value, int decimals) {
    std::string s = sonbex::platform::FormatFixed(value, decimals);
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

std::string YFormatOutputLevel(double volts, int unit) {
    switch (unit) {
        case kUnitMilliVolt:
            return YTrimmedNumber(volts * 1000.0, 2) + " mV";
        case kUnitDbV:
            return YTrimmedNumber(YGainToDb(volts), 2) + " dBV";
        case kUnitDbu:
            return YTrimmedNumber(YGainToDb(volts / kVoltsAtZeroDbu), 2) + " dBu";
        default:
            return YTrimmedNumber(volts, 4) + " V";
    }
}

bool YParseOutputLevel(const std::string& text, int& unit, double& volts) {
    std::size_t used = 0;
    const std::optional<double> x =
        sonbex::platform::ParseDouble(text, sonbex::platform::DecimalMark::Point, &used);
    if (!x || !std::isfinite(*x)) return false;
    std::string word;
    for (std::size_t i = used; i < text.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        if (c == ' ' || c == '\t') {
            if (word.empty()) continue;
            break;
        }
        word += c;
    }
    if (!word.empty()) {
        if (word[0] == 'v')
            unit = kUnitVolt;
        else if (word[0] == 'm')
            unit = kUnitMilliVolt;
        else if (word[0] == 'd' && word.size() >= 3 && word[2] == 'v')
            unit = kUnitDbV;
        else if (word[0] == 'd' && word.size() >= 3 && word[2] == 'u')
            unit = kUnitDbu;
    }
    switch (unit) {
        case kUnitMilliVolt:
            volts = *x * 0.001;
            break;
        case kUnitDbV:
            volts = YDbToGain(*x);
            break;
        case kUnitDbu:
            volts = kVoltsAtZeroDbu * YDbToGain(*x);
            break;
        default:
            volts = *x;
    }
    return true;
}

int YSliderVolume(std::uint32_t left, std::uint32_t right, std::uint32_t minimum, std::uint32_t maximum) {
    if (maximum <= minimum) return 0;
    const double v = static_cast<double>(std::clamp(std::max(left, right), minimum, maximum) - minimum);
    return static_cast<int>(std::lround(v / ((maximum - minimum) * 0.001)));
}

int YSliderPan(std::uint32_t left, std::uint32_t right, std::uint32_t minimum, std::uint32_t maximum) {
    if (left == right || maximum <= minimum) return 0;
    const double l = std::clamp(left, minimum, maximum) - minimum;
    const double r = std::clamp(right, minimum, maximum) - minimum;
    if (l > r) return -(1000 - static_cast<int>(std::lround(1000.0 * r / l)));
    return 1000 - static_cast<int>(std::lround(1000.0 * l / r));
}

void YSlidersToLine(int volume, int pan, bool panLocked, std::uint32_t minimum, std::uint32_t maximum,
                    std::uint32_t& left, std::uint32_t& right) {
    volume = std::clamp(volume, 0, 1000);
    pan = panLocked ? 0 : std::clamp(pan, -1000, 1000);
    const int lf = pan > 0 ? 1000 - pan : 1000;
    const int rf = pan < 0 ? 1000 + pan : 1000;
    const double range = maximum > minimum ? static_cast<double>(maximum - minimum) : 0.0;
    auto map = [&](int factor) {
        const double v = volume * 0.001 * factor * 0.001 * range;
        return minimum + static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, static_cast<long>(range)));
    };
    left = map(lf);
    right = map(rf);
}

double YPeakLevel(double maximum, double minimum, bool clipped) {
    if (clipped || maximum >= 1.0 || minimum <= -1.0) return kClippedLevelDb;
    if (maximum < minimum) return YGainToDb(1e-37);  // no samples
    return 20.0 * std::log10(maximum - minimum + 1e-37);
}

void YBlockPeaks::Add(const std::uint8_t* block, int frames, int channels, int bits, double fullScale,
                      bool swap) {
    if (!block || frames < 1 || channels < 1 || !YIsSampleWidth(bits)) return;
    const double top = YSampleMax(bits), bottom = YSampleMin(bits);
    const double s = fullScale > 0 && std::isfinite(fullScale) ? 1.0 / fullScale : 1.0;
    const std::uint8_t* p = block;
    const int step = YBytesPerSample(bits);
    for (int f = 0; f < frames; ++f) {
        double a = 0.0, b = 0.0;
        YSampleToReal(p, bits, a);
        if (channels > 1)
            YSampleToReal(p + step, bits, b);
        else
            b = a;
        p += static_cast<std::size_t>(step) * static_cast<std::size_t>(channels);
        if (swap) std::swap(a, b);
        if (a >= top || a <= bottom) clippedA = true;
        if (b >= top || b <= bottom) clippedB = true;
        a *= s;
        b *= s;
        maxA = std::max(maxA, a);
        minA = std::min(minA, a);
        maxB = std::max(maxB, b);
        minB = std::min(minB, b);
    }
}

void YLevelMeter::Advance(double levelA, double levelB) {
    auto step = [](double& hold, double level) {
        hold = level >= hold ? level : std::max(level, (hold + 180.0) * 0.996 - 180.0);
    };
    step(holdA_, levelA);
    step(holdB_, levelB);
}

YMeterColor YLevelMeter::Background(bool overloaded) {
    return overloaded ? YMeterColor{128, 32, 32} : YMeterColor{0, 0, 32};
}

YMeterColor YLevelMeter::SegmentColor(int db, double level, double hold) {
    if (db <= hold && hold < db + 1) return db >= 0 ? YMeterColor{255, 255, 0} : YMeterColor{220, 220, 0};
    const bool lit = db <= level;
    if (db > 0) return lit ? YMeterColor{255, 0, 0} : YMeterColor{96, 0, 0};
    if (db >= -18) return lit ? YMeterColor{0, 255, 0} : YMeterColor{0, 96, 0};
    return lit ? YMeterColor{0, 255, 255} : YMeterColor{0, 96, 96};
}

namespace {
struct Geometry {
    int left = 0, top = 0, width = 0, height = 0, barWidth = 0, margin = 0;
    double pitch = 0;
};
Geometry Layout(int width, int height) {
    Geometry g;
    g.left = g.top = YLevelMeter::kInset;
    g.width = std::max(0, width - 2 * YLevelMeter::kInset);
    g.height = std::max(0, height - 2 * YLevelMeter::kInset);
    g.margin = std::max(1, g.width / 16);
    g.barWidth = std::max(1, g.width / 4 - 2 * g.margin);
    // Room for the labels under the bars, then one pitch per segment.
    const int labelRoom = std::min(12, g.height / 8);
    g.pitch = (g.height - labelRoom) / static_cast<double>(YLevelMeter::kSegments);
    return g;
}
}  // namespace

std::vector<YMeterSegment> YLevelMeter::Segments(int width, int height, double levelA, double levelB) const {
    const Geometry g = Layout(width, height);
    std::vector<YMeterSegment> out;
    if (g.pitch <= 0) return out;
    const int xs[2] = {g.left + g.margin, g.left + g.width - g.margin - g.barWidth};
    for (int bar = 0; bar < 2; ++bar)
        for (int k = 0; k < kSegments; ++k) {
            const int db = kTopDb - k;
            YMeterSegment s;
            s.bar = bar;
            s.db = db;
            const int y0 = g.top + static_cast<int>(std::floor(k * g.pitch));
            const int y1 = g.top + static_cast<int>(std::floor((k + 1) * g.pitch));
            s.rect = {xs[bar], y0, g.barWidth, std::max(1, y1 - y0 - (g.pitch >= 3 ? 1 : 0))};
            s.color = SegmentColor(db, bar ? levelB : levelA, bar ? holdB_ : holdA_);
            out.push_back(s);
        }
    return out;
}

std::vector<YMeterLabel> YLevelMeter::Labels(int width, int height) const {
    const Geometry g = Layout(width, height);
    std::vector<YMeterLabel> out;
    const int below = g.top + static_cast<int>(kSegments * g.pitch) + 6;
    out.push_back({g.left + g.margin + g.barWidth / 2, below, "A", {255, 255, 255}});
    out.push_back({g.left + g.width - g.margin - g.barWidth / 2, below, "B", {255, 0, 0}});
    for (int db = kTopDb; db >= kBottomDb; db -= 6) {
        const int k = kTopDb - db;
        const int y = g.top + static_cast<int>((k + 0.5) * g.pitch);
        out.push_back({g.left + g.width / 2, y, db == 0 ? "dB" : std::to_string(db), {255, 255, 0}});
    }
    return out;
}
