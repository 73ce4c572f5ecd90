#pragma once
// The closed-form relations between Thiele-Small parameters, with the air
// constants c = 344 m/s and rho = 1.2 kg/m^3. A mix-in of the box simulation,
// the parameter calculation and the speaker database. All values SI.
// Const and safe from any thread.

namespace sonbex::boxdesign {

class YThieleSmall {
public:
    YThieleSmall() = default;
    virtual ~YThieleSmall() = default;

    double SpeedOfSound() const { return c_; }
    double AirDensity() const { return rho_; }

    // Qt*Qe/(Qe-Qt): Qms from (Qts, Qes), or Qes from (Qts, Qms); 0 when equal.
    static double QmsFromQ(double qt, double qe);
    static double QtsFromQ(double qe, double qm);  // 0 when the sum is 0
    static double ForceFactor(double fs, double mms, double re, double qes, double rs);
    static double MechResistance(double fs, double mms, double qms);
    double VasFromCms(double cms, double sd) const;
    double CmsFromVas(double vas, double sd) const;
    // 1/(4 pi^2 f^2 x): Cms from (fs, Mms) or Mms from (fs, Cms).
    static double ResonanceCounterpart(double f, double x);
    static double AirLoadMass(double sd);  // 0.575*Sd^1.5, one side of the piston
    static double MovingMassToMmd(double mms, double sd);
    double Efficiency(double fs, double vas, double qes) const;
    static double SplAt1W(double eta0);
    static double SplAt2V83(double eta0, double re);
    static double AreaFromDiameter(double d);  // 0.6*D^2
    static double Product(double a, double b) { return a * b; }

private:
    double c_ = 344.0;
    double rho_ = 1.2;
};

}  // namespace sonbex::boxdesign
