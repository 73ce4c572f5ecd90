#include "Sonbex/Shell/DocumentKinds.h"

#include "Platform/Paths.h"

namespace sonbex::shell {
namespace {

constexpr DocumentKindInfo kKinds[] = {
    {kind::kBoxDesign, "Sonbex3ClassMdiBoxDes", "YBoxDesign"},
    {kind::kCrossoverSchematic, "Sonbex3ClassMdiXOSchm", "XOverCAD"},
    {kind::kCrossoverResult, "Sonbex3ClassMdiXOFreq", "XOverResult"},
    {kind::kCurveData, "Sonbex3ClassMdiMesList", "MeasData"},
    {kind::kLimitsResult, "Sonbex3ClassLimitsResTable", "YLimitsResult"},
    {kind::kImpulseGraph, "Sonbex3ClassMdiMesGraph", "YMeasGraph"},
    {kind::kFrequencyGraph, "Sonbex3ClassMdiFrqGraph", "FreqGraph"},
    {kind::kImpedanceGraph, "Sonbex3ClassMdiZGraph", "ImpedanceGraph"},
    {kind::kPolarPlot, "Sonbex3ClassMdiPolarPlot", "PolarPlot"},
    {kind::kCsdGraph, "Sonbex3ClassMdiCSDGraph", "CSDGraph"},
    {kind::kMultiGraph, "Sonbex3ClassMdiMultiGraph", "MultiGraph"},
};

struct OtherClass {
    int id;
    std::string_view name;
};
constexpr OtherClass kOtherClasses[] = {
    {2001, "Sonbex3Class"},
    {2002, "Sonbex3ClassMdiGeneric"},
    {2010, "Sonbex3ClassMdiScript"},
    {2011, "Sonbex3ClassMdiOutput"},
    {2030, "Sonbex3ClassMdiXOList"},
    {2031, "Sonbex3ClassMdiBlock"},
    {2034, "Sonbex3ClassMdiXOTime"},
    {2041, "Sonbex3ClassSweepTable"},
    {2042, "Sonbex3ClassLimitsTable"},
    {2049, "Sonbex3ClassMdiSTIGraph"},
};

struct ExtensionRule {
    std::string_view extension;
    OpenPlan plan;
};
constexpr ExtensionRule kExtensions[] = {
    {".SPP", {OpenTarget::Window, kind::kPolarPlot, false}},
    {".SXF", {OpenTarget::Window, kind::kFrequencyGraph, true}},
    {".SXZ", {OpenTarget::Window, kind::kImpedanceGraph, false}},
    {".SXP", {OpenTarget::Window, kind::kImpulseGraph, false}},
    {".CSD", {OpenTarget::Window, kind::kCsdGraph, false}},
    {".SXB", {OpenTarget::Window, kind::kBoxDesign, false}},
    {".SXX", {OpenTarget::Window, kind::kCrossoverSchematic, false}},
    {".SMG", {OpenTarget::Window, kind::kMultiGraph, false}},
    {".MST", {OpenTarget::MeasurementSettings, 0, false}},
};

}  // namespace

std::span<const DocumentKindInfo> DocumentKinds() { return kKinds; }

const DocumentKindInfo* FindDocumentKind(int id) {
    for (const DocumentKindInfo& k : kKinds)
        if (k.id == id) return &k;
    return nullptr;
}

std::string_view DocumentKindNoun(int id) {
    switch (id) {
        case kind::kBoxDesign:
            return "box design";
        case kind::kCrossoverSchematic:
            return "crossover schematic";
        case kind::kCrossoverResult:
            return "crossover result";
        case kind::kCurveData:
            return "curve data";
        case kind::kLimitsResult:
            return "QC limits result";
        case kind::kImpulseGraph:
            return "impulse graph";
        case kind::kFrequencyGraph:
            return "frequency graph";
        case kind::kImpedanceGraph:
            return "impedance graph";
        case kind::kPolarPlot:
            return "polar plot";
        case kind::kCsdGraph:
            return "CSD waterfall";
        case kind::kMultiGraph:
            return "multi-graph";
    }
    return {};
}

std::string_view WindowClassName(int id) {
    if (const DocumentKindInfo* k = FindDocumentKind(id)) return k->className;
    for (const OtherClass& c : kOtherClasses)
        if (c.id == id) return c.name;
    return {};
}

OpenPlan PlanOpen(std::string_view path) {
    for (const ExtensionRule& rule : kExtensions)
        if (platform::HasExtension(path, rule.extension)) return rule.plan;
    return {};
}

}  // namespace sonbex::shell
