#pragma once
// One measured or derived frequency response with its companion curves
// (phase, minimum and excess phase, group delays, distortion), a display copy
// of each in display units, the common data-set header and an unbounded undo
// stack.
//
// Invariants: the stored curves start with Magnitude, follow the kind order
// of kAllCurveKinds with no kind twice, the i-th display curve has the kind
// of the i-th stored one, and every curve has one value per frequency. A
// filled set has at least two distinct, positive, ascending frequencies.
//
// Threads: a set belongs to one thread at a time.

#include "Sonbex/Curves/CurveInput.h"
#include "Sonbex/Curves/DataSetHeader.h"
#include "Sonbex/Curves/MultColorTable.h"
#include "Sonbex/Curves/YCurve.h"
#include "YLib/YDoubleVec.h"

#include <array>
#include <memory>
#include <string_view>
#include <vector>

namespace sonbex::curves {

class ByteReader;
class ByteWriter;

// A snapshot of a set for Undo: the saved flag, the frequency axis and one
// vector per kind in code order (empty when the kind was absent).
class YCurveUndo {
public:
    virtual ~YCurveUndo() = default;
    bool saved = false;
    YDoubleVec frequency;
    std::array<YDoubleVec, kCurveKindCount> curves;
};

class YFreqGraphCurve : public MultColorTable {
public:
    YFreqGraphCurve() = default;
    YFreqGraphCurve(const YFreqGraphCurve&) = delete;
    YFreqGraphCurve& operator=(const YFreqGraphCurve&) = delete;
    ~YFreqGraphCurve() override = default;

    // Empties the undo stack, the curves and the axis; zero header; not saved.
    // Display options, visibility and colour index stay.
    void Clear();

    // Builds the set from `input`: the title (also the path), the date (none:
    // zero), the settings (none, or without a sample rate: `current` in its
    // older form converted), then the curves. A missing phase (or, without
    // keepPhase, a flat one) is filled in with the minimum phase of the
    // magnitude; group delays, the minimum phase and minimum group delay are
    // derived where not given; excess phase and excess group delay always.
    // The minimum phase is computed at the accuracy of the set's own settings.
    // False, with the set cleared, when frequency or magnitude is missing,
    // the axis has fewer than two distinct positive ascending frequencies,
    // a vector's length differs from the axis, or an allocation fails.
    bool SetCurves(std::string_view title, const AcquireDate* date, const CurveInput& input,
                   const SettingsBlock* settings, int colour, bool keepPhase,
                   const SettingsBlock& current = SettingsBlock());

    // The curves after the header is in place: the steps of SetCurves from
    // the axis on. False (set cleared) as SetCurves.
    bool BuildCurves(const CurveInput& input, int colour, bool keepPhase);

    const YCurve* FindCurve(CurveKind kind, bool fromStored) const;
    YCurve* FindCurve(CurveKind kind, bool fromStored);
    bool Has(CurveKind kind) const { return FindCurve(kind, true) != nullptr; }

    // n / log2(fmax / fmin) rounded half away from zero; 0 for an empty axis
    // or one whose lowest frequency is not below its highest.
    int PointsPerOctave() const;

    // For i >= 0 stores i; then colours every curve from its family table's
    // slot colourIndex.
    void SetColourIndex(int i);
    void SetPhaseUnwrapped(bool flag, bool force);
    void SetDistortionPercent(bool flag, bool force);

    // Each pushes an undo snapshot first, clears the saved flag and refreshes
    // the display copies. Smooth: 1/fraction octave with a method of YSmooth,
    // only when fraction is below PointsPerOctave; false when a curve could
    // not be smoothed (the set is then as before).
    bool Smooth(int fraction, int method);
    // Subtracts the magnitude at the first point at or above f (clamped to the axis).
    void NormalizeAt(double f);
    void AddLevel(double dB);

    void PushUndo();
    // Restores the newest snapshot (nothing without one).
    void Undo();
    std::size_t UndoDepth() const { return undo_.size(); }

    // Recomputes every display copy from its stored curve.
    void RefreshDisplay();

    // The curve record of a frequency curve file. WriteRecord fails on an
    // empty axis; it marks the set saved only through MarkSaved (the file
    // must be complete first). ReadRecord reads a record written by this
    // version (2960-byte settings) or the one before (2848 bytes, converted)
    // and builds the set; false (set cleared) on a short or corrupt record.
    bool WriteRecord(ByteWriter& out) const;
    // The bytes WriteRecord writes.
    std::size_t RecordSize() const;
    bool ReadRecord(ByteReader& in, bool isCurrentVersion);

    const YDoubleVec& Frequency() const { return frequency_; }
    const std::vector<std::unique_ptr<YCurve>>& Stored() const { return stored_; }
    const std::vector<std::unique_ptr<YCurve>>& Display() const { return display_; }

    DataSetHeader& Header() { return header_; }
    const DataSetHeader& Header() const { return header_; }
    const std::string& Title() const { return header_.title; }
    void SetTitle(std::string_view t) { header_.SetTitle(t); }
    const std::string& Path() const { return header_.path; }
    void SetPath(std::string_view p) { header_.SetPath(p, kFreqPathFieldSize); }

    bool IsSaved() const { return saved_; }
    void MarkSaved(bool saved) { saved_ = saved; }
    bool PhaseUnwrapped() const { return phaseUnwrapped_; }
    bool DistortionPercent() const { return distortionPercent_; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    int ColourIndex() const { return colourIndex_; }

private:
    void RefreshDisplayCurve(const YCurve& stored, YCurve& display) const;

    YDoubleVec frequency_;
    std::vector<std::unique_ptr<YCurve>> stored_;
    std::vector<std::unique_ptr<YCurve>> display_;
    DataSetHeader header_;
    bool saved_ = false;
    std::vector<std::unique_ptr<YCurveUndo>> undo_;
    bool phaseUnwrapped_ = false;
    bool distortionPercent_ = true;
    bool visible_ = true;
    int colourIndex_ = 0;
};

// True when the axis holds at least two distinct frequencies, all finite,
// positive and ascending: what every frequency response needs.
bool IsUsableFrequencyAxis(const YDoubleVec& frequency);

// WrapPhase: x mapped into [-pi, pi] by whole turns.
double WrapPhase(double x);

}  // namespace sonbex::curves
