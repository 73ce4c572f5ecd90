#pragma once
// The result-routing switches of the global flags (commands 612 to 619) and
// the rules that keep them consistent, and where a finished data set goes by
// those switches (open a window, add to the top window, replace in it).
// Pure functions: safe from any thread.

#include <cstdint>
#include <optional>

namespace sonbex::shell {

// The flags after command `commandId` (612..619) toggled its switch, with the
// interlocks applied; empty for any other command.
std::optional<std::uint32_t> ToggleRoutingFlag(std::uint32_t flags, int commandId);

// Kinds of finished data sets a worker hands to the frame.
enum class ResultKind : std::uint8_t {
    Impulse,            // impulse response -> impulse graph (2044)
    FrequencyResponse,  // frequency curve set -> frequency graph (2045)
    Impedance,          // impedance curves -> impedance graph (2046)
    Polar,              // polar data -> polar plot (2047)
    Csd,                // cumulative spectral decay -> waterfall (2048)
    LimitsResult,       // QC limits test -> the single limits result window (2043)
};

enum class RouteAction : std::uint8_t {
    Drop,       // the switches say the data set is not shown
    NewWindow,  // a new window of the kind
    Append,     // added to the target window
    Replace,    // replaces what the target window shows
};

struct Route {
    RouteAction action = RouteAction::Drop;
    int windowKind = 0;  // the document kind of the target
    bool operator==(const Route&) const = default;
};

// The window kind a data set of `kind` is shown in.
int WindowKindFor(ResultKind kind);
// Where a data set goes. `flags` are the global flags of the run's snapshot;
// `targetExists` says whether a window of the kind exists (the active one
// when it is of that kind, else the topmost one).
Route RouteResult(ResultKind kind, std::uint32_t flags, bool targetExists);

}  // namespace sonbex::shell
