#include "Sonbex/Shell/CommandTable.h"

#include "Sonbex/Shell/GlobalConfig.h"

#include <gtest/gtest.h>

#include <algorithm>
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
