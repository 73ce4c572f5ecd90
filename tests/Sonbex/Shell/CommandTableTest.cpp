#include "Sonbex/Shell/CommandTable.h"

#include "Sonbex/Shell/GlobalConfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace sonbex::shell {
namespace {

TEST(CommandTable, EveryCommandIsDescribedOnceAndShownInTheMenu) {
    std::set<int> ids;
    std::map<std::string, int> shortcuts;
    for (const CommandInfo& c : Commands()) {
        EXPECT_TRUE(ids.insert(c.id).second) << "id " << c.id << " twice";
        EXPECT_FALSE(c.menuText.empty()) << c.id;
        EXPECT_FALSE(c.statusTip.empty()) << c.id;
        if (!c.shortcut.empty()) {
            EXPECT_TRUE(shortcuts.emplace(std::string(c.shortcut), c.id).second)
                << c.shortcut << " on " << c.id << " and " << shortcuts[std::string(c.shortcut)];
        }
        if (c.checkFlag) {
            EXPECT_TRUE(c.checkable) << c.id;
        }
    }
    const std::vector<int> menu = MenuCommandIds();
    for (int id : menu) EXPECT_NE(FindCommand(id), nullptr) << "menu shows unknown id " << id;
    for (const CommandInfo& c : Commands()) {
        const auto n = std::count(menu.begin(), menu.end(), c.id);
        const bool recent = c.id >= cmd::kFirstRecentFile && c.id <= cmd::kLastRecentFile;
        EXPECT_EQ(n, recent ? 0 : 1) << "id " << c.id << " shown " << n << " times";
    }
    for (int id : ToolbarCommands())
        if (id) {
            EXPECT_NE(FindCommand(id), nullptr) << id;
        }
    // The popups' status texts are (position + 1) * 100.
    for (std::size_t i = 0; i < MainMenu().size(); ++i) {
        EXPECT_EQ(MainMenu()[i].helpId, int(i + 1) * 100);
        EXPECT_FALSE(MainMenu()[i].statusTip.empty()) << MainMenu()[i].title;
    }
}

TEST(CommandTable, CommandsOfMissingSubsystemsAreDisabled) {
    CommandState state;
    state.active = {true, true, true, true, true, true, true, true, true, true};
    state.flags = 0xFFFF;
    state.presetFilled.fill(true);
    state.recentFiles = 8;
    state.available = [](int id) { return FindCommand(id)->owner == CommandOwner::Shell; };
    for (const CommandInfo& c : Commands())
        if (c.owner != CommandOwner::Shell) {
            EXPECT_FALSE(IsCommandEnabled(c, state)) << c.id;
        }
    EXPECT_TRUE(IsCommandEnabled(cmd::kAbout, state));
    EXPECT_FALSE(IsCommandEnabled(99999, state)) << "unknown id";
}

// The rules the running measurement decides, every subsystem present.
TEST(CommandTable, EnableRulesWhileAMeasurementRuns) {
    struct Case {
        int id;
        bool idle;       // enabled while not measuring
        bool measuring;  // enabled while measuring
    };
    const Case cases[] = {
        {cmd::kStartMeasurement, true, false},
        {cmd::kStopMeasurement, false, true},
        {cmd::kMeasurementSettings, true, false},
        {cmd::kLcrMeter, true, false},
        {cmd::kSmallMeasurementWindow, true, false},
        {cmd::kFirstPreset, true, false},
        {cmd::kLastPreset, true, false},
        {cmd::kEditPresets, true, false},
        {cmd::kPresetLoadExecute, true, false},
        {cmd::kPresetLoadEdit, true, false},
        {cmd::kImport, true, false},
        {cmd::kMicCalibrator, true, false},
        {cmd::kCyclicMeasurement, true, false},
        {cmd::kLevels, true, true},
        {cmd::kOpenImpulseWindow, true, true},
        {cmd::kAppendFrequency, true, true},
        {cmd::kFunctionGenerator, true, true},
        {cmd::kOpen, true, true},
        {cmd::kGlobalSettings, true, true},
        {cmd::kSaveSettings, true, true},
    };
    CommandState state;
    state.flags = kSmallMeasurementWindow | kOpenImpulseWindow;
    state.presetFilled.fill(true);
    for (const Case& c : cases) {
        state.measuring = false;
        EXPECT_EQ(IsCommandEnabled(c.id, state), c.idle) << "command " << c.id << " idle";
        state.measuring = true;
        EXPECT_EQ(IsCommandEnabled(c.id, state), c.measuring) << "command " << c.id << " measuring";
    }
}

TEST(CommandTable, PresetNeedsItsSlotFilled) {
    CommandState state;
    state.presetFilled[3] = true;
    EXPECT_FALSE(IsCommandEnabled(cmd::kFirstPreset + 2, state));
    EXPECT_TRUE(IsCommandEnabled(cmd::kFirstPreset + 3, state));
}

TEST(CommandTable, DocumentCommandsFollowTheActiveWindow) {
    struct Case {
        const char* name;
        DocumentCaps caps;
        std::vector<int> enabled;
        std::vector<int> disabled;
    };
    DocumentCaps plain{true, false};
    DocumentCaps graph{true, true};
    graph.canCopy = true;
    DocumentCaps saved = graph;
    saved.canSave = true;
    DocumentCaps changed = saved;
    changed.modified = true;
    changed.canUndo = true;
    const std::vector<int> printing = {cmd::kPrint, cmd::kPrintPreview, cmd::kExportGraphics,
                                       cmd::kPageSetup};
    const Case cases[] = {
        {"no document", {}, {}, {cmd::kOpenInWindow, cmd::kCopy, cmd::kPrint, cmd::kCloseAll, cmd::kCascade}},
        {"window without graph interface",
         plain,
         {cmd::kOpenInWindow, cmd::kCloseAll, cmd::kTileSideBySide},
         {cmd::kPrint, cmd::kPrintPreview, cmd::kExportGraphics, cmd::kCopy, cmd::kSave}},
        {"graph",
         graph,
         {cmd::kPrint, cmd::kPrintPreview, cmd::kExportGraphics, cmd::kCopy},
         {cmd::kSave, cmd::kSaveAs, cmd::kExport, cmd::kUndo, cmd::kPaste, cmd::kCut}},
        {"saveable, unchanged", saved, {cmd::kSaveAs, cmd::kExport}, {cmd::kSave, cmd::kUndo}},
        {"saveable, changed",
         changed,
         {cmd::kSave, cmd::kSaveAs, cmd::kExport, cmd::kUndo},
         {cmd::kSaveLimits}},
    };
    for (const Case& c : cases) {
        CommandState state;
        state.active = c.caps;
        for (int id : c.enabled) EXPECT_TRUE(IsCommandEnabled(id, state)) << c.name << ": " << id;
        for (int id : c.disabled) EXPECT_FALSE(IsCommandEnabled(id, state)) << c.name << ": " << id;
    }
}

TEST(CommandTable, RecentFileItemsFollowTheList) {
    CommandState state;
    state.recentFiles = 2;
    EXPECT_TRUE(IsCommandEnabled(151, state));
    EXPECT_FALSE(IsCommandEnabled(152, state));
}

TEST(CommandTable, CheckMarksFollowTheFlags) {
    CommandState state;
    state.flags = kToolbarVisible | kAppendFrequencyCurve;
    state.monochromePrint = true;
    EXPECT_TRUE(IsCommandChecked(*FindCommand(cmd::kToggleToolbar), state));
    EXPECT_FALSE(IsCommandChecked(*FindCommand(cmd::kToggleStatusBar), state));
    EXPECT_TRUE(IsCommandChecked(*FindCommand(cmd::kAppendFrequency), state));
    EXPECT_FALSE(IsCommandChecked(*FindCommand(cmd::kReplaceFrequency), state));
    EXPECT_TRUE(IsCommandChecked(*FindCommand(cmd::kMonochromePrint), state));
}

TEST(CommandTable, ForwardedCommands) {
    struct Case {
        int id;
        ForwardedMessage message;
        int number;
    };
    const Case cases[] = {
        {cmd::kOpenInWindow, ForwardedMessage::OpenInWindow, 1124},
        {cmd::kSave, ForwardedMessage::Save, 1125},
        {cmd::kSaveAs, ForwardedMessage::SaveAs, 1126},
        {cmd::kExport, ForwardedMessage::Export, 1127},
        {cmd::kSaveLimits, ForwardedMessage::SaveLimits, 1128},
        {cmd::kSaveSweepTable, ForwardedMessage::SaveSweepTable, 1129},
        {cmd::kUndo, ForwardedMessage::Undo, 0},
        {cmd::kCut, ForwardedMessage::Cut, 0},
        {cmd::kPaste, ForwardedMessage::Paste, 0},
        {cmd::kCopy, ForwardedMessage::None, 0},
        {cmd::kExportGraphics, ForwardedMessage::None, 0},
        {10001, ForwardedMessage::Command, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ForwardedAs(c.id), c.message) << c.id;
        EXPECT_EQ(ForwardedMessageNumber(ForwardedAs(c.id)), c.number) << c.id;
    }
}

}  // namespace
}  // namespace sonbex::shell

namespace sonbex::shell {
namespace {

// One row per enable rule: a command of that rule, a state in which the rule
// fails, and the words its tips must carry.
TEST(CommandTable, DisabledCommandsSayWhatTheirRuleWaitsFor) {
    struct Case {
        EnableRule rule;
        int id;
        std::function<void(CommandState&)> make;  // from a state in which everything holds
        std::string reason;
    };
    auto noDocument = [](CommandState& s) { s.active = {}; };
    auto plainWindow = [](CommandState& s) { s.active = {true, false}; };
    auto doc = [](bool DocumentCaps::*cap) { return [cap](CommandState& s) { s.active.*cap = false; }; };
    const Case cases[] = {
        {EnableRule::AnyDocument, cmd::kCascade, noDocument, "Needs an open document window"},
        {EnableRule::GraphDocument, cmd::kPrint, plainWindow, "Needs an open graph window"},
        {EnableRule::SaveModified, cmd::kSave, doc(&DocumentCaps::modified),
         "Needs a document window with unsaved changes"},
        {EnableRule::SaveAs, cmd::kSaveAs, doc(&DocumentCaps::canSave),
         "Needs a document window that can be saved"},
        {EnableRule::SaveLimits, cmd::kSaveLimits, doc(&DocumentCaps::canSaveLimits),
         "Needs a window whose curve can be saved as QC limits"},
        {EnableRule::SaveSweepTable, cmd::kSaveSweepTable, doc(&DocumentCaps::canSaveSweepTable),
         "Needs a window whose curve can be saved as a sweep table"},
        {EnableRule::Undo, cmd::kUndo, doc(&DocumentCaps::canUndo), "Needs a change that can be undone"},
        {EnableRule::Cut, cmd::kCut, doc(&DocumentCaps::canCut), "Needs a selection in the active window"},
        {EnableRule::Copy, cmd::kCopy, doc(&DocumentCaps::canCopy), "Needs an open graph window to copy"},
        {EnableRule::Paste, cmd::kPaste, doc(&DocumentCaps::canPaste),
         "Needs something on the clipboard the active window can take"},
        {EnableRule::NotMeasuring, cmd::kStartMeasurement, [](CommandState& s) { s.measuring = true; },
         "Not while a measurement runs"},
        {EnableRule::Measuring, cmd::kStopMeasurement, [](CommandState& s) { s.measuring = false; },
         "Only while a measurement runs"},
        {EnableRule::Preset, cmd::kFirstPreset + 2, [](CommandState& s) { s.presetFilled[2] = false; },
         "Needs a settings file in this preset (Edit Presets)"},
        {EnableRule::Preset, cmd::kFirstPreset + 2, [](CommandState& s) { s.measuring = true; },
         "Not while a measurement runs"},
        {EnableRule::ImpulseWindowOn, cmd::kReplaceImpulse,
         [](CommandState& s) { s.flags &= ~kOpenImpulseWindow; },
         "Needs \"Open impulse window\" switched on"},
        {EnableRule::CyclicAllowed, cmd::kCyclicMeasurement,
         [](CommandState& s) { s.flags &= ~kSmallMeasurementWindow; },
         "Needs \"Show small measurement window\" switched on"},
        {EnableRule::CyclicAllowed, cmd::kCyclicMeasurement, [](CommandState& s) { s.measuring = true; },
         "Not while a measurement runs"},
        {EnableRule::RecentFile, cmd::kFirstRecentFile + 3, [](CommandState& s) { s.recentFiles = 3; },
         "Needs a file in this place of the recent-file list"},
    };
    std::set<EnableRule> covered{EnableRule::Always};
    for (const Case& k : cases) {
        const CommandInfo* c = FindCommand(k.id);
        ASSERT_NE(c, nullptr) << k.id;
        ASSERT_EQ(c->rule, k.rule) << k.id;
        covered.insert(k.rule);
        CommandState s;
        s.active = {true, true, true, true, true, true, true, true, true, true};
        s.measuring = k.rule == EnableRule::Measuring;
        s.flags = kOpenImpulseWindow | kSmallMeasurementWindow;
        s.presetFilled.fill(true);
        s.recentFiles = 8;
        ASSERT_TRUE(IsCommandEnabled(*c, s)) << k.id;
        EXPECT_EQ(DisabledReason(*c, s), "") << k.id;
        EXPECT_EQ(CommandStatusTip(*c, s), c->statusTip) << k.id;
        k.make(s);
        ASSERT_FALSE(IsCommandEnabled(*c, s)) << k.id;
        EXPECT_EQ(DisabledReason(*c, s), k.reason) << k.id;
        EXPECT_EQ(CommandStatusTip(*c, s), std::string(c->statusTip) + ". " + k.reason) << k.id;
        const std::string tool = CommandToolTip(*c, s);
        EXPECT_EQ(tool.substr(tool.find('\n') + 1), k.reason) << k.id;
        EXPECT_EQ(tool.find('&'), std::string::npos) << tool;
    }
    for (const CommandInfo& c : Commands())
        EXPECT_TRUE(covered.count(c.rule)) << "rule of " << c.id << " has no case";
    for (EnableRule r : covered)
        if (r != EnableRule::Always) {
            EXPECT_FALSE(RuleReason(r).empty());
        }
}

TEST(CommandTable, CommandsNobodyCarriesOutSayWhichPartTheyWaitFor) {
    CommandState s;
    s.available = [](int id) { return id == cmd::kAbout; };
    const struct {
        int id;
        const char* reason;
    } cases[] = {
        {cmd::kNewBoxDesign, "Available once box design is built"},
        {cmd::kStartMeasurement, "Available once measurement is built"},
        {cmd::kLPad, "Available once crossover design is built"},
        {cmd::kFunctionGenerator, "Available once the instruments are built"},
        {cmd::kImport, "Available once the curve import and calculator are built"},
        {cmd::kPrint, "Available once printing is built"},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(DisabledReason(*FindCommand(k.id), s), k.reason) << k.id;
        // Not being built comes first: it is what the user waits for longest.
        s.measuring = true;
        EXPECT_EQ(DisabledReason(*FindCommand(k.id), s), k.reason) << k.id;
        s.measuring = false;
    }
    EXPECT_EQ(DisabledReason(*FindCommand(cmd::kAbout), s), "");
    // Every owner has its words.
    for (const CommandInfo& c : Commands()) EXPECT_FALSE(OwnerReason(c.owner).empty()) << c.id;
}

}  // namespace
}  // namespace sonbex::shell
