#include "Sonbex/BoxDesign/SpeakerDatabaseFile.h"

namespace sonbex::boxdesign {

namespace fs = std::filesystem;
using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

fs::path UserDatabasePath(const platform::Paths& paths) { return paths.DataDir() / kDatabaseFileName; }

fs::path ShippedDatabasePath() { return platform::Paths::FindShippedFile(kDatabaseFileName); }

namespace {
DriverRecord Seed(const char* manufacturer, const char* model, const char* comment, double fs,
                  double vasLitres, double qes, double qms, double re, double leMh, double sdCm2,
                  double xmaxMm, double znom) {
    DriverRecord r;
    r.manufacturer = manufacturer;
    r.model = model;
    r.comment = comment;
    r.fs = fs;
    r.vas = vasLitres * 1e-3;
    r.qes = qes;
    r.qms = qms;
    r.re = re;
    r.le = leMh * 1e-3;
    r.le1k = r.le;
    r.sd = sdCm2 * 1e-4;
    r.xmax = xmaxMm * 1e-3;
    r.znom = znom;
    return r;
}
}  // namespace

std::vector<DriverRecord> SeedDriverRecords() {
    // Example drivers for trying the box designer; round numbers, no real product.
    return {
        Seed("Example", "Reference woofer 30 Hz", "The textbook driver: fs 30 Hz, Vas 50 l, Sd 200 cm2", 30,
             50, 0.4, 4, 6, 1.0, 200, 5, 8),
        Seed("Example", "Midwoofer 6.5", "A 6.5-inch mid-woofer for small vented boxes", 45, 22, 0.38, 3.5,
             5.6, 0.45, 133, 4.5, 8),
        Seed("Example", "Subwoofer 12", "A 12-inch subwoofer for closed or vented boxes", 22, 120, 0.42, 5.2,
             3.4, 1.8, 480, 10, 4),
        Seed("Example", "Midrange 4", "A 4-inch midrange, sealed back", 85, 2.4, 0.62, 3.1, 6.2, 0.12, 52,
             1.5, 8),
    };
}

void OpenSpeakerDatabase(YSpeakerData& db, const fs::path& userPath, const fs::path& shippedPath,
                         platform::IPrompt& prompt) {
    std::error_code ec;
    const bool userHasOne = fs::symlink_status(userPath, ec).type() != fs::file_type::not_found;
    if (!userHasOne && !shippedPath.empty() && fs::exists(shippedPath, ec)) {
        db.Load(shippedPath);
        if (db.WriteProtected()) {
            db.Close();  // a broken shipped file gives an empty database
        }
        db.SetPath(userPath);
        return;
    }
    if (!db.Load(userPath)) {
        if (db.LastError() == dberr::kUnreadable)
            prompt.Show("The driver database " + userPath.string() +
                            " can't be read, it is left as it is.\nChanges to the database can be saved to "
                            "another file when Sonbex 3 closes ! ",
                        PromptIcon::Error);
        return;
    }
    if (db.LastError() == dberr::kDamaged) prompt.Show(kDatabaseDamaged, PromptIcon::Error);
}

bool SaveSpeakerDatabaseAtExit(YSpeakerData& db, platform::IPrompt& prompt, platform::IFileChooser& chooser,
                               const platform::AtomicWriteOptions& options) {
    if (db.SaveAndClose(options)) return true;
    for (;;) {
        const bool isProtected = db.LastError() == dberr::kProtected;
        const std::string where = db.Path().string();
        if (!isProtected) {
            const PromptAnswer a = prompt.Show("Failed to save the driver database " + where + " ! ",
                                               PromptIcon::Error, PromptButtons::RetryCancel);
            if (a == PromptAnswer::Retry) {
                if (db.SaveAndClose(options)) return true;
                continue;
            }
        }
        const PromptAnswer other = prompt.Show(
            "Do you want to save the driver database to another file ? \n"
            "Otherwise the changes made to it are lost.",
            PromptIcon::Question, PromptButtons::YesNo);
        if (other != PromptAnswer::Yes) {
            db.Close();
            return false;
        }
        const auto chosen = chooser.SaveFile("Save the Speaker Database", "Speaker Database (*.SDB)|*.SDB|",
                                             db.Path(), ".SDB");
        if (chosen && db.SaveAs(*chosen, options)) {
            db.Close();
            return true;
        }
        // Cancelled or failed: ask again about another file.
        if (!chosen) continue;
    }
}

}  // namespace sonbex::boxdesign
