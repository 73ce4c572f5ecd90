#include "Platform/Paths.h"

#include <pwd.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>

namespace sonbex::platform {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

fs::path XdgDir(const std::string& value, const std::string& home, const char* fallback) {
    if (!value.empty() && fs::path(value).is_absolute()) return fs::path(value) / "sonbex3";
    return fs::path(home) / fallback / "sonbex3";
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsInside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    const fs::path b = fs::weakly_canonical(outer, ec);
    if (ec || b.empty()) return false;
    auto [bEnd, aIt] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    return bEnd == b.end();
}

}  // namespace

Paths::Environment Paths::Environment::FromProcess() {
    Environment env{Env("HOME"), Env("XDG_CONFIG_HOME"), Env("XDG_DATA_HOME"), Env("XDG_CACHE_HOME")};
    if (env.home.empty()) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) env.home = pw->pw_dir;
    }
    if (env.home.empty()) env.home = "/tmp";
    return env;
}

Paths::Paths(Environment env) : env_(std::move(env)) {}

fs::path Paths::ConfigDir() const { return XdgDir(env_.configHome, env_.home, ".config"); }
fs::path Paths::DataDir() const { return XdgDir(env_.dataHome, env_.home, ".local/share"); }
fs::path Paths::CacheDir() const { return XdgDir(env_.cacheHome, env_.home, ".cache"); }
fs::path Paths::SettingsFile() const { return ConfigDir() / "settings.json"; }

fs::path Paths::ExecutablePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe;
}

std::vector<fs::path> Paths::ShippedDataDirs(const fs::path& executable) {
    std::vector<fs::path> dirs;
    if (!executable.empty()) {
        const fs::path bin = executable.parent_path();
        dirs.push_back((bin.parent_path() / "share" / "sonbex3").lexically_normal());
        if (IsInside(executable, SONBEX_BINARY_DIR))
            dirs.push_back(fs::path(SONBEX_SOURCE_DIR) / "share" / "sonbex3");
    }
    const fs::path installed = fs::path(SONBEX_INSTALL_PREFIX) / "share" / "sonbex3";
    if (std::find(dirs.begin(), dirs.end(), installed) == dirs.end()) dirs.push_back(installed);
    return dirs;
}

fs::path Paths::FindShippedFile(const fs::path& relative) {
    for (const fs::path& dir : ShippedDataDirs()) {
        std::error_code ec;
        fs::path candidate = dir / relative;
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return {};
}

std::string_view FileNamePart(std::string_view path) {
    std::size_t i = path.size();
    while (i > 0 && !IsSeparator(path[i - 1])) --i;
    return path.substr(i);
}

std::string_view Extension(std::string_view path) {
    const std::string_view name = FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return name.substr(dot);
}

bool HasExtension(std::string_view path, std::string_view ext) {
    const std::string_view have = Extension(path);
    if (ext.empty() || have.size() != ext.size()) return false;
    for (std::size_t i = 0; i < ext.size(); ++i)
        if (Lower(have[i]) != Lower(ext[i])) return false;
    return true;
}

std::string ReplaceExtension(std::string_view path, std::string_view ext) {
    std::string out(path.substr(0, path.size() - Extension(path).size()));
    out += ext;
    return out;
}

bool IsAbsolutePath(std::string_view path) { return fs::path(path).is_absolute(); }

std::string FromStoredPath(std::string_view stored) {
    std::string out(stored);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

}  // namespace sonbex::platform
