#include "Sonbex/BoxDesign/DriverEdit.h"

#include <gtest/gtest.h>

namespace sonbex::boxdesign {
namespace {

DriverFields Typed() {
    DriverFields f;
    f.manufacturer = "ACME";
    f.model = "W8";
    f.fs = 30;
    f.vas = 50;
    f.qms = 4;
    f.qes = 0.4;
    f.sd = 200;
    f.xmax = 5;
    f.re = 6;
    f.le = 1;
    return f;
}

TEST(DriverEditTest, DerivedValuesAndUnits) {
    DriverFields f = Typed();
    f.qms.reset();
    f.qes = 0.5;
    f.qts = 0.4;
    f.sd.reset();
    f.vd = 0.1;
    DriverEditResult r = BuildDriverRecord(f, nullptr);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_NEAR(r.record.qms, 2.0, 1e-12);
    EXPECT_NEAR(r.record.sd * 1e4, 200.0, 1e-9);
    EXPECT_NEAR(r.record.vas, 0.05, 1e-15);
    EXPECT_NEAR(r.record.xmax, 0.005, 1e-15);
    EXPECT_NEAR(r.record.le, 0.001, 1e-15);
    EXPECT_NEAR(r.record.le1k, 0.001, 1e-15);

    f = Typed();
    f.qes.reset();
    f.qms = 2;
    f.qts = 0.4;
    f.xmax.reset();
    f.vd = 0.1;
    r = BuildDriverRecord(f, nullptr);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_NEAR(r.record.qes, 0.5, 1e-12);
    EXPECT_NEAR(r.record.xmax, 0.005, 1e-12);
}

TEST(DriverEditTest, BadFieldsAreNamed) {
    struct Case {
        const char* name;
        std::function<void(DriverFields&)> edit;
        std::string message;
    } cases[] = {
        {"Le zero", [](DriverFields& f) { f.le = 0; }, "Levc (m.H)"},
        {"Le missing", [](DriverFields& f) { f.le.reset(); }, "Levc (m.H)"},
        {"fs negative", [](DriverFields& f) { f.fs = -30; }, "fs (Hz)"},
        {"Qts above Qes", [](DriverFields& f) { f.qms.reset(), f.qts = 0.5; },
         "Qts must be smaller than Qes"},
        {"Qts equal to Qms", [](DriverFields& f) { f.qes.reset(), f.qts = 4; },
         "Qts must be smaller than Qms"},
        {"no model", [](DriverFields& f) { f.model.clear(); }, kFillAllFields},
    };
    for (const Case& c : cases) {
        DriverFields f = Typed();
        c.edit(f);
        const DriverEditResult r = BuildDriverRecord(f, nullptr);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_NE(r.message.find(c.message), std::string::npos) << c.name << ": " << r.message;
    }
}

TEST(DriverEditTest, EditingKeepsWhatTheDialogDoesNotShow) {
    DriverRecord stored = BuildDriverRecord(Typed(), nullptr).record;
    stored.le1k = 0.0012;
    stored.le5k = 0.0008;
    stored.le10k = 0.0006;
    stored.le20k = 0.0004;
    stored.znom = 8;
    stored.source = kOldDriverSource;
    stored.stamp = {true, 2025, 1, 2, 3, 4, 5};
    stored.reservedTail[0] = 7;

    // One field changed (fs): everything else as stored.
    DriverFields f = FieldsOf(stored);
    f.fs = 31;
    DriverEditResult r = BuildDriverRecord(f, &stored);
    ASSERT_TRUE(r.ok) << r.message;
    DriverRecord expected = stored;
    expected.fs = 31;
    EXPECT_EQ(r.record.le, stored.le);
    EXPECT_NEAR(r.record.vas, stored.vas, 1e-15);
    expected.vas = r.record.vas;
    expected.sd = r.record.sd;
    expected.xmax = r.record.xmax;
    EXPECT_EQ(r.record, expected);

    // Le edited: the table follows it.
    f = FieldsOf(stored);
    f.le = 2;
    r = BuildDriverRecord(f, &stored);
    ASSERT_TRUE(r.ok);
    EXPECT_NEAR(r.record.le, 0.002, 1e-15);
    EXPECT_NEAR(r.record.le1k, 0.0024, 1e-15);
    EXPECT_NEAR(r.record.le20k, 0.0008, 1e-15);
    EXPECT_EQ(r.record.znom, 8);

    // Another name: a new driver, nothing hidden taken over.
    f = FieldsOf(stored);
    f.model = "W10";
    r = BuildDriverRecord(f, &stored);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.record.znom, 0);
    EXPECT_TRUE(r.record.source.empty());
}

}  // namespace
}  // namespace sonbex::boxdesign

#include "Sonbex/BoxDesign/StoredText.h"

namespace sonbex::boxdesign {
namespace {

TEST(StoredTextTest, Utf8ToWindows1252) {
    struct Case {
        const char* utf8;
        const char* stored;
    } cases[] = {
        {"ACME W8", "ACME W8"},
        {"Kl\xC3\xBCgel", "Kl\xFCgel"},  // u umlaut: Latin-1 range
        {"\xE2\x82\xAC 99", "\x80 99"},  // euro sign: the Windows-1252 range
        {"\xE2\x84\xA2", "\x99"},        // trade mark sign
        {"\xE4\xB8\xAD", "?"},           // not in Windows-1252
        {"bad \xC3", "bad ?"},           // cut sequence
        {"\xFFx", "?x"},                 // invalid byte
    };
    for (const Case& c : cases) EXPECT_EQ(Windows1252FromUtf8(c.utf8), c.stored) << c.utf8;
}

}  // namespace
}  // namespace sonbex::boxdesign
