#include "Sonbex/Shell/RoutingFlags.h"

#include "Sonbex/Shell/CommandTable.h"
#include "Sonbex/Shell/DocumentKinds.h"
#include "Sonbex/Shell/GlobalConfig.h"

#include <gtest/gtest.h>

namespace sonbex::shell {
namespace {

constexpr std::uint32_t B7 = kSmallMeasurementWindow, B8 = kOpenImpulseWindow, B9 = kAppendFrequencyCurve,
                        B10 = kReplaceFrequencyCurve, B11 = kCyclicMeasurement, B12 = kShowLimitsResult,
                        B13 = kReplaceImpulseCurve, B14 = kOpenFrequencyWindow;

TEST(RoutingFlags, ToggleTransitions) {
    struct Case {
        const char* name;
        std::uint32_t start;
        int command;
        std::uint32_t end;
    };
    const Case cases[] = {
        {"impulse window on", 0, cmd::kOpenImpulseWindow, B8},
        {"impulse window on clears cyclic", B7 | B10 | B11, cmd::kOpenImpulseWindow, B7 | B8 | B10},
        {"impulse window off clears replace impulse", B8 | B13, cmd::kOpenImpulseWindow, 0},
        {"replace impulse on", B8, cmd::kReplaceImpulse, B8 | B13},
        {"replace impulse off", B8 | B13, cmd::kReplaceImpulse, B8},
        {"frequency window", B9, cmd::kOpenFrequencyWindow, B9 | B14},
        {"append on clears replace and cyclic", B7 | B10 | B11, cmd::kAppendFrequency, B7 | B9},
        {"append off", B9, cmd::kAppendFrequency, 0},
        {"replace on clears append", B9, cmd::kReplaceFrequency, B10},
        {"replace on keeps cyclic", B7 | B11, cmd::kReplaceFrequency, B7 | B10 | B11},
        {"replace off clears cyclic", B7 | B10 | B11, cmd::kReplaceFrequency, B7},
        {"cyclic on: replace, no append, no impulse window", B7 | B8 | B9, cmd::kCyclicMeasurement,
         B7 | B10 | B11},
        {"cyclic on keeps the impulse window that replaces", B7 | B8 | B13, cmd::kCyclicMeasurement,
         B7 | B8 | B13 | B10 | B11},
        {"cyclic off clears only cyclic", B7 | B10 | B11, cmd::kCyclicMeasurement, B7 | B10},
        {"limits window", B8, cmd::kShowLimitsResult, B8 | B12},
        {"small window", B11, cmd::kSmallMeasurementWindow, B11 | B7},
        {"other flags stay", kShowSplash | kMainWindowMaximised | B9, cmd::kReplaceFrequency,
         kShowSplash | kMainWindowMaximised | B10},
    };
    for (const Case& c : cases) {
        auto end = ToggleRoutingFlag(c.start, c.command);
        ASSERT_TRUE(end.has_value()) << c.name;
        EXPECT_EQ(*end, c.end) << c.name << ": got 0x" << std::hex << *end;
    }
    EXPECT_FALSE(ToggleRoutingFlag(0, cmd::kUpdateWindows).has_value());
}

TEST(RoutingFlags, InterlockedCommandsAreEnabledOnlyWhenTheirSwitchAllows) {
    struct Case {
        const char* name;
        std::uint32_t flags;
        bool measuring;
        int command;
        bool enabled;
    };
    const Case cases[] = {
        {"replace impulse needs the impulse window", 0, false, cmd::kReplaceImpulse, false},
        {"replace impulse with impulse window", B8, false, cmd::kReplaceImpulse, true},
        {"cyclic needs the small window", 0, false, cmd::kCyclicMeasurement, false},
        {"cyclic with small window", B7, false, cmd::kCyclicMeasurement, true},
        {"cyclic not while measuring", B7, true, cmd::kCyclicMeasurement, false},
        {"small window not while measuring", 0, true, cmd::kSmallMeasurementWindow, false},
        {"append while measuring", 0, true, cmd::kAppendFrequency, true},
    };
    for (const Case& c : cases) {
        CommandState s;
        s.flags = c.flags;
        s.measuring = c.measuring;
        EXPECT_EQ(IsCommandEnabled(c.command, s), c.enabled) << c.name;
    }
}

TEST(RoutingFlags, WhereAResultGoes) {
    struct Case {
        const char* name;
        ResultKind kind;
        std::uint32_t flags;
        bool exists;
        Route route;
    };
    using A = RouteAction;
    const Case cases[] = {
        {"impulse not shown", ResultKind::Impulse, 0, true, {A::Drop, kind::kImpulseGraph}},
        {"impulse new window", ResultKind::Impulse, B8, true, {A::NewWindow, kind::kImpulseGraph}},
        {"impulse replaces", ResultKind::Impulse, B8 | B13, true, {A::Replace, kind::kImpulseGraph}},
        {"impulse replace without window",
         ResultKind::Impulse,
         B8 | B13,
         false,
         {A::NewWindow, kind::kImpulseGraph}},
        {"frequency new", ResultKind::FrequencyResponse, 0, true, {A::NewWindow, kind::kFrequencyGraph}},
        {"frequency appends", ResultKind::FrequencyResponse, B9, true, {A::Append, kind::kFrequencyGraph}},
        {"frequency replaces", ResultKind::FrequencyResponse, B10, true, {A::Replace, kind::kFrequencyGraph}},
        {"frequency append without window",
         ResultKind::FrequencyResponse,
         B9,
         false,
         {A::NewWindow, kind::kFrequencyGraph}},
        {"impedance always new",
         ResultKind::Impedance,
         B9 | B10,
         true,
         {A::NewWindow, kind::kImpedanceGraph}},
        {"polar", ResultKind::Polar, 0, true, {A::NewWindow, kind::kPolarPlot}},
        {"csd", ResultKind::Csd, 0, false, {A::NewWindow, kind::kCsdGraph}},
        {"limits not shown", ResultKind::LimitsResult, 0, false, {A::Drop, kind::kLimitsResult}},
        {"limits reuse the one window",
         ResultKind::LimitsResult,
         B12,
         true,
         {A::Replace, kind::kLimitsResult}},
        {"limits first window", ResultKind::LimitsResult, B12, false, {A::NewWindow, kind::kLimitsResult}},
    };
    for (const Case& c : cases) {
        const Route r = RouteResult(c.kind, c.flags, c.exists);
        EXPECT_EQ(r.action, c.route.action) << c.name;
        EXPECT_EQ(r.windowKind, c.route.windowKind) << c.name;
    }
}

}  // namespace
}  // namespace sonbex::shell
