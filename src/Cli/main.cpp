// sonbex3-cli: the headless program, one verb per batch job.

#include "Cli/CliVerb.h"
#include "SonbexVersion.h"

#include <clocale>
#include <iostream>
#include <string>

namespace {
bool IsVerb(const std::string& name) {
    for (const sonbex::cli::VerbEntry& entry : sonbex::cli::AllVerbs())
        if (name == entry.name) return true;
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C");
    using namespace sonbex::cli;

    // Nothing may escape main: building the verb table throws only on a
    // programming error, and even that ends with a message, not an abort.
    try {
        CLI::App app{"Sonbex Analyzer 3, headless: measure, analyse and design loudspeakers in batch jobs.",
                     "sonbex3-cli"};
        app.set_version_flag("--version", std::string("sonbex3-cli ") + SONBEX_VERSION_STRING);
        app.require_subcommand(1);
        app.footer("Run 'sonbex3-cli VERB --help' for the options of a verb.");
        for (const VerbEntry& entry : AllVerbs()) {
            CLI::App* verb = app.add_subcommand(entry.name, entry.summary);
            entry.setup(*verb);
        }

        if (argc < 2) {
            std::cerr << app.help();
            return 2;
        }
        const std::string first = argv[1];
        if (first[0] != '-' && !IsVerb(first)) {
            std::cerr << "sonbex3-cli: unknown verb '" << first << "'; 'sonbex3-cli --help' lists them\n";
            return 2;
        }

        try {
            app.parse(argc, argv);
        } catch (const CLI::Success& e) {  // --help, --version
            return app.exit(e);
        } catch (const CLI::ParseError& e) {
            app.exit(e);
            return 2;
        }
    } catch (const VerbFailure& e) {
        std::cerr << "sonbex3-cli: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "sonbex3-cli: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
