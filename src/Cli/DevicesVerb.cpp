// devices: the sound devices with their descriptions and the formats they
// accept in each direction, or why they cannot be opened.

#include "Cli/CliVerb.h"
#include "Cli/SoundCard.h"
#include "Cli/Verbs.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <set>
#include <sstream>

namespace sonbex::cli {

namespace {

constexpr int kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000, 176400, 192000};
constexpr int kWidths[] = {8, 16, 20, 24, 32};
constexpr int kMaxChannels = 8;

struct Formats {
    std::set<int> rates, widths;
    int maxChannels = 0;
    bool inUse = false;
    std::string problem;  // why the device does not open
    bool Any() const { return maxChannels > 0; }
};

Formats Query(YWaveDevices& devices, YWaveDirection direction, int device) {
    Formats f;
    f.problem = devices.Unavailable(direction, device);
    if (!f.problem.empty()) return f;
    for (int bits : kWidths)
        for (int channels = 1; channels <= kMaxChannels; ++channels)
            for (int rate : kRates)
                if (devices.CanOpen(direction, device, rate, bits, channels)) {
                    f.rates.insert(rate);
                    f.widths.insert(bits);
                    f.maxChannels = std::max(f.maxChannels, channels);
                }
    f.inUse = devices.InUse(direction, device);
    return f;
}

nlohmann::json ToJson(const Formats& f) {
    nlohmann::json j{{"rates", f.rates},
                     {"bits", f.widths},
                     {"maxChannels", f.maxChannels},
                     {"inUse", f.inUse},
                     {"available", f.problem.empty()}};
    if (!f.problem.empty()) j["error"] = f.problem;
    return j;
}

// An ALSA PCM of no integer format (the "jack" plugin takes float samples
// only) is usable through a "plug" PCM, which converts the sample format but,
// opened as here, never the rate.
std::string NoFormatAdvice(const YWaveDevice& d) {
    const std::string prefix = "alsa:";
    if (d.id.compare(0, prefix.size(), prefix) != 0 || d.name.compare(0, 4, "plug") == 0) return "";
    return " (try alsa:plug:" + d.id.substr(prefix.size()) +
           ", which converts the sample format, never the rate)";
}

std::string ToText(const char* what, const Formats& f, const std::string& advice) {
    std::ostringstream s;
    s << "  " << what << ": ";
    if (!f.problem.empty()) return s.str() + "not available: " + f.problem + "\n";
    if (f.inUse) return s.str() + "in use\n";
    if (!f.Any()) return s.str() + "no format" + advice + "\n";
    s << "rates";
    for (int r : f.rates) s << ' ' << r;
    s << "; bits";
    for (int b : f.widths) s << ' ' << b;
    s << "; channels 1-" << f.maxChannels << "\n";
    return s.str();
}

}  // namespace

void SetupDevicesVerb(CLI::App& verb) {
    auto output = std::make_shared<VerbOutput>();
    auto only = std::make_shared<std::string>();
    verb.add_option("--device", *only,
                    "Only this device: number, id or name; 'alsa:NAME' for any ALSA PCM, listed or not");
    output->AddOptions(verb);
    verb.callback([output, only] {
        SoundCard card;
        nlohmann::json list = nlohmann::json::array();
        std::string text;
        const int wanted = only->empty() ? -3 : card.Device(*only);
        for (const YWaveDevice& d : card.Devices().Devices()) {
            if (wanted != -3 && d.index != std::max(wanted, 0)) continue;
            nlohmann::json entry{{"index", d.index},         {"id", d.id},
                                 {"name", d.name},           {"description", d.description},
                                 {"canRecord", d.canRecord}, {"canPlay", d.canPlay},
                                 {"server", d.server}};
            text += std::to_string(d.index) + "\t" + d.id + "\t" + d.name + "\n";
            std::istringstream lines(d.description);
            for (std::string line; std::getline(lines, line);) text += "    " + line + "\n";
            if (d.server == "PulseAudio" || d.server == "PipeWire")
                text += "    through the " + d.server + " server, which converts other rates to its own\n";
            else if (!d.server.empty())
                text += "    through the " + d.server + " server\n";
            if (d.canRecord) {
                const Formats f = Query(card.Devices(), YWaveDirection::Record, d.index);
                entry["record"] = ToJson(f);
                text += ToText("record", f, NoFormatAdvice(d));
            }
            if (d.canPlay) {
                const Formats f = Query(card.Devices(), YWaveDirection::Play, d.index);
                entry["play"] = ToJson(f);
                text += ToText("play", f, NoFormatAdvice(d));
            }
            list.push_back(entry);
        }
        output->Write(output->Json() ? nlohmann::json{{"devices", list}}.dump(2) + "\n" : text);
    });
}

}  // namespace sonbex::cli
