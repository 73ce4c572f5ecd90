#pragma once
// Where the system's files live, and helpers for path text.
//
// Per-user folders follow the XDG base directories with "/sonbex3" appended:
// config ($XDG_CONFIG_HOME, else ~/.config), data ($XDG_DATA_HOME, else
// ~/.local/share), cache ($XDG_CACHE_HOME, else ~/.cache). Shipped read-only
// data lives under share/sonbex3/. Nothing here creates folders.
// All functions are safe from any thread.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::platform {

class Paths {
public:
    // The environment the folders derive from; empty strings mean "not set".
    // Relative XDG values are ignored, as the XDG rules require.
    struct Environment {
        std::string home;
        std::string configHome;
        std::string dataHome;
        std::string cacheHome;
        static Environment FromProcess();  // $HOME (else the password entry) and $XDG_*
    };

    explicit Paths(Environment env = Environment::FromProcess());

    std::filesystem::path ConfigDir() const;
    std::filesystem::path DataDir() const;
    std::filesystem::path CacheDir() const;
    std::filesystem::path SettingsFile() const;  // ConfigDir()/settings.json

    // The running program's file (/proc/self/exe); empty when unknown.
    static std::filesystem::path ExecutablePath();
    // Candidate folders of shipped data for a program at `executable`, in search
    // order: <exe dir>/../share/sonbex3, the source tree's share/sonbex3 when the
    // program runs from the build tree, then <install prefix>/share/sonbex3.
    static std::vector<std::filesystem::path> ShippedDataDirs(
        const std::filesystem::path& executable = ExecutablePath());
    // The first existing file `relative` (e.g. "WAVEFORM.CFG") in ShippedDataDirs();
    // empty when none has it.
    static std::filesystem::path FindShippedFile(const std::filesystem::path& relative);

private:
    Environment env_;
};

// The file-name part: after the last '/' or '\\'.
std::string_view FileNamePart(std::string_view path);
// The extension of the file-name part, with its dot (".SXF"); empty when the
// name has none (a leading dot alone, as in ".profile", is no extension).
std::string_view Extension(std::string_view path);
// Case-insensitive test of the file-name part's extension: HasExtension("X.SXF",
// ".sxf") is true, HasExtension("/a.b/c", ".b") false. `ext` includes the dot.
bool HasExtension(std::string_view path, std::string_view ext);
// The path with the file-name part's extension replaced (or added); `ext`
// includes the dot, empty removes it.
std::string ReplaceExtension(std::string_view path, std::string_view ext);
// Tested with std::filesystem ("/x" yes, "x", "C:\\x" no).
bool IsAbsolutePath(std::string_view path);
// A path stored by older files with '\\' separators, in '/' form.
std::string FromStoredPath(std::string_view stored);

}  // namespace sonbex::platform
