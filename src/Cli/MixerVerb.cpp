// mixer: the mixer of a sound device — its lines with their levels and laws,
// the level calibration in force and the calibrated output voltage — and
// `mixer set` to set the output level in volts or the input level in percent.

#include "Cli/CliVerb.h"
#include "Cli/Verbs.h"

#include "Platform/Paths.h"
#include "YWave/Alsa/YAlsaBackend.h"
#include "YWave/Alsa/YAlsaMixer.h"
#include "YWave/Sim/YSimCard.h"
#include "YWave/Sim/YSimMixer.h"
#include "YWave/YMixer.h"
#include "YWave/YWaveDevices.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <optional>
#include <sstream>

namespace sonbex::cli {

namespace {

const char* LawName(YMixerLaw law) {
    switch (law) {
        case YMixerLaw::Linear:
            return "linear";
        case YMixerLaw::Cubic:
            return "cubic";
        case YMixerLaw::Db:
            return "dB";
        case YMixerLaw::Table:
            return "dB table";
    }
    return "linear";
}

// Every mixer of the system, the devices they belong to, and the level control over them.
struct Mixers {
    YAlsaBackend alsa;
    YSimCard sim;
    YWaveDevices devices{{&alsa, &sim}};
    YAlsaMixer alsaMixers;
    YSimMixer simMixer;
    std::unique_ptr<YMixer> level;

    Mixers() {
        const platform::Paths paths;
        level = std::make_unique<YMixer>(
            std::vector<IMixerBackend*>{&alsaMixers, &simMixer}, &devices,
            YMixer::Folders{paths.DataDir() / "Mixer", paths.DataDir() / "Calibration"});
        simMixer.Attach(sim);
    }

    // Opens the mixers of `device` (number, id or name; "" the default) with
    // the calibration of the device combination; nothing is written yet.
    int Open(const std::string& device, int line) {
        const int index = devices.Find(device);
        if (index == -2)
            throw VerbFailure("no sound device '" + device + "'; 'sonbex3-cli devices' lists them");
        YMixerHardware hw;
        hw.inputDevice = hw.outputDevice = index + 1;
        hw.inputLine = line;
        YMixerSettings settings;
        settings.inputLocked = false;  // a look or a set: the inputs stay where they are
        level->SetSettings(settings);
        level->SetHardware(hw);
        level->OpenLines();
        calibration = level->LoadCalibration();
        if (!level->InputMixerOpen() && !level->OutputMixerOpen())
            throw VerbFailure("the device has no mixer that can be opened");
        return index;
    }
    int calibration = 0;
};

nlohmann::json LineJson(YMixer& level, YMixerRole role, const MixerLine& l) {
    std::uint32_t left = 0, right = 0;
    const bool read = level.GetVolume(role, left, right);
    nlohmann::json j{{"name", l.name},        {"minimum", l.minimum},  {"maximum", l.maximum},
                     {"steps", l.steps},      {"law", LawName(l.law)}, {"settable", l.settable},
                     {"channels", l.channels}};
    if (read) {
        j["left"] = left;
        j["right"] = right;
        j["fraction"] = YMixerFraction(l, std::max(left, right));
    }
    return j;
}

std::string LineText(const char* role, const nlohmann::json& j) {
    std::ostringstream s;
    s << "  " << role << ": " << j["name"].get<std::string>() << "  " << j["minimum"] << "..."
      << j["maximum"];
    if (j.contains("left")) {
        const double db = 20 * std::log10(std::max(1e-38, j["fraction"].get<double>()));
        s << "  at " << j["left"] << "/" << j["right"] << " (" << YTrimmedNumber(db, 2) << " dB)";
    }
    s << "  " << j["law"].get<std::string>() << (j["settable"].get<bool>() ? "" : "  not settable") << "\n";
    return s.str();
}

std::string Report(Mixers& m, int device, bool json) {
    YMixer& level = *m.level;
    const YMixerHardware hw = level.Hardware();
    nlohmann::json j;
    j["device"] = device;
    j["inputMixer"] = level.InputMixerName();
    j["outputMixer"] = level.OutputMixerName();
    nlohmann::json lines = nlohmann::json::object();
    std::string text =
        "input mixer: " + level.InputMixerName() + "\noutput mixer: " + level.OutputMixerName() + "\n";
    struct Role {
        const char* key;
        const char* shown;
        YMixerRole role;
    } roles[] = {{"masterOut", "master out", YMixerRole::MasterOut},
                 {"wave", "wave", YMixerRole::Wave},
                 {"masterIn", "master in", YMixerRole::MasterIn},
                 {"input", "input", YMixerRole::Input}};
    for (const Role& r : roles) {
        MixerLine l;
        if (!level.Line(r.role, l) || !l.lineId) continue;
        lines[r.key] = LineJson(level, r.role, l);
        text += LineText(r.shown, lines[r.key]);
    }
    j["lines"] = lines;
    nlohmann::json inputs = nlohmann::json::array();
    for (const MixerLine& l : level.InputLines()) inputs.push_back(l.name);
    j["inputLines"] = inputs;
    j["selectedInput"] = level.SelectedInputLine();
    text += "  recording lines:";
    if (inputs.empty()) text += " <none available>";
    for (std::size_t i = 0; i < inputs.size(); ++i)
        text += std::string(static_cast<int>(i) == level.SelectedInputLine() ? " [" : " ") +
                inputs[i].get<std::string>() + (static_cast<int>(i) == level.SelectedInputLine() ? "]" : "");
    text += "\n";

    const double volts = level.GetOutputVoltage();
    j["outputVolts"] = volts;
    j["outputDbu"] = YGainToDb(volts / kVoltsAtZeroDbu);
    j["calibration"] = {{"file", level.CalibrationPath().string()},
                        {"loaded", m.calibration},
                        {"outputVoltageReference", hw.outputVoltageReference},
                        {"inputFullScale", hw.inputFullScale},
                        {"stepDb", hw.stepDb},
                        {"calibratedInputSetting", hw.calibratedInputSetting == kNoInputSetting
                                                       ? nlohmann::json(nullptr)
                                                       : nlohmann::json(hw.calibratedInputSetting)}};
    const char* loaded[] = {"none (defaults)", "loaded", "loaded, with the input setting"};
    text +=
        "output level: " + YFormatOutputLevel(volts, kUnitVolt) + " (" + YFormatOutputLevel(volts, kUnitDbu) +
        ")\ncalibration: " + loaded[std::clamp(m.calibration, 0, 2)] + ", reference " +
        YFormatOutputLevel(hw.outputVoltageReference, kUnitVolt) + ", input full scale " +
        YTrimmedNumber(hw.inputFullScale, 4) +
        (hw.stepDb != 0 ? ", " + YTrimmedNumber(hw.stepDb, 4) + " dB per step" : std::string(", linear")) +
        "\n";
    return json ? j.dump(2) + "\n" : text;
}

}  // namespace

void SetupMixerVerb(CLI::App& verb) {
    struct Options {
        std::string device;
        int line = 0;
        std::optional<double> volts, percent;
        VerbOutput output, setOutput;
    };
    auto o = std::make_shared<Options>();
    verb.add_option("--device", o->device,
                    "Device number, id or name ('sonbex3-cli devices'); the default when not given");
    verb.add_option("--line", o->line, "Recording line index")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    o->output.AddOptions(verb);
    verb.callback([o, &verb] {
        if (verb.got_subcommand("set")) return;
        Mixers m;
        const int device = m.Open(o->device, o->line);
        o->output.Write(Report(m, device, o->output.Json()));
    });

    CLI::App* set = verb.add_subcommand("set", "Set the output level in volts or the input level in percent");
    set->add_option("--device", o->device, "Device number, id or name");
    set->add_option("--line", o->line, "Recording line index")->check(CLI::Range(0, 255));
    auto* volts =
        set->add_option("--output-volts", o->volts, "Output level in volts (through the level calibration)")
            ->check(CLI::Range(0.0, 1000.0));
    auto* percent =
        set->add_option("--input-percent", o->percent, "Input level, percent of the control's range")
            ->check(CLI::Range(0.0, 100.0));
    volts->excludes(percent);
    o->setOutput.AddOptions(*set);
    set->callback([o] {
        if (!o->volts && !o->percent)
            throw CLI::ValidationError("give --output-volts V or --input-percent P");
        Mixers m;
        const int device = m.Open(o->device, o->line);
        if (o->volts) {
            if (!m.level->SetOutputVoltage(*o->volts, false))
                throw VerbFailure(
                    "the output level cannot be set: the device's mixer has no settable output control");
        } else {
            std::uint32_t lo = 0, hi = 0;
            double step = 0;
            if (!m.level->GetInputRange(lo, hi, step))
                throw VerbFailure("the input level cannot be set: the device's mixer has no input volume");
            m.level->SetInputLevel(lo +
                                   static_cast<std::uint32_t>(std::lround(*o->percent / 100.0 * (hi - lo))));
        }
        o->setOutput.Write(Report(m, device, o->setOutput.Json()));
    });
}

}  // namespace sonbex::cli
