#pragma once
// The tagged binary archive objects store themselves in (see IArchive).
//
// Encoding, little-endian, no padding: int32 (4 bytes), float64 (8 bytes); a
// string record is int32 L = characters + 1, then the characters and a zero
// byte; a tag is the string record of a class name, then an int32 version.
//
// Writing goes to a temporary file beside the target, which replaces the
// target only on a clean Close: a failed or abandoned save leaves the previous
// file untouched. Reading treats the file as untrusted: every count and length
// is checked against the bytes left before anything is allocated.
//
// Threading: one archive is used by one thread at a time.

#include "YLib/YSafeFile.h"

#include <bit>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

static_assert(std::endian::native == std::endian::little, "the archive is stored little-endian");

class YPersistence {
public:
    // Tag names of this many characters or more are rejected.
    static constexpr std::size_t kMaxTagChars = 1024;

    YPersistence() = default;
    YPersistence(const YPersistence&) = delete;
    YPersistence& operator=(const YPersistence&) = delete;
    // Closes as Close does.
    ~YPersistence();

    // Fails if an archive is already open. write: a new file replacing path on
    // Close; otherwise path is read.
    bool Open(const std::filesystem::path& path, bool write);
    // Reads an archive held in memory (kept alive by the caller until Close).
    bool OpenBuffer(const void* data, std::size_t size);
    // False if nothing is open. Writing: true only if every write, the flush
    // and the close succeeded and the file replaced the target; otherwise the
    // temporary file is deleted and the target left as it was.
    bool Close();
    // Drops a write in progress (the target stays as it was), or closes a read.
    void Abandon();

    bool IsOpen() const { return file_.IsOpen(); }
    bool IsWriting() const { return file_.IsWriting(); }
    bool IsReading() const { return file_.IsReading(); }
    const std::filesystem::path& Path() const { return path_; }
    // Reading: bytes between the read position and the end of the archive.
    std::uint64_t Remaining() const { return file_.Remaining(); }

    // True only in the matching mode with all count items transferred.
    bool Write(const void* ptr, std::size_t itemSize, std::size_t count);
    bool Read(void* ptr, std::size_t itemSize, std::size_t count);
    bool WriteInt32(std::int32_t value) { return Write(&value, sizeof value, 1); }
    bool ReadInt32(std::int32_t& value) { return Read(&value, sizeof value, 1); }
    bool WriteDouble(double value) { return Write(&value, sizeof value, 1); }
    bool ReadDouble(double& value) { return Read(&value, sizeof value, 1); }

    // A string record (a text with a zero byte in it loads only up to it).
    bool WriteString(std::string_view text);
    // Reads a string record and keeps at most maxChars characters of it (the
    // text up to its first zero byte). Fails on a length below 1, beyond the
    // bytes left, or a record not ending in a zero byte.
    bool ReadString(std::string& out, std::size_t maxChars);

    bool WriteTag(std::string_view name, std::int32_t version);
    // Reads a tag (names of kMaxTagChars characters or more fail); with rewind,
    // or on failure, the read position returns to where it was.
    bool PeekTag(std::string& name, std::int32_t& version, bool rewind);
    // Reads a tag and compares its name exactly with name. On a match returns
    // true with the stored version; otherwise the read position is restored.
    bool ExpectTag(std::string_view name, std::int32_t& version);

private:
    YSafeFile file_;
    std::filesystem::path path_;
};
