#include "YLib/YComplexVec.h"
#include "YLib/YDoubleVec.h"
#include "YLib/YFile.h"
#include "YLib/YFreqVec.h"
#include "YLib/YPersistence.h"
#include "YLib/YString.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ylib-archive-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Path(const char* name) const { return dir_ / name; }

    static Bytes ReadAll(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteAll(const fs::path& p, const Bytes& b) {
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }
    // The files in the test directory (to see that no temporary file is left).
    std::size_t FileCount() const {
        return std::size_t(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    fs::path dir_;
};

void Append(Bytes& b, std::initializer_list<unsigned char> bytes) { b.insert(b.end(), bytes); }
void AppendInt32(Bytes& b, std::int32_t v) {
    unsigned char raw[4];
    std::memcpy(raw, &v, 4);
    b.insert(b.end(), raw, raw + 4);
}
void AppendDouble(Bytes& b, double v) {
    unsigned char raw[8];
    std::memcpy(raw, &v, 8);
    b.insert(b.end(), raw, raw + 8);
}
void AppendString(Bytes& b, std::string_view s) {
    AppendInt32(b, std::int32_t(s.size() + 1));
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
}

}  // namespace

TEST_F(ArchiveTest, StringRecordBytes) {
    YPersistence archive;
    ASSERT_TRUE(archive.Open(Path("s.bin"), true));
    ASSERT_TRUE(archive.WriteString("abc"));
    ASSERT_TRUE(archive.WriteString(""));
    ASSERT_TRUE(archive.Close());
    EXPECT_EQ(ReadAll(Path("s.bin")), (Bytes{0x04, 0, 0, 0, 0x61, 0x62, 0x63, 0x00, 0x01, 0, 0, 0, 0x00}));
}

TEST_F(ArchiveTest, DoubleVecRecordBytes) {
    YDoubleVec v(2);
    v[0] = 1.0;
    v[1] = -2.5;
    YPersistence archive;
    ASSERT_TRUE(archive.Open(Path("v.bin"), true));
    ASSERT_TRUE(v.Serialize(archive));
    ASSERT_TRUE(archive.Close());
    const Bytes expected = {
        0x0B, 0x00, 0x00, 0x00, 'Y',  'D',  'o',  'u',  'b', 'l', 'e', 'V', 'e', 'c', 0x00,  // tag name
        0x01, 0x00, 0x00, 0x00,                                                              // version 1
        0x02, 0x00, 0x00, 0x00,                                                              // count
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F,                                      // 1.0
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xC0,                                      // -2.5
    };
    EXPECT_EQ(ReadAll(Path("v.bin")), expected);
}

TEST_F(ArchiveTest, RoundTripOfAllRecords) {
    YDoubleVec d(3);
    d[0] = 1.5;
    d[1] = -0.0;
    d[2] = 1e300;
    YComplexVec c(2);
    c[0] = {1, 2};
    c[1] = {-3, 4.25};
    YString s("Sonbex \"3\"");
    YString empty;
    YFreqVec f;
    ASSERT_TRUE(f.Create(20, 20000, 3, false, false));
    YComplexVec emptyComplex;
    {
        YPersistence archive;
        ASSERT_TRUE(archive.Open(Path("all.bin"), true));
        ASSERT_TRUE(d.Serialize(archive));
        ASSERT_TRUE(c.Serialize(archive));
        ASSERT_TRUE(s.Serialize(archive));
        ASSERT_TRUE(empty.Serialize(archive));
        ASSERT_TRUE(f.Serialize(archive));
        ASSERT_TRUE(emptyComplex.Serialize(archive));
        ASSERT_TRUE(archive.Close());
    }
    YPersistence archive;
    ASSERT_TRUE(archive.Open(Path("all.bin"), false));
    YDoubleVec d2;
    YComplexVec c2(5);
    YString s2("old"), empty2("old");
    YDoubleVec f2;  // a YFreqVec is stored as a YDoubleVec
    YComplexVec emptyComplex2(4);
    ASSERT_TRUE(d2.Serialize(archive));
    ASSERT_TRUE(c2.Serialize(archive));
    ASSERT_TRUE(s2.Serialize(archive));
    ASSERT_TRUE(empty2.Serialize(archive));
    ASSERT_TRUE(f2.Serialize(archive));
    ASSERT_TRUE(emptyComplex2.Serialize(archive));
    EXPECT_EQ(archive.Remaining(), 0u);
    ASSERT_TRUE(archive.Close());

    ASSERT_EQ(d2.Size(), 3);
    EXPECT_EQ(d2[0], 1.5);
    EXPECT_TRUE(std::signbit(d2[1]));
    EXPECT_EQ(d2[2], 1e300);
    ASSERT_EQ(c2.Size(), 2);
    EXPECT_EQ(c2[1], YComplex(-3, 4.25));
    EXPECT_EQ(s2, "Sonbex \"3\"");
    EXPECT_EQ(empty2, "");
    ASSERT_EQ(f2.Size(), f.Size());
    EXPECT_EQ(f2[30], 20000.0);
    EXPECT_EQ(emptyComplex2.Size(), 0);
}

TEST_F(ArchiveTest, CorruptRecordsFailCleanly) {
    const auto doubleVecHeader = [](std::int32_t count) {
        Bytes b;
        AppendString(b, "YDoubleVec");
        AppendInt32(b, 1);
        AppendInt32(b, count);
        return b;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        enum { Double, Complex, String } record;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", {}, Case::Double});
    cases.push_back({"truncated length", {0x0B, 0x00}, Case::Double});
    {
        Bytes b = doubleVecHeader(-1);
        cases.push_back({"negative count", b, Case::Double});
    }
    {
        Bytes b = doubleVecHeader(0x7FFFFFFF);
        AppendDouble(b, 1.0);
        cases.push_back({"huge count", b, Case::Double});
    }
    {
        Bytes b = doubleVecHeader(3);
        AppendDouble(b, 1.0);
        AppendDouble(b, 2.0);
        cases.push_back({"count beyond the data", b, Case::Double});
    }
    {
        Bytes b;
        AppendString(b, "YDoubleVec");
        AppendInt32(b, 2);
        AppendInt32(b, 0);
        cases.push_back({"version 2", b, Case::Double});
    }
    {
        Bytes b;
        AppendString(b, "YComplexVec");
        AppendInt32(b, 1);
        AppendInt32(b, 1);
        AppendDouble(b, 1.0);
        cases.push_back({"complex element cut short", b, Case::Complex});
    }
    {
        Bytes b;
        AppendString(b, "YComplexVec");
        AppendInt32(b, 1);
        AppendInt32(b, -5);
        cases.push_back({"negative complex count", b, Case::Complex});
    }
    {
        Bytes b;
        AppendString(b, "YComplexVec");
        AppendInt32(b, 1);
        AppendInt32(b, 0);
        cases.push_back({"wrong tag", b, Case::Double});
    }
    {
        Bytes b;
        AppendString(b, "YString");
        AppendInt32(b, 1);
        AppendInt32(b, 100);
        Append(b, {'a', 'b', 0});
        cases.push_back({"string length beyond the bytes left", b, Case::String});
    }
    {
        Bytes b;
        AppendString(b, "YString");
        AppendInt32(b, 1);
        AppendInt32(b, 3);
        Append(b, {'a', 'b', 'c'});
        cases.push_back({"string without terminator", b, Case::String});
    }
    {
        Bytes b;
        AppendString(b, "YString");
        AppendInt32(b, 1);
        AppendInt32(b, 0);
        cases.push_back({"string length 0", b, Case::String});
    }
    {
        Bytes b;
        AppendInt32(b, -7);
        cases.push_back({"negative tag length", b, Case::String});
    }
    {
        Bytes b;
        AppendString(b, std::string(1024, 'Y'));
        AppendInt32(b, 1);
        cases.push_back({"tag name of 1024 characters", b, Case::Double});
    }
    {
        Bytes b;
        AppendInt32(b, 11);
        Append(b, {'Y', 'D', 'o', 'u', 'b', 'l', 'e', 'V', 'e', 'c', 'X'});
        AppendInt32(b, 1);
        AppendInt32(b, 0);
        cases.push_back({"tag name without terminator", b, Case::Double});
    }
    for (const Case& c : cases) {
        YPersistence archive;
        ASSERT_TRUE(archive.OpenBuffer(c.bytes.data(), c.bytes.size())) << c.name;
        bool loaded = false;
        switch (c.record) {
            case Case::Double: {
                YDoubleVec v;
                loaded = v.Serialize(archive);
                break;
            }
            case Case::Complex: {
                YComplexVec v;
                loaded = v.Serialize(archive);
                break;
            }
            case Case::String: {
                YString s;
                loaded = s.Serialize(archive);
                break;
            }
        }
        EXPECT_FALSE(loaded) << c.name;
    }
}

TEST_F(ArchiveTest, TagsPeekAndExpect) {
    Bytes b;
    AppendString(b, "YComplexVec");
    AppendInt32(b, 7);
    AppendString(b, std::string(1023, 'n'));  // the longest name accepted
    AppendInt32(b, 3);
    YPersistence archive;
    ASSERT_TRUE(archive.OpenBuffer(b.data(), b.size()));
    std::int32_t version = 0;
    EXPECT_FALSE(archive.ExpectTag("YDoubleVec", version));
    EXPECT_EQ(archive.Remaining(), b.size());                 // position unchanged
    EXPECT_FALSE(archive.ExpectTag("ycomplexvec", version));  // case-sensitive
    std::string name;
    ASSERT_TRUE(archive.PeekTag(name, version, true));
    EXPECT_EQ(name, "YComplexVec");
    EXPECT_EQ(version, 7);
    EXPECT_EQ(archive.Remaining(), b.size());
    ASSERT_TRUE(archive.ExpectTag("YComplexVec", version));
    EXPECT_EQ(version, 7);
    ASSERT_TRUE(archive.PeekTag(name, version, false));
    EXPECT_EQ(name.size(), 1023u);
    EXPECT_EQ(version, 3);
    EXPECT_EQ(archive.Remaining(), 0u);
}

TEST_F(ArchiveTest, ReadStringKeepsAtMostMaxChars) {
    Bytes b;
    AppendString(b, "abcdef");
    AppendInt32(b, 42);
    YPersistence archive;
    ASSERT_TRUE(archive.OpenBuffer(b.data(), b.size()));
    std::string s;
    ASSERT_TRUE(archive.ReadString(s, 3));
    EXPECT_EQ(s, "abc");
    std::int32_t next = 0;
    ASSERT_TRUE(archive.ReadInt32(next));  // the whole record was consumed
    EXPECT_EQ(next, 42);
}

TEST_F(ArchiveTest, ModesAreEnforced) {
    YPersistence archive;
    std::int32_t v = 0;
    EXPECT_FALSE(archive.WriteInt32(1));
    EXPECT_FALSE(archive.Close());
    ASSERT_TRUE(archive.Open(Path("m.bin"), true));
    EXPECT_FALSE(archive.Open(Path("other.bin"), true));
    EXPECT_FALSE(archive.ReadInt32(v));
    ASSERT_TRUE(archive.WriteInt32(5));
    ASSERT_TRUE(archive.Close());
    ASSERT_TRUE(archive.Open(Path("m.bin"), false));
    EXPECT_FALSE(archive.WriteInt32(1));
    ASSERT_TRUE(archive.ReadInt32(v));
    EXPECT_EQ(v, 5);
    EXPECT_FALSE(archive.ReadInt32(v));  // end of file
    EXPECT_TRUE(archive.Close());
    EXPECT_FALSE(archive.Open(Path("missing.bin"), false));
}

TEST_F(ArchiveTest, SaveReplacesTargetOnlyOnCleanClose) {
    WriteAll(Path("t.bin"), {1, 2, 3});
    {
        YPersistence archive;
        ASSERT_TRUE(archive.Open(Path("t.bin"), true));
        ASSERT_TRUE(archive.WriteInt32(9));
        EXPECT_EQ(ReadAll(Path("t.bin")), (Bytes{1, 2, 3}));  // not yet replaced
        archive.Abandon();
    }
    EXPECT_EQ(ReadAll(Path("t.bin")), (Bytes{1, 2, 3}));
    EXPECT_EQ(FileCount(), 1u);
    {
        YPersistence archive;
        ASSERT_TRUE(archive.Open(Path("t.bin"), true));
        ASSERT_TRUE(archive.WriteInt32(9));
    }  // the destructor closes as Close does
    EXPECT_EQ(ReadAll(Path("t.bin")), (Bytes{9, 0, 0, 0}));
    EXPECT_EQ(FileCount(), 1u);

    // A target that cannot be replaced (a directory): Close fails, nothing is left.
    fs::create_directory(Path("dir.bin"));
    fs::create_directory(Path("dir.bin") / "inside");
    YPersistence archive;
    ASSERT_TRUE(archive.Open(Path("dir.bin"), true));
    ASSERT_TRUE(archive.WriteInt32(1));
    EXPECT_FALSE(archive.Close());
    EXPECT_TRUE(fs::is_directory(Path("dir.bin") / "inside"));
    EXPECT_EQ(FileCount(), 2u);
}

TEST_F(ArchiveTest, FailedWriteMakesCloseFailAndKeepsTheOldFile) {
    WriteAll(Path("big.bin"), {7, 7});
    WriteAll(Path("big.txt"), {'o', 'l', 'd'});
    // A file size limit makes the writes fail as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::vector<char> block(5000, 'x');
    bool archiveWrite = true, archiveClose = true, fileClose = true;
    {
        YPersistence archive;
        if (archive.Open(Path("big.bin"), true)) {
            archiveWrite = archive.Write(block.data(), 1, block.size()) && archive.WriteInt32(1);
            archiveClose = archive.Close();
        }
        YFile file;
        if (file.Open(Path("big.txt"), true)) {
            file.WriteText(std::string_view(block.data(), 900));
            file.WriteText(std::string_view(block.data(), 900));  // buffered: fails only on flush
            fileClose = file.Close();
        }
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(archiveWrite && archiveClose);
    EXPECT_FALSE(archiveClose);
    EXPECT_FALSE(fileClose);
    EXPECT_EQ(ReadAll(Path("big.bin")), (Bytes{7, 7}));
    EXPECT_EQ(ReadAll(Path("big.txt")), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(FileCount(), 2u);
}

TEST_F(ArchiveTest, FileLinesAndModes) {
    std::string longLine(1000, 'z');
    WriteAll(Path("lines.txt"), Bytes{});
    {
        YFile file;
        ASSERT_TRUE(file.Open(Path("lines.txt"), true));
        EXPECT_EQ(file.Read(longLine.data(), 1, 1), 0u);  // no reads in writing mode
        ASSERT_TRUE(file.WriteText("first\r\n" + longLine + "\nlast"));
        ASSERT_TRUE(file.Close());
    }
    YFile file;
    ASSERT_TRUE(file.Open(Path("lines.txt"), false));
    EXPECT_FALSE(file.WriteText("x"));
    std::string line;
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, "first");
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, longLine);
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_TRUE(file.Close());
}
