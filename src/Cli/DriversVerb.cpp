// drivers: the speaker database from the command line: list, show one
// driver, import .spk files or folders, export the text table, and write the
// example database that ships with the program.

#include "Cli/CliVerb.h"
#include "Cli/Verbs.h"

#include "Platform/NumberText.h"
#include "Platform/StderrPrompt.h"
#include "Sonbex/BoxDesign/SpeakerDatabaseFile.h"
#include "Sonbex/BoxDesign/StoredText.h"
#include "YLib/YText.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace sonbex::cli {

namespace {

namespace fs = std::filesystem;
using boxdesign::DriverRecord;
using boxdesign::YSpeakerData;

struct DatabaseOption {
    std::string file;
    fs::path Path() const {
        return file.empty() ? boxdesign::UserDatabasePath(platform::Paths{}) : fs::path(file);
    }
    void Open(YSpeakerData& db) const {
        platform::StderrPrompt prompt;
        boxdesign::OpenSpeakerDatabase(db, Path(),
                                       file.empty() ? boxdesign::ShippedDatabasePath() : fs::path{}, prompt);
        if (db.WriteProtected())
            throw VerbFailure("the speaker database " + Path().string() + " can't be read");
    }
};

std::string U(const std::string& stored) { return Utf8FromWindows1252(stored); }
std::string F(double v, int decimals) { return platform::FormatFixed(v, decimals); }

nlohmann::json Json(const DriverRecord& r) {
    return {{"manufacturer", U(r.manufacturer)},
            {"model", U(r.model)},
            {"comment", U(r.comment)},
            {"source", U(r.source)},
            {"fs_hz", r.fs},
            {"vas_m3", r.vas},
            {"qes", r.qes},
            {"qms", r.qms},
            {"qts", r.Qts()},
            {"re_ohm", r.re},
            {"le_h", r.le},
            {"le_table_h", {r.le1k, r.le5k, r.le10k, r.le20k}},
            {"sd_m2", r.sd},
            {"xmax_m", r.xmax},
            {"znom_ohm", r.znom}};
}

std::string Details(const DriverRecord& r) {
    std::string t;
    auto line = [&t](const char* label, const std::string& v) {
        std::string l = label;
        l.resize(14, ' ');
        t += l + v + "\n";
    };
    line("Manufacturer", U(r.manufacturer));
    line("Model", U(r.model));
    if (!r.comment.empty()) line("Comment", U(r.comment));
    if (!r.source.empty()) line("Source", U(r.source));
    line("fs", F(r.fs, 2) + " Hz");
    line("Vas", F(r.vas * 1000, 2) + " l");
    line("Qms", F(r.qms, 4));
    line("Qes", F(r.qes, 4));
    line("Qts", F(r.Qts(), 4));
    line("Sd", F(r.sd * 1e4, 2) + " cm2");
    line("Xmax", F(r.xmax * 1000, 2) + " mm");
    line("Vd", F(r.sd * r.xmax * 1000, 4) + " l");
    line("Revc", F(r.re, 2) + " Ohm");
    line("Levc", F(r.le * 1000, 4) + " mH");
    if (r.znom > 0) line("Znom", F(r.znom, 1) + " Ohm");
    return t;
}

}  // namespace

void SetupDriversVerb(CLI::App& verb) {
    auto db = std::make_shared<DatabaseOption>();
    verb.add_option("--database", db->file, "The speaker database file (default: the user's SX3SPK.SDB)");
    verb.require_subcommand(1);

    {
        auto* list = verb.add_subcommand("list", "Every driver: manufacturer, model, fs, Vas, Qts, Re");
        auto out = std::make_shared<VerbOutput>();
        out->AddOptions(*list);
        list->callback([db, out] {
            YSpeakerData data;
            db->Open(data);
            if (out->Json()) {
                nlohmann::json j = nlohmann::json::array();
                for (auto id : data.Ids()) j.push_back(Json(*data.Get(id)));
                out->Write(j.dump(2) + "\n");
                return;
            }
            std::string t;
            for (auto id : data.Ids()) {
                const DriverRecord& r = *data.Get(id);
                t += U(r.manufacturer) + "\t" + U(r.model) + "\tfs " + F(r.fs, 2) + " Hz\tVas " +
                     F(r.vas * 1000, 2) + " l\tQts " + F(r.Qts(), 4) + "\tRe " + F(r.re, 2) + " Ohm\n";
            }
            t += std::to_string(data.Count()) + " drivers\n";
            out->Write(t);
        });
    }
    {
        auto* show = verb.add_subcommand("show", "One driver's parameters, found by manufacturer and model");
        auto names = std::make_shared<std::pair<std::string, std::string>>();
        show->add_option("MANUFACTURER", names->first, "Manufacturer (case-insensitive)")->required();
        show->add_option("MODEL", names->second, "Model (case-insensitive)")->required();
        auto out = std::make_shared<VerbOutput>();
        out->AddOptions(*show);
        show->callback([db, out, names] {
            YSpeakerData data;
            db->Open(data);
            const auto id = data.FindByName(boxdesign::Windows1252FromUtf8(names->first),
                                            boxdesign::Windows1252FromUtf8(names->second));
            if (id == boxdesign::kNoDriver)
                throw VerbFailure("no driver '" + names->first + "' '" + names->second + "' in the database");
            out->Write(out->Json() ? Json(*data.Get(id)).dump(2) + "\n" : Details(*data.Get(id)));
        });
    }
    {
        auto* import = verb.add_subcommand("import", "Import a .spk driver file or a folder of them");
        auto path = std::make_shared<std::string>();
        auto recursive = std::make_shared<bool>(false);
        import->add_option("PATH", *path, "A .spk file or a folder")->required();
        import->add_flag("-r,--recursive", *recursive, "Also the sub-folders of a folder");
        auto out = std::make_shared<VerbOutput>();
        out->AddOptions(*import);
        import->callback([db, out, path, recursive] {
            YSpeakerData data;
        db->Open(data);
        const int before = data.Count();
        std::error_code ec;
        const bool folder = fs::is_directory(*path, ec);
        if (!folder && !fs::exists(*path, ec)) throw VerbFailure("no file or folder " + *path);
        data.Import(*path, folder, *recursive);
        if (!data.Save()) throw VerbFailure("cannot save the speaker database " + data.Path().string());
        const int added = data.Count() - before;
        out->Write(out->Json() ? nlohmann::json{{"new", added}, {"total", data.Count()}}.dump(2) + "\n"
                               : "Found " + std::to_string(added) +
                                     " new speaker drivers, there is now a grand total of " +
                                     std::to_string(data.Count()) + " drivers.\n");
    });
}
{
    auto* exp = verb.add_subcommand("export", "Write the text table of all drivers");
    auto file = std::make_shared<std::string>();
    exp->add_option("FILE", *file, "The text file")->required();
    exp->callback([db, file] {
        YSpeakerData data;
        db->Open(data);
        if (data.Count() == 0) throw VerbFailure("the speaker database is empty");
        if (!data.ExportText(*file)) throw VerbFailure("cannot export to " + *file);
    });
}
{
    auto* seed = verb.add_subcommand("seed", "Write the example database that ships with the program");
    auto file = std::make_shared<std::string>();
    seed->add_option("FILE", *file, "The database file to write")->required();
    seed->callback([file] {
        YSpeakerData data;
        for (const DriverRecord& r : boxdesign::SeedDriverRecords()) data.AddOrReplace(r, false, false);
        if (!data.SaveAs(*file)) throw VerbFailure("cannot write " + *file);
    });
}
}  // namespace sonbex::cli

}  // namespace sonbex::cli
