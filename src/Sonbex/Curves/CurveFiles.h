#pragma once
// The native curve files: frequency curve sets (.SXF), impedance curves
// (.SXZ), impulse responses (.SXP), polar plots (.SPP), CSD waterfalls (.CSD)
// and multi-graph descriptions (.SMG, text). Each format is decoded from and
// encoded to bytes in memory; files are read whole and saved atomically.
//
// Decoders treat their input as untrusted: any short read fails, counts are
// checked against the bytes left before anything is allocated, every vector
// must be as long as its axis, and a frequency axis needs two distinct,
// positive, ascending frequencies. A decoder fills its output only on success.
//
// Pure functions of their arguments: safe from any thread.

#include "Sonbex/Curves/DataSets.h"
#include "Sonbex/Curves/YFreqGraphCurve.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sonbex::curves {

// Messages of the load and save flows (caption "Sonbex 3").
inline constexpr const char* kCouldntOpen = "Couldn't open this file !";
inline constexpr const char* kWrongFormat = "Wrong file format !";
inline constexpr const char* kCouldntSave = "Couldn't save this file !";
inline constexpr const char* kSmgOpenFailed = "Failed to open the Multi-Graph file ! ";
inline constexpr const char* kSmgNotMultiGraph = "This is not a Multi-Graph file ! ";
inline constexpr const char* kSmgUnexpectedEnd = "Unexpected end of the Multi-Graph file ! ";
inline constexpr const char* kSmgNotAllSaved =
    "Not all curves are saved ! \n\nSave all new/modified curves and try again...";
inline constexpr const char* kSmgPathWithQuote =
    "A curve's file name contains a '\"', which a Multi-Graph file can't hold ! \n\n";

// Magics: the current version, then the one before.
inline constexpr std::string_view kSxfMagic = "@SXSPLCV003", kSxfMagicOld = "@SXSPLCV002";
inline constexpr std::string_view kSxzMagic = "@SXZCURV002", kSxzMagicOld = "@SXZCURV001";
inline constexpr std::string_view kSxpMagic = "@SXPIRCV002", kSxpMagicOld = "@SXPIRCV001";
inline constexpr std::string_view kSppMagic = "@SXPPLOT002", kSppMagicOld = "@SXPPLOT001";
inline constexpr std::string_view kCsdMagic = "@SXCSDGRAPH002", kCsdMagicOld = "@SXCSDGRAPH001";
inline constexpr std::string_view kSmgHeader = "Sonbex Analyzer 3 Multi-Graph v1";

enum class CurveFileType { Sxf, Sxz, Sxp, Spp, Csd, Smg };
// By the extension of the file-name part, without regard to case.
std::optional<CurveFileType> CurveFileTypeOf(const std::filesystem::path& path);
std::string_view CurveFileTypeName(CurveFileType type);  // "SXF" ...

enum class DecodeStatus {
    Ok,
    WrongFormat,  // neither the current nor the previous magic
    Corrupt,      // short, or a field out of its range
};

// Which version a decoder found: true for the current one.
struct DecodeInfo {
    bool currentVersion = true;
};

DecodeStatus DecodeSxf(std::string_view bytes, std::vector<std::unique_ptr<YFreqGraphCurve>>& sets,
                       DecodeInfo* info = nullptr);
// Empty when a set cannot be written (an empty frequency axis).
std::optional<std::string> EncodeSxf(std::span<const YFreqGraphCurve* const> sets);

DecodeStatus DecodeSxz(std::string_view bytes, ImpedanceSet& set, DecodeInfo* info = nullptr);
std::string EncodeSxz(const ImpedanceSet& set);

DecodeStatus DecodeSxp(std::string_view bytes, ImpulseRecord& record, DecodeInfo* info = nullptr);
std::string EncodeSxp(const ImpulseRecord& record);

DecodeStatus DecodeSpp(std::string_view bytes, PolarSet& set, DecodeInfo* info = nullptr);
std::string EncodeSpp(const PolarSet& set);

DecodeStatus DecodeCsd(std::string_view bytes, CsdSet& set, DecodeInfo* info = nullptr);
std::string EncodeCsd(const CsdSet& set);
// The layout flag a writer uses: 0 when every slice has the same, non-empty
// axis (as stored, in float32), else 1.
int CsdLayoutFlag(const CsdSet& set);

enum class SmgStatus { Ok, NotMultiGraph, UnexpectedEnd };
SmgStatus DecodeSmg(std::string_view text, MultiGraphSet& set);
// Empty when a path cannot be stored (it contains '"' or a line break).
std::optional<std::string> EncodeSmg(const MultiGraphSet& set);

// The whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& path, std::string& out);
// Temporary file in the same folder, every write and the close checked,
// fsync, rename. False (the old file untouched) on any failure.
bool SaveWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace sonbex::curves
