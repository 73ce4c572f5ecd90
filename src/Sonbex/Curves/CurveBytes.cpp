#include "Sonbex/Curves/CurveBytes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace sonbex::curves {

namespace {
template <typename T>
T LoadLe(const std::uint8_t* p) {
    using U = std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                 std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>;
    U u = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) u = static_cast<U>((u << 8) | p[i]);
    return std::bit_cast<T>(u);
}
template <typename T>
void StoreLe(std::string& out, T v) {
    using U = std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                 std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>;
    const U u = std::bit_cast<U>(v);
    for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}
}  // namespace

bool ByteReader::Bytes(std::span<std::uint8_t> out) {
    if (Remaining() < out.size()) return false;
    std::copy_n(bytes_.begin() + pos_, out.size(), out.begin());
    pos_ += out.size();
    return true;
}

bool ByteReader::Skip(std::size_t n) {
    if (Remaining() < n) return false;
    pos_ += n;
    return true;
}

bool ByteReader::U16(std::uint16_t& v) {
    if (Remaining() < 2) return false;
    v = LoadLe<std::uint16_t>(bytes_.data() + pos_);
    pos_ += 2;
    return true;
}

bool ByteReader::I32(std::int32_t& v) {
    if (Remaining() < 4) return false;
    v = LoadLe<std::int32_t>(bytes_.data() + pos_);
    pos_ += 4;
    return true;
}

bool ByteReader::F32(float& v) {
    if (Remaining() < 4) return false;
    v = LoadLe<float>(bytes_.data() + pos_);
    pos_ += 4;
    return true;
}

bool ByteReader::F64(double& v) {
    if (Remaining() < 8) return false;
    v = LoadLe<double>(bytes_.data() + pos_);
    pos_ += 8;
    return true;
}

bool ByteReader::Text(std::string& out, std::size_t fieldSize) {
    if (fieldSize == 0 || Remaining() < fieldSize) return false;
    const auto* first = bytes_.data() + pos_;
    const auto* last = first + fieldSize - 1;  // the last byte is the terminator in any case
    out.assign(reinterpret_cast<const char*>(first),
               static_cast<std::size_t>(std::find(first, last, std::uint8_t{0}) - first));
    pos_ += fieldSize;
    return true;
}

bool ByteReader::Magic(std::string_view magic) {
    if (Remaining() < magic.size()) return false;
    if (std::memcmp(bytes_.data() + pos_, magic.data(), magic.size()) != 0) return false;
    pos_ += magic.size();
    return true;
}

bool ByteReader::Count(std::int32_t& n, std::size_t minBytesEach) {
    const std::size_t start = pos_;
    std::int32_t v = 0;
    if (!I32(v)) return false;
    if (v < 0 || (minBytesEach > 0 && static_cast<std::uint64_t>(v) > Remaining() / minBytesEach)) {
        pos_ = start;
        return false;
    }
    n = v;
    return true;
}

bool ByteReader::FloatVector(YDoubleVec& out) {
    const std::size_t start = pos_;
    std::int32_t n = 0;
    if (!Count(n, 4)) return false;
    if (!out.Resize(n, false)) {
        pos_ = start;
        return false;
    }
    double* d = out.Data();
    const std::uint8_t* p = bytes_.data() + pos_;
    for (std::int32_t i = 0; i < n; ++i) d[i] = LoadLe<float>(p + 4 * static_cast<std::size_t>(i));
    pos_ += 4 * static_cast<std::size_t>(n);
    return true;
}

void ByteWriter::U16(std::uint16_t v) { StoreLe(out_, v); }
void ByteWriter::I32(std::int32_t v) { StoreLe(out_, v); }
void ByteWriter::F32(float v) { StoreLe(out_, v); }
void ByteWriter::F64(double v) { StoreLe(out_, v); }

void ByteWriter::Text(std::string_view text, std::size_t fieldSize) {
    if (fieldSize == 0) return;
    text = text.substr(0, std::min(text.find('\0'), fieldSize - 1));
    out_.append(text);
    out_.append(fieldSize - text.size(), '\0');
}

void ByteWriter::FloatVector(const YDoubleVec& v) {
    I32(v.Size());
    const std::size_t at = out_.size();
    out_.resize(at + 4 * static_cast<std::size_t>(v.Size()));
    char* p = out_.data() + at;
    for (int i = 0; i < v.Size(); ++i) {
        const std::uint32_t u = std::bit_cast<std::uint32_t>(static_cast<float>(v.Data()[i]));
        for (int b = 0; b < 4; ++b) *p++ = static_cast<char>((u >> (8 * b)) & 0xFF);
    }
}

bool ReadAcquireDate(ByteReader& in, AcquireDate& d) {
    return in.U16(d.year) && in.U16(d.month) && in.U16(d.day) && in.U16(d.hour) && in.U16(d.minute) &&
           in.U16(d.second);
}

void WriteAcquireDate(ByteWriter& out, const AcquireDate& d) {
    for (std::uint16_t v : {d.year, d.month, d.day, d.hour, d.minute, d.second}) out.U16(v);
}

bool ReadSettingsBlock(ByteReader& in, SettingsBlock& out, bool isCurrentVersion) {
    if (isCurrentVersion) return in.Bytes(out.bytes());
    std::array<std::uint8_t, kSettingsRecordSize> record{};
    if (!in.Bytes(record)) return false;
    out = SettingsBlock::FromOlderForm(record);
    return true;
}

}  // namespace sonbex::curves
