#include "Sonbex/BoxDesign/DriverRecord.h"

#include <bit>
#include <cstring>
#include <ctime>

namespace sonbex::boxdesign {

namespace le {
void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void PutI32(std::uint8_t* p, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(u >> (8 * i));
}
void PutF64(std::uint8_t* p, double v) {
    const auto u = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(u >> (8 * i));
}
std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::int32_t GetI32(const std::uint8_t* p) {
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}
double GetF64(const std::uint8_t* p) {
    std::uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return std::bit_cast<double>(u);
}
void PutText(std::uint8_t* p, std::size_t size, std::string_view text) {
    std::memset(p, 0, size);
    if (size == 0) return;
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    std::memcpy(p, text.data(), std::min(text.size(), size - 1));
}
std::string GetText(const std::uint8_t* p, std::size_t size) {
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(p, 0, size));
    return std::string(reinterpret_cast<const char*>(p), end ? static_cast<std::size_t>(end - p) : size);
}
}  // namespace le

DriverTimeStamp DriverTimeStamp::Now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    DriverTimeStamp s;
    s.valid = true;
    s.year = static_cast<std::uint16_t>(tm.tm_year + 1900);
    s.month = static_cast<std::uint16_t>(tm.tm_mon + 1);
    s.day = static_cast<std::uint16_t>(tm.tm_mday);
    s.hour = static_cast<std::uint16_t>(tm.tm_hour);
    s.minute = static_cast<std::uint16_t>(tm.tm_min);
    s.second = static_cast<std::uint16_t>(tm.tm_sec);
    return s;
}

double DriverRecord::Qts() const {
    const double sum = qes + qms;
    return sum == 0 ? 0.0 : qes * qms / sum;
}

DriverBytes EncodeDriverRecord(const DriverRecord& r) {
    DriverBytes b{};
    std::uint8_t* p = b.data();
    le::PutText(p + 0, kManufacturerSize, r.manufacturer);
    le::PutText(p + 128, kModelSize, r.model);
    le::PutText(p + 256, kCommentSize, r.comment);
    le::PutText(p + 512, kSourceSize, r.source);
    p[544] = r.stamp.valid ? 1 : 0;
    const std::uint16_t stamp[6] = {r.stamp.year, r.stamp.month,  r.stamp.day,
                                    r.stamp.hour, r.stamp.minute, r.stamp.second};
    for (int i = 0; i < 6; ++i) le::PutU16(p + 546 + 2 * i, stamp[i]);
    const double reals[] = {r.fs,    r.vas,   r.qes, r.qms, r.re,   r.le1k,       r.le5k,
                            r.le10k, r.le20k, r.le,  r.sd,  r.xmax, r.reserved656};
    for (std::size_t i = 0; i < std::size(reals); ++i) le::PutF64(p + 560 + 8 * i, reals[i]);
    std::memcpy(p + 664, r.reserved664.data(), r.reserved664.size());
    le::PutF64(p + 672, r.znom);
    std::memcpy(p + 680, r.reservedTail.data(), r.reservedTail.size());
    return b;
}

DriverRecord DecodeDriverRecord(std::span<const std::uint8_t, kDriverRecordSize> bytes) {
    const std::uint8_t* p = bytes.data();
    DriverRecord r;
    r.manufacturer = le::GetText(p + 0, kManufacturerSize);
    r.model = le::GetText(p + 128, kModelSize);
    r.comment = le::GetText(p + 256, kCommentSize);
    r.source = le::GetText(p + 512, kSourceSize);
    r.stamp.valid = p[544] != 0;
    std::uint16_t* stamp[6] = {&r.stamp.year, &r.stamp.month,  &r.stamp.day,
                               &r.stamp.hour, &r.stamp.minute, &r.stamp.second};
    for (int i = 0; i < 6; ++i) *stamp[i] = le::GetU16(p + 546 + 2 * i);
    double* reals[] = {&r.fs,    &r.vas,   &r.qes, &r.qms, &r.re,   &r.le1k,       &r.le5k,
                       &r.le10k, &r.le20k, &r.le,  &r.sd,  &r.xmax, &r.reserved656};
    for (std::size_t i = 0; i < std::size(reals); ++i) *reals[i] = le::GetF64(p + 560 + 8 * i);
    std::memcpy(r.reserved664.data(), p + 664, r.reserved664.size());
    r.znom = le::GetF64(p + 672);
    std::memcpy(r.reservedTail.data(), p + 680, r.reservedTail.size());
    return r;
}

}  // namespace sonbex::boxdesign
