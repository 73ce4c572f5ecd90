#pragma once
// Little-endian field access for the native curve files: a reader over bytes
// that fails on any short read and checks every count against the bytes
// left before allocating, and a writer that builds the file in memory (it is
// then saved whole, atomically). Threads: one object, one thread.

#include "Sonbex/Curves/AcquireDate.h"
#include "Sonbex/Curves/SettingsBlock.h"
#include "YLib/YDoubleVec.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sonbex::curves {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    explicit ByteReader(std::string_view bytes)
        : bytes_(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) {}

    std::size_t Remaining() const { return bytes_.size() - pos_; }
    std::size_t Position() const { return pos_; }
    bool AtEnd() const { return pos_ == bytes_.size(); }

    // Each is false, with nothing consumed, when too few bytes are left.
    bool Bytes(std::span<std::uint8_t> out);
    bool Skip(std::size_t n);
    bool U16(std::uint16_t& v);
    bool I32(std::int32_t& v);
    bool F32(float& v);
    bool F64(double& v);
    // A fixed text field: the text up to its first zero (at most size - 1 bytes).
    bool Text(std::string& out, std::size_t fieldSize);
    // True when the next bytes are `magic`; consumes them only then.
    bool Magic(std::string_view magic);
    // A float vector: int32 n (0 <= n, n * 4 <= bytes left), then n float32.
    bool FloatVector(YDoubleVec& out);
    // An int32 count that may be followed by `minBytesEach` bytes per item:
    // false when negative or when more items than the bytes left could hold.
    bool Count(std::int32_t& n, std::size_t minBytesEach);

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

class ByteWriter {
public:
    void Bytes(std::span<const std::uint8_t> b) {
        out_.append(reinterpret_cast<const char*>(b.data()), b.size());
    }
    void Raw(std::string_view s) { out_.append(s); }
    void U16(std::uint16_t v);
    void I32(std::int32_t v);
    void F32(float v);
    void F64(double v);
    // The text (cut to size - 1 bytes) and zeros to fill the field.
    void Text(std::string_view text, std::size_t fieldSize);
    // int32 n then the values as float32.
    void FloatVector(const YDoubleVec& v);

    const std::string& Data() const { return out_; }
    std::string Take() { return std::move(out_); }
    void Reserve(std::size_t n) { out_.reserve(n); }

private:
    std::string out_;
};

// The header fields every native file shares. A settings block of a first
// version (2848 bytes) is read through the older-form conversion.
bool ReadAcquireDate(ByteReader& in, AcquireDate& date);
void WriteAcquireDate(ByteWriter& out, const AcquireDate& date);
bool ReadSettingsBlock(ByteReader& in, SettingsBlock& out, bool isCurrentVersion);

}  // namespace sonbex::curves
