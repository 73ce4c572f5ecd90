#include "Sonbex/BoxDesign/ui/DriverToolsWiring.h"

#include "Sonbex/BoxDesign/SpeakerDatabaseFile.h"
#include "Sonbex/BoxDesign/ui/YSpkDbaseMgr.h"
#include "Sonbex/PostProcessing/ui/CalcTSDialog.h"
#include "Sonbex/Shell/CommandTable.h"
#include "Sonbex/Shell/HelpService.h"
#include "Sonbex/Shell/ui/SonbexApp.h"

namespace sonbex::boxdesign {

namespace {

constexpr int kDatabaseHelpTopic = 1260;
constexpr const char* kCurveFilter = "Impedance tables (*.zma *.txt)|*.zma;*.txt|All Files (*.*)|*.*|";

// The curve of a text table; empty (the user told why) when it can't be read.
std::optional<postprocessing::ImpedanceCurve> AskForCurve(shell::SonbexApp& app, const char* title) {
    const auto file = app.FileChooser().OpenFile(title, kCurveFilter);
    if (!file) return std::nullopt;
    postprocessing::ImpedanceCurve curve;
    std::string error;
    if (!postprocessing::ReadImpedanceTable(*file, curve, error)) {
        app.Prompt().Show(std::string(shell::kImportFailed) + error, platform::PromptIcon::Error);
        return std::nullopt;
    }
    return curve;
}

}  // namespace

YSpkDbaseMgr* InstallDriverTools(shell::SonbexApp& app, const platform::Paths& paths) {
    auto* manager = new YSpkDbaseMgr(
        app.Prompt(), app.FileChooser(),
        [&app] { app.Help().ShowPage(shell::HelpPageForTopic(kDatabaseHelpTopic)); }, &app);
    const std::filesystem::path userFile = UserDatabasePath(paths);

    app.AddStartupStep(shell::SonbexApp::StartupStage::FrameShown, [manager, &app, userFile] {
        OpenSpeakerDatabase(manager->Data(), userFile, ShippedDatabasePath(), app.Prompt());
    });
    app.AddExitSaver(
        [manager, &app] { SaveSpeakerDatabaseAtExit(manager->Data(), app.Prompt(), app.FileChooser()); });
    app.SetCommandHandler(shell::cmd::kSpeakerDatabase,
                          [manager, &app] { manager->SelectDriver(kNoDriver, &app); });

    // Until impedance documents carry their own record, the last results are
    // kept here, so the dialog shows them again for the next curves.
    auto record = std::make_shared<postprocessing::TSRecord>();
    app.SetCommandHandler(shell::cmd::kThieleSmallFromCurves, [manager, &app, record] {
        auto freeAir = AskForCurve(app, "Open the free-air impedance curve");
        if (!freeAir) return;
        std::optional<postprocessing::ImpedanceCurve> loaded;
        const auto answer = app.Prompt().Show(
            "Is there a second curve, measured with an added mass or in a closed test box ? ",
            platform::PromptIcon::Question, platform::PromptButtons::YesNoCancel);
        if (answer == platform::PromptAnswer::Cancel) return;
        if (answer == platform::PromptAnswer::Yes) {
            loaded = AskForCurve(app, "Open the loaded impedance curve");
            if (!loaded) return;
        }
        postprocessing::CalcTSServices services;
        services.prompt = &app.Prompt();
        services.database = &manager->Data();
        services.store = &app.Store();
        postprocessing::RunCalcTS(std::move(*freeAir), std::move(loaded), *record, services, &app);
    });
    return manager;
}

}  // namespace sonbex::boxdesign
