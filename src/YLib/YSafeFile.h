#pragma once
// The file underneath YPersistence and YFile: a binary stream that is either
// read (its size known, so callers can check counts against the bytes left) or
// written to a temporary file beside the target that replaces the target only
// when Commit succeeds. A failed or abandoned write leaves the previous target
// untouched and no temporary file behind.
//
// Threading: one object is used by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>

class YSafeFile {
public:
    YSafeFile() = default;
    YSafeFile(const YSafeFile&) = delete;
    YSafeFile& operator=(const YSafeFile&) = delete;
    // Abandons a write that was not committed.
    ~YSafeFile();

    bool OpenRead(const std::filesystem::path& path);
    // Reads from memory the caller keeps alive until Close.
    bool OpenBuffer(const void* data, std::size_t size);
    bool OpenWrite(const std::filesystem::path& target);

    bool IsOpen() const { return stream_ != nullptr; }
    bool IsWriting() const { return stream_ != nullptr && writing_; }
    bool IsReading() const { return stream_ != nullptr && !writing_; }
    // True once a write or flush has failed; Commit then fails.
    bool Failed() const { return failed_; }

    // Whole items transferred; a short write marks the file failed.
    std::size_t Read(void* ptr, std::size_t itemSize, std::size_t count);
    std::size_t Write(const void* ptr, std::size_t itemSize, std::size_t count);
    // One byte, or EOF.
    int GetChar();
    bool Flush();

    // Reading: the bytes between the read position and the end.
    std::uint64_t Remaining() const;
    std::int64_t Tell() const;
    bool Seek(std::int64_t position);

    // Writing: flushes, syncs, closes and renames the temporary file over the
    // target; false (temporary file deleted) if any step or an earlier write
    // failed. Reading: closes. False when nothing is open.
    bool Commit();
    // Closes; a write in progress is dropped.
    void Abandon();

private:
    void Reset();

    std::FILE* stream_ = nullptr;
    bool writing_ = false;
    bool failed_ = false;
    std::uint64_t size_ = 0;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
};
