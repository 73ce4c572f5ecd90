// curve: show what a native curve file holds, and convert it into the
// current version of its format or into a tab-separated text table.

#include "Cli/CliVerb.h"
#include "Cli/Verbs.h"

#include "Platform/NumberText.h"
#include "Platform/RecordingPrompt.h"
#include "Sonbex/Curves/CurveDocument.h"
#include "YLib/YText.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace sonbex::cli {

namespace {

using namespace sonbex::curves;
namespace fs = std::filesystem;
using platform::FormatGeneral;

std::string Utf8(const std::string& s) { return Utf8FromWindows1252(s); }

std::string TypeText(CurveFileType t) {
    switch (t) {
        case CurveFileType::Sxf:
            return "frequency curves";
        case CurveFileType::Sxz:
            return "impedance curve";
        case CurveFileType::Sxp:
            return "impulse response";
        case CurveFileType::Spp:
            return "polar plot";
        case CurveFileType::Csd:
            return "CSD waterfall";
        case CurveFileType::Smg:
            return "multi-graph";
    }
    return "";
}

CurveFileType TypeOrFail(const fs::path& path) {
    const auto type = CurveFileTypeOf(path);
    if (!type)
        throw VerbFailure(path.string() + ": not a native curve file (.SXF, .SXZ, .SXP, .SPP, .CSD, .SMG)");
    return *type;
}

// The stimulus module's name, "<Unknown>" when no module has the id.
std::string StimulusName(std::uint16_t id) {
    const std::string name = StimulusModuleName(id);
    return name.empty() ? "<Unknown>" : Utf8(name);
}

std::unique_ptr<CurveDocument> LoadOrFail(const fs::path& path) {
    auto doc = std::make_unique<CurveDocument>(TypeOrFail(path));
    platform::RecordingPrompt prompt;
    if (!doc->Load(fs::absolute(path), false, prompt)) {
        const auto prompts = prompt.Prompts();
        std::string why = prompts.empty() ? std::string("cannot read it") : prompts.front().text;
        while (!why.empty() && (why.back() == ' ' || why.back() == '\n')) why.pop_back();
        throw VerbFailure(path.string() + ": " + why);
    }
    return doc;
}

nlohmann::json SetJson(const SetSummary& s, CurveFileType type) {
    nlohmann::json j;
    j["title"] = Utf8(s.title);
    j["path"] = Utf8(s.path);
    j["acquired"] = s.acquired.IsZero() ? "" : FormatAcquireDate(s.acquired, true);
    j["points"] = s.points;
    if (type != CurveFileType::Sxp && type != CurveFileType::Smg) {
        j["firstFrequency"] = s.firstFrequency;
        j["lastFrequency"] = s.lastFrequency;
    }
    if (type == CurveFileType::Sxf) j["pointsPerOctave"] = s.pointsPerOctave;
    j["curves"] = s.curves;
    if (type == CurveFileType::Sxf) j["saved"] = s.saved;
    if (type != CurveFileType::Smg) {
        const SettingsBlock& b = s.settings;
        j["settings"] = {{"sampleRate", b.SampleRate()},
                         {"bitsPerSample", b.BitsPerSample()},
                         {"stimulusId", b.StimulusId()},
                         {"stimulus", StimulusName(b.StimulusId())},
                         {"analysis", Utf8(AnalysisKindText(b))},
                         {"summary", SettingsLine(b, StimulusName(b.StimulusId()) != "<Unknown>")}};
    }
    return j;
}

void Info(const std::string& file, const VerbOutput& output) {
    const auto doc = LoadOrFail(file);
    const std::vector<SetSummary> sets = doc->Summaries();
    const CurveFileType type = doc->Type();
    if (output.Json()) {
        nlohmann::json j;
        j["file"] = file;
        j["format"] = CurveFileTypeName(type);
        j["kind"] = TypeText(type);
        j["currentVersion"] = doc->LoadedCurrentVersion();
        if (type == CurveFileType::Smg) j["title"] = Utf8(doc->multiGraph.title);
        if (type == CurveFileType::Csd) j["csdLength"] = doc->csd.Parameter();
        j["sets"] = nlohmann::json::array();
        for (const SetSummary& s : sets) j["sets"].push_back(SetJson(s, type));
        output.Write(j.dump(2) + "\n");
        return;
    }
    std::string out = file + ": " + std::string(CurveFileTypeName(type)) + " (" + TypeText(type) + ")" +
                      (doc->LoadedCurrentVersion() ? "" : ", older version") + "\n";
    if (type == CurveFileType::Smg) out += "Title: " + Utf8(doc->multiGraph.title) + "\n";
    out +=
        std::string(type == CurveFileType::Smg ? "Curves: " : "Sets: ") + std::to_string(sets.size()) + "\n";
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const SetSummary& s = sets[i];
        out += std::to_string(i + 1) + ": " + Utf8(s.title) + "\n";
        if (type == CurveFileType::Smg) continue;
        if (!s.acquired.IsZero()) out += "   Acquired: " + FormatAcquireDate(s.acquired, true) + "\n";
        if (type == CurveFileType::Sxp) {
            out += "   Samples: " + std::to_string(s.points) + "\n";
        } else if (s.points > 0) {
            out += "   Axis: " + std::to_string(s.points) + " points, " + FormatGeneral(s.firstFrequency, 7) +
                   " .. " + FormatGeneral(s.lastFrequency, 7) + " Hz";
            if (type == CurveFileType::Sxf)
                out += ", " + std::to_string(s.pointsPerOctave) + " points/octave";
            out += "\n";
        }
        std::string curves;
        for (const std::string& c : s.curves) curves += (curves.empty() ? "" : ", ") + c;
        out += "   Curves: " + curves + "\n";
        const SettingsBlock& b = s.settings;
        out += "   Settings: " + SettingsLine(b, StimulusName(b.StimulusId()) != "<Unknown>") +
               "; stimulus " + StimulusName(b.StimulusId()) + "; analysis " + Utf8(AnalysisKindText(b)) +
               "\n";
    }
    if (type == CurveFileType::Csd) out += "CSD length: " + FormatGeneral(doc->csd.Parameter(), 6) + " s\n";
    output.Write(out);
}

bool IsTextTarget(const std::string& out) {
    if (out == "-") return true;
    std::string ext = fs::path(out).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".txt" || ext == ".tsv" || ext == ".tab";
}

void Convert(const std::string& file, const std::string& out) {
    const auto doc = LoadOrFail(file);
    if (IsTextTarget(out)) {
        const std::string table = doc->TextTable();
        if (out == "-") {
            std::cout << table << std::flush;
            if (!std::cout) throw VerbFailure("cannot write to standard output");
        } else if (!SaveWholeFile(out, table)) {
            throw VerbFailure("cannot write " + out);
        }
        return;
    }
    const auto target = CurveFileTypeOf(out);
    if (!target)
        throw VerbFailure(out +
                          ": the output must be a file of the same native type as the input or a text table "
                          "(.txt, .tsv, .tab, or - for stdout)");
    if (*target != doc->Type())
        throw VerbFailure("a ." + std::string(CurveFileTypeName(doc->Type())) +
                          " file cannot be converted to ." + std::string(CurveFileTypeName(*target)) + " (" +
                          TypeText(doc->Type()) + " and " + TypeText(*target) + " hold different data)");
    platform::RecordingPrompt prompt;
    if (!doc->Save(fs::absolute(out), prompt)) throw VerbFailure("cannot write " + out);
}

}  // namespace

void SetupCurveVerb(CLI::App& verb) {
    verb.require_subcommand(1);
    verb.footer(
        "Native files: .SXF frequency curves, .SXZ impedance, .SXP impulse, .SPP polar, .CSD waterfall, "
        ".SMG multi-graph.");

    auto* info =
        verb.add_subcommand("info", "Show the kind, sets, titles, axis, curves and settings of a file");
    auto infoFile = std::make_shared<std::string>();
    auto infoOutput = std::make_shared<VerbOutput>();
    info->add_option("FILE", *infoFile, "A native curve file")->required();
    infoOutput->AddOptions(*info);
    info->callback([infoFile, infoOutput] { Info(*infoFile, *infoOutput); });

    auto* convert = verb.add_subcommand(
        "convert",
        "Write a file again in the current version of its format, or as a tab-separated text table");
    auto convertFile = std::make_shared<std::string>(), convertOut = std::make_shared<std::string>();
    convert->add_option("FILE", *convertFile, "A native curve file")->required();
    convert
        ->add_option(
            "-o,--output", *convertOut,
            "The output: a file of the same native type, or a text table (.txt, .tsv, .tab, - for stdout)")
        ->required();
    convert->callback([convertFile, convertOut] { Convert(*convertFile, *convertOut); });
}

}  // namespace sonbex::cli
