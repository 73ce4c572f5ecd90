#pragma once
// One loudspeaker driver as stored: identification, Thiele-Small parameters,
// voice-coil inductances and a time stamp. The same 952 bytes are kept in the
// speaker database, in box design files and in every box simulation.
//
// Layout (little-endian, reals float64 in SI units, text fields nul-terminated
// Windows-1252 padded with zeros): 0 manufacturer[128], 128 model[128],
// 256 comment[256], 512 source[32], 544 time stamp valid (uint8), 546 six
// uint16 (year, month, day, hour, minute, second), 560 fs, 568 Vas, 576 Qes,
// 584 Qms, 592 Re, 600/608/616/624 Le at 1/5/10/20 kHz, 632 Le (the one
// simulations use), 640 Sd, 648 Xmax, 656 reserved real, 672 Znom; the other
// bytes are reserved. Reserved bytes read from a file are kept as they are.
// Qts is never stored: Qes*Qms/(Qes+Qms).
//
// Plain value type; safe from any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace sonbex::boxdesign {

inline constexpr std::size_t kDriverRecordSize = 952;
inline constexpr std::size_t kManufacturerSize = 128;
inline constexpr std::size_t kModelSize = 128;
inline constexpr std::size_t kCommentSize = 256;
inline constexpr std::size_t kSourceSize = 32;
inline constexpr const char* kOldDriverSource = "Sonbex Analyzer 1/2";

struct DriverTimeStamp {
    bool valid = false;
    std::uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    static DriverTimeStamp Now();  // local time
    bool operator==(const DriverTimeStamp&) const = default;
};

struct DriverRecord {
    // Text is held as stored (Windows-1252); longer text is cut on encoding to
    // the field size less the terminator.
    std::string manufacturer;
    std::string model;
    std::string comment;
    std::string source;
    DriverTimeStamp stamp;
    double fs = 0;   // Hz
    double vas = 0;  // m^3
    double qes = 0;
    double qms = 0;
    double re = 0;    // ohm
    double le1k = 0;  // H
    double le5k = 0;
    double le10k = 0;
    double le20k = 0;
    double le = 0;    // H, used by simulations
    double sd = 0;    // m^2
    double xmax = 0;  // m, one way
    double reserved656 = 0;
    double znom = 0;  // ohm; zero unless from the parameter calculation
    std::array<std::uint8_t, 8> reserved664{};
    std::array<std::uint8_t, 272> reservedTail{};  // bytes 680..951

    double Qts() const;  // Qes*Qms/(Qes+Qms), 0 when the sum is 0

    bool operator==(const DriverRecord&) const = default;
};

using DriverBytes = std::array<std::uint8_t, kDriverRecordSize>;

DriverBytes EncodeDriverRecord(const DriverRecord& record);
DriverRecord DecodeDriverRecord(std::span<const std::uint8_t, kDriverRecordSize> bytes);

// Little-endian field helpers shared by the readers and writers of this folder.
namespace le {
void PutU16(std::uint8_t* p, std::uint16_t v);
void PutI32(std::uint8_t* p, std::int32_t v);
void PutF64(std::uint8_t* p, double v);
std::uint16_t GetU16(const std::uint8_t* p);
std::int32_t GetI32(const std::uint8_t* p);
double GetF64(const std::uint8_t* p);
// Copies text into a zero-filled field of `size` bytes, keeping the terminator.
void PutText(std::uint8_t* p, std::size_t size, std::string_view text);
// The text of a field up to its first nul (or its whole size).
std::string GetText(const std::uint8_t* p, std::size_t size);
}  // namespace le

}  // namespace sonbex::boxdesign
