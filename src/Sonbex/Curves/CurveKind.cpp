#include "Sonbex/Curves/CurveKind.h"

namespace sonbex::curves {

std::optional<CurveKind> KindFromCode(std::int32_t code) {
    for (CurveKind k : kAllCurveKinds)
        if (KindCode(k) == code) return k;
    return std::nullopt;
}

CurveFamily FamilyOf(CurveKind kind) {
    if (kind == CurveKind::Magnitude) return CurveFamily::Magnitude;
    if (IsPhaseFamily(kind)) return CurveFamily::Phase;
    if (IsGroupDelayFamily(kind)) return CurveFamily::GroupDelay;
    switch (kind) {
        case CurveKind::Thd:
            return CurveFamily::Thd;
        case CurveKind::ThdN:
            return CurveFamily::ThdN;
        case CurveKind::H2:
            return CurveFamily::H2;
        default:
            return CurveFamily::H3;
    }
}

std::string_view CurveKindName(CurveKind kind) {
    static constexpr std::array<std::string_view, kCurveKindCount> names{
        "Magnitude",          "Phase", "Min. Phase", "Excess Phase", "Group Delay", "Min. Group Delay",
        "Excess Group Delay", "THD",   "THD+N",      "H2",           "H3"};
    return names[KindIndex(kind)];
}

std::string_view StoredUnit(CurveKind kind) {
    if (kind == CurveKind::Magnitude) return "dB";
    if (IsPhaseFamily(kind)) return "rad";
    if (IsGroupDelayFamily(kind)) return "s";
    return "%";
}

}  // namespace sonbex::curves
