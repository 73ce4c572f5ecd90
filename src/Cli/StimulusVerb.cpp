// stimulus: list the stimulus modules, generate a module's stimulus as a wave
// file, and analyse a recording of it made with any recorder.

#include "Cli/CliVerb.h"
#include "Cli/Verbs.h"

#include "Platform/NumberText.h"
#include "Waveform/YAmplitudeSweep.h"
#include "Waveform/YLogSweep.h"
#include "Waveform/YWaveformBase.h"
#include "Waveform/YWaveformModules.h"
#include "YLib/YText.h"
#include "YWave/YMemWave.h"
#include "YWave/YWaveFile.h"
#include "YWave/YWaveSample.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iostream>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace sonbex::cli {

namespace {

using platform::FormatGeneral;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// Names and units of modules and parameter records are fixed 8-bit text
// (Windows-1252); everything this program prints or matches is UTF-8.
std::string Name(const IWaveform& m) { return Utf8FromWindows1252(m.GetName()); }
std::string Name(const WaveformParam& p) { return Utf8FromWindows1252(p.name); }
std::string Unit(const WaveformParam& p) { return Utf8FromWindows1252(p.unit); }

// The registry of the headless program: defaults plus --set, never the
// user's WAVEFORM.CFG (a batch job must not depend on or change it).
struct Modules {
    YWaveformModules registry{YWaveformModules::Options{}};

    Modules(double rate, int inChannels, int outChannels, int bits) {
        registry.Init(rate, inChannels, outChannels, bits, 1, 1.0, 1.0);
    }

    IWaveform& Find(const std::string& key) const {
        std::vector<IWaveform*> all;
        registry.List(all, -1, false);
        for (IWaveform* m : all)
            if (key == std::to_string(m->GetId()) || Lower(key) == Lower(Name(*m))) return *m;
        std::string known;
        for (IWaveform* m : all)
            known += (known.empty() ? "" : ", ") + std::to_string(m->GetId()) + " \"" + Name(*m) + "\"";
        throw VerbFailure("no stimulus module '" + key + "' (modules: " + known + ")");
    }
};

std::string ValueText(const WaveformParam& p) {
    return p.isReal ? FormatGeneral(p.value, 10) : std::to_string(p.intValue);
}

std::string RangeText(const WaveformParam& p, double rate) {
    if (!p.isReal) return std::to_string(p.intMin) + " .. " + std::to_string(p.intMax);
    return FormatGeneral(ResolvePlaceholder(p.min, rate), 10) + " .. " +
           FormatGeneral(ResolvePlaceholder(p.max, rate), 10);
}

// Applies NAME=VALUE settings to a module's parameters and analysis
// parameters (a name both carry is set in both).
void ApplySettings(IWaveform& m, const std::vector<std::string>& settings) {
    WaveformParams params, analysis;
    if (!m.GetParams(params) || !m.GetAnalysisParams(analysis))
        throw VerbFailure("the format is not valid for " + Name(m));
    for (const std::string& s : settings) {
        const auto eq = s.find('=');
        if (eq == std::string::npos) throw VerbFailure("--set expects NAME=VALUE, not '" + s + "'");
        const std::string name = Lower(s.substr(0, eq)), text = s.substr(eq + 1);
        bool found = false;
        for (WaveformParams* list : {&params, &analysis})
            for (WaveformParam& p : *list) {
                if (p.name.empty() || Lower(Name(p)) != name) continue;
                found = true;
                if (p.isReal) {
                    const auto v = platform::ParseDoubleWhole(text);
                    if (!v) throw VerbFailure(Name(p) + ": '" + text + "' is not a number");
                    p.value = *v;
                } else {
                    std::size_t used = 0;
                    const auto v = platform::ParseInt32(text, &used);
                    if (!v || used != text.size())
                        throw VerbFailure(Name(p) + ": '" + text + "' is not a whole number");
                    p.intValue = *v;
                }
            }
        if (!found) {
            std::string known;
            for (const WaveformParams* list : {&params, &analysis})
                for (const WaveformParam& p : *list)
                    if (!p.name.empty() && known.find("\"" + Name(p) + "\"") == std::string::npos)
                        known += (known.empty() ? "" : ", ") + ("\"" + Name(p) + "\"");
            throw VerbFailure(Name(m) + " has no parameter '" + s.substr(0, eq) + "' (" +
                              (known.empty() ? "it has none" : "parameters: " + known) + ")");
        }
    }
    const auto refuse = [](const WaveformParams& corrected, const char* what) {
        std::string text;
        for (const WaveformParam& p : corrected)
            if (!p.name.empty()) text += (text.empty() ? "" : ", ") + Name(p) + " " + ValueText(p);
        throw VerbFailure(std::string("the ") + what + " are out of range; valid values would be: " + text);
    };
    if (!settings.empty()) {
        WaveformParams p = params, a = analysis;
        if (!m.SetParams(p)) refuse(p, "parameters");
        if (!a.empty() && !m.SetAnalysisParams(a)) refuse(a, "analysis parameters");
    }
}

void SetupList(CLI::App& verb) {
    auto output = std::make_shared<VerbOutput>();
    auto rate = std::make_shared<double>(48000.0);
    verb.add_option("--rate", *rate, "Sample rate the parameter limits are shown for (Hz)")
        ->check(CLI::PositiveNumber);
    output->AddOptions(verb);
    verb.callback([output, rate] {
        Modules modules(*rate, 2, 2, 16);
        std::vector<IWaveform*> all;
        modules.registry.List(all, -1, false);
        nlohmann::json json = nlohmann::json::array();
        std::string text;
        for (IWaveform* m : all) {
            WaveformParams params, analysis;
            m->GetParams(params);
            m->GetAnalysisParams(analysis);
            const char* kind = m->GetCategory() == kCategoryImpulse ? "impulse" : "transfer";
            text += std::to_string(m->GetId()) + "\t" + Name(*m) + "\t" + kind + "\n";
            nlohmann::json entry{{"id", m->GetId()}, {"name", Name(*m)}, {"result", kind}};
            for (const auto& [key, list] :
                 {std::pair{"parameters", &params}, std::pair{"analysis", &analysis}}) {
                nlohmann::json records = nlohmann::json::array();
                for (const WaveformParam& p : *list) {
                    if (p.name.empty()) continue;
                    text += std::string("\t") + (list == &params ? "" : "analysis: ") + Name(p) +
                            (p.unit.empty() ? "" : " [" + Unit(p) + "]") + " = " + ValueText(p) + " (" +
                            RangeText(p, *rate) + ")\n";
                    nlohmann::json r{
                        {"name", Name(p)}, {"unit", Unit(p)}, {"role", p.role}, {"real", p.isReal}};
                    if (p.isReal) {
                        r["value"] = p.value;
                        r["min"] = ResolvePlaceholder(p.min, *rate);
                        r["max"] = ResolvePlaceholder(p.max, *rate);
                    } else {
                        r["value"] = p.intValue;
                        r["min"] = p.intMin;
                        r["max"] = p.intMax;
                    }
                    records.push_back(r);
                }
                entry[key] = records;
            }
            json.push_back(entry);
        }
        output->Write(output->Json() ? json.dump(2) + "\n" : text);
    });
}

// A sample rate the wave header stores as given: a whole number of Hz in the
// range the sound verbs take.
CLI::Validator WholeRate() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto v = platform::ParseDoubleWhole(text);
            if (!v || !(*v >= 1000.0 && *v <= YMemWave::kMaxRate) || *v != std::floor(*v))
                return "the sample rate must be a whole number of Hz from 1000 to " +
                       std::to_string(YMemWave::kMaxRate) + ", not " + text;
            return "";
        },
        "RATE");
}

struct GenerateOptions {
    std::string module, output;
    double rate = 0.0;
    int bits = 16, channels = 1, periods = 1;
    std::vector<std::string> settings;
};

void SetupGenerate(CLI::App& verb) {
    auto o = std::make_shared<GenerateOptions>();
    verb.add_option("MODULE", o->module, "Module id or name (see 'stimulus list')")->required();
    verb.add_option("--rate", o->rate, "Sample rate (Hz), a whole number from 1000 to 768000")
        ->required()
        ->check(WholeRate());
    verb.add_option("--bits", o->bits, "Sample width: 8, 16, 24 or 32")
        ->required()
        ->check(CLI::IsMember({8, 16, 24, 32}));
    verb.add_option("--channels", o->channels, "Output channels (default 1)")->check(CLI::Range(1, 32));
    verb.add_option("--periods", o->periods, "Periods written one after the other (default 1)")
        ->check(CLI::Range(1, 100000));
    verb.add_option("--set", o->settings, "Parameter NAME=VALUE (repeatable)");
    verb.add_option("-o,--output", o->output, "The wave file to write")->required();
    verb.callback([o] {
        Modules modules(o->rate, 2, o->channels, o->bits);
        IWaveform& m = modules.Find(o->module);
        ApplySettings(m, o->settings);
        if (!m.Generate()) throw VerbFailure("cannot generate " + Name(m) + " with these settings");
        const std::uint64_t bytes = std::uint64_t(m.GetPcmBytes()) * std::uint64_t(o->periods);
        if (bytes > 0xFFFFFFF0ull) throw VerbFailure("the wave file would pass 4 GiB; write fewer periods");
        YWaveWriter writer;
        if (!writer.Create(o->output,
                           YWaveFormat::Pcm(o->bits, o->channels, int(std::lround(o->rate)), true)))
            throw VerbFailure("cannot write " + o->output);
        for (int i = 0; i < o->periods; ++i)
            if (!writer.Append(m.GetPcm(), std::size_t(m.GetPcmBytes()))) {
                writer.Abandon();
                throw VerbFailure("cannot write " + o->output);
            }
        if (!writer.Finish()) throw VerbFailure("cannot write " + o->output);
    });
}

// The channels of a wave file as floats at full scale ±1.0.
std::vector<std::vector<float>> ReadRecording(const std::string& path, double& rate) {
    YWaveReader reader;
    if (!reader.Open(path)) throw VerbFailure("cannot read the wave file " + path);
    const YWaveFormat& f = reader.Info().format;
    const int channels = f.channels, bits = f.bitsPerSample;
    const YSampleKind kind = f.Kind();
    if (!YIsReadableSample(kind, bits)) throw VerbFailure(path + ": unsupported sample format");
    rate = f.sampleRate;
    const std::uint32_t frames = reader.Info().Frames();
    std::vector<std::vector<float>> out(channels, std::vector<float>(frames));
    std::vector<std::uint8_t> block(std::size_t(f.blockAlign) * 4096);
    std::uint32_t done = 0;
    while (done < frames) {
        const long got = reader.ReadFrames(block.data(), std::min<std::uint32_t>(4096, frames - done));
        if (got <= 0) throw VerbFailure("cannot read the wave file " + path);
        const std::uint8_t* p = block.data();
        for (long i = 0; i < got; ++i)
            for (int c = 0; c < channels; ++c) {
                double v = 0.0;
                p = YSampleToReal(p, kind, bits, v);
                out[c][done + i] = float(v);
            }
        done += std::uint32_t(got);
    }
    return out;
}

struct AnalyseOptions {
    std::string module, recording;
    double rate = 0.0;
    bool dual = false, skipFirst = false;
    int average = 1;
    int harmonics = 0;
    std::vector<std::string> settings;
};

std::string Number(double x) { return FormatGeneral(x, 10); }

struct Column {
    std::string name;
    std::vector<double> values;
};

// Every entry of a transfer result as a column in display units: the
// frequency axis first, then magnitudes in dB, phases in degrees and the
// distortion figures in percent, in the module's order. A kind that occurs
// again (the reference channel's pair) gets "_2", "_3" ... appended.
std::vector<Column> TransferColumns(const ResponseList& responses) {
    if (responses.empty() || responses[0].tag != ResponseEntry::kFrequency)
        throw VerbFailure("the analysis gave no frequency axis");
    const int points = responses[0].data.Size();
    std::vector<Column> columns;
    for (const ResponseEntry& e : responses) {
        if (e.data.Size() != points) throw VerbFailure("the analysis gave results of different lengths");
        static const char* const kNames[] = {"frequency_hz", "magnitude_db", "phase_deg",
                                             "thd_pct",      "thdn_pct",     "h2_pct",
                                             "h3_pct",       "h4_pct",       "h5_pct"};
        const int kind = e.tag - ResponseEntry::kFrequency;
        Column c{kind >= 0 && kind < int(std::size(kNames)) ? kNames[kind] : "tag_" + std::to_string(e.tag),
                 {}};
        const auto repeats = std::count_if(columns.begin(), columns.end(), [&](const Column& d) {
            return d.name == c.name || d.name.starts_with(c.name + "_");
        });
        if (repeats > 0) c.name += "_" + std::to_string(repeats + 1);
        for (const double v : e.data)
            c.values.push_back(e.tag == ResponseEntry::kMagnitude ? (v > 0.0 ? 20.0 * std::log10(v) : -760.0)
                               : e.tag == ResponseEntry::kPhase   ? v * 180.0 / std::numbers::pi
                                                                  : v);
        columns.push_back(std::move(c));
    }
    return columns;
}

void SetupAnalyse(CLI::App& verb) {
    auto o = std::make_shared<AnalyseOptions>();
    auto output = std::make_shared<VerbOutput>();
    verb.add_option("MODULE", o->module, "Module id or name (see 'stimulus list')")->required();
    verb.add_option("--rate", o->rate, "Sample rate of the recording (Hz)")
        ->required()
        ->check(CLI::PositiveNumber);
    verb.add_option("--recording", o->recording, "Wave file: channel 1 measured, channel 2 reference")
        ->required();
    verb.add_flag("--dual", o->dual, "Analyse channel 1 against the reference in channel 2");
    verb.add_option("--average", o->average, "Periods averaged (default 1)")->check(CLI::Range(1, 100000));
    verb.add_flag("--skip-first", o->skipFirst, "Leave out the first recorded period");
    verb.add_option("--set", o->settings, "Parameter NAME=VALUE, as used to generate (repeatable)");
    verb.add_option("--harmonics", o->harmonics,
                    "Log sine sweep: also separate harmonics 2..N and give THD and H2..HN in percent")
        ->check(CLI::Range(2, 5));
    output->AddOptions(verb);
    verb.callback([o, output] {
        double fileRate = 0.0;
        const auto channels = ReadRecording(o->recording, fileRate);
        if (std::abs(fileRate - o->rate) > 0.5)
            throw VerbFailure(o->recording + " was recorded at " + Number(fileRate) + " Hz, not at " +
                              Number(o->rate) + " Hz");
        if (o->dual && channels.size() < 2)
            throw VerbFailure(o->recording + " has no second (reference) channel for --dual");
        // The analysis compares against the generated samples, never the
        // rendered output: one output channel keeps the rendering it does
        // on the way to a minimum.
        Modules modules(o->rate, int(channels.size()), 1, 16);
        IWaveform& m = modules.Find(o->module);
        if (dynamic_cast<const YAmplitudeSweep*>(&m))
            throw VerbFailure(Name(m) +
                              " has no analysis of its own; the measurement evaluates its recording");
        ApplySettings(m, o->settings);
        auto* sweep = dynamic_cast<YLogSweep*>(&m);
        if (o->harmonics > 0 && (!sweep || !sweep->SetHarmonics(o->harmonics)))
            throw VerbFailure("--harmonics works with the log sine sweep only, not with " + Name(m));
        if (!m.SetStereo(o->dual))
            throw VerbFailure("cannot analyse " + Name(m) + " against a reference channel");
        if (!m.Generate()) throw VerbFailure("cannot prepare " + Name(m) + " with these settings");
        const std::uint64_t period = m.GetSamples()->Size();
        const std::uint64_t needed = period * std::uint64_t(o->average + (o->skipFirst ? 1 : 0));
        if (channels[0].size() < needed)
            throw VerbFailure(o->recording + " is too short: " + std::to_string(channels[0].size()) +
                              " frames, " + Name(m) + " needs " + std::to_string(needed) +
                              " after the start of the response");
        std::vector<std::span<const float>> view;
        for (std::size_t c = 0; c < std::min<std::size_t>(channels.size(), 2); ++c)
            view.emplace_back(channels[c]);
        ResponseList responses;
        if (!m.Analyze(view, responses, o->average, o->skipFirst ? kAnalyzeSkipFirst : 0))
            throw VerbFailure(o->recording + " is too short or not a recording of " + Name(m) +
                              " with these settings");

        if (sweep && sweep->HarmonicsLeftOut() > 0)
            std::cerr << "sonbex3-cli: harmonics from H" << sweep->HarmonicsLeftOut()
                      << " on left out: the sweep is too short to separate them (give it a longer 'Duration "
                         "per octave')\n";
        nlohmann::json json{{"module", Name(m)}, {"id", m.GetId()}, {"sampleRate", o->rate}};
        std::string text;
        if (m.GetCategory() == kCategoryImpulse) {
            const YDoubleVec& ir = responses.at(0).data;
            std::vector<double> time(ir.Size()), value(ir.begin(), ir.end());
            text = "time_s\tvalue\n";
            for (int i = 0; i < ir.Size(); ++i) {
                time[i] = i / o->rate;
                text += Number(time[i]) + "\t" + Number(value[i]) + "\n";
            }
            json["result"] = "impulse";
            json["time_s"] = time;
            json["value"] = value;
        } else {
            const auto columns = TransferColumns(responses);
            for (std::size_t c = 0; c < columns.size(); ++c)
                text += columns[c].name + (c + 1 < columns.size() ? "\t" : "\n");
            for (std::size_t i = 0; i < columns[0].values.size(); ++i)
                for (std::size_t c = 0; c < columns.size(); ++c)
                    text += Number(columns[c].values[i]) + (c + 1 < columns.size() ? "\t" : "\n");
            json["result"] = "transfer";
            for (const Column& c : columns) json[c.name] = c.values;
        }
        output->Write(output->Json() ? json.dump(1) + "\n" : text);
    });
}

}  // namespace

void SetupStimulusVerb(CLI::App& verb) {
    verb.require_subcommand(1);
    SetupList(*verb.add_subcommand("list", "The stimulus modules with their ids, names and parameters"));
    SetupGenerate(*verb.add_subcommand("generate", "Write periods of a module's stimulus as a wave file"));
    SetupAnalyse(*verb.add_subcommand(
        "analyse", "Turn a recording of a stimulus into its impulse or transfer response"));
}

}  // namespace sonbex::cli
