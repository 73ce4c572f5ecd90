#pragma once
// The kind of a single curve of a frequency curve set, as a bit value so that
// sets of kinds can be formed, with its family and its stored and display
// units. Pure data and functions: safe from any thread.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace sonbex::curves {

enum class CurveKind : std::int32_t {
    Magnitude = 1,          // dB
    Phase = 2,              // radians (wrapped)
    MinPhase = 4,           // radians
    ExcessPhase = 8,        // radians in [-pi, pi]
    GroupDelay = 16,        // seconds
    MinGroupDelay = 32,     // seconds
    ExcessGroupDelay = 64,  // seconds
    Thd = 128,              // percent
    ThdN = 256,             // percent
    H2 = 512,               // percent
    H3 = 1024,              // percent
};

inline constexpr int kCurveKindCount = 11;
// Every kind in code order, which is also the order of the curves of a set.
inline constexpr std::array<CurveKind, kCurveKindCount> kAllCurveKinds{CurveKind::Magnitude,
                                                                       CurveKind::Phase,
                                                                       CurveKind::MinPhase,
                                                                       CurveKind::ExcessPhase,
                                                                       CurveKind::GroupDelay,
                                                                       CurveKind::MinGroupDelay,
                                                                       CurveKind::ExcessGroupDelay,
                                                                       CurveKind::Thd,
                                                                       CurveKind::ThdN,
                                                                       CurveKind::H2,
                                                                       CurveKind::H3};

// 0 .. 10, the position in kAllCurveKinds.
constexpr int KindIndex(CurveKind kind) {
    int i = 0;
    for (std::int32_t c = static_cast<std::int32_t>(kind); c > 1; c >>= 1) ++i;
    return i;
}
constexpr std::int32_t KindCode(CurveKind kind) { return static_cast<std::int32_t>(kind); }
// The kind of a stored code; none for any other value.
std::optional<CurveKind> KindFromCode(std::int32_t code);

// The colour families: magnitude; phase (2, 4, 8); group delay (16, 32, 64);
// THD; THD+N; H2; H3.
enum class CurveFamily { Magnitude = 0, Phase, GroupDelay, Thd, ThdN, H2, H3 };
inline constexpr int kCurveFamilyCount = 7;
CurveFamily FamilyOf(CurveKind kind);

constexpr bool IsPhaseFamily(CurveKind k) {
    return k == CurveKind::Phase || k == CurveKind::MinPhase || k == CurveKind::ExcessPhase;
}
constexpr bool IsGroupDelayFamily(CurveKind k) {
    return k == CurveKind::GroupDelay || k == CurveKind::MinGroupDelay || k == CurveKind::ExcessGroupDelay;
}
constexpr bool IsDistortionFamily(CurveKind k) { return KindCode(k) >= KindCode(CurveKind::Thd); }

// "Magnitude", "Phase", "Min. Phase" ... as the program shows them.
std::string_view CurveKindName(CurveKind kind);
// "dB", "rad", "s", "%": the stored unit.
std::string_view StoredUnit(CurveKind kind);

}  // namespace sonbex::curves
