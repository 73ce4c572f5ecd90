#pragma once
// Reporting of vector indices out of range.
//
// A vector access outside its elements never touches memory outside the
// vector; it reports "Out of bounds error ! " through the installed sink and
// goes on. The application installs a sink that shows the message (the prompt
// service, rate-limited), tests install a recording one; until then the report
// goes to stderr.
//
// Threading: SetBoundsErrorSink and ReportBoundsError may be called from any
// thread at any time. A sink must itself be safe to call from any thread.

#include <functional>
#include <string_view>

// caption names the source ("YLib\YDoubleVec"), message is the text to show.
using BoundsErrorSink = std::function<void(std::string_view caption, std::string_view message)>;

inline constexpr std::string_view kBoundsErrorText = "Out of bounds error ! ";

// Installs a sink and returns the previous one; an empty function restores the
// stderr default.
BoundsErrorSink SetBoundsErrorSink(BoundsErrorSink sink);

void ReportBoundsError(std::string_view caption);
