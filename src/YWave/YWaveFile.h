#pragma once
// RIFF/WAVE files: the header parser, the header writer, a block reader for
// playing a file and a writer for recording one.
//
// Files are untrusted: chunk sizes are checked against the file size, odd-sized
// chunks are skipped with their pad byte, a "data" chunk is accepted only after
// an acceptable "fmt " chunk (tag 1, 3, or 0xFFFE with the PCM or IEEE-float
// sub-format; at least one channel and one bit; a block alignment of exactly
// channels x bytes per sample), and a data size beyond the end of the file is
// clamped to the whole frames present.
//
// Threading: the functions are safe from any thread on different streams; a
// reader or writer is used by one thread at a time.

#include "YWave/YWaveFormat.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

struct YWaveFileInfo {
    YWaveFormat format;
    std::uint64_t dataOffset = 0;  // byte offset of the first sample
    std::uint32_t dataBytes = 0;   // whole frames present in the file
    // Frames of data: dataBytes / blockAlign.
    std::uint32_t Frames() const { return format.blockAlign ? dataBytes / format.blockAlign : 0; }
};

// Parses the header of `file` from its start. True when a "data" chunk follows
// an acceptable "fmt " chunk; the stream is then positioned at the data.
bool YParseWaveHeader(std::FILE* file, YWaveFileInfo& info);
// The same for the file at `path`.
bool YReadWaveFileInfo(const std::filesystem::path& path, YWaveFileInfo& info);

// Writes "RIFF", the sizes for `dataBytes` of data, "WAVE", "fmt " with the
// header's stored form (18 or 40 bytes) and the "data" chunk header at the
// stream's position. Returns the header's length (46 or 68 bytes), 0 on failure.
std::size_t YWriteWaveHeader(std::FILE* file, const YWaveFormat& format, std::uint32_t dataBytes);

// Reads a play file block by block.
class YWaveReader {
public:
    enum class Result { Data, End, Error };

    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    const YWaveFileInfo& Info() const { return info_; }

    // Fills `bytes` (whole frames) of `buffer`. At the end of the data it
    // continues from the start when `loop` is set (the file plays endlessly);
    // otherwise it fills the rest with silence and returns Data once, then End.
    Result ReadBlock(std::uint8_t* buffer, std::size_t bytes, bool loop);
    // Reads up to `frames` whole frames; returns the frames read, -1 on error.
    long ReadFrames(std::uint8_t* buffer, std::uint32_t frames);

    YWaveReader() = default;
    YWaveReader(const YWaveReader&) = delete;
    YWaveReader& operator=(const YWaveReader&) = delete;
    ~YWaveReader() { Close(); }

private:
    bool Rewind();
    std::FILE* file_ = nullptr;
    YWaveFileInfo info_;
    std::uint64_t remaining_ = 0;
    bool ended_ = false;
};

// Where a recording cut short by a fault is kept: beside the target, with
// ".partial" before the extension ("take.wav" -> "take.partial.wav").
std::filesystem::path YPartialRecordingPath(const std::filesystem::path& target);

// Writes a recording to a temporary file beside the target; Finish writes the
// final sizes (padding odd data) and renames it over the target, so a
// recording is complete or absent, never left with zero sizes.
class YWaveWriter {
public:
    bool Create(const std::filesystem::path& target, const YWaveFormat& format);
    // Appends whole bytes; false on a short write or when the data would pass
    // the 4 GiB limit of the format.
    bool Append(const std::uint8_t* data, std::size_t bytes);
    // Finalises and renames; true when the target is complete. Idempotent.
    bool Finish();
    // For a recording a fault cut short: finalises it as Finish does, but
    // under YPartialRecordingPath(target), replacing an older partial file;
    // the target stays as it was. A recording without data is abandoned.
    // True when the partial file is complete.
    bool FinishPartial();
    // Removes the temporary file; the target stays as it was.
    void Abandon();
    const std::filesystem::path& Target() const { return target_; }
    bool IsOpen() const { return file_ != nullptr; }
    std::uint64_t DataBytes() const { return dataBytes_; }

    YWaveWriter() = default;
    YWaveWriter(const YWaveWriter&) = delete;
    YWaveWriter& operator=(const YWaveWriter&) = delete;
    // Finishes an open recording.
    ~YWaveWriter() { Finish(); }

private:
    bool FinishAs(const std::filesystem::path& destination);
    std::FILE* file_ = nullptr;
    std::filesystem::path target_, temp_;
    YWaveFormat format_;
    std::size_t headerBytes_ = 0;
    std::uint64_t dataBytes_ = 0;
    bool failed_ = false;
};
