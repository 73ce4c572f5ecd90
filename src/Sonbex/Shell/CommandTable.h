#pragma once
// The commands of the frame as data: every command id with its menu text,
// shortcut, status-bar tip, enable rule and check mark, the subsystem that
// carries it out, and the layout of the main menu. The frame builds its menus
// and toolbar from this table; tests read it without Qt.
//
// Whether a command is enabled is the conjunction of two things:
//   - it is available: the subsystem that carries it out exists and has told
//     the frame so (a handler is registered); a command nobody carries out is
//     shown disabled, it never pretends to work;
//   - its enable rule holds in the current state (active document, a
//     measurement running, the global flags, the preset slots).
//
// Pure data and pure functions: safe from any thread.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::shell {

namespace cmd {
// File
inline constexpr int kNewBoxDesign = 102;
inline constexpr int kNewCrossover = 103;
inline constexpr int kOpen = 104;
inline constexpr int kOpenInWindow = 105;
inline constexpr int kSave = 106;
inline constexpr int kSaveAs = 107;
inline constexpr int kSaveLimits = 108;
inline constexpr int kSaveSweepTable = 109;
inline constexpr int kSaveSettings = 110;
inline constexpr int kExportGraphics = 111;
inline constexpr int kImport = 112;
inline constexpr int kExport = 113;
inline constexpr int kFirstPreset = 114;  // 114..123: run preset 1..10
inline constexpr int kLastPreset = 123;
inline constexpr int kEditPresets = 124;
inline constexpr int kGlobalSettings = 125;
inline constexpr int kPageSetup = 126;
inline constexpr int kPrintPreview = 127;
inline constexpr int kPrint = 128;
inline constexpr int kMonochromePrint = 129;
inline constexpr int kExit = 130;
inline constexpr int kFirstRecentFile = 150;  // 150..157
inline constexpr int kLastRecentFile = 157;
// Edit
inline constexpr int kUndo = 201;
inline constexpr int kCut = 202;
inline constexpr int kCopy = 203;
inline constexpr int kPaste = 204;
// View
inline constexpr int kToggleToolbar = 301;
inline constexpr int kToggleStatusBar = 302;
inline constexpr int kCustomizeToolbar = 303;
inline constexpr int kRestoreToolbar = 304;
inline constexpr int kUpdateWindows = 305;
// Database, crossover tools
inline constexpr int kSpeakerDatabase = 401;
inline constexpr int kCrossoverGuide = 501;
inline constexpr int kCrossoverSettings = 502;
inline constexpr int kLPad = 503;
inline constexpr int kZobel = 504;
inline constexpr int kInductor = 505;
// Measurement and instruments
inline constexpr int kStartMeasurement = 601;
inline constexpr int kStopMeasurement = 602;
inline constexpr int kLcrMeter = 603;
inline constexpr int kFunctionGenerator = 605;
inline constexpr int kOscilloscope = 606;
inline constexpr int kSpectrumAnalyzer = 607;
inline constexpr int kRta = 608;
inline constexpr int kMicCalibrator = 609;
inline constexpr int kMeasurementSettings = 610;
inline constexpr int kLevels = 611;
inline constexpr int kShowLimitsResult = 612;
inline constexpr int kSmallMeasurementWindow = 613;
inline constexpr int kOpenImpulseWindow = 614;
inline constexpr int kReplaceImpulse = 615;
inline constexpr int kOpenFrequencyWindow = 616;
inline constexpr int kAppendFrequency = 617;
inline constexpr int kReplaceFrequency = 618;
inline constexpr int kCyclicMeasurement = 619;
// Calculator
inline constexpr int kAddCurves = 701;
inline constexpr int kSubtractCurves = 702;
inline constexpr int kMultiplyCurves = 703;
inline constexpr int kDivideCurves = 704;
inline constexpr int kAverageCurves = 705;
inline constexpr int kMergeCurves = 706;
inline constexpr int kTimeWindowCalculator = 707;
// Window
inline constexpr int kTileSideBySide = 801;
inline constexpr int kTileOverUnder = 802;
inline constexpr int kCascade = 803;
inline constexpr int kArrangeIcons = 804;
inline constexpr int kCloseAll = 805;
// Help
inline constexpr int kHelpContents = 901;
inline constexpr int kTipOfTheDay = 902;
inline constexpr int kAbout = 903;
// Beyond the menus' ranges
inline constexpr int kThieleSmallFromCurves = 10004;
inline constexpr int kBoxSimulatorSettings = 10076;
inline constexpr int kPresetLoadExecute = 10099;
inline constexpr int kPresetLoadEdit = 10100;
}  // namespace cmd

// Who carries a command out. Shell commands are the frame's own; the others
// become available when their subsystem registers a handler.
enum class CommandOwner : std::uint8_t {
    Shell,           // the frame itself
    Document,        // forwarded to the active document window
    Printing,        // printing and picture export
    Measurement,     // runs, settings, presets, levels, calibrations
    Instruments,     // function generator, oscilloscope, analyzers, LCR meter
    Curves,          // import and curve calculators
    PostProcessing,  // time window, Thiele-Small from two curves
    BoxDesign,       // box designs and the speaker database
    Crossover,       // crossovers and component calculators
    Peripherals,     // the QC limits result window
    Toolbar,         // toolbar customisation
};

enum class EnableRule : std::uint8_t {
    Always,
    AnyDocument,    // a document window is active
    GraphDocument,  // the active document offers the graph-window interface
    SaveModified,   // the document can be saved and has changes
    SaveAs,         // the document can be saved (under a new name, exported)
    SaveLimits,
    SaveSweepTable,
    Undo,
    Cut,
    Copy,
    Paste,
    NotMeasuring,     // would change the measurement settings or start a run
    Measuring,        // only while a measurement runs
    Preset,           // not measuring and the command's preset slot holds a file
    ImpulseWindowOn,  // global flag "open the impulse window" is set
    CyclicAllowed,    // global flag "small measurement window" is set, not measuring
    RecentFile,       // the list has the command's entry
};

struct CommandInfo {
    int id = 0;
    std::string_view menuText;   // with '&' mnemonics
    std::string_view shortcut;   // "Ctrl+O"; empty: none
    std::string_view statusTip;  // shown in the status bar while the item is highlighted
    EnableRule rule = EnableRule::Always;
    CommandOwner owner = CommandOwner::Shell;
    std::uint32_t checkFlag = 0;  // global flag shown as the check mark; 0: none
    bool checkable = false;       // shows a check mark (flag, or the monochrome switch)
};

// Every command, in menu order. Ids are unique.
std::span<const CommandInfo> Commands();
// Null for an unknown id.
const CommandInfo* FindCommand(int id);

// What the frame's state is, as far as enable rules and check marks need it.
struct DocumentCaps {
    bool present = false;  // a document window is active
    bool graph = false;    // it offers the graph-window interface
    bool canUndo = false, modified = false, canSave = false, canSaveLimits = false, canSaveSweepTable = false,
         canCut = false, canCopy = false, canPaste = false;
};

struct CommandState {
    DocumentCaps active;
    bool measuring = false;
    std::uint32_t flags = 0;              // the global flags in force
    std::array<bool, 10> presetFilled{};  // preset slot i holds a settings file
    std::size_t recentFiles = 0;          // entries of the recent-file list
    bool monochromePrint = false;
    // Whether a command's subsystem carries it out; empty: every command is.
    std::function<bool(int id)> available;
};

bool RuleHolds(const CommandInfo& command, const CommandState& state);
bool IsCommandEnabled(const CommandInfo& command, const CommandState& state);
bool IsCommandEnabled(int id, const CommandState& state);  // false for unknown ids
bool IsCommandChecked(const CommandInfo& command, const CommandState& state);

// Why a disabled command waits, in words for its status and tool tips. One
// text per enable rule ("Not while a measurement runs"), and one per owner for
// a command no subsystem carries out yet ("Available once box design is
// built"). The rules of two conditions (Preset, CyclicAllowed) say "Not while
// a measurement runs" while one runs, else what else they wait for.
std::string_view RuleReason(EnableRule rule);  // empty for Always
std::string_view OwnerReason(CommandOwner owner);
// Empty when the command is enabled.
std::string DisabledReason(const CommandInfo& command, const CommandState& state);
// The status tip and the tool tip as the frame shows them: the command's own
// tip (its plain name for the tool tip), and when it is disabled, the reason.
std::string CommandStatusTip(const CommandInfo& command, const CommandState& state);
std::string CommandToolTip(const CommandInfo& command, const CommandState& state);

// How a command reaches the active document window.
enum class ForwardedMessage : std::uint8_t {
    None,            // not forwarded: the frame handles it
    OpenInWindow,    // 1124
    Save,            // 1125
    SaveAs,          // 1126
    Export,          // 1127
    SaveLimits,      // 1128
    SaveSweepTable,  // 1129
    Undo,
    Cut,
    Paste,
    Command,  // the command id itself
};
ForwardedMessage ForwardedAs(int id);
// The window-message number the original program used (1124 ...); 0 for
// the standard edit messages and plain commands.
int ForwardedMessageNumber(ForwardedMessage message);

// The main menu: popups of commands, separators, sub-popups and the place of
// the recent-file list.
struct MenuEntry {
    enum class Type : std::uint8_t { Command, Separator, Submenu, RecentFiles };
    Type type = Type::Command;
    int id = 0;                    // Command
    std::string_view text;         // Submenu
    std::vector<MenuEntry> items;  // Submenu
};
struct MenuDef {
    std::string_view title;
    int helpId = 0;  // the status-bar text id of the popup: (position + 1) * 100
    std::vector<MenuEntry> entries;
    std::string_view statusTip;  // the popup's status-bar text
};
const std::vector<MenuDef>& MainMenu();
// Every command id the main menu shows, in order (recent files excluded).
std::vector<int> MenuCommandIds();
// The commands of the toolbar, 0 for a separator.
std::span<const int> ToolbarCommands();

}  // namespace sonbex::shell
