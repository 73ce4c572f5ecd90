#include "Sonbex/Shell/CommandTable.h"

#include "Sonbex/Shell/GlobalConfig.h"

#include <algorithm>

namespace sonbex::shell {
namespace {

using R = EnableRule;
using O = CommandOwner;

constexpr CommandInfo kCommands[] = {
    // File
    {cmd::kNewBoxDesign, "New &Box Design", "Ctrl+B", "Opens a new box design window", R::Always,
     O::BoxDesign},
    {cmd::kNewCrossover, "New &X-Over", "Ctrl+K", "Opens a new crossover schematic", R::Always, O::Crossover},
    {cmd::kOpen, "&Open...", "Ctrl+O", "Opens a curve, design or measurement settings file", R::Always,
     O::Shell},
    {cmd::kOpenInWindow, "Open In &Window...", "", "Opens a file into the active window", R::AnyDocument,
     O::Document},
    {cmd::kSave, "&Save", "Ctrl+S", "Saves the active document", R::SaveModified, O::Document},
    {cmd::kSaveAs, "Save &As...", "", "Saves the active document under a new name", R::SaveAs, O::Document},
    {cmd::kSaveLimits, "&Limits File...", "", "Saves the data as a QC limits file", R::SaveLimits,
     O::Document},
    {cmd::kSaveSweepTable, "S&weep Table...", "", "Saves the data as a sweep table", R::SaveSweepTable,
     O::Document},
    {cmd::kSaveSettings, "Save Measurement Se&ttings...", "",
     "Saves the current measurement settings to a file", R::Always, O::Measurement},
    {cmd::kImport, "&Import...", "Ctrl+I", "Imports a file of another program or format", R::NotMeasuring,
     O::Curves},
    {cmd::kExport, "&Export...", "", "Exports the data of the active document", R::SaveAs, O::Document},
    {cmd::kExportGraphics, "Export &Graphics File...", "", "Saves a picture of the active window",
     R::GraphDocument, O::Printing},
    {cmd::kPageSetup, "Page Set&up...", "", "Sets up the page for printing", R::GraphDocument, O::Printing},
    {cmd::kPrintPreview, "Print Pre&view", "", "Shows how the active window will print", R::GraphDocument,
     O::Printing},
    {cmd::kPrint, "&Print...", "Ctrl+P", "Prints the active window", R::GraphDocument, O::Printing},
    {cmd::kMonochromePrint, "&Monochrome Printing", "", "Prints in black and white", R::Always, O::Printing,
     0, true},
    {cmd::kExit, "E&xit", "Alt+F4", "Closes Sonbex 3", R::Always, O::Shell},
    {150, "Recent file 1", "", "Opens this file again", R::RecentFile, O::Shell},
    {151, "Recent file 2", "", "Opens this file again", R::RecentFile, O::Shell},
    {152, "Recent file 3", "", "Opens this file again", R::RecentFile, O::Shell},
    {153, "Recent file 4", "", "Opens this file again", R::RecentFile, O::Shell},
    {154, "Recent file 5", "", "Opens this file again", R::RecentFile, O::Shell},
    {155, "Recent file 6", "", "Opens this file again", R::RecentFile, O::Shell},
    {156, "Recent file 7", "", "Opens this file again", R::RecentFile, O::Shell},
    {157, "Recent file 8", "", "Opens this file again", R::RecentFile, O::Shell},
    // Edit
    {cmd::kUndo, "&Undo", "Ctrl+Z", "Undoes the last change", R::Undo, O::Document},
    {cmd::kCut, "Cu&t", "Ctrl+X", "Cuts the selection to the clipboard", R::Cut, O::Document},
    {cmd::kCopy, "&Copy", "Ctrl+C", "Copies a picture of the active window to the clipboard", R::Copy,
     O::Shell},
    {cmd::kPaste, "&Paste", "Ctrl+V", "Pastes from the clipboard", R::Paste, O::Document},
    // View
    {cmd::kToggleToolbar, "&Toolbar", "", "Shows or hides the toolbar", R::Always, O::Shell, kToolbarVisible,
     true},
    {cmd::kToggleStatusBar, "&Status Bar", "", "Shows or hides the status bar", R::Always, O::Shell,
     kStatusBarVisible, true},
    {cmd::kCustomizeToolbar, "&Customize Toolbar...", "", "Chooses the buttons of the toolbar", R::Always,
     O::Toolbar},
    {cmd::kRestoreToolbar, "&Restore Toolbar", "", "Puts back the saved toolbar layout", R::Always, O::Shell},
    {cmd::kUpdateWindows, "&Update Windows", "F5", "Redraws every document window", R::Always, O::Shell},
    {cmd::kGlobalSettings, "&Global Settings...", "", "Changes the application-wide settings", R::Always,
     O::Shell},
    // Database
    {cmd::kSpeakerDatabase, "&Speaker Database...", "", "Opens the driver database", R::Always, O::BoxDesign},
    {cmd::kBoxSimulatorSettings, "&Box Simulator Settings...", "",
     "Changes the settings of the box simulator", R::Always, O::BoxDesign},
    // X-Over
    {cmd::kCrossoverGuide, "X-Over Design &Guide...", "", "Designs a crossover step by step", R::Always,
     O::Crossover},
    {cmd::kCrossoverSettings, "X-Over &Simulator Settings...", "",
     "Changes the settings of the crossover simulator", R::Always, O::Crossover},
    {cmd::kLPad, "&L-Pad...", "", "Calculates an L-pad attenuator", R::Always, O::Crossover},
    {cmd::kZobel, "&Zobel Network...", "", "Calculates a Zobel network", R::Always, O::Crossover},
    {cmd::kInductor, "&Inductor...", "", "Calculates an air-core inductor", R::Always, O::Crossover},
    // Measurement
    {cmd::kStartMeasurement, "&Do Measurement", "F9", "Starts a measurement with the current settings",
     R::NotMeasuring, O::Measurement},
    {cmd::kStopMeasurement, "S&top Measurement", "Shift+F9", "Stops the running measurement", R::Measuring,
     O::Measurement},
    {cmd::kMeasurementSettings, "&Settings...", "F8", "Changes the measurement settings", R::NotMeasuring,
     O::Measurement},
    {cmd::kLevels, "&Levels...", "", "Opens the levels window (mixer)", R::Always, O::Measurement},
    {cmd::kMicCalibrator, "&Microphone calibrator...", "", "Calibrates a microphone against a reference",
     R::NotMeasuring, O::Measurement},
    {cmd::kFirstPreset + 0, "Preset #1", "Ctrl+1", "Runs a measurement with preset 1", R::Preset,
     O::Measurement},
    {cmd::kFirstPreset + 1, "Preset #2", "Ctrl+2", "Runs a measurement with preset 2", R::Preset,
     O::Measurement},
    {cmd::kFirstPreset + 2, "Preset #3", "Ctrl+3", "Runs a measurement with preset 3", R::Preset,
     O::Measurement},
    {cmd::kFirstPreset + 3, "Preset #4", "Ctrl+4", "Runs a measurement with preset 4", R::Preset,
     O::Measurement},
    {cmd::kFirstPreset + 4, "Preset #5", "Ctrl+5", "Runs a measurement with preset 5", R::Preset,
     O::Measurement},
    {cmd::kFirstPreset + 5, "Preset #6", "Ctrl+6", "Runs a measurement with preset 6", R::Preset,
     O::Measurement},
    {cmd::kFirstPreset + 6, "Preset #7", "Ctrl+7", "Runs a measurement with preset 7", R::Preset,
     O::Measurement},
    {cmd::kFirstPreset + 7, "Preset #8", "Ctrl+8", "Runs a measurement with preset 8", R::Preset,
     O::Measurement},
    {cmd::kFirstPreset + 8, "Preset #9", "Ctrl+9", "Runs a measurement with preset 9", R::Preset,
     O::Measurement},
    {cmd::kFirstPreset + 9, "Preset #10", "Ctrl+0", "Runs a measurement with preset 10", R::Preset,
     O::Measurement},
    {cmd::kEditPresets, "&Edit Presets...", "", "Edits the ten measurement presets", R::NotMeasuring,
     O::Measurement},
    {cmd::kPresetLoadExecute, "&Load and Execute", "", "Loads the preset's settings and measures",
     R::NotMeasuring, O::Measurement},
    {cmd::kPresetLoadEdit, "Load and &Edit", "", "Loads the preset's settings for editing", R::NotMeasuring,
     O::Measurement},
    {cmd::kShowLimitsResult, "Show &QC limits result window", "", "Shows the result of the QC limits test",
     R::Always, O::Peripherals, kShowLimitsResult, true},
    {cmd::kSmallMeasurementWindow, "Show s&mall measurement window", "",
     "Measures in the small measurement window", R::NotMeasuring, O::Shell, kSmallMeasurementWindow, true},
    {cmd::kOpenImpulseWindow, "Open &impulse window", "", "Shows the impulse response of a measurement",
     R::Always, O::Shell, kOpenImpulseWindow, true},
    {cmd::kReplaceImpulse, "&Replace impulse in top window", "",
     "The impulse replaces the one in the top impulse window", R::ImpulseWindowOn, O::Shell,
     kReplaceImpulseCurve, true},
    {cmd::kOpenFrequencyWindow, "Open &frequency response window", "",
     "Shows the frequency response of an impulse measurement", R::Always, O::Shell, kOpenFrequencyWindow,
     true},
    {cmd::kAppendFrequency, "&Append frequency curve to top window", "",
     "The curve is added to the top frequency window", R::Always, O::Shell, kAppendFrequencyCurve, true},
    {cmd::kReplaceFrequency, "Replace frequency &curve in top window", "",
     "The curve replaces the one in the top frequency window", R::Always, O::Shell, kReplaceFrequencyCurve,
     true},
    {cmd::kCyclicMeasurement, "C&yclic measurement", "", "Measures again and again in the small window",
     R::CyclicAllowed, O::Shell, kCyclicMeasurement, true},
    // Instruments
    {cmd::kLcrMeter, "LCR &Meter...", "", "Measures inductors, capacitors and resistors", R::NotMeasuring,
     O::Instruments},
    {cmd::kFunctionGenerator, "&Function Generator...", "", "Plays test signals", R::Always, O::Instruments},
    {cmd::kOscilloscope, "&Oscilloscope...", "", "Shows the inputs as an oscilloscope", R::Always,
     O::Instruments},
    {cmd::kSpectrumAnalyzer, "Spectrum &analyzer...", "", "Shows the live spectrum of the inputs", R::Always,
     O::Instruments},
    {cmd::kRta, "&RTA...", "", "Shows the live fractional-octave spectrum", R::Always, O::Instruments},
    // Calculator
    {cmd::kAddCurves, "&Add...", "", "Adds two curves", R::Always, O::Curves},
    {cmd::kSubtractCurves, "&Subtract...", "", "Subtracts one curve from another", R::Always, O::Curves},
    {cmd::kMultiplyCurves, "&Multiply...", "", "Multiplies two curves", R::Always, O::Curves},
    {cmd::kDivideCurves, "&Divide...", "", "Divides one curve by another", R::Always, O::Curves},
    {cmd::kAverageCurves, "A&verage Curves...", "", "Averages several curves", R::Always, O::Curves},
    {cmd::kMergeCurves, "M&erge Curves...", "", "Merges a near-field and a far-field curve", R::Always,
     O::Curves},
    {cmd::kTimeWindowCalculator, "&Time Window Calculator...", "",
     "Relates distances, reflections and the time window", R::Always, O::PostProcessing},
    {cmd::kThieleSmallFromCurves, "&Thiele-Small Parameters...", "",
     "Derives driver parameters from two impedance curves", R::Always, O::PostProcessing},
    // Window
    {cmd::kTileSideBySide, "Tile &Vertically", "Shift+F3", "Arranges the windows side by side",
     R::AnyDocument, O::Shell},
    {cmd::kTileOverUnder, "Tile &Horizontally", "Shift+F4", "Arranges the windows one over the other",
     R::AnyDocument, O::Shell},
    {cmd::kCascade, "&Cascade", "Shift+F5", "Arranges the windows overlapping", R::AnyDocument, O::Shell},
    {cmd::kArrangeIcons, "Arrange &Icons", "", "Lines up the minimised windows", R::AnyDocument, O::Shell},
    {cmd::kCloseAll, "Close &All", "", "Closes every document window", R::AnyDocument, O::Shell},
    // Help
    {cmd::kHelpContents, "&Contents", "F1", "Opens the help pages", R::Always, O::Shell},
    {cmd::kTipOfTheDay, "&Tip of the Day...", "", "Shows a tip", R::Always, O::Shell},
    {cmd::kAbout, "&About Sonbex 3...", "", "Shows the version of the program", R::Always, O::Shell},
};

constexpr int kToolbar[] = {
    cmd::kOpen,
    cmd::kSave,
    0,
    cmd::kCopy,
    cmd::kPrint,
    0,
    cmd::kStartMeasurement,
    cmd::kStopMeasurement,
    cmd::kMeasurementSettings,
    cmd::kLevels,
    0,
    cmd::kNewBoxDesign,
    cmd::kNewCrossover,
    0,
    cmd::kTileSideBySide,
    cmd::kCascade,
    0,
    cmd::kHelpContents,
};

MenuEntry C(int id) { return {MenuEntry::Type::Command, id, {}, {}}; }
MenuEntry Sep() { return {MenuEntry::Type::Separator, 0, {}, {}}; }
MenuEntry Sub(std::string_view text, std::vector<MenuEntry> items) {
    return {MenuEntry::Type::Submenu, 0, text, std::move(items)};
}

std::vector<MenuDef> BuildMainMenu() {
    std::vector<MenuEntry> presets;
    for (int id = cmd::kFirstPreset; id <= cmd::kLastPreset; ++id) presets.push_back(C(id));
    presets.push_back(Sep());
    presets.push_back(C(cmd::kEditPresets));
    presets.push_back(C(cmd::kPresetLoadExecute));
    presets.push_back(C(cmd::kPresetLoadEdit));
    return {
        {"&File",
         100,
         {C(cmd::kNewBoxDesign),
          C(cmd::kNewCrossover),
          Sep(),
          C(cmd::kOpen),
          C(cmd::kOpenInWindow),
          C(cmd::kSave),
          C(cmd::kSaveAs),
          Sub("Save S&pecial", {C(cmd::kSaveLimits), C(cmd::kSaveSweepTable)}),
          Sep(),
          C(cmd::kSaveSettings),
          Sep(),
          C(cmd::kImport),
          C(cmd::kExport),
          C(cmd::kExportGraphics),
          Sep(),
          C(cmd::kPageSetup),
          C(cmd::kPrintPreview),
          C(cmd::kPrint),
          C(cmd::kMonochromePrint),
          {MenuEntry::Type::RecentFiles, 0, {}, {}},
          Sep(),
          C(cmd::kExit)},
         "Opens, saves, imports, exports and prints documents"},
        {"&Edit",
         200,
         {C(cmd::kUndo), Sep(), C(cmd::kCut), C(cmd::kCopy), C(cmd::kPaste)},
         "Undo and the clipboard"},
        {"&View",
         300,
         {C(cmd::kToggleToolbar), C(cmd::kToggleStatusBar), C(cmd::kCustomizeToolbar),
          C(cmd::kRestoreToolbar), Sep(), C(cmd::kUpdateWindows), Sep(), C(cmd::kGlobalSettings)},
         "Toolbar, status bar and the global settings"},
        {"&Database",
         400,
         {C(cmd::kSpeakerDatabase), C(cmd::kBoxSimulatorSettings)},
         "The driver database and the box simulator"},
        {"&X-Over",
         500,
         {C(cmd::kCrossoverGuide), C(cmd::kCrossoverSettings), Sep(), C(cmd::kLPad), C(cmd::kZobel),
          C(cmd::kInductor)},
         "Crossover design and component calculators"},
        {"&Measurement",
         600,
         {C(cmd::kStartMeasurement), C(cmd::kStopMeasurement), Sep(), C(cmd::kMeasurementSettings),
          C(cmd::kLevels), C(cmd::kMicCalibrator), Sub("Pre&sets", presets), Sep(), C(cmd::kShowLimitsResult),
          C(cmd::kSmallMeasurementWindow), C(cmd::kOpenImpulseWindow), C(cmd::kReplaceImpulse),
          C(cmd::kOpenFrequencyWindow), C(cmd::kAppendFrequency), C(cmd::kReplaceFrequency),
          C(cmd::kCyclicMeasurement), Sep(),
          Sub("&Instruments", {C(cmd::kLcrMeter), C(cmd::kFunctionGenerator), C(cmd::kOscilloscope),
                               C(cmd::kSpectrumAnalyzer), C(cmd::kRta)})},
         "Measurements, their settings and results, and the instruments"},
        {"&Calculator",
         700,
         {C(cmd::kAddCurves), C(cmd::kSubtractCurves), C(cmd::kMultiplyCurves), C(cmd::kDivideCurves), Sep(),
          C(cmd::kAverageCurves), C(cmd::kMergeCurves), Sep(), C(cmd::kTimeWindowCalculator),
          C(cmd::kThieleSmallFromCurves)},
         "Calculations on curves"},
        {"&Window",
         800,
         {C(cmd::kTileSideBySide), C(cmd::kTileOverUnder), C(cmd::kCascade), C(cmd::kArrangeIcons), Sep(),
          C(cmd::kCloseAll)},
         "Arranges the document windows"},
        {"&Help",
         900,
         {C(cmd::kHelpContents), C(cmd::kTipOfTheDay), Sep(), C(cmd::kAbout)},
         "Help pages, tips and the version"},
    };
}

void CollectIds(const std::vector<MenuEntry>& entries, std::vector<int>& out) {
    for (const MenuEntry& e : entries) {
        if (e.type == MenuEntry::Type::Command) out.push_back(e.id);
        if (e.type == MenuEntry::Type::Submenu) CollectIds(e.items, out);
    }
}

}  // namespace

std::span<const CommandInfo> Commands() { return kCommands; }

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& c : kCommands)
        if (c.id == id) return &c;
    return nullptr;
}

bool RuleHolds(const CommandInfo& c, const CommandState& s) {
    const DocumentCaps& d = s.active;
    switch (c.rule) {
        case R::Always:
            return true;
        case R::AnyDocument:
            return d.present;
        case R::GraphDocument:
            return d.present && d.graph;
        case R::SaveModified:
            return d.graph && d.canSave && d.modified;
        case R::SaveAs:
            return d.graph && d.canSave;
        case R::SaveLimits:
            return d.graph && d.canSaveLimits;
        case R::SaveSweepTable:
            return d.graph && d.canSaveSweepTable;
        case R::Undo:
            return d.graph && d.canUndo;
        case R::Cut:
            return d.graph && d.canCut;
        case R::Copy:
            return d.graph && d.canCopy;
        case R::Paste:
            return d.graph && d.canPaste;
        case R::NotMeasuring:
            return !s.measuring;
        case R::Measuring:
            return s.measuring;
        case R::Preset: {
            const int slot = c.id - cmd::kFirstPreset;
            return !s.measuring && slot >= 0 && slot < 10 && s.presetFilled[static_cast<std::size_t>(slot)];
        }
        case R::ImpulseWindowOn:
            return (s.flags & kOpenImpulseWindow) != 0;
        case R::CyclicAllowed:
            return !s.measuring && (s.flags & kSmallMeasurementWindow) != 0;
        case R::RecentFile:
            return c.id >= cmd::kFirstRecentFile &&
                   static_cast<std::size_t>(c.id - cmd::kFirstRecentFile) < s.recentFiles;
    }
    return false;
}

bool IsCommandEnabled(const CommandInfo& c, const CommandState& s) {
    return (!s.available || s.available(c.id)) && RuleHolds(c, s);
}

bool IsCommandEnabled(int id, const CommandState& s) {
    const CommandInfo* c = FindCommand(id);
    return c && IsCommandEnabled(*c, s);
}

bool IsCommandChecked(const CommandInfo& c, const CommandState& s) {
    if (c.id == cmd::kMonochromePrint) return s.monochromePrint;
    return c.checkFlag != 0 && (s.flags & c.checkFlag) != 0;
}

std::string_view RuleReason(EnableRule rule) {
    switch (rule) {
        case R::Always:
            return {};
        case R::AnyDocument:
            return "Needs an open document window";
        case R::GraphDocument:
            return "Needs an open graph window";
        case R::SaveModified:
            return "Needs a document window with unsaved changes";
        case R::SaveAs:
            return "Needs a document window that can be saved";
        case R::SaveLimits:
            return "Needs a window whose curve can be saved as QC limits";
        case R::SaveSweepTable:
            return "Needs a window whose curve can be saved as a sweep table";
        case R::Undo:
            return "Needs a change that can be undone";
        case R::Cut:
            return "Needs a selection in the active window";
        case R::Copy:
            return "Needs an open graph window to copy";
        case R::Paste:
            return "Needs something on the clipboard the active window can take";
        case R::NotMeasuring:
            return "Not while a measurement runs";
        case R::Measuring:
            return "Only while a measurement runs";
        case R::Preset:
            return "Needs a settings file in this preset (Edit Presets)";
        case R::ImpulseWindowOn:
            return "Needs \"Open impulse window\" switched on";
        case R::CyclicAllowed:
            return "Needs \"Show small measurement window\" switched on";
        case R::RecentFile:
            return "Needs a file in this place of the recent-file list";
    }
    return {};
}

std::string_view OwnerReason(CommandOwner owner) {
    switch (owner) {
        case O::Shell:
            return "Available once the files it opens are built";
        case O::Document:
            return "Available once the document windows are built";
        case O::Printing:
            return "Available once printing is built";
        case O::Measurement:
            return "Available once measurement is built";
        case O::Instruments:
            return "Available once the instruments are built";
        case O::Curves:
            return "Available once the curve import and calculator are built";
        case O::PostProcessing:
            return "Available once post-processing is built";
        case O::BoxDesign:
            return "Available once box design is built";
        case O::Crossover:
            return "Available once crossover design is built";
        case O::Peripherals:
            return "Available once the QC limits are built";
        case O::Toolbar:
            return "Available once toolbar customisation is built";
    }
    return {};
}

std::string DisabledReason(const CommandInfo& c, const CommandState& s) {
    if (s.available && !s.available(c.id)) return std::string(OwnerReason(c.owner));
    if (RuleHolds(c, s)) return {};
    if ((c.rule == R::Preset || c.rule == R::CyclicAllowed) && s.measuring)
        return std::string(RuleReason(R::NotMeasuring));
    return std::string(RuleReason(c.rule));
}

std::string CommandStatusTip(const CommandInfo& c, const CommandState& s) {
    std::string tip(c.statusTip);
    const std::string reason = DisabledReason(c, s);
    if (reason.empty()) return tip;
    return tip.empty() ? reason : tip + ". " + reason;
}

std::string CommandToolTip(const CommandInfo& c, const CommandState& s) {
    std::string tip;
    for (char ch : c.menuText)
        if (ch != '&') tip += ch;
    const std::string reason = DisabledReason(c, s);
    if (!reason.empty()) tip += "\n" + reason;
    return tip;
}

ForwardedMessage ForwardedAs(int id) {
    switch (id) {
        case cmd::kOpenInWindow:
            return ForwardedMessage::OpenInWindow;
        case cmd::kSave:
            return ForwardedMessage::Save;
        case cmd::kSaveAs:
            return ForwardedMessage::SaveAs;
        case cmd::kSaveLimits:
            return ForwardedMessage::SaveLimits;
        case cmd::kSaveSweepTable:
            return ForwardedMessage::SaveSweepTable;
        case cmd::kExport:
            return ForwardedMessage::Export;
        case cmd::kUndo:
            return ForwardedMessage::Undo;
        case cmd::kCut:
            return ForwardedMessage::Cut;
        case cmd::kPaste:
            return ForwardedMessage::Paste;
    }
    const CommandInfo* c = FindCommand(id);
    return c ? ForwardedMessage::None : ForwardedMessage::Command;
}

int ForwardedMessageNumber(ForwardedMessage m) {
    switch (m) {
        case ForwardedMessage::OpenInWindow:
            return 1124;
        case ForwardedMessage::Save:
            return 1125;
        case ForwardedMessage::SaveAs:
            return 1126;
        case ForwardedMessage::Export:
            return 1127;
        case ForwardedMessage::SaveLimits:
            return 1128;
        case ForwardedMessage::SaveSweepTable:
            return 1129;
        default:
            return 0;
    }
}

const std::vector<MenuDef>& MainMenu() {
    static const std::vector<MenuDef> menu = BuildMainMenu();
    return menu;
}

std::vector<int> MenuCommandIds() {
    std::vector<int> ids;
    for (const MenuDef& m : MainMenu()) CollectIds(m.entries, ids);
    return ids;
}

std::span<const int> ToolbarCommands() { return kToolbar; }

}  // namespace sonbex::shell
