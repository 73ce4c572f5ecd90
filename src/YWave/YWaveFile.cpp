#include "YWave/YWaveFile.h"

#include "YWave/YWaveSample.h"

#include <sys/types.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t kMaxRiffBytes = 0xFFFFFFFFu;

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
bool SameIdNoCase(const std::uint8_t* id, const char* want) {
    for (int i = 0; i < 4; ++i)
        if (std::toupper(id[i]) != std::toupper(static_cast<unsigned char>(want[i]))) return false;
    return true;
}
bool SameId(const std::uint8_t* id, const char* want) { return std::memcmp(id, want, 4) == 0; }

bool FileSize(std::FILE* f, std::uint64_t& size) {
    if (fseeko(f, 0, SEEK_END) != 0) return false;
    const off_t end = ftello(f);
    if (end < 0) return false;
    size = static_cast<std::uint64_t>(end);
    return true;
}
bool SeekTo(std::FILE* f, std::uint64_t pos) { return fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0; }

bool AcceptableFormat(const YWaveFormat& f, std::uint32_t chunkSize) {
    // A frame is one sample of each channel, nothing more: readers find a
    // channel's samples by their position in the frame.
    if (f.channels == 0 || f.bitsPerSample == 0 ||
        f.blockAlign != f.channels * YBytesPerSample(f.bitsPerSample))
        return false;
    if (f.tag == YWaveFormat::kTagExtensible)
        return chunkSize >= YWaveFormat::kExtensibleSize && f.Kind() != YSampleKind::Other;
    return f.tag == YWaveFormat::kTagPcm || f.tag == YWaveFormat::kTagFloat;
}

// RIFF size field for a header of `headerBytes` and `dataBytes` of data plus pad.
std::uint32_t RiffSize(std::size_t headerBytes, std::uint64_t dataBytes) {
    return static_cast<std::uint32_t>(headerBytes - 8 + dataBytes + (dataBytes & 1));
}

}  // namespace

bool YParseWaveHeader(std::FILE* file, YWaveFileInfo& info) {
    info = YWaveFileInfo{};
    std::uint64_t size = 0;
    if (!file || !FileSize(file, size) || size < 12 || !SeekTo(file, 0)) return false;
    std::uint8_t head[12];
    if (std::fread(head, 1, 12, file) != 12) return false;
    if (!SameIdNoCase(head, "RIFF") || !SameId(head + 8, "WAVE")) return false;

    bool haveFormat = false;
    std::uint64_t pos = 12;
    while (pos + 8 <= size) {
        std::uint8_t chunk[8];
        if (!SeekTo(file, pos) || std::fread(chunk, 1, 8, file) != 8) return false;
        const std::uint32_t chunkSize = Get32(chunk + 4);
        const std::uint64_t body = pos + 8;
        if (SameId(chunk, "fmt ")) {
            if (chunkSize < 16 || chunkSize > YWaveFormat::kExtensibleSize || body + chunkSize > size)
                return false;
            std::uint8_t bytes[YWaveFormat::kExtensibleSize];
            if (std::fread(bytes, 1, chunkSize, file) != chunkSize) return false;
            const YWaveFormat f = YWaveFormat::FromBytes(bytes, chunkSize);
            if (!AcceptableFormat(f, chunkSize)) return false;
            info.format = f;
            haveFormat = true;
        } else if (SameId(chunk, "data")) {
            if (!haveFormat) return false;
            const std::uint64_t present = std::min<std::uint64_t>(chunkSize, size - body);
            info.dataOffset = body;
            info.dataBytes = static_cast<std::uint32_t>(present - present % info.format.blockAlign);
            return SeekTo(file, body);
        }
        pos = body + chunkSize + (chunkSize & 1);
    }
    return false;
}

bool YReadWaveFileInfo(const std::filesystem::path& path, YWaveFileInfo& info) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        info = YWaveFileInfo{};
        return false;
    }
    const bool ok = YParseWaveHeader(f, info);
    std::fclose(f);
    return ok;
}

std::size_t YWriteWaveHeader(std::FILE* file, const YWaveFormat& format, std::uint32_t dataBytes) {
    const std::size_t fmtSize = format.StoredSize();
    const std::size_t headerBytes = 12 + 8 + fmtSize + 8;
    std::uint8_t h[12 + 8 + YWaveFormat::kExtensibleSize + 8];
    std::memcpy(h, "RIFF", 4);
    Put32(h + 4, RiffSize(headerBytes, dataBytes));
    std::memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, static_cast<std::uint32_t>(fmtSize));
    const auto fmt = format.Bytes();
    std::memcpy(h + 20, fmt.data(), fmtSize);
    std::memcpy(h + 20 + fmtSize, "data", 4);
    Put32(h + 24 + fmtSize, dataBytes);
    if (!file || std::fwrite(h, 1, headerBytes, file) != headerBytes) return 0;
    return headerBytes;
}

// ---- YWaveReader

bool YWaveReader::Open(const std::filesystem::path& path) {
    Close();
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) return false;
    if (!YParseWaveHeader(file_, info_)) {
        Close();
        return false;
    }
    remaining_ = info_.dataBytes;
    ended_ = false;
    return true;
}

void YWaveReader::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    info_ = YWaveFileInfo{};
    remaining_ = 0;
    ended_ = false;
}

bool YWaveReader::Rewind() {
    if (!SeekTo(file_, info_.dataOffset)) return false;
    remaining_ = info_.dataBytes;
    return true;
}

YWaveReader::Result YWaveReader::ReadBlock(std::uint8_t* buffer, std::size_t bytes, bool loop) {
    if (!file_) return Result::Error;
    if (ended_) return Result::End;
    std::size_t got = 0;
    while (got < bytes) {
        if (remaining_ == 0) {
            if (loop && info_.dataBytes > 0) {
                if (!Rewind()) return Result::Error;
                continue;
            }
            std::memset(buffer + got, YSilenceByte(info_.format.bitsPerSample), bytes - got);
            ended_ = true;
            return Result::Data;
        }
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes - got, remaining_));
        if (std::fread(buffer + got, 1, n, file_) != n) return Result::Error;
        got += n;
        remaining_ -= n;
    }
    return Result::Data;
}

long YWaveReader::ReadFrames(std::uint8_t* buffer, std::uint32_t frames) {
    if (!file_ || info_.format.blockAlign == 0) return -1;
    const std::uint64_t wanted =
        std::min<std::uint64_t>(static_cast<std::uint64_t>(frames) * info_.format.blockAlign, remaining_);
    const std::size_t n = static_cast<std::size_t>(wanted);
    if (n && std::fread(buffer, 1, n, file_) != n) return -1;
    remaining_ -= n;
    return static_cast<long>(n / info_.format.blockAlign);
}

// ---- YWaveWriter

bool YWaveWriter::Create(const std::filesystem::path& target, const YWaveFormat& format) {
    Finish();
    target_ = target;
    temp_ = target;
    temp_ += ".part";
    format_ = format;
    dataBytes_ = 0;
    failed_ = false;
    file_ = std::fopen(temp_.c_str(), "wb");
    if (!file_) return false;
    headerBytes_ = YWriteWaveHeader(file_, format_, 0);
    if (headerBytes_ == 0) {
        Abandon();
        return false;
    }
    return true;
}

bool YWaveWriter::Append(const std::uint8_t* data, std::size_t bytes) {
    if (!file_ || failed_) return false;
    if (dataBytes_ + bytes + headerBytes_ > kMaxRiffBytes - 1 ||
        std::fwrite(data, 1, bytes, file_) != bytes) {
        failed_ = true;
        return false;
    }
    dataBytes_ += bytes;
    return true;
}

std::filesystem::path YPartialRecordingPath(const std::filesystem::path& target) {
    std::filesystem::path partial = target.parent_path() / target.stem();
    partial += ".partial";
    partial += target.extension();
    return partial;
}

bool YWaveWriter::Finish() { return FinishAs(target_); }

bool YWaveWriter::FinishPartial() {
    if (!file_) return false;
    if (dataBytes_ == 0) {
        Abandon();
        return false;
    }
    return FinishAs(YPartialRecordingPath(target_));
}

bool YWaveWriter::FinishAs(const std::filesystem::path& destination) {
    if (!file_) return false;
    bool ok = SeekTo(file_, headerBytes_ + dataBytes_);
    if (dataBytes_ & 1) ok = ok && std::fputc(0, file_) != EOF;
    std::uint8_t size[4];
    Put32(size, RiffSize(headerBytes_, dataBytes_));
    ok = ok && SeekTo(file_, 4) && std::fwrite(size, 1, 4, file_) == 4;
    Put32(size, static_cast<std::uint32_t>(dataBytes_));
    ok = ok && SeekTo(file_, headerBytes_ - 4) && std::fwrite(size, 1, 4, file_) == 4;
    ok = ok && std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    std::error_code ec;
    if (ok) std::filesystem::rename(temp_, destination, ec);
    if (!ok || ec) {
        std::filesystem::remove(temp_, ec);
        return false;
    }
    return true;
}

void YWaveWriter::Abandon() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    std::error_code ec;
    if (!temp_.empty()) std::filesystem::remove(temp_, ec);
}
