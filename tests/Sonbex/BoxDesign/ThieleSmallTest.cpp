#include "Sonbex/BoxDesign/DriverRecord.h"
#include "Sonbex/BoxDesign/YThieleSmall.h"

#include <gtest/gtest.h>

namespace sonbex::boxdesign {
namespace {

// The textbook driver: fs 30 Hz, Vas 50 l, Sd 0.02 m^2, Qes 0.4, Qms 4, Re 6 ohm.
TEST(ThieleSmallTest, RelationsOfTheReferenceDriver) {
    const YThieleSmall ts;
    const double fs = 30, vas = 0.05, sd = 0.02, qes = 0.4, qms = 4, re = 6;
    const double cms = ts.CmsFromVas(vas, sd);
    const double mms = YThieleSmall::ResonanceCounterpart(fs, cms);
    const double eta0 = ts.Efficiency(fs, vas, qes);
    struct Case {
        const char* name;
        double value, expected, tolerance;
    } cases[] = {
        {"Cms m/N", cms, 8.8026e-4, 0.0001e-4},
        {"Mms g", mms * 1000, 31.973, 0.001},
        {"Bl T m", YThieleSmall::ForceFactor(fs, mms, re, qes, 0), 9.508, 0.001},
        {"Rms N s/m", YThieleSmall::MechResistance(fs, mms, qms), 1.5067, 0.0001},
        {"eta0 %", eta0 * 100, 0.32731, 0.00001},
        {"SPL 1 W dB", YThieleSmall::SplAt1W(eta0), 87.17, 0.005},
        {"SPL 2.83 V dB", YThieleSmall::SplAt2V83(eta0, re), 88.42, 0.005},
        {"Vas back from Cms", ts.VasFromCms(cms, sd), vas, 1e-12},
        {"Cms back from Mms", YThieleSmall::ResonanceCounterpart(fs, mms), cms, 1e-12},
        {"Qts", YThieleSmall::QtsFromQ(qes, qms), 0.4 * 4 / 4.4, 1e-12},
        {"Qms from Qts, Qes", YThieleSmall::QmsFromQ(0.4, 0.5), 2.0, 1e-12},
        {"Qes from Qts, Qms", YThieleSmall::QmsFromQ(0.4, 2.0), 0.5, 1e-12},
        {"Qms from equal Q", YThieleSmall::QmsFromQ(0.5, 0.5), 0.0, 0},
        {"Qts of zero sum", YThieleSmall::QtsFromQ(0, 0), 0.0, 0},
        {"air load mass", YThieleSmall::AirLoadMass(0.04), 0.575 * 0.008, 1e-15},
        {"Mmd", YThieleSmall::MovingMassToMmd(0.03, 0.04), 0.03 - 2 * 0.575 * 0.008, 1e-15},
        {"area from diameter", YThieleSmall::AreaFromDiameter(0.2), 0.024, 1e-15},
    };
    for (const Case& c : cases) EXPECT_NEAR(c.value, c.expected, c.tolerance) << c.name;
    EXPECT_EQ(ts.SpeedOfSound(), 344.0);
    EXPECT_EQ(ts.AirDensity(), 1.2);
}

TEST(DriverRecordTest, FieldsAtTheirOffsetsAndReservedBytesKept) {
    DriverRecord r;
    r.manufacturer = "ACME";
    r.model = std::string(200, 'M');  // longer than the field: cut, terminator kept
    r.source = kOldDriverSource;
    r.stamp = {true, 2026, 12, 11, 13, 5, 9};
    r.fs = 30;
    r.le = 0.001;
    r.znom = 8;
    r.reservedTail[10] = 0x5A;
    const DriverBytes b = EncodeDriverRecord(r);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data())), "ACME");
    EXPECT_EQ(b[128 + 126], 'M');
    EXPECT_EQ(b[128 + 127], 0);
    EXPECT_EQ(b[544], 1);
    EXPECT_EQ(le::GetU16(b.data() + 546), 2026);
    EXPECT_EQ(le::GetU16(b.data() + 556), 9);
    EXPECT_EQ(le::GetF64(b.data() + 560), 30.0);
    EXPECT_EQ(le::GetF64(b.data() + 632), 0.001);
    EXPECT_EQ(le::GetF64(b.data() + 672), 8.0);
    EXPECT_EQ(b[690], 0x5A);

    const DriverRecord back = DecodeDriverRecord(b);
    EXPECT_EQ(back.model, std::string(127, 'M'));
    DriverRecord expected = r;
    expected.model = back.model;
    EXPECT_EQ(back, expected);
}

}  // namespace
}  // namespace sonbex::boxdesign
