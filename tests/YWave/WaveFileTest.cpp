// Wave-file headers against the RIFF/WAVE layout, the parser on well-formed
// and hostile files, and the recording writer.

#include "YWave/YWaveFile.h"
#include "YWave/YWaveSample.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Add32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void AddId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }
void AddChunk(Bytes& b, const char* id, const Bytes& body, std::uint32_t declared = 0xFFFFFFFF) {
    AddId(b, id);
    Add32(b, declared == 0xFFFFFFFF ? static_cast<std::uint32_t>(body.size()) : declared);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1) b.push_back(0);
}
Bytes Riff(const Bytes& chunks, const char* riff = "RIFF") {
    Bytes b;
    AddId(b, riff);
    Add32(b, static_cast<std::uint32_t>(chunks.size() + 4));
    AddId(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}
Bytes Fmt(const YWaveFormat& f) {
    const auto all = f.Bytes();
    return Bytes(all.begin(), all.begin() + static_cast<long>(f.StoredSize()));
}

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/ywave-test-XXXXXX";
        path_ = mkdtemp(name);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    fs::path File(const std::string& name) const { return path_ / name; }
    fs::path Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(File(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return File(name);
    }

private:
    fs::path path_;
};

Bytes ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(WaveFile, HeaderBytesFollowTheRiffLayout) {
    // 44.1 kHz 16-bit stereo, 10 frames: the plain 46-byte header.
    const Bytes plain = {'R',  'I',  'F', 'F', 38 + 40, 0,    0,    0, 'W', 'A', 'V', 'E',
                         'f',  'm',  't', ' ', 18,      0,    0,    0, 1,   0,   2,   0,
                         0x44, 0xAC, 0,   0,   0x10,    0xB1, 0x02, 0, 4,   0,   16,  0,
                         0,    0,    'd', 'a', 't',     'a',  40,   0, 0,   0};
    // 48 kHz 24-bit stereo, no frames: the extensible 68-byte header.
    const Bytes extensible = {
        'R',  'I',  'F',  'F',  60,   0,    0,    0,    'W',  'A', 'V',  'E',  'f',  'm',  't',  ' ',  40,
        0,    0,    0,    0xFE, 0xFF, 2,    0,    0x80, 0xBB, 0,   0,    0x00, 0x65, 0x04, 0,    6,    0,
        24,   0,    22,   0,    24,   0,    3,    0,    0,    0,   0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10,
        0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71, 'd', 'a',  't',  'a',  0,    0,    0,    0};
    struct Case {
        const char* name;
        YWaveFormat format;
        std::uint32_t dataBytes;
        const Bytes& expected;
    } cases[] = {
        {"16-bit stereo", YWaveFormat::Pcm(16, 2, 44100, true), 40, plain},
        {"24-bit stereo extensible", YWaveFormat::Pcm(24, 2, 48000, true), 0, extensible},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const fs::path p = dir.File("h.wav");
        std::FILE* f = std::fopen(p.c_str(), "wb");
        ASSERT_TRUE(f);
        EXPECT_EQ(YWriteWaveHeader(f, c.format, c.dataBytes), c.expected.size()) << c.name;
        std::fclose(f);
        EXPECT_EQ(ReadAll(p), c.expected) << c.name;
    }
}

TEST(WaveFile, FormatHeaderChoosesPlainOrExtensible) {
    struct Case {
        int bits, channels;
        bool extensibleAllowed;
        std::uint16_t tag, validBits;
        std::uint32_t mask;
        std::uint16_t blockAlign;
    } cases[] = {
        {16, 2, true, 1, 0, 0, 4},
        {24, 2, true, 0xFFFE, 24, 0x3, 6},
        {24, 2, false, 1, 0, 0, 6},
        {32, 2, true, 0xFFFE, 24, 0x3, 8},
        {20, 1, true, 0xFFFE, 20, 0x4, 3},
        {16, 6, true, 0xFFFE, 16, 0x3F, 12},
        {16, 8, true, 0xFFFE, 16, 0xFF, 16},
        {8, 7, true, 0xFFFE, 8, 0, 7},
        {8, 1, true, 1, 0, 0, 1},
    };
    for (const Case& c : cases) {
        const YWaveFormat f = YWaveFormat::Pcm(c.bits, c.channels, 96000, c.extensibleAllowed);
        const std::string name =
            std::to_string(c.bits) + " bits, " + std::to_string(c.channels) + " channels";
        EXPECT_EQ(f.tag, c.tag) << name;
        EXPECT_EQ(f.validBits, c.validBits) << name;
        EXPECT_EQ(f.channelMask, c.mask) << name;
        EXPECT_EQ(f.blockAlign, c.blockAlign) << name;
        EXPECT_EQ(f.avgBytesPerSec, 96000u * c.blockAlign) << name;
        EXPECT_EQ(f.Kind(), YSampleKind::Pcm) << name;
    }
}

TEST(WaveFile, ParserAcceptsWellFormedAndRefusesHostileFiles) {
    const YWaveFormat pcm16 = YWaveFormat::Pcm(16, 2, 44100, false);
    YWaveFormat floatExt = YWaveFormat::Pcm(32, 2, 48000, true);
    floatExt.subFormat = kYSubFormatFloat;
    YWaveFormat otherExt = floatExt;
    otherExt.subFormat[0] = 0x92;  // not PCM, not float
    YWaveFormat noChannels = pcm16;
    noChannels.channels = 0;
    YWaveFormat noBits = pcm16;
    noBits.bitsPerSample = 0;
    YWaveFormat shortExt = YWaveFormat::Pcm(24, 2, 48000, true);
    YWaveFormat plainFloat = YWaveFormat::Pcm(32, 2, 48000, false);
    plainFloat.tag = YWaveFormat::kTagFloat;
    YWaveFormat wideFrames = pcm16;
    wideFrames.blockAlign = 6;  // 16-bit stereo with two bytes of padding per frame
    YWaveFormat noAlign = pcm16;
    noAlign.blockAlign = 0;
    YWaveFormat padded24 = YWaveFormat::Pcm(24, 1, 48000, false);
    padded24.blockAlign = 4;  // 24 bits in 32-bit containers declared as 24-bit
    const Bytes data8(8, 0x11), data3(3, 0x22);

    auto fileOf = [](std::initializer_list<std::pair<const char*, Bytes>> chunks) {
        Bytes b;
        for (const auto& [id, body] : chunks) AddChunk(b, id, body);
        return Riff(b);
    };
    Bytes fmt14 = Fmt(pcm16);
    fmt14.resize(14);
    Bytes shortExtBody = Fmt(shortExt);
    shortExtBody.resize(18);

    Bytes beyondEnd;
    AddChunk(beyondEnd, "fmt ", Fmt(pcm16));
    AddChunk(beyondEnd, "data", data8, 1000);  // declares more than the file holds
    Bytes lower = fileOf({{"fmt ", Fmt(pcm16)}, {"data", data8}});
    std::memcpy(lower.data(), "riff", 4);

    struct Case {
        const char* name;
        Bytes file;
        bool ok;
        YSampleKind kind;
        std::uint32_t dataBytes;
    } cases[] = {
        {"plain", fileOf({{"fmt ", Fmt(pcm16)}, {"data", data8}}), true, YSampleKind::Pcm, 8},
        {"odd chunk before data is skipped with its pad byte",
         fileOf({{"fmt ", Fmt(pcm16)}, {"LIST", data3}, {"data", data8}}), true, YSampleKind::Pcm, 8},
        {"lower-case riff", lower, true, YSampleKind::Pcm, 8},
        {"extensible float", fileOf({{"fmt ", Fmt(floatExt)}, {"data", data8}}), true, YSampleKind::Float, 8},
        {"plain float", fileOf({{"fmt ", Fmt(plainFloat)}, {"data", data8}}), true, YSampleKind::Float, 8},
        {"block alignment beyond channels x bytes", fileOf({{"fmt ", Fmt(wideFrames)}, {"data", data8}}),
         false, YSampleKind::Other, 0},
        {"zero block alignment", fileOf({{"fmt ", Fmt(noAlign)}, {"data", data8}}), false, YSampleKind::Other,
         0},
        {"24-bit samples in 4-byte frames", fileOf({{"fmt ", Fmt(padded24)}, {"data", data8}}), false,
         YSampleKind::Other, 0},
        {"data beyond the file is clamped", Riff(beyondEnd), true, YSampleKind::Pcm, 8},
        {"odd data is cut to whole frames", fileOf({{"fmt ", Fmt(pcm16)}, {"data", Bytes(7, 1)}}), true,
         YSampleKind::Pcm, 4},
        {"data before fmt", fileOf({{"data", data8}, {"fmt ", Fmt(pcm16)}}), false, YSampleKind::Other, 0},
        {"extensible with another sub-format", fileOf({{"fmt ", Fmt(otherExt)}, {"data", data8}}), false,
         YSampleKind::Other, 0},
        {"extensible tag in an 18-byte fmt", fileOf({{"fmt ", shortExtBody}, {"data", data8}}), false,
         YSampleKind::Other, 0},
        {"zero channels", fileOf({{"fmt ", Fmt(noChannels)}, {"data", data8}}), false, YSampleKind::Other, 0},
        {"zero bits", fileOf({{"fmt ", Fmt(noBits)}, {"data", data8}}), false, YSampleKind::Other, 0},
        {"fmt shorter than 16 bytes", fileOf({{"fmt ", fmt14}, {"data", data8}}), false, YSampleKind::Other,
         0},
        {"no data chunk", fileOf({{"fmt ", Fmt(pcm16)}}), false, YSampleKind::Other, 0},
        {"not RIFF", Riff(Bytes{}, "RIFX"), false, YSampleKind::Other, 0},
        {"truncated", Bytes{'R', 'I', 'F', 'F', 4, 0}, false, YSampleKind::Other, 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        YWaveFileInfo info;
        const bool ok = YReadWaveFileInfo(dir.Write("t.wav", c.file), info);
        EXPECT_EQ(ok, c.ok) << c.name;
        if (!ok || !c.ok) continue;
        EXPECT_EQ(info.format.Kind(), c.kind) << c.name;
        EXPECT_EQ(info.dataBytes, c.dataBytes) << c.name;
    }
}

TEST(WaveFile, ReaderPadsWithSilenceOrLoops) {
    TempDir dir;
    Bytes file;
    AddChunk(file, "fmt ", Fmt(YWaveFormat::Pcm(8, 1, 8000, false)));
    AddChunk(file, "data", Bytes{1, 2, 3});
    const fs::path p = dir.Write("r.wav", Riff(file));

    YWaveReader once;
    ASSERT_TRUE(once.Open(p));
    Bytes block(5);
    EXPECT_EQ(once.ReadBlock(block.data(), block.size(), false), YWaveReader::Result::Data);
    EXPECT_EQ(block, (Bytes{1, 2, 3, 0x80, 0x80}));
    EXPECT_EQ(once.ReadBlock(block.data(), block.size(), false), YWaveReader::Result::End);

    YWaveReader looping;
    ASSERT_TRUE(looping.Open(p));
    EXPECT_EQ(looping.ReadBlock(block.data(), block.size(), true), YWaveReader::Result::Data);
    EXPECT_EQ(block, (Bytes{1, 2, 3, 1, 2}));
    EXPECT_EQ(looping.ReadBlock(block.data(), block.size(), true), YWaveReader::Result::Data);
    EXPECT_EQ(block, (Bytes{3, 1, 2, 3, 1}));
}

TEST(WaveFile, WriterFinalisesSizesPadsOddDataAndReplacesOnlyWhenDone) {
    TempDir dir;
    const fs::path target = dir.File("rec.wav");
    dir.Write("rec.wav", Bytes{'o', 'l', 'd'});
    const YWaveFormat mono8 = YWaveFormat::Pcm(8, 1, 8000, false);
    {
        YWaveWriter w;
        ASSERT_TRUE(w.Create(target, mono8));
        ASSERT_TRUE(w.Append(Bytes{1, 2, 3}.data(), 3));
        EXPECT_EQ(ReadAll(target), (Bytes{'o', 'l', 'd'}))
            << "target replaced before the recording was complete";
        ASSERT_TRUE(w.Finish());
        EXPECT_FALSE(w.Finish());
    }
    const Bytes b = ReadAll(target);
    ASSERT_EQ(b.size(), 46u + 3u + 1u);
    EXPECT_EQ(b[4], 38 + 3 + 1);  // RIFF size counts the pad byte
    EXPECT_EQ(b[42], 3);          // data size does not
    EXPECT_EQ(b.back(), 0);
    YWaveFileInfo info;
    ASSERT_TRUE(YReadWaveFileInfo(target, info));
    EXPECT_EQ(info.Frames(), 3u);

    YWaveWriter abandoned;
    ASSERT_TRUE(abandoned.Create(target, mono8));
    abandoned.Abandon();
    EXPECT_EQ(ReadAll(target), b);
    EXPECT_FALSE(fs::exists(dir.File("rec.wav.part")));

    // A writer left open is finished by its destructor: never zero sizes.
    {
        YWaveWriter w;
        ASSERT_TRUE(w.Create(dir.File("d.wav"), mono8));
        w.Append(Bytes{9, 9}.data(), 2);
    }
    ASSERT_TRUE(YReadWaveFileInfo(dir.File("d.wav"), info));
    EXPECT_EQ(info.Frames(), 2u);
}

TEST(WaveSample, ConversionTable) {
    struct Case {
        int bits;
        Bytes bytes;
        double value;
        YSampleKind kind = YSampleKind::Pcm;
    } cases[] = {
        {8, {0x80}, 0.0},
        {8, {0x00}, -1.0},
        {8, {0xFF}, 127.0 / 128.0},
        {8, {0xC0}, 0.5},
        {16, {0x00, 0x80}, -1.0},
        {16, {0xFF, 0x7F}, 32767.0 / 32768.0},
        {16, {0x01, 0x00}, 1.0 / 32768.0},
        {16, {0xFF, 0xFF}, -1.0 / 32768.0},
        {24, {0x00, 0x00, 0x80}, -1.0},
        {24, {0xFF, 0xFF, 0x7F}, 8388607.0 / 8388608.0},
        {24, {0x01, 0x00, 0x00}, 1.0 / 8388608.0},
        {20, {0x10, 0x00, 0x00}, 1.0 / 524288.0},
        {20, {0xF0, 0xFF, 0x7F}, 524287.0 / 524288.0},
        {32, {0x00, 0x00, 0x00, 0x80}, -1.0},
        {32, {0x00, 0x00, 0x00, 0x40}, 0.5},
        {32, {0x01, 0x00, 0x00, 0x00}, 0x1p-31},
        // IEEE floats of wave files: their value; what is not finite is silence.
        {32, {0x00, 0x00, 0x80, 0x3F}, 1.0, YSampleKind::Float},
        {32, {0x00, 0x00, 0x00, 0xBF}, -0.5, YSampleKind::Float},
        {32, {0x00, 0x00, 0xC0, 0x3F}, 1.5, YSampleKind::Float},
        {32, {0x01, 0x00, 0x00, 0x00}, 0x1p-149, YSampleKind::Float},
        {32, {0x00, 0x00, 0xC0, 0x7F}, 0.0, YSampleKind::Float},
        {32, {0x00, 0x00, 0x80, 0xFF}, 0.0, YSampleKind::Float},
        {64, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xD0, 0x3F}, 0.25, YSampleKind::Float},
        {64, {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0xBF}, -0.1, YSampleKind::Float},
        {64, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x7F}, 0.0, YSampleKind::Float},
        // Not readable: silence, one sample's bytes skipped.
        {16, {0x00, 0x3C}, 0.0, YSampleKind::Float},
        {16, {0xFF, 0x7F}, 0.0, YSampleKind::Other},
        {12, {0xF0, 0x7F}, 0.0, YSampleKind::Pcm},
    };
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.bits) + "-bit " +
                                 (c.kind == YSampleKind::Pcm     ? "PCM"
                                  : c.kind == YSampleKind::Float ? "float"
                                                                 : "other") +
                                 " value " + std::to_string(c.value);
        const bool readable =
            c.bits != 12 && (c.kind == YSampleKind::Pcm || (c.kind == YSampleKind::Float && c.bits != 16));
        EXPECT_EQ(YIsReadableSample(c.kind, c.bits), readable) << name;
        double v = 99.0;
        EXPECT_EQ(YSampleToReal(c.bytes.data(), c.kind, c.bits, v), c.bytes.data() + c.bytes.size()) << name;
        EXPECT_EQ(v, c.value) << name;
        if (c.kind != YSampleKind::Pcm || !readable) continue;
        v = 99.0;
        EXPECT_EQ(YSampleToReal(c.bytes.data(), c.bits, v), c.bytes.data() + c.bytes.size()) << name;
        EXPECT_EQ(v, c.value) << name;
        Bytes back(c.bytes.size(), 0xAA);
        EXPECT_EQ(YRealToSample(c.value, c.bits, back.data()), back.data() + back.size()) << name;
        EXPECT_EQ(back, c.bytes) << name;
    }
}

TEST(WaveSample, WritingClipsAtTheCodeRangeAndRounds) {
    struct Case {
        int bits;
        double in, out;
    } cases[] = {
        {16, 2.0, 32767.0 / 32768.0},      {16, -2.0, -1.0},
        {16, 1.0, 32767.0 / 32768.0},      {8, 0.00390625 * 1.01, 0.0078125},
        {20, 1.0, 524287.0 / 524288.0},    {24, -1.5, -1.0},
        {32, 1.0, 2147483647.0 * 0x1p-31}, {16, std::nan(""), 0.0},
    };
    for (const Case& c : cases) {
        Bytes b(4);
        YRealToSample(c.in, c.bits, b.data());
        double v = 0;
        YSampleToReal(b.data(), c.bits, v);
        EXPECT_EQ(v, c.out) << c.bits << "-bit " << c.in;
    }
    EXPECT_EQ(YSampleMax(16), 32767.0 / 32768.0);
    double v = 1;
    const std::uint8_t odd[3] = {1, 2, 3};
    EXPECT_EQ(YSampleToReal(odd, 12, v), odd + 2);
    EXPECT_EQ(v, 0.0);
}
