#pragma once
// The desktop program's command line:
//   sonbex3 [--help] [--version] [FILE ...]
// Every FILE is opened as a native document, else imported. Paths are made
// absolute against the directory the program started in, before anything
// can change the process's current directory. "--" ends the options.
// Pure functions: safe from any thread.

#include <filesystem>
#include <string>
#include <vector>

namespace sonbex::shell {

struct CommandLine {
    bool help = false;
    bool version = false;
    std::vector<std::filesystem::path> files;  // absolute
    std::filesystem::path screenshot;          // hidden option: save a picture of the screen and quit
    std::string error;                         // not empty: a usage error
};

// `args` are the arguments after the program name (Qt's own already removed);
// `startDir` is the current directory when the program started.
CommandLine ParseCommandLine(const std::vector<std::string>& args, const std::filesystem::path& startDir);
std::string CommandLineUsage(const std::string& program);

}  // namespace sonbex::shell
