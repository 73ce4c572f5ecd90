#include "Platform/YRecentFileList.h"

#include "Platform/YRegistry.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace sonbex::platform {
namespace {

constexpr std::size_t kMaxStoredPath = 4096;

std::string ValueName(std::size_t i) { return "RecentFile" + std::to_string(i + 1); }

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

}  // namespace

YRecentFileList::YRecentFileList(SettingsStore& store, ExistsFn exists)
    : store_(store), exists_(exists ? std::move(exists) : ExistsFn(FileExists)) {}

void YRecentFileList::Attach(std::string_view rootPath) {
    keyPath_ = std::string(rootPath) + "\\MRU";
    files_.clear();
    YRegistry reg(store_);
    if (reg.Open(keyPath_, false)) {
        for (std::size_t i = 0; i < kMaxFiles; ++i) {
            std::string path;
            if (!reg.ReadString(ValueName(i), path, kMaxStoredPath)) break;
            if (path.empty() || !exists_(path)) continue;
            if (std::find(files_.begin(), files_.end(), path) != files_.end()) continue;
            files_.push_back(std::move(path));
        }
    }
    Changed();
}

void YRecentFileList::Add(std::string_view path) {
    if (path.empty() || path.size() > kMaxStoredPath) return;
    std::string entry(path);
    std::erase(files_, entry);
    files_.insert(files_.begin(), std::move(entry));
    if (files_.size() > kMaxFiles) files_.resize(kMaxFiles);
    Changed();
}

bool YRecentFileList::Take(std::size_t index, std::string& path) {
    if (index >= files_.size()) return false;
    path = files_[index];
    std::rotate(files_.begin(), files_.begin() + index, files_.begin() + index + 1);
    Changed();
    return true;
}

bool YRecentFileList::Save() {
    if (keyPath_.empty()) return false;
    YRegistry reg(store_);
    if (!reg.Open(keyPath_, true)) return false;
    bool ok = true;
    for (std::size_t i = 0; i < files_.size(); ++i) ok = reg.WriteString(ValueName(i), files_[i]) && ok;
    for (std::size_t i = files_.size(); i < kMaxFiles; ++i) reg.Remove(ValueName(i));
    return reg.Close() && ok;
}

std::vector<std::string> YRecentFileList::MenuTexts(std::size_t maxPathChars) const {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < files_.size(); ++i)
        texts.push_back("&" + std::to_string(i + 1) + " " + ShortenPathForDisplay(files_[i], maxPathChars));
    return texts;
}

std::string YRecentFileList::InitialDirectory() const {
    if (files_.empty()) return {};
    return std::filesystem::path(files_.front()).parent_path().string();
}

std::string ShortenPathForDisplay(std::string_view path, std::size_t maxChars) {
    if (path.size() <= maxChars) return std::string(path);
    constexpr std::string_view kDots = "...";
    std::size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    // Keep the first folder ("/home/") when the file name still fits beside it.
    std::size_t headEnd = path.find('/', path.starts_with('/') ? 1 : 0);
    std::string_view head =
        headEnd == std::string_view::npos ? std::string_view() : path.substr(0, headEnd + 1);
    if (head.size() + kDots.size() + 1 + name.size() > maxChars) head = {};
    if (kDots.size() + 1 + name.size() > maxChars) return std::string(kDots) + "/" + std::string(name);
    std::string_view tail = path.substr(path.size() - (maxChars - head.size() - kDots.size()));
    tail.remove_prefix(tail.find('/'));  // start at a folder boundary; the name's '/' is in range
    return std::string(head) + std::string(kDots) + std::string(tail);
}

}  // namespace sonbex::platform
