#pragma once
// Keeps a database or configuration that failed to load from being lost when
// the program later saves over it (the speaker database, the presets, the
// stimulus configuration, the "Global Config" value ...).
//
// Files: after a failed load call NoteLoadFailed(file); every save calls
// BeforeOverwrite(file) first, which copies the unreadable file once to
// "<file>.bad" (".bad.1" ... ".bad.9" when taken, the oldest replaced when
// all are) and tells whether the save may go on.
//
// Threads: one object belongs to one thread (the GUI thread).

#include <filesystem>
#include <set>
#include <string>

namespace sonbex::platform {
class SettingsStore;
}

namespace sonbex::shell {

class ConfigBackup {
public:
    void NoteLoadFailed(const std::filesystem::path& file);
    bool NeedsBackup(const std::filesystem::path& file) const;
    // True when the save may overwrite `file`: nothing to keep, or the copy
    // was made. False when the copy failed (the file is then left alone).
    bool BeforeOverwrite(const std::filesystem::path& file);

private:
    std::set<std::filesystem::path> failed_;
};

// The first free "<file>.bad", "<file>.bad.1" ... "<file>.bad.9"; the oldest
// of them when all are taken.
std::filesystem::path BackupName(const std::filesystem::path& file);

// The "Global Config" value when it is present but unreadable (wrong length or
// version): copied to the value "Global Config.bad" beside it, so the save at
// exit does not lose it. True when a copy was made.
inline constexpr const char* kGlobalConfigBackupValue = "Global Config.bad";
bool BackUpUnreadableGlobalConfig(platform::SettingsStore& store);

}  // namespace sonbex::shell
