#pragma once
// The set-up function of each verb, one file per verb family.

#include <CLI/CLI.hpp>

namespace sonbex::cli {

void SetupPathsVerb(CLI::App& verb);
// stimulus list | generate | analyse
void SetupStimulusVerb(CLI::App& verb);

}  // namespace sonbex::cli
