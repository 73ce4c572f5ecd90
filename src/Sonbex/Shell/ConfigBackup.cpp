#include "Sonbex/Shell/ConfigBackup.h"

#include "Platform/SettingsStore.h"
#include "Platform/YRegistry.h"
#include "Sonbex/Shell/GlobalConfig.h"

#include <system_error>
#include <vector>

namespace sonbex::shell {
namespace fs = std::filesystem;

void ConfigBackup::NoteLoadFailed(const fs::path& file) {
    std::error_code ec;
    if (fs::exists(file, ec)) failed_.insert(file);
}

bool ConfigBackup::NeedsBackup(const fs::path& file) const { return failed_.count(file) != 0; }

bool ConfigBackup::BeforeOverwrite(const fs::path& file) {
    if (!NeedsBackup(file)) return true;
    std::error_code ec;
    if (!fs::exists(file, ec)) {  // gone meanwhile: nothing to keep
        failed_.erase(file);
        return true;
    }
    const fs::path target = BackupName(file);
    if (!fs::copy_file(file, target, fs::copy_options::overwrite_existing, ec)) return false;
    failed_.erase(file);
    return true;
}

fs::path BackupName(const fs::path& file) {
    std::error_code ec;
    fs::path oldest;
    fs::file_time_type oldestTime = fs::file_time_type::max();
    for (int i = 0; i <= 9; ++i) {
        fs::path candidate = file;
        candidate += i == 0 ? std::string(".bad") : ".bad." + std::to_string(i);
        if (!fs::exists(candidate, ec)) return candidate;
        const fs::file_time_type t = fs::last_write_time(candidate, ec);
        if (!ec && t < oldestTime) {
            oldestTime = t;
            oldest = candidate;
        }
    }
    if (oldest.empty()) (oldest = file) += ".bad";
    return oldest;
}

bool BackUpUnreadableGlobalConfig(platform::SettingsStore& store) {
    std::vector<std::uint8_t> bytes;
    if (!store.GetBinary(platform::kSettingsRoot, kGlobalConfigValue, bytes)) {
        // Present under another type is unreadable too.
        if (!store.HasValue(platform::kSettingsRoot, kGlobalConfigValue)) return false;
    } else {
        GlobalConfig probe;
        if (DecodeGlobalConfig(bytes, probe)) return false;
    }
    return store.SetBinary(platform::kSettingsRoot, kGlobalConfigBackupValue, bytes);
}

}  // namespace sonbex::shell
