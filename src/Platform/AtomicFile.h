#pragma once
// Saving a file so that a failed save never destroys the old one: the bytes go
// to a temporary file beside the target, are flushed to disk, and only then is
// the temporary renamed over the target (and the folder flushed).
// Safe from any thread for different targets.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace sonbex::platform {

struct AtomicWriteOptions {
    // Called with the complete, flushed temporary file just before the rename;
    // returning false abandons the save (tests use it to interrupt a save).
    std::function<bool(const std::filesystem::path& temporary)> beforeRename;
    unsigned mode = 0644;  // permission bits of a new file (before the umask)
};

// True when `bytes` are in place at `target`. On failure the target is as it
// was, the temporary file is removed and `error` (when given) says why.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         const AtomicWriteOptions& options = {}, std::string* error = nullptr);

}  // namespace sonbex::platform
