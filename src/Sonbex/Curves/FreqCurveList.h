#pragma once
// The list of frequency curve sets a frequency graph holds, as a model the
// graph windows and the headless program share: adding a result (unique
// titles, at most 255 sets, colour slots, append or replace), appending
// loaded sets, and Undo over every set.
//
// Threads: the thread that owns the graph (the GUI thread in the desktop
// program).

#include "Sonbex/Curves/YFreqGraphCurve.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::platform {
class IPrompt;
}

namespace sonbex::curves {

inline constexpr std::size_t kMaxCurveSets = 255;

inline constexpr const char* kReplaceUnsavedQuestion =
    "The graph holds 255 curves and none of them is saved.\n"
    "Do you want to replace the oldest curve by the new one ? ";

class FreqCurveList {
public:
    FreqCurveList() = default;
    FreqCurveList(const FreqCurveList&) = delete;
    FreqCurveList& operator=(const FreqCurveList&) = delete;

    // Adds a result. append (or an empty list): a new set at the end; with
    // 255 sets the oldest saved set gives way, and when none is saved
    // `prompt` asks whether the oldest may go (no prompt: it may not).
    // Otherwise the last set is replaced. The title is made unique among the
    // other sets (case-insensitive, "%s (%d)", within its 256-byte field);
    // the settings (none: currentSettings) are stored in their older form
    // converted. False when the set could not be built (a new set is then
    // dropped, a replaced one is left cleared and taken out).
    bool AddCurve(std::string_view title, const AcquireDate* date, const CurveInput& input,
                  const SettingsBlock* settings, bool append, bool keepPhase,
                  platform::IPrompt* prompt = nullptr);

    // Appends a loaded set as it is, with the next colour index (loading
    // applies neither the limit nor the unique-title rule).
    void AppendLoaded(std::unique_ptr<YFreqGraphCurve> set);
    // Takes a set out (null for an index outside the list).
    std::unique_ptr<YFreqGraphCurve> Remove(std::size_t index);
    void ClearAll() { sets_.clear(); }

    // j = 0; walking the list, j goes up by one wherever a set's colour
    // index equals it; the result mod 6.
    int NextColourIndex() const;
    // The title made unique against every set but `except`.
    std::string UniqueTitle(std::string_view title, const YFreqGraphCurve* except = nullptr) const;
    // Undo on every set.
    void UndoAll();

    std::size_t Size() const { return sets_.size(); }
    bool Empty() const { return sets_.empty(); }
    YFreqGraphCurve& operator[](std::size_t i) { return *sets_[i]; }
    const YFreqGraphCurve& operator[](std::size_t i) const { return *sets_[i]; }
    const std::vector<std::unique_ptr<YFreqGraphCurve>>& Sets() const { return sets_; }
    bool AllSaved() const;

    // The settings a result without its own settings is stored with (the
    // application keeps it up to date with the measurement settings).
    SettingsBlock currentSettings;

private:
    std::vector<std::unique_ptr<YFreqGraphCurve>> sets_;
};

// A line of the selection dialogs: "%2d:\t%s%c" with the 1-based position,
// the title and ' ' when the set is saved, '*' when not.
std::string SelectionLine(std::size_t index, const YFreqGraphCurve& set);

}  // namespace sonbex::curves
