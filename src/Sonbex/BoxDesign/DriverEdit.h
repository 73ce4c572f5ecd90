#pragma once
// The fields of the "Speaker Driver Database" dialog and the record they
// make: units as shown (litres, cm^2, mm, mH), missing values derived (Qms or
// Qes from Qts, Sd or Xmax from Vd), every value checked. Editing an existing
// driver starts from its record, so what the dialog does not show (the Le
// table, Znom, source, time stamp, reserved bytes) is kept; when Le changed,
// the Le table is scaled with it.
// Pure functions; safe from any thread.

#include "Sonbex/BoxDesign/DriverRecord.h"

#include <optional>
#include <string>

namespace sonbex::boxdesign {

inline constexpr const char* kFillAllFields = "All fields except the comment must be filled ! ";

// Values as typed; an empty or unreadable field is std::nullopt.
struct DriverFields {
    std::string manufacturer;
    std::string model;
    std::string comment;
    std::optional<double> fs;   // Hz
    std::optional<double> vas;  // litres
    std::optional<double> qms;
    std::optional<double> qes;
    std::optional<double> qts;   // only to derive Qms or Qes
    std::optional<double> sd;    // cm^2
    std::optional<double> vd;    // litres, only to derive Sd or Xmax
    std::optional<double> xmax;  // mm
    std::optional<double> re;    // ohm
    std::optional<double> le;    // mH
};

// The fields that show `record`.
DriverFields FieldsOf(const DriverRecord& record);

struct DriverEditResult {
    bool ok = false;
    DriverRecord record;
    std::string message;  // why not, naming the field
};

// `base` is the record being edited (null for a new driver); its hidden
// fields are kept when the name stays that of `base` (case-insensitive).
DriverEditResult BuildDriverRecord(const DriverFields& fields, const DriverRecord* base);

}  // namespace sonbex::boxdesign
