#include "Sonbex/Measurement/SettingsRules.h"

#include "YWave/IWaveBackend.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

namespace sonbex::measurement {
namespace {

bool StartsNoCase(std::string_view s, std::string_view p) {
    if (s.size() < p.size()) return false;
    for (std::size_t i = 0; i < p.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != std::tolower(static_cast<unsigned char>(p[i])))
            return false;
    return true;
}

std::string DeviceName(IWaveBackend& backend, int device) {
    for (const YWaveDevice& d : backend.Devices())
        if (d.index == device) return d.name;
    return {};
}

}  // namespace

double NyquistLimit(double sampleRate) { return std::round(0.49896 * sampleRate); }

StartStop ClampStartStop(double start, double stop, double sampleRate) {
    const double limit = NyquistLimit(sampleRate);
    if (!(start >= 1.0)) start = 1.0;
    if (start > limit) start = limit / 1.05;
    if (!(stop >= start)) stop = start * 1.05;
    if (stop > limit) stop = limit;
    return {start, stop};
}

int ModuleGroup(int id) {
    if (id >= 2000) return 2000;
    if (id >= 1000) return 1000;
    return 0;
}

bool OfferedOnGeneratorPage(int id) {
    for (int hidden : {1002, 1004, 1005, 1006, 2004, 2006})
        if (id == hidden) return false;
    return true;
}

std::vector<int> OfferedTypes(int moduleId) {
    switch (moduleId) {
        case 1003:
            return {0, 1, 2, 3};
        case 1004:
        case 1005:
            return {0};
        case 1006:
            return {5};
        case 1001:
        case 1002:
            return {0, 4, 1, 2, 3};
    }
    if (ModuleGroup(moduleId) == 2000) return {0, 4, 1, 2, 3};
    return {0};
}

std::string TypeText(int type) {
    switch (type) {
        case 0:
            return " Frequency Response";
        case 1:
            return " Impedance";
        case 2:
            return " T/S Delta Mass";
        case 3:
            return " T/S Delta Compliance";
        case 4:
            return " Polar Plot";
        case 5:
            return " Total Harmonic Dist...";
    }
    return " Type " + std::to_string(type);
}

int WindowEntry(WindowChoice c) {
    const int type = std::clamp(c.type, 0, kWindowTypes - 1);
    if (type == 0) return 0;
    return 2 * type - 1 + (c.half ? 1 : 0);
}

WindowChoice WindowFromEntry(int entry) {
    if (entry <= 0) return {0, false};
    entry = std::min(entry, WindowEntryCount() - 1);
    return {(entry + 1) / 2, entry % 2 == 0};
}

int WindowEntryCount() { return 2 * kWindowTypes - 1; }

std::string WindowName(int type) {
    static const char* const kNames[kWindowTypes] = {"Rectangular",     "Bartlett", "Hanning (Cos)",
                                                     "Hamming",         "Blackman", "Blackman-Harris",
                                                     "Ext. Cosine Bell"};
    return kNames[std::clamp(type, 0, kWindowTypes - 1)];
}

WindowChoice HalfWindowRule(int moduleId, WindowChoice c) {
    c.half = ModuleGroup(moduleId) == 2000 && c.type != 0;
    return c;
}

double ClampPolarStep(double degrees) {
    if (!(degrees > 0.01)) return 0.01;
    return std::min(degrees, 45.0);
}

bool PassesCardRule(std::string_view name, int rate, int bits) {
    static const char* const kCards[] = {
        "Creative SB Live",   "SB Live",   "Creative SB Audigy",      "SB Audigy",
        "Creative SB Extigy", "SB Extigy", "USB Sound Blaster Audigy"};
    bool listed = false;
    for (const char* card : kCards) listed = listed || StartsNoCase(name, card);
    if (!listed) return true;
    const bool wide =
        name.find("Audigy") != std::string_view::npos || name.find("Extigy") != std::string_view::npos;
    bool rateOk = false;
    for (int r : {6000, 12000, 24000, 48000, 96000, 192000}) rateOk = rateOk || rate == r;
    const bool bitsOk = bits == 8 || bits == 16 || (wide && (bits == 24 || bits == 32));
    return rateOk && bitsOk;
}

FormatChoices ProbeFormats(IWaveBackend& backend, int inDevice, int outDevice, bool check192k) {
    static const int kRates[] = {11025, 12000, 22050, 24000, 44100, 48000, 88200, 96000, 176400, 192000};
    const int below = check192k ? 193000 : 97000;
    const std::string inName = DeviceName(backend, inDevice), outName = DeviceName(backend, outDevice);
    std::set<int> rates, bits, channels;
    for (int ch : {2, 4, 6})
        for (int b : {16, 24, 32})
            for (int rate : kRates) {
                if (rate >= below) continue;
                if (!PassesCardRule(inName, rate, b) || !PassesCardRule(outName, rate, b)) continue;
                if (!backend.CanOpen(YWaveDirection::Record, inDevice, rate, b, 2)) continue;
                if (!backend.CanOpen(YWaveDirection::Play, outDevice, rate, b, ch)) continue;
                rates.insert(rate);
                bits.insert(b);
                channels.insert(ch);
            }
    return {{rates.begin(), rates.end()}, {bits.begin(), bits.end()}, {channels.begin(), channels.end()}};
}

}  // namespace sonbex::measurement
