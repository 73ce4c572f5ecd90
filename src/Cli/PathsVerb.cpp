#include "Cli/CliVerb.h"
#include "Cli/Verbs.h"
#include "Platform/Paths.h"

#include <nlohmann/json.hpp>

namespace sonbex::cli {

void SetupPathsVerb(CLI::App& verb) {
    auto output = std::make_shared<VerbOutput>();
    output->AddOptions(verb);
    verb.callback([output] {
        const platform::Paths paths;
        const std::string config = paths.ConfigDir().string();
        const std::string data = paths.DataDir().string();
        const std::string settings = paths.SettingsFile().string();
        if (output->Json()) {
            nlohmann::json j{{"config", config}, {"data", data}, {"settings", settings}};
            output->Write(j.dump(2) + "\n");
        } else {
            output->Write("config\t" + config + "\ndata\t" + data + "\nsettings\t" + settings + "\n");
        }
    });
}

}  // namespace sonbex::cli
