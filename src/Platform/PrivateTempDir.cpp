#include "Platform/PrivateTempDir.h"

#include <sys/stat.h>
#include <cstdlib>
#include <string>
#include <vector>

namespace sonbex::platform {

namespace fs = std::filesystem;

PrivateTempDir::PrivateTempDir(const fs::path& parent, std::string_view prefix) {
    fs::path base = parent;
    if (base.empty()) {
        std::error_code ec;
        base = fs::temp_directory_path(ec);
        if (ec) base = "/tmp";
    }
    std::string pattern = (base / (std::string(prefix) + "XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data())) {  // mkdtemp makes the folder with mode 0700
        path_ = buffer.data();
        chmod(path_.c_str(), S_IRWXU);  // whatever the umask
    }
}

PrivateTempDir::~PrivateTempDir() {
    if (path_.empty()) return;
    std::error_code ec;
    fs::remove_all(path_, ec);
}

}  // namespace sonbex::platform
