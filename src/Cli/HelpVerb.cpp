#include "Cli/CliVerb.h"
#include "Cli/Verbs.h"
#include "Sonbex/Shell/HelpService.h"

#include <nlohmann/json.hpp>

#include <cctype>

namespace sonbex::cli {

namespace fs = std::filesystem;

namespace {

// A number is a help topic (a command or dialog id), anything else a page name.
std::string_view PageFor(const std::string& topic) {
    if (topic.empty()) return shell::help::kContents;
    bool number = true;
    for (char c : topic) number = number && std::isdigit(static_cast<unsigned char>(c));
    if (number && topic.size() < 9) return shell::HelpPageForTopic(std::stoi(topic));
    return shell::HelpPageForName(topic);
}

}  // namespace

void SetupHelpVerb(CLI::App& verb) {
    auto output = std::make_shared<VerbOutput>();
    auto topic = std::make_shared<std::string>();
    auto list = std::make_shared<bool>(false);
    auto pathOnly = std::make_shared<bool>(false);
    verb.add_option("TOPIC", *topic,
                    "A help topic (a command or dialog id such as 125 or 103) or a page name such as "
                    "global-settings; the contents when left out");
    verb.add_flag("--list", *list, "List the pages and their titles");
    verb.add_flag("--path", *pathOnly, "Print the page's file instead of its text");
    output->AddOptions(verb);
    verb.callback([=] {
        const fs::path folder = shell::FindHelpFolder(shell::StandardHelpFolders());
        if (folder.empty()) throw VerbFailure("the help pages are not installed");
        if (*list) {
            nlohmann::json pages = nlohmann::json::array();
            std::string text;
            for (std::string_view page : shell::HelpPages()) {
                const std::string title =
                    shell::ShortHelpTitle(shell::ReadHelpTitle(folder / std::string(page)));
                pages.push_back({{"page", std::string(page)}, {"title", title}});
                text += std::string(page) + "\t" + title + "\n";
            }
            output->Write(output->Json() ? pages.dump(2) + "\n" : text);
            return;
        }
        const std::string_view page = PageFor(*topic);
        if (page.empty())
            throw VerbFailure("no help page '" + *topic + "' (sonbex3-cli help --list lists them)");
        const fs::path file = folder / std::string(page);
        const std::string text = shell::HelpPageText(file);
        if (text.empty()) throw VerbFailure("cannot read " + file.string());
        if (output->Json()) {
            const nlohmann::json j{{"page", std::string(page)},
                                   {"title", shell::ShortHelpTitle(shell::ReadHelpTitle(file))},
                                   {"path", file.string()},
                                   {"text", text}};
            output->Write(j.dump(2) + "\n");
        } else {
            output->Write(*pathOnly ? file.string() + "\n" : text);
        }
    });
}

}  // namespace sonbex::cli
