#include "Sonbex/Shell/CommandLine.h"

namespace sonbex::shell {
namespace fs = std::filesystem;

CommandLine ParseCommandLine(const std::vector<std::string>& args, const fs::path& startDir) {
    CommandLine out;
    bool options = true;
    auto addFile = [&](const std::string& a) {
        fs::path p(a);
        out.files.push_back((p.is_absolute() ? p : startDir / p).lexically_normal());
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!options || a.empty() || a[0] != '-' || a == "-") {
            addFile(a);
        } else if (a == "--") {
            options = false;
        } else if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--version") {
            out.version = true;
        } else if (a == "--screenshot") {
            if (i + 1 >= args.size()) {
                out.error = "--screenshot needs a file name";
                return out;
            }
            fs::path p(args[++i]);
            out.screenshot = (p.is_absolute() ? p : startDir / p).lexically_normal();
        } else {
            out.error = "unknown option " + a;
            return out;
        }
    }
    return out;
}

std::string CommandLineUsage(const std::string& program) {
    return "Usage: " + program +
           " [--help] [--version] [FILE ...]\n"
           "Sonbex Analyzer 3: measures and designs loudspeakers.\n\n"
           "  FILE       opened as a native document (.SXF .SXZ .SXP .SPP .CSD .SXB .SXX .SMG,\n"
           "             .MST measurement settings), anything else is imported\n"
           "  --help     shows this text\n"
           "  --version  shows the version\n"
           "  --         ends the options (for file names starting with '-')\n";
}

}  // namespace sonbex::shell
