#include "Sonbex/Shell/RoutingFlags.h"

#include "Sonbex/Shell/CommandTable.h"
#include "Sonbex/Shell/DocumentKinds.h"
#include "Sonbex/Shell/GlobalConfig.h"

namespace sonbex::shell {

std::optional<std::uint32_t> ToggleRoutingFlag(std::uint32_t flags, int id) {
    auto has = [&](std::uint32_t f) { return (flags & f) != 0; };
    auto set = [&](std::uint32_t f, bool on) { flags = on ? (flags | f) : (flags & ~f); };
    switch (id) {
        case cmd::kShowLimitsResult:
            set(kShowLimitsResult, !has(kShowLimitsResult));
            break;
        case cmd::kSmallMeasurementWindow:
            set(kSmallMeasurementWindow, !has(kSmallMeasurementWindow));
            break;
        case cmd::kOpenImpulseWindow:
            set(kOpenImpulseWindow, !has(kOpenImpulseWindow));
            if (has(kOpenImpulseWindow))
                set(kCyclicMeasurement, false);
            else
                set(kReplaceImpulseCurve, false);
            break;
        case cmd::kReplaceImpulse:
            set(kReplaceImpulseCurve, !has(kReplaceImpulseCurve));
            break;
        case cmd::kOpenFrequencyWindow:
            set(kOpenFrequencyWindow, !has(kOpenFrequencyWindow));
            break;
        case cmd::kAppendFrequency:
            set(kAppendFrequencyCurve, !has(kAppendFrequencyCurve));
            set(kReplaceFrequencyCurve, false);
            if (has(kAppendFrequencyCurve)) set(kCyclicMeasurement, false);
            break;
        case cmd::kReplaceFrequency:
            set(kReplaceFrequencyCurve, !has(kReplaceFrequencyCurve));
            set(kAppendFrequencyCurve, false);
            if (!has(kReplaceFrequencyCurve)) set(kCyclicMeasurement, false);
            break;
        case cmd::kCyclicMeasurement:
            set(kCyclicMeasurement, !has(kCyclicMeasurement));
            if (has(kCyclicMeasurement)) {
                set(kReplaceFrequencyCurve, true);
                set(kAppendFrequencyCurve, false);
                if (!has(kReplaceImpulseCurve)) set(kOpenImpulseWindow, false);
            }
            break;
        default:
            return std::nullopt;
    }
    return flags;
}

int WindowKindFor(ResultKind kind) {
    switch (kind) {
        case ResultKind::Impulse:
            return kind::kImpulseGraph;
        case ResultKind::FrequencyResponse:
            return kind::kFrequencyGraph;
        case ResultKind::Impedance:
            return kind::kImpedanceGraph;
        case ResultKind::Polar:
            return kind::kPolarPlot;
        case ResultKind::Csd:
            return kind::kCsdGraph;
        case ResultKind::LimitsResult:
            return kind::kLimitsResult;
    }
    return 0;
}

Route RouteResult(ResultKind kind, std::uint32_t flags, bool targetExists) {
    const int window = WindowKindFor(kind);
    auto has = [&](std::uint32_t f) { return (flags & f) != 0; };
    switch (kind) {
        case ResultKind::Impulse:
            if (!has(kOpenImpulseWindow)) return {RouteAction::Drop, window};
            if (has(kReplaceImpulseCurve) && targetExists) return {RouteAction::Replace, window};
            return {RouteAction::NewWindow, window};
        case ResultKind::FrequencyResponse:
            if (targetExists && has(kAppendFrequencyCurve)) return {RouteAction::Append, window};
            if (targetExists && has(kReplaceFrequencyCurve)) return {RouteAction::Replace, window};
            return {RouteAction::NewWindow, window};
        case ResultKind::LimitsResult:
            // One limits result window at most: it is reused.
            if (!has(kShowLimitsResult)) return {RouteAction::Drop, window};
            return {targetExists ? RouteAction::Replace : RouteAction::NewWindow, window};
        case ResultKind::Impedance:
        case ResultKind::Polar:
        case ResultKind::Csd:
            return {RouteAction::NewWindow, window};
    }
    return {RouteAction::Drop, window};
}

}  // namespace sonbex::shell
