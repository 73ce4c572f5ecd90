#pragma once
// Where the speaker database lives and how the programs open and save it:
// the user's SX3SPK.SDB in the per-user data folder; when the user has none
// yet, the shipped one (share/sonbex3/SX3SPK.SDB) is read in its place and
// the user's file is written at the first save. The records of the shipped
// file are made by SeedDriverRecords().
// One thread at a time.

#include "Platform/IFileChooser.h"
#include "Platform/IPrompt.h"
#include "Platform/Paths.h"
#include "Sonbex/BoxDesign/YSpeakerData.h"

#include <filesystem>
#include <vector>

namespace sonbex::boxdesign {

inline constexpr const char* kDatabaseDamaged =
    "The driver database is damaged, \nyou should reinstall Sonbex 3\nor replace the damaged db file.";

std::filesystem::path UserDatabasePath(const platform::Paths& paths);
// The shipped database; empty when none is installed.
std::filesystem::path ShippedDatabasePath();

// The example drivers of the shipped database.
std::vector<DriverRecord> SeedDriverRecords();

// Opens the database at `userPath`, seeded from `shippedPath` when the user
// has no file. A damaged file (fewer records than announced) and a file that
// cannot be read (left untouched from now on) are reported through `prompt`.
void OpenSpeakerDatabase(YSpeakerData& db, const std::filesystem::path& userPath,
                         const std::filesystem::path& shippedPath, platform::IPrompt& prompt);

// Saves the changes at exit. A failed save asks to retry; when the user does
// not, a file chooser offers another location; the list is closed only once
// it is saved or the user gave up (answering the last question No). True when
// nothing was lost.
bool SaveSpeakerDatabaseAtExit(YSpeakerData& db, platform::IPrompt& prompt, platform::IFileChooser& chooser,
                               const platform::AtomicWriteOptions& options = {});

}  // namespace sonbex::boxdesign
