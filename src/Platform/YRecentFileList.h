#pragma once
// The list of recently used files (newest first, at most eight), kept in the
// sub-key "MRU" of the settings root as the text values "RecentFile1" ...
// "RecentFile8". The window framework shows it as the menu items "&1 path"
// ... with the command ids 150 to 157.
//
// The list never changes the process's current directory; InitialDirectory()
// offers the folder of the newest file to file choosers instead.
//
// Threads: the owner's thread only (the GUI thread in the desktop program).

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::platform {

class SettingsStore;

class YRecentFileList {
public:
    static constexpr std::size_t kMaxFiles = 8;
    static constexpr int kFirstCommandId = 150;
    using ExistsFn = std::function<bool(const std::string& path)>;

    // `exists` decides which stored entries are still valid (default: the file
    // exists). The store must outlive the list.
    explicit YRecentFileList(SettingsStore& store, ExistsFn exists = {});

    // Loads the list from "<rootPath>\MRU": the values RecentFile1, 2, ... up to
    // the first missing one; entries whose file is gone, empty ones and repeats
    // are dropped.
    void Attach(std::string_view rootPath);
    // Puts `path` first; an equal entry further down is removed, the ninth
    // falls off. An empty path is ignored.
    void Add(std::string_view path);
    // Copies entry `index` to `path` and moves it to the front; false for an
    // index past the end.
    bool Take(std::size_t index, std::string& path);
    // Writes the entries and removes stored values beyond them. False when the
    // list is not attached or the store could not be written.
    bool Save();

    const std::vector<std::string>& Files() const { return files_; }
    // "&1 /home/me/.../driver.sxf": the menu texts, in order.
    std::vector<std::string> MenuTexts(std::size_t maxPathChars = 48) const;
    // The folder of the newest entry; empty when the list is empty.
    std::string InitialDirectory() const;
    // Called after every change of the list (to rebuild the menu).
    void SetChangedCallback(std::function<void()> changed) { changed_ = std::move(changed); }

private:
    void Changed() const {
        if (changed_) changed_();
    }

    SettingsStore& store_;
    ExistsFn exists_;
    std::string keyPath_;
    std::vector<std::string> files_;
    std::function<void()> changed_;
};

// A path shortened for a menu: the first folder, "...", and as much of the
// end as fits in `maxChars` ("/home/.../speakers/woofer.sxf").
std::string ShortenPathForDisplay(std::string_view path, std::size_t maxChars);

}  // namespace sonbex::platform
