#pragma once
// A plain binary or text file. Writing goes to a temporary file beside the
// target, which replaces the target only on a clean Close; a failed or
// abandoned write leaves the previous file untouched.
//
// Threading: one file is used by one thread at a time.

#include "YLib/YSafeFile.h"

#include <filesystem>
#include <string>
#include <string_view>

class YFile {
public:
    YFile() = default;
    YFile(const YFile&) = delete;
    YFile& operator=(const YFile&) = delete;
    // Closes as Close does.
    ~YFile();

    // Fails if a file is already open.
    bool Open(const std::filesystem::path& path, bool write);
    // Writing: true only if every write, the flush and the close succeeded and
    // the file replaced the target. False if nothing is open.
    bool Close();
    // Drops a write in progress, or closes a read.
    void Abandon();

    bool IsOpen() const { return file_.IsOpen(); }
    bool IsWriting() const { return file_.IsWriting(); }
    std::uint64_t Remaining() const { return file_.Remaining(); }

    // Items transferred; 0 in the other mode.
    std::size_t Read(void* ptr, std::size_t itemSize, std::size_t count);
    std::size_t Write(const void* ptr, std::size_t itemSize, std::size_t count);
    // Reading only: the next line whole, without its LF or CR LF ending. False
    // at the end of the file.
    bool ReadLine(std::string& line);
    // Writing only: the characters without a terminator.
    bool WriteText(std::string_view text);
    bool Flush();

private:
    YSafeFile file_;
};
