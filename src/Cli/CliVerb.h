#pragma once
// The verbs of the headless program. Each verb registers its options on a
// CLI11 sub-command and does its work in the callback; results go to
// stdout or the file named by -o, errors to stderr.
//
// Exit status: 0 success, 1 the work failed, 2 bad usage.

#include <CLI/CLI.hpp>

#include <functional>
#include <ostream>
#include <span>
#include <string>

namespace sonbex::cli {

// Thrown inside the headless program only, by a verb whose work failed; the
// message becomes the one-line error on stderr and the exit status 1.
struct VerbFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Where a verb writes its result: stdout, or a file written beside its
// target and renamed over it only when complete.
class VerbOutput {
public:
    // Adds -o/--output and --json to the sub-command.
    void AddOptions(CLI::App& verb);
    bool Json() const { return json_; }
    // Writes the text whole, or throws VerbFailure.
    void Write(const std::string& text) const;

private:
    std::string path_;
    bool json_ = false;
};

struct VerbEntry {
    const char* name;
    const char* summary;
    // Adds the verb's options to `verb` and sets its callback.
    std::function<void(CLI::App& verb)> setup;
};

// Every verb of the program, in the order --help lists them.
std::span<const VerbEntry> AllVerbs();

}  // namespace sonbex::cli
