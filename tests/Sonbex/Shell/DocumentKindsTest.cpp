#include "Sonbex/Shell/DocumentKinds.h"

#include "Platform/IFileChooser.h"

#include <gtest/gtest.h>

#include <set>

namespace sonbex::shell {
namespace {

TEST(DocumentKinds, ElevenKindsWithTheirClassNames) {
    ASSERT_EQ(DocumentKinds().size(), 11u);
    std::set<int> ids;
    for (const DocumentKindInfo& k : DocumentKinds()) {
        EXPECT_TRUE(ids.insert(k.id).second) << k.id;
        EXPECT_EQ(WindowClassName(k.id), k.className);
        EXPECT_EQ(k.className.substr(0, 12), "Sonbex3Class") << k.id;
    }
    EXPECT_EQ(WindowClassName(kind::kFrequencyGraph), "Sonbex3ClassMdiFrqGraph");
    EXPECT_EQ(WindowClassName(2001), "Sonbex3Class");
    EXPECT_EQ(WindowClassName(kind::kSweepTable), "Sonbex3ClassSweepTable");
    EXPECT_EQ(FindDocumentKind(kind::kSweepTable), nullptr) << "no creatable document kind";
    EXPECT_EQ(FindDocumentKind(2049), nullptr);
    EXPECT_TRUE(WindowClassName(1999).empty());
}

TEST(DocumentKinds, OpeningDispatchesByExtension) {
    struct Case {
        const char* path;
        OpenPlan plan;
    };
    using T = OpenTarget;
    const Case cases[] = {
        {"/m/woofer.SXF", {T::Window, kind::kFrequencyGraph, true}},
        {"/m/woofer.sxf", {T::Window, kind::kFrequencyGraph, true}},
        {"z.SxZ", {T::Window, kind::kImpedanceGraph, false}},
        {"pulse.sxp", {T::Window, kind::kImpulseGraph, false}},
        {"polar.spp", {T::Window, kind::kPolarPlot, false}},
        {"decay.csd", {T::Window, kind::kCsdGraph, false}},
        {"box.sxb", {T::Window, kind::kBoxDesign, false}},
        {"filter.SXX", {T::Window, kind::kCrossoverSchematic, false}},
        {"many.smg", {T::Window, kind::kMultiGraph, false}},
        {"setup.mst", {T::MeasurementSettings, 0, false}},
        {"export.txt", {}},
        {"record.wav", {}},
        {"/dir.sxf/noext", {}},  // the extension of a folder is none
        {"/m/.sxf", {}},         // a leading dot alone is no extension
        {"/m/woofer.sxf.bak", {}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(PlanOpen(c.path), c.plan) << c.path;
}

TEST(DocumentKinds, OpenFilterOffersEveryNativeType) {
    const auto filters = platform::ParseFileFilter(kNativeOpenFilter);
    ASSERT_FALSE(filters.empty());
    std::set<std::string> all(filters[0].patterns.begin(), filters[0].patterns.end());
    EXPECT_EQ(all.size(), filters[0].patterns.size()) << "a pattern twice";
    for (const char* p : {"*.SXF", "*.SXZ", "*.SXP", "*.SPP", "*.MST", "*.CSD", "*.SXB", "*.SXX", "*.SMG"})
        EXPECT_TRUE(all.count(p)) << p;
    EXPECT_EQ(platform::ParseFileFilter(kImportFilter).size(), 7u);
}

}  // namespace
}  // namespace sonbex::shell
