#include "../../../YWin/GuiTestApp.h"

#include "Platform/RecordingPrompt.h"
#include "Platform/ScriptedFileChooser.h"
#include "Sonbex/BoxDesign/SpeakerDatabaseFile.h"
#include "Sonbex/BoxDesign/ui/DriverToolsWiring.h"
#include "Sonbex/BoxDesign/ui/YSpkDbaseMgr.h"
#include "Sonbex/PostProcessing/ui/CalcTSDialog.h"
#include "Sonbex/Shell/CommandTable.h"
#include "Sonbex/Shell/ui/SonbexApp.h"
#include "YWin/RecordingCanvas.h"
#include "YWin/YDialogItems.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>

namespace sonbex::boxdesign {
namespace {

namespace fs = std::filesystem;
using platform::PromptAnswer;

DriverRecord Driver(std::string manufacturer, std::string model) {
    DriverRecord r;
    r.manufacturer = std::move(manufacturer);
    r.model = std::move(model);
    r.fs = 40;
    r.vas = 0.03;
    r.qes = 0.4;
    r.qms = 4;
    r.re = 6;
    r.le = 0.0005;
    r.le1k = 0.0006;
    r.le20k = 0.0002;
    r.sd = 0.013;
    r.xmax = 0.004;
    r.znom = 8;
    return r;
}

// Z = Re + j w Le + Bl^2 / (Rms + j w M + K / (j w)) of a driver with fs 50 Hz,
// Qms 5, Qes 0.4, Mms 20 g, Re 6 ohm; `mass` added, `stiffness` added.
postprocessing::ImpedanceCurve Curve(double mass = 0) {
    const double pi = std::numbers::pi, w0 = 2 * pi * 50, mms = 0.02;
    const double k = w0 * w0 * mms, rms = w0 * mms / 5, bl2 = w0 * mms * 6 / 0.4;
    postprocessing::ImpedanceCurve c;
    for (int i = 0; i < 24 * 11; ++i) {
        const double f = 10 * std::pow(2.0, i / 24.0), w = 2 * pi * f;
        const std::complex<double> z =
            std::complex<double>(6, w * 0.2e-3) + bl2 / std::complex<double>(rms, w * (mms + mass) - k / w);
        c.frequency.push_back(f);
        c.magnitude.push_back(std::abs(z));
        c.phase.push_back(std::arg(z));
    }
    return c;
}

class DriverToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::GuiApp();
        dir_ = fs::temp_directory_path() / ("sonbex-drv-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        EXPECT_TRUE(prompt_.Unexpected().empty())
            << "unexpected prompt: " << (prompt_.Unexpected().empty() ? "" : prompt_.Unexpected()[0].text);
        EXPECT_TRUE(chooser_.Unexpected().empty());
        fs::remove_all(dir_);
    }
    static void Click(QWidget* dialog, int id) { ywin::FindItemAs<QPushButton>(dialog, id)->click(); }
    static QTreeWidgetItem* ModelItem(QTreeWidget* tree, const QString& maker, const QString& model) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* m = tree->topLevelItem(i);
            if (m->text(0).compare(maker, Qt::CaseInsensitive) != 0) continue;
            for (int k = 0; k < m->childCount(); ++k)
                if (m->child(k)->text(0) == model) return m->child(k);
        }
        return nullptr;
    }
    fs::path dir_;
    platform::RecordingPrompt prompt_;
    platform::ScriptedFileChooser chooser_;
};

TEST_F(DriverToolsTest, DatabaseDialogEditsAddsAndDeletes) {
    YSpkDbaseMgr manager(prompt_, chooser_, {});
    YSpeakerData& db = manager.Data();
    db.AddOrReplace(Driver("ACME", "W8"), true, true);
    db.AddOrReplace(Driver("acme", "W10"), true, true);
    db.AddOrReplace(Driver("Beta", "T1"), true, true);
    SpeakerDatabaseDialog* dialog = manager.OpenModeless(kNoDriver, nullptr);
    ASSERT_NE(dialog, nullptr);
    QTreeWidget* tree = dialog->Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 2) << "manufacturers grouped without regard to case";
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 2);
    EXPECT_FALSE(ywin::FindItem(dialog, kIdDeleteDriver)->isEnabled());

    // Select W8, change fs only: the Le table and Znom stay.
    tree->setCurrentItem(ModelItem(tree, "ACME", "W8"));
    EXPECT_EQ(ywin::ItemText(dialog, kIdFs), "40.0000");
    EXPECT_EQ(ywin::ItemText(dialog, kIdLevc), "0.5000");
    EXPECT_EQ(ywin::ItemText(dialog, kIdQts), "0.3636");
    EXPECT_TRUE(ywin::FindItem(dialog, kIdDeleteDriver)->isEnabled());
    ywin::SetItemText(dialog, kIdFs, "42");
    Click(dialog, kIdAddUpdate);
    EXPECT_EQ(db.Count(), 3);
    const DriverRecord& w8 = *db.Get(db.FindByName("acme", "w8"));
    EXPECT_EQ(w8.fs, 42);
    EXPECT_EQ(w8.le1k, 0.0006);
    EXPECT_EQ(w8.le20k, 0.0002);
    EXPECT_EQ(w8.znom, 8);

    // Le 0 is named, nothing changes.
    ywin::SetItemText(dialog, kIdLevc, "0");
    prompt_.Script(PromptAnswer::Ok);
    Click(dialog, kIdAddUpdate);
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_NE(prompt_.Prompts()[0].text.find("Levc (m.H)"), std::string::npos);
    EXPECT_EQ(db.Get(db.FindByName("acme", "w8"))->le, 0.0005);
    prompt_.Clear();

    // A new driver.
    Click(dialog, kIdNewDriver);
    EXPECT_EQ(ywin::ItemText(dialog, kIdFs), "");
    const std::pair<int, const char*> typed[] = {{kIdManufacturer, "Gamma"},
                                                 {kIdModel, "G5"},
                                                 {kIdFs, "60"},
                                                 {kIdVas, "10"},
                                                 {kIdQes, "0.5"},
                                                 {kIdQts, "0.4"},
                                                 {kIdVd, "0.1"},
                                                 {kIdXmax, "5"},
                                                 {kIdRevc, "6,2"},
                                                 {kIdLevc, "0.4"}};
    for (const auto& [id, text] : typed) ywin::SetItemText(dialog, id, text);
    Click(dialog, kIdAddUpdate);
    const DriverId g5 = db.FindByName("Gamma", "G5");
    ASSERT_NE(g5, kNoDriver);
    EXPECT_NEAR(db.Get(g5)->qms, 2.0, 1e-12);
    EXPECT_NEAR(db.Get(g5)->sd, 0.02, 1e-12);
    EXPECT_EQ(db.Get(g5)->re, 6.2);
    EXPECT_EQ(dialog->CurrentDriver(), g5);
    EXPECT_EQ(tree->topLevelItemCount(), 3);

    // Delete asks first.
    prompt_.Script(PromptAnswer::No);
    Click(dialog, kIdDeleteDriver);
    EXPECT_TRUE(db.Contains(g5));
    prompt_.Script(PromptAnswer::Yes);
    Click(dialog, kIdDeleteDriver);
    EXPECT_FALSE(db.Contains(g5));
    EXPECT_EQ(dialog->CurrentDriver(), kNoDriver);
    EXPECT_EQ(prompt_.Prompts().back().text, kDeleteDriverQuestion);
    EXPECT_FALSE(ywin::FindItem(dialog, kIdDeleteDriver)->isEnabled());
    dialog->End(0);
}

TEST_F(DriverToolsTest, DatabaseDialogImportsAndExports) {
    fs::create_directories(dir_ / "old");
    for (const char* model : {"A", "B"}) {
        std::ofstream out(dir_ / "old" / (std::string(model) + ".spk"), std::ios::binary);
        out << YSpeakerData::OldDriverFileBytes(Driver("Old", model));
    }
    YSpkDbaseMgr manager(prompt_, chooser_, {});
    SpeakerDatabaseDialog* dialog = manager.OpenModeless(kNoDriver, nullptr);
    for (int round = 0; round < 2; ++round) {
        chooser_.Script(dir_ / "old");
        prompt_.Script(PromptAnswer::Ok);
        Click(dialog, kIdImportDir);
    }
    ASSERT_EQ(prompt_.Prompts().size(), 2u);
    EXPECT_EQ(prompt_.Prompts()[0].text,
              "Found 2 new speaker drivers, there is now a grand total of 2 drivers.");
    EXPECT_EQ(prompt_.Prompts()[0].caption, "Import Result");
    EXPECT_EQ(prompt_.Prompts()[1].text,
              "Found 0 new speaker drivers, there is now a grand total of 2 drivers.");
    EXPECT_EQ(chooser_.Requests()[0].title, kImportTitle);
    EXPECT_EQ(dialog->Tree()->topLevelItem(0)->childCount(), 2);

    chooser_.Script(dir_ / "list.txt");
    Click(dialog, kIdExportList);
    EXPECT_TRUE(fs::exists(dir_ / "list.txt"));
    dialog->End(0);
}

TEST_F(DriverToolsTest, ThieleSmallDialogCalculatesCopiesPrintsInsertsAndWritesBack) {
    YSpeakerData db;
    postprocessing::TSRecord record;
    int changed = 0;
    std::string copied;
    ywin::RecordingCanvas canvas;
    postprocessing::CalcTSServices services;
    services.prompt = &prompt_;
    services.database = &db;
    services.copyText = [&copied](const std::string& t) {
        copied = t;
        return true;
    };
    services.print = [&canvas](const std::function<void(ywin::ICanvas&, const ywin::YRect&)>& draw) {
        draw(canvas, {0, 0, 800, 1000});
        return true;
    };
    services.changed = [&changed] { ++changed; };
    using namespace postprocessing;
    CalcTSDialog dialog(Curve(), Curve(0.010), record, services);
    ASSERT_TRUE(dialog.Create(false));
    EXPECT_EQ(ywin::ItemText(&dialog, kIdTsAddedLabel), "Ma (g)");
    EXPECT_FALSE(ywin::FindItem(&dialog, kIdTsInsert)->isEnabled());

    // Revc above the maximum is refused with a message.
    ywin::SetItemText(&dialog, kIdTsRevc, "100");
    ywin::SetItemText(&dialog, kIdTsDiaphragm, "133");
    ywin::SetItemText(&dialog, kIdTsAdded, "10");
    prompt_.Script(PromptAnswer::Ok);
    Click(&dialog, kIdTsRecalc);
    ASSERT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_NE(prompt_.Prompts()[0].text.find("below the impedance maximum"), std::string::npos);

    ywin::SetItemText(&dialog, kIdTsRevc, "6");
    ywin::SetItemText(&dialog, kIdTsManufacturer, "ACME");
    ywin::SetItemText(&dialog, kIdTsModel, "W8");
    Click(&dialog, kIdTsRecalc);
    EXPECT_EQ(prompt_.Prompts().size(), 1u);
    EXPECT_NEAR(ywin::ItemDouble(&dialog, kIdTsFs).value(), 50, 0.25);
    EXPECT_NEAR(ywin::ItemDouble(&dialog, kIdTsMms).value(), 20.0, 0.1);
    EXPECT_TRUE(ywin::FindItem(&dialog, kIdTsInsert)->isEnabled());

    Click(&dialog, kIdTsCopy);
    EXPECT_NE(copied.find("Brand: \tACME\r\n"), std::string::npos);
    Click(&dialog, kIdTsPrint);
    const auto texts = canvas.OpsOf("text ");
    EXPECT_FALSE(texts.empty());
    bool model = false;
    for (const auto& t : texts) model = model || t.find("W8") != std::string::npos;
    EXPECT_TRUE(model) << "the printed table names the model";
    Click(&dialog, kIdTsInsert);
    EXPECT_EQ(db.Count(), 1);
    EXPECT_EQ(record.freeAir.fs, 0) << "nothing reaches the set before OK";
    Click(&dialog, kIdTsOk);
    EXPECT_EQ(changed, 1) << "the impedance set is marked unsaved";
    EXPECT_EQ(record.model, "W8");
    EXPECT_NEAR(record.mms, 0.020, 0.0001);
}

TEST_F(DriverToolsTest, ThieleSmallDialogLabelsFollowTheMethodAndTheDiaphragmEntry) {
    using namespace postprocessing;
    postprocessing::TSRecord record;
    CalcTSServices services;
    services.prompt = &prompt_;
    // A loaded resonance above the free-air one: a closed box.
    CalcTSDialog box(Curve(), Curve(-0.005), record, services);
    ASSERT_TRUE(box.Create(false));
    EXPECT_EQ(ywin::ItemText(&box, kIdTsAddedLabel), "Vt (l)");
    EXPECT_EQ(ywin::ItemText(&box, kIdTsDiaphragmLabel), QStringLiteral("SD-Area (cm\u00B2)"));
    ywin::SetItemText(&box, kIdTsDiaphragm, "133");
    ywin::FindItemAs<QAbstractButton>(&box, kIdTsArea)->click();
    EXPECT_EQ(ywin::ItemText(&box, kIdTsDiaphragmLabel), "DD-Dia (cm)");
    EXPECT_EQ(ywin::ItemText(&box, kIdTsDiaphragm), "14.89");
    ywin::FindItemAs<QAbstractButton>(&box, kIdTsArea)->click();
    EXPECT_NEAR(ywin::ItemDouble(&box, kIdTsDiaphragm).value(), 133, 0.1);
    box.End(0);

    // Free air only: no added value, no insert; Scan Revc proposes 0.8 x the smallest |Z|.
    CalcTSDialog freeAir(Curve(), std::nullopt, record, services);
    ASSERT_TRUE(freeAir.Create(false));
    EXPECT_FALSE(ywin::FindItem(&freeAir, kIdTsAdded)->isEnabled());
    EXPECT_FALSE(ywin::FindItem(&freeAir, kIdTsInsert)->isEnabled());
    Click(&freeAir, kIdTsScanRevc);
    EXPECT_NEAR(ywin::ItemDouble(&freeAir, kIdTsRevc).value(), 0.8 * 6, 0.05);
    Click(&freeAir, kIdTsCancel);
    EXPECT_EQ(record.freeAir.fs, 0);
}

TEST_F(DriverToolsTest, FrameOpensTheSeededDatabaseAndSavesItAtExit) {
    shell::SonbexAppOptions o;
    o.settingsFile = dir_ / "settings.json";
    o.presenter = &prompt_;
    o.modalDialogs = false;
    const platform::Paths paths({dir_.string(), (dir_ / "config").string(), (dir_ / "data").string(), ""});
    o.paths = paths;
    auto app = std::make_unique<shell::SonbexApp>(std::move(o));
    app->SetFileChooser(&chooser_);
    EXPECT_FALSE(app->IsAvailable(shell::cmd::kSpeakerDatabase));
    YSpkDbaseMgr* manager = InstallDriverTools(*app, paths);
    EXPECT_TRUE(app->IsAvailable(shell::cmd::kSpeakerDatabase));
    EXPECT_TRUE(app->IsEnabled(shell::cmd::kSpeakerDatabase));
    EXPECT_TRUE(app->IsAvailable(shell::cmd::kThieleSmallFromCurves));
    app->Start();
    EXPECT_EQ(manager->Data().Count(), static_cast<int>(SeedDriverRecords().size()))
        << "seeded from the shipped database";
    manager->Data().AddOrReplace(Driver("Mine", "M1"), true, true);
    EXPECT_TRUE(app->close());
    app.reset();
    YSpeakerData saved;
    ASSERT_TRUE(saved.Load(dir_ / "data" / "sonbex3" / kDatabaseFileName));
    EXPECT_EQ(saved.Count(), static_cast<int>(SeedDriverRecords().size()) + 1);
}

}  // namespace
}  // namespace sonbex::boxdesign
