// Loading and saving native files as documents: the messages, append mode
// all or nothing, atomic saves that keep the unsaved mark when they fail.

#include "Sonbex/Curves/CurveDocument.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/ScriptedFileChooser.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace sonbex::curves {
namespace {

namespace fs = std::filesystem;
using platform::PromptAnswer;

std::string FixturePath(const std::string& name) { return std::string(SONBEX_TEST_DATA) + "/Curves/" + name; }

std::string Slurp(const fs::path& p) {
    std::string s;
    EXPECT_TRUE(ReadWholeFile(p, s)) << p;
    return s;
}

class CurveDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sonbex-curvedoc-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
    }
    fs::path dir_;
    platform::RecordingPrompt prompt_;
};

TEST_F(CurveDocumentTest, LoadMessagesByFailure) {
    fs::path corrupt = dir_ / "short.sxf";
    { std::ofstream(corrupt, std::ios::binary) << Slurp(FixturePath("tiny_v3.sxf")).substr(0, 3000); }
    fs::path other = dir_ / "other.sxf";
    { std::ofstream(other, std::ios::binary) << "@SXZCURV002 and more"; }
    struct Case {
        fs::path file;
        CurveFileType type;
        const char* message;
    } cases[] = {
        {dir_ / "missing.sxf", CurveFileType::Sxf, kCouldntOpen},
        {corrupt, CurveFileType::Sxf, kCouldntOpen},
        {other, CurveFileType::Sxf, kWrongFormat},
        {dir_ / "missing.sxp", CurveFileType::Sxp, kCouldntOpen},  // impulses too
        {FixturePath("tiny_v3.sxf"), CurveFileType::Csd, kWrongFormat},
        {dir_ / "missing.smg", CurveFileType::Smg, kSmgOpenFailed},
        {FixturePath("tiny_v3.sxf"), CurveFileType::Smg, kSmgNotMultiGraph},
    };
    for (const Case& c : cases) {
        platform::RecordingPrompt prompt;
        CurveDocument doc(c.type);
        EXPECT_FALSE(doc.Load(c.file, false, prompt)) << c.file;
        ASSERT_EQ(prompt.Prompts().size(), 1u) << c.file;
        EXPECT_EQ(prompt.Prompts()[0].text, c.message) << c.file;
        EXPECT_EQ(prompt.Prompts()[0].caption, "Sonbex 3");
    }
}

TEST_F(CurveDocumentTest, AppendReadsEveryRecordFirst) {
    CurveDocument doc(CurveFileType::Sxf);
    ASSERT_TRUE(doc.Load(FixturePath("tiny_v3.sxf"), false, prompt_));
    ASSERT_EQ(doc.frequency.Size(), 2u);
    EXPECT_EQ(doc.frequency[0].Path(), FixturePath("tiny_v3.sxf"));
    EXPECT_FALSE(doc.IsModified());
    // The second record is cut short: nothing of the file is appended.
    const fs::path cut = dir_ / "cut.sxf";
    const std::string bytes = Slurp(FixturePath("tiny_v3.sxf"));
    { std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() - 10); }
    EXPECT_FALSE(doc.Load(cut, true, prompt_));
    EXPECT_EQ(doc.frequency.Size(), 2u);
    ASSERT_TRUE(doc.Load(FixturePath("mag_phase_only.sxf"), true, prompt_));
    ASSERT_EQ(doc.frequency.Size(), 3u);
    EXPECT_EQ(doc.frequency[2].Title(), "Mid");
    EXPECT_EQ(doc.frequency[2].ColourIndex(), 2);  // after the slots 0 and 1
}

TEST_F(CurveDocumentTest, SaveIsAtomicAndAFailureKeepsTheUnsavedMark) {
    CurveDocument doc(CurveFileType::Sxf);
    ASSERT_TRUE(doc.Load(FixturePath("tiny_v3.sxf"), false, prompt_));
    doc.frequency[0].AddLevel(1.0);
    EXPECT_TRUE(doc.IsModified());

    const fs::path target = dir_ / "out.sxf";
    { std::ofstream(target) << "old"; }
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);  // no temporary file can be made
    const bool writable = ::access(dir_.c_str(), W_OK) == 0;               // (root may write anyway)
    if (!writable) {
        EXPECT_FALSE(doc.Save(target, prompt_));
        EXPECT_TRUE(doc.IsModified());
        EXPECT_FALSE(doc.frequency[0].IsSaved());
        ASSERT_EQ(prompt_.Prompts().size(), 1u);
        EXPECT_EQ(prompt_.Prompts()[0].text, kCouldntSave);
        EXPECT_EQ(Slurp(target), "old");
    }
    fs::permissions(dir_, fs::perms::owner_all);
    // Into a folder that does not exist: the same message.
    platform::RecordingPrompt prompt;
    EXPECT_FALSE(doc.Save(dir_ / "no" / "such.sxf", prompt));
    ASSERT_EQ(prompt.Prompts().size(), 1u);
    EXPECT_EQ(prompt.Prompts()[0].text, kCouldntSave);
    EXPECT_TRUE(doc.IsModified());

    ASSERT_TRUE(doc.Save(target, prompt));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.frequency[1].Path(), target.string());
    CurveDocument back(CurveFileType::Sxf);
    ASSERT_TRUE(back.Load(target, false, prompt));
    EXPECT_FLOAT_EQ(back.frequency[0].FindCurve(CurveKind::Magnitude, true)->values[0], 81.0f);
    // No temporary file stays behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(CurveDocumentTest, RelativeOrNoPathAsksForOne) {
    CurveDocument doc(CurveFileType::Sxp);
    ASSERT_TRUE(doc.Load(FixturePath("impulse.sxp"), false, prompt_));
    platform::ScriptedFileChooser chooser;
    chooser.ScriptCancel();
    EXPECT_FALSE(doc.Save("relative.sxp", prompt_, &chooser));
    EXPECT_TRUE(prompt_.Prompts().empty());  // a cancel says nothing
    chooser.Script(dir_ / "chosen.sxp");
    ASSERT_TRUE(doc.Save("", prompt_, &chooser));
    ASSERT_EQ(chooser.Requests().size(), 2u);
    EXPECT_EQ(chooser.Requests()[1].title, "Save Impulse");
    EXPECT_EQ(chooser.Requests()[1].filter, "Impulse (*.SXP)|*.SXP|All Files (*.*)|*.*|");
    // The path field is the file's own path.
    EXPECT_EQ(doc.impulse.header.path, (dir_ / "chosen.sxp").string());
    ImpulseRecord r;
    ASSERT_EQ(DecodeSxp(Slurp(dir_ / "chosen.sxp"), r), DecodeStatus::Ok);
    EXPECT_EQ(r.header.path, (dir_ / "chosen.sxp").string());
}

TEST_F(CurveDocumentTest, UnsavedChangesAreOfferedForSavingBeforeAnotherLoad) {
    CurveDocument doc(CurveFileType::Sxz);
    ASSERT_TRUE(doc.Load(FixturePath("imp_loaded.sxz"), false, prompt_));
    doc.SetModified(true);
    prompt_.Script(PromptAnswer::Cancel);
    EXPECT_FALSE(doc.Load(FixturePath("imp_free.sxz"), false, prompt_));
    EXPECT_TRUE(doc.impedance.hasLoaded);
    prompt_.Script(PromptAnswer::No);
    EXPECT_TRUE(doc.Load(FixturePath("imp_free.sxz"), false, prompt_));
    EXPECT_FALSE(doc.impedance.hasLoaded);
    EXPECT_EQ(doc.impedance.header.path, FixturePath("imp_free.sxz"));
    ASSERT_EQ(prompt_.Prompts().size(), 2u);
    EXPECT_EQ(prompt_.Prompts()[0].text, kSaveChangesQuestion);
}

TEST_F(CurveDocumentTest, MultiGraphPathWithQuoteIsRefused) {
    CurveDocument doc(CurveFileType::Smg);
    ASSERT_TRUE(doc.Load(FixturePath("multi.smg"), false, prompt_));
    doc.multiGraph.entries[0].path = "/data/12\" woofer.sxf";
    EXPECT_FALSE(doc.Save(dir_ / "m.smg", prompt_));
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_NE(prompt_.Prompts()[0].text.find("'\"'"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "m.smg"));
}

TEST_F(CurveDocumentTest, TextTableHasAHeaderLine) {
    CurveDocument doc(CurveFileType::Sxz);
    ASSERT_TRUE(doc.Load(FixturePath("imp_free.sxz"), false, prompt_));
    const std::string table = doc.TextTable();
    EXPECT_EQ(table.substr(0, table.find('\n')), "Frequency (Hz)\tMagnitude (ohm)\tPhase (rad)");
    EXPECT_NE(table.find("\n10\t6.5\t0.100000001\n"), std::string::npos) << table;
}

}  // namespace
}  // namespace sonbex::curves
