#include "Platform/IFileChooser.h"

namespace sonbex::platform {

namespace {
std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}
}  // namespace

std::vector<FileFilter> ParseFileFilter(std::string_view filter) {
    std::vector<FileFilter> filters;
    if (filter.empty()) return filters;
    const auto parts = Split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter f{std::string(parts[i]), {}};
        for (std::string_view pattern : Split(parts[i + 1], ';'))
            if (!pattern.empty()) f.patterns.emplace_back(pattern);
        if (!f.patterns.empty()) filters.push_back(std::move(f));
    }
    return filters;
}

std::optional<std::filesystem::path> IFileChooser::OpenFile(std::string title, std::string filter,
                                                            std::filesystem::path initial) {
    auto result =
        Choose({ChooserKind::OpenFile, std::move(title), std::move(filter), 0, std::move(initial), {}});
    if (!result) return std::nullopt;
    return result->path;
}

std::optional<std::filesystem::path> IFileChooser::SaveFile(std::string title, std::string filter,
                                                            std::filesystem::path initial,
                                                            std::string defaultExtension) {
    auto result = Choose({ChooserKind::SaveFile, std::move(title), std::move(filter), 0, std::move(initial),
                          std::move(defaultExtension)});
    if (!result) return std::nullopt;
    return result->path;
}

std::optional<std::filesystem::path> IFileChooser::ChooseFolder(std::string title,
                                                                std::filesystem::path initial) {
    auto result = Choose({ChooserKind::Folder, std::move(title), {}, 0, std::move(initial), {}});
    if (!result) return std::nullopt;
    return result->path;
}

}  // namespace sonbex::platform
