#pragma once
// Thiele-Small parameters from impedance curves: fs, Zmax, Qms, Qes, Znom and
// Levc from the free-air curve; with a second curve measured with an added
// mass ("Delta Mass") or in a closed box of known volume ("Delta
// Compliance"), the moving mass and from it Cms, Vas, Bl, Rms, the efficiency
// and the sensitivities. The results live in a TSRecord.
//
// The peak and the side frequencies at sqrt(Revc*Zmax) are interpolated
// (a parabola over log frequency through the three points around the peak;
// the crossings linearly over log frequency), so the results do not depend
// on the density of the frequency axis.
//
// Delta compliance: the box adds the stiffness K = rho c^2 Sd^2 / Vt and
// replaces the rear air load A by 0.85 A; with w, w' the free and boxed
// resonances, Mmd = (K - A (1.85 w'^2 - 2 w^2)) / (w'^2 - w^2) and
// Mms = Mmd + 2 A.
//
// One thread at a time; the curves are copied.

#include "Sonbex/BoxDesign/YSpeakerData.h"
#include "Sonbex/BoxDesign/YThieleSmall.h"
#include "Sonbex/PostProcessing/ImpedanceCurve.h"
#include "Sonbex/PostProcessing/TSRecord.h"

#include <optional>
#include <string>

namespace sonbex::postprocessing {

inline constexpr const char* kEnterRevc = "You must enter Revc ! ";
inline constexpr const char* kInsertNeedsName =
    "The manufacturer name and model must be filled, skipping insert ! ";
inline constexpr const char* kInsertNotCalculated =
    "All required values isn't calculated, skipping insert ! ";
inline constexpr const char* kInsertFailed = "Failed to insert the data ! ";

// What the user typed in the dialog (or on the command line), in its units.
struct TSEntry {
    double revc = 0;       // ohm
    double diaphragm = 0;  // cm^2 when areaEntry, else the diameter in cm
    bool areaEntry = true;
    double xmaxMm = 0;
    double added = 0;  // g (delta mass) or litres (delta compliance)
};

enum class TSOutcome { Calculated, Refused };

class CalcTS : public boxdesign::YThieleSmall {
public:
    // `loaded` null: the free-air curve only.
    CalcTS(ImpedanceCurve freeAir, std::optional<ImpedanceCurve> loaded, const TSRecord& record);

    // The resonance of a curve (the peak search of AnalyseCurve); 0 when none.
    static double FindResonance(const ImpedanceCurve& curve);
    // One curve's results; false with `why` when the curve has no usable
    // resonance, or Revc is not below its maximum.
    static bool AnalyseCurve(const ImpedanceCurve& curve, double revc, CurveResults& out,
                             std::string* why = nullptr);
    // Mmd from the two resonances; empty when they are equal or zero, or Sd or
    // the added value is not positive.
    static std::optional<double> MovingMass(bool isMass, double fs, double fsLoaded, double sd, double added);

    bool HasLoaded() const { return loaded_.has_value(); }
    // Delta mass when the loaded resonance lies below the free-air one (and
    // without a loaded curve), else delta compliance.
    bool DetectDeltaMass() const;
    // 0.8 times the smallest free-air |Z| over all points but the last.
    double ScanRevc() const;

    // "Recalc T/S": takes the entry into the record, checks it and calculates.
    // Refused with `message` (for the user) when an entry is missing or the
    // curves give no result.
    TSOutcome Recalc(const TSEntry& entry, std::string& message);
    // The calculation from the record's Revc, Sd, added value and method.
    bool Calculate(std::string* why = nullptr);

    TSRecord& Record() { return record_; }
    const TSRecord& Record() const { return record_; }
    bool Calculated() const { return calculated_; }

    // The report as text, Windows-1252, CR LF line ends, at most 8192 bytes.
    std::string CopyReport() const;
    // Adds the results to the database (replacing a driver of the same name);
    // false with `message` when the record is not complete or adding failed.
    bool InsertIntoDatabase(boxdesign::YSpeakerData& db, std::string& message,
                            boxdesign::DriverId* id = nullptr) const;
    // The driver record the results make.
    boxdesign::DriverRecord ToDriverRecord() const;

private:
    ImpedanceCurve freeAir_;
    std::optional<ImpedanceCurve> loaded_;
    TSRecord record_;
    bool calculated_ = false;
};

}  // namespace sonbex::postprocessing
