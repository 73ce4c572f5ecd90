#include "YLib/YSafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <limits>
#include <string>

namespace fs = std::filesystem;

YSafeFile::~YSafeFile() { Abandon(); }

bool YSafeFile::OpenRead(const fs::path& path) {
    if (stream_) return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return false;
    }
    stream_ = f;
    writing_ = false;
    failed_ = false;
    size_ = std::uint64_t(st.st_size);
    return true;
}

bool YSafeFile::OpenBuffer(const void* data, std::size_t size) {
    if (stream_) return false;
    static const char empty = 0;
    // fmemopen refuses a zero-sized buffer; an empty one reads as end of file.
    std::FILE* f = fmemopen(const_cast<void*>(size ? data : &empty), size ? size : 1, "rb");
    if (!f) return false;
    stream_ = f;
    writing_ = false;
    failed_ = false;
    size_ = size;
    if (size == 0) std::fseek(f, 1, SEEK_SET);
    return true;
}

bool YSafeFile::OpenWrite(const fs::path& target) {
    if (stream_ || target.empty() || target.filename().empty()) return false;
    static std::atomic<unsigned> counter{0};
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = dir / ("." + target.filename().string() + ".tmp-" + std::to_string(getpid()) +
                                    "-" + std::to_string(counter++));
        // Created with the usual 0666 less umask, like a plain fopen would.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::fchmod(fd, st.st_mode & 07777);  // keep the permissions of the file replaced
        std::FILE* f = fdopen(fd, "wb");
        if (!f) {
            ::close(fd);
            ::unlink(candidate.c_str());
            return false;
        }
        stream_ = f;
        writing_ = true;
        failed_ = false;
        size_ = 0;
        target_ = target;
        temporary_ = std::move(candidate);
        return true;
    }
    return false;
}

std::size_t YSafeFile::Read(void* ptr, std::size_t itemSize, std::size_t count) {
    if (!IsReading() || itemSize == 0 || count == 0) return 0;
    if (count > std::numeric_limits<std::size_t>::max() / itemSize) return 0;
    return std::fread(ptr, itemSize, count, stream_);
}

std::size_t YSafeFile::Write(const void* ptr, std::size_t itemSize, std::size_t count) {
    if (!IsWriting()) return 0;
    if (itemSize == 0 || count == 0) return 0;
    const std::size_t written = std::fwrite(ptr, itemSize, count, stream_);
    if (written != count) failed_ = true;
    return written;
}

int YSafeFile::GetChar() { return IsReading() ? std::fgetc(stream_) : EOF; }

bool YSafeFile::Flush() {
    if (!stream_) return false;
    if (std::fflush(stream_) != 0) {
        failed_ = failed_ || writing_;
        return false;
    }
    return true;
}

std::uint64_t YSafeFile::Remaining() const {
    const std::int64_t at = Tell();
    if (!IsReading() || at < 0 || std::uint64_t(at) >= size_) return 0;
    return size_ - std::uint64_t(at);
}

std::int64_t YSafeFile::Tell() const { return stream_ ? std::int64_t(ftello(stream_)) : -1; }

bool YSafeFile::Seek(std::int64_t position) {
    return stream_ && position >= 0 && fseeko(stream_, off_t(position), SEEK_SET) == 0;
}

bool YSafeFile::Commit() {
    if (!stream_) return false;
    if (!writing_) {
        const bool closed = std::fclose(stream_) == 0;
        Reset();
        return closed;
    }
    bool ok = !failed_ && std::fflush(stream_) == 0 && ::fsync(fileno(stream_)) == 0;
    ok = (std::fclose(stream_) == 0) && ok;
    stream_ = nullptr;
    if (ok) ok = ::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok) ::unlink(temporary_.c_str());
    Reset();
    return ok;
}

void YSafeFile::Abandon() {
    if (!stream_) return;
    std::fclose(stream_);
    if (writing_) ::unlink(temporary_.c_str());
    Reset();
}

void YSafeFile::Reset() {
    stream_ = nullptr;
    writing_ = false;
    failed_ = false;
    size_ = 0;
    target_.clear();
    temporary_.clear();
}
