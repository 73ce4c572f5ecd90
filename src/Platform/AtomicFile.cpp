#include "Platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace sonbex::platform {

namespace fs = std::filesystem;

namespace {

bool Fail(std::string* error, const std::string& what, int err) {
    if (error) *error = what + (err ? ": " + std::string(std::strerror(err)) : std::string());
    return false;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Read without changing it: umask() would change it for every thread meanwhile.
mode_t ProcessUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const fs::path& target, std::string_view bytes, const AtomicWriteOptions& options,
                         std::string* error) {
    if (target.filename().empty()) return Fail(error, "no file name", 0);
    const fs::path folder = target.parent_path();
    std::string pattern = (folder / (target.filename().string() + ".tmpXXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return Fail(error, "cannot create a temporary file beside " + target.string(), errno);
    const fs::path temporary = name.data();

    // mkostemp makes the file 0600: keep the target's mode, or give the mode a
    // new file would have.
    struct stat old {};
    ::fchmod(fd, ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777)
                                                   : (static_cast<mode_t>(options.mode) & ~ProcessUmask()));

    auto abandon = [&](const std::string& what, int err) {
        ::unlink(temporary.c_str());
        return Fail(error, what, err);
    };
    if (!WriteAll(fd, bytes)) {
        const int err = errno;
        ::close(fd);
        return abandon("cannot write " + temporary.string(), err);
    }
    if (::fsync(fd) != 0) {
        const int err = errno;
        ::close(fd);
        return abandon("cannot flush " + temporary.string(), err);
    }
    if (::close(fd) != 0) return abandon("cannot close " + temporary.string(), errno);
    if (options.beforeRename && !options.beforeRename(temporary)) return abandon("save abandoned", 0);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return abandon("cannot replace " + target.string(), errno);
    SyncFolder(folder);
    return true;
}

}  // namespace sonbex::platform
