#include "Sonbex/BoxDesign/YThieleSmall.h"

#include <cmath>
#include <numbers>

namespace sonbex::boxdesign {

namespace {
constexpr double kFourPiSquared = 39.47841760435743;
}

double YThieleSmall::QmsFromQ(double qt, double qe) { return qe == qt ? 0.0 : qt * qe / (qe - qt); }

double YThieleSmall::QtsFromQ(double qe, double qm) {
    const double sum = qe + qm;
    return sum == 0 ? 0.0 : qe * qm / sum;
}

double YThieleSmall::ForceFactor(double fs, double mms, double re, double qes, double rs) {
    return std::sqrt(2 * std::numbers::pi * fs * mms * (re + rs) / qes);
}

double YThieleSmall::MechResistance(double fs, double mms, double qms) {
    return 2 * std::numbers::pi * fs * mms / qms;
}

double YThieleSmall::VasFromCms(double cms, double sd) const { return rho_ * c_ * c_ * sd * sd * cms; }

double YThieleSmall::CmsFromVas(double vas, double sd) const { return vas / (rho_ * c_ * c_ * sd * sd); }

double YThieleSmall::ResonanceCounterpart(double f, double x) { return 1.0 / (kFourPiSquared * f * f * x); }

double YThieleSmall::AirLoadMass(double sd) { return 0.575 * std::pow(sd, 1.5); }

double YThieleSmall::MovingMassToMmd(double mms, double sd) { return mms - 2 * AirLoadMass(sd); }

double YThieleSmall::Efficiency(double fs, double vas, double qes) const {
    return kFourPiSquared * fs * fs * fs * vas / (c_ * c_ * c_ * qes);
}

double YThieleSmall::SplAt1W(double eta0) { return 10 * std::log10(eta0 * 159154943091.89536); }

double YThieleSmall::SplAt2V83(double eta0, double re) { return SplAt1W(eta0) + 10 * std::log10(8 / re); }

double YThieleSmall::AreaFromDiameter(double d) { return 0.6 * d * d; }

}  // namespace sonbex::boxdesign
