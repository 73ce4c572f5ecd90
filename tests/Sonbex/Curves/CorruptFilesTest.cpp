// Truncated and corrupt native curve files: every one fails cleanly, with
// nothing allocated for counts the bytes left cannot hold.

#include "Sonbex/Curves/CurveFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace sonbex::curves {
namespace {

std::string Fixture(const std::string& name) {
    std::ifstream in(std::string(SONBEX_TEST_DATA) + "/Curves/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// True when the bytes decode.
using Decoder = std::function<bool(const std::string&)>;

Decoder DecoderFor(CurveFileType type) {
    switch (type) {
        case CurveFileType::Sxf:
            return [](const std::string& b) {
                std::vector<std::unique_ptr<YFreqGraphCurve>> sets;
                return DecodeSxf(b, sets) == DecodeStatus::Ok;
            };
        case CurveFileType::Sxz:
            return [](const std::string& b) {
                ImpedanceSet s;
                return DecodeSxz(b, s) == DecodeStatus::Ok;
            };
        case CurveFileType::Sxp:
            return [](const std::string& b) {
                ImpulseRecord r;
                return DecodeSxp(b, r) == DecodeStatus::Ok;
            };
        case CurveFileType::Spp:
            return [](const std::string& b) {
                PolarSet s;
                return DecodeSpp(b, s) == DecodeStatus::Ok;
            };
        case CurveFileType::Csd:
            return [](const std::string& b) {
                CsdSet s;
                return DecodeCsd(b, s) == DecodeStatus::Ok;
            };
        case CurveFileType::Smg:
            return [](const std::string& b) {
                MultiGraphSet s;
                return DecodeSmg(b, s) == SmgStatus::Ok;
            };
    }
    return {};
}

std::int32_t I32At(const std::string& b, std::size_t at) {
    std::int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
std::string WithI32(std::string b, std::size_t at, std::int32_t v) {
    std::memcpy(b.data() + at, &v, 4);
    return b;
}

struct Fixed {
    const char* file;
    CurveFileType type;
    // Shorter lengths that are whole files of their own.
    std::set<std::size_t> validFromEnd;
};

// A file cut anywhere (every field boundary included) fails, except where
// the format itself ends early.
TEST(CorruptFiles, EveryTruncationFails) {
    const Fixed files[] = {
        {"tiny_v3.sxf", CurveFileType::Sxf, {}},
        {"tiny_v2.sxf", CurveFileType::Sxf, {}},
        {"mag_phase_only.sxf", CurveFileType::Sxf, {}},
        {"imp_loaded.sxz", CurveFileType::Sxz, {}},
        // The reader stops after the loaded count 0: what follows it is not read.
        {"imp_free.sxz", CurveFileType::Sxz, {1, 2, 3, 4}},
        {"imp_v1.sxz", CurveFileType::Sxz, {}},
        {"impulse.sxp", CurveFileType::Sxp, {}},
        {"polar.spp", CurveFileType::Spp, {}},
        {"polar_empty.spp", CurveFileType::Spp, {}},
        {"csd_f0.csd", CurveFileType::Csd, {8}},  // without the CSD length
        {"csd_f1.csd", CurveFileType::Csd, {8}},
        {"csd_noparam.csd", CurveFileType::Csd, {}},
    };
    for (const Fixed& f : files) {
        const std::string bytes = Fixture(f.file);
        ASSERT_GT(bytes.size(), 100u) << f.file;
        const Decoder decode = DecoderFor(f.type);
        ASSERT_TRUE(decode(bytes)) << f.file;
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            const bool valid = f.validFromEnd.count(bytes.size() - n) != 0;
            EXPECT_EQ(decode(bytes.substr(0, n)), valid) << f.file << " cut to " << n << " bytes";
        }
    }
}

// Counts and fields set to values the file cannot hold.
TEST(CorruptFiles, BadCountsAndFieldsFail) {
    struct Case {
        const char* name;
        const char* file;
        CurveFileType type;
        std::size_t offset;     // of an int32 field
        std::int32_t original;  // what the fixture holds there (checks the offset)
        std::int32_t value;
    };
    constexpr std::size_t kSxfRecord = 15, kSxfFreqCount = kSxfRecord + 256 + 12 + 2960;
    constexpr std::size_t kSxfM = kSxfFreqCount + 4 + 5 * 4, kSxfKind = kSxfM + 4;
    constexpr std::size_t kHeader11 = 11 + 12 + 2960, kHeader14 = 14 + 12 + 2960;
    constexpr std::size_t kSxzFreq = kHeader11 + 824 + 256 + 260, kSxzLoaded = kSxzFreq + 3 * 20;
    constexpr std::size_t kSxpCount = kHeader11 + 256 + 260;
    constexpr std::size_t kSppAngles = kHeader11 + 8 + 256 + 260, kSppFreq = kSppAngles + 16,
                          kSppA = kSppFreq + 16, kSppFirst = kSppA + 4, kSppSlots = kSppFirst + 3 * (4 + 24);
    constexpr std::size_t kCsdFlag = kHeader14 + 256 + 260, kCsdCount = kCsdFlag + 4,
                          kCsdAxis = kCsdCount + 4;
    const Case cases[] = {
        {"SXF N = -1", "tiny_v3.sxf", CurveFileType::Sxf, 11, 2, -1},
        {"SXF N = 2^30", "tiny_v3.sxf", CurveFileType::Sxf, 11, 2, 1 << 30},
        {"SXF N one more", "tiny_v3.sxf", CurveFileType::Sxf, 11, 2, 3},
        {"SXF axis n = -1", "tiny_v3.sxf", CurveFileType::Sxf, kSxfFreqCount, 5, -1},
        {"SXF axis n = 2^30", "tiny_v3.sxf", CurveFileType::Sxf, kSxfFreqCount, 5, 1 << 30},
        {"SXF M = -1", "tiny_v3.sxf", CurveFileType::Sxf, kSxfM, 5, -1},
        {"SXF M = 2^30", "tiny_v3.sxf", CurveFileType::Sxf, kSxfM, 5, 1 << 30},
        {"SXF unknown kind 3", "tiny_v3.sxf", CurveFileType::Sxf, kSxfKind, 1, 3},
        {"SXF stored excess phase", "tiny_v3.sxf", CurveFileType::Sxf, kSxfKind, 1, 8},
        {"SXF kind twice", "tiny_v3.sxf", CurveFileType::Sxf, kSxfKind, 1, 2},
        {"SXF curve n = -1", "tiny_v3.sxf", CurveFileType::Sxf, kSxfKind + 4, 5, -1},
        {"SXF curve n = 2^30", "tiny_v3.sxf", CurveFileType::Sxf, kSxfKind + 4, 5, 1 << 30},
        {"SXF curve shorter than axis", "tiny_v3.sxf", CurveFileType::Sxf, kSxfKind + 4, 5, 4},
        {"SXZ axis n = -1", "imp_loaded.sxz", CurveFileType::Sxz, kSxzFreq, 4, -1},
        {"SXZ axis n = 2^30", "imp_loaded.sxz", CurveFileType::Sxz, kSxzFreq, 4, 1 << 30},
        {"SXZ magnitude shorter", "imp_loaded.sxz", CurveFileType::Sxz, kSxzFreq + 20, 4, 3},
        {"SXZ loaded n = -1", "imp_loaded.sxz", CurveFileType::Sxz, kSxzLoaded, 4, -1},
        {"SXZ loaded n = 2^30", "imp_loaded.sxz", CurveFileType::Sxz, kSxzLoaded, 4, 1 << 30},
        {"SXP n = -1", "impulse.sxp", CurveFileType::Sxp, kSxpCount, 6, -1},
        {"SXP n = 2^30", "impulse.sxp", CurveFileType::Sxp, kSxpCount, 6, 1 << 30},
        {"SPP angles n = 2^30", "polar.spp", CurveFileType::Spp, kSppAngles, 3, 1 << 30},
        {"SPP frequencies n = -1", "polar.spp", CurveFileType::Spp, kSppFreq, 3, -1},
        {"SPP A = -1", "polar.spp", CurveFileType::Spp, kSppA, 3, -1},
        {"SPP A = 2^30", "polar.spp", CurveFileType::Spp, kSppA, 3, 1 << 30},
        {"SPP A not the angle count", "polar.spp", CurveFileType::Spp, kSppA, 3, 2},
        {"SPP angle n = 2^30", "polar.spp", CurveFileType::Spp, kSppFirst, 3, 1 << 30},
        {"SPP angle n not the axis", "polar.spp", CurveFileType::Spp, kSppFirst, 3, 2},
        {"SPP slot beyond the axis", "polar.spp", CurveFileType::Spp, kSppSlots, 1, 3},
        {"SPP slot below -1", "polar.spp", CurveFileType::Spp, kSppSlots, 1, -2},
        {"SPP reference angle beyond", "polar.spp", CurveFileType::Spp, kHeader11 + 4, 1, 3},
        {"CSD flag 2", "csd_f0.csd", CurveFileType::Csd, kCsdFlag, 0, 2},
        {"CSD S = -1", "csd_f0.csd", CurveFileType::Csd, kCsdCount, 3, -1},
        {"CSD S = 2^30", "csd_f0.csd", CurveFileType::Csd, kCsdCount, 3, 1 << 30},
        {"CSD F=0 axis n = 2^30", "csd_f0.csd", CurveFileType::Csd, kCsdAxis, 4, 1 << 30},
        {"CSD F=0 axis n = -1", "csd_f0.csd", CurveFileType::Csd, kCsdAxis, 4, -1},
        {"CSD F=0 empty axis, slices", "csd_f0.csd", CurveFileType::Csd, kCsdAxis, 4, 0},
        {"CSD F=1 S = 2^30", "csd_f1.csd", CurveFileType::Csd, kCsdCount, 3, 1 << 30},
        {"CSD F=1 slice n = -1", "csd_f1.csd", CurveFileType::Csd, kCsdAxis, 3, -1},
        {"CSD F=1 slice n = 2^30", "csd_f1.csd", CurveFileType::Csd, kCsdAxis, 3, 1 << 30},
    };
    for (const Case& c : cases) {
        const std::string bytes = Fixture(c.file);
        ASSERT_EQ(I32At(bytes, c.offset), c.original) << c.name << ": the offset is not that field";
        EXPECT_FALSE(DecoderFor(c.type)(WithI32(bytes, c.offset, c.value))) << c.name;
    }
}

TEST(CorruptFiles, WrongMagicIsWrongFormat) {
    std::vector<std::unique_ptr<YFreqGraphCurve>> sets;
    EXPECT_EQ(DecodeSxf("@SXSPLCV001xxxx", sets), DecodeStatus::WrongFormat);
    EXPECT_EQ(DecodeSxf("", sets), DecodeStatus::WrongFormat);
    ImpedanceSet z;
    EXPECT_EQ(DecodeSxz(Fixture("impulse.sxp"), z), DecodeStatus::WrongFormat);
    CsdSet c;
    EXPECT_EQ(DecodeCsd("@SXCSDGRAPH003", c), DecodeStatus::WrongFormat);
}

// An axis that is no frequency response: too few points, not ascending.
TEST(CorruptFiles, SxfAxisThatIsNoFrequencyResponse) {
    std::string bytes = Fixture("tiny_v3.sxf");
    const std::size_t freq = 15 + 256 + 12 + 2960 + 4;
    const float descending = 50.0f;
    std::string bad = bytes;
    std::memcpy(bad.data() + freq + 4, &descending, 4);  // 100, 50, 400 ...
    std::vector<std::unique_ptr<YFreqGraphCurve>> sets;
    EXPECT_EQ(DecodeSxf(bad, sets), DecodeStatus::Corrupt);
    EXPECT_TRUE(sets.empty());
}

}  // namespace
}  // namespace sonbex::curves
