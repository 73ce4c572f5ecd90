#pragma once
// File and folder choosers (open, save, choose folder) as a service, so the
// desktop program shows its dialogs and tests script the choice.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::platform {

enum class ChooserKind { OpenFile, SaveFile, Folder };

struct ChooserRequest {
    ChooserKind kind = ChooserKind::OpenFile;
    std::string title;
    // '|'-separated pairs of label and patterns, patterns separated by ';':
    // "Sonbex files (*.sxf)|*.sxf|All files (*.*)|*.*". Unused for folders.
    std::string filter;
    int filterIndex = 0;            // the filter shown first (0-based)
    std::filesystem::path initial;  // start folder, or proposed file name
    std::string defaultExtension;   // ".sxf": appended on save when the name has none
};

struct ChooserResult {
    std::filesystem::path path;
    int filterIndex = 0;  // the filter in force when the user chose
};

struct FileFilter {
    std::string label;
    std::vector<std::string> patterns;  // "*.sxf"
};
// Splits a filter string; a trailing label without patterns is dropped.
std::vector<FileFilter> ParseFileFilter(std::string_view filter);

// Implementations say from which threads Choose may be called.
class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // Blocks until the user chooses; empty when cancelled.
    virtual std::optional<ChooserResult> Choose(const ChooserRequest& request) = 0;

    std::optional<std::filesystem::path> OpenFile(std::string title, std::string filter,
                                                  std::filesystem::path initial = {});
    std::optional<std::filesystem::path> SaveFile(std::string title, std::string filter,
                                                  std::filesystem::path initial = {},
                                                  std::string defaultExtension = {});
    std::optional<std::filesystem::path> ChooseFolder(std::string title, std::filesystem::path initial = {});
};

}  // namespace sonbex::platform
