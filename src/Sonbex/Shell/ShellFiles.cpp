#include "Sonbex/Shell/ShellFiles.h"

#include "Platform/Paths.h"
#include "Sonbex/Shell/TipsFile.h"

#include <algorithm>
#include <system_error>

namespace sonbex::shell {
namespace fs = std::filesystem;

namespace {
bool IsFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}
}  // namespace

fs::path FindTipsFile(const platform::Paths& paths) {
    fs::path user = paths.DataDir() / kTipsFileName;
    if (IsFile(user)) return user;
    return platform::Paths::FindShippedFile(kTipsFileName);
}

std::vector<fs::path> BackgroundFolders(const platform::Paths& paths) {
    std::vector<fs::path> folders{paths.DataDir() / kBackgroundFolder};
    for (const fs::path& dir : platform::Paths::ShippedDataDirs()) folders.push_back(dir / kBackgroundFolder);
    return folders;
}

GlobalConfigDefaults StandardGlobalConfigDefaults(const platform::Paths& paths) {
    GlobalConfigDefaults defaults;
    for (const BackgroundChoice& choice : ListBackgrounds(BackgroundFolders(paths)))
        if (choice.name == kDefaultBackground) defaults.backgroundPath = choice.file.string();
    return defaults;
}

fs::path RecordingFolder(const GlobalConfig& config, const fs::path& privateDir) {
    std::error_code ec;
    if (!config.tempDir.empty() && fs::is_directory(config.tempDir, ec)) return config.tempDir;
    return privateDir;
}

std::vector<BackgroundChoice> ListBackgrounds(const std::vector<fs::path>& folders) {
    std::vector<BackgroundChoice> choices;
    for (const fs::path& folder : folders) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const fs::path& file = it->path();
            if (!platform::HasExtension(file.string(), ".bmp") || !IsFile(file)) continue;
            std::string name = file.stem().string();
            bool hidden = std::any_of(choices.begin(), choices.end(),
                                      [&](const BackgroundChoice& c) { return c.name == name; });
            if (!hidden) choices.push_back({name, file});
        }
    }
    std::sort(choices.begin(), choices.end(),
              [](const BackgroundChoice& a, const BackgroundChoice& b) { return a.name < b.name; });
    return choices;
}

}  // namespace sonbex::shell
