#include "Platform/RecordingPrompt.h"
#include "Platform/ScriptedFileChooser.h"
#include "Sonbex/BoxDesign/SpeakerDatabaseFile.h"
#include "Sonbex/BoxDesign/YSpeakerData.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <fstream>
#include <iterator>

namespace sonbex::boxdesign {
namespace {

namespace fs = std::filesystem;
using platform::PromptAnswer;

DriverRecord Driver(std::string manufacturer, std::string model, double fs = 40) {
    DriverRecord r;
    r.manufacturer = std::move(manufacturer);
    r.model = std::move(model);
    r.fs = fs;
    r.vas = 0.03;
    r.qes = 0.4;
    r.qms = 4;
    r.re = 6;
    r.le = 0.0005;
    r.le1k = 0.0006;
    r.le10k = 0.0003;
    r.sd = 0.013;
    r.xmax = 0.004;
    return r;
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

class SpeakerDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sonbex-spk-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::remove_all(dir_);
        EXPECT_TRUE(prompt_.Unexpected().empty());
    }
    // A database file of `records`, with `announced` in its header.
    fs::path DatabaseFile(const std::vector<DriverRecord>& records, int announced = -1) {
        YSpeakerData db;
        for (const auto& r : records) db.AddOrReplace(r, false, false);
        std::string bytes = db.FileBytes(DriverTimeStamp::Now());
        if (announced >= 0) le::PutI32(reinterpret_cast<std::uint8_t*>(bytes.data()) + 200, announced);
        const fs::path p = dir_ / kDatabaseFileName;
        WriteAll(p, bytes);
        return p;
    }
    fs::path dir_;
    platform::RecordingPrompt prompt_;
    platform::ScriptedFileChooser chooser_;
};

TEST_F(SpeakerDataTest, SavedDatabaseLoadsBackInOrder) {
    YSpeakerData db;
    db.SetPath(dir_ / kDatabaseFileName);
    db.AddOrReplace(Driver("Beta", "B1"), false, false);
    db.AddOrReplace(Driver("Alpha", "A1"), false, false);
    ASSERT_TRUE(db.Save());
    const std::string bytes = ReadAll(db.Path());
    ASSERT_EQ(bytes.size(), kDatabaseHeaderSize + 2 * kDriverRecordSize);
    EXPECT_EQ(bytes.substr(192, 8), "@SdLiB10");
    EXPECT_EQ(bytes.substr(0, 53), "Sonbex Analyzer 3 - Loudspeaker Driver Data Base v1.0");

    YSpeakerData back;
    ASSERT_TRUE(back.Load(db.Path()));
    EXPECT_EQ(back.LastError(), dberr::kNone);
    EXPECT_FALSE(back.Modified());
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.Get(back.First())->manufacturer, "Beta");
    EXPECT_EQ(*back.Get(back.Next()), Driver("Alpha", "A1"));
    EXPECT_EQ(back.Next(), kNoDriver);
}

TEST_F(SpeakerDataTest, LoadOutcomes) {
    const std::vector<DriverRecord> three = {Driver("A", "1"), Driver("B", "2"), Driver("C", "3")};
    struct Case {
        const char* name;
        std::function<fs::path()> make;
        bool result;
        int error;
        int count;
        bool writeProtected;
    } cases[] = {
        {"missing file is an empty database", [&] { return dir_ / "none.SDB"; }, true, dberr::kNoRecords, 0,
         false},
        {"complete file", [&] { return DatabaseFile(three); }, true, dberr::kNone, 3, false},
        {"cut in the middle of the third record",
         [&] {
             const fs::path p = DatabaseFile(three);
             fs::resize_file(p, kDatabaseHeaderSize + 2 * kDriverRecordSize + 500);
             return p;
         },
         true, dberr::kDamaged, 2, false},
        {"count larger than the file holds", [&] { return DatabaseFile(three, 1000000000); }, true,
         dberr::kDamaged, 3, false},
        {"no records", [&] { return DatabaseFile({}); }, true, dberr::kNoRecords, 0, false},
        {"wrong magic",
         [&] {
             const fs::path p = DatabaseFile(three);
             std::string b = ReadAll(p);
             b[192] = 'X';
             WriteAll(p, b);
             return p;
         },
         false, dberr::kUnreadable, 0, true},
        {"header cut short",
         [&] {
             const fs::path p = DatabaseFile(three);
             fs::resize_file(p, 100);
             return p;
         },
         false, dberr::kUnreadable, 0, true},
        {"a folder in its place",
         [&] {
             fs::create_directories(dir_ / "folder.SDB");
             return dir_ / "folder.SDB";
         },
         false, dberr::kUnreadable, 0, true},
    };
    for (const Case& c : cases) {
        YSpeakerData db;
        const fs::path p = c.make();
        EXPECT_EQ(db.Load(p), c.result) << c.name;
        EXPECT_EQ(db.LastError(), c.error) << c.name;
        EXPECT_EQ(db.Count(), c.count) << c.name;
        EXPECT_EQ(db.WriteProtected(), c.writeProtected) << c.name;
        EXPECT_EQ(db.Path(), p) << c.name;
        fs::remove_all(p);
    }
    YSpeakerData notEmpty;
    notEmpty.AddOrReplace(Driver("A", "1"), false, false);
    EXPECT_FALSE(notEmpty.Load(dir_ / "none.SDB"));
    EXPECT_EQ(notEmpty.LastError(), dberr::kNotEmpty);
}

TEST_F(SpeakerDataTest, WrongMagicIsNeverOverwrittenAndReportedOnce) {
    const fs::path p = dir_ / kDatabaseFileName;
    const std::string foreign = std::string(300, 'x');
    WriteAll(p, foreign);
    YSpeakerData db;
    prompt_.Script(PromptAnswer::Ok);
    OpenSpeakerDatabase(db, p, {}, prompt_);
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_NE(prompt_.Prompts()[0].text.find("can't be read"), std::string::npos);
    db.AddOrReplace(Driver("A", "1"), true, true);
    EXPECT_FALSE(db.Save());
    EXPECT_EQ(db.LastError(), dberr::kProtected);
    // At exit: offered another file; the user declines.
    prompt_.Script(PromptAnswer::No);
    EXPECT_FALSE(SaveSpeakerDatabaseAtExit(db, prompt_, chooser_));
    EXPECT_EQ(ReadAll(p), foreign);
    EXPECT_EQ(prompt_.Prompts().size(), 2u);
}

TEST_F(SpeakerDataTest, DamagedDatabaseIsReportedAndItsRecordsKept) {
    const fs::path p = DatabaseFile({Driver("A", "1"), Driver("B", "2")});
    fs::resize_file(p, kDatabaseHeaderSize + kDriverRecordSize + 10);
    YSpeakerData db;
    prompt_.Script(PromptAnswer::Ok);
    OpenSpeakerDatabase(db, p, {}, prompt_);
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_EQ(prompt_.Prompts()[0].text, kDatabaseDamaged);
    EXPECT_EQ(db.Count(), 1);
}

TEST_F(SpeakerDataTest, MissingUserDatabaseIsSeededFromTheShippedOne) {
    const fs::path shipped = DatabaseFile({Driver("Seed", "S1")});
    const fs::path user = dir_ / "user" / kDatabaseFileName;
    YSpeakerData db;
    OpenSpeakerDatabase(db, user, shipped, prompt_);
    EXPECT_TRUE(prompt_.Prompts().empty());
    EXPECT_EQ(db.Count(), 1);
    EXPECT_EQ(db.Path(), user);
    // Nothing changed: nothing written.
    EXPECT_TRUE(SaveSpeakerDatabaseAtExit(db, prompt_, chooser_));
    EXPECT_FALSE(fs::exists(user));
    OpenSpeakerDatabase(db, user, shipped, prompt_);
    db.AddOrReplace(Driver("Mine", "M1"), true, true);
    EXPECT_TRUE(SaveSpeakerDatabaseAtExit(db, prompt_, chooser_));
    YSpeakerData back;
    ASSERT_TRUE(back.Load(user));
    EXPECT_EQ(back.Count(), 2);
}

TEST_F(SpeakerDataTest, FailedSaveLeavesTheOldFileAndOffersRetryAndAnotherFile) {
    const fs::path p = DatabaseFile({Driver("A", "1")});
    const std::string before = ReadAll(p);
    YSpeakerData db;
    ASSERT_TRUE(db.Load(p));
    db.AddOrReplace(Driver("B", "2"), true, true);
    platform::AtomicWriteOptions failing;
    failing.beforeRename = [](const fs::path&) { return false; };
    EXPECT_FALSE(db.Save(failing));
    EXPECT_EQ(ReadAll(p), before);
    EXPECT_EQ(db.Count(), 2) << "the list is kept";
    EXPECT_TRUE(db.Modified());

    // Retry fails again, then the user picks another file.
    prompt_.Script(PromptAnswer::Retry);
    prompt_.Script(PromptAnswer::Cancel);
    prompt_.Script(PromptAnswer::Yes);
    const fs::path other = dir_ / "other.SDB";
    chooser_.Script(other.string());
    int attempts = 0;
    platform::AtomicWriteOptions failTwice;
    failTwice.beforeRename = [&attempts](const fs::path&) { return ++attempts > 2; };
    EXPECT_TRUE(SaveSpeakerDatabaseAtExit(db, prompt_, chooser_, failTwice));
    EXPECT_EQ(ReadAll(p), before);
    YSpeakerData back;
    ASSERT_TRUE(back.Load(other));
    EXPECT_EQ(back.Count(), 2);
    EXPECT_EQ(db.Count(), 0) << "closed once saved";
}

TEST_F(SpeakerDataTest, ReplaceByNameIgnoresCase) {
    YSpeakerData db;
    const DriverId first = db.AddOrReplace(Driver("acme", "w8", 30), true, true);
    const DriverId second = db.AddOrReplace(Driver("ACME", "W8", 35), true, true);
    EXPECT_EQ(first, second);
    EXPECT_EQ(db.Count(), 1);
    EXPECT_EQ(db.Get(first)->fs, 35);
    EXPECT_EQ(db.Get(first)->manufacturer, "ACME");
    EXPECT_EQ(db.FindByName("Acme", "w8"), first);
    EXPECT_EQ(db.FindOrAdd(Driver("ACME", "w8", 99)), first);
    EXPECT_EQ(db.Get(first)->fs, 35) << "FindOrAdd keeps the stored record";
    // Without replace a second record of the name is appended.
    db.AddOrReplace(Driver("Acme", "W8", 36), false, false);
    EXPECT_EQ(db.Count(), 2);
}

TEST_F(SpeakerDataTest, IdsStayValidOrFindNothingAfterRemoval) {
    YSpeakerData db;
    const DriverId a = db.AddOrReplace(Driver("A", "1"), true, true);
    const DriverId b = db.AddOrReplace(Driver("B", "2"), true, true);
    const DriverId c = db.AddOrReplace(Driver("C", "3"), true, true);
    db.SetCurrent(b);
    EXPECT_TRUE(db.Remove(b));
    EXPECT_EQ(db.Current(), c) << "current moves to the next";
    EXPECT_EQ(db.Get(b), nullptr);
    EXPECT_FALSE(db.Remove(b));
    EXPECT_EQ(db.Get(a)->model, "1");
    db.SortByName();
    EXPECT_EQ(db.Get(c)->model, "3") << "sorting keeps ids";
    db.Close();
    EXPECT_EQ(db.Get(a), nullptr);
}

TEST_F(SpeakerDataTest, SortAndDuplicates) {
    YSpeakerData db;
    DriverRecord commentOnly = Driver("zeta", "Z1");
    commentOnly.comment = "other comment";
    commentOnly.source = kOldDriverSource;
    db.AddOrReplace(Driver("Zeta", "z1"), false, false);
    db.AddOrReplace(Driver("alpha", "B"), false, false);
    db.AddOrReplace(commentOnly, false, false);               // duplicate: differs in comment and source only
    db.AddOrReplace(Driver("ZETA", "Z1", 41), false, false);  // differs in fs: kept
    db.AddOrReplace(Driver("Alpha", "a"), false, false);
    EXPECT_EQ(db.RemoveDuplicates(), 1);
    db.SortByName();
    std::vector<std::string> order;
    for (DriverId id : db.Ids()) order.push_back(db.Get(id)->manufacturer + "/" + db.Get(id)->model);
    EXPECT_EQ(order, (std::vector<std::string>{"Alpha/a", "alpha/B", "Zeta/z1", "ZETA/Z1"}));
    EXPECT_EQ(YSpeakerData::CompareRecords(Driver("a", "b"), Driver("A", "B"), false, true, true), 1);
    EXPECT_EQ(YSpeakerData::CompareRecords(Driver("a", "b"), Driver("A", "B"), true, true, true), 0);
}

TEST_F(SpeakerDataTest, OldDriverFiles) {
    DriverRecord good = Driver("Old", "Woofer");
    good.comment = "from an old program version";
    good.le = 0;
    good.xmax = -1;
    struct Case {
        const char* name;
        std::string bytes;
        bool ok;
        int error;
    } cases[] = {
        {"valid", YSpeakerData::OldDriverFileBytes(good), true, dberr::kNone},
        {"wrong magic", "@XX100" + std::string(512, '\0'), false, dberr::kBadMagic},
        {"block cut short", YSpeakerData::OldDriverFileBytes(good).substr(0, 517), false, dberr::kTooShort},
        {"tiny", "@S", false, dberr::kTooShort},
        {"fs zero", YSpeakerData::OldDriverFileBytes(Driver("Old", "Zero", 0)), false, dberr::kBadValues},
    };
    for (const Case& c : cases) {
        const fs::path p = dir_ / "driver.spk";
        WriteAll(p, c.bytes);
        DriverRecord r;
        int error = -1;
        EXPECT_EQ(YSpeakerData::ImportOldDriverFile(p, r, &error), c.ok) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        if (c.ok) {
            EXPECT_EQ(r.manufacturer, "Old");
            EXPECT_EQ(r.comment, good.comment);
            EXPECT_EQ(r.source, kOldDriverSource);
            EXPECT_TRUE(r.stamp.valid);
            EXPECT_EQ(r.le, 0.0);
            EXPECT_EQ(r.le1k, 0.001) << "Le not positive: 1 mH in the table";
            EXPECT_EQ(r.xmax, 0.001);
            EXPECT_EQ(r.fs, good.fs);
        }
    }
    DriverRecord r;
    int error = 0;
    EXPECT_FALSE(YSpeakerData::ImportOldDriverFile(dir_ / "absent.spk", r, &error));
    EXPECT_EQ(error, dberr::kCannotOpen);
}

TEST_F(SpeakerDataTest, FolderImportTwiceAddsNothingAndSkipsLinkedFolders) {
    const fs::path in = dir_ / "in";
    fs::create_directories(in / "sub");
    fs::create_directories(dir_ / "elsewhere");
    WriteAll(in / "a.spk", YSpeakerData::OldDriverFileBytes(Driver("Maker", "A")));
    WriteAll(in / "b.SPK", YSpeakerData::OldDriverFileBytes(Driver("Maker", "B")));
    WriteAll(in / "notes.txt", "not a driver");
    WriteAll(in / ".hidden.spk", YSpeakerData::OldDriverFileBytes(Driver("Maker", "Hidden")));
    WriteAll(in / "sub" / "c.spk", YSpeakerData::OldDriverFileBytes(Driver("Maker", "C")));
    WriteAll(dir_ / "elsewhere" / "d.spk", YSpeakerData::OldDriverFileBytes(Driver("Maker", "D")));
    fs::create_directory_symlink(dir_ / "elsewhere", in / "linked");
    fs::create_directory_symlink(in, in / "sub" / "loop");

    YSpeakerData db;
    EXPECT_TRUE(db.Import(in, true, false));
    EXPECT_EQ(db.Count(), 2);
    EXPECT_TRUE(db.Import(in, true, true));
    EXPECT_EQ(db.Count(), 3) << "the sub-folder adds C only; the linked folders are not followed";
    EXPECT_TRUE(db.Import(in, true, true));
    EXPECT_EQ(db.Count(), 3) << "a second import adds 0";
    EXPECT_EQ(db.FindByName("maker", "d"), kNoDriver);
    EXPECT_FALSE(db.Import(dir_ / "elsewhere" / "missing.spk", false, false));
    EXPECT_TRUE(db.Import(dir_ / "elsewhere" / "d.spk", false, false));
    EXPECT_EQ(db.Count(), 4);
}

TEST_F(SpeakerDataTest, TextExport) {
    YSpeakerData db;
    db.SetPath(dir_ / kDatabaseFileName);
    EXPECT_FALSE(db.ExportText(dir_ / "list.txt")) << "empty";
    DriverRecord r = Driver("A manufacturer name longer than 25", "W8");
    r.fs = 30;
    r.vas = 0.05;
    r.sd = 0.02;
    r.qes = 0.4;
    r.qms = 4;
    r.re = 6;
    r.le = 0.001;
    r.xmax = 0.005;
    db.AddOrReplace(r, true, true);
    EXPECT_FALSE(db.ExportText(dir_ / kDatabaseFileName)) << "never over the database";
    ASSERT_TRUE(db.ExportText(dir_ / "list.txt"));
    const std::string text = ReadAll(dir_ / "list.txt");
    const std::string header =
        "Brand                     Model                     fs   Hz Vas   l SD  cm\xB2 QES     QMS     QTS  "
        "   Re "
        "Ohms Le   mH Xmax \xB1mm\r\n";
    ASSERT_EQ(text.substr(0, header.size()), header);
    const std::size_t line = text.find("\r\n", header.size()) + 2;
    EXPECT_EQ(
        text.substr(line, text.find("\r\n", line) - line),
        "A manufacturer name longe W8                          30.00   50.00  200.00  0.4000  4.0000  0.3636"
        "    6.00  1.0000     5.00 ");
    EXPECT_NE(text.find("; Total: 1 units\r\n"), std::string::npos);
}

TEST_F(SpeakerDataTest, ShippedDatabaseHoldsTheSeedRecords) {
    const fs::path shipped = fs::path(SONBEX_TEST_DATA) / "../../share/sonbex3" / kDatabaseFileName;
    YSpeakerData db;
    ASSERT_TRUE(db.Load(shipped));
    EXPECT_EQ(db.LastError(), dberr::kNone);
    const std::vector<DriverRecord> seed = SeedDriverRecords();
    ASSERT_EQ(db.Count(), static_cast<int>(seed.size()));
    std::size_t i = 0;
    for (DriverId id : db.Ids()) EXPECT_EQ(*db.Get(id), seed[i++]);
}

}  // namespace
}  // namespace sonbex::boxdesign
