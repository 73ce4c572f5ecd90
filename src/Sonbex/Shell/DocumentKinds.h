#pragma once
// The document window kinds, named by the string ids of their window classes,
// and which kind opens a native file by its extension.
// Pure data and functions: safe from any thread.

#include <span>
#include <string>
#include <string_view>

namespace sonbex::shell {

namespace kind {
inline constexpr int kBoxDesign = 2020;
inline constexpr int kCrossoverSchematic = 2032;
inline constexpr int kCrossoverResult = 2033;
inline constexpr int kCurveData = 2040;
inline constexpr int kLimitsResult = 2043;
inline constexpr int kImpulseGraph = 2044;
inline constexpr int kFrequencyGraph = 2045;
inline constexpr int kImpedanceGraph = 2046;
inline constexpr int kPolarPlot = 2047;
inline constexpr int kCsdGraph = 2048;
inline constexpr int kMultiGraph = 2050;
// Window classes that are no creatable document kind.
inline constexpr int kSweepTable = 2041;
inline constexpr int kLimitsTable = 2042;
}  // namespace kind

inline constexpr const char* kProductTitle = "Sonbex Analyzer 3";      // string 2000
inline constexpr const char* kFrameCaption = "Sonbex Analyzer 3 Std";  // title + " Std"
inline constexpr const char* kFrameClassName = "Sonbex3Class";         // string 2001

struct DocumentKindInfo {
    int id;
    std::string_view className;   // "Sonbex3ClassMdiFrqGraph"
    std::string_view objectName;  // the window class of the application ("FreqGraph")
};
// The eleven document kinds, in id order.
std::span<const DocumentKindInfo> DocumentKinds();
// Null for an id that is no document kind (2041, 2042, 2049 ... included).
const DocumentKindInfo* FindDocumentKind(int id);
// What a window of the kind is called in messages ("frequency graph"); empty
// for an id that is no document kind.
std::string_view DocumentKindNoun(int id);
// The class name of any window-class string id (2001, 2002, 2010 ... too); empty when none.
std::string_view WindowClassName(int id);

// What opening a file does, by the extension of its file-name part
// (compared without regard to case).
enum class OpenTarget {
    None,                 // no native kind claims it: import it (or refuse)
    Window,               // a new window of `windowKind`, which loads it
    MeasurementSettings,  // .MST: load as the current measurement settings
};
struct OpenPlan {
    OpenTarget target = OpenTarget::None;
    int windowKind = 0;
    // The file may go into the active window of `windowKind` instead of a new
    // one, when the "append frequency curve" switch is on (.SXF).
    bool appendToActive = false;
    bool operator==(const OpenPlan&) const = default;
};
OpenPlan PlanOpen(std::string_view path);

// The filters of the Open and Import file dialogs.
inline constexpr const char* kNativeOpenFilter =
    "All native types|*.SXF;*.SXZ;*.SXP;*.SPP;*.MST;*.CSD;*.SXB;*.SXX;*.SMG|"
    "Frequency Curve (*.SXF)|*.SXF|Impedance Curve(s) (*.SXZ)|*.SXZ|Impulse Curve (*.SXP)|*.SXP|"
    "Polar-Plot (*.SPP)|*.SPP|CSD (Waterfall) (*.CSD)|*.CSD|Measurement Settings (*.MST)|*.MST|"
    "Box Design (*.SXB)|*.SXB|X-Over (*.SXX)|*.SXX|Multi-Graph (*.SMG)|*.SMG|All Files (*.*)|*.*|";
inline constexpr const char* kImportTitle = "Import File";
inline constexpr const char* kImportFilter =
    "All import "
    "types|*.TX*;*.ASC;*.DAT;*.FR*;*.MIC;*.MCP;*.KGM;*.MDF;*.TIM;*.CAL;*.TDS;*.FM*;*.ZMA;*.XOP;*.IDF;"
    "*.GDT;*.BOD;*.MES;*.TWF;*.WAV;*.SPK;*.DSN|Sonbex 1/2|*.mes;*.twf;*.spk;*.dsn|Sonbex 3|*.sxf;*.sxz;*.sxp|"
    "MLSSA|*.tim;*.frq|PCM Wavefile|*.wav|Text|*.TXT;*.ASC|All Files (*.*)|*.*|";

}  // namespace sonbex::shell
