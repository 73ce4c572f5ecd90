#include "Sonbex/Measurement/MstFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace sonbex::measurement {
namespace {

void AppendI32(std::string& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(std::uint8_t(u >> (8 * i))));
}

void AppendList(std::string& out, const WaveformParams& list) {
    AppendI32(out, static_cast<std::int32_t>(list.size()));
    for (const WaveformParam& p : list) {
        const auto b = p.ToBytes();
        out.append(reinterpret_cast<const char*>(b.data()), b.size());
    }
}

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> b) : b_(b) {}
    std::size_t Left() const { return b_.size() - pos_; }
    bool Take(std::span<std::uint8_t> out) {
        if (Left() < out.size()) return false;
        std::memcpy(out.data(), b_.data() + pos_, out.size());
        pos_ += out.size();
        return true;
    }
    bool List(WaveformParams& out, std::string& why) {
        std::array<std::uint8_t, 4> c{};
        if (!Take(c)) {
            why = "the file ends before a record count";
            return false;
        }
        const auto n =
            static_cast<std::int32_t>(c[0] | (c[1] << 8) | (c[2] << 16) | (std::uint32_t(c[3]) << 24));
        if (n < 0) {
            why = "a negative record count";
            return false;
        }
        if (std::uint64_t(n) * WaveformParam::kBytes > Left()) {
            why = "a record count larger than the file";
            return false;
        }
        WaveformParams list(static_cast<std::size_t>(n));
        for (WaveformParam& p : list) {
            if (!WaveformParam::FromBytes(b_.subspan(pos_, WaveformParam::kBytes), p)) {
                why = "a malformed parameter record";
                return false;
            }
            pos_ += WaveformParam::kBytes;
        }
        out = std::move(list);
        return true;
    }

private:
    std::span<const std::uint8_t> b_;
    std::size_t pos_ = 0;
};

}  // namespace

MeasConfig MstContents::Apply(const MeasConfig& base) const {
    MeasConfig c = base;
    std::copy(generator.begin(), generator.end(), c.Data().begin() + kGeneratorOffset);
    std::copy(analyzer.begin(), analyzer.end(), c.Data().begin() + kAnalyzerOffset);
    return c;
}

std::string EncodeMst(const MeasConfig& config, const WaveformParams& params,
                      const WaveformParams& analysis) {
    std::string out(kMstMagic);
    const auto gen = config.Range(kGeneratorOffset, kGeneratorSize);
    const auto ana = config.Range(kAnalyzerOffset, kAnalyzerSize);
    out.append(reinterpret_cast<const char*>(gen.data()), gen.size());
    out.append(reinterpret_cast<const char*>(ana.data()), ana.size());
    AppendList(out, params);
    AppendList(out, analysis);
    return out;
}

bool DecodeMst(std::span<const std::uint8_t> bytes, MstContents& out, std::string* why) {
    std::string reason;
    auto fail = [&](std::string text) {
        if (why) *why = std::move(text);
        return false;
    };
    if (bytes.size() < kMstMagic.size() ||
        !std::equal(kMstMagic.begin(), kMstMagic.end(), reinterpret_cast<const char*>(bytes.data())))
        return fail("not a measurement settings file");
    Reader in(bytes.subspan(kMstMagic.size()));
    MstContents c;
    if (!in.Take(c.generator) || !in.Take(c.analyzer))
        return fail("the file ends inside the settings blocks");
    if (!in.List(c.params, reason) || !in.List(c.analysis, reason)) return fail(reason);
    out = std::move(c);
    return true;
}

bool ReadMstFile(const std::filesystem::path& file, MstContents& out, std::string* why) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) {
        if (why) *why = "cannot read the file";
        return false;
    }
    if (size > kMaxMstBytes) {
        if (why) *why = "the file is too large for a measurement settings file";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) {
        if (why) *why = "cannot read the file";
        return false;
    }
    return DecodeMst(bytes, out, why);
}

}  // namespace sonbex::measurement
