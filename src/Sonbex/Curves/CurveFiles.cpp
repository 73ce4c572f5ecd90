#include "Sonbex/Curves/CurveFiles.h"

#include "Platform/AtomicFile.h"
#include "Platform/NumberText.h"
#include "Sonbex/Curves/CurveBytes.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <limits>
#include <system_error>

namespace sonbex::curves {

namespace {

// The magic of the current version, else that of the one before.
DecodeStatus CheckMagic(ByteReader& in, std::string_view current, std::string_view older, DecodeInfo* info) {
    bool isCurrent = true;
    if (in.Magic(current))
        isCurrent = true;
    else if (in.Magic(older))
        isCurrent = false;
    else
        return DecodeStatus::WrongFormat;
    if (info) info->currentVersion = isCurrent;
    return DecodeStatus::Ok;
}

bool ReadHeaderStart(ByteReader& in, DataSetHeader& h, bool current) {
    return ReadAcquireDate(in, h.acquired) && ReadSettingsBlock(in, h.settings, current);
}
bool ReadTitleAndPath(ByteReader& in, DataSetHeader& h) {
    return in.Text(h.title, kTitleFieldSize) && in.Text(h.path, kPathFieldSize);
}
void WriteHeaderStart(ByteWriter& out, const DataSetHeader& h) {
    WriteAcquireDate(out, h.acquired);
    out.Bytes(h.settings.bytes());
}
void WriteTitleAndPath(ByteWriter& out, const DataSetHeader& h) {
    out.Text(h.title, kTitleFieldSize);
    out.Text(h.path, kPathFieldSize);
}

// An int32 n, then n pairs of float32.
bool ReadPairs(ByteReader& in, YDoubleVec& first, YDoubleVec& second) {
    std::int32_t n = 0;
    if (!in.Count(n, 8) || !first.Resize(n, false) || !second.Resize(n, false)) return false;
    for (std::int32_t i = 0; i < n; ++i) {
        float a = 0.f, b = 0.f;
        if (!in.F32(a) || !in.F32(b)) return false;
        first.Data()[i] = a;
        second.Data()[i] = b;
    }
    return true;
}
void WritePairs(ByteWriter& out, const YDoubleVec& first, const YDoubleVec& second) {
    const int n = std::min(first.Size(), second.Size());
    out.I32(n);
    for (int i = 0; i < n; ++i) {
        out.F32(static_cast<float>(first.Data()[i]));
        out.F32(static_cast<float>(second.Data()[i]));
    }
}

bool HasLineBreakOrQuote(std::string_view s) { return s.find_first_of("\"\r\n") != std::string_view::npos; }

}  // namespace

std::optional<CurveFileType> CurveFileTypeOf(const std::filesystem::path& path) {
    std::string ext = path.filename().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    if (ext == ".SXF") return CurveFileType::Sxf;
    if (ext == ".SXZ") return CurveFileType::Sxz;
    if (ext == ".SXP") return CurveFileType::Sxp;
    if (ext == ".SPP") return CurveFileType::Spp;
    if (ext == ".CSD") return CurveFileType::Csd;
    if (ext == ".SMG") return CurveFileType::Smg;
    return std::nullopt;
}

std::string_view CurveFileTypeName(CurveFileType type) {
    switch (type) {
        case CurveFileType::Sxf:
            return "SXF";
        case CurveFileType::Sxz:
            return "SXZ";
        case CurveFileType::Sxp:
            return "SXP";
        case CurveFileType::Spp:
            return "SPP";
        case CurveFileType::Csd:
            return "CSD";
        case CurveFileType::Smg:
            return "SMG";
    }
    return "";
}

// ------------------------------------------------------------------- .SXF

DecodeStatus DecodeSxf(std::string_view bytes, std::vector<std::unique_ptr<YFreqGraphCurve>>& sets,
                       DecodeInfo* info) {
    ByteReader in(bytes);
    DecodeInfo found;
    if (CheckMagic(in, kSxfMagic, kSxfMagicOld, &found) != DecodeStatus::Ok) return DecodeStatus::WrongFormat;
    if (info) *info = found;
    constexpr std::size_t kSmallestRecord = kTitleFieldSize + kAcquireDateSize + kSettingsRecordSize + 4 + 4;
    std::int32_t n = 0;
    if (!in.Count(n, kSmallestRecord)) return DecodeStatus::Corrupt;
    // Every record is read before any is handed out.
    std::vector<std::unique_ptr<YFreqGraphCurve>> read;
    read.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
        auto set = std::make_unique<YFreqGraphCurve>();
        if (!set->ReadRecord(in, found.currentVersion)) return DecodeStatus::Corrupt;
        read.push_back(std::move(set));
    }
    sets = std::move(read);
    return DecodeStatus::Ok;
}

std::optional<std::string> EncodeSxf(std::span<const YFreqGraphCurve* const> sets) {
    ByteWriter out;
    // One allocation of the whole file: growing a large buffer step by step
    // costs more than writing it.
    std::size_t size = kSxfMagic.size() + 4;
    for (const YFreqGraphCurve* set : sets) size += set ? set->RecordSize() : 0;
    out.Reserve(size);
    out.Raw(kSxfMagic);
    out.I32(static_cast<std::int32_t>(sets.size()));
    for (const YFreqGraphCurve* set : sets)
        if (!set || !set->WriteRecord(out)) return std::nullopt;
    return out.Take();
}

// ------------------------------------------------------------------- .SXZ

DecodeStatus DecodeSxz(std::string_view bytes, ImpedanceSet& set, DecodeInfo* info) {
    ByteReader in(bytes);
    DecodeInfo found;
    if (CheckMagic(in, kSxzMagic, kSxzMagicOld, &found) != DecodeStatus::Ok) return DecodeStatus::WrongFormat;
    ImpedanceSet s;
    if (!ReadHeaderStart(in, s.header, found.currentVersion) || !in.Bytes(s.thieleSmall) ||
        !ReadTitleAndPath(in, s.header) || !in.FloatVector(s.frequency) || !in.FloatVector(s.magnitude) ||
        !in.FloatVector(s.phase) || !in.FloatVector(s.loadedMagnitude))
        return DecodeStatus::Corrupt;
    const int n = s.frequency.Size();
    if (!IsUsableFrequencyAxis(s.frequency) || s.magnitude.Size() != n || s.phase.Size() != n)
        return DecodeStatus::Corrupt;
    if (s.loadedMagnitude.Empty()) {
        // No loaded curve: the reader stops here.
        s.hasLoaded = false;
        s.loadedMagnitude.Resize(1);
        s.loadedPhase.Resize(1);
    } else {
        if (!in.FloatVector(s.loadedPhase) || s.loadedMagnitude.Size() != n || s.loadedPhase.Size() != n)
            return DecodeStatus::Corrupt;
        s.hasLoaded = true;
    }
    set = std::move(s);
    if (info) *info = found;
    return DecodeStatus::Ok;
}

std::string EncodeSxz(const ImpedanceSet& s) {
    ByteWriter out;
    out.Raw(kSxzMagic);
    WriteHeaderStart(out, s.header);
    out.Bytes(s.thieleSmall);
    WriteTitleAndPath(out, s.header);
    out.FloatVector(s.frequency);
    out.FloatVector(s.magnitude);
    out.FloatVector(s.phase);
    if (s.hasLoaded) {
        out.FloatVector(s.loadedMagnitude);
        out.FloatVector(s.loadedPhase);
    } else {
        out.I32(0);
        out.I32(0);
    }
    return out.Take();
}

// ------------------------------------------------------------------- .SXP

DecodeStatus DecodeSxp(std::string_view bytes, ImpulseRecord& record, DecodeInfo* info) {
    ByteReader in(bytes);
    DecodeInfo found;
    if (CheckMagic(in, kSxpMagic, kSxpMagicOld, &found) != DecodeStatus::Ok) return DecodeStatus::WrongFormat;
    ImpulseRecord r;
    if (!ReadHeaderStart(in, r.header, found.currentVersion) || !ReadTitleAndPath(in, r.header) ||
        !in.FloatVector(r.samples))
        return DecodeStatus::Corrupt;
    record = std::move(r);
    if (info) *info = found;
    return DecodeStatus::Ok;
}

std::string EncodeSxp(const ImpulseRecord& r) {
    ByteWriter out;
    out.Raw(kSxpMagic);
    WriteHeaderStart(out, r.header);
    WriteTitleAndPath(out, r.header);
    out.FloatVector(r.samples);
    return out.Take();
}

// ------------------------------------------------------------------- .SPP

DecodeStatus DecodeSpp(std::string_view bytes, PolarSet& set, DecodeInfo* info) {
    ByteReader in(bytes);
    DecodeInfo found;
    if (CheckMagic(in, kSppMagic, kSppMagicOld, &found) != DecodeStatus::Ok) return DecodeStatus::WrongFormat;
    PolarSet s;
    std::int32_t activeFrequency = -1;
    if (!ReadHeaderStart(in, s.header, found.currentVersion) || !in.I32(activeFrequency) ||
        !in.I32(s.referenceAngle) || !ReadTitleAndPath(in, s.header) || !in.FloatVector(s.angles) ||
        !in.FloatVector(s.frequency))
        return DecodeStatus::Corrupt;
    s.frequencySlots[0] = activeFrequency;
    std::int32_t a = 0;
    if (!in.Count(a, 4) || a != s.angles.Size()) return DecodeStatus::Corrupt;
    const int n = s.frequency.Size();
    s.magnitude.resize(static_cast<std::size_t>(a));
    s.phase.resize(static_cast<std::size_t>(a));
    for (std::int32_t i = 0; i < a; ++i)
        if (!ReadPairs(in, s.magnitude[i], s.phase[i]) || s.magnitude[i].Size() != n)
            return DecodeStatus::Corrupt;
    for (std::int32_t& slot : s.frequencySlots)
        if (!in.I32(slot) || slot < -1 || slot >= n) return DecodeStatus::Corrupt;
    if (a > 0 && (s.referenceAngle < 0 || s.referenceAngle >= a)) return DecodeStatus::Corrupt;
    // Up to two float64 values may follow; they are not used.
    s.activeSlot = 0;
    set = std::move(s);
    if (info) *info = found;
    return DecodeStatus::Ok;
}

std::string EncodeSpp(const PolarSet& s) {
    ByteWriter out;
    out.Raw(kSppMagic);
    WriteHeaderStart(out, s.header);
    const int active = std::clamp(s.activeSlot, 0, kPolarSlots - 1);
    out.I32(s.frequencySlots[active]);
    out.I32(s.referenceAngle);
    WriteTitleAndPath(out, s.header);
    out.FloatVector(s.angles);
    out.FloatVector(s.frequency);
    const std::size_t a = std::min(s.magnitude.size(), s.phase.size());
    out.I32(static_cast<std::int32_t>(a));
    for (std::size_t i = 0; i < a; ++i) WritePairs(out, s.magnitude[i], s.phase[i]);
    for (std::int32_t slot : s.frequencySlots) out.I32(slot);
    return out.Take();
}

// ------------------------------------------------------------------- .CSD

int CsdLayoutFlag(const CsdSet& s) {
    if (s.slices.empty()) return 0;
    const YDoubleVec& axis = s.slices.front().frequency;
    // Slices without points share no axis a reader could size them by.
    if (axis.Empty()) return 1;
    for (const CsdSlice& slice : s.slices) {
        if (slice.frequency.Size() != axis.Size()) return 1;
        for (int i = 0; i < axis.Size(); ++i)
            if (static_cast<float>(slice.frequency.Data()[i]) != static_cast<float>(axis.Data()[i])) return 1;
    }
    return 0;
}

DecodeStatus DecodeCsd(std::string_view bytes, CsdSet& set, DecodeInfo* info) {
    ByteReader in(bytes);
    DecodeInfo found;
    if (CheckMagic(in, kCsdMagic, kCsdMagicOld, &found) != DecodeStatus::Ok) return DecodeStatus::WrongFormat;
    CsdSet s;
    std::int32_t flag = 0, count = 0;
    if (!ReadHeaderStart(in, s.header, found.currentVersion) || !ReadTitleAndPath(in, s.header) ||
        !in.I32(flag) || (flag != 0 && flag != 1))
        return DecodeStatus::Corrupt;
    if (flag == 1) {
        if (!in.Count(count, 4)) return DecodeStatus::Corrupt;
        s.slices.resize(static_cast<std::size_t>(count));
        for (CsdSlice& slice : s.slices)
            if (!ReadPairs(in, slice.frequency, slice.level)) return DecodeStatus::Corrupt;
    } else {
        YDoubleVec axis;
        if (!in.Count(count, 0) || !in.FloatVector(axis)) return DecodeStatus::Corrupt;
        const std::uint64_t n = static_cast<std::uint64_t>(axis.Size());
        if (count > 0 && n == 0) return DecodeStatus::Corrupt;
        if (static_cast<std::uint64_t>(count) * n > in.Remaining() / 4) return DecodeStatus::Corrupt;
        s.slices.resize(static_cast<std::size_t>(count));
        for (CsdSlice& slice : s.slices) {
            if (!slice.frequency.CopyFrom(axis) || !slice.level.Resize(axis.Size(), false))
                return DecodeStatus::Corrupt;
            for (int i = 0; i < axis.Size(); ++i) {
                float v = 0.f;
                if (!in.F32(v)) return DecodeStatus::Corrupt;
                slice.level.Data()[i] = v;
            }
        }
    }
    if (in.Remaining() >= 8) {
        double p = 0.0;
        in.F64(p);
        s.parameter = p;
    } else if (!in.AtEnd()) {
        return DecodeStatus::Corrupt;
    }
    set = std::move(s);
    if (info) *info = found;
    return DecodeStatus::Ok;
}

std::string EncodeCsd(const CsdSet& s) {
    ByteWriter out;
    out.Raw(kCsdMagic);
    WriteHeaderStart(out, s.header);
    WriteTitleAndPath(out, s.header);
    const int flag = CsdLayoutFlag(s);
    out.I32(flag);
    out.I32(static_cast<std::int32_t>(s.slices.size()));
    if (flag == 1) {
        for (const CsdSlice& slice : s.slices) WritePairs(out, slice.frequency, slice.level);
    } else {
        const YDoubleVec axis = s.slices.empty() ? YDoubleVec() : s.slices.front().frequency;
        out.FloatVector(axis);
        for (const CsdSlice& slice : s.slices)
            for (int i = 0; i < axis.Size(); ++i)
                out.F32(static_cast<float>(i < slice.level.Size() ? slice.level.Data()[i] : 0.0));
    }
    out.F64(s.Parameter());
    return out.Take();
}

// ------------------------------------------------------------------- .SMG

SmgStatus DecodeSmg(std::string_view text, MultiGraphSet& set) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    if (lines.empty() || lines[0].substr(0, 1023).substr(0, kSmgHeader.size()) != kSmgHeader)
        return SmgStatus::NotMultiGraph;
    if (lines.size() < 2) return SmgStatus::UnexpectedEnd;
    MultiGraphSet s;
    std::string_view title = lines[1];
    const auto control = std::find_if(title.begin(), title.end(), [](unsigned char c) { return c < 32; });
    s.title =
        FitTextField(title.substr(0, static_cast<std::size_t>(control - title.begin())), kTitleFieldSize);
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty() || line[0] == ';') continue;
        const std::size_t open = line.find('"');
        const std::size_t close = open == std::string_view::npos ? open : line.find('"', open + 1);
        if (close == std::string_view::npos) continue;
        MultiGraphEntry e;
        e.path = std::string(line.substr(open + 1, close - open - 1));
        e.impedance = CurveFileTypeOf(e.path) == CurveFileType::Sxz;
        // ", level, index" after the path (kept so the file saves back the same).
        std::string_view rest = line.substr(close + 1);
        if (const std::size_t c1 = rest.find(','); c1 != std::string_view::npos) {
            rest.remove_prefix(c1 + 1);
            std::size_t used = 0;
            if (auto v = platform::ParseDouble(rest, platform::DecimalMark::Point, &used)) e.levelOffset = *v;
            rest.remove_prefix(used);
            if (const std::size_t c2 = rest.find(','); c2 != std::string_view::npos)
                if (auto k = platform::ParseInt32(rest.substr(c2 + 1))) e.index = *k;
        }
        s.entries.push_back(std::move(e));
    }
    set = std::move(s);
    return SmgStatus::Ok;
}

std::optional<std::string> EncodeSmg(const MultiGraphSet& s) {
    std::string out;
    out += kSmgHeader;
    out += "\r\n";
    std::string_view title = s.title;
    title = title.substr(0, static_cast<std::size_t>(std::find_if(title.begin(), title.end(),
                                                                  [](unsigned char c) { return c < 32; }) -
                                                     title.begin()));
    out += title;
    out += "\r\n\r\n";
    for (const MultiGraphEntry& e : s.entries) {
        if (HasLineBreakOrQuote(e.path)) return std::nullopt;
        const std::string level = e.impedance ? std::string("0") : platform::FormatFixed(e.levelOffset, 4);
        out += "\"" + e.path + "\", " + level + ", " + std::to_string(e.index) + "\r\n";
    }
    out += "; EOF\r\n";
    return out;
}

// ------------------------------------------------------------------- files

bool ReadWholeFile(const std::filesystem::path& path, std::string& out) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > static_cast<std::uintmax_t>(std::numeric_limits<std::int32_t>::max())) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (size > 0 && !in.read(bytes.data(), static_cast<std::streamsize>(size))) return false;
    out = std::move(bytes);
    return true;
}

bool SaveWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    return platform::WriteFileAtomically(path, bytes);
}

}  // namespace sonbex::curves
