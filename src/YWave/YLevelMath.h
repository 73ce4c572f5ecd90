#pragma once
// The arithmetic of the level control, apart from any mixer or window: the
// output level text in V, mV, dBV and dBu, the volume and pan sliders of a
// mixer line, the input peak levels with their overload rule, and the peak
// meter with its falling holds.
//
// Pure functions and plain values, safe from any thread (a YLevelMeter belongs
// to the thread that paints it).

#include <cstdint>
#include <string>
#include <vector>

// 0 dBu: the voltage of 1 mW in 600 ohm.
inline constexpr double kVoltsAtZeroDbu = 0.7745966692414834;

enum YOutputUnit : int { kUnitVolt = 0, kUnitMilliVolt = 1, kUnitDbV = 2, kUnitDbu = 3 };

// 10^(x / 20) with the limits of the level arithmetic: exactly 1 for x = 0,
// 1.0686474e13 when the natural exponent exceeds 30, 1e-38 below
// -87.4982335338.
double YDbToGain(double db);
// 20 log10(value), the logarithm of a value below 1e-38 (or not positive)
// taken as that of 1e-38.
double YGainToDb(double value);

// "%s V" (4 decimals), "%s mV" (2), "%s dBV" (2), "%s dBu" (2), the number
// without trailing zeros or a trailing point.
std::string YFormatOutputLevel(double volts, int unit);
// Reads "<number> [unit]": the unit from its first letter (d, m, v, any case;
// "dBV" and "dBu" told apart by the word), else `unit` stays. False when no
// number starts the text (or it is not finite); `volts` is then unchanged.
bool YParseOutputLevel(const std::string& text, int& unit, double& volts);
// A trimmed number: "%.*f" without trailing zeros or a trailing point.
std::string YTrimmedNumber(double value, int decimals);

// The sliders of a line: volume 0 ... 1000 per mille of the range above the
// minimum (the louder channel), pan -1000 ... +1000.
int YSliderVolume(std::uint32_t left, std::uint32_t right, std::uint32_t minimum, std::uint32_t maximum);
int YSliderPan(std::uint32_t left, std::uint32_t right, std::uint32_t minimum, std::uint32_t maximum);
// The channel values of slider positions; with the pan locked both get the volume.
void YSlidersToLine(int volume, int pan, bool panLocked, std::uint32_t minimum, std::uint32_t maximum,
                    std::uint32_t& left, std::uint32_t& right);

// One input's peak-to-peak level in dB of a block: 20 log10(max - min +
// 1e-37) of the samples divided by the input full scale, or 6.03 when the
// block clipped (a raw sample at either extreme code, or a scaled sample at
// or beyond full scale). Above 6 dB is an overload: a full-scale sine reads
// 6.02 dB and reaches the extreme codes.
inline constexpr double kClippedLevelDb = 6.03;
inline constexpr double kOverloadDb = 6.0;
double YPeakLevel(double maximum, double minimum, bool clipped);

// The extremes of the first two channels of blocks of interleaved PCM, the
// samples divided by the input full scale, and whether a raw sample reached
// either extreme code of its width.
struct YBlockPeaks {
    double maxA = -1e30, minA = 1e30, maxB = -1e30, minB = 1e30;
    bool clippedA = false, clippedB = false;
    void Reset() { *this = YBlockPeaks{}; }
    // `swap` exchanges the two inputs ("Reverse channels"). A one-channel
    // block feeds both.
    void Add(const std::uint8_t* block, int frames, int channels, int bits, double fullScale, bool swap);
};

// The meter of the "Level's" window: two bars, A left and B right, one
// segment per dB from +6 down to -90, and a hold per bar that follows its
// level upwards at once and otherwise falls as (hold + 180) x 0.996 - 180
// at each paint.
struct YMeterColor {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const YMeterColor&) const = default;
};
struct YMeterRect {
    int x = 0, y = 0, w = 0, h = 0;
};
struct YMeterSegment {
    YMeterRect rect;
    YMeterColor color;
    int bar = 0;  // 0 A, 1 B
    int db = 0;   // the segment's level
};
struct YMeterLabel {
    int x = 0, y = 0;  // the text's centre
    std::string text;
    YMeterColor color;
};

class YLevelMeter {
public:
    static constexpr int kTopDb = 6, kBottomDb = -90;
    static constexpr int kSegments = kTopDb - kBottomDb + 1;
    static constexpr int kInset = 3;

    void Reset() { holdA_ = holdB_ = -1000.0; }
    // One paint's step of the holds.
    void Advance(double levelA, double levelB);
    double HoldA() const { return holdA_; }
    double HoldB() const { return holdB_; }
    // Whether a hold is still above its level (the window keeps repainting).
    bool Falling(double levelA, double levelB) const { return holdA_ > levelA || holdB_ > levelB; }

    static YMeterColor Background(bool overloaded);
    // The colour of segment `db` of a bar at `level` with `hold`.
    static YMeterColor SegmentColor(int db, double level, double hold);
    // Every segment inside a control of `width` x `height` pixels (inset by 3
    // on each side); the segments fit the control.
    std::vector<YMeterSegment> Segments(int width, int height, double levelA, double levelB) const;
    std::vector<YMeterLabel> Labels(int width, int height) const;

private:
    double holdA_ = -1000.0, holdB_ = -1000.0;
};
