#pragma once
// The colours of the curves of frequency curve sets: seven tables of six
// colours, one table per curve family, kept in the settings section
// "Multi Graph Colors". The tables are process-wide: every MultColorTable
// reads the same set, which LoadColours and SetColours replace whole.
// Threads: any (the shared tables are guarded).

#include "Sonbex/Curves/CurveKind.h"
#include "Sonbex/Curves/YCurve.h"

#include <array>

namespace sonbex::platform {
class SettingsStore;
}

namespace sonbex::curves {

inline constexpr int kColourSlots = 6;
using FamilyColours = std::array<std::array<ColourRef, kColourSlots>, kCurveFamilyCount>;

inline constexpr const char* kMultiGraphColorsSection = "Multi Graph Colors";

class MultColorTable {
public:
    virtual ~MultColorTable() = default;

    // The colour of slot 0 .. 5 of a family (a slot outside is reduced mod 6).
    static ColourRef Colour(CurveFamily family, int slot);
    static ColourRef Colour(CurveKind kind, int slot) { return Colour(FamilyOf(kind), slot); }

    static const FamilyColours& Defaults();
    static FamilyColours Colours();
    static void SetColours(const FamilyColours& colours);
    // The defaults, then every value found in the settings section, slot by
    // slot ("Magnitude Color #1", "Phase Color #1" ... "H3 Color #6"),
    // stopping at the first missing one.
    static void LoadColours(platform::SettingsStore& store);
    // Writes all 42 values; false when the store could not be saved.
    static bool SaveColours(platform::SettingsStore& store);
    // "Magnitude Color #1" ... for slot 0 .. 5.
    static std::string ValueName(CurveFamily family, int slot);
};

}  // namespace sonbex::curves
