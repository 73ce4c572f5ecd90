#pragma once
// The data sets of the impedance, impulse, polar and CSD graphs. Each
// carries the common header (its path field holds 260 bytes).
// Plain values: a set belongs to one thread at a time.

#include "Sonbex/Curves/DataSetHeader.h"
#include "YLib/YDoubleVec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sonbex::curves {

inline constexpr std::size_t kThieleSmallRecordSize = 824;

struct ImpedanceSet {
    DataSetHeader header;
    // The parameter record of the Thiele-Small calculation, zero when none.
    std::array<std::uint8_t, kThieleSmallRecordSize> thieleSmall{};
    YDoubleVec frequency;        // Hz
    YDoubleVec magnitude;        // free air, ohms
    YDoubleVec phase;            // free air, radians
    YDoubleVec loadedMagnitude;  // the second measurement (delta mass or compliance)
    YDoubleVec loadedPhase;
    // Without a loaded curve the two loaded vectors hold one dummy element each.
    bool hasLoaded = false;
};

struct ImpulseRecord {
    DataSetHeader header;  // its sample rate is the rate of the samples
    YDoubleVec samples;
};

inline constexpr int kPolarSlots = 8;

struct PolarSet {
    DataSetHeader header;
    YDoubleVec angles;     // degrees, in measurement order
    YDoubleVec frequency;  // Hz, common to all angles
    // Per angle: magnitude (dB) and phase (radians), as long as `frequency`.
    std::vector<YDoubleVec> magnitude;
    std::vector<YDoubleVec> phase;
    // Indexes into `frequency`, -1 when the slot is empty (not "slots": a Qt keyword).
    std::array<std::int32_t, kPolarSlots> frequencySlots{-1, -1, -1, -1, -1, -1, -1, -1};
    int activeSlot = 0;
    std::int32_t referenceAngle = 0;  // index of the 0 degree angle
};

struct CsdSlice {
    YDoubleVec frequency;  // Hz
    YDoubleVec level;      // dB, as long as frequency
};

// The settings offset of the time window a CSD without its own length takes.
inline constexpr std::size_t kCsdTimeWindowOffset = 2560;

struct CsdSet {
    DataSetHeader header;
    std::vector<CsdSlice> slices;
    // The CSD length (seconds) the computation handed over; none when the
    // file did not hold it.
    std::optional<double> parameter;
    // The parameter, or the time window of the settings block without one.
    double Parameter() const { return parameter ? *parameter : header.settings.Double(kCsdTimeWindowOffset); }
};

// One line of a multi-graph file: a frequency curve set (its path, the level
// offset the multi-graph adds, its position in its graph) or an impedance
// curve (the graph's path, 0 free air or 1 loaded).
struct MultiGraphEntry {
    std::string path;
    double levelOffset = 0.0;
    int index = 0;
    bool impedance = false;  // an impedance curve (its level offset is written as 0)
    bool operator==(const MultiGraphEntry&) const = default;
};

struct MultiGraphSet {
    std::string title;
    std::vector<MultiGraphEntry> entries;
};

}  // namespace sonbex::curves
