#pragma once
// A private temporary folder of this process (mode 0700, made with mkdtemp),
// removed with everything in it when the object is destroyed. Recordings and
// other scratch files go here. Not thread-safe; the owner hands Path() around.

#include <filesystem>
#include <string_view>

namespace sonbex::platform {

class PrivateTempDir {
public:
    // Creates "<parent>/<prefix>XXXXXX"; parent defaults to the system temporary
    // folder ($TMPDIR, else /tmp). Check IsValid().
    explicit PrivateTempDir(const std::filesystem::path& parent = {}, std::string_view prefix = "sonbex3-");
    ~PrivateTempDir();
    PrivateTempDir(const PrivateTempDir&) = delete;
    PrivateTempDir& operator=(const PrivateTempDir&) = delete;

    bool IsValid() const { return !path_.empty(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace sonbex::platform
