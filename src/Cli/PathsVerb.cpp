#include "Cli/CliVerb.h"
#include "Cli/Verbs.h"
#include "Platform/Paths.h"

#include <nlohmann/json.hpp>

#include <filesystem>

namespace sonbex::cli {

void SetupPathsVerb(CLI::App& verb) {
    auto output = std::make_shared<VerbOutput>();
    output->AddOptions(verb);
    verb.callback([output] {
        const platform::Paths paths;
        const std::string config = paths.ConfigDir().string();
        const std::string data = paths.DataDir().string();
        const std::string settings = paths.SettingsFile().string();
        // The folder of shipped data this program reads: installed, or the source tree's.
        std::string shipped;
        for (const auto& dir : platform::Paths::ShippedDataDirs()) {
            std::error_code ec;
            if (std::filesystem::is_directory(dir, ec)) {
                shipped = dir.string();
                break;
            }
        }
        if (output->Json()) {
            nlohmann::json j{
                {"config", config}, {"data", data}, {"settings", settings}, {"shipped", shipped}};
            output->Write(j.dump(2) + "\n");
        } else {
            output->Write("config\t" + config + "\ndata\t" + data + "\nsettings\t" + settings +
                          "\nshipped\t" + shipped + "\n");
        }
    });
}

}  // namespace sonbex::cli
