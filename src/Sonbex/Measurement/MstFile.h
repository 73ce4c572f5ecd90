#pragma once
// Measurement settings files (.MST): the generator and analyzer blocks of the
// measurement configuration record and the stimulus module's two lists of
// parameter records.
//
//   14 bytes   "@[SXMSTv0023]$" (no terminating zero)
//   1408       generator block
//   712        analyzer block
//   i32 n1, n1 x 392-byte generation parameter records
//   i32 n2, n2 x 392-byte analysis parameter records
//
// The file is untrusted: every count is checked against the bytes left before
// anything is allocated, and a record that does not decode fails the read.
// Bytes after the second list are ignored.
// Pure functions: safe from any thread.

#include "Sonbex/Measurement/MeasConfig.h"
#include "Waveform/WaveformParam.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace sonbex::measurement {

inline constexpr std::string_view kMstMagic = "@[SXMSTv0023]$";
static_assert(kMstMagic.size() == 14);
// Files larger than this are no settings files (about 40000 records).
inline constexpr std::uintmax_t kMaxMstBytes = 16u << 20;

// .MST length with n1 and n2 records.
constexpr std::size_t MstFileSize(std::size_t n1, std::size_t n2) {
    return kMstMagic.size() + kGeneratorSize + kAnalyzerSize + 4 + WaveformParam::kBytes * n1 + 4 +
           WaveformParam::kBytes * n2;
}

struct MstContents {
    std::array<std::uint8_t, kGeneratorSize> generator{};
    std::array<std::uint8_t, kAnalyzerSize> analyzer{};
    WaveformParams params;    // generation parameters
    WaveformParams analysis;  // analysis parameters

    // The stimulus module id of the generator block.
    int ModuleId() const { return generator[4] | (generator[5] << 8); }
    // `base` with the two blocks replaced.
    MeasConfig Apply(const MeasConfig& base) const;
};

// The file's bytes for the record's generator and analyzer blocks and the lists.
std::string EncodeMst(const MeasConfig& config, const WaveformParams& params, const WaveformParams& analysis);
// False (out untouched, `why` says what is wrong) for a wrong magic, a short
// file, a negative or too large count or a malformed record.
bool DecodeMst(std::span<const std::uint8_t> bytes, MstContents& out, std::string* why = nullptr);
// Reads and decodes a file (refusing one above kMaxMstBytes).
bool ReadMstFile(const std::filesystem::path& file, MstContents& out, std::string* why = nullptr);

}  // namespace sonbex::measurement
