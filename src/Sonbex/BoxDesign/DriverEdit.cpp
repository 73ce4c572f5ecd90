#include "Sonbex/BoxDesign/DriverEdit.h"

#include "Sonbex/BoxDesign/YSpeakerData.h"
#include "Sonbex/BoxDesign/YThieleSmall.h"

#include <cmath>

namespace sonbex::boxdesign {

namespace {
bool Positive(const std::optional<double>& v) { return v && std::isfinite(*v) && *v > 0; }

std::string MustBePositive(const char* field) {
    return std::string("The value of ") + field + " must be a number above 0 ! ";
}
}  // namespace

DriverFields FieldsOf(const DriverRecord& r) {
    DriverFields f;
    f.manufacturer = r.manufacturer;
    f.model = r.model;
    f.comment = r.comment;
    f.fs = r.fs;
    f.vas = r.vas * 1000;
    f.qms = r.qms;
    f.qes = r.qes;
    f.qts = r.Qts();
    f.sd = r.sd * 1e4;
    f.vd = r.sd * r.xmax * 1000;
    f.xmax = r.xmax * 1000;
    f.re = r.re;
    f.le = r.le * 1000;
    return f;
}

DriverEditResult BuildDriverRecord(const DriverFields& in, const DriverRecord* base) {
    DriverEditResult result;
    DriverFields f = in;
    // Derived values: Qms or Qes from Qts, Sd or Xmax from Vd.
    if (!Positive(f.qms) && Positive(f.qes) && Positive(f.qts)) {
        if (*f.qts >= *f.qes) {
            result.message = "Qts must be smaller than Qes to derive Qms ! ";
            return result;
        }
        f.qms = YThieleSmall::QmsFromQ(*f.qts, *f.qes);
    }
    if (!Positive(f.qes) && Positive(f.qms) && Positive(f.qts)) {
        if (*f.qts >= *f.qms) {
            result.message = "Qts must be smaller than Qms to derive Qes ! ";
            return result;
        }
        f.qes = YThieleSmall::QmsFromQ(*f.qts, *f.qms);
    }
    // Vd in litres, Xmax in mm, Sd in cm^2.
    if (!Positive(f.sd) && Positive(f.vd) && Positive(f.xmax)) f.sd = (*f.vd * 1e-3) / (*f.xmax * 1e-3) * 1e4;
    if (!Positive(f.xmax) && Positive(f.sd) && Positive(f.vd)) f.xmax = (*f.vd * 1e-3) / (*f.sd * 1e-4) * 1e3;

    const struct {
        const std::optional<double>& value;
        const char* name;
    } required[] = {{f.fs, "fs (Hz)"},    {f.vas, "Vas (liter)"}, {f.qms, "Qms"},
                    {f.qes, "Qes"},       {f.sd, "Sd (cm\xB2)"},  {f.xmax, "Xmax (\xB1mm)"},
                    {f.re, "Revc (Ohm)"}, {f.le, "Levc (m.H)"}};
    for (const auto& r : required)
        if (!Positive(r.value)) {
            result.message = MustBePositive(r.name);
            return result;
        }
    if (f.manufacturer.empty() || f.model.empty()) {
        result.message = kFillAllFields;
        return result;
    }

    const bool sameDriver = base && CompareNoCase(base->manufacturer, f.manufacturer) == 0 &&
                            CompareNoCase(base->model, f.model) == 0;
    DriverRecord r = sameDriver ? *base : DriverRecord{};
    r.manufacturer = f.manufacturer.substr(0, kManufacturerSize - 1);
    r.model = f.model.substr(0, kModelSize - 1);
    r.comment = f.comment.substr(0, kCommentSize - 1);
    r.fs = *f.fs;
    r.vas = *f.vas * 1e-3;
    r.qms = *f.qms;
    r.qes = *f.qes;
    r.sd = *f.sd * 1e-4;
    r.xmax = *f.xmax * 1e-3;
    r.re = *f.re;
    const double le = *f.le * 1e-3;
    // Four decimals in mH are shown: a value that reads back the same is unchanged.
    const bool leChanged = !sameDriver || std::fabs(le - base->le) > 0.5e-7;
    if (leChanged) {
        if (sameDriver && base->le > 0) {
            const double k = le / base->le;
            r.le1k *= k;
            r.le5k *= k;
            r.le10k *= k;
            r.le20k *= k;
        } else {
            r.le1k = le;
            r.le5k = r.le10k = r.le20k = 0;
        }
        r.le = le;
    }
    result.ok = true;
    result.record = r;
    return result;
}

}  // namespace sonbex::boxdesign
