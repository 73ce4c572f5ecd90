#include "Cli/CliVerb.h"
#include "Cli/Verbs.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <string>

namespace sonbex::cli {

namespace {
std::string Env(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : fallback;
}
}  // namespace

void SetupPathsVerb(CLI::App& verb) {
  auto output = std::make_shared<VerbOutput>();
  output->AddOptions(verb);
  verb.callback([output] {
    const std::string home = Env("HOME", "/tmp");
    const std::string config = Env("XDG_CONFIG_HOME", home + "/.config") + "/sonbex3";
    const std::string data = Env("XDG_DATA_HOME", home + "/.local/share") + "/sonbex3";
    if (output->Json()) {
      nlohmann::json j{{"config", config}, {"data", data}};
      output->Write(j.dump(2) + "\n");
    } else {
      output->Write("config\t" + config + "\ndata\t" + data + "\n");
    }
  });
}

}  // namespace sonbex::cli
