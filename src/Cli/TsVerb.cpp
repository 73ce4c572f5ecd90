// ts: Thiele-Small parameters from a free-air impedance curve, and with a
// second curve (added mass or closed test box) the whole parameter set.

#include "Cli/CliVerb.h"
#include "Cli/Verbs.h"

#include "Platform/NumberText.h"
#include "Platform/StderrPrompt.h"
#include "Sonbex/BoxDesign/SpeakerDatabaseFile.h"
#include "Sonbex/BoxDesign/StoredText.h"
#include "Sonbex/PostProcessing/CalcTS.h"
#include "YLib/YText.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

namespace sonbex::cli {

namespace {

using postprocessing::CalcTS;
using postprocessing::ImpedanceCurve;
using postprocessing::TSRecord;

// Every impedance curve this verb takes comes through here.
ImpedanceCurve ReadImpedanceInput(const std::string& path) {
    ImpedanceCurve curve;
    std::string error;
    if (!postprocessing::ReadImpedanceTable(path, curve, error)) throw VerbFailure(error);
    return curve;
}

struct TsOptions {
    std::string freeAir;
    std::vector<std::string> addedMass;  // G LOADED
    std::vector<std::string> boxVolume;  // L LOADED
    double re = 0;
    double sd = 0;
    double diameter = 0;
    double xmax = 0;
    std::string manufacturer, model, comment;
    bool insert = false;
    std::string database;
};

double NumberArg(const std::string& text, const char* option) {
    const auto v = platform::ParseDoubleWhole(text);
    if (!v) throw VerbFailure(std::string(option) + " expects a number, not '" + text + "'");
    return *v;
}

std::string F(double v, int decimals) { return platform::FormatFixed(v, decimals); }

std::string Text(const TSRecord& r, bool withMass) {
    std::string t;
    auto line = [&t](const char* label, const std::string& value) {
        std::string l = label;
        l.resize(16, ' ');
        t += l + value + "\n";
    };
    line("fs", F(r.freeAir.fs, 2) + " Hz");
    line("Qms", F(r.freeAir.qms, 4));
    line("Qes", F(r.freeAir.qes, 4));
    line("Qts", F(r.qts, 4));
    line("Revc", F(r.revc, 4) + " Ohms");
    line("Zmax", F(r.freeAir.zmax, 4) + " Ohms");
    line("Znom", F(r.freeAir.znom, 1) + " Ohms");
    const char* bands[4] = {"Levc @ 1kHz", "Levc @ 5kHz", "Levc @ 10kHz", "Levc @ 20kHz"};
    for (int i = 0; i < 4; ++i)
        if (r.freeAir.levc[i] > 0) line(bands[i], F(r.freeAir.levc[i] * 1000, 4) + " mH");
    line("Levc (Ave)", F(r.freeAir.levcAverage * 1000, 4) + " mH");
    if (r.sd > 0) line("Sd", F(r.sd * 1e4, 2) + " cm2");
    if (r.xmax > 0) line("Xmax", F(r.xmax * 1000, 2) + " mm");
    if (withMass) {
        line("method", r.deltaMass ? "Delta Mass" : "Delta Compliance");
        line(r.deltaMass ? "added mass" : "test volume", F(r.added * 1000, 2) + (r.deltaMass ? " g" : " l"));
        line("fs loaded", F(r.loaded.fs, 2) + " Hz");
        line("Qms loaded", F(r.loaded.qms, 4));
        line("Qes loaded", F(r.loaded.qes, 4));
        line("Vas", F(r.vas * 1000, 2) + " l");
        line("Cms", F(r.cms * 1000, 4) + " mm/N");
        line("Mms", F(r.mms * 1000, 4) + " g");
        line("Mmd", F(r.mmd * 1000, 4) + " g");
        line("Bl", F(r.bl, 4) + " T*m");
        line("Rms", F(r.rms, 4) + " kg/s");
        line("eta0", F(r.eta0 * 100, 4) + " %");
        line("SPL 1W/1m", F(r.spl1W, 2) + " dB");
        line("SPL 2.83V/1m", F(r.spl2V83, 2) + " dB");
    }
    return t;
}

nlohmann::json Json(const TSRecord& r, bool withMass, bool revcScanned) {
    auto curve = [](const postprocessing::CurveResults& c) {
        return nlohmann::json{
            {"fs_hz", c.fs},
            {"qms", c.qms},
            {"qes", c.qes},
            {"zmax_ohm", c.zmax},
            {"znom_ohm", c.znom},
            {"levc_h", {{"1k", c.levc[0]}, {"5k", c.levc[1]}, {"10k", c.levc[2]}, {"20k", c.levc[3]}}},
            {"levc_average_h", c.levcAverage}};
    };
    nlohmann::json j = curve(r.freeAir);
    j["qts"] = r.qts;
    j["revc_ohm"] = r.revc;
    j["revc_scanned"] = revcScanned;
    j["sd_m2"] = r.sd;
    j["xmax_m"] = r.xmax;
    if (withMass) {
        j["method"] = r.deltaMass ? "delta mass" : "delta compliance";
        j[r.deltaMass ? "added_mass_kg" : "test_volume_m3"] = r.added;
        j["loaded"] = curve(r.loaded);
        j["vas_m3"] = r.vas;
        j["cms_m_per_n"] = r.cms;
        j["mms_kg"] = r.mms;
        j["mmd_kg"] = r.mmd;
        j["bl_tm"] = r.bl;
        j["rms_kg_per_s"] = r.rms;
        j["eta0"] = r.eta0;
        j["spl_1w_db"] = r.spl1W;
        j["spl_2v83_db"] = r.spl2V83;
    }
    return j;
}

}  // namespace

void SetupTsVerb(CLI::App& verb) {
    auto o = std::make_shared<TsOptions>();
    auto output = std::make_shared<VerbOutput>();
    verb.add_option("FREE", o->freeAir, "The free-air impedance curve (text table: Hz, ohms, degrees)")
        ->required();
    auto* mass =
        verb.add_option("--added-mass", o->addedMass, "G LOADED: the added mass in grams and its curve")
            ->expected(2)
            ->type_name("G LOADED");
    auto* box =
        verb.add_option("--box-volume", o->boxVolume, "L LOADED: the closed test box in litres and its curve")
            ->expected(2)
            ->type_name("L LOADED");
    mass->excludes(box);
    verb.add_option("--re", o->re, "Revc, the voice-coil DC resistance (default: 0.8 x the smallest |Z|)");
    auto* sd = verb.add_option("--sd", o->sd, "The diaphragm area in cm2");
    auto* dia = verb.add_option("--diameter", o->diameter, "The diaphragm diameter in cm (Sd = 0.6 D^2)");
    sd->excludes(dia);
    verb.add_option("--xmax", o->xmax, "Xmax in mm (one way)");
    verb.add_option("--manufacturer", o->manufacturer, "The driver's manufacturer");
    verb.add_option("--model", o->model, "The driver's model");
    verb.add_option("--comment", o->comment, "A comment for the database");
    verb.add_flag("--insert", o->insert, "Insert the results into the speaker database");
    verb.add_option("--database", o->database, "The speaker database file (default: the user's)");
    output->AddOptions(verb);
    verb.callback([o, output] {
        const ImpedanceCurve freeAir = ReadImpedanceInput(o->freeAir);
        std::optional<ImpedanceCurve> loaded;
        double added = 0;
        bool wantMass = false;
        const std::vector<std::string>& second = !o->addedMass.empty() ? o->addedMass : o->boxVolume;
        if (!second.empty()) {
            wantMass = !o->addedMass.empty();
            added = NumberArg(second[0], wantMass ? "--added-mass" : "--box-volume");
            if (!(added > 0))
                throw VerbFailure(wantMass ? "the added mass must be above 0 g"
                                           : "the box volume must be above 0 l");
            loaded = ReadImpedanceInput(second[1]);
        }
        TSRecord record;
        record.manufacturer = boxdesign::Windows1252FromUtf8(o->manufacturer).substr(0, 127);
        record.model = boxdesign::Windows1252FromUtf8(o->model).substr(0, 127);
        record.comment = boxdesign::Windows1252FromUtf8(o->comment).substr(0, 255);
        CalcTS calc(freeAir, loaded, record);
        if (loaded && calc.Record().deltaMass != wantMass) {
            std::cerr << "sonbex3-cli: warning: the loaded resonance lies " << (wantMass ? "above" : "below")
                      << " the free-air one, which does not fit "
                      << (wantMass ? "an added mass" : "a closed box") << "\n";
        }
        calc.Record().deltaMass = wantMass || !loaded;
        const bool scanned = !(o->re > 0);
        postprocessing::TSEntry entry;
        entry.revc = scanned ? calc.ScanRevc() : o->re;
        if (scanned)
            std::cerr << "sonbex3-cli: no --re given, taking Revc = " << F(entry.revc, 2) << " ohm\n";
        entry.areaEntry = !(o->diameter > 0);
        entry.diaphragm = entry.areaEntry ? o->sd : o->diameter;
        entry.xmaxMm = o->xmax;
        entry.added = added;
        if (loaded && !(entry.diaphragm > 0)) throw VerbFailure("the moving mass needs --sd or --diameter");
        std::string message;
        if (calc.Recalc(entry, message) != postprocessing::TSOutcome::Calculated)
            throw VerbFailure(TrimRight(message));
        if (o->insert) {
            boxdesign::YSpeakerData db;
            platform::StderrPrompt prompt;
            const platform::Paths paths;
            const std::filesystem::path file =
                o->database.empty() ? boxdesign::UserDatabasePath(paths) : std::filesystem::path(o->database);
            boxdesign::OpenSpeakerDatabase(
                db, file, o->database.empty() ? boxdesign::ShippedDatabasePath() : "", prompt);
            if (!calc.InsertIntoDatabase(db, message)) throw VerbFailure(TrimRight(message));
            if (!db.Save()) throw VerbFailure("cannot save the speaker database " + file.string());
            std::cerr << "sonbex3-cli: inserted into " << file.string() << "\n";
        }
        const bool withMass = loaded.has_value();
        output->Write(output->Json() ? Json(calc.Record(), withMass, scanned).dump(2) + "\n"
                                     : Text(calc.Record(), withMass));
    });
}

}  // namespace sonbex::cli
