// settings: show, change, load, save and reset the stored measurement settings.

#include "Cli/CliVerb.h"
#include "Cli/StoredSettings.h"
#include "Cli/Verbs.h"

#include "Sonbex/Measurement/MeasFields.h"
#include "Sonbex/Measurement/MstFile.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

namespace sonbex::cli {

namespace {

using namespace measurement;

std::string Show(const MeasConfig& c, bool json, const MstContents* file) {
    if (json) {
        nlohmann::ordered_json j;
        for (const MeasField& f : MeasFields()) {
            if (f.type == FieldType::F64)
                j[f.name] = FieldNumber(c, f);
            else if (IsNumberField(f))
                j[f.name] = static_cast<std::int64_t>(FieldNumber(c, f));
            else
                j[f.name] = FieldText(c, f);  // file names: the file system's bytes
        }
        if (file) {
            j["generation_parameters"] = file->params.size();
            j["analysis_parameters"] = file->analysis.size();
        }
        return j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
    }
    std::string out;
    for (const MeasField& f : MeasFields()) out += std::string(f.name) + "\t" + FieldText(c, f) + "\n";
    if (file) {
        out += "generation_parameters\t" + std::to_string(file->params.size()) + "\n";
        out += "analysis_parameters\t" + std::to_string(file->analysis.size()) + "\n";
    }
    return out;
}

std::string FieldList() {
    std::string out;
    for (const MeasField& f : MeasFields())
        out += std::string("  ") + f.name + " (" + FieldRange(f) + "): " + f.meaning + "\n";
    return out;
}

}  // namespace

void SetupSettingsVerb(CLI::App& verb) {
    verb.require_subcommand(1);
    verb.footer("The stored settings are the desktop program's (see 'sonbex3-cli paths').");

    CLI::App* show =
        verb.add_subcommand("show", "Show the stored settings, or a settings file's, as named fields");
    auto output = std::make_shared<VerbOutput>();
    output->AddOptions(*show);
    auto file = std::make_shared<std::string>();
    show->add_option("--file", *file, "Show this .MST file over the stored settings");
    show->callback([output, file] {
        StoredSettings stored;
        MeasConfig c = stored.Settings().Config();
        if (file->empty()) {
            output->Write(Show(c, output->Json(), nullptr));
            return;
        }
        MstContents contents;
        std::string why;
        if (!ReadMstFile(*file, contents, &why)) throw VerbFailure("cannot read " + *file + ": " + why);
        output->Write(Show(contents.Apply(c), output->Json(), &contents));
    });

    CLI::App* set = verb.add_subcommand("set", "Change stored settings: NAME=VALUE ...");
    set->footer("Fields:\n" + FieldList());
    auto pairs = std::make_shared<std::vector<std::string>>();
    set->add_option("assignments", *pairs, "NAME=VALUE pairs")->required();
    set->callback([pairs] {
        StoredSettings stored;
        MeasConfig next = stored.Settings().Config();
        for (const std::string& p : *pairs) {
            const auto eq = p.find('=');
            if (eq == std::string::npos) throw VerbFailure("expected NAME=VALUE, not '" + p + "'");
            const std::string name = p.substr(0, eq);
            const MeasField* f = FindMeasField(name);
            if (!f) throw VerbFailure("no settings field '" + name + "'; 'settings set --help' lists them");
            std::string error;
            if (!SetMeasField(next, *f, p.substr(eq + 1), error)) throw VerbFailure(error);
        }
        next.SetChanged(true);
        stored.Settings().Replace(next);
        stored.Save();
    });

    CLI::App* load = verb.add_subcommand("load", "Take a settings file (.MST) as the stored settings");
    auto loadFile = std::make_shared<std::string>();
    load->add_option("file", *loadFile, "The .MST file")->required();
    load->callback([loadFile] {
        StoredSettings stored(true);
        std::string why;
        if (!stored.Settings().OpenFile(*loadFile, &why))
            throw VerbFailure("cannot load " + *loadFile + ": " + why);
        stored.Save();
        if (!stored.Modules().Save())
            throw VerbFailure("cannot write the stimulus parameters (WAVEFORM.CFG)");
    });

    CLI::App* save = verb.add_subcommand("save", "Write the stored settings to a settings file (.MST)");
    auto saveFile = std::make_shared<std::string>();
    save->add_option("file", *saveFile, "The .MST file")->required();
    save->callback([saveFile] {
        StoredSettings stored;
        std::string why;
        if (!stored.Settings().SaveFile(*saveFile, &why))
            throw VerbFailure("cannot write " + *saveFile + ": " + why);
    });

    CLI::App* defaults = verb.add_subcommand("defaults", "Reset the stored settings to their defaults");
    defaults->callback([] {
        StoredSettings stored;
        stored.Settings().SetDefaults();
        stored.Save();
    });
}

}  // namespace sonbex::cli
