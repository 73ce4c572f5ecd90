#pragma once
// The fields of the measurement configuration record by name, for the
// headless program and machine-readable output: each with its offset, type,
// valid range and a short description. Setting a field checks its value
// against that range and says the range when it refuses.
//
// Pure data and pure functions: safe from any thread.

#include "Sonbex/Measurement/MeasConfig.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sonbex::measurement {

enum class FieldType { I16, U16, I32, U32, F64, Text };

struct MeasField {
    const char* name;
    std::size_t offset;
    FieldType type;
    double min;  // numbers: the valid range
    double max;
    bool minExclusive;    // the value must lie above min
    const char* choices;  // numbers that are the only valid ones ("8,16,20,24,32"); null: the range
    const char* meaning;
};

// Every field, in record order.
std::span<const MeasField> MeasFields();
const MeasField* FindMeasField(std::string_view name);

// "8, 16, 20, 24 or 32", "4 to 256", "above 0 up to 1", "text of at most 259 bytes".
std::string FieldRange(const MeasField& field);
bool IsNumberField(const MeasField& field);
// Number fields as a double, text fields empty.
double FieldNumber(const MeasConfig& config, const MeasField& field);
// The value as text (numbers in the shortest form that reads back the same).
std::string FieldText(const MeasConfig& config, const MeasField& field);
// Parses and stores `value`; false (nothing changed) with `error` naming the
// field and its valid range when the value is not a number of the field's
// kind or lies outside the range.
bool SetMeasField(MeasConfig& config, const MeasField& field, std::string_view value, std::string& error);

}  // namespace sonbex::measurement
