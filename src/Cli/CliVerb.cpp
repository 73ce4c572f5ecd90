#include "Cli/CliVerb.h"

#include "Cli/Verbs.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace sonbex::cli {

void VerbOutput::AddOptions(CLI::App& verb) {
    verb.add_option("-o,--output", path_, "Write the result to FILE instead of stdout");
    verb.add_flag("--json", json_, "Machine-readable result (JSON)");
}

void VerbOutput::Write(const std::string& text) const {
    if (path_.empty() || path_ == "-") {
        std::cout << text << std::flush;
        if (!std::cout) throw VerbFailure("cannot write to standard output");
        return;
    }
    namespace fs = std::filesystem;
    const fs::path target(path_);
    fs::path temp = target;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::error_code ec;
            fs::remove(temp, ec);
            throw VerbFailure("cannot write " + path_);
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw VerbFailure("cannot write " + path_ + ": " + ec.message());
    }
}

std::span<const VerbEntry> AllVerbs() {
    static const VerbEntry verbs[] = {
        {"paths", "Show where settings, data and recordings are kept", SetupPathsVerb},
        {"devices", "List the sound devices and the formats they accept", SetupDevicesVerb},
        {"play", "Play a wave file through a sound device", SetupPlayVerb},
        {"record", "Record a wave file from a sound device", SetupRecordVerb},
        {"loopback", "Check a sound card: round-trip latency and level of a looped-back click train",
         SetupLoopbackVerb},
        {"stimulus", "List, generate and analyse measurement stimuli", SetupStimulusVerb},
        {"ts", "Thiele-Small parameters from impedance curves (free air, added mass, closed box)",
         SetupTsVerb},
        {"drivers", "The speaker database: list, show, import, export", SetupDriversVerb},
        {"curve", "Show and convert native curve files", SetupCurveVerb},
        {"mixer", "Show a sound device's mixer and calibrated output level; 'mixer set' sets the levels",
         SetupMixerVerb},
        {"help", "Show a page of the program's help as text", SetupHelpVerb},
        {"settings", "Show, change, load and save the measurement settings", SetupSettingsVerb},
    };
    return verbs;
}

}  // namespace sonbex::cli
