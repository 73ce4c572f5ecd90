#pragma once
// Where the shell's files live: the user's copies under the per-user data
// folder (Paths::DataDir()) first, then the shipped read-only ones
// (share/sonbex3/). Safe from any thread.

#include "Sonbex/Shell/GlobalConfig.h"

#include <filesystem>
#include <string>
#include <vector>

namespace sonbex::platform {
class Paths;
}

namespace sonbex::shell {

inline constexpr const char* kBackgroundFolder = "Background";
inline constexpr const char* kDefaultBackground = "Sonbex2";

// The tips file to read; empty when there is none.
std::filesystem::path FindTipsFile(const platform::Paths& paths);
// The folders searched for background pictures, in order (existing or not).
std::vector<std::filesystem::path> BackgroundFolders(const platform::Paths& paths);
// The defaults of this installation: the shipped "Sonbex2.bmp" background
// (when present) and the private temporary folder of the process (empty tempDir).
GlobalConfigDefaults StandardGlobalConfigDefaults(const platform::Paths& paths);

// Where recordings go: the configured temporary folder when it is an existing
// folder, else `privateDir` (the process's own, see Platform/PrivateTempDir.h).
std::filesystem::path RecordingFolder(const GlobalConfig& config, const std::filesystem::path& privateDir);

struct BackgroundChoice {
    std::string name;            // file name without extension, as listed
    std::filesystem::path file;  // the picture
};
// The "*.bmp" files (extension in either case) of `folders`, sorted by name;
// a name found in an earlier folder hides later ones.
std::vector<BackgroundChoice> ListBackgrounds(const std::vector<std::filesystem::path>& folders);

}  // namespace sonbex::shell
