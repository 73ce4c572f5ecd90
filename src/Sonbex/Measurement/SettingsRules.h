#pragma once
// The rules the settings pages apply to what the user enters, kept apart
// from the widgets: frequency limits, the stimulus modules and measurement
// types offered, the FFT window entries, and the sound-card formats that the
// selected devices accept.
//
// Pure functions (ProbeFormats asks the backend): the caller's thread.

#include <string>
#include <string_view>
#include <vector>

class IWaveBackend;

namespace sonbex::measurement {

// round(0.49896 x rate): the highest frequency the pages allow.
double NyquistLimit(double sampleRate);

struct StartStop {
    double start;
    double stop;
};
// start below 1 becomes 1; above the limit, limit / 1.05; stop below start
// becomes start x 1.05; above the limit, the limit.
StartStop ClampStartStop(double start, double stop, double sampleRate);

// 2000 for ids from 2000 up, 1000 for 1000 to 1999, else 0.
int ModuleGroup(int id);
// Offered on the generator page (not 1002, 1004, 1005, 1006, 2004, 2006).
bool OfferedOnGeneratorPage(int id);
// The measurement types the analyzer page lists for a module, in order.
std::vector<int> OfferedTypes(int moduleId);
// " Frequency Response", " Polar Plot", ...
std::string TypeText(int type);

// FFT window entries: " Rectangular" then, for every other window, its full
// and its half entry (" ½ Bartlett").
inline constexpr int kWindowTypes = 7;
struct WindowChoice {
    int type = 0;
    bool half = false;
    bool operator==(const WindowChoice&) const = default;
};
int WindowEntry(WindowChoice choice);
WindowChoice WindowFromEntry(int entry);
int WindowEntryCount();
// The window's name ("Hanning (Cos)"), as the FFT engine's window list names it.
std::string WindowName(int type);
// Modules of the 2000 group analyse with the half window, every other module
// with the full one (the rectangular window has no half entry).
WindowChoice HalfWindowRule(int moduleId, WindowChoice choice);

// 0.01 .. 45 degrees.
double ClampPolarStep(double degrees);

// The formats the hardware page offers for a device pair.
struct FormatChoices {
    std::vector<int> rates;     // Hz, ascending
    std::vector<int> bits;      // 16, 24, 32 as accepted
    std::vector<int> channels;  // output channels 2, 4, 6 as accepted
};
// Sound Blaster Live, Audigy and Extigy cards record and play only some
// rates and widths; true for every other device.
bool PassesCardRule(std::string_view deviceName, int rate, int bits);
// Every combination of the candidates (rates below 97000 Hz, below 193000 Hz
// with `check192k`) that the input device records with 2 channels and the
// output device plays with the candidate channel count. Devices as the wave
// engine numbers them (-1 the default).
FormatChoices ProbeFormats(IWaveBackend& backend, int inDevice, int outDevice, bool check192k);

}  // namespace sonbex::measurement
