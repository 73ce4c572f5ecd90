#include "Sonbex/Curves/FreqCurveList.h"

#include "Platform/IPrompt.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace sonbex::curves {

namespace {

bool SameTitle(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

}  // namespace

int FreqCurveList::NextColourIndex() const {
    int j = 0;
    for (const auto& s : sets_)
        if (s->ColourIndex() == j) ++j;
    return j % kColourSlots;
}

std::string FreqCurveList::UniqueTitle(std::string_view title, const YFreqGraphCurve* except) const {
    const std::string base = FitTextField(title, kTitleFieldSize);
    const auto taken = [&](std::string_view t) {
        return std::any_of(sets_.begin(), sets_.end(),
                           [&](const auto& s) { return s.get() != except && SameTitle(s->Title(), t); });
    };
    if (!taken(base)) return base;
    for (int i = 1;; ++i) {
        const std::string suffix = " (" + std::to_string(i) + ")";
        // The number always fits: the title gives way.
        const std::size_t room = kTitleFieldSize - 1 - suffix.size();
        const std::string candidate = base.substr(0, std::min(base.size(), room)) + suffix;
        if (!taken(candidate)) return candidate;
    }
}

bool FreqCurveList::AddCurve(std::string_view title, const AcquireDate* date, const CurveInput& input,
                             const SettingsBlock* settings, bool append, bool keepPhase,
                             platform::IPrompt* prompt) {
    std::unique_ptr<YFreqGraphCurve> set;
    YFreqGraphCurve* replaced = nullptr;
    if (append || sets_.empty()) {
        if (sets_.size() >= kMaxCurveSets) {
            auto oldestSaved =
                std::find_if(sets_.begin(), sets_.end(), [](const auto& s) { return s->IsSaved(); });
            if (oldestSaved == sets_.end()) {
                if (!prompt || prompt->Show(kReplaceUnsavedQuestion, platform::PromptIcon::Question,
                                            platform::PromptButtons::YesNo) != platform::PromptAnswer::Yes)
                    return false;
                oldestSaved = sets_.begin();
            }
            set = std::move(*oldestSaved);
            sets_.erase(oldestSaved);
            set->Clear();
        } else {
            set = std::make_unique<YFreqGraphCurve>();
        }
    } else {
        replaced = sets_.back().get();
    }
    YFreqGraphCurve& target = replaced ? *replaced : *set;
    const std::string unique = UniqueTitle(title, replaced);
    // The colour index is chosen with the reused set out of the count.
    int colour = 0;
    if (replaced) {
        std::unique_ptr<YFreqGraphCurve> last = std::move(sets_.back());
        sets_.pop_back();
        colour = NextColourIndex();
        sets_.push_back(std::move(last));
    } else {
        colour = NextColourIndex();
    }
    const SettingsBlock& source = settings && settings->HasSampleRate() ? *settings : currentSettings;
    const SettingsBlock converted = SettingsBlock::FromOlderForm(
        std::span<const std::uint8_t>(source.bytes().data(), kSettingsRecordSize));
    if (!target.SetCurves(unique, date, input, &converted, colour, keepPhase, converted)) {
        if (replaced) sets_.pop_back();
        return false;
    }
    if (set) sets_.push_back(std::move(set));
    return true;
}

void FreqCurveList::AppendLoaded(std::unique_ptr<YFreqGraphCurve> set) {
    if (!set) return;
    set->SetColourIndex(NextColourIndex());
    sets_.push_back(std::move(set));
}

std::unique_ptr<YFreqGraphCurve> FreqCurveList::Remove(std::size_t index) {
    if (index >= sets_.size()) return nullptr;
    auto set = std::move(sets_[index]);
    sets_.erase(sets_.begin() + static_cast<std::ptrdiff_t>(index));
    return set;
}

void FreqCurveList::UndoAll() {
    for (auto& s : sets_) s->Undo();
}

bool FreqCurveList::AllSaved() const {
    return std::all_of(sets_.begin(), sets_.end(), [](const auto& s) { return s->IsSaved(); });
}

std::string SelectionLine(std::size_t index, const YFreqGraphCurve& set) {
    char number[16];
    std::snprintf(number, sizeof number, "%2d:\t", static_cast<int>(index + 1));
    return number + set.Title() + (set.IsSaved() ? ' ' : '*');
}

}  // namespace sonbex::curves
