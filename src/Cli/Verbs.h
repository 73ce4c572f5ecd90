#pragma once
// The set-up function of each verb, one file per verb family.

#include <CLI/CLI.hpp>

namespace sonbex::cli {

void SetupPathsVerb(CLI::App& verb);
void SetupDevicesVerb(CLI::App& verb);
void SetupPlayVerb(CLI::App& verb);
void SetupRecordVerb(CLI::App& verb);
void SetupLoopbackVerb(CLI::App& verb);
// stimulus list | generate | analyse
void SetupStimulusVerb(CLI::App& verb);
// ts FREE [--added-mass G LOADED | --box-volume L LOADED] ...
void SetupTsVerb(CLI::App& verb);
// drivers list | show | import | export | seed
void SetupDriversVerb(CLI::App& verb);
// curve info | convert
void SetupCurveVerb(CLI::App& verb);
// mixer [set]
void SetupMixerVerb(CLI::App& verb);
// help [TOPIC] | --list: the help pages as text
void SetupHelpVerb(CLI::App& verb);
// settings show | set | load | save | defaults
void SetupSettingsVerb(CLI::App& verb);

}  // namespace sonbex::cli
